// The design window with real key and mouse events: opened from the main
// window by its context menus and by Ctrl+D, typed into on every page,
// chips switched, code copied, closed; the main window unchanged throughout.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <iterator>
#include <memory>

#include "app/designer_opener.h"
#include "designer/qt_design_window.h"
#include "window_test_support.h"

using delaysub::app::DesignerOpener;
using delaysub::designer::CodeBox;
using delaysub::designer::DesignWindow;
using delaysub::window::DelaySubWindow;

namespace {

// What the main window shows: every child's place, size and text.
QStringList snapshot(const QWidget& window) {
  QStringList lines;
  for (const QWidget* w : window.findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || w->window() != &window) {
      continue;
    }
    QString text;
    if (const auto* line = qobject_cast<const QLineEdit*>(w)) {
      text = line->text();
    } else if (const auto* label = qobject_cast<const QLabel*>(w)) {
      text = label->text();
    } else if (const auto* box = qobject_cast<const QTextEdit*>(w)) {
      text = box->toPlainText();
    } else if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
      text = combo->currentText();
    }
    lines << QStringLiteral("%1 %2,%3 %4x%5 %6 %7")
                 .arg(w->objectName())
                 .arg(w->x())
                 .arg(w->y())
                 .arg(w->width())
                 .arg(w->height())
                 .arg(w->isVisible())
                 .arg(text);
  }
  return lines;
}

// Runs pick on the next context menu that opens, then returns.
void onNextMenu(const std::function<void(QMenu*)>& pick) {
  QTimer::singleShot(0, [pick] {
    QMenu* menu = nullptr;
    QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
    pick(menu);
  });
}

// The menu's last entry through the keyboard: Up from none wraps to it.
void pickLastEntry(QMenu* menu) {
  QTest::keyClick(menu, Qt::Key_Up);
  QTest::keyClick(menu, Qt::Key_Return);
}

void retype(QWidget* box, const QString& text) {
  box->setFocus();
  QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(box, Qt::Key_Delete);
  QTest::keyClicks(box, text);
}

}  // namespace

class DesignerWindowTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<DelaySubWindow> main_;
  std::unique_ptr<DesignerOpener> opener_;

  template <class W = QWidget>
  W* in(const char* name) const {
    W* w = opener_->current()->findChild<W*>(QLatin1String(name));
    if (w == nullptr) {
      qFatal("the design window has no %s", name);
    }
    return w;
  }

  DesignWindow* openByCtrlD() {
    QTest::keyClick(main_.get(), Qt::Key_D, Qt::ControlModifier);
    DesignWindow* design = opener_->current();
    if (design != nullptr) {
      [design] { QVERIFY(QTest::qWaitForWindowExposed(design)); }();
    }
    return design;
  }

  // Without a window manager X may hand the focus back to the main window a
  // moment after the design window came to the front: it must stay there.
  static bool inFront(QWidget* window) {
    for (int tries = 0; tries < 5; ++tries) {
      window->activateWindow();
      if (QTest::qWaitForWindowActive(window)) {
        QTest::qWait(20);
        if (QApplication::activeWindow() == window) {
          return true;
        }
      }
    }
    return false;
  }

 private slots:
  void init() {
    main_ = std::make_unique<DelaySubWindow>();
    opener_ = std::make_unique<DesignerOpener>(*main_);
    main_->show();
    QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
  }
  void cleanup() {
    opener_.reset();
    main_.reset();
  }

  // Shift+F10 on each result box, and the mouse's request on the boxes that
  // take it in their viewport: the box's own entries stay, 设计工具… with
  // Ctrl+D beside it comes last and opens the window.
  void opensFromEveryResultMenu_data() {
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("mouse");
    QTest::newRow("delay") << "Text1" << 0 << false;
    QTest::newRow("formula") << "Text1" << 3 << false;
    QTest::newRow("template") << "Text1" << 4 << false;
    QTest::newRow("template, mouse") << "Text1" << 4 << true;
    QTest::newRow("formula, mouse") << "Text1" << 3 << true;
    QTest::newRow("baud result") << "Text2" << -1 << false;
  }
  void opensFromEveryResultMenu() {
    QFETCH(QString, box);
    QFETCH(int, index);
    QFETCH(bool, mouse);
    QWidget* target = main_->control(box.toStdString(), index);
    const QStringList before = snapshot(*main_);
    QStringList entries;
    onNextMenu([&entries](QMenu* menu) {
      for (QAction* a : menu->actions()) {
        entries << a->objectName() + QLatin1Char('=') + a->text() + QLatin1Char('|') +
                       a->shortcut().toString();
      }
      pickLastEntry(menu);
    });
    target->setFocus();
    if (mouse) {
      auto* text = qobject_cast<QTextEdit*>(target);
      const QPoint at(4, 4);
      QContextMenuEvent request(QContextMenuEvent::Mouse, at, text->viewport()->mapToGlobal(at));
      QApplication::sendEvent(text->viewport(), &request);
    } else {
      QTest::keyClick(target, Qt::Key_F10, Qt::ShiftModifier);
    }
    QVERIFY2(entries.size() > 2, qPrintable(entries.join(u'\n')));
    QCOMPARE(entries.last(), QStringLiteral("open-designer=设计工具…|Ctrl+D"));
    // The box's own entries come first, unchanged.
    QVERIFY2(entries.join(u'\n').contains(QStringLiteral("Copy")), qPrintable(entries.join(u'\n')));
    if (box == QLatin1String("Text1") && index == 4) {
      QVERIFY(entries.join(u'\n').contains(QStringLiteral("edit-copy-seeded=")));
    }
    QTRY_VERIFY(opener_->current() != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(opener_->current()));
    QCOMPARE(snapshot(*main_), before);
  }

  // Ctrl+D opens it with the main window's crystal and chip; a second
  // Ctrl+D brings the same window forward; it is not modal and sits beside
  // the main window.
  void opensByCtrlDWithTheMainWindowsSetting() {
    auto* crystal = qobject_cast<QComboBox*>(main_->control("Combo0"));
    retype(crystal->lineEdit(), QStringLiteral("11.0592"));
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(!design->isModal());
    QCOMPARE(in<QComboBox>("crystal")->currentText(), QStringLiteral("11.0592"));
    QVERIFY(in<QComboBox>("chip")->currentText().startsWith(QStringLiteral("8051 — ")));
    QVERIFY(design->model().delay().code.find("11.0592 MHz") != std::string::npos);
    // Beside the main window where the screen has room, else on the screen.
    const QRect room = main_->screen()->availableGeometry();
    const QRect frame = main_->frameGeometry();
    if (frame.right() + design->width() + 8 < room.right()) {
      QCOMPARE(design->geometry().left() > frame.right(), true);
    } else {
      QVERIFY(room.contains(design->pos()));
    }
    main_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main_.get()));
    QCOMPARE(openByCtrlD(), design);
  }

  // For AVR and W77E58 no chip is chosen and the chip list has the focus.
  void opensWithoutAChipForOtherCores() {
    QTest::mouseClick(main_->control("Option0", 1), Qt::LeftButton);
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(inFront(design));
    QCOMPARE(in<QComboBox>("chip")->currentIndex(), -1);
    QTRY_COMPARE(QApplication::focusWidget(), in<QWidget>("chip"));
    QVERIFY(in<CodeBox>("delayCode")->toPlainText().isEmpty());
    QVERIFY(in<QLabel>("delayFigures")->text().startsWith(QStringLiteral("请选择芯片")));
    QVERIFY(!in<QPushButton>("delayCopy")->isEnabled());
    // Down picks the first chip: every page answers.
    QTest::keyClick(in<QWidget>("chip"), Qt::Key_Down);
    QVERIFY(in<CodeBox>("delayCode")->toPlainText().contains(QStringLiteral("on 8051")));
  }

  // Every keystroke updates the page; Ctrl+C and 复制 copy the code exactly.
  void delayPageFollowsEveryKey() {
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(inFront(design));
    auto* time = in<QLineEdit>("delayTime");
    QTRY_COMPARE(QApplication::focusWidget(), time);
    auto* code = in<CodeBox>("delayCode");
    QTest::keyClicks(time, QStringLiteral("2"));  // replaces the selected 10
    QVERIFY(code->toPlainText().startsWith(QStringLiteral("; Delay2ms: 2 ms")));
    QTest::keyClicks(time, QStringLiteral("5"));
    QVERIFY(code->toPlainText().startsWith(QStringLiteral("; Delay25ms: 25 ms")));
    QTest::keyClick(time, Qt::Key_Backspace);
    QTest::keyClick(time, Qt::Key_Backspace);
    QVERIFY(code->toPlainText().isEmpty());
    QVERIFY(in<QLabel>("delayFigures")->text().contains(QStringLiteral("读不出")));
    QTest::keyClicks(time, QStringLiteral("1.5"));
    // The language list by keyboard: C.
    auto* language = in<QComboBox>("delayLanguage");
    language->setFocus();
    QTest::keyClick(language, Qt::Key_End);
    QVERIFY(code->toPlainText().contains(QStringLiteral("void Delay1_5ms(void)")));
    QCOMPARE(code->toPlainText(), QString::fromStdString(design->model().delay().code));
    QApplication::clipboard()->clear();
    code->setFocus();
    QTest::keyClick(code, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(),
             QString::fromStdString(design->model().delay().code));
    QApplication::clipboard()->clear();
    QTest::mouseClick(in<QPushButton>("delayCopy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(),
             QString::fromStdString(design->model().delay().code));
    // Save by the keyboard.
    in<QCheckBox>("save")->setFocus();
    QTest::keyClick(in<QCheckBox>("save"), Qt::Key_Space);
    QVERIFY(in<QCheckBox>("save")->isChecked());
    QVERIFY(code->toPlainText().isEmpty());  // C saves nothing: a sentence instead
  }

  void timerAndUartPages() {
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(inFront(design));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(design->pages()->currentIndex(), 1);
    auto* period = in<QLineEdit>("period");
    retype(period, QStringLiteral("250"));
    auto* unit = in<QComboBox>("periodUnit");
    unit->setFocus();
    QTest::keyClick(unit, Qt::Key_Home);  // µs
    auto* table = in<QTableWidget>("timerTable");
    const auto& model = design->model();
    QCOMPARE(table->rowCount(), static_cast<int>(model.timerTable().rows.size()));
    QCOMPARE(table->currentRow(), static_cast<int>(*model.timerTable().best));
    QVERIFY(table->item(table->currentRow(), 3)->text() == QStringLiteral("06H"));
    auto* code = in<CodeBox>("timerCode");
    QCOMPARE(code->toPlainText(), QString::fromStdString(model.timer().code));
    // Another row by the mouse: its code.
    const int other = table->currentRow() == 0 ? 1 : 0;
    const QRect cell = table->visualItemRect(table->item(other, 2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QCOMPARE(table->currentRow(), other);
    QCOMPARE(*model.timerTable().selected, static_cast<std::size_t>(other));
    QCOMPARE(code->toPlainText(), QString::fromStdString(model.timer().code));
    QTest::keyClick(table, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(design->pages()->currentIndex(), 2);
    auto* baud = in<QComboBox>("baud");
    retype(baud->lineEdit(), QStringLiteral("1152"));
    QVERIFY(in<CodeBox>("uartCode")->toPlainText().isEmpty() ||
            in<CodeBox>("uartCode")->toPlainText().contains(QStringLiteral("1152 baud")));
    QTest::keyClicks(baud->lineEdit(), QStringLiteral("00"));
    QVERIFY(in<CodeBox>("uartCode")->toPlainText().isEmpty());
    QVERIFY(in<QLabel>("uartFigures")->text().contains(QStringLiteral("115200 baud")));
    QCOMPARE(in<QTableWidget>("uartTable")->rowCount(), 0);
    // The crystal for it.
    retype(in<QComboBox>("crystal")->lineEdit(), QStringLiteral("11.0592"));
    QVERIFY(in<CodeBox>("uartCode")->toPlainText().contains(QStringLiteral("115200 baud")));
    QCOMPARE(in<CodeBox>("uartCode")->toPlainText(), QString::fromStdString(model.uart().code));
    QApplication::clipboard()->clear();
    QTest::mouseClick(in<QPushButton>("uartCopy"), Qt::LeftButton);
    QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(model.uart().code));
  }

  // The code box's scroll bar is drawn in bands and keeps the bands of its
  // last few looks: it looks exactly as the style draws it in one go, for
  // short and tall bars, at either end and in between, drawn anew or kept.
  void bandedScrollBarLooksAsTheStyleDrawsIt() {
    QWidget holder;
    auto* plain = new QScrollBar(Qt::Vertical, &holder);
    auto* banded = new QScrollBar(Qt::Vertical, &holder);
    banded->setStyle(delaysub::designer::bandedScrollBarStyle(&holder));
    const int width = plain->sizeHint().width();
    struct Bar {
      int height, maximum, page, value;
    };
    const QList<Bar> bars = {{60, 5, 10, 2},  {95, 5, 10, 2},       {96, 5, 10, 2},
                             {191, 8, 17, 8}, {333, 8, 17, 0},      {333, 8, 17, 4},
                             {400, 0, 20, 0}, {800, 1000, 30, 517}, {800, 1000, 30, 1000}};
    // There and back: the way back finds most looks kept.
    QList<Bar> order = bars;
    std::copy(bars.rbegin(), bars.rend(), std::back_inserter(order));
    for (const Bar& b : order) {
      for (QScrollBar* bar : {plain, banded}) {
        bar->setGeometry(0, 0, width, b.height);
        bar->setRange(0, b.maximum);
        bar->setPageStep(b.page);
        bar->setValue(b.value);
      }
      QVERIFY2(banded->grab().toImage() == plain->grab().toImage(),
               qPrintable(QStringLiteral("a bar %1 high at %2 of %3")
                              .arg(b.height)
                              .arg(b.value)
                              .arg(b.maximum)));
    }
  }

  // A new code shows from its top left with nothing selected, however far the
  // user had scrolled and whatever was selected; its text is the model's.
  void newCodeShowsFromTheTop_data() {
    QTest::addColumn<QString>("keys");
    QTest::newRow("a few lines change") << "1";        // 1 ms -> 11 ms
    QTest::newRow("every line changes") << "\b\b250";  // -> 250 ms
    QTest::newRow("no answer") << "\b\bx";
  }
  void newCodeShowsFromTheTop() {
    QFETCH(QString, keys);
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    design->pages()->setCurrentIndex(1);
    auto* period = in<QLineEdit>("period");
    period->setFocus();
    period->end(false);
    auto* code = in<CodeBox>("timerCode");
    QVERIFY(code->verticalScrollBar()->maximum() > 0);
    code->selectAll();
    code->verticalScrollBar()->setValue(code->verticalScrollBar()->maximum());
    code->horizontalScrollBar()->setValue(code->horizontalScrollBar()->maximum());
    for (QChar key : keys) {
      if (key == u'\b') {
        QTest::keyClick(period, Qt::Key_Backspace);
      } else {
        QTest::keyClick(period, key.toLatin1());
      }
    }
    QCOMPARE(code->toPlainText(), QString::fromStdString(design->model().timer().code));
    QCOMPARE(code->code(), code->toPlainText());
    QVERIFY(!code->textCursor().hasSelection());
    QCOMPARE(code->textCursor().position(), 0);
    QCOMPARE(code->verticalScrollBar()->value(), 0);
    QCOMPARE(code->horizontalScrollBar()->value(), 0);
  }

  // While the user types, no column is narrower than its widest text and
  // none narrows (the table does not jump from key to key) unless rows came
  // or went; the last column reaches the table's edge, so the table does not
  // scroll sideways; another crystal fits every column anew.
  void tablesFitTheirTexts() {
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    const struct {
      int page;
      const char* box;
      const char* table;
      const char* keys;
    } pages[] = {{1, "period", "timerTable", "1\b\b0.5\b\b\b7777\b\b\b"},
                 {2, "baud", "uartTable", "00\b\b\b\b\b\b110\b\b\b2400"}};
    for (const auto& p : pages) {
      design->pages()->setCurrentIndex(p.page);
      QWidget* box = in<QWidget>(p.box);
      if (auto* list = qobject_cast<QComboBox*>(box)) {
        box = list->lineEdit();
      }
      box->setFocus();
      auto* table = in<QTableWidget>(p.table);
      const QAbstractItemView* view = table;  // where sizeHintForColumn is public
      const auto fitted = [&](int c) {
        return std::max(view->sizeHintForColumn(c), table->horizontalHeader()->sectionSizeHint(c));
      };
      const auto widths = [&] {
        QList<int> w;
        for (int c = 0; c < table->columnCount(); ++c) {
          w << table->columnWidth(c);
        }
        return w;
      };
      const auto checkFilled = [&](const QString& after) {
        const int last = table->columnCount() - 1;
        const int before = table->horizontalHeader()->sectionPosition(last);
        if (before + fitted(last) <= table->viewport()->width()) {
          QVERIFY2(table->horizontalHeader()->length() == table->viewport()->width() &&
                       table->horizontalScrollBar()->maximum() == 0,
                   qPrintable(QStringLiteral("%1 after %2: %3 wide in %4, scrolls to %5")
                                  .arg(QLatin1String(p.table), after)
                                  .arg(table->horizontalHeader()->length())
                                  .arg(table->viewport()->width())
                                  .arg(table->horizontalScrollBar()->maximum())));
        }
      };
      QList<int> previous = widths();
      int previousRows = table->rowCount();
      for (const char* key = p.keys; *key != '\0'; ++key) {
        if (*key == '\b') {
          QTest::keyClick(box, Qt::Key_Backspace);
        } else {
          QTest::keyClick(box, *key);
        }
        QCoreApplication::processEvents();
        const QString after =
            *key == '\b' ? QStringLiteral("Backspace") : QString(QLatin1Char(*key));
        const QList<int> now = widths();
        for (int c = 0; c + 1 < table->columnCount(); ++c) {
          QVERIFY2(now[c] >= fitted(c),
                   qPrintable(QStringLiteral("%1 column %2 after '%3': %4, its text needs %5")
                                  .arg(QLatin1String(p.table))
                                  .arg(c)
                                  .arg(after)
                                  .arg(now[c])
                                  .arg(fitted(c))));
          if (table->rowCount() == previousRows) {
            QVERIFY2(now[c] >= previous[c],
                     qPrintable(QStringLiteral("%1 column %2 narrowed after '%3': %4 from %5")
                                    .arg(QLatin1String(p.table))
                                    .arg(c)
                                    .arg(after)
                                    .arg(now[c])
                                    .arg(previous[c])));
          }
        }
        checkFilled(after);
        previous = now;
        previousRows = table->rowCount();
      }
      // Another crystal: every column as wide as its widest text again.
      auto* crystal = in<QComboBox>("crystal");
      crystal->setEditText(QStringLiteral("11.0592"));
      QCoreApplication::processEvents();
      for (int c = 0; c + 1 < table->columnCount(); ++c) {
        QCOMPARE(table->columnWidth(c), fitted(c));
      }
      checkFilled(QStringLiteral("another crystal"));
      crystal->setEditText(QStringLiteral("12"));
    }
  }

  // The chip list by keyboard: every page follows; then the window closes.
  void switchChipsAndClose() {
    QPointer<DesignWindow> design = openByCtrlD();
    QVERIFY(design != nullptr);
    auto* chip = in<QComboBox>("chip");
    chip->setFocus();
    for (int i = 1; i < chip->count(); ++i) {
      QTest::keyClick(chip, Qt::Key_Down);
      const std::string name(
          design->model().delay().code.empty()
              ? ""
              : chip->currentText().section(QLatin1Char(' '), 0, 0).toStdString());
      QCOMPARE(chip->currentIndex(), i);
      if (!name.empty()) {
        QVERIFY(design->model().delay().code.find("on " + name) != std::string::npos);
      }
      QCOMPARE(in<CodeBox>("timerCode")->toPlainText(),
               QString::fromStdString(design->model().timer().code));
    }
    design->close();
    QTRY_VERIFY(design.isNull());
    QVERIFY(opener_->current() == nullptr);
    // The main window still answers.
    main_->activateWindow();
    retype(main_->control("Text1", 1), QStringLiteral("100"));
    QCOMPARE(qobject_cast<QLineEdit*>(main_->control("Text1", 0))->text(),
             QString::fromStdString(main_->form().Text1(0).text()));
  }

  // Alt and the underlined letter of a caption reach its control on every
  // page: the focus goes to the control, the check box also toggles.
  void mnemonicsReachTheirControls_data() {
    QTest::addColumn<int>("page");
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QString>("control");
    const struct {
      int page;
      char letter;
      const char* control;
    } rows[] = {{0, 'P', "chip"},          {0, 'F', "crystal"},       {0, 'T', "delayTime"},
                {0, 'U', "delayUnit"},     {0, 'R', "rounding"},      {0, 'M', "form"},
                {0, 'L', "delayLanguage"}, {0, 'S', "save"},          {1, 'T', "period"},
                {1, 'U', "periodUnit"},    {1, 'L', "timerLanguage"}, {1, 'F', "crystal"},
                {2, 'B', "baud"},          {2, 'L', "uartLanguage"},  {2, 'P', "chip"}};
    for (const auto& r : rows) {
      QTest::addRow("page %d, Alt+%c", r.page, r.letter)
          << r.page << QChar::fromLatin1(r.letter) << QString::fromLatin1(r.control);
    }
  }
  void mnemonicsReachTheirControls() {
    QFETCH(int, page);
    QFETCH(QChar, letter);
    QFETCH(QString, control);
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(inFront(design));
    design->pages()->setCurrentIndex(page);
    // Away from every control named here: the page's code box.
    const char* const codeBoxes[] = {"delayCode", "timerCode", "uartCode"};
    auto* codeBox = in<QWidget>(codeBoxes[page]);
    codeBox->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), codeBox);
    auto* target = in<QWidget>(control.toLatin1().constData());
    auto* check = qobject_cast<QCheckBox*>(target);
    const bool wasChecked = check != nullptr && check->isChecked();
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(letter.unicode()),
                    Qt::AltModifier);
    QWidget* now = QApplication::focusWidget();
    QVERIFY2(now == target || now == target->focusProxy(),
             qPrintable(now->objectName() + QStringLiteral(" has the focus")));
    if (check != nullptr) {
      QTRY_COMPARE(check->isChecked(), !wasChecked);  // after its pressed look
      QCOMPARE(design->model().delayInputs().save, !wasChecked);
    }
  }

  // No two captions that show together underline the same letter.
  void mnemonicsAreUniquePerPage() {
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    for (int page = 0; page < design->pages()->count(); ++page) {
      design->pages()->setCurrentIndex(page);
      QStringList seen;
      for (const QWidget* w : design->findChildren<QWidget*>()) {
        QString text;
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
          text = label->text();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
          text = button->text();
        }
        const QString key = QKeySequence::mnemonic(text).toString();
        if (w->isVisible() && !key.isEmpty()) {
          QVERIFY2(!seen.contains(key), qPrintable(key + QStringLiteral(" twice: ") + text));
          seen << key;
        }
      }
      QVERIFY(seen.size() >= 4);
    }
  }

  // Combo boxes are named by their captions, not by their values; the tab
  // order runs top to bottom, left to right.
  void namesAndTabOrder() {
    DesignWindow* design = openByCtrlD();
    QVERIFY(design != nullptr);
    QVERIFY(inFront(design));
    for (const char* name : {"chip", "crystal", "delayUnit", "rounding", "form", "delayLanguage"}) {
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(in<QWidget>(name));
      QVERIFY(face != nullptr);
      // Its caption labels it: a screen reader reads the label, not the value.
      QString label;
      for (const auto& [other, relation] : face->relations(QAccessible::Label)) {
        label += other->text(QAccessible::Name);
      }
      QVERIFY2(label.endsWith(QStringLiteral("：")), name);
    }
    QWidget* first = in<QWidget>("chip");
    first->setFocus();
    const QList<QWidget*> expected = {in<QWidget>("crystal")->focusProxy()
                                          ? in<QWidget>("crystal")->focusProxy()
                                          : in<QWidget>("crystal"),
                                      design->pages()->tabBar(),
                                      in<QWidget>("delayTime"),
                                      in<QWidget>("delayUnit"),
                                      in<QWidget>("rounding"),
                                      in<QWidget>("form"),
                                      in<QWidget>("delayLanguage"),
                                      in<QWidget>("save"),
                                      in<QWidget>("delayCode"),
                                      in<QWidget>("delayCopy")};
    for (QWidget* next : expected) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* now = QApplication::focusWidget();
      QVERIFY2(now == next || now->focusProxy() == next || next->focusProxy() == now ||
                   now->parentWidget() == next,
               qPrintable(now->objectName() + QStringLiteral(" instead of ") + next->objectName()));
    }
  }
};

int main(int argc, char* argv[]) {
  return delaysub::window::test_support::runWindowTest<DesignerWindowTest>(argc, argv);
}

#include "window_designer_test.moc"
