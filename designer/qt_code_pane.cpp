#include "designer/qt_code_pane.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

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
  code_ = code;
  setPlainText(code);
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
  pane.figures = new QLabel(page);
  pane.figures->setObjectName(name + QStringLiteral("Figures"));
  pane.figures->setTextFormat(Qt::PlainText);
  pane.figures->setWordWrap(true);
  pane.figures->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pane.figures->setFocusPolicy(Qt::NoFocus);
  QObject::connect(pane.copy, &QPushButton::clicked, pane.box,
                   [box = pane.box] { box->copyAll(); });
  layout->addWidget(pane.box, row, 0, 1, -1);
  layout->setRowStretch(row, 1);
  layout->addWidget(pane.figures, row + 1, 0, 1, layout->columnCount() - 1);
  layout->addWidget(pane.copy, row + 1, layout->columnCount() - 1, Qt::AlignRight | Qt::AlignTop);
  return pane;
}

void showCode(const CodePane& pane, const CodeView& view) {
  pane.box->setCode(toQt(view.code));
  const QString figures = toQt(view.figures);
  if (pane.figures->text() != figures) {
    pane.figures->setText(figures);
    pane.figures->setAccessibleName(figures);
  }
  pane.copy->setEnabled(view.answered());
}

}  // namespace delaysub::designer
