#pragma once
// Keeps a window's placement in its settings file between runs: read when the window is first
// shown, written when it closes, or when it is destroyed without having closed. The files live
// in the application's configuration folder, made when first written.

#include <QObject>
#include <QRect>
#include <QString>
#include <memory>

#include "core/WindowPlacement.h"

class QWidget;

namespace kestrel::app {

class MessageBoxes;

// The rectangle as the placement rules hold it: its right and bottom edges lie past it.
WindowRect toWindowRect(const QRect& r);

// The folder of the settings files: the one set here, or else the platform's configuration
// folder of the application.
QString settingsFolder();
// An empty folder returns to the platform's.
void setSettingsFolder(const QString& folder);

class WindowSettings : public QObject {
 public:
  // messages reports a file that cannot be read or written; it may be null.
  WindowSettings(WindowPlacement placement, MessageBoxes* messages);
  ~WindowSettings() override;

  WindowPlacement& placement() { return placement_; }

  // Reads the section and places outer, the window's outer widget (a top-level window or the
  // sub-window a document sits in); afterwards follows where the user moves it. Only the first
  // call restores.
  void restore(QWidget* outer);
  // Writes the section as the outer widget stands; only once, and not for a window that was
  // never shown.
  void save();
  // The same as the outer widget stood when last seen, for a window whose sub-window may be
  // going already (a document window destroyed with the main window).
  void saveAsLastSeen();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  class PlacedWidget;
  void report(const QString& text) const;
  void write();

  WindowPlacement placement_;
  MessageBoxes* messages_;
  std::unique_ptr<PlacedWidget> placed_;
  bool saved_ = false;
};

}  // namespace kestrel::app
