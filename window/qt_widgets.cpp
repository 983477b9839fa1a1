#include "window/qt_widgets.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <algorithm>

namespace delaysub::window {

namespace {

// Lays the text out in lines of the given width; returns the line count.
int layOut(QTextLayout& layout, qreal width, int lineHeight, Qt::Alignment alignment) {
  QTextOption option(alignment & Qt::AlignHorizontal_Mask);
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  int lines = 0;
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    // The baseline sits four fifths down the line, as in the text boxes.
    line.setPosition(QPointF(0, lines * lineHeight + lineHeight * 4.0 / 5.0 - line.ascent()));
    ++lines;
  }
  layout.endLayout();
  return lines;
}

// The document's own text of a plain text, line breaks being paragraph
// separators in it; false when the plain text holds characters that the
// document stores otherwise (carriage returns, separators of its own).
bool documentTextOf(const QString& plain, QString& text) {
  text = plain;
  for (QChar& c : text) {
    if (c == u'\n') {
      c = QChar::ParagraphSeparator;
    } else if (c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator ||
               c == QChar(0xFDD0) || c == QChar(0xFDD1) || c == QChar::ObjectReplacementCharacter) {
      return false;
    }
  }
  return true;
}

// Draws every underscore of a box one device pixel row higher than the font
// does, right under the capitals. The font draws it two pixels below the
// baseline, and in lines only as high as the font it then sits as near the
// capitals of the next line as those of its own (or nearer), reading as a
// bar over the next line.
class UnderscoreLift : public QSyntaxHighlighter {
 public:
  explicit UnderscoreLift(QTextEdit* box) : QSyntaxHighlighter(box->document()), box_(box) {}

 protected:
  void highlightBlock(const QString& text) override {
    const qreal lift = 1.0 / box_->devicePixelRatioF();  // one device pixel
    QTextCharFormat lifted;
    lifted.setBaselineOffset(100.0 * lift / QFontMetricsF(box_->font()).height());
    for (qsizetype i = text.indexOf(u'_'); i >= 0; i = text.indexOf(u'_', i + 1)) {
      setFormat(static_cast<int>(i), 1, lifted);
    }
  }

 private:
  QTextEdit* box_;
};

}  // namespace

void FrameBox::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QFontMetrics metrics(font());
  const int borderTop = title().isEmpty() ? 0 : metrics.height() / 2;
  // An etched border: a shadow line with a light line inside it.
  const QRect border = rect().adjusted(0, borderTop, -1, -1);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(border.adjusted(0, 0, -1, -1));
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(border.adjusted(1, 1, 0, 0));
  if (title().isEmpty()) {
    return;
  }
  // The caption interrupts the border, with a blank's width on each side.
  const int gap = metrics.horizontalAdvance(QChar(' ')) / 2;
  const QRect caption(kCaptionLeft - gap, 0, metrics.horizontalAdvance(title()) + 2 * gap,
                      metrics.height());
  painter.fillRect(caption, palette().color(QPalette::Window));
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(caption, Qt::AlignCenter | Qt::TextSingleLine, title());
}

int CaptionLabel::wrappedLineCount() const {
  QTextLayout layout(text(), font());
  return layOut(layout, width(), std::max(lineHeight_, 1), alignment());
}

void CaptionLabel::mouseDoubleClickEvent(QMouseEvent* event) {
  QLabel::mouseDoubleClickEvent(event);
  if (onDoubleClick) {
    onDoubleClick();
  }
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
  if (lineHeight_ <= 0) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  painter.setPen(palette().color(foregroundRole()));
  QTextLayout layout(text(), font());
  const int lines = layOut(layout, width(), lineHeight_, alignment());
  const int top = (alignment() & Qt::AlignVCenter) ? (height() - lines * lineHeight_) / 2 : 0;
  layout.draw(&painter, QPointF(0, top));
}

void OptionButton::focusInEvent(QFocusEvent* event) {
  QRadioButton::focusInEvent(event);
  if (onFocusIn) {
    onFocusIn();
  }
}

MultiLineBox::MultiLineBox(QWidget* parent, int lineHeight)
    : QTextEdit(parent), lineHeight_(lineHeight) {
  setAcceptRichText(false);
  setLineWrapMode(QTextEdit::WidgetWidth);
  setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(true);
  document()->setDocumentMargin(2);
  // One pixel more above the first line: the tallest glyphs (brackets)
  // reach above the top of their line, and at 125 % and 150 % they would
  // touch the box's border.
  QTextFrameFormat root = document()->rootFrame()->frameFormat();
  root.setTopMargin(3);
  document()->rootFrame()->setFrameFormat(root);
  underscores_ = new UnderscoreLift(this);
  fixLineHeights();
}

