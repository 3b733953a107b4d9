#pragma once
// What the frame asks of the windows inside it: which of the commands in the frame's menus each
// offers as it stands, and running them. The frame owns the menus; the active window decides
// what they show.

#include <QWidget>

namespace kestrel::app {

// How a command of the frame's menus stands for a window: not in its menus at all, shown but
// disabled, or ready to run.
enum class CommandState { Hidden, Disabled, Enabled };

// The commands of the frame's menus that depend on the active window. With no window active the
// open commands are all there and nothing else is.
struct Capabilities {
  CommandState openEeprom = CommandState::Enabled;
  CommandState openVcf = CommandState::Enabled;
  CommandState exportToExcel = CommandState::Hidden;
  CommandState save = CommandState::Hidden;
  CommandState print = CommandState::Hidden;
  CommandState fileInfo = CommandState::Hidden;
  // The "Редактирование" menu shows while either of these is not hidden.
  CommandState blockExplorer = CommandState::Hidden;
  CommandState savePm = CommandState::Hidden;
  // "Вид → Подогнать столбцы".
  CommandState fitColumns = CommandState::Hidden;
};

class ChildWindow : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  virtual Capabilities capabilities() const = 0;

  // The commands the frame runs on the active window; a window runs those it offers.
  virtual void exportToSpreadsheet() {}
  virtual void save() {}
  virtual void print() {}
  virtual void showFileInfo() {}
  virtual void exploreBlocks() {}
  virtual void savePm() {}
  virtual void fitColumns() {}

 signals:
  // What capabilities() returns has changed.
  void capabilitiesChanged();
};

}  // namespace kestrel::app
