#pragma once
// "Сведения о файле": the name, size, modification time and digests of the files a document
// was read from, as the reader read them and when, and whether each file is still the same, as
// text the user can select and copy.

#include <QDialog>

#include "core/Document.h"

class QPlainTextEdit;
class QPushButton;

namespace kestrel::app {

class FileInfoDialog : public QDialog {
  Q_OBJECT
 public:
  explicit FileInfoDialog(const DocumentData& doc, QWidget* parent = nullptr);

  QPlainTextEdit* facts() const { return facts_; }
  QPushButton* copyButton() const { return copy_; }

 private:
  QPlainTextEdit* facts_ = nullptr;
  QPushButton* copy_ = nullptr;
};

}  // namespace kestrel::app
