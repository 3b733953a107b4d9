#pragma once
// The save command: which tables the text and CSV formats take.

#include "SectionsDialog.h"

namespace kestrel::app {

class SaveSectionsDialog : public SectionsDialog {
  Q_OBJECT
 public:
  explicit SaveSectionsDialog(QWidget* parent = nullptr);
};

}  // namespace kestrel::app
