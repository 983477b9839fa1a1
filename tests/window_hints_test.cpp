// The hints of the Qt window on the offscreen platform: the tooltips and
// accessible descriptions of the baud result box and the seed box, the error
// report with the seed range, and the template box's entry that copies the
// template with the seed filled in.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <memory>

#include "design/template.h"
#include "form_test_support.h"
#include "window/qt_text.h"
#include "window/qt_window.h"
#include "window/run_counts.h"
#include "window_test_support.h"

using delaysub::window::DelaySubForm;
using delaysub::window::DelaySubWindow;
using delaysub::window::RunCounter;
using delaysub::window::RunCounts;
using delaysub::window::toQt;

namespace {

// What the template box's context menu offered, and what a click on the
// copy entry put on the clipboard.
struct MenuSeen {
  bool opened = false;
  QString caption;
  bool enabled = false;
  QStringList entries;
};

}  // namespace

class WindowHintsTest : public QObject {
  Q_OBJECT

  RunCounter ran_;  // declared first: outlives every window it counts for
  std::unique_ptr<DelaySubWindow> window_;

 private:
  template <class W = QWidget>
  W* widget(const char* name, int index = -1) {
    return delaysub::window::test_support::widgetOf<W>(*window_, name, index);
  }

  // The user clicks the button (nothing happens when it is hidden, as with
  // the SMOD buttons for AVR).
  void click(const char* name, int index) {
    auto* button = widget<QRadioButton>(name, index);
    if (button->isVisibleTo(window_.get())) {
      QTest::mouseClick(button, Qt::LeftButton);
    }
  }

  // The user selects the box's text and types the new one key by key.
  static void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

  void seed(const QString& text) { retype(widget<QLineEdit>("Text1", 1), text); }

  // Both the tooltip and the accessible description, which must agree.
  static QString hintOf(QWidget* widget) {
    const QString description =
        QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
    return description == widget->toolTip() ? description
                                            : QStringLiteral("tooltip '%1' but description '%2'")
                                                  .arg(widget->toolTip(), description);
  }

