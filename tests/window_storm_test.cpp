// The real window under a storm of random input from a seeded generator:
// typing, editing keys, clipboard keys, input-method text, clicks into every
// box, clicks on every option button and label, double-clicks on every
// label, list picks through the keyboard and the list popup, and a clipboard
// that another program fills, empties or leaves without an owner. Every
// input goes through the window system as a user's would. After each one
// every widget must show what its control holds, the controls must hold
// together as the form fuzz target demands, and nothing may throw; after the
// run the heap, the undo stacks and the documents are no larger than after
// the first thousand inputs, plus a small bound.
//
// The design window takes part (window_storm_design.h): the storm opens it
// from the main window, works in it for a while, goes back to the main
// window or closes it. While it is open every code box, figure and table
// equals what a model of its own computes for the inputs it shows, and the
// main window does not change under the design window's inputs. A second
// run opens and closes it many times: the heap stays within a bound and no
// widget outlives a close (the resident memory is reported).
//
//   DELAYSUB_STORM_EVENTS  inputs to send (default 25,000, about 90 s; 15,000 under the
//                          sanitizers, about 150 s)
//   DELAYSUB_STORM_SEED    seed of the generator (default fixed)
//   DELAYSUB_STORM_CYCLES  openings of the design window in the second run
//
// A failure names the seed, the input's number and the inputs before it.
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPixmapCache>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <deque>
#include <exception>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "fuzz/form_invariants.h"
#include "storm_input.h"
#include "window/qt_text.h"
#include "window/qt_window.h"
#include "window_storm_design.h"
#include "window_test_support.h"
#include "x11_clipboard.h"

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's own count of the bytes in use (g++ ships no header for
// it); its allocator keeps nothing that mallinfo2 would see.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

using delaysub::fuzz::EventWatch;
using delaysub::window::ComboBox;
using delaysub::window::ControlSpec;
using delaysub::window::DelaySubWindow;
using delaysub::window::Kind;
using delaysub::window::layoutTable;
using delaysub::window::toQt;
using delaysub::window::test_support::clickAt;
using delaysub::window::test_support::Clipboard;
using delaysub::window::test_support::ClipboardStates;
using delaysub::window::test_support::composeText;
using delaysub::window::test_support::DesignStorm;
using delaysub::window::test_support::typeInto;

namespace {

constexpr unsigned kDefaultSeed = 20261207;
#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultEvents = 15000;  // the sanitizers slow every input down
#else
constexpr long kDefaultEvents = 25000;
#endif
// The footprint after this many inputs is the one the end is held to.
constexpr long kBaselineEvents = 1000;
constexpr std::size_t kHeapBound = 512 * 1024;
constexpr int kUndoBound = 64;
constexpr int kBlockBound = 64;
constexpr std::size_t kRecentEvents = 12;
// Openings of the design window in the second run, the one its footprint
// is first measured after, the inputs to it between opening and closing,
// and how much the heap may grow after that.
#if defined(__SANITIZE_ADDRESS__)
constexpr long kDefaultCycles = 25;
#else
constexpr long kDefaultCycles = 40;
#endif
constexpr long kBaselineCycles = 10;
constexpr int kInputsPerCycle = 8;
constexpr std::size_t kCycleHeapBound = 256 * 1024;

QtMessageHandler previousHandler = nullptr;

long fromEnvironment(const char* name, long fallback) {
  bool ok = false;
  const long value = qEnvironmentVariable(name).toLong(&ok);
  return ok && value > 0 ? value : fallback;
}

// The resident memory of the process.
long residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * sysconf(_SC_PAGESIZE);
}

std::size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// What the window holds that could grow with use.
struct Footprint {
  std::size_t heap = 0;
  int formulaUndo = 0, templateUndo = 0;      // undo steps of the two documents
  int formulaBlocks = 0, templateBlocks = 0;  // their paragraphs
  int lineUndo = 0;                           // single-line boxes that can undo

