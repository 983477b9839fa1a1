// The Qt window on the offscreen platform: layout, focus, typing, picking,
// double-clicks, the font rules and the accessibility interface.
#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>
#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "window/qt_widgets.h"
#include "window/qt_window.h"
#include "window/run_counts.h"
#include "window_test_support.h"

using delaysub::window::CaptionLabel;
using delaysub::window::ControlSpec;
using delaysub::window::DelaySubWindow;
using delaysub::window::Kind;
using delaysub::window::layoutTable;
using delaysub::window::RunCounter;
using delaysub::window::RunCounts;

Q_DECLARE_METATYPE(Kind)

namespace {

QString nameOf(const ControlSpec& row) {
  const QString name = QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()));
  return row.index >= 0 ? QStringLiteral("%1(%2)").arg(name).arg(row.index) : name;
}

QString textOf(const ControlSpec& row) {
  return QString::fromUtf8(row.text.data(), static_cast<qsizetype>(row.text.size()));
}

QString visibleText(QWidget* widget) {
  if (auto* label = qobject_cast<QLabel*>(widget)) {
    return label->text();
  }
  if (auto* button = qobject_cast<QRadioButton*>(widget)) {
    return button->text();
  }
  if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
    return frame->title();
  }
  if (auto* line = qobject_cast<QLineEdit*>(widget)) {
    return line->text();
  }
  if (auto* combo = qobject_cast<QComboBox*>(widget)) {
    return combo->currentText();
  }
  if (auto* box = qobject_cast<QTextEdit*>(widget)) {
    return box->toPlainText();
  }
  return {};
}

// Lines that a multi-line box lays its text out in.
int laidOutLines(QTextEdit* box) {
  int lines = 0;
  for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
    lines += block.layout()->lineCount();
  }
  return lines;
}

// Rows (device pixels of the box's viewport) that hold the ink of the given
// document ranges when the rest of the text is drawn transparent.
struct Ink {
  int top = INT_MAX;
  int bottom = -1;
  bool empty() const { return bottom < 0; }
};
using Ranges = QList<QPair<int, int>>;  // start, length

// The box's viewport as the window draws it: at the viewport's place in the
// window, which need not start on a whole device pixel at every scale.
QImage viewportImage(QTextEdit* box) {
  QWidget* window = box->window();
  const QImage whole = window->grab().toImage();
  const qreal ratio = whole.devicePixelRatio();
  const QRect area(box->viewport()->mapTo(window, QPoint(0, 0)), box->viewport()->size());
  const int left = int(std::ceil(area.left() * ratio)), top = int(std::ceil(area.top() * ratio));
  const int right = int(std::floor((area.right() + 1) * ratio));
  const int bottom = int(std::floor((area.bottom() + 1) * ratio));
  return whole.copy(left, top, right - left, bottom - top);
}

Ink inkOf(QTextEdit* box, const Ranges& shown) {
  // The box's own formats are put back afterwards; the box reports nothing.
  const QSignalBlocker blocker(box);
  QTextDocument* doc = box->document();
  QList<QPair<QPair<int, int>, QTextCharFormat>> saved;
  for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      saved.append(
          {{it.fragment().position(), it.fragment().length()}, it.fragment().charFormat()});
    }
  }
  auto format = [doc](int start, int length, const QTextCharFormat& charFormat) {
    QTextCursor cursor(doc);
    cursor.setPosition(start);
    cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    cursor.setCharFormat(charFormat);
  };
  QTextCharFormat clear;
  clear.setForeground(QColor(Qt::transparent));
  format(0, doc->characterCount() - 1, clear);
  // What the box shows without text (its background, and at some scales a
  // fraction of its border), then with the ranges' text.
  const QImage blank = viewportImage(box);
  for (const auto& [start, length] : shown) {
    format(start, length, QTextCharFormat());
  }
  const QImage image = viewportImage(box);
  for (const auto& [range, charFormat] : saved) {
    format(range.first, range.second, charFormat);
  }
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) != blank.pixel(x, y)) {
        ink.top = std::min(ink.top, y);
        ink.bottom = std::max(ink.bottom, y);
        break;
      }
    }
  }
  return ink;
}

// The laid-out lines of a box: document ranges of their characters, and
// of their capitals and underscores alone.
struct BoxLine {
  QString text;
  Ranges all, capitals, underscores;
};

QList<BoxLine> boxLines(QTextEdit* box) {
  QList<BoxLine> lines;
  for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
    for (int i = 0; i < block.layout()->lineCount(); ++i) {
      const QTextLine line = block.layout()->lineAt(i);
      BoxLine entry;
      entry.text = block.text().mid(line.textStart(), line.textLength());
      const int start = block.position() + line.textStart();
      entry.all.append({start, line.textLength()});
      for (int c = 0; c < entry.text.size(); ++c) {
        if (entry.text[c].isUpper()) {
          entry.capitals.append({start + c, 1});
        } else if (entry.text[c] == u'_') {
          entry.underscores.append({start + c, 1});
        }
      }
      lines.append(entry);
    }
  }
  return lines;
}

}  // namespace

class WindowTest : public QObject {
  Q_OBJECT