  // Opens the template box's menu the way the event names ("key": the menu
  // key's request to the box; "shiftF10"; "mouse": a right click's request to
  // the viewport), clicks the copy entry when it is enabled and closes it.
  MenuSeen openTemplateMenu(const QString& how) {
    auto* box = widget<QTextEdit>("Text1", 4);
    box->setFocus();
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
      // The offscreen platform cannot raise the menu or grab the keyboard.
      QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
      QTest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
    }
    MenuSeen seen;
    QTimer::singleShot(0, this, [&seen] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) {
        return;
      }
      seen.opened = true;
      for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
          continue;
        }
        seen.entries << action->text();
        if (action->objectName() == QLatin1String("edit-copy-seeded")) {
          seen.caption = action->text();
          seen.enabled = action->isEnabled();
          if (action->isEnabled()) {
            action->trigger();
          }
        }
      }
      menu->close();
    });
    const QPoint inside = box->cursorRect().center();
    if (how == QLatin1String("shiftF10")) {
      QTest::keyClick(box, Qt::Key_F10, Qt::ShiftModifier);
    } else if (how == QLatin1String("mouse")) {
      QContextMenuEvent request(QContextMenuEvent::Mouse, inside,
                                box->viewport()->mapToGlobal(inside));
      QApplication::sendEvent(box->viewport(), &request);
    } else {
      QContextMenuEvent request(QContextMenuEvent::Keyboard, box->viewport()->mapTo(box, inside),
                                box->viewport()->mapToGlobal(inside));
      QApplication::sendEvent(box, &request);
    }
    return seen;
  }

 private slots:
  void init() {
    static_cast<RunCounts&>(ran_) = RunCounts{};
    window_ = std::make_unique<DelaySubWindow>(&ran_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() { window_.reset(); }

  // The hints observe the form: the start-up runs exactly what the bare
  // form's start-up runs.
  void startUpRunsNoMoreHandlers() {
    RunCounter bare;
    DelaySubForm form(&bare);
    delaysub::window::test_support::start(form);
    QCOMPARE(ran_, static_cast<const RunCounts&>(bare));
    QCOMPARE(ran_.BPS, 3);
    QCOMPARE(ran_.Text1_Change, 3);
    QCOMPARE(widget<QLineEdit>("Text2")->text(), QStringLiteral("不可实现"));
  }

  void baudHint_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<QString>("crystal");  // typed; null keeps the pick of 12 MHz
    QTest::addColumn<QString>("baud");     // typed; null keeps 9600
    QTest::addColumn<int>("smod");
    QTest::addColumn<QString>("result");  // the result box, which the hint leaves alone
    QTest::addColumn<QString>("hint");
    const QString at12MHz9600 = QStringLiteral(
        "最接近 9600 bps 的初装值：\n"
        "SMOD=0：TH1 = 0FDH，10416.67 bps，+8.51 %，超出 ±2 %\n"
        "SMOD=1：TH1 = 0F9H，8928.57 bps，-6.99 %，超出 ±2 %（最佳）");
    QTest::newRow("MCS-51, 12 MHz, 9600, as started")
        << 0 << QString() << QString() << 0 << QStringLiteral("不可实现") << at12MHz9600;
    QTest::newRow("W77E58, 12 MHz, 9600, SMOD 1")
        << 2 << QString() << QString() << 1 << QStringLiteral("不可实现") << at12MHz9600;
    QTest::newRow("MCS-51, 11.0592 MHz, 9600 exact")
        << 0 << QStringLiteral("11.0592MHz") << QString() << 0 << QStringLiteral("TH1 = 0FDH")
        << QStringLiteral(
               "最接近 9600 bps 的初装值：\n"
               "SMOD=0：TH1 = 0FDH，9600.00 bps，+0.00 %，在 ±2 % 之内（最佳）\n"
               "SMOD=1：TH1 = 0FAH，9600.00 bps，+0.00 %，在 ±2 % 之内");
    QTest::newRow("AVR, 16 MHz, 115200")
        << 1 << QStringLiteral("16 MHz") << QStringLiteral("115200") << 0
        << QStringLiteral("UBRR = 08H")
        << QStringLiteral(
               "最接近 115200 bps 的初装值：\n"
               "U2X=0：UBRR = 08H，111111.11 bps，-3.55 %，超出 ±2 %\n"
               "U2X=1：UBRR = 10H，117647.06 bps，+2.12 %，超出 ±2 %（最佳）");
    // The result box keeps the text of the last clean run.
    QTest::newRow("baud 0") << 0 << QString() << QStringLiteral("0") << 0
                            << QStringLiteral("不可实现")
                            << QStringLiteral("波特率读作 0，算不出初装值。");
    QTest::newRow("crystal 0") << 0 << QStringLiteral("0") << QString() << 0
                               << QStringLiteral("不可实现")
                               << QStringLiteral("晶振频率读作 0，算不出初装值。");
    QTest::newRow("AVR, crystal 0")
        << 1 << QStringLiteral("0 MHz") << QString() << 0 << QStringLiteral("不可实现")
        << QStringLiteral("晶振频率读作 0，算不出初装值。");
    QTest::newRow("run-time error")
        << 0 << QString() << QStringLiteral("1e300") << 0 << QStringLiteral("不可实现")
        << QStringLiteral("运行时错误 6：溢出，算不出初装值。");
  }
  void baudHint() {
    QFETCH(int, core);
    QFETCH(QString, crystal);
    QFETCH(QString, baud);
    QFETCH(int, smod);
    QFETCH(QString, result);
    QFETCH(QString, hint);
    click("Option0", core);
    if (!crystal.isNull()) {
      retype(widget<QComboBox>("Combo0")->lineEdit(), crystal);
    }
    if (!baud.isNull()) {
      retype(widget<QComboBox>("Combo1")->lineEdit(), baud);
    }
    click("Option1", smod);
    auto* box = widget<QLineEdit>("Text2");
    QCOMPARE(hintOf(box), hint);
    QCOMPARE(box->text(), result);
    QCOMPARE(toQt(window_->form().Text2.text()), result);
  }

  // Each event that recomputes the result box brings the hint with it.
  void baudHintFollowsEveryEvent() {
    auto* box = widget<QLineEdit>("Text2");
    auto* baud = widget<QComboBox>("Combo1")->lineEdit();
    const QString at9600 = hintOf(box);
    baud->setFocus();
    baud->end(false);
    QTest::keyClick(baud, Qt::Key_Backspace);  // "960"
    QVERIFY(hintOf(box).startsWith(QStringLiteral("最接近 960 bps")));
    QTest::keyClick(baud, Qt::Key_Backspace);
    QTest::keyClick(baud, Qt::Key_Backspace);
    QTest::keyClick(baud, Qt::Key_Backspace);  // ""
    QCOMPARE(hintOf(box), QStringLiteral("波特率读作 0，算不出初装值。"));
    QTest::keyClicks(baud, QStringLiteral("9600"));
    QCOMPARE(hintOf(box), at9600);
    click("Option0", 1);
    QVERIFY(hintOf(box).contains(QStringLiteral("U2X=0：UBRR = 4DH，9615.38 bps，+0.16 %")));
    click("Option0", 0);
    QCOMPARE(hintOf(box), at9600);
    // Typing into the result box itself leaves its hint alone.
    retype(box, QStringLiteral("abc"));
    QCOMPARE(hintOf(box), at9600);
  }

  void seedHint_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<int>("nesting");
    QTest::addColumn<QString>("range");
    const char* cores[] = {"MCS-51", "AVR", "W77E58"};
    const char* nestings[] = {"单循环", "二循环", "三循环"};
    const char* ranges[3][3] = {{"-89478487..89478483", "-13380..13373", "-1024..1023"},
                                {"-89478487..89478483", "-13380..13373", "-1024..1023"},
                                {"-134217729..134217726", "-16386..16381", "-1024..1023"}};
    for (int core = 0; core < 3; ++core) {
      for (int nesting = 0; nesting < 3; ++nesting) {
        QTest::addRow("%s %d", cores[core], nesting + 1)
            << core << nesting
            << QStringLiteral("%1 %2能计算的种子 X：%3")
                   .arg(QString::fromUtf8(cores[core]), QString::fromUtf8(nestings[nesting]),
                        QString::fromUtf8(ranges[core][nesting]));
      }
    }
  }
  void seedHint() {
    QFETCH(int, core);
    QFETCH(int, nesting);
    QFETCH(QString, range);
    // The nesting first, then the core: the hint follows either.
    click("Option2", nesting);
    click("Option0", core);
    QCOMPARE(hintOf(widget("Text1", 1)),
             range + QStringLiteral("\n延时子程序的计数器 BYT_DLY 只有一字节，存 0..255"));
    click("Option2", (nesting + 1) % 3);
    QVERIFY(!hintOf(widget("Text1", 1)).contains(range));
  }

  void seedOverflowReport_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<int>("nesting");
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("report");
    QTest::newRow("triple, 1024")
        << 0 << 2 << QStringLiteral("1024")
        << QStringLiteral("运行时错误 6：溢出（三循环的种子 X 须在 -1024..1023 之内）");
    QTest::newRow("AVR single, beyond 32 bits")
        << 1 << 0 << QStringLiteral("99999999999")
        << QStringLiteral("运行时错误 6：溢出（单循环的种子 X 须在 -89478487..89478483 之内）");
    QTest::newRow("inside the range") << 0 << 2 << QStringLiteral("1023") << QString();
  }
  void seedOverflowReport() {
    QFETCH(int, core);
    QFETCH(int, nesting);
    QFETCH(QString, seed);
    QFETCH(QString, report);
    click("Option0", core);
    click("Option2", nesting);
    this->seed(seed);
    QCOMPARE(window_->errorReport()->text(), report);
    QCOMPARE(window_->errorReport()->isHidden(), report.isEmpty());
  }

  void copySeeded_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("menu key") << QStringLiteral("key");
    QTest::newRow("Shift+F10") << QStringLiteral("shiftF10");
    QTest::newRow("right click") << QStringLiteral("mouse");
  }
  void copySeeded() {
    QFETCH(QString, how);
    seed(QStringLiteral("100"));
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    auto* box = widget<QTextEdit>("Text1", 4);
    const QString shown = box->toPlainText();
    const RunCounts before = ran_;
    const MenuSeen seen = openTemplateMenu(how);
    QVERIFY(seen.opened);
    QCOMPARE(seen.caption, QStringLiteral("复制（代入 X）"));
    QVERIFY(seen.enabled);
    // Right after the box's own Copy entry.
    const qsizetype at = seen.entries.indexOf(seen.caption);
    QVERIFY(at > 0);
    QVERIFY(seen.entries[at - 1].contains(QStringLiteral("Copy")));
    const QString copied = QGuiApplication::clipboard()->text();
    QCOMPARE(copied,
             toQt(delaysub::design::seededTemplate(delaysub::core::Core::Mcs51,
                                                   delaysub::core::Nesting::Single, 12.0f, 100)
                      .value));
    QVERIFY(copied.startsWith(
        QStringLiteral("; BYT_DLY = 64H (100): T = 204 uS at 12 MHz, MCS-51, single loop\r\n"
                       "WAIT:    MOV     BYT_DLY,#64H\r\n        LCALL   DELAY1\r\n")));
    QVERIFY(!copied.contains(QLatin1Char('\n')) ||
            copied.count(QLatin1Char('\n')) == copied.count(QStringLiteral("\r\n")));
    // The box, the form and the handlers are left alone.
    QCOMPARE(box->toPlainText(), shown);
    QCOMPARE(ran_, before);
  }

  // The template as the user edited it is what is copied.
  void copySeededOfAnEditedTemplate() {
    seed(QStringLiteral("200"));
    auto* box = widget<QTextEdit>("Text1", 4);
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("        MOV     R7,#X"));
    const MenuSeen seen = openTemplateMenu(QStringLiteral("key"));
    QVERIFY(seen.enabled);
    const QString copied = QGuiApplication::clipboard()->text();
    QVERIFY(copied.startsWith(QStringLiteral("; BYT_DLY = 0C8H (200): T = 404 uS at 12 MHz")));
    QVERIFY(copied.endsWith(QStringLiteral("RET\r\n        MOV     R7,#0C8H")));
    QVERIFY(!copied.contains(QStringLiteral("#X")));
  }

  void copySeededDisabled_data() {
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("caption");
    QTest::newRow("256") << QStringLiteral("256")
                         << QStringLiteral("复制（代入 X）：种子 256 不在 BYT_DLY 的 0..255 之内");
    QTest::newRow("-1") << QStringLiteral("-1")
                        << QStringLiteral("复制（代入 X）：种子 -1 不在 BYT_DLY 的 0..255 之内");
    QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999")
                                    << QStringLiteral("复制（代入 X）：种子超出 32 位整数的范围");
  }
  void copySeededDisabled() {
    QFETCH(QString, seed);
    QFETCH(QString, caption);
    this->seed(seed);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    const MenuSeen seen = openTemplateMenu(QStringLiteral("key"));
    QVERIFY(seen.opened);
    QCOMPARE(seen.caption, caption);
    QVERIFY(!seen.enabled);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
  }
};

int main(int argc, char* argv[]) {
  return delaysub::window::test_support::runWindowTest<WindowHintsTest>(argc, argv);
}

#include "window_hints_test.moc"
