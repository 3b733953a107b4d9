#include "SaveSectionsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel::app {

SaveSectionsDialog::SaveSectionsDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("saveSectionsDialog"));
  setWindowTitle(QStringLiteral("Save"));
  setModal(true);
  sectionsBox_ = new QGroupBox(QStringLiteral("Сохранение"));
  phonebookBox = new QCheckBox(QStringLiteral("Записная книжка"));
  phonebookBox->setObjectName(QStringLiteral("phonebookBox"));
  callsBox = new QCheckBox(QStringLiteral("Вызовы"));
  callsBox->setObjectName(QStringLiteral("callsBox"));
  calendarBox = new QCheckBox(QStringLiteral("Календарь"));
  calendarBox->setObjectName(QStringLiteral("calendarBox"));
  auto* boxes = new QVBoxLayout(sectionsBox_);
  boxes->addWidget(phonebookBox);
  boxes->addWidget(callsBox);
  boxes->addWidget(calendarBox);
  okButton = new QPushButton(QStringLiteral("Ок"));
  okButton->setObjectName(QStringLiteral("okButton"));
  okButton->setDefault(true);
  connect(okButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sectionsBox_);
  layout->addWidget(okButton, 0, Qt::AlignHCenter);
}

output::Sections SaveSectionsDialog::sections() const {
  return {phonebookBox->isChecked(), callsBox->isChecked(), calendarBox->isChecked()};
}

}  // namespace kestrel::app
