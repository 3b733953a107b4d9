#pragma once
// What a window asks of the window manager beyond what Qt's window flags say.

class QWidget;

namespace kestrel::app {

// Called when a dialog of fixed size is shown, before it is mapped. openbox keeps a minimize
// button on every dialog whatever its Motif hints ask, and leaves it off toolbar windows only;
// under openbox alone such a dialog is announced as one, so that its title bar has its close
// box only. Other window managers honour the hints and are left alone.
void keepOnlyTheCloseBox(QWidget& dialog);

}  // namespace kestrel::app