  QString text() const {
    return QStringLiteral("heap %1 bytes, undo steps %2/%3, blocks %4/%5, %6 line boxes can undo")
        .arg(heap)
        .arg(formulaUndo)
        .arg(templateUndo)
        .arg(formulaBlocks)
        .arg(templateBlocks)
        .arg(lineUndo);
  }
};

// What users type: numbers in the forms the boxes read, letters, Chinese,
// blanks.
const QString kTyped[] = {
    "0",  "1", "5",    "9",    "12", "255", "256", "-1", "&H",      "&HFF",
    "&O", "7", "1.5",  ".",    "E",  "e3",  "x",   "A",  "f",       "MOV",
    "#",  "$", "延时", "晶振", "，", "　",  " ",   "  ", "11.0592", "9600",
};
const QString kComposed[] = {"延时", "子程序", "波特率", "数", "ａｂ"};
// What another program offers as text.
const QByteArray kOffered[] = {
    "11.0592", "255",  "&H1F",  "-7", "延时\n子程序", "MOV R7,#X\r\nDJNZ R7,$\r\n",
    "",        " \t ", "1e400", "\n"};

struct KeyStroke {
  Qt::Key key;
  Qt::KeyboardModifiers modifiers;
  const char* name;
  int weight;
};

const KeyStroke kKeys[] = {
    {Qt::Key_Backspace, Qt::NoModifier, "Backspace", 12},
    {Qt::Key_Delete, Qt::NoModifier, "Delete", 6},
    {Qt::Key_Return, Qt::NoModifier, "Return", 2},
    {Qt::Key_Enter, Qt::KeypadModifier, "Enter", 1},
    {Qt::Key_Home, Qt::NoModifier, "Home", 3},
    {Qt::Key_End, Qt::NoModifier, "End", 3},
    {Qt::Key_Left, Qt::NoModifier, "Left", 3},
    {Qt::Key_Right, Qt::NoModifier, "Right", 3},
    {Qt::Key_Up, Qt::NoModifier, "Up", 3},
    {Qt::Key_Down, Qt::NoModifier, "Down", 3},
    {Qt::Key_Tab, Qt::NoModifier, "Tab", 4},
    {Qt::Key_Backtab, Qt::ShiftModifier, "Shift+Tab", 2},
    {Qt::Key_Left, Qt::ShiftModifier, "Shift+Left", 2},
    {Qt::Key_Right, Qt::ShiftModifier, "Shift+Right", 1},
    {Qt::Key_Home, Qt::ShiftModifier, "Shift+Home", 2},
    {Qt::Key_End, Qt::ShiftModifier, "Shift+End", 1},
    {Qt::Key_Space, Qt::NoModifier, "Space", 1},
    {Qt::Key_A, Qt::ControlModifier, "Ctrl+A", 6},
    {Qt::Key_C, Qt::ControlModifier, "Ctrl+C", 3},
    {Qt::Key_X, Qt::ControlModifier, "Ctrl+X", 3},
    {Qt::Key_V, Qt::ControlModifier, "Ctrl+V", 5},
    {Qt::Key_Insert, Qt::ShiftModifier, "Shift+Insert", 1},
    {Qt::Key_Z, Qt::ControlModifier, "Ctrl+Z", 4},
    {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier, "Ctrl+Shift+Z", 1},
};

enum class Input {
  Type,
  Compose,
  Key,
  ClickBox,
  ClickOption,
  ClickLabel,
  DoubleClickLabel,
  PickByKey,
  PickInPopup,
  Clipboard,
  Design  // to the design window, opening it where it is closed
};
const std::pair<Input, int> kInputs[] = {
    {Input::Type, 26},
    {Input::Compose, 3},
    {Input::Key, 44},
    {Input::ClickBox, 9},
    {Input::ClickOption, 6},
    {Input::ClickLabel, 2},
    {Input::DoubleClickLabel, 4},
    {Input::PickByKey, 2},
    {Input::PickInPopup, 1},
    {Input::Clipboard, 3},
    {Input::Design, 1},
};

