#include "designer/qt_code_pane.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyleOption>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace delaysub::designer {

namespace {

QFont monospaced(const QFont& base) {
  QFont font = base;
  font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("WenQuanYi Zen Hei Mono"),
                    QStringLiteral("Noto Sans Mono CJK SC")});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  return font;
}

// The figures: a line or two, word-wrapped, laid out once for a text and a
// width and then measured and painted from that one layout. (A plain label
// lays its text out anew to measure it and again to paint it, which cost
// more than the code box at every key.)
class FiguresLabel : public QLabel {
 public:
  explicit FiguresLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
    setFocusPolicy(Qt::NoFocus);
  }

  void setFigures(const QString& text) {
    setText(text);
    laidOutAt_ = -1;
  }

  int heightForWidth(int width) const override { return layOut(width); }

 protected:
  void changeEvent(QEvent* event) override {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
      laidOutAt_ = -1;
    }
    QLabel::changeEvent(event);
  }

  void paintEvent(QPaintEvent* /*event*/) override {
    const int height = layOut(width());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    // As a label does: a text lower than the label stands in its middle.
    layout_.draw(&painter, QPointF(0, std::max(0, (this->height() - height) / 2)));
  }

 private:
  int layOut(int width) const {
    if (width == laidOutAt_) {
      return laidOutHeight_;
    }
    QString text = this->text();
    text.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout_.setText(text);
    layout_.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout_.setTextOption(option);
    qreal y = 0;
    layout_.beginLayout();
    for (QTextLine line = layout_.createLine(); line.isValid(); line = layout_.createLine()) {
      line.setLeadingIncluded(true);
      line.setLineWidth(width);
      line.setPosition(QPointF(0, y));
      y += line.height();
    }
    layout_.endLayout();
    laidOutAt_ = width;
    laidOutHeight_ = static_cast<int>(std::ceil(y));
    return laidOutHeight_;
  }

  mutable QTextLayout layout_;
  mutable int laidOutAt_ = -1;
  mutable int laidOutHeight_ = 0;
};

// The figures' label in a box of its own. A label that changes its text asks
// its parent's layout to lay out again, and a page laid out again has its
// tab widget repaint every control of the page; in this box, a new text
// asks for that only when it needs another height at the box's width.
class FiguresBox : public QWidget {
 public:
  explicit FiguresBox(QWidget* parent) : QWidget(parent), label_(new FiguresLabel(this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  QLabel* label() const { return label_; }

  void setText(const QString& text) {
    label_->setFigures(text);
    const int height = label_->heightForWidth(width());
    if (height != height_) {
      height_ = height;
      updateGeometry();
    }
  }

  // Not the text's own width: the code box above sets the page's width.
  QSize sizeHint() const override {
    const int width = fontMetrics().averageCharWidth() * 40;
    return {width, label_->heightForWidth(width)};
  }
  QSize minimumSizeHint() const override { return {0, fontMetrics().lineSpacing()}; }
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override { return label_->heightForWidth(width); }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    label_->setGeometry(QRect(QPoint(0, 0), event->size()));
    height_ = label_->heightForWidth(event->size().width());
  }

 private:
  FiguresLabel* label_;
  int height_ = -1;
};

// A scroll bar drawn by the application's style, in bands of at most 95
// lines of pixels. Qt 6's raster engine hands a fill of 96 lines or more
// (the groove, the handle) to its thread pool and waits for it: on two cores
// that costs more than the fill, about half a millisecond for each repaint
// of the code box's bar, which follows every key that changes the code's
// length. Each band is drawn whole into an image of its own size (the
// style may set clips of its own, so only the image's edge bounds it) and
// copied to its place: the pixels are those the style draws in one go. The
// bands of the last few looks of the bar are kept: a code box's bar takes
// few (a code has one of a few lengths), and drawing them anew costs a
// tenth of a key.
class BandedStyle : public QProxyStyle {
 public:
  static constexpr int kBand = 95;
  static constexpr qsizetype kLooksKept = 8;

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget) const override {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatio() : 1.0;
    const QRect all = option->rect;
    const int height = static_cast<int>(std::ceil(all.height() * ratio));
    if (control != CC_ScrollBar || bar == nullptr || height <= kBand) {
      QProxyStyle::drawComplexControl(control, option, painter, widget);
      return;
    }
    const Look look = lookOf(*bar, ratio);
    auto kept = std::find_if(looks_.begin(), looks_.end(),
                             [&](const auto& entry) { return entry.first == look; });
    if (kept == looks_.end()) {
      if (looks_.size() >= kLooksKept) {
        looks_.removeFirst();
      }
      looks_.append({look, bandsOf(option, ratio, widget)});
      kept = looks_.end() - 1;
    }
    for (const QImage& band : kept->second) {
      painter->drawImage(QPointF(all.left(), all.top() + band.offset().y() / ratio), band);
    }
  }

