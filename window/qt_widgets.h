// The few widget kinds that Qt lacks for this window: a frame drawn with its
// caption on the border, a label that reports
// double-clicks and can wrap its caption on fixed-height lines, an option
// button that reports the arrival of the keyboard focus, and a multi-line
// box whose lines are all the same height.
#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>
#include <functional>

class QSyntaxHighlighter;

namespace delaysub::window {

// A frame whose border runs through the middle of its caption, so that the
// controls placed near its top stay clear of the border.
class FrameBox : public QGroupBox {
 public:
  FrameBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {}

  // Left edge of the caption's text.
  static constexpr int kCaptionLeft = 8;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class CaptionLabel : public QLabel {
 public:
  explicit CaptionLabel(QWidget* parent) : QLabel(parent) {}

  // Wraps the caption at word boundaries on lines lineHeight pixels apart
  // instead of the font's own line spacing (0: the usual QLabel drawing).
  void setFixedLineHeight(int lineHeight) { lineHeight_ = lineHeight; }
  // Lines the wrapped caption takes at the label's width.
  int wrappedLineCount() const;

  std::function<void()> onDoubleClick;

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int lineHeight_ = 0;
};

class OptionButton : public QRadioButton {
 public:
  explicit OptionButton(QWidget* parent) : QRadioButton(parent) {}

  std::function<void()> onFocusIn;

 protected:
  void focusInEvent(QFocusEvent* event) override;
};

// A plain-text box with no scroll bars that wraps long lines and gives every
// line the same height, whatever the font's own line spacing. Its
// underscores sit right under the capitals, clear of the line below. It takes
// plain text only from a paste or a drop, and nothing when none is offered.
class MultiLineBox : public QTextEdit {
 public:
  MultiLineBox(QWidget* parent, int lineHeight);

  // A program write: replaces the text without signals, keeping the cursor.
  void setProgramText(const QString& text);
  // Gives every paragraph the fixed line height; a user's edit (a paste,
  // for instance) may bring paragraphs without it.
  void fixLineHeights();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool canInsertFromMimeData(const QMimeData* source) const override;
  void insertFromMimeData(const QMimeData* source) override;

 private:
  int lineHeight_;
  QSyntaxHighlighter* underscores_ = nullptr;
};

}  // namespace delaysub::window
