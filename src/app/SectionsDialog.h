#pragma once
// A dialog that asks which tables a command takes: three boxes and one button that closes it
// with OK. Each command has one for the whole run, so the ticks stay from one use to the next.

#include <QDialog>

#include "export/TableChoice.h"

class QCheckBox;
class QPushButton;

namespace kestrel::app {

class SectionsDialog : public QDialog {
  Q_OBJECT
 public:
  output::TableChoice tableChoice() const;

  QCheckBox* phonebookBox = nullptr;  // "Записная книжка"
  QCheckBox* callsBox = nullptr;      // "Вызовы"
  QCheckBox* calendarBox = nullptr;   // "Календарь"
  QPushButton* acceptButton = nullptr;

 protected:
  SectionsDialog(QWidget* parent, const QString& objectName, const QString& caption,
                 const QString& groupCaption, const QString& buttonCaption);
};

}  // namespace kestrel::app