 private:
  // What a bar's pixels depend on.
  using Look = std::array<qint64, 16>;

  Look lookOf(const QStyleOptionSlider& bar, qreal ratio) const {
    return {bar.rect.width(),
            bar.rect.height(),
            static_cast<qint64>(ratio * 1000),
            bar.orientation,
            bar.minimum,
            bar.maximum,
            bar.pageStep,
            bar.singleStep,
            bar.sliderPosition,
            bar.upsideDown ? 1 : 0,
            static_cast<qint64>(bar.state),
            static_cast<qint64>(bar.activeSubControls),
            static_cast<qint64>(bar.subControls),
            bar.direction,
            static_cast<qint64>(bar.palette.cacheKey()),
            static_cast<qint64>(reinterpret_cast<quintptr>(baseStyle()))};
  }

  // The bar in bands; an image's offset is its place in the bar, in pixels
  // of the device.
  QList<QImage> bandsOf(const QStyleOptionComplex* option, qreal ratio,
                        const QWidget* widget) const {
    QStyleOptionSlider atOrigin(*qstyleoption_cast<const QStyleOptionSlider*>(option));
    atOrigin.rect.moveTopLeft(QPoint(0, 0));
    const int width = static_cast<int>(std::ceil(atOrigin.rect.width() * ratio));
    const int height = static_cast<int>(std::ceil(atOrigin.rect.height() * ratio));
    QList<QImage> bands;
    for (int top = 0; top < height; top += kBand) {
      QImage band(width, std::min(kBand, height - top), QImage::Format_ARGB32_Premultiplied);
      band.setDevicePixelRatio(ratio);
      band.fill(Qt::transparent);
      const QPointF at(0, top / ratio);
      {
        QPainter bandPainter(&band);
        bandPainter.translate(-at);
        QProxyStyle::drawComplexControl(CC_ScrollBar, &atOrigin, &bandPainter, widget);
      }
      band.setOffset(QPoint(0, top));
      bands.append(band);
    }
    return bands;
  }

  mutable QList<std::pair<Look, QList<QImage>>> looks_;
};

}  // namespace

QStyle* bandedScrollBarStyle(QObject* owner) {
  auto* style = new BandedStyle;
  style->setParent(owner);
  return style;
}

QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

CodeBox::CodeBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  // A code of another length does not show or hide the scroll bar, which
  // would lay the whole box out again at every such key.
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  verticalScrollBar()->setStyle(bandedScrollBarStyle(this));
  setTabChangesFocus(true);
  setFocusPolicy(Qt::StrongFocus);
  setFont(monospaced(font()));
  setUndoRedoEnabled(false);
  const QFontMetrics metrics(font());
  setMinimumSize(metrics.horizontalAdvance(QLatin1Char('M')) * 48, metrics.lineSpacing() * 10);
}

