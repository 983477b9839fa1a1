// The clipboard states of an X server for the window tests on Xvfb: another
// X client that owns the clipboard and the primary selection and offers what
// a test asks, and a way to leave both in a known state before a paste.
#pragma once

#include <xcb/xcb.h>

#include <QByteArray>
#include <QClipboard>
#include <QList>
#include <atomic>
#include <memory>
#include <thread>

namespace delaysub::window::test_support {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name);

// Another X client that holds the clipboard and the primary selection and
// offers the same bytes in the given formats only, answering from its own
// thread; it quits (leaving both without an owner) when destroyed.
class ForeignOwner {
 public:
  explicit ForeignOwner(const QList<QByteArray>& formats, QByteArray bytes = {});
  ~ForeignOwner();
  ForeignOwner(const ForeignOwner&) = delete;
  ForeignOwner& operator=(const ForeignOwner&) = delete;

 private:
  void serve();
  void answer(const xcb_selection_request_event_t& request);

  xcb_connection_t* connection_;
  QByteArray bytes_;
  xcb_window_t window_ = 0;
  xcb_atom_t targets_ = 0;
  QList<xcb_atom_t> formats_;
  std::atomic<bool> stop_ = false;
  std::thread thread_;
};

// What the clipboard and the primary selection hold when the paste comes.
enum class Clipboard {
  NoOwner,          // as after a new login
  OwnerGone,        // another program offered text, then quit
  ForeignNoFormat,  // another program holds them but offers no format
  ForeignImage,     // another program offers an image only
  ForeignUnknown,   // another program offers a format nobody knows
  ForeignText,      // another program offers text
};

// Puts the clipboard and the primary selection in a state, as another
// program would; this program lets go of them first.
class ClipboardStates {
 public:
  // False when Qt did not learn of the new state in time.
  bool prepare(Clipboard state, const QByteArray& text);
  // The other program quits.
  void release() { owner_.reset(); }

  // The formats that Qt reports for the clipboard or the selection.
  static QStringList formats(QClipboard::Mode mode);

 private:
  std::unique_ptr<ForeignOwner> owner_;
};

}  // namespace delaysub::window::test_support
