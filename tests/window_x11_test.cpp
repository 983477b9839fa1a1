// The window on an X server (Xvfb, the xcb platform): pasting and dropping
// into every box whatever the clipboard holds, or when it has no owner at all,
// and the hints that the window gives the window manager. The offscreen
// platform has neither clipboard owners nor window properties.
#include <poll.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "window/qt_window.h"
#include "window/run_counts.h"

using delaysub::window::DelaySubWindow;

namespace {

xcb_atom_t internAtom(xcb_connection_t* connection, const QByteArray& name) {
  const auto cookie =
      xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.constData());
  std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
      xcb_intern_atom_reply(connection, cookie, nullptr), &free);
  return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

// Another X client that holds the clipboard and the primary selection and
// offers the same bytes in the given formats only, answering from its own
// thread; it quits (leaving both without an owner) when destroyed.
class ForeignOwner {
 public:
  explicit ForeignOwner(const QList<QByteArray>& formats, QByteArray bytes = {})
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
  ~ForeignOwner() {
    stop_ = true;
    thread_.join();
    xcb_disconnect(connection_);
  }
  ForeignOwner(const ForeignOwner&) = delete;
  ForeignOwner& operator=(const ForeignOwner&) = delete;

 private:
  void serve() {
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

  void answer(const xcb_selection_request_event_t& request) {
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = XCB_ATOM_NONE;
    const xcb_atom_t property =
        request.property != XCB_ATOM_NONE ? request.property : request.target;
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

enum class Way { CtrlV, ShiftInsert, ContextMenu, MiddleClick, Drop };

constexpr char kPasted[] = "NOP";

}  // namespace

Q_DECLARE_METATYPE(Clipboard)
Q_DECLARE_METATYPE(Way)

class X11WindowTest : public QObject {
  Q_OBJECT

 private:
  delaysub::window::RunCounter ran_;  // outlives the window it counts for
  std::unique_ptr<DelaySubWindow> window_;
  std::unique_ptr<ForeignOwner> owner_;

  // The formats that Qt reports for the clipboard and the selection.
  static QStringList formats(QClipboard::Mode mode) {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData(mode);
    return data ? data->formats() : QStringList();
  }

  // Leaves the clipboard and the selection in the state, as another program
  // would (this one never owns them here: a row that copies inside the
  // program would change the state for the rows after it).
  bool prepare(Clipboard state, const QByteArray& text = kPasted) {
    owner_.reset();
    QList<QByteArray> foreign;
    switch (state) {
      case Clipboard::NoOwner:
        break;
      case Clipboard::OwnerGone:
        owner_ = std::make_unique<ForeignOwner>(QList<QByteArray>{"UTF8_STRING", "text/plain"});
        if (!QTest::qWaitFor(
                [] { return formats(QClipboard::Clipboard).contains("text/plain"); })) {
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

  // Pastes the way a user does into the box.
  static void paste(QWidget* box, Way way) {
    auto* area = qobject_cast<QTextEdit*>(box);
    QWidget* target = area ? area->viewport() : box;
    switch (way) {
      case Way::CtrlV:
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
      case Way::ShiftInsert:
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
        break;
      case Way::MiddleClick:
        QTest::mouseClick(target, Qt::MiddleButton, {}, QPoint(target->width() - 2, 4));
        break;
      case Way::ContextMenu: {
        // Picks Paste in the menu when it is offered, then closes the menu.
        QTimer picker;
        QObject::connect(&picker, &QTimer::timeout, [&picker] {
          auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          if (!menu) {
            return;
          }
          picker.stop();
          for (QAction* action : menu->actions()) {
            if (action->text().remove(u'&').startsWith(QStringLiteral("Paste")) &&
                action->isEnabled()) {
              action->trigger();
            }
          }
          menu->close();
        });
        picker.start(10);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(4, 4),
                                target->mapToGlobal(QPoint(4, 4)));
        QApplication::sendEvent(target, &event);
        QVERIFY(QTest::qWaitFor([&picker] { return !picker.isActive(); }));
        break;
      }
      case Way::Drop: {
        // The data dragged in is of the same kind as the clipboard's.
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        const QPoint at(target->width() - 2, 4);
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &move);
        QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
        break;
      }
    }
  }

  static QString textOf(QWidget* box) {
    if (auto* area = qobject_cast<QTextEdit*>(box)) {
      return area->toPlainText();
    }
    return qobject_cast<QLineEdit*>(box)->text();
  }

 private slots:
  void initTestCase() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    window_ = std::make_unique<DelaySubWindow>(&ran_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanupTestCase() {
    owner_.reset();
    window_.reset();
  }

  void pasteTakesTextOnly_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("editable");
    QTest::addColumn<Clipboard>("state");
    QTest::addColumn<Way>("way");
    const struct {
      const char* name;
      int index;
      bool editable;
    } boxes[] = {{"Text1", 4, true},   {"Text1", 1, true},   {"Text2", -1, true},
                 {"Combo0", -1, true}, {"Combo1", -1, true}, {"Text1", 3, false},
                 {"Text1", 0, false}};
    const std::pair<Clipboard, const char*> states[] = {
        {Clipboard::NoOwner, "no owner"},
        {Clipboard::OwnerGone, "owner gone"},
        {Clipboard::ForeignNoFormat, "no format"},
        {Clipboard::ForeignImage, "image only"},
        {Clipboard::ForeignUnknown, "unknown format"},
        {Clipboard::ForeignText, "text"}};
    const std::pair<Way, const char*> ways[] = {{Way::CtrlV, "Ctrl+V"},
                                                {Way::ShiftInsert, "Shift+Insert"},
                                                {Way::ContextMenu, "context menu"},
                                                {Way::MiddleClick, "middle click"},
                                                {Way::Drop, "drop"}};
    for (const auto& box : boxes) {
      for (const auto& [state, stateName] : states) {
        for (const auto& [way, wayName] : ways) {
          const QString box_name = box.index < 0
                                       ? QString::fromLatin1(box.name)
                                       : QStringLiteral("%1(%2)").arg(box.name).arg(box.index);
          QTest::addRow("%s, %s, %s", qPrintable(box_name), stateName, wayName)
              << QString::fromLatin1(box.name) << box.index << box.editable << state << way;
        }
      }
    }
  }
  void pasteTakesTextOnly() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(bool, editable);
    QFETCH(Clipboard, state);
    QFETCH(Way, way);
    QVERIFY(prepare(state));
    QWidget* control = window_->control(name.toStdString(), index);
    auto* combo = qobject_cast<QComboBox*>(control);
    QWidget* box = combo ? combo->lineEdit() : control;
    box->setFocus();
    const QString before = textOf(box);
    paste(box, way);
    const QString after = textOf(box);
    if (editable && state == Clipboard::ForeignText) {
      QCOMPARE(after.size(), before.size() + 3);
      QVERIFY(after.contains(QString::fromLatin1(kPasted)));
    } else {
      QCOMPARE(after, before);
    }
  }

  // A paste of several lines into the template box: every line break kept,
  // every line at the box's line height, one change event.
  void pastingLinesIntoTheTemplate_data() {
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("expected");
    QTest::newRow("LF") << "MOV A,#1\nNOP\n"
                        << "MOV A,#1\nNOP\n";
    QTest::newRow("CR LF") << "MOV A,#1\r\nNOP\r\n\r\n"
                           << "MOV A,#1\nNOP\n\n";
  }
  void pastingLinesIntoTheTemplate() {
    QFETCH(QString, pasted);
    QFETCH(QString, expected);
    QVERIFY(prepare(Clipboard::ForeignText, pasted.toUtf8()));
    auto* box = qobject_cast<QTextEdit*>(window_->control("Text1", 4));
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Home, Qt::ControlModifier);
    const QString before = box->toPlainText();
    auto& form = window_->form();
    const int changes = ran_.Text1_Change;
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->toPlainText(), expected + before);
    QCOMPARE(ran_.Text1_Change, changes + 1);
    QCOMPARE(QString::fromStdString(form.Text1(4).text()),
             QString(expected + before).replace(u'\n', QStringLiteral("\r\n")));
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
      QCOMPARE(block.blockFormat().lineHeight(), qreal(DelaySubWindow::kLineHeight));
    }
  }

  // The window is kept out of the task bar by a state that must be in place
  // when the window is mapped, and is given once however often it is shown.
  void windowStaysOutOfTheTaskBar() {
    DelaySubWindow window;
    const auto id = static_cast<xcb_window_t>(window.winId());
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(nullptr, nullptr), &xcb_disconnect);
    xcb_connection_t* x = connection.get();
    QVERIFY(!xcb_connection_has_error(x));
    const xcb_atom_t state = internAtom(x, "_NET_WM_STATE");
    const xcb_atom_t skipTaskBar = internAtom(x, "_NET_WM_STATE_SKIP_TASKBAR");
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, id, XCB_CW_EVENT_MASK, &mask);
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));  // applied now

    // The events of the first show, in order: the state comes before the map.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    free(xcb_get_input_focus_reply(x, xcb_get_input_focus(x), nullptr));
    int stateAt = -1, mappedAt = -1;
    for (int n = 0; xcb_generic_event_t* event = xcb_poll_for_event(x); ++n) {
      const int type = event->response_type & 0x7f;
      if (type == XCB_PROPERTY_NOTIFY &&
          reinterpret_cast<xcb_property_notify_event_t*>(event)->atom == state && stateAt < 0) {
        stateAt = n;
      }
      if (type == XCB_MAP_NOTIFY && mappedAt < 0) {
        mappedAt = n;
      }
      free(event);
    }
    QVERIFY(mappedAt >= 0);
    QVERIFY(stateAt >= 0);
    QVERIFY(stateAt < mappedAt);

    const auto statesNow = [&] {
      QList<xcb_atom_t> states;
      std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
          xcb_get_property_reply(x, xcb_get_property(x, 0, id, state, XCB_ATOM_ATOM, 0, 64),
                                 nullptr),
          &free);
      if (reply && reply->format == 32) {
        const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
        states = QList<xcb_atom_t>(atoms, atoms + reply->value_len);
      }
      return states;
    };
    QCOMPARE(statesNow().count(skipTaskBar), 1);
    window.hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(statesNow().count(skipTaskBar), 1);
  }
};

int main(int argc, char* argv[]) {
  // A private runtime directory keeps Qt from complaining about a shared one.
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  QApplication app(argc, argv);
  QApplication::setFont(DelaySubWindow::windowFont());
  X11WindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "window_x11_test.moc"