void CodeBox::setCode(const QString& code) {
  if (code == code_) {
    return;
  }
  const QStringList before = code_.split(QLatin1Char('\n'));
  const QStringList after = code.split(QLatin1Char('\n'));
  code_ = code;
  // Only the lines that differ are replaced, the last first, so that the
  // line numbers of the ones before still hold; the lines both codes share
  // keep their layout and are not shaped again.
  const std::vector<LineHunk> hunks = lineHunks(before, after);
  QTextCursor cursor(document());
  cursor.beginEditBlock();
  for (auto hunk = hunks.rbegin(); hunk != hunks.rend(); ++hunk) {
    replaceLines(cursor, *hunk, after);
  }
  cursor.endEditBlock();
  // As a new text: no selection, the view at the top left.
  setTextCursor(QTextCursor(document()));
}

void CodeBox::replaceLines(QTextCursor& cursor, const LineHunk& hunk, const QStringList& after) {
  const auto line = [this](std::size_t i) {
    return document()->findBlockByNumber(static_cast<int>(i));
  };
  const QString text =
      QStringList(after.begin() + static_cast<qsizetype>(hunk.newStart),
                  after.begin() + static_cast<qsizetype>(hunk.newStart + hunk.newCount))
          .join(QLatin1Char('\n'));
  const auto lines = static_cast<std::size_t>(document()->blockCount());
  const std::size_t end = hunk.oldStart + hunk.oldCount;
  if (hunk.oldCount > 0 && hunk.newCount > 0) {
    cursor.setPosition(line(hunk.oldStart).position());
    const QTextBlock last = line(end - 1);
    cursor.setPosition(last.position() + last.length() - 1, QTextCursor::KeepAnchor);
    cursor.insertText(text);
  } else if (hunk.oldCount > 0) {
    // Lines go, with the line break that ends them (or, at the end of the
    // text, the one before them).
    if (end < lines) {
      cursor.setPosition(line(hunk.oldStart).position());
      cursor.setPosition(line(end).position(), QTextCursor::KeepAnchor);
    } else {
      const QTextBlock previous = line(hunk.oldStart - 1);
      cursor.setPosition(previous.position() + previous.length() - 1);
      cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
  } else if (hunk.oldStart < lines) {
    cursor.setPosition(line(hunk.oldStart).position());
    cursor.insertText(text + QLatin1Char('\n'));
  } else {
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QLatin1Char('\n') + text);
  }
}

void CodeBox::copyAll() const {
  if (!code_.isEmpty()) {
    QGuiApplication::clipboard()->setText(code_);
  }
}

void CodeBox::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy) && !textCursor().hasSelection()) {
    copyAll();
    event->accept();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

CodePane addCodePane(QWidget* page, QGridLayout* layout, int row, const QString& name,
                     const QString& what) {
  CodePane pane;
  pane.box = new CodeBox(page);
  pane.box->setObjectName(name + QStringLiteral("Code"));
  pane.box->setAccessibleName(what);
  pane.copy = new QPushButton(QStringLiteral("复制"), page);
  pane.copy->setObjectName(name + QStringLiteral("Copy"));
  pane.copy->setAccessibleDescription(QStringLiteral("把代码全部复制到剪贴板"));
  auto* figuresBox = new FiguresBox(page);
  pane.figures = figuresBox->label();
  pane.figures->setObjectName(name + QStringLiteral("Figures"));
  QObject::connect(pane.copy, &QPushButton::clicked, pane.box,
                   [box = pane.box] { box->copyAll(); });
  layout->addWidget(pane.box, row, 0, 1, -1);
  layout->setRowStretch(row, 1);
  layout->addWidget(figuresBox, row + 1, 0, 1, layout->columnCount() - 1);
  layout->addWidget(pane.copy, row + 1, layout->columnCount() - 1, Qt::AlignRight | Qt::AlignTop);
  return pane;
}

void showCode(const CodePane& pane, const CodeView& view) {
  pane.box->setCode(toQt(view.code));
  const QString figures = toQt(view.figures);
  if (pane.figures->text() != figures) {
    static_cast<FiguresBox*>(pane.figures->parentWidget())->setText(figures);
    pane.figures->setAccessibleName(figures);
  }
  pane.copy->setEnabled(view.answered());
}

}  // namespace delaysub::designer
