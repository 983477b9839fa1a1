#include "window/qt_widgets.h"

#include <QPainter>
#include <QSignalBlocker>
#include <QTextBlock>
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
  if (title().isEmpty())
    return;
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
  if (onDoubleClick)
    onDoubleClick();
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
  if (onFocusIn)
    onFocusIn();
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
  fixLineHeights();
}

void MultiLineBox::setProgramText(const QString& text) {
  if (toPlainText() == text)
    return;
  const QSignalBlocker blocker(this);
  const int position = textCursor().position();
  setPlainText(text);
  fixLineHeights();
  document()->clearUndoRedoStacks();
  QTextCursor cursor = textCursor();
  cursor.setPosition(std::min(position, static_cast<int>(document()->characterCount() - 1)));
  setTextCursor(cursor);
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
