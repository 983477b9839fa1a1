#include "designer/qt_code_pane.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextBlock>

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

// The figures' label in a box of its own. A label that changes its text asks
// its parent's layout to lay out again, and a page laid out again has its
// tab widget repaint every control of the page; in this box, a new text
// asks for that only when it needs another height at the box's width.
class FiguresBox : public QWidget {
 public:
  explicit FiguresBox(QWidget* parent) : QWidget(parent), label_(new QLabel(this)) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
  }

  QLabel* label() const { return label_; }

  void setText(const QString& text) {
    label_->setText(text);
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
  QLabel* label_;
  int height_ = -1;
};

}  // namespace

QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

CodeBox::CodeBox(QWidget* parent) : QPlainTextEdit(parent) {
  setReadOnly(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
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
  if (before.size() != after.size()) {
    setPlainText(code);
    return;
  }
  // As many lines: only those that changed are laid out and painted again.
  QTextCursor cursor(document());
  for (int i = 0; i < after.size(); ++i) {
    if (before[i] != after[i]) {
      const QTextBlock line = document()->findBlockByNumber(i);
      cursor.setPosition(line.position());
      cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
      cursor.insertText(after[i]);
    }
  }
  // As a new text: no selection, the view at the top left.
  setTextCursor(QTextCursor(document()));
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
  pane.figures->setTextFormat(Qt::PlainText);
  pane.figures->setWordWrap(true);
  pane.figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pane.figures->setFocusPolicy(Qt::NoFocus);
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