 private:
  RunCounter ran_;  // outlives every window it counts for
  std::unique_ptr<DelaySubWindow> window_;

  template <class W = QWidget>
  W* widget(const char* name, int index = -1) {
    return qobject_cast<W*>(window_->control(name, index));
  }

  void showWindow() {
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
  }

  void pickItem(QComboBox* combo, int item) {
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
      // The offscreen platform cannot raise the list or grab the keyboard.
      QTest::ignoreMessage(QtWarningMsg, "This plugin does not support raise()");
      QTest::ignoreMessage(QtWarningMsg, "This plugin does not support grabbing the keyboard");
    }
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    QTRY_VERIFY(view->isVisible());
    const QRect cell = view->visualRect(view->model()->index(item, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    QTRY_VERIFY(!view->isVisible());
  }

  enum Start { Emptied, Start, End, Selected };

  // Types the keys one by one: "\n" is Return, "\r" Shift+Return, "\t" Enter
  // on the keypad and "\b" Backspace.
  static void typeKeys(QWidget* box, const QString& keys) {
    for (QChar key : keys) {
      if (key == u'\n') {
        QTest::keyClick(box, Qt::Key_Return);
      } else if (key == u'\r') {
        QTest::keyClick(box, Qt::Key_Return, Qt::ShiftModifier);
      } else if (key == u'\t') {
        QTest::keyClick(box, Qt::Key_Enter, Qt::KeypadModifier);
      } else if (key == u'\b') {
        QTest::keyClick(box, Qt::Key_Backspace);
      } else {
        QTest::keyClicks(box, QString(key));
      }
    }
  }

  void retype(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
  }

 private slots:
  void init() {
    static_cast<RunCounts&>(ran_) = RunCounts{};  // counts from zero
    window_ = std::make_unique<DelaySubWindow>(&ran_);
  }
  void cleanup() { window_.reset(); }

  void windowFrame() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quelp 延时计算"));
    QCOMPARE(window_->minimumSize(), QSize(462, 280));
    QCOMPARE(window_->maximumSize(), QSize(462, 280));
    const Qt::WindowFlags flags = window_->windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(flags & Qt::WindowSystemMenuHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    const QImage icon = DelaySubWindow::programIcon().pixmap(32, 32).toImage();
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        colours.insert(icon.pixel(x, y));
      }
    }
    QVERIFY(colours.size() <= 16);
  }

  // On a platform without window manager hints (here offscreen) the window
  // shows without a word.
  void showsQuietly() {
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    showWindow();
    window_->hide();
    showWindow();
  }

  void geometry_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<bool>("autoSize");
    for (const ControlSpec& row : layoutTable()) {
      QTest::newRow(qPrintable(nameOf(row)))
          << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()))
          << int(row.index)
          << QString::fromUtf8(row.container.data(), static_cast<qsizetype>(row.container.size()))
          << QRect(row.left / 15, row.top / 15, row.width / 15, row.height / 15)
          << bool(row.flags & delaysub::window::kAutoSize);
    }
  }
  void geometry() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(QString, container);
    QFETCH(QRect, rect);
    QFETCH(bool, autoSize);
    QWidget* control = window_->control(name.toStdString(), index);
    QVERIFY(control);
    QWidget* parent =
        container.isEmpty() ? window_.get() : window_->control(container.toStdString());
    QCOMPARE(control->parentWidget(), parent);
    QCOMPARE(control->pos(), rect.topLeft());
    if (autoSize) {
      // Fitted to the caption: in the window's font exactly the table's
      // width (12 px a Chinese character, 6 px a Latin one), and tall
      // enough for the font's line.
      auto* label = qobject_cast<QLabel*>(control);
      QCOMPARE(control->width(), rect.width());
      QCOMPARE(control->height(), QFontMetrics(label->font()).height());
      QVERIFY(control->height() >= rect.height());
    } else {
      QCOMPARE(control->size(), rect.size());
    }
  }

  void tabOrder() {
    showWindow();
    // After start-up each option group has its selected button, where Tab stops.
    const QList<QPair<const char*, int>> chain = {
        {"Option2", 0}, {"Text1", 0},   {"Text1", 1},  {"Option0", 0}, {"Text1", 3},  {"Text1", 4},
        {"Option1", 0}, {"Combo1", -1}, {"Text2", -1}, {"Combo0", -1}, {"Option2", 0}};
    QTRY_COMPARE(QApplication::focusWidget(), widget("Option2", 0));
    for (qsizetype i = 1; i < chain.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* expected = widget(chain[i].first, chain[i].second);
      QWidget* focus = QApplication::focusWidget();
      QVERIFY2(focus == expected || expected->isAncestorOf(focus),
               qPrintable(QStringLiteral("step %1: focus on %2").arg(i).arg(focus->objectName())));
    }
    // Before any selection Tab stops at SMOD 1 before SMOD 0.
    DelaySubWindow fresh;
    auto* one = qobject_cast<QWidget*>(fresh.control("Option1", 1));
    QCOMPARE(one->focusPolicy(), Qt::ClickFocus);  // SMOD 0 is selected by the load
    QCOMPARE(one->nextInFocusChain(), fresh.control("Option1", 0));
  }

  void arrowKeysMoveInsideAGroup() {
    showWindow();
    auto* single = widget<QRadioButton>("Option2", 0);
    QTRY_COMPARE(QApplication::focusWidget(), single);
    QTest::keyClick(single, Qt::Key_Right);
    QVERIFY(widget<QRadioButton>("Option2", 1)->isChecked());
    QCOMPARE(window_->form().windowState().loop_type, 1);
    QCOMPARE(QApplication::focusWidget(), widget("Option2", 1));
  }

  void boxFlags_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<bool>("centred");
    QTest::addColumn<bool>("multiLine");
    QTest::newRow("Text1(0) delay") << "Text1" << 0 << true << true << false;
    QTest::newRow("Text1(1) seed") << "Text1" << 1 << false << true << false;
    QTest::newRow("Text1(3) formula") << "Text1" << 3 << true << false << true;
    QTest::newRow("Text1(4) template") << "Text1" << 4 << false << false << true;
    QTest::newRow("Text2 baud result") << "Text2" << -1 << false << true << false;
  }
  void boxFlags() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(bool, readOnly);
    QFETCH(bool, centred);
    QFETCH(bool, multiLine);
    QWidget* box = window_->control(name.toStdString(), index);
    QCOMPARE(box->focusPolicy(), Qt::StrongFocus);
    const QString before = visibleText(box);
    if (multiLine) {
      auto* edit = qobject_cast<QTextEdit*>(box);
      QVERIFY(edit);
      QCOMPARE(edit->isReadOnly(), readOnly);
      QCOMPARE(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      QCOMPARE(edit->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
      QVERIFY(edit->textInteractionFlags() & Qt::TextSelectableByKeyboard);
      edit->setFocus();
      edit->moveCursor(QTextCursor::End);
    } else {
      auto* edit = qobject_cast<QLineEdit*>(box);
      QVERIFY(edit);
      QCOMPARE(edit->isReadOnly(), readOnly);
      QCOMPARE(bool(edit->alignment() & Qt::AlignHCenter), centred);
      edit->setFocus();
      edit->end(false);
    }
    QTest::keyClicks(box, QStringLiteral("7"));
    QCOMPARE(visibleText(box) == before, readOnly);
    if (readOnly) {  // still selects
      if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->selectAll();
        QCOMPARE(line->selectedText(), before);
      } else {
        auto* edit = qobject_cast<QTextEdit*>(box);
        edit->selectAll();
        QCOMPARE(edit->textCursor().selectedText().size(), before.size());
      }
    }
  }

  void startUp() {
    QCOMPARE(widget<QComboBox>("Combo0")->currentText(), QStringLiteral("12 MHz"));
    QCOMPARE(widget<QComboBox>("Combo0")->currentIndex(), 5);
    QCOMPARE(widget<QComboBox>("Combo0")->count(), 11);
    QCOMPARE(widget<QComboBox>("Combo1")->currentText(), QStringLiteral("9600"));
    QCOMPARE(widget<QComboBox>("Combo1")->currentIndex(), -1);
    QCOMPARE(widget<QComboBox>("Combo1")->count(), 12);
    QVERIFY(!widget<QRadioButton>("Option2", 0)->isChecked());
    showWindow();
    QVERIFY(widget<QRadioButton>("Option2", 0)->isChecked());
    QVERIFY(widget<QRadioButton>("Option0", 0)->isChecked());
    QVERIFY(widget<QRadioButton>("Option1", 0)->isChecked());
    QCOMPARE(ran_.Option2_Click, 2);
    QCOMPARE(ran_.BPS, 3);
    QCOMPARE(ran_.Text1_Change, 3);
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), QStringLiteral("4"));
    QCOMPARE(widget<QLabel>("Label1", 9)->text(), QStringLiteral("0"));
    QCOMPARE(widget<QLineEdit>("Text2")->text(), QStringLiteral("不可实现"));
    QCOMPARE(widget<QTextEdit>("Text1", 3)->toPlainText(),
             QStringLiteral("T=[2X + 4] * (12 / Fosc)"));
    QVERIFY(widget<QTextEdit>("Text1", 4)->toPlainText().startsWith(QStringLiteral("\nWAIT:")));
    QVERIFY(window_->errorReport()->isHidden());
  }

  void typingTheSeed_data() {
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("hex");
    QTest::addColumn<QString>("delay");
    QTest::newRow("100") << "100"
                         << "64"
                         << "204";
    QTest::newRow("400") << "400"
                         << "190"
                         << "804";
    QTest::newRow("-5") << "-5"
                        << "FFFFFFFB"
                        << "-6";
    QTest::newRow("2.5 rounds to 2") << "2.5"
                                     << "2"
                                     << "8";
    QTest::newRow("3.5 rounds to 4") << "3.5"
                                     << "4"
                                     << "12";
  }
  void typingTheSeed() {
    QFETCH(QString, seed);
    QFETCH(QString, hex);
    QFETCH(QString, delay);
    showWindow();
    auto* box = widget<QLineEdit>("Text1", 1);
    box->setFocus();
    QTest::keyClicks(box, seed);
    QCOMPARE(box->text(), seed);
    QCOMPARE(widget<QLabel>("Label1", 9)->text(), hex);
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), delay);
    QCOMPARE(QApplication::focusWidget(), box);
  }

  void typingIntoTheTemplate() {
    showWindow();
    auto& form = window_->form();
    auto* box = widget<QTextEdit>("Text1", 4);
    box->setFocus();
    box->moveCursor(QTextCursor::End);
    const int before = ran_.Text1_Change;
    QTest::keyClick(box, Qt::Key_Return);
    QTest::keyClicks(box, QStringLiteral("NOP"));
    QCOMPARE(ran_.Text1_Change, before + 4);
    QVERIFY(form.Text1(4).text().ends_with("RET\r\nNOP"));
    // The new line keeps the box's line height.
    QCOMPARE(box->document()->lastBlock().blockFormat().lineHeight(),
             qreal(DelaySubWindow::kLineHeight));
  }

  // The template box after typing into it, "\n" standing for Return, "\r"
  // for Shift+Return, "\t" for Enter on the keypad and "\b" for Backspace;
  // from an emptied box, from the start or the end of its text, or over all
  // of it selected ("@" in the expected text stands for the text before).
  void typingKeepsEveryLineBreak_data() {
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("expected");
    QTest::newRow("two breaks, then x") << int(Emptied) << "\n\nx"
                                        << "\n\nx";
    QTest::newRow("x, two breaks, z") << int(Emptied) << "x\n\nz"
                                      << "x\n\nz";
    QTest::newRow("a, three breaks") << int(Emptied) << "a\n\n\n"
                                     << "a\n\n\n";
    QTest::newRow("one break alone") << int(Emptied) << "\n"
                                     << "\n";
    QTest::newRow("breaks only") << int(Emptied) << "\n\n\n\n"
                                 << "\n\n\n\n";
    QTest::newRow("one break between") << int(Emptied) << "x\ny"
                                       << "x\ny";
    QTest::newRow("Shift+Return") << int(Emptied) << "\r\rx\r"
                                  << "\n\nx\n";
    QTest::newRow("keypad Enter") << int(Emptied) << "\t\tx"
                                  << "\n\nx";
    QTest::newRow("break taken back") << int(Emptied) << "x\n\n\b"
                                      << "x\n";
    QTest::newRow("breaks at the start") << int(Start) << "\n\n"
                                         << "\n\n@";
    QTest::newRow("text at the start") << int(Start) << ";\n\n"
                                       << ";\n\n@";
    QTest::newRow("breaks at the end") << int(End) << "\n\n\n"
                                       << "@\n\n\n";
    QTest::newRow("text at the end") << int(End) << "\n\nNOP\n"
                                     << "@\n\nNOP\n";
    QTest::newRow("over a selection") << int(Selected) << "\n\n"
                                      << "\n\n";
  }
  void typingKeepsEveryLineBreak() {
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(QString, expected);
    showWindow();
    auto& form = window_->form();
    auto* box = widget<QTextEdit>("Text1", 4);
    expected.replace(u'@', box->toPlainText());
    box->setFocus();
    if (start == Emptied) {
      QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClick(box, Qt::Key_Delete);
      QCOMPARE(box->toPlainText(), QString());
    } else if (start == Selected) {
      QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    } else {
      QTest::keyClick(box, start == Start ? Qt::Key_Home : Qt::Key_End, Qt::ControlModifier);
    }
    const int before = ran_.Text1_Change;
    // The cursor ends just after what was typed.
    const QTextCursor at = box->textCursor();
    const qsizetype cursorAfter = at.selectionStart() + expected.size() -
                                  (box->toPlainText().size() - at.selectedText().size());
    typeKeys(box, keys);
    QCOMPARE(box->toPlainText(), expected);
    QCOMPARE(QString::fromStdString(form.Text1(4).text()),
             QString(expected).replace(QChar(u'\n'), QStringLiteral("\r\n")));
    QCOMPARE(ran_.Text1_Change, before + int(keys.size()));
    // Every line, the new ones too, keeps the box's line height.
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
      QCOMPARE(block.blockFormat().lineHeight(), qreal(DelaySubWindow::kLineHeight));
    }
    QCOMPARE(box->textCursor().position(), cursorAfter);
  }

  // The single-line boxes take the Return key as no character at all.
  void typingIntoTheLineBoxes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::newRow("seed Text1(1)") << "Text1" << 1;
    QTest::newRow("baud result Text2") << "Text2" << -1;
    QTest::newRow("crystal Combo0") << "Combo0" << -1;
    QTest::newRow("baud rate Combo1") << "Combo1" << -1;
  }
  void typingIntoTheLineBoxes() {
    QFETCH(QString, name);
    QFETCH(int, index);
    showWindow();
    QWidget* control = window_->control(name.toStdString(), index);
    auto* combo = qobject_cast<QComboBox*>(control);
    QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(control);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeKeys(edit, QStringLiteral("\n1\n\n2\r3\n"));
    QCOMPARE(edit->text(), QStringLiteral("123"));
    auto& form = window_->form();
    const std::string held = name == "Text1"    ? form.Text1(index).text()
                             : name == "Text2"  ? form.Text2.text()
                             : name == "Combo0" ? form.Combo0.text()
                                                : form.Combo1.text();
    QCOMPARE(QString::fromStdString(held), QStringLiteral("123"));
  }

  void pickingListItems_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<int>("item");
    QTest::addColumn<QString>("text");
    QTest::newRow("Combo0 11.0592MHz") << "Combo0" << 4 << "11.0592MHz";
    QTest::newRow("Combo0 24 MHz") << "Combo0" << 9 << "24 MHz";
    QTest::newRow("Combo1 14400") << "Combo1" << 6 << "14400";
    QTest::newRow("Combo1 9600") << "Combo1" << 5 << "9600";
  }
  void pickingListItems() {
    QFETCH(QString, combo);
    QFETCH(int, item);
    QFETCH(QString, text);
    showWindow();
    auto& form = window_->form();
    auto* box = widget<QComboBox>(qPrintable(combo));
    const RunCounts before = ran_;
    pickItem(box, item);
    QCOMPARE(box->currentText(), text);
    const bool crystal = combo == QStringLiteral("Combo0");
    const auto& model = crystal ? form.Combo0 : form.Combo1;
    QCOMPARE(model.listIndex(), item);
    QCOMPARE(QString::fromStdString(model.text()), text);
    QCOMPARE(ran_.Combo0_Click - before.Combo0_Click, crystal ? 1 : 0);
    QCOMPARE(ran_.Combo1_Click - before.Combo1_Click, crystal ? 0 : 1);
    QCOMPARE(ran_.Combo0_Change, before.Combo0_Change);
    QCOMPARE(ran_.Combo1_Change, before.Combo1_Change);
    QCOMPARE(ran_.BPS - before.BPS, 1);
    if (crystal) {
      QCOMPARE(form.windowState().Fosc, text.left(text.indexOf(QChar('M'))).trimmed().toFloat());
    }
  }

  void typingIntoTheLists_data() {
    QTest::addColumn<QString>("combo");
    QTest::addColumn<QString>("typed");
    QTest::newRow("Combo0 crystal") << "Combo0"
                                    << "24";
    QTest::newRow("Combo1 baud") << "Combo1"
                                 << "4800";
  }
  void typingIntoTheLists() {
    QFETCH(QString, combo);
    QFETCH(QString, typed);
    showWindow();
    auto& form = window_->form();
    auto* box = widget<QComboBox>(qPrintable(combo));
    const RunCounts before = ran_;
    retype(box->lineEdit(), typed);
    const bool crystal = combo == QStringLiteral("Combo0");
    const int changes = int(typed.size()) + 1;  // the deletion, then each key
    QCOMPARE(ran_.Combo0_Change - before.Combo0_Change, crystal ? changes : 0);
    QCOMPARE(ran_.Combo1_Change - before.Combo1_Change, crystal ? 0 : changes);
    QCOMPARE(ran_.Combo0_Click, before.Combo0_Click);
    QCOMPARE(ran_.Combo1_Click, before.Combo1_Click);
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(box->currentIndex(), -1);
    if (crystal) {
      QCOMPARE(form.windowState().Fosc, typed.toFloat());
    }
    // Leaving the box picks nothing, even when the text matches an item.
    const RunCounts typedCounts = ran_;
    QTest::keyClick(box->lineEdit(), Qt::Key_Tab);
    QCOMPARE(ran_.Combo0_Click, typedCounts.Combo0_Click);
    QCOMPARE(ran_.Combo1_Click, typedCounts.Combo1_Click);
    // Picking the item that was selected before the typing is a click only.
    const int item = crystal ? 5 : 3;
    pickItem(box, item);
    QCOMPARE(ran_.Combo0_Change + ran_.Combo1_Change,
             typedCounts.Combo0_Change + typedCounts.Combo1_Change);
    QCOMPARE(ran_.Combo0_Click + ran_.Combo1_Click,
             typedCounts.Combo0_Click + typedCounts.Combo1_Click + 1);
    QCOMPARE(box->currentIndex(), item);
  }

  void unitToggleByDoubleClick() {
    showWindow();
    QTest::keyClicks(widget("Text1", 1), QStringLiteral("100"));
    auto* unit = widget<QLabel>("Label1", 6);
    const QPoint left = unit->pos();
    QTest::mouseDClick(unit, Qt::LeftButton);
    QCOMPARE(unit->text(), QStringLiteral("mS"));
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), QStringLiteral(" .204"));
    QCOMPARE(unit->pos(), left);
    QCOMPARE(unit->width(), 12);  // two Latin characters, as "uS"
    QTest::mouseDClick(unit, Qt::LeftButton);
    QCOMPARE(unit->text(), QStringLiteral("uS"));
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), QStringLiteral("204"));
    // Every Label1 member reaches the handler; only the unit label acts.
    const int before = ran_.Label1_DblClick;
    QTest::mouseDClick(widget("Label1", 7), Qt::LeftButton);
    QTest::mouseDClick(widget("Label1", 3), Qt::LeftButton);
    QCOMPARE(ran_.Label1_DblClick, before + 2);
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), QStringLiteral("204"));
  }

  void coreButtons_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<bool>("smodShown");
    QTest::addColumn<QString>("reloadCaption");
    QTest::newRow("AVR") << 1 << false << "UBBR初装值：";
    QTest::newRow("W77E58") << 2 << true << "TH1 初装值：";
  }
  void coreButtons() {
    QFETCH(int, core);
    QFETCH(bool, smodShown);
    QFETCH(QString, reloadCaption);
    showWindow();
    QTest::mouseClick(widget("Option0", core), Qt::LeftButton);
    QCOMPARE(window_->form().windowState().cpu_type, core);
    QCOMPARE(widget("Frame4")->isVisible(), smodShown);
    QCOMPARE(widget("Option1", 0)->isVisible(), smodShown);
    auto* caption = widget<QLabel>("Label2", 2);
    QCOMPARE(caption->text(), reloadCaption);
    QCOMPARE(caption->pos(), QPoint(8, 42));
    QCOMPARE(caption->width(), 72);  // the table's 1080 twips fit either caption
    QTest::mouseClick(widget("Option0", 0), Qt::LeftButton);
    QVERIFY(widget("Frame4")->isVisible());
  }

  // Every caption shows whole inside its control.
  void captionsFit_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    for (const ControlSpec& row : layoutTable()) {
      if (row.kind == Kind::Label || row.kind == Kind::OptionButton || row.kind == Kind::Frame) {
        QTest::newRow(qPrintable(nameOf(row)))
            << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()))
            << int(row.index);
      }
    }
  }
  void captionsFit() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QWidget* control = window_->control(name.toStdString(), index);
    const QFontMetrics metrics(control->font());
    const QString text = visibleText(control);
    const int needed = metrics.horizontalAdvance(text);
    if (auto* button = qobject_cast<QRadioButton*>(control)) {
      QStyleOptionButton option;
      option.initFrom(button);
      option.text = text;
      const QRect room =
          button->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, button);
      QVERIFY2(room.width() >= needed,
               qPrintable(QStringLiteral("%1 < %2").arg(room.width()).arg(needed)));
      QVERIFY(button->height() * 2 >= metrics.height());
    } else if (auto* label = dynamic_cast<CaptionLabel*>(control); label && label->wordWrap()) {
      QVERIFY(label->wrappedLineCount() > 1);
      QVERIFY(label->wrappedLineCount() * DelaySubWindow::kLineHeight <= label->height());
    } else if (auto* plain = qobject_cast<QLabel*>(control)) {
      QVERIFY(plain->contentsRect().width() >= needed);
    } else {
      QVERIFY(delaysub::window::FrameBox::kCaptionLeft + needed <= control->width());
    }
  }

  void crystalItemsFitTheirBox() {
    auto* combo = widget<QComboBox>("Combo0");
    for (int i = 0; i < combo->count(); ++i) {
      QVERIFY(combo->lineEdit()->width() >=
              combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
    }
  }

  // Latin 6 px fixed pitch, Chinese 12 px, every Chinese character in the font.
  void fontMetrics() {
    const QFont font = window_->font();
    const QFontMetrics metrics(font);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("WenQuanYi Zen Hei Mono"));
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("中")), 12);
    QCOMPARE(metrics.horizontalAdvance(QStringLiteral("：")), 12);
    for (QChar c : QStringLiteral("M i0 .#,_W")) {
      QCOMPARE(metrics.horizontalAdvance(c), 6);
    }
    QString texts =
        window_->windowTitle() + QStringLiteral("不可实现UBBR初装值：运行时错误溢出除数为零；");
    for (const ControlSpec& row : layoutTable()) {
      texts += textOf(row) +
               QString::fromUtf8(row.tooltip.data(), static_cast<qsizetype>(row.tooltip.size()));
    }
    for (char32_t c : texts.toUcs4()) {
      if (c >= 0x2E80) {
        QVERIFY2(metrics.inFontUcs4(c), qPrintable(QString::fromUcs4(&c, 1)));
      }
    }
  }

  // The formula and template boxes show every line at once, columns aligned.
  void multiLineBoxesFit_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("lines");
    QTest::newRow("MCS-51 formula") << 0 << 3 << 2;
    QTest::newRow("MCS-51 template") << 0 << 4 << 13;
    QTest::newRow("AVR formula") << 1 << 3 << 2;
    QTest::newRow("W77E58 formula") << 2 << 3 << 2;
    QTest::newRow("W77E58 template") << 2 << 4 << 13;
  }
  void multiLineBoxesFit() {
    QFETCH(int, core);
    QFETCH(int, box);
    QFETCH(int, lines);
    showWindow();
    QTest::mouseClick(widget("Option0", core), Qt::LeftButton);
    QTest::mouseClick(widget("Option2", 2), Qt::LeftButton);
    auto* edit = widget<QTextEdit>("Text1", box);
    QCOMPARE(laidOutLines(edit), lines);
    QVERIFY(edit->document()->size().height() <= edit->viewport()->height());
    QCOMPARE(edit->verticalScrollBar()->maximum(), 0);
    // Fixed pitch: character n of every line starts n * 6 px from the margin.
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
      const QTextLine line = block.layout()->lineAt(0);
      for (int column = 0; column < block.length() - 1 && column < 30; ++column) {
        QCOMPARE(line.cursorToX(column) - line.cursorToX(0), 6.0 * column);
      }
    }
  }

  // Each line of the formula and template boxes reads as its own, at any
  // scale: the ink of one line lies wholly above the next line's, an
  // underscore sits nearer the capitals of its own line than those of the
  // next, and the last line shows whole. Run at several QT_SCALE_FACTOR.
  void linesReadAsTheirOwn_data() {
    QTest::addColumn<int>("core");
    QTest::addColumn<int>("nesting");
    QTest::addColumn<int>("box");
    QTest::addColumn<bool>("everyCharacter");
    const char* cores[] = {"MCS-51", "AVR", "W77E58"};
    for (int core = 0; core < 3; ++core) {
      for (int nesting = 0; nesting < 3; ++nesting) {
        for (int box : {3, 4}) {
          QTest::addRow("%s loop %d %s", cores[core], nesting + 1,
                        box == 3 ? "formula" : "template")
              << core << nesting << box << false;
        }
      }
    }
    QTest::newRow("every character, formula") << 0 << 2 << 3 << true;
    QTest::newRow("every character, template") << 0 << 2 << 4 << true;
  }
  void linesReadAsTheirOwn() {
    QFETCH(int, core);
    QFETCH(int, nesting);
    QFETCH(int, box);
    QFETCH(bool, everyCharacter);
    showWindow();
    QTest::mouseClick(widget("Option0", core), Qt::LeftButton);
    QTest::mouseClick(widget("Option2", nesting), Qt::LeftButton);
    auto* edit = widget<QTextEdit>("Text1", box);
    if (everyCharacter) {
      const int rows = box == 3 ? 2 : 13;
      // Every character of every formula and template on every line, as
      // many lines as the box holds, each line as wide as it allows.
      QString used;
      auto& form = window_->form();
      for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < 3; ++n) {
          QTest::mouseClick(widget("Option0", c), Qt::LeftButton);
          QTest::mouseClick(widget("Option2", n), Qt::LeftButton);
          for (int b : {3, 4}) {
            for (QChar ch : QString::fromStdString(form.Text1(b).text())) {
              if (ch.unicode() > u' ' && !used.contains(ch)) {
                used += ch;
              }
            }
          }
        }
      }
      std::sort(used.begin(), used.end());
      const int width = 30;  // characters that fit a line of either box
      QStringList lines;
      for (int i = 0; lines.size() < rows; i += width) {
        lines.append(used.mid(i % used.size(), width).leftJustified(width, u'_'));
      }
      form.Text1(box).setText(lines.join(QStringLiteral("\r\n")).toStdString());
      QCOMPARE(laidOutLines(edit), rows);
    }
    const QList<BoxLine> lines = boxLines(edit);
    QList<Ink> inks;
    for (const BoxLine& line : lines) {
      inks.append(inkOf(edit, line.all));
    }
    const int viewportRows = viewportImage(edit).height();
    Ink previous;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      const Ink& ink = inks[i];
      if (lines[i].text.trimmed().isEmpty()) {
        QVERIFY(ink.empty());
        continue;
      }
      QVERIFY2(!ink.empty(), qPrintable(lines[i].text));
      QVERIFY2(ink.top > 0 && ink.bottom < viewportRows - 1,
               qPrintable(QStringLiteral("line %1 '%2' rows %3..%4 of %5")
                              .arg(i)
                              .arg(lines[i].text)
                              .arg(ink.top)
                              .arg(ink.bottom)
                              .arg(viewportRows)));
      QVERIFY2(previous.empty() || previous.bottom < ink.top,
               qPrintable(QStringLiteral("line %1 '%2' rows %3..%4 meet the line above, down to %5")
                              .arg(i)
                              .arg(lines[i].text)
                              .arg(ink.top)
                              .arg(ink.bottom)
                              .arg(previous.bottom)));
      previous = ink;
    }
    // Underscores: the blank rows above them, to their own capitals, are
    // fewer than those below them, to the next line's capitals.
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
      if (lines[i].underscores.isEmpty() || lines[i].capitals.isEmpty() ||
          lines[i + 1].capitals.isEmpty()) {
        continue;
      }
      const Ink own = inkOf(edit, lines[i].capitals);
      const Ink bar = inkOf(edit, lines[i].underscores);
      const Ink next = inkOf(edit, lines[i + 1].capitals);
      const int above = bar.top - own.bottom - 1;
      const int below = next.top - bar.bottom - 1;
      QVERIFY2(above >= 0 && above < below,
               qPrintable(QStringLiteral("line %1 '%2': %3 blank rows above the underscore, "
                                         "%4 below it")
                              .arg(i)
                              .arg(lines[i].text)
                              .arg(above)
                              .arg(below)));
    }
  }

  // The program boxes rewrite only what changed between two texts; walking
  // every core and nesting, in both directions, must leave each box holding
  // exactly the form's text, every line at the fixed 12 px height.
  void programBoxesFollowEveryChoice() {
    showWindow();
    auto& form = window_->form();
    const std::pair<int, int> walk[] = {{0, 2}, {0, 1}, {1, 1}, {1, 2}, {2, 2}, {2, 0},
                                        {0, 0}, {2, 1}, {1, 0}, {0, 2}, {2, 2}, {0, 0}};
    for (const auto& [core, nesting] : walk) {
      QTest::mouseClick(widget("Option0", core), Qt::LeftButton);
      QTest::mouseClick(widget("Option2", nesting), Qt::LeftButton);
      for (int box : {3, 4}) {
        auto* edit = widget<QTextEdit>("Text1", box);
        QString expected = QString::fromStdString(form.Text1(box).text());
        expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(edit->toPlainText(), expected);
        for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
          QCOMPARE(block.blockFormat().lineHeightType(), int(QTextBlockFormat::FixedHeight));
          QCOMPARE(block.blockFormat().lineHeight(), 12.0);
        }
        QCOMPARE(edit->verticalScrollBar()->maximum(), 0);
      }
    }
  }

  void accessibleTexts_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("index");
    QTest::addColumn<Kind>("kind");
    for (const ControlSpec& row : layoutTable()) {
      QTest::newRow(qPrintable(nameOf(row)))
          << QString::fromUtf8(row.name.data(), static_cast<qsizetype>(row.name.size()))
          << int(row.index) << row.kind;
    }
  }
  void accessibleTexts() {
    QFETCH(QString, name);
    QFETCH(int, index);
    QFETCH(Kind, kind);
    showWindow();
    QWidget* control = window_->control(name.toStdString(), index);
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
    QVERIFY(accessible);
    const bool holdsValue = kind == Kind::TextBox || kind == Kind::ComboBox;
    const QString text = accessible->text(holdsValue ? QAccessible::Value : QAccessible::Name);
    QCOMPARE(text, visibleText(control));
  }

  void textSetThroughAccessibility() {
    showWindow();
    auto& form = window_->form();
    auto* seed = QAccessible::queryAccessibleInterface(widget("Text1", 1));
    seed->setText(QAccessible::Value, QStringLiteral("100"));
    QCOMPARE(widget<QLabel>("Label1", 9)->text(), QStringLiteral("64"));
    QCOMPARE(widget<QLineEdit>("Text1", 0)->text(), QStringLiteral("204"));
    seed->editableTextInterface()->insertText(3, QStringLiteral("0"));
    QCOMPARE(widget<QLabel>("Label1", 9)->text(), QStringLiteral("3E8"));

    const int before = ran_.Text1_Change;
    auto* code = QAccessible::queryAccessibleInterface(widget("Text1", 4));
    code->editableTextInterface()->insertText(0, QStringLiteral("; delay"));
    QCOMPARE(ran_.Text1_Change, before + 1);
    QVERIFY(form.Text1(4).text().starts_with("; delay\r\nWAIT:"));

    const int changes = ran_.Combo1_Change;
    auto* baud = QAccessible::queryAccessibleInterface(widget<QComboBox>("Combo1")->lineEdit());
    baud->setText(QAccessible::Value, QStringLiteral("4800"));
    QCOMPARE(ran_.Combo1_Change, changes + 1);
    QCOMPARE(form.Combo1.text(), "4800");

    auto* avr = QAccessible::queryAccessibleInterface(widget("Option0", 1));
    avr->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(form.windowState().cpu_type, 1);
    QVERIFY(widget("Frame4")->isHidden());
    auto* w77 = QAccessible::queryAccessibleInterface(widget("Option0", 2));
    w77->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(form.windowState().cpu_type, 2);
    QVERIFY(!widget<QRadioButton>("Option0", 1)->isChecked());
  }

  void errorReport() {
    showWindow();
    auto* seed = widget<QLineEdit>("Text1", 1);
    seed->setFocus();
    QTest::keyClicks(seed, QStringLiteral("99999999999"));
    QLabel* report = window_->errorReport();
    QVERIFY(report->isVisible());
    // The seed itself overflows: the report names the seeds that compute.
    QCOMPARE(report->text(),
             QStringLiteral("运行时错误 6：溢出（单循环的种子 X 须在 -89478487..89478483 之内）"));
    QCOMPARE(QAccessible::queryAccessibleInterface(report)->text(QAccessible::Name),
             report->text());
    QCOMPARE(report->focusPolicy(), Qt::NoFocus);
    QCOMPARE(QApplication::focusWidget(), seed);
    QCOMPARE(seed->text(), QStringLiteral("99999999999"));
    // It covers no control.
    const QRect area(report->mapTo(window_.get(), QPoint(0, 0)), report->size());
    for (const ControlSpec& row : layoutTable()) {
      QWidget* control = window_->control(row.name, row.index);
      if (row.kind == Kind::Frame) {
        continue;
      }
      const QRect other(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
      QVERIFY2(!area.intersects(other), qPrintable(nameOf(row)));
    }
    // A later clean event takes it away.
    seed->selectAll();
    QTest::keyClicks(seed, QStringLiteral("1"));
    QVERIFY(report->isHidden());
    QCOMPARE(report->text(), QString());
  }
};

int main(int argc, char* argv[]) {
  return delaysub::window::test_support::runWindowTest<WindowTest>(argc, argv);
}

#include "window_test.moc"
