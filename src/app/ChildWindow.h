#pragma once
// What the frame asks of the windows inside it: the menus each brings into the menu bar.

#include <QList>

class QMenu;

namespace kestrel::app {

// A menu with its group number for merging into the frame's menu bar: a group the active window
// brings replaces the frame's menus of that group.
struct GroupMenu {
  int group;
  QMenu* menu;
};

class ChildWindow {
 public:
  virtual ~ChildWindow() = default;
  virtual QList<GroupMenu> menus() const = 0;
};

}  // namespace kestrel::app
