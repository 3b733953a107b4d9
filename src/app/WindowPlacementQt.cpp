#include "WindowPlacementQt.h"

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>
#include <exception>
#include <optional>

#include "Dialogs.h"
#include "core/FileIo.h"
#include "core/IniFile.h"

namespace kestrel::app {

namespace {

// The platform's flag that a minimized window comes back maximized.
constexpr int kRestoreToMaximized = 2;

QString& folderOverride() {
  static QString folder;
  return folder;
}

std::string localName(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

}  // namespace

WindowRect toWindowRect(const QRect& r) {
  return WindowRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

QString settingsFolder() {
  if (!folderOverride().isEmpty()) return folderOverride();
  return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

void setSettingsFolder(const QString& folder) {
  folderOverride() = folder;
}

// The window's outer widget as the placement rules see it. What it last saw is kept, so that a
// window destroyed together with its parent still writes where it stood.
class WindowSettings::PlacedWidget : public PlacedWindow {
 public:
  explicit PlacedWidget(QWidget* widget) : widget_(widget) { follow(); }

  QWidget* widget() const { return widget_; }

  // Takes in the widget as it stands now.
  void follow() {
    if (!widget_) return;
    // A top-level window's position includes the border the window system draws; a
    // sub-window draws its own border, so its geometry is the whole of it.
    const QRect outer = widget_->isWindow() ? widget_->frameGeometry() : widget_->geometry();
    const Qt::WindowStates state = widget_->windowState();
    seen_.flags = 0;
    if (state & Qt::WindowMinimized) {
      seen_.show = ShowState::Minimized;
      seen_.minimizedPosition = {outer.x(), outer.y()};
      if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) seen_.flags = kRestoreToMaximized;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
      seen_.show = ShowState::Maximized;
      seen_.maximizedPosition = {outer.x(), outer.y()};
    } else {
      seen_.show = ShowState::Normal;
      seen_.normal = toWindowRect(outer);
    }
    if (QScreen* screen = widget_->screen()) {
      metrics_ = ScreenMetrics{screen->geometry().width(), screen->geometry().height(),
                               qRound(screen->logicalDotsPerInch())};
    }
  }

  FramePlacement placement() const override { return seen_; }
  ScreenMetrics screen() const override { return metrics_; }

  std::vector<WindowRect> visibleAreas() const override {
    std::vector<WindowRect> areas;
    if (!widget_) return areas;
    if (widget_->isWindow()) {
      for (const QScreen* screen : QGuiApplication::screens())
        areas.push_back(toWindowRect(screen->availableGeometry()));
    } else if (const QWidget* parent = widget_->parentWidget()) {
      areas.push_back(toWindowRect(parent->rect()));
    }
    return areas;
  }

  void setPlacement(const FramePlacement& placement) override {
    seen_.minimizedPosition = placement.minimizedPosition;
    seen_.maximizedPosition = placement.maximizedPosition;
    if (!widget_) return;
    const QRect outer(placement.normal.left, placement.normal.top,
                      static_cast<int>(placement.normal.width()),
                      static_cast<int>(placement.normal.height()));
    if (widget_->isWindow()) {
      placeFrame(outer);
      // Until the window manager has put its border around the window, the border is not
      // known: the frame is placed again, once, as soon as it is.
      if (!frameKnown()) pendingFrame_ = outer;
    } else {
      widget_->setGeometry(outer);
    }
    follow();
  }

  // Places a frame kept back until the window's border became known, once the window stands
  // normal: a window restored maximized gets its normal frame when it is first made normal and
  // the window manager has put it back from the maximized frame (whose border differs).
  void placePendingFrame() {
    if (!pendingFrame_ || !widget_ || !frameKnown()) return;
    if (widget_->windowState() &
        (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)) {
      maximizedFrame_ = widget_->frameGeometry();
      return;
    }
    if (widget_->frameGeometry() == maximizedFrame_) return;
    const QRect outer = *pendingFrame_;
    pendingFrame_.reset();
    placeFrame(outer);
  }

  void setShowState(ShowState state) override {
    if (!widget_) return;
    switch (state) {
      case ShowState::Normal:
        if (widget_->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))
          widget_->showNormal();
        break;
      case ShowState::Minimized:
        widget_->showMinimized();
        break;
      case ShowState::Maximized:
        widget_->showMaximized();
        break;
    }
    follow();
  }

  void minimizeApplication() override {
    // The main window is the program's only top-level window: minimizing it minimizes the
    // program.
    if (widget_) widget_->showMinimized();
    follow();
  }

 private:
  // While the window manager is still putting its frame around the window, the frame the
  // platform reports may not hold the window yet.
  bool frameKnown() const {
    const QRect frame = widget_->frameGeometry();
    const QRect inner = widget_->geometry();
    return widget_->isVisible() && frame != inner && frame.contains(inner);
  }

  void placeFrame(const QRect& outer) {
    // The inside of the frame, placed as such: a position that includes the border would be
    // taken from Qt's own idea of the border, which lags behind the window manager's.
    const QRect frame = widget_->frameGeometry();
    const QRect inner = widget_->geometry();
    const QMargins border(inner.left() - frame.left(), inner.top() - frame.top(),
                          frame.right() - inner.right(), frame.bottom() - inner.bottom());
    widget_->setGeometry(outer.marginsRemoved(border));
  }

  QPointer<QWidget> widget_;
  FramePlacement seen_;
  ScreenMetrics metrics_;
  std::optional<QRect> pendingFrame_;
  QRect maximizedFrame_;
};

WindowSettings::WindowSettings(WindowPlacement placement, MessageBoxes* messages)
    : placement_(std::move(placement)), messages_(messages) {}

WindowSettings::~WindowSettings() = default;

void WindowSettings::report(const QString& text) const {
  if (messages_ != nullptr) messages_->error(nullptr, text);
}

void WindowSettings::restore(QWidget* outer) {
  if (placed_ || outer == nullptr) return;
  placed_ = std::make_unique<PlacedWidget>(outer);
  IniFile settings;
  try {
    const QString path =
        settingsFolder() + QLatin1Char('/') + QString::fromStdString(placement_.fileName());
    // An absent file is the first run, no failure.
    if (QFileInfo::exists(path)) {
      const std::vector<std::uint8_t> bytes = readWholeFile(localName(path));
      settings = IniFile::parse(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
  } catch (const std::exception& e) {
    report(QString::fromStdString(e.what()));
  }
  placement_.restore(settings, *placed_);
  outer->installEventFilter(this);
}

void WindowSettings::save() {
  if (placed_) placed_->follow();
  write();
}

void WindowSettings::saveAsLastSeen() {
  write();
}

void WindowSettings::write() {
  if (saved_ || !placed_) return;
  saved_ = true;
  try {
    const QString folder = settingsFolder();
    // A folder that cannot be made shows as the write's own failure below.
    QDir().mkpath(folder);
    const QString path = folder + QLatin1Char('/') + QString::fromStdString(placement_.fileName());
    // The other lines of the file, and the sections of other windows, stay as they are.
    IniFile settings;
    if (QFileInfo::exists(path)) {
      const std::vector<std::uint8_t> bytes = readWholeFile(localName(path));
      settings = IniFile::parse(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    placement_.save(settings, *placed_);
    writeWholeFile(localName(path), settings.text());
  } catch (const std::exception& e) {
    report(QString::fromStdString(e.what()));
  }
}

bool WindowSettings::eventFilter(QObject* watched, QEvent* event) {
  if (placed_ && watched == placed_->widget()) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::WindowStateChange:
      case QEvent::Show:
        placed_->placePendingFrame();
        placed_->follow();
        break;
      // A window manager that keeps the window where it asked to be adds its border without
      // moving or resizing it: the first paint is when the border is known.
      case QEvent::Paint:
      case QEvent::WindowActivate:
        placed_->placePendingFrame();
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace kestrel::app
