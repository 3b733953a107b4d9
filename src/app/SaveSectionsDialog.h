#pragma once
// The save command's section dialog: which tables the text and CSV formats take. One dialog
// for the whole run, so the ticks stay from one save to the next.

#include <QDialog>

#include "export/Sections.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace kestrel::app {

class SaveSectionsDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SaveSectionsDialog(QWidget* parent = nullptr);

  output::Sections sections() const;

  QCheckBox* phonebookBox = nullptr;  // "Записная книжка"
  QCheckBox* callsBox = nullptr;      // "Вызовы"
  QCheckBox* calendarBox = nullptr;   // "Календарь"
  QPushButton* okButton = nullptr;    // "Ок"

 private:
  QGroupBox* sectionsBox_ = nullptr;
};

}  // namespace kestrel::app
