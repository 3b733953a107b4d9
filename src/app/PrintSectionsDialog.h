#pragma once
// The print command: which tables the printed report takes.

#include "SectionsDialog.h"

namespace kestrel::app {

class PrintSectionsDialog : public SectionsDialog {
  Q_OBJECT
 public:
  explicit PrintSectionsDialog(QWidget* parent = nullptr);
};

}  // namespace kestrel::app