// Picks the entries of a table in proportion to their weights.
template <class Entry, std::size_t N, class Weight>
std::discrete_distribution<int> weighted(const Entry (&table)[N], Weight weight) {
  std::vector<int> weights;
  for (const Entry& entry : table) {
    weights.push_back(weight(entry));
  }
  return std::discrete_distribution<int>(weights.begin(), weights.end());
}

}  // namespace

class WindowStormTest : public QObject {
  Q_OBJECT

 private:
  EventWatch watch_;  // outlives the window it follows
  std::unique_ptr<DelaySubWindow> window_;
  std::unique_ptr<DesignStorm> design_;  // goes before the window
  ClipboardStates clipboard_;
  std::mt19937 random_;
  std::discrete_distribution<int> inputs_ =
      weighted(kInputs, [](const std::pair<Input, int>& e) { return e.second; });
  std::discrete_distribution<int> keys_ =
      weighted(kKeys, [](const KeyStroke& k) { return k.weight; });
  std::vector<QWidget*> boxes_, buttons_, labels_;
  std::deque<QString> recent_;
  bool x11_ = false;

  int below(std::size_t n) {
    return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(random_);
  }
  template <class T, std::size_t N>
  const T& any(const T (&table)[N]) {
    return table[below(N)];
  }
  template <class T>
  T* any(const std::vector<T*>& list) {
    return list[static_cast<std::size_t>(below(list.size()))];
  }

  QWindow* window() const { return window_->windowHandle(); }

  static void click(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                    bool twice = false) {
    clickAt(widget, at, button, twice);
  }

  QString clickBox() {
    QWidget* box = any(boxes_);
    auto* combo = qobject_cast<QComboBox*>(box);
    auto* area = qobject_cast<QTextEdit*>(box);
    QWidget* target = combo ? combo->lineEdit() : area ? area->viewport() : box;
    const QPoint at(below(static_cast<std::size_t>(target->width())),
                    below(static_cast<std::size_t>(target->height())));
    switch (below(8)) {
      case 0:
        click(target, at, Qt::LeftButton, true);
        return QStringLiteral("double-click %1").arg(box->objectName());
      case 1:
        click(target, at, Qt::MiddleButton);
        return QStringLiteral("middle click %1").arg(box->objectName());
      default:
        click(target, at);
        return QStringLiteral("click %1").arg(box->objectName());
    }
  }

  // The next or previous item of a combo box's list by the arrow keys.
  QString pickByKey() {
    auto* combo = static_cast<QComboBox*>(
        any(std::vector<QWidget*>{window_->control("Combo0"), window_->control("Combo1")}));
    click(combo->lineEdit(), QPoint(2, 2));
    const bool down = below(2) == 0;
    QTest::keyClick(window(), down ? Qt::Key_Down : Qt::Key_Up);
    return QStringLiteral("%1 in %2").arg(down ? "Down" : "Up", combo->objectName());
  }

