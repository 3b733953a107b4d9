#pragma once
// Kestrel's own icon, carried inside the program.

#include <QIcon>

namespace kestrel::app {

// The icon in every size the program carries.
QIcon programIcon();

// Gives every window of the application the program's icon, and tells the desktop which
// launcher entry the windows belong to, so that a task bar shows the same icon and name.
void showProgramIcon();

}  // namespace kestrel::app
