#include "window/qt_x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>

namespace delaysub::window {

namespace {

template <class Reply>
using ReplyPtr = std::unique_ptr<Reply, decltype(&std::free)>;

}  // namespace

void keepOutOfTaskBar(QWidget* window) {
  if (QGuiApplication::platformName() != QLatin1String("xcb") || !window->isWindow()) {
    return;
  }
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
  if (!connection) {
    return;
  }
  const auto id = static_cast<xcb_window_t>(window->winId());
  constexpr std::array<std::string_view, 2> kNames = {"_NET_WM_STATE",
                                                      "_NET_WM_STATE_SKIP_TASKBAR"};
  std::array<xcb_intern_atom_cookie_t, 2> cookies{};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    cookies[i] = xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(kNames[i].size()),
                                 kNames[i].data());
  }
  std::array<xcb_atom_t, 2> atoms{};
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    const ReplyPtr<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(connection, cookies[i], nullptr), &std::free);
    if (!reply) {
      return;
    }
    atoms[i] = reply->atom;
  }
  const auto [state, skipTaskBar] = atoms;
  // The states already set stay; the hint is added once.
  const ReplyPtr<xcb_get_property_reply_t> current(
      xcb_get_property_reply(
          connection, xcb_get_property(connection, 0, id, state, XCB_ATOM_ATOM, 0, 1024), nullptr),
      &std::free);
  if (current && current->format == 32) {
    const auto* held = static_cast<const xcb_atom_t*>(xcb_get_property_value(current.get()));
    for (std::uint32_t i = 0; i < current->value_len; ++i) {
      if (held[i] == skipTaskBar) {
        return;
      }
    }
  }
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, id, state, XCB_ATOM_ATOM, 32, 1,
                      &skipTaskBar);
  xcb_flush(connection);
}

}  // namespace delaysub::window
