#include "SectionsDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kestrel::app {

SectionsDialog::SectionsDialog(QWidget* parent, const QString& objectName, const QString& caption,
                               const QString& groupCaption, const QString& buttonCaption)
    : QDialog(parent) {
  setObjectName(objectName);
  setWindowTitle(caption);
  setModal(true);
  auto* group = new QGroupBox(groupCaption);
  phonebookBox = new QCheckBox(QStringLiteral("Записная книжка"));
  phonebookBox->setObjectName(QStringLiteral("phonebookBox"));
  callsBox = new QCheckBox(QStringLiteral("Вызовы"));
  callsBox->setObjectName(QStringLiteral("callsBox"));
  calendarBox = new QCheckBox(QStringLiteral("Календарь"));
  calendarBox->setObjectName(QStringLiteral("calendarBox"));
  auto* boxes = new QVBoxLayout(group);
  boxes->addWidget(phonebookBox);
  boxes->addWidget(callsBox);
  boxes->addWidget(calendarBox);
  acceptButton = new QPushButton(buttonCaption);
  acceptButton->setObjectName(QStringLiteral("acceptButton"));
  acceptButton->setDefault(true);
  connect(acceptButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addWidget(acceptButton, 0, Qt::AlignHCenter);
}

output::TableChoice SectionsDialog::tableChoice() const {
  return {phonebookBox->isChecked(), callsBox->isChecked(), calendarBox->isChecked()};
}

}  // namespace kestrel::app
