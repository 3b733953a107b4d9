#include "core/WindowPlacement.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>
#include <optional>

namespace kestrel {

namespace {

constexpr std::string_view kFormVersion = "FormVersion";
constexpr std::string_view kFlags = "Flags";
constexpr std::string_view kShowCmd = "ShowCmd";
constexpr std::string_view kPixelsPerInch = "PixelsPerInch";
constexpr std::string_view kMinMaxPos = "MinMaxPos";
constexpr std::string_view kNormPos = "NormPos";
// The platform's flag that the minimized position is set.
constexpr int kMinimizedPositionSet = 1;
// How much of a frame's top edge must lie in an area for the user to grab it.
constexpr long long kGrip = 32;

std::string screenSuffix(const ScreenMetrics& screen) {
  char text[32];
  std::snprintf(text, sizeof text, "(%dx%d)", screen.width, screen.height);
  return text;
}

std::string fourNumbers(int a, int b, int c, int d) {
  char text[64];
  std::snprintf(text, sizeof text, "%d,%d,%d,%d", a, b, c, d);
  return text;
}

// Reads "a,b,c,d" into the targets in turn and stops at the first number that is missing, is no
// number or does not fit: the targets after it keep what they hold.
void readNumbers(std::string_view text, std::span<int* const> targets) {
  const char* at = text.data();
  const char* const end = at + text.size();
  for (std::size_t i = 0; i < targets.size(); ++i) {
    while (at != end && *at == ' ')
      ++at;
    if (i > 0) {
      if (at == end || *at != ',') return;
      ++at;
      while (at != end && *at == ' ')
        ++at;
    }
    if (at != end && *at == '+') ++at;
    long long number = 0;
    const auto [next, error] = std::from_chars(at, end, number);
    if (error != std::errc() || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max())
      return;
    *targets[i] = static_cast<int>(number);
    at = next;
  }
}

// The value under key followed by the screen-size suffix, or else under the plain key.
std::optional<std::string> screenValue(const IniFile& settings, std::string_view section,
                                       std::string_view key, const std::string& suffix) {
  if (auto v = settings.value(section, std::string(key) + suffix)) return v;
  return settings.value(section, key);
}

ShowState storedShowState(int showCmd, WindowRole role) {
  switch (showCmd) {
    case 1:
    case 5:
    case 9:
      return ShowState::Normal;
    case 2:
    case 6:
    case 7:
      return ShowState::Minimized;
    case 3:
      return ShowState::Maximized;
    default:
      return role == WindowRole::Main ? ShowState::Maximized : ShowState::Normal;
  }
}

std::string trimBlanks(std::string text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  while (!text.empty() && blank(text.back()))
    text.pop_back();
  const auto first = std::find_if_not(text.begin(), text.end(), blank);
  text.erase(text.begin(), first);
  return text;
}

long long overlap(long long a0, long long a1, long long b0, long long b1) {
  return std::max(0LL, std::min(a1, b1) - std::max(a0, b0));
}

long long gap(long long a0, long long a1, long long b0, long long b1) {
  return std::max({0LL, b0 - a1, a0 - b1});
}

int toInt(long long v) {
  return static_cast<int>(
      std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

WindowRect keepReachable(WindowRect rect, const WindowRect& fallback,
                         std::span<const WindowRect> areas) {
  long long left = rect.left;
  long long top = rect.top;
  long long width = rect.width() > 0 ? rect.width() : std::max(fallback.width(), 1LL);
  long long height = rect.height() > 0 ? rect.height() : std::max(fallback.height(), 1LL);

  const WindowRect* best = nullptr;
  long long bestOverlap = -1;
  long long bestGap = 0;
  for (const WindowRect& area : areas) {
    if (area.width() <= 0 || area.height() <= 0) continue;
    const long long shared = overlap(left, left + width, area.left, area.right) *
                             overlap(top, top + height, area.top, area.bottom);
    const long long distance = gap(left, left + width, area.left, area.right) +
                               gap(top, top + height, area.top, area.bottom);
    if (best == nullptr || shared > bestOverlap ||
        (shared == 0 && bestOverlap == 0 && distance < bestGap)) {
      best = &area;
      bestOverlap = shared;
      bestGap = distance;
    }
  }
  if (best != nullptr) {
    width = std::min(width, best->width());
    height = std::min(height, best->height());
    const auto grabbable = [&](const WindowRect& area) {
      return area.width() > 0 && area.height() > 0 && top >= area.top &&
             top <= area.bottom - std::min(kGrip, height) &&
             overlap(left, left + width, area.left, area.right) >= std::min(kGrip, width);
    };
    if (std::none_of(areas.begin(), areas.end(), grabbable)) {
      left = std::clamp<long long>(left, best->left, best->right - width);
      top = std::clamp<long long>(top, best->top, best->bottom - height);
    }
  }
  left = toInt(left);
  top = toInt(top);
  return WindowRect{static_cast<int>(left), static_cast<int>(top), toInt(left + width),
                    toInt(top + height)};
}

WindowPoint cascadePosition(const WindowRect& last, long long width, long long height,
                            const WindowRect& area, int step) {
  const long long left = static_cast<long long>(last.left) + step;
  const long long top = static_cast<long long>(last.top) + step;
  if (left < area.left || top < area.top || left + width > area.right || top + height > area.bottom)
    return WindowPoint{area.left, area.top};
  return WindowPoint{toInt(left), toInt(top)};
}

WindowPlacement::WindowPlacement(std::string fileName, std::string section, WindowRole role)
    : fileName_(std::move(fileName)), section_(std::move(section)), role_(role) {}

WindowPlacement WindowPlacement::mainWindow() {
  return WindowPlacement("setupKestrel", "TMainForm", WindowRole::Main);
}

WindowPlacement WindowPlacement::documentWindow() {
  return WindowPlacement("setupchildKestrel", "TReadForm", WindowRole::Document);
}

void WindowPlacement::keepText(std::string key, std::function<std::string()> read,
                               std::function<void(const std::string&)> apply) {
  texts_.push_back(KeptText{std::move(key), std::move(read), std::move(apply)});
}

void WindowPlacement::restore(const IniFile& settings, PlacedWindow& window) const {
  if (settings.integer(section_, kFormVersion, 0) < 0) return;

  const ScreenMetrics screen = window.screen();
  const std::string suffix = screenSuffix(screen);
  const auto minMax = screenValue(settings, section_, kMinMaxPos, suffix);
  const auto normal = screenValue(settings, section_, kNormPos, suffix);
  // A file without the key was not written at another pixels per inch.
  const int pixelsPerInch = settings.integer(section_, kPixelsPerInch, screen.pixelsPerInch);
  if (pixelsPerInch == screen.pixelsPerInch && (minMax || normal)) {
    const FramePlacement current = window.placement();
    FramePlacement placed = current;
    if (minMax) {
      int* const targets[] = {&placed.minimizedPosition.x, &placed.minimizedPosition.y,
                              &placed.maximizedPosition.x, &placed.maximizedPosition.y};
      readNumbers(*minMax, targets);
    }
    if (normal) {
      int* const targets[] = {&placed.normal.left, &placed.normal.top, &placed.normal.right,
                              &placed.normal.bottom};
      readNumbers(*normal, targets);
    }
    const std::vector<WindowRect> areas = window.visibleAreas();
    placed.normal = keepReachable(placed.normal, current.normal, areas);
    window.setPlacement(placed);
  }

  const ShowState show = storedShowState(settings.integer(section_, kShowCmd, 0), role_);
  if (role_ == WindowRole::Main && show == ShowState::Minimized) {
    // The main window stands for the whole program: it opens normal and the program is
    // minimized.
    window.setShowState(ShowState::Normal);
    window.minimizeApplication();
  } else {
    window.setShowState(show);
  }

  for (const KeptText& text : texts_) {
    if (auto value = settings.value(section_, text.key)) text.apply(*value);
  }
}

void WindowPlacement::save(IniFile& settings, const PlacedWindow& window) const {
  const FramePlacement placed = window.placement();
  const ScreenMetrics screen = window.screen();
  const std::string suffix = screenSuffix(screen);
  int flags = placed.flags;
  if (role_ == WindowRole::Document && placed.show == ShowState::Minimized)
    flags |= kMinimizedPositionSet;
  const std::string minMax = fourNumbers(placed.minimizedPosition.x, placed.minimizedPosition.y,
                                         placed.maximizedPosition.x, placed.maximizedPosition.y);
  const std::string normal =
      fourNumbers(placed.normal.left, placed.normal.top, placed.normal.right, placed.normal.bottom);

  settings.set(section_, kFormVersion, 0);
  settings.set(section_, kFlags, flags);
  settings.set(section_, kShowCmd, static_cast<int>(placed.show));
  settings.set(section_, kPixelsPerInch, screen.pixelsPerInch);
  settings.set(section_, std::string(kMinMaxPos) + suffix, minMax);
  settings.set(section_, kMinMaxPos, minMax);
  settings.set(section_, std::string(kNormPos) + suffix, normal);
  settings.set(section_, kNormPos, normal);
  for (const KeptText& text : texts_)
    settings.set(section_, text.key, trimBlanks(text.read()));
}

}  // namespace kestrel
