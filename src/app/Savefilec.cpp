#include "Savefilec.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel::app {

TSavefilec::TSavefilec(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("Savefilec"));
  setWindowTitle(QStringLiteral("Save"));
  setModal(true);
  GroupBox1_ = new QGroupBox(QStringLiteral("Сохранение"));
  CheckBox1 = new QCheckBox(QStringLiteral("Записная книжка"));
  CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
  CheckBox2 = new QCheckBox(QStringLiteral("Вызовы"));
  CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
  CheckBox3 = new QCheckBox(QStringLiteral("Календарь"));
  CheckBox3->setObjectName(QStringLiteral("CheckBox3"));
  auto* boxes = new QVBoxLayout(GroupBox1_);
  boxes->addWidget(CheckBox1);
  boxes->addWidget(CheckBox2);
  boxes->addWidget(CheckBox3);
  Button7 = new QPushButton(QStringLiteral("Ок"));
  Button7->setObjectName(QStringLiteral("Button7"));
  Button7->setDefault(true);
  connect(Button7, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(GroupBox1_);
  layout->addWidget(Button7, 0, Qt::AlignHCenter);
}

output::Sections TSavefilec::sections() const {
  return {CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked()};
}

}  // namespace kestrel::app
