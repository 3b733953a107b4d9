#include "WindowManagerHints.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace kestrel::app {

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};

xcb_atom_t atomNamed(xcb_connection_t* connection, const char* name) {
  const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> reply(xcb_intern_atom_reply(
      connection,
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
      nullptr));
  return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The bytes of a window's property, or nothing when it has none of that type.
std::string propertyOf(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t name,
                       xcb_atom_t type) {
  const std::unique_ptr<xcb_get_property_reply_t, FreeReply> reply(xcb_get_property_reply(
      connection, xcb_get_property(connection, 0, window, name, type, 0, 64), nullptr));
  if (!reply || reply->type != type) return {};
  const auto* bytes = static_cast<const char*>(xcb_get_property_value(reply.get()));
  return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

// The name the running window manager gives itself, as the window it checks in with says.
std::string windowManagerName(xcb_connection_t* connection) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
  if (screen == nullptr) return {};
  const std::string check = propertyOf(
      connection, screen->root, atomNamed(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
  if (check.size() != sizeof(xcb_window_t)) return {};
  xcb_window_t window = 0;
  std::memcpy(&window, check.data(), sizeof window);
  return propertyOf(connection, window, atomNamed(connection, "_NET_WM_NAME"),
                    atomNamed(connection, "UTF8_STRING"));
}

}  // namespace

void keepOnlyTheCloseBox(QWidget& dialog) {
  // Only on an X server: other platforms (offscreen among them) have no window manager to ask.
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
  if (connection == nullptr || windowManagerName(connection) != "Openbox") return;
  const xcb_atom_t toolbar = atomNamed(connection, "_NET_WM_WINDOW_TYPE_TOOLBAR");
  xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(dialog.winId()),
                      atomNamed(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &toolbar);
  xcb_flush(connection);
}

}  // namespace kestrel::app
