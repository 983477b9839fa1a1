// The window on an X server (Xvfb, the xcb platform): pasting and dropping
// into every box whatever the clipboard holds, or when it has no owner at all,
// and the hints that the window gives the window manager. The offscreen
// platform has neither clipboard owners nor window properties.
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
#include <memory>

#include "window/qt_window.h"
#include "window/run_counts.h"
#include "window_test_support.h"
#include "x11_clipboard.h"

using delaysub::window::DelaySubWindow;
using delaysub::window::test_support::Clipboard;
using delaysub::window::test_support::ClipboardStates;
using delaysub::window::test_support::internAtom;

namespace {

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
  // The clipboard is left in each state as another program would leave it
  // (this one never owns it here: a row that copies inside the program would
  // change the state for the rows after it).
  ClipboardStates clipboard_;

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
    clipboard_.release();
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
    QVERIFY(clipboard_.prepare(state, kPasted));
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
    QVERIFY(clipboard_.prepare(Clipboard::ForeignText, pasted.toUtf8()));
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
  return delaysub::window::test_support::runWindowTest<X11WindowTest>(argc, argv);
}

#include "window_x11_test.moc"
