#include "window_storm_design.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "designer/design_model.h"
#include "storm_input.h"

namespace delaysub::window::test_support {

using designer::CodeBox;
using designer::DesignWindow;

namespace {

// The inputs of the design window: the page they are on (-1: above the
// pages), the letter of their caption's mnemonic, what kind they are.
enum class Field { Line, EditableList, ChoiceList, Check };
struct Input {
  const char* name;
  int page;
  Qt::Key mnemonic;
  Field field;
  int weight;
};
const Input kFields[] = {
    {"chip", -1, Qt::Key_P, Field::ChoiceList, 2},
    {"crystal", -1, Qt::Key_F, Field::EditableList, 4},
    {"delayTime", 0, Qt::Key_T, Field::Line, 6},
    {"delayUnit", 0, Qt::Key_U, Field::ChoiceList, 2},
    {"rounding", 0, Qt::Key_R, Field::ChoiceList, 2},
    {"form", 0, Qt::Key_M, Field::ChoiceList, 2},
    {"delayLanguage", 0, Qt::Key_L, Field::ChoiceList, 2},
    {"save", 0, Qt::Key_S, Field::Check, 2},
    {"period", 1, Qt::Key_T, Field::Line, 5},
    {"periodUnit", 1, Qt::Key_U, Field::ChoiceList, 2},
    {"timerLanguage", 1, Qt::Key_L, Field::ChoiceList, 2},
    {"baud", 2, Qt::Key_B, Field::EditableList, 5},
    {"uartLanguage", 2, Qt::Key_L, Field::ChoiceList, 2},
};
// The first box of each page, where a click puts the focus inside the pages.
const char* const kFirstBox[] = {"delayTime", "period", "baud"};
const char* const kPanes[] = {"delay", "timer", "uart"};

// What users type there: numbers, units, huge and tiny numbers, garbage,
// Chinese, full-width digits, blanks.
const QString kTexts[] = {
    "0",
    "1",
    "7",
    "10",
    "250",
    "1.5",
    ".5",
    "0.000001",
    "-1",
    "+3",
    "1e400",
    "1e-9",
    "12",
    "11.0592",
    "12 MHz",
    "11.0592MHz",
    "24",
    "33.333",
    "9600",
    "115200",
    "1200",
    "4800",
    "57600",
    "3",
    "99999999999999999999999999999",
    "18446744073709551616",
    "4294967296",
    "abc",
    "NaN",
    "inf",
    "0x10",
    "&HFF",
    "延时",
    "十二",
    "１２",
    "  7  ",
    "1,5",
    "1..5",
    "µs",
    "ms",
    "晶振",
    "#",
};

// What another program offers for pasting, some of it long.
QString pasted(int which) {
  switch (which) {
    case 0:
      return QString(4000, u'9');
    case 1:
      return QStringLiteral("1") + QString(400, u'0');
    case 2:
      return QStringLiteral("0.") + QString(300, u'0') + QStringLiteral("1");
    case 3:
      return QStringLiteral("延时").repeated(1500);
    case 4:
      return QStringLiteral("11.0592 MHz; 9600 baud; 10 ms ").repeated(200);
    case 5:
      return QString(40000, u'7');  // longer than a line box takes
    case 6:
      return QStringLiteral("10\nms\n");
    default:
      return QStringLiteral("11.0592");
  }
}
constexpr int kPastes = 8;

struct KeyStroke {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  const char* name;
};
const KeyStroke kEditKeys[] = {
    {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
    {Qt::Key_Delete, Qt::NoModifier, "Delete"},
    {Qt::Key_Home, Qt::NoModifier, "Home"},
    {Qt::Key_End, Qt::NoModifier, "End"},
    {Qt::Key_Left, Qt::NoModifier, "Left"},
    {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right"},
    {Qt::Key_Up, Qt::NoModifier, "Up"},
    {Qt::Key_Down, Qt::NoModifier, "Down"},
    {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z"},
    {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z"},
    {Qt::Key_X, Qt::ControlModifier, "Ctrl+X"},
    {Qt::Key_Return, Qt::NoModifier, "Return"},
};
const KeyStroke kListKeys[] = {
    {Qt::Key_Up, Qt::NoModifier, "Up"},         {Qt::Key_Down, Qt::NoModifier, "Down"},
    {Qt::Key_Home, Qt::NoModifier, "Home"},     {Qt::Key_End, Qt::NoModifier, "End"},
    {Qt::Key_PageUp, Qt::NoModifier, "PageUp"}, {Qt::Key_PageDown, Qt::NoModifier, "PageDown"},
    {Qt::Key_8, Qt::NoModifier, "8"},           {Qt::Key_S, Qt::NoModifier, "S"},
};
// Keys to whatever has the focus: moving it, switching pages, the rest.
const KeyStroke kFocusKeys[] = {
    {Qt::Key_Tab, Qt::NoModifier, "Tab"},
    {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab"},
    {Qt::Key_Tab, Qt::ControlModifier, "Ctrl+Tab"},
    {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Tab"},
    {Qt::Key_PageDown, Qt::ControlModifier, "Ctrl+PageDown"},
    {Qt::Key_PageUp, Qt::ControlModifier, "Ctrl+PageUp"},
    {Qt::Key_Space, Qt::NoModifier, "Space"},
    {Qt::Key_Escape, Qt::NoModifier, "Escape"},
    {Qt::Key_Return, Qt::NoModifier, "Return"},
    {Qt::Key_A, Qt::ControlModifier, "Ctrl+A"},
    {Qt::Key_C, Qt::ControlModifier, "Ctrl+C"},
    {Qt::Key_V, Qt::ControlModifier, "Ctrl+V"},
    {Qt::Key_Down, Qt::NoModifier, "Down"},
    {Qt::Key_Backspace, Qt::NoModifier, "Backspace"},
};

template <class T, std::size_t N>
const T& pick(const T (&table)[N], int index) {
  return table[static_cast<std::size_t>(index)];
}
template <class T, std::size_t N>
constexpr int countOf(const T (&)[N]) {
  return static_cast<int>(N);
}

QPoint middle(const QWidget* widget) {
  return {widget->width() / 2, widget->height() / 2};
}

// The widget itself or the line box inside it has the focus.
bool hasFocus(const QWidget* widget) {
  const QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && (focus == widget || widget->isAncestorOf(focus));
}

std::optional<std::size_t> rowOf(int row) {
  return row < 0 ? std::nullopt : std::optional<std::size_t>(static_cast<std::size_t>(row));
}

// The code box, the figures and 复制 against what the page shows.
QString paneMismatch(const DesignWindow& window, const char* pane, const designer::CodeView& view) {
  const QString name = QLatin1String(pane);
  const auto* box = window.findChild<CodeBox*>(name + QStringLiteral("Code"));
  const auto* figures = window.findChild<QLabel*>(name + QStringLiteral("Figures"));
  const auto* copy = window.findChild<QPushButton*>(name + QStringLiteral("Copy"));
  const QString code = designer::toQt(view.code);
  if (box->toPlainText() != code) {
    return QStringLiteral("%1Code shows\n%2\nwhere its inputs give\n%3")
        .arg(name, box->toPlainText().left(400), code.left(400));
  }
  if (figures->text() != designer::toQt(view.figures)) {
    return QStringLiteral("%1Figures show \"%2\" where its inputs give \"%3\"")
        .arg(name, figures->text(), designer::toQt(view.figures));
  }
  if (figures->text().trimmed().isEmpty()) {
    return name + QStringLiteral("Figures: neither figures nor a sentence");
  }
  if (copy->isEnabled() != view.answered()) {
    return name + QStringLiteral("Copy enabled %1 with code \"%2\"")
                      .arg(copy->isEnabled())
                      .arg(code.left(40));
  }
  return {};
}

// The table's rows, its best row's mark and its current row against the
// page's choices.
QString tableMismatch(const QTableWidget& table, const designer::ChoiceTable& choices) {
  const QString name = table.objectName();
  if (table.rowCount() != static_cast<int>(choices.rows.size())) {
    return QStringLiteral("%1 has %2 rows where its inputs give %3")
        .arg(name)
        .arg(table.rowCount())
        .arg(choices.rows.size());
  }
  for (int r = 0; r < table.rowCount(); ++r) {
    const auto& cells = choices.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < table.columnCount(); ++c) {
      const QTableWidgetItem* item = table.item(r, c);
      const QString want = designer::toQt(cells[static_cast<std::size_t>(c)]);
      const QString shown = item != nullptr ? item->text() : QString();
      // The best row's first cell carries a mark after its text.
      const bool marked = c == 0 && choices.best == rowOf(r);
      if (marked ? !(shown.startsWith(want) && shown.size() > want.size()) : shown != want) {
        return QStringLiteral("%1 row %2 column %3 shows \"%4\" where its inputs give \"%5\"")
            .arg(name)
            .arg(r)
            .arg(c)
            .arg(shown, want);
      }
    }
  }
  if (rowOf(table.currentRow()) != choices.selected) {
    return QStringLiteral("%1: row %2 is current, its code is row %3's")
        .arg(name)
        .arg(table.currentRow())
        .arg(choices.selected ? static_cast<int>(*choices.selected) : -1);
  }
  if (choices.selected && !table.selectionModel()->isRowSelected(table.currentRow(), {})) {
    return name + QStringLiteral(": the row whose code shows is not highlighted");
  }
  return {};
}

// A model of its own for the inputs the window shows.
designer::DesignModel modelOf(const DesignWindow& w) {
  const auto list = [&w](const char* name) { return w.findChild<QComboBox*>(name); };
  const auto line = [&w](const char* name) { return w.findChild<QLineEdit*>(name); };
  const auto table = [&w](const char* name) { return w.findChild<QTableWidget*>(name); };
  designer::DesignModel model(list("crystal")->currentText().toStdString(),
                              rowOf(list("chip")->currentIndex()));
  designer::DelayInputs delay;
  delay.time = line("delayTime")->text().toStdString();
  delay.unit = static_cast<designer::TimeUnit>(list("delayUnit")->currentIndex());
  delay.rounding = static_cast<designer::Rounding>(list("rounding")->currentIndex());
  delay.inlineCode = list("form")->currentIndex() == 1;
  delay.save = w.findChild<QCheckBox*>("save")->isChecked();
  delay.language = static_cast<designer::Language>(list("delayLanguage")->currentIndex());
  model.setDelay(delay);
  designer::TimerInputs timer;
  timer.period = line("period")->text().toStdString();
  timer.unit = static_cast<designer::TimeUnit>(list("periodUnit")->currentIndex());
  timer.language = static_cast<designer::Language>(list("timerLanguage")->currentIndex());
  model.setTimer(timer);
  designer::UartInputs uart;
  uart.baud = list("baud")->currentText().toStdString();
  uart.language = static_cast<designer::Language>(list("uartLanguage")->currentIndex());
  model.setUart(uart);
  if (const int row = table("timerTable")->currentRow(); row >= 0) {
    model.selectTimerRow(static_cast<std::size_t>(row));
  }
  if (const int row = table("uartTable")->currentRow(); row >= 0) {
    model.selectUartRow(static_cast<std::size_t>(row));
  }
  return model;
}

}  // namespace

DesignStorm::DesignStorm(DelaySubWindow& main, std::mt19937& random)
    : main_(main), random_(random), opener_(std::make_unique<app::DesignerOpener>(main)) {}

DesignStorm::~DesignStorm() = default;

int DesignStorm::below(int n) {
  return std::uniform_int_distribution<int>(0, n - 1)(random_);
}

QWidget* DesignStorm::find(const char* name) const {
  auto* widget = opener_->current()->findChild<QWidget*>(QLatin1String(name));
  if (widget == nullptr) {
    qFatal("the design window has no %s", name);
  }
  return widget;
}

QWindow* DesignStorm::handle() const {
  return opener_->current()->windowHandle();
}

QStringList DesignStorm::snapshot(const QWidget& window) {
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
    } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
      text = button->text() + (button->isChecked() ? QStringLiteral(" on") : QString());
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

// Without a window manager X may hand the focus back to the other window a
// moment after this one came to the front: it must stay there a while.
bool DesignStorm::bringToFront(QWidget* window, QString& failure) {
  for (int tries = 0; tries < 3; ++tries) {
    if (QApplication::activeWindow() == window) {
      return true;
    }
    window->activateWindow();
    if (QTest::qWaitForWindowActive(window)) {
      QTest::qWait(20);
    }
  }
  if (QApplication::activeWindow() != window) {
    failure = window->objectName() + QStringLiteral(" did not come to the front");
    return false;
  }
  return true;
}

QString DesignStorm::enter(QString& failure) {
  if (!isOpen()) {
    return open(failure);
  }
  if (bringToFront(opener_->current(), failure)) {
    inFront_ = true;
  }
  return QStringLiteral("back to the design window");
}

QString DesignStorm::open(QString& failure) {
  if (!bringToFront(&main_, failure)) {
    return QStringLiteral("open the design window");
  }
  const int way = below(4);
  if (way >= 2) {
    return openByMenu(way == 3, failure);
  }
  const QStringList before = snapshot(main_);
  QTest::keyClick(main_.windowHandle(), Qt::Key_D, Qt::ControlModifier);
  const QString what = afterOpen(QStringLiteral("Ctrl+D"), failure);
  if (failure.isEmpty() && snapshot(main_) != before) {
    failure = QStringLiteral("opening the design window changed the main window");
  }
  return what;
}

// The entry 设计工具…, last in a result box's context menu, picked by the
// keyboard or the mouse.
QString DesignStorm::openByMenu(bool mouse, QString& failure) {
  const std::pair<const char*, int> boxes[] = {
      {"Text1", 0}, {"Text1", 3}, {"Text1", 4}, {"Text2", -1}};
  const auto& [name, index] = boxes[below(4)];
  QWidget* box = main_.control(name, index);
  auto* area = qobject_cast<QTextEdit*>(box);
  QWidget* target = area != nullptr ? area->viewport() : box;
  const QPoint at(4, target->height() / 2);
  clickAt(target, at);
  QCoreApplication::processEvents();
  const QStringList before = snapshot(main_);
  bool done = false;
  bool picked = false;
  // Picks the entry once the menu shows (the keys that open it let the
  // events run before the menu does).
  QTimer picker;
  picker.setInterval(1);
  QObject::connect(&picker, &QTimer::timeout, [&picker, &done, &picked, mouse] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr || done) {
      return;
    }
    done = true;
    picker.stop();
    QAction* last = menu->actions().last();
    picked = last->text() == QString::fromUtf8(app::DesignerOpener::kCaption);
    if (mouse) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(last).center());
    } else {
      QTest::keyClick(menu, Qt::Key_Up);  // from none to the last
      QTest::keyClick(menu, Qt::Key_Return);
    }
  });
  picker.start();
  if (mouse) {
    clickAt(target, at, Qt::RightButton);
  } else {
    QTest::keyClick(main_.windowHandle(), Qt::Key_F10, Qt::ShiftModifier);
  }
  if (!QTest::qWaitFor([&done] { return done; })) {
    failure = QStringLiteral("the context menu did not end");
  }
  const QString how = QStringLiteral("%1 on %2: 设计工具…")
                          .arg(mouse ? "right click" : "Shift+F10", box->objectName());
  if (!picked) {
    failure = how + QStringLiteral(": no menu with the entry last");
    return how;
  }
  const QString what = afterOpen(how, failure);
  if (failure.isEmpty() && snapshot(main_) != before) {
    failure = QStringLiteral("opening the design window changed the main window");
  }
  return what;
}

// The window opened: in front, with the main window's crystal and chip and
// the focus where its start wants it.
QString DesignStorm::afterOpen(const QString& how, QString& failure) {
  const QString what = QStringLiteral("open the design window by %1").arg(how);
  DesignWindow* design = opener_->current();
  if (design == nullptr || !QTest::qWaitForWindowExposed(design) ||
      !QTest::qWaitForWindowActive(design)) {
    failure = QStringLiteral("the design window did not open in front");
    return what;
  }
  inFront_ = true;
  const designer::DesignStart start = app::startFrom(main_.form());
  if (find<QComboBox>("crystal")->currentText() != start.crystal ||
      rowOf(find<QComboBox>("chip")->currentIndex()) != start.chip) {
    failure = QStringLiteral("it opened without the main window's crystal and chip");
  } else if (!QTest::qWaitFor(
                 [this, &start] { return hasFocus(find(start.chip ? "delayTime" : "chip")); })) {
    failure = QStringLiteral("it opened with the focus on %1")
                  .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                   : QStringLiteral("nothing"));
  }
  return what;
}

QString DesignStorm::close(QString& failure) {
  if (!isOpen()) {
    return QStringLiteral("close (already closed)");
  }
  // What the window system does when the user closes the window.
  handle()->close();
  if (!QTest::qWaitFor([this] { return !isOpen(); })) {
    failure = QStringLiteral("the design window did not close");
    return QStringLiteral("close the design window");
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* widget : QApplication::allWidgets()) {
    for (QWidget* up = widget; up != nullptr; up = up->parentWidget()) {
      if (qobject_cast<DesignWindow*>(up) != nullptr) {
        failure = QStringLiteral("%1 of the closed design window remains")
                      .arg(QLatin1String(widget->metaObject()->className()));
        return QStringLiteral("close the design window");
      }
    }
  }
  inFront_ = false;
  bringToFront(&main_, failure);
  return QStringLiteral("close the design window");
}

QString DesignStorm::send(QString& failure) {
  const QStringList before = snapshot(main_);
  QString what = sendToDesign(failure);
  // Space opens a list the focus is on: the user closes it again.
  if (QWidget* popup = QApplication::activePopupWidget(); popup != nullptr && failure.isEmpty()) {
    QTest::keyClick(popup->focusWidget() != nullptr ? popup->focusWidget() : popup, Qt::Key_Escape);
    what += QStringLiteral(", Escape in the list");
    if (QApplication::activePopupWidget() != nullptr) {
      failure = QStringLiteral("Escape did not close the list");
    }
  }
  if (failure.isEmpty() && snapshot(main_) != before) {
    failure = QStringLiteral("the main window changed");
  }
  return what;
}

QString DesignStorm::sendToDesign(QString& failure) {
  const int choice = below(100);
  if (choice < 2) {
    return close(failure);
  }
  if (choice < 5) {
    inFront_ = false;
    bringToFront(&main_, failure);
    return QStringLiteral("back to the main window");
  }
  if (!bringToFront(opener_->current(), failure)) {
    return QStringLiteral("to the design window");
  }
  if (choice < 60) {
    return edit(failure);
  }
  if (choice < 72) {
    return pickRow(failure);
  }
  if (choice < 82) {
    return copy(failure);
  }
  if (choice < 85) {
    const QString text = pick(kTexts, below(countOf(kTexts)));
    composeText(text, opener_->current()->focusWidget());
    return QStringLiteral("compose \"%1\"").arg(text);
  }
  return focusKey();
}

// The page by the keyboard: into the current page, then Ctrl+Tab or
// Ctrl+Shift+Tab until it shows.
bool DesignStorm::reachPage(int page, QString& failure) {
  auto* pages = find<QTabWidget>("pages");
  if (page < 0 || pages->currentIndex() == page) {
    return true;
  }
  auto* first = find(kFirstBox[pages->currentIndex()]);
  auto* list = qobject_cast<QComboBox*>(first);
  clickAt(list != nullptr ? list->lineEdit() : first, QPoint(4, first->height() / 2));
  const bool forward = (page - pages->currentIndex() + 3) % 3 == 1 ? below(4) != 0 : below(4) == 0;
  for (int n = 0; n < 2 && pages->currentIndex() != page; ++n) {
    if (forward) {
      QTest::keyClick(handle(), Qt::Key_Tab, Qt::ControlModifier);
    } else {
      QTest::keyClick(handle(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    }
  }
  if (pages->currentIndex() != page) {
    failure = QStringLiteral("%1 from %2 did not switch to page %3")
                  .arg(forward ? "Ctrl+Tab" : "Ctrl+Shift+Tab")
                  .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                   : QStringLiteral("nothing"))
                  .arg(page);
    return false;
  }
  return true;
}

// The field's page, then the field by its caption's mnemonic or a click.
QString DesignStorm::reachField(int field, QString& failure) {
  QString how = reachFieldOnce(field, failure);
  // X may still hand the focus back to the main window after an earlier
  // close: then the design window comes to the front again and the way is
  // tried once more.
  if (!failure.isEmpty() && QApplication::activeWindow() != opener_->current()) {
    failure.clear();
    if (bringToFront(opener_->current(), failure)) {
      how = reachFieldOnce(field, failure);
    }
  }
  return how;
}

QString DesignStorm::reachFieldOnce(int field, QString& failure) {
  const Input& input = pick(kFields, field);
  if (!reachPage(input.page, failure)) {
    return QStringLiteral("to %1's page").arg(QLatin1String(input.name));
  }
  QWidget* widget = find(input.name);
  auto* list = qobject_cast<QComboBox*>(widget);
  const bool typed = input.field == Field::Line || input.field == Field::EditableList;
  QString how;
  if ((typed || input.field == Field::Check) && below(2) == 0) {
    QWidget* target = list != nullptr ? list->lineEdit() : widget;
    clickAt(target, input.field == Field::Check
                        ? QPoint(6, target->height() / 2)
                        : QPoint(below(target->width()), middle(target).y()));
    how = QStringLiteral("click %1").arg(QLatin1String(input.name));
  } else {
    QTest::keyClick(handle(), input.mnemonic, Qt::AltModifier);
    how = QStringLiteral("Alt+%1 to %2").arg(QChar(input.mnemonic)).arg(QLatin1String(input.name));
  }
  // A check box's mnemonic ticks it without taking the focus.
  const bool ticked = input.field == Field::Check && how.startsWith(QLatin1String("Alt"));
  if (!ticked && !hasFocus(widget)) {
    failure = how + QStringLiteral(" left the focus on %1")
                        .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName()
                                                         : QStringLiteral("nothing"));
  }
  return how;
}

QString DesignStorm::edit(QString& failure) {
  std::vector<int> weights;
  for (const Input& input : kFields) {
    weights.push_back(input.weight);
  }
  const int field = std::discrete_distribution<int>(weights.begin(), weights.end())(random_);
  QString what = reachField(field, failure);
  if (!failure.isEmpty()) {
    return what;
  }
  QWidget* widget = find(pick(kFields, field).name);
  switch (pick(kFields, field).field) {
    case Field::Line:
    case Field::EditableList:
      return what + QStringLiteral(", ") + editText(widget, failure);
    case Field::ChoiceList:
      return what + QStringLiteral(", ") + editChoice(widget, failure);
    case Field::Check:
      if (hasFocus(widget) && below(2) == 0) {
        QTest::keyClick(handle(), Qt::Key_Space);
        return what + QStringLiteral(", Space");
      }
      return what;
  }
  return what;
}

// Typing into a box: a text in place of all, added at the end, a key, the
// box emptied, or a paste. What is typed in place of all must show whole.
QString DesignStorm::editText(QWidget* box, QString& failure) {
  auto* list = qobject_cast<QComboBox*>(box);
  auto* line = list != nullptr ? list->lineEdit() : static_cast<QLineEdit*>(box);
  const int choice = below(10);
  if (choice < 4) {
    const QString& text = pick(kTexts, below(countOf(kTexts)));
    QTest::keyClick(handle(), Qt::Key_A, Qt::ControlModifier);
    typeInto(handle(), text);
    if (line->text() != text) {
      failure = QStringLiteral("typed \"%1\", the box shows \"%2\"").arg(text, line->text());
    }
    return QStringLiteral("type \"%1\" in place of all").arg(text);
  }
  if (choice < 6) {
    const QString& text = pick(kTexts, below(countOf(kTexts)));
    QTest::keyClick(handle(), Qt::Key_End);
    typeInto(handle(), text);
    return QStringLiteral("type \"%1\" at the end").arg(text);
  }
  if (choice < 8) {
    const KeyStroke& key = pick(kEditKeys, below(countOf(kEditKeys)));
    QTest::keyClick(handle(), key.key, key.modifiers);
    return QString::fromLatin1(key.name);
  }
  if (choice < 9) {
    QTest::keyClick(handle(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(handle(), Qt::Key_Delete);
    if (!line->text().isEmpty()) {
      failure = QStringLiteral("Ctrl+A, Delete left \"%1\"").arg(line->text());
    }
    return QStringLiteral("Ctrl+A, Delete");
  }
  const int which = below(kPastes);
  const QString text = pasted(which);
  QGuiApplication::clipboard()->setText(text);
  QTest::keyClick(handle(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(handle(), Qt::Key_V, Qt::ControlModifier);
  if (!text.contains(u'\n') && line->text() != text.left(line->maxLength())) {
    failure = QStringLiteral("pasted %1 characters, the box holds %2")
                  .arg(text.size())
                  .arg(line->text().size());
  }
  // Not into the main window's boxes as well: each long paste there stays
  // in their undo steps, a character a step, as long as the program runs.
  QGuiApplication::clipboard()->clear();
  return QStringLiteral("paste text %1 (%2 characters) in place of all")
      .arg(which)
      .arg(text.size());
}

QString DesignStorm::editChoice(QWidget* list, QString& failure) {
  if (below(8) == 0) {
    // The list's popup, an item by the arrows and Return, or Escape.
    QTest::keyClick(handle(), Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* view = static_cast<QComboBox*>(list)->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); })) {
      failure = list->objectName() + QStringLiteral(": Alt+Down did not open the list");
      return QStringLiteral("Alt+Down");
    }
    const int downs = below(4);
    for (int k = 0; k < downs; ++k) {
      QTest::keyClick(view, Qt::Key_Down);
    }
    const bool escape = below(3) == 0;
    QTest::keyClick(view, escape ? Qt::Key_Escape : Qt::Key_Return);
    if (!QTest::qWaitFor([view] { return !view->isVisible(); })) {
      failure = list->objectName() + QStringLiteral(": the list did not close");
    }
    return QStringLiteral("Alt+Down, Down ×%1, %2").arg(downs).arg(escape ? "Escape" : "Return");
  }
  const KeyStroke& key = pick(kListKeys, below(countOf(kListKeys)));
  QTest::keyClick(handle(), key.key, key.modifiers);
  return QString::fromLatin1(key.name);
}

// A row of the timer or baud table by a click or by the keys; a click on a
// row makes it current.
QString DesignStorm::pickRow(QString& failure) {
  const int page = 1 + below(2);
  if (!reachPage(page, failure)) {
    return QStringLiteral("to page %1").arg(page);
  }
  auto* table = find<QTableWidget>(page == 1 ? "timerTable" : "uartTable");
  if (table->rowCount() == 0) {
    clickAt(table->viewport(), QPoint(4, 4));
    return QStringLiteral("click the empty %1").arg(table->objectName());
  }
  const int row = below(table->rowCount());
  QTableWidgetItem* cell = table->item(row, below(table->columnCount()));
  if (below(3) != 0) {
    table->scrollToItem(cell);  // as the user scrolls the table
    clickAt(table->viewport(), table->visualItemRect(cell).center());
    if (table->currentRow() != row) {
      failure = QStringLiteral("the click on row %1 left row %2 current")
                    .arg(row)
                    .arg(table->currentRow());
    }
    return QStringLiteral("click row %1 of %2").arg(row).arg(table->objectName());
  }
  const int current = std::max(table->currentRow(), 0);
  clickAt(table->viewport(), table->visualItemRect(table->item(current, 0)).center());
  const KeyStroke& key = pick(kListKeys, below(6));
  QTest::keyClick(handle(), key.key, key.modifiers);
  return QStringLiteral("%1 in %2").arg(QLatin1String(key.name), table->objectName());
}

// 复制, or Ctrl+C in the code box with nothing or all selected: the clipboard
// holds what the box shows, or what it held where the page has no code.
QString DesignStorm::copy(QString& failure) {
  const int page = find<QTabWidget>("pages")->currentIndex();
  const QString name = QLatin1String(kPanes[page]);
  auto* box = find<CodeBox>(qPrintable(name + QStringLiteral("Code")));
  const QString before = QStringLiteral("剪贴板里原有的文字");
  QGuiApplication::clipboard()->setText(before);
  QString what;
  switch (below(3)) {
    case 0:
      clickAt(find(qPrintable(name + QStringLiteral("Copy"))), QPoint(8, 8));
      what = QStringLiteral("click 复制 on page %1").arg(page);
      break;
    case 1:
      clickAt(box->viewport(), QPoint(2, 2));
      QTest::keyClick(handle(), Qt::Key_C, Qt::ControlModifier);
      what = QStringLiteral("Ctrl+C in %1").arg(box->objectName());
      break;
    default:
      clickAt(box->viewport(), QPoint(2, 2));
      QTest::keyClick(handle(), Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(handle(), Qt::Key_C, Qt::ControlModifier);
      what = QStringLiteral("Ctrl+A, Ctrl+C in %1").arg(box->objectName());
      break;
  }
  const QString shown = box->toPlainText();
  const QString held = QGuiApplication::clipboard()->text();
  if (held != (shown.isEmpty() ? before : shown)) {
    failure = QStringLiteral("the clipboard holds\n%1\nthe box shows\n%2")
                  .arg(held.left(300), shown.left(300));
  }
  return what;
}

QString DesignStorm::focusKey() {
  const KeyStroke& key = pick(kFocusKeys, below(countOf(kFocusKeys)));
  QTest::keyClick(handle(), key.key, key.modifiers);
  return QString::fromLatin1(key.name);
}

QString DesignStorm::mismatch() const {
  if (QWidget* modal = QApplication::activeModalWidget()) {
    return QStringLiteral("a modal window: %1").arg(modal->windowTitle());
  }
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (qobject_cast<QDialog*>(top) != nullptr && top->isVisible()) {
      return QStringLiteral("a dialog: %1").arg(top->windowTitle());
    }
  }
  const DesignWindow* design = opener_->current();
  if (design == nullptr) {
    return {};
  }
  const designer::DesignModel model = modelOf(*design);
  QString wrong = paneMismatch(*design, "delay", model.delay());
  if (wrong.isEmpty()) {
    wrong = tableMismatch(*design->findChild<QTableWidget*>("timerTable"), model.timerTable());
  }
  if (wrong.isEmpty()) {
    wrong = paneMismatch(*design, "timer", model.timer());
  }
  if (wrong.isEmpty()) {
    wrong = tableMismatch(*design->findChild<QTableWidget*>("uartTable"), model.uartTable());
  }
  if (wrong.isEmpty()) {
    wrong = paneMismatch(*design, "uart", model.uart());
  }
  return wrong;
}

}  // namespace delaysub::window::test_support
