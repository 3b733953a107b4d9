#pragma once
// The placement of a window kept between runs: its position, size and show state go into a
// section of a settings file when the window closes and come back when it is next shown, so that
// the main window and the document windows open where the user left them. Positions and sizes
// are those of the window's outer frame.

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/IniFile.h"

namespace kestrel {

struct WindowPoint {
  int x = -1;
  int y = -1;
  friend bool operator==(const WindowPoint&, const WindowPoint&) = default;
};

struct WindowRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  long long width() const { return static_cast<long long>(right) - left; }
  long long height() const { return static_cast<long long>(bottom) - top; }
  friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// The stored numbers of the show states.
enum class ShowState { Normal = 1, Minimized = 2, Maximized = 3 };

// Where a window stands, as the platform tells it and as restoring sets it.
struct FramePlacement {
  int flags = 0;
  ShowState show = ShowState::Normal;
  WindowPoint minimizedPosition;  // (-1, -1): the platform chooses
  WindowPoint maximizedPosition;
  WindowRect normal;  // the frame when the window is neither minimized nor maximized
  friend bool operator==(const FramePlacement&, const FramePlacement&) = default;
};

struct ScreenMetrics {
  int width = 0;
  int height = 0;
  int pixelsPerInch = 0;
};

// A window as the placement rules see it.
class PlacedWindow {
 public:
  virtual ~PlacedWindow() = default;
  virtual FramePlacement placement() const = 0;
  virtual ScreenMetrics screen() const = 0;
  // The areas a frame can be seen in (the screens' work areas, or the document area of the main
  // window); none when they are not known.
  virtual std::vector<WindowRect> visibleAreas() const = 0;
  // Moves the frame to the placement's normal rectangle and keeps its minimized and maximized
  // positions; the show state is set separately.
  virtual void setPlacement(const FramePlacement& placement) = 0;
  virtual void setShowState(ShowState state) = 0;
  virtual void minimizeApplication() = 0;
};

enum class WindowRole { Main, Document };

// The settings store of one window: its file, its section, and the texts it keeps besides the
// placement (the main window's open dialogs' file names).
class WindowPlacement {
 public:
  WindowPlacement(std::string fileName, std::string section, WindowRole role);

  // The main window's: file "setupKestrel", section "TMainForm".
  static WindowPlacement mainWindow();
  // Every document window's: file "setupchildKestrel", the one section "TReadForm".
  static WindowPlacement documentWindow();

  const std::string& fileName() const { return fileName_; }
  const std::string& section() const { return section_; }
  WindowRole role() const { return role_; }

  // A text written after the placement under key, with blanks removed from both ends, and given
  // back to apply when the window is restored and the key is there.
  void keepText(std::string key, std::function<std::string()> read,
                std::function<void(const std::string&)> apply);

  // Applies the section to the window: the position only when it was stored at the screen's
  // pixels per inch, and never so that the frame cannot be seen; the show state; the texts.
  void restore(const IniFile& settings, PlacedWindow& window) const;
  // Writes the section's keys in their order: "FormVersion", "Flags", "ShowCmd",
  // "PixelsPerInch", "MinMaxPos(WxH)", "MinMaxPos", "NormPos(WxH)", "NormPos", then the texts.
  void save(IniFile& settings, const PlacedWindow& window) const;

 private:
  struct KeptText {
    std::string key;
    std::function<std::string()> read;
    std::function<void(const std::string&)> apply;
  };

  std::string fileName_;
  std::string section_;
  WindowRole role_;
  std::vector<KeptText> texts_;
};

// The rectangle moved and cut down, if need be, so that the frame has a size and its top edge
// lies in one of the areas; unchanged when it already does or when no area is known. A missing
// or negative width or height is taken from fallback.
WindowRect keepReachable(WindowRect rect, const WindowRect& fallback,
                         std::span<const WindowRect> areas);

// Where a new window of the size goes so that it hides no other: step down and right of the
// last one opened, or back at the area's top left corner when it would leave the area there.
WindowPoint cascadePosition(const WindowRect& last, long long width, long long height,
                            const WindowRect& area, int step);

}  // namespace kestrel
