#pragma once
// The save command's section dialog: which tables the text and CSV formats take. One dialog
// for the whole run, so the ticks stay from one save to the next.

#include <QDialog>

#include "export/Sections.h"

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace kestrel::app {

class TSavefilec : public QDialog {
  Q_OBJECT
 public:
  explicit TSavefilec(QWidget* parent = nullptr);

  output::Sections sections() const;

  QCheckBox* CheckBox1 = nullptr;  // "Записная книжка"
  QCheckBox* CheckBox2 = nullptr;  // "Вызовы"
  QCheckBox* CheckBox3 = nullptr;  // "Календарь"
  QPushButton* Button7 = nullptr;  // "Ок"

 private:
  QGroupBox* GroupBox1_ = nullptr;
};

}  // namespace kestrel::app