  // Opens a combo box's list, then picks an item with the mouse or the
  // keys, or closes it with Escape. "" when the list did not open or close.
  QString pickInPopup(QString& failure) {
    auto* combo = static_cast<QComboBox*>(
        any(std::vector<QWidget*>{window_->control("Combo0"), window_->control("Combo1")}));
    click(combo->lineEdit(), QPoint(2, 2));
    QTest::keyClick(window(), Qt::Key_Down, Qt::AltModifier);
    QAbstractItemView* view = combo->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); })) {
      failure = QStringLiteral("the list of %1 did not open").arg(combo->objectName());
      return {};
    }
    QString what;
    const int item = below(static_cast<std::size_t>(combo->count()));
    switch (below(3)) {
      case 0: {
        const QModelIndex index = view->model()->index(item, 0);
        view->scrollTo(index);  // as the user scrolls the list
        const QRect cell = view->visualRect(index);
        click(view->viewport(), cell.center());
        what = QStringLiteral("click item %1 in the list of %2").arg(item);
        break;
      }
      case 1:
        // Return picks nothing while no item is current.
        for (int k = below(4) + (view->currentIndex().isValid() ? 0 : 1); k > 0; --k) {
          QTest::keyClick(view, Qt::Key_Down);
        }
        QTest::keyClick(view, Qt::Key_Return);
        what = QStringLiteral("arrows and Return in the list of %2");
        break;
      default:
        QTest::keyClick(view, Qt::Key_Escape);
        what = QStringLiteral("Escape in the list of %2");
        break;
    }
    if (!QTest::qWaitFor([view] { return !view->isVisible(); })) {
      failure = QStringLiteral("the list of %1 did not close").arg(combo->objectName());
    }
    return what.arg(combo->objectName());
  }

  // Another program (or this one) changes what the clipboard holds.
  QString changeClipboard(QString& failure) {
    QClipboard* board = QGuiApplication::clipboard();
    const QByteArray offered = any(kOffered);
    const int choice = below(x11_ ? 9 : 3);
    switch (choice) {
      case 0:
        board->setText(QString::fromUtf8(offered));
        return QStringLiteral("this program copies \"%1\"").arg(QString::fromUtf8(offered));
      case 1: {
        auto* image = new QMimeData;
        image->setData(QStringLiteral("image/png"), "\x89PNG");
        board->setMimeData(image);
        return QStringLiteral("this program copies an image");
      }
      case 2:
        board->clear();
        return QStringLiteral("this program empties the clipboard");
      default:
        break;
    }
    const std::pair<Clipboard, const char*> states[] = {
        {Clipboard::NoOwner, "the clipboard has no owner"},
        {Clipboard::OwnerGone, "the clipboard's owner quits"},
        {Clipboard::ForeignNoFormat, "another program offers no format"},
        {Clipboard::ForeignImage, "another program offers an image"},
        {Clipboard::ForeignUnknown, "another program offers an unknown format"},
        {Clipboard::ForeignText, "another program offers text"},
    };
    const auto& [state, name] = states[choice - 3];
    if (!clipboard_.prepare(state, offered)) {
      failure = QStringLiteral("the clipboard did not reach the state: %1").arg(name);
    }
    return state == Clipboard::ForeignText
               ? QStringLiteral("%1 \"%2\"").arg(name, QString::fromUtf8(offered))
               : QString::fromLatin1(name);
  }

  // One random input; its description. failure tells why it could not be
  // sent.
  QString send(QString& failure) {
    const Input input = kInputs[inputs_(random_)].first;
    switch (input) {
      case Input::Type: {
        const QString& text = any(kTyped);
        typeInto(window(), text);
        return QStringLiteral("type \"%1\"").arg(text);
      }
      case Input::Compose: {
        const QString& text = any(kComposed);
        composeText(text);
        return QStringLiteral("compose \"%1\"").arg(text);
      }
      case Input::Key: {
        const KeyStroke& key = kKeys[keys_(random_)];
        QTest::keyClick(window(), key.key, key.modifiers);
        return QString::fromLatin1(key.name);
      }
      case Input::ClickBox:
        return clickBox();
      case Input::ClickOption: {
        QWidget* button = any(buttons_);
        click(button, QPoint(6, button->height() / 2));
        return QStringLiteral("click %1").arg(button->objectName());
      }
      case Input::ClickLabel:
      case Input::DoubleClickLabel: {
        const bool twice = input == Input::DoubleClickLabel;
        QWidget* label = any(labels_);
        click(label, QPoint(label->width() / 2, label->height() / 2), Qt::LeftButton, twice);
        return QStringLiteral("%1 %2").arg(twice ? "double-click" : "click", label->objectName());
      }
      case Input::PickByKey:
        return pickByKey();
      case Input::PickInPopup:
        return pickInPopup(failure);
      case Input::Clipboard:
        return changeClipboard(failure);
      case Input::Design:
        return design_->enter(failure);
    }
    return {};
  }

  // The first widget that does not show what its control holds, "" when
  // every one does.
  QString mismatch() {
    auto& form = window_->form();
    for (const ControlSpec& row : layoutTable()) {
      QWidget* widget = window_->control(row.name, row.index);
      const QString name = widget->objectName();
      switch (row.kind) {
        case Kind::Frame:
          if (widget->isHidden() == form.control<delaysub::window::Frame>(row.name).visible()) {
            return name + QStringLiteral(" visibility");
          }
          break;
        case Kind::Label:
          if (static_cast<QLabel*>(widget)->text() !=
              toQt(form.control<delaysub::window::Label>(row.name, row.index).caption())) {
            return name + QStringLiteral(" caption");
          }
          break;
        case Kind::TextBox: {
          const QString held =
              toQt(form.control<delaysub::window::TextBox>(row.name, row.index).text());
          if (auto* area = qobject_cast<QTextEdit*>(widget)) {
            // The control holds CR LF at every line break, the widget LF.
            if (area->toPlainText().replace(u'\n', QStringLiteral("\r\n")) != held) {
              return name + QStringLiteral(" text \"%1\", the control \"%2\"")
                                .arg(area->toPlainText(), held);
            }
          } else if (static_cast<QLineEdit*>(widget)->text() != held) {
            return name + QStringLiteral(" text \"%1\", the control \"%2\"")
                              .arg(static_cast<QLineEdit*>(widget)->text(), held);
          }
          break;
        }
        case Kind::ComboBox: {
          auto* combo = static_cast<QComboBox*>(widget);
          const auto& box = form.control<ComboBox>(row.name);
          if (combo->lineEdit()->text() != toQt(box.text())) {
            return name + QStringLiteral(" text \"%1\", the control \"%2\"")
                              .arg(combo->lineEdit()->text(), toQt(box.text()));
          }
          if (combo->currentIndex() != box.listIndex()) {
            return name + QStringLiteral(" list index %1, the control %2")
                              .arg(combo->currentIndex())
                              .arg(box.listIndex());
          }
          if (combo->count() != static_cast<int>(box.items().size())) {
            return name + QStringLiteral(" list length");
          }
          for (int i = 0; i < combo->count(); ++i) {
            if (combo->itemText(i) != toQt(box.items()[static_cast<std::size_t>(i)])) {
              return name + QStringLiteral(" item %1").arg(i);
            }
          }
          break;
        }
        case Kind::OptionButton: {
          auto* button = static_cast<QRadioButton*>(widget);
          const auto& group = form.control<delaysub::window::OptionGroup>(row.name, row.index);
          if (button->isChecked() != group.isSelected(row.index)) {
            return name + QStringLiteral(" checked");
          }
          if (button->text() != toQt(group.captions()[static_cast<std::size_t>(row.index)])) {
            return name + QStringLiteral(" caption");
          }
          break;
        }
      }
    }
    const QLabel* report = window_->errorReport();
    if (report->text() != toQt(form.errorReport()) ||
        report->isHidden() != form.errorReport().empty()) {
      return QStringLiteral("the error report \"%1\", the form \"%2\"")
          .arg(report->text(), toQt(form.errorReport()));
    }
    if (QWidget* popup = QApplication::activePopupWidget()) {
      popup->close();
      return QStringLiteral("a popup stays open");
    }
    const std::string broken = delaysub::fuzz::brokenInvariant(form, watch_);
    return broken.empty() ? QString() : QStringLiteral("invariant broken at %1").arg(toQt(broken));
  }

  // The footprint with every box that takes typing emptied by the keys and
  // the clipboard emptied, so that two measures see the same texts.
  Footprint settledFootprint() {
    watch_.startStep(window_->form());
    for (QWidget* box : boxes_) {
      auto* area = qobject_cast<QTextEdit*>(box);
      auto* line = qobject_cast<QLineEdit*>(box);
      if ((area && area->isReadOnly()) || (line && line->isReadOnly())) {
        continue;
      }
      auto* combo = qobject_cast<QComboBox*>(box);
      click(combo ? combo->lineEdit() : area ? area->viewport() : box, QPoint(2, 2));
      QTest::keyClick(window(), Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(window(), Qt::Key_Delete);
    }
    QGuiApplication::clipboard()->clear();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return footprint();
  }

  Footprint footprint() const {
    Footprint f;
    f.heap = heapInUse();
    const QTextDocument* formula =
        static_cast<QTextEdit*>(window_->control("Text1", 3))->document();
    const QTextDocument* code = static_cast<QTextEdit*>(window_->control("Text1", 4))->document();
    f.formulaUndo = formula->availableUndoSteps();
    f.templateUndo = code->availableUndoSteps();
    f.formulaBlocks = formula->blockCount();
    f.templateBlocks = code->blockCount();
    for (QLineEdit* line : window_->findChildren<QLineEdit*>()) {
      f.lineUndo += line->isUndoAvailable() ? 1 : 0;
    }
    return f;
  }

  // What is wrong after an input: the failure of sending it, else the first
  // mismatch of the main window, else of the design window.
  QString checked(const QString& failure) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (!failure.isEmpty()) {
      return failure;
    }
    const QString wrong = mismatch();
    return wrong.isEmpty() ? design_->mismatch() : wrong;
  }

  // The design window closed for a measure, so that every measure sees the
  // same windows.
  QString closeDesign() {
    QString failure;
    const QString what = design_->close(failure);
    if (!failure.isEmpty()) {
      recent_.push_back(what);
    }
    return failure;
  }

  QString failed(unsigned seed, long n, const QString& why) const {
    QString text =
        QStringLiteral("seed %1, input %2: %3\nthe inputs up to it:").arg(seed).arg(n).arg(why);
    for (const QString& what : recent_) {
      text += QStringLiteral("\n  ") + what;
    }
    return text;
  }

 private slots:
  void initTestCase() {
    x11_ = QGuiApplication::platformName() == QLatin1String("xcb");
    // Qt's pixmap cache fills with the drawings of every new window up to
    // its limit (10 MiB): without it the measures see what the windows keep.
    QPixmapCache::setCacheLimit(0);
    if (!x11_) {
      // The offscreen platform cannot raise the list or grab the keyboard,
      // and says so at every list it opens.
      previousHandler = qInstallMessageHandler(
          [](QtMsgType type, const QMessageLogContext& context, const QString& message) {
            if (!message.startsWith(QLatin1String("This plugin does not support"))) {
              previousHandler(type, context, message);
            }
          });
    }
    window_ = std::make_unique<DelaySubWindow>(&watch_);
    design_ = std::make_unique<DesignStorm>(*window_, random_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    for (const ControlSpec& row : layoutTable()) {
      QWidget* widget = window_->control(row.name, row.index);
      if (row.kind == Kind::TextBox || row.kind == Kind::ComboBox) {
        boxes_.push_back(widget);
      } else if (row.kind == Kind::OptionButton) {
        buttons_.push_back(widget);
      } else if (row.kind == Kind::Label) {
        labels_.push_back(widget);
      }
    }
  }
  void cleanupTestCase() {
    clipboard_.release();
    design_.reset();
    window_.reset();
  }

  void storm() {
    const auto seed = static_cast<unsigned>(fromEnvironment("DELAYSUB_STORM_SEED", kDefaultSeed));
    const long events = fromEnvironment("DELAYSUB_STORM_EVENTS", kDefaultEvents);
    random_.seed(seed);
    Footprint baseline;
    QElapsedTimer clock;
    clock.start();
    for (long n = 1; n <= events; ++n) {
      watch_.startStep(window_->form());
      QString failure, what;
      try {
        what = design_->inFront() ? design_->send(failure) : send(failure);
        failure = checked(failure);
      } catch (const std::exception& e) {
        failure = QStringLiteral("exception: %1").arg(QString::fromLocal8Bit(e.what()));
      }
      recent_.push_back(what);
      if (recent_.size() > kRecentEvents) {
        recent_.pop_front();
      }
      if (!failure.isEmpty()) {
        QFAIL(qPrintable(failed(seed, n, failure)));
      }
      if (n == std::min(kBaselineEvents, events)) {
        if (const QString wrong = closeDesign(); !wrong.isEmpty()) {
          QFAIL(qPrintable(failed(seed, n, wrong)));
        }
        baseline = settledFootprint();
        if (const QString wrong = mismatch(); !wrong.isEmpty()) {
          QFAIL(qPrintable(failed(seed, n, wrong)));
        }
      }
    }
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    if (const QString wrong = closeDesign(); !wrong.isEmpty()) {
      QFAIL(qPrintable(failed(seed, events, wrong)));
    }
    const Footprint end = settledFootprint();
    if (const QString wrong = mismatch(); !wrong.isEmpty()) {
      QFAIL(qPrintable(failed(seed, events, wrong)));
    }
    qInfo("%ld inputs, seed %u, %.1f s, %.0f inputs/s; after %ld: %s; at the end: %s", events, seed,
          seconds, static_cast<double>(events) / seconds, std::min(kBaselineEvents, events),
          qPrintable(baseline.text()), qPrintable(end.text()));
    QVERIFY2(end.heap <= baseline.heap + kHeapBound, qPrintable(end.text()));
    QVERIFY2(end.formulaUndo <= baseline.formulaUndo + kUndoBound, qPrintable(end.text()));
    QVERIFY2(end.templateUndo <= baseline.templateUndo + kUndoBound, qPrintable(end.text()));
    QVERIFY2(end.formulaBlocks <= baseline.formulaBlocks + kBlockBound, qPrintable(end.text()));
    QVERIFY2(end.templateBlocks <= baseline.templateBlocks + kBlockBound, qPrintable(end.text()));
  }

  // The design window opened, typed into and closed again and again: after
  // the first few times the heap does not grow
  // beyond a bound, and every close leaves as many widgets as the first.
  void designOpenedAndClosed() {
    const auto seed = static_cast<unsigned>(fromEnvironment("DELAYSUB_STORM_SEED", kDefaultSeed));
    const long cycles =
        std::max(fromEnvironment("DELAYSUB_STORM_CYCLES", kDefaultCycles), kBaselineCycles + 1);
    random_.seed(seed);
    recent_.clear();
    std::size_t heap = 0;
    long resident = 0;
    qsizetype widgets = 0;
    QElapsedTimer clock;
    clock.start();
    for (long n = 1; n <= cycles; ++n) {
      for (int i = 0; i <= kInputsPerCycle; ++i) {
        watch_.startStep(window_->form());
        QString failure, what;
        try {
          what = design_->inFront() ? design_->send(failure) : design_->enter(failure);
          failure = checked(failure);
        } catch (const std::exception& e) {
          failure = QStringLiteral("exception: %1").arg(QString::fromLocal8Bit(e.what()));
        }
        recent_.push_back(what);
        if (recent_.size() > kRecentEvents) {
          recent_.pop_front();
        }
        if (!failure.isEmpty()) {
          QFAIL(qPrintable(failed(seed, n, failure)));
        }
      }
      if (const QString wrong = closeDesign(); !wrong.isEmpty()) {
        QFAIL(qPrintable(failed(seed, n, wrong)));
      }
      QGuiApplication::clipboard()->clear();
      QCoreApplication::processEvents();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      const qsizetype now = QApplication::allWidgets().size();
      if (n == kBaselineCycles) {
        heap = heapInUse();
        resident = residentBytes();
        widgets = now;
      } else if (n > kBaselineCycles && now != widgets) {
        QFAIL(qPrintable(failed(seed, n,
                                QStringLiteral("%1 widgets after the close, %2 after close %3")
                                    .arg(now)
                                    .arg(widgets)
                                    .arg(kBaselineCycles))));
      }
    }
    const std::size_t endHeap = heapInUse();
    const long endResident = residentBytes();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    qInfo(
        "%ld openings, seed %u, %.1f s, %.1f ms each; after %ld: heap %zu bytes, resident %ld "
        "bytes, %lld widgets; at the end: heap %zu bytes, resident %ld bytes",
        cycles, seed, seconds, 1000.0 * seconds / static_cast<double>(cycles), kBaselineCycles,
        heap, resident, static_cast<long long>(widgets), endHeap, endResident);
    QVERIFY2(endHeap <= heap + kCycleHeapBound, "the heap grows with every opening");
  }
};

int main(int argc, char* argv[]) {
  return delaysub::window::test_support::runWindowTest<WindowStormTest>(argc, argv);
}

#include "window_storm_test.moc"
