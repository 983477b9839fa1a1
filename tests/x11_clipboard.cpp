#include "x11_clipboard.h"

#include <poll.h>

#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <cstdlib>

namespace delaysub::window::test_support {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
  const auto cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData());
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

ForeignOwner::ForeignOwner(const QList<QByteArray>& formats, QByteArray bytes)
    : connection_(xcb_connect(nullptr, nullptr)), bytes_(std::move(bytes)) {
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data;
  window_ = xcb_generate_id(connection_);
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  targets_ = internAtom(connection_, "TARGETS");
  for (const QByteArray& format : formats) {
    formats_.push_back(internAtom(connection_, format));
  }
  for (xcb_atom_t selection :
       {internAtom(connection_, "CLIPBOARD"), xcb_atom_t(XCB_ATOM_PRIMARY)}) {
    xcb_set_selection_owner(connection_, window_, selection, XCB_CURRENT_TIME);
  }
  xcb_flush(connection_);
  thread_ = std::thread([this] { serve(); });
}

ForeignOwner::~ForeignOwner() {
  stop_ = true;
  thread_.join();
  xcb_disconnect(connection_);
}

void ForeignOwner::serve() {
  pollfd events{xcb_get_file_descriptor(connection_), POLLIN, 0};
  while (!stop_) {
    poll(&events, 1, 20);
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
        answer(*reinterpret_cast<xcb_selection_request_event_t*>(event));
      }
      free(event);
    }
  }
}

void ForeignOwner::answer(const xcb_selection_request_event_t& request) {
  xcb_selection_notify_event_t notify{};
  notify.response_type = XCB_SELECTION_NOTIFY;
  notify.time = request.time;
  notify.requestor = request.requestor;
  notify.selection = request.selection;
  notify.target = request.target;
  notify.property = XCB_ATOM_NONE;
  const xcb_atom_t property = request.property != XCB_ATOM_NONE ? request.property : request.target;
  if (request.target == targets_) {
    QList<xcb_atom_t> offered = formats_;
    offered.prepend(targets_);
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(offered.size()),
                        offered.constData());
    notify.property = property;
  } else if (formats_.contains(request.target)) {
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, request.requestor, property,
                        request.target, 8, static_cast<std::uint32_t>(bytes_.size()),
                        bytes_.constData());
    notify.property = property;
  }
  xcb_send_event(connection_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&notify));
  xcb_flush(connection_);
}

QStringList ClipboardStates::formats(QClipboard::Mode mode) {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
  return data ? data->formats() : QStringList();
}

bool ClipboardStates::prepare(Clipboard state, const QByteArray& text) {
  owner_.reset();
  QClipboard* clipboard = QGuiApplication::clipboard();
  for (QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
    if (mode == QClipboard::Clipboard ? clipboard->ownsClipboard() : clipboard->ownsSelection()) {
      clipboard->clear(mode);
    }
  }
  QList<QByteArray> foreign;
  switch (state) {
    case Clipboard::NoOwner:
      break;
    case Clipboard::OwnerGone:
      owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{"UTF8_STRING", "text/plain"});
      if (!QTest::qWaitFor([] { return formats(QClipboard::Clipboard).contains("text/plain"); })) {
        return false;
      }
      owner_.reset();
      break;
    case Clipboard::ForeignNoFormat:
      owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{});
      foreign = {"TARGETS"};
      break;
    case Clipboard::ForeignImage:
      owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{"image/png"}, "\x89PNG");
      foreign = {"TARGETS", "image/png"};
      break;
    case Clipboard::ForeignUnknown:
      owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{"application/x-unknown"}, "?");
      foreign = {"TARGETS", "application/x-unknown"};
      break;
    case Clipboard::ForeignText:
      owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{"UTF8_STRING"}, text);
      foreign = {"TARGETS", "text/plain"};
      break;
  }
  // Qt learns of the new owner through the server.
  return QTest::qWaitFor([&foreign] {
    for (QClipboard::Mode mode : {QClipboard::Clipboard, QClipboard::Selection}) {
      const QStringList known = formats(mode);
      if (known.isEmpty() != foreign.isEmpty()) {
        return false;
      }
      for (const QByteArray& format : foreign) {
        if (!known.contains(QString::fromLatin1(format))) {
          return false;
        }
      }
    }
    return true;
  });
}

}  // namespace delaysub::window::test_support