bool MultiLineBox::event(QEvent* event) {
  // On a screen of another scale a device pixel is another fraction of a
  // pixel of the layout.
  if (event->type() == QEvent::ScreenChangeInternal) {
    underscores_->rehighlight();
  }
  return QTextEdit::event(event);
}

void MultiLineBox::setProgramText(const QString& text) {
  if (toPlainText() == text) {
    return;
  }
  const QSignalBlocker blocker(this);
  QTextDocument* doc = document();
  const int position = textCursor().position();
  const bool scrolled = verticalScrollBar()->value() != 0 || horizontalScrollBar()->value() != 0;
  // Only the part between the common start and the common end is replaced,
  // in one edit without undo: the document keeps its paragraphs and their
  // line height and lays out just the changed lines, once. (setPlainText
  // would rebuild the whole document and lay it out twice, once for the text
  // and once more for the line heights.)
  const QString current = doc->toRawText();
  QString target;
  qsizetype head = 0, tail = 0;
  if (documentTextOf(text, target)) {
    const qsizetype shorter = std::min(current.size(), target.size());
    while (head < shorter && current[head] == target[head]) {
      ++head;
    }
    while (tail < shorter - head &&
           current[current.size() - 1 - tail] == target[target.size() - 1 - tail]) {
      ++tail;
    }
  }
  const bool undo = doc->isUndoRedoEnabled();
  doc->setUndoRedoEnabled(false);
  QTextCursor edit(doc);
  edit.beginEditBlock();
  edit.setPosition(static_cast<int>(head));
  edit.setPosition(static_cast<int>(current.size() - tail), QTextCursor::KeepAnchor);
  edit.removeSelectedText();
  // The new text in the default character format, as setPlainText gives it.
  if (const QString middle = text.mid(head, text.size() - head - tail); !middle.isEmpty()) {
    edit.insertText(middle, QTextCharFormat());
  }
  fixLineHeights();
  edit.endEditBlock();
  doc->setUndoRedoEnabled(undo);
  // As after setPlainText: the view shows the start, then the kept cursor.
  if (scrolled) {
    setTextCursor(QTextCursor(doc));
  }
  QTextCursor cursor(doc);
  cursor.setPosition(std::min(position, static_cast<int>(doc->characterCount() - 1)));
  setTextCursor(cursor);
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
  // Qt's text control answers Return in an empty paragraph whose format is
  // not the default one by resetting that format (the way out of a list or a
  // heading) instead of breaking the line. Every paragraph here carries the
  // fixed line height, so the box breaks the line itself: a new paragraph
  // with the same format. Shift+Return breaks it the same way, as the text
  // knows only one kind of line break.
  if (!isReadOnly() && (event == QKeySequence::InsertParagraphSeparator ||
                        event == QKeySequence::InsertLineSeparator)) {
    // The text cursor leaves its place: repaint it there, as Qt does.
    viewport()->update(cursorRect().adjusted(-4, -1, 4, 1));
    QTextCursor cursor = textCursor();
    cursor.insertBlock();
    setTextCursor(cursor);
    ensureCursorVisible();
    event->accept();
    return;
  }
  QTextEdit::keyPressEvent(event);
}

bool MultiLineBox::canInsertFromMimeData(const QMimeData* source) const {
  return source && source->hasText() && !source->text().isEmpty();
}

// Every paste (keys, context menu, middle click) and every drop arrives here.
// Qt's own insertion compares the first offered format without checking that
// there is one, and so crashes on the data of an X11 clipboard that has no
// owner; the box inserts plain text, and only when there is some.
void MultiLineBox::insertFromMimeData(const QMimeData* source) {
  if (isReadOnly() || !canInsertFromMimeData(source)) {
    return;
  }
  insertPlainText(source->text());
  ensureCursorVisible();
}

void MultiLineBox::fixLineHeights() {
  QTextBlockFormat fixed;
  fixed.setLineHeight(lineHeight_, QTextBlockFormat::FixedHeight);
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    const QTextBlockFormat format = block.blockFormat();
    if (format.lineHeightType() == QTextBlockFormat::FixedHeight &&
        format.lineHeight() == lineHeight_) {
      continue;
    }
    // Part of the edit that brought the paragraph, so undo takes both back.
    QTextCursor cursor(block);
    cursor.joinPreviousEditBlock();
    cursor.mergeBlockFormat(fixed);
    cursor.endEditBlock();
  }
}

}  // namespace delaysub::window
