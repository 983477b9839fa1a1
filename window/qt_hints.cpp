#include "window/qt_hints.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScrollBar>
#include <QTextEdit>
#include <string>

#include "window/hints.h"
#include "window/qt_text.h"
#include "window/qt_window.h"

namespace delaysub::window {

namespace {

// Tooltip and accessible description alike, set only when they change so
// that a screen reader hears of a real change only.
void setHint(QWidget* widget, const std::string& hint) {
  const QString text = toQt(hint);
  if (widget->toolTip() != text) {
    widget->setToolTip(text);
  }
  if (widget->accessibleDescription() != text) {
    widget->setAccessibleDescription(text);
  }
}

// Shift+F10 opens the context menu as the menu key does.
bool isMenuKey(const QKeyEvent* key) {
  return key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
}

}  // namespace

HintsBinding::HintsBinding(DelaySubWindow& window)
    : window_(window),
      form_(window.form()),
      baudBox_(window.control("Text2")),
      seedBox_(window.control("Text1", 1)),
      templateBox_(&window.widget<QTextEdit>("Text1", 4)) {
  form_.events.subscribe(*this);
  templateBox_->installEventFilter(this);
  templateBox_->viewport()->installEventFilter(this);
  update();
}

HintsBinding::~HintsBinding() {
  form_.events.unsubscribe(*this);
}

void HintsBinding::eventFinished(const std::vector<RunError>& /*errors*/) {
  update();
}

void HintsBinding::update() {
  setHint(baudBox_, hints::baudHint(form_));
  setHint(seedBox_, hints::seedHint(form_));
}

std::unique_ptr<QMenu> HintsBinding::templateMenu(QPoint viewportPos) const {
  // The box's own menu wants the position in the document.
  const QPoint documentPos = viewportPos + QPoint(templateBox_->horizontalScrollBar()->value(),
                                                  templateBox_->verticalScrollBar()->value());
  std::unique_ptr<QMenu> menu(templateBox_->createStandardContextMenu(documentPos));
  const hints::TemplateCopy copy = hints::templateCopy(form_);
  auto* entry = new QAction(toQt(copy.caption), menu.get());
  entry->setObjectName(QStringLiteral("edit-copy-seeded"));
  entry->setEnabled(copy.enabled);
  const QString text = toQt(copy.text);
  connect(entry, &QAction::triggered, entry,
          [text] { QGuiApplication::clipboard()->setText(text); });
  // Right after the box's own Copy, else at the end.
  const QList<QAction*> actions = menu->actions();
  QAction* before = nullptr;
  for (qsizetype i = 0; i + 1 < actions.size(); ++i) {
    if (actions[i]->objectName() == QLatin1String("edit-copy")) {
      before = actions[i + 1];
      break;
    }
  }
  menu->insertAction(before, entry);
  window_.addToolEntries(*menu);
  return menu;
}

void HintsBinding::showTemplateMenu(QPoint globalPos) {
  const std::unique_ptr<QMenu> menu =
      templateMenu(templateBox_->viewport()->mapFromGlobal(globalPos));
  menu->exec(globalPos);
}

bool HintsBinding::eventFilter(QObject* watched, QEvent* event) {
  if (watched != templateBox_ && watched != templateBox_->viewport()) {
    return false;
  }
  // The mouse's request reaches the viewport, the menu key's the box.
  if (event->type() == QEvent::ContextMenu) {
    showTemplateMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched == templateBox_ &&
      isMenuKey(static_cast<QKeyEvent*>(event))) {
    const QRect cursor = templateBox_->cursorRect();
    showTemplateMenu(templateBox_->viewport()->mapToGlobal(cursor.bottomLeft()));
    return true;
  }
  return false;
}

}  // namespace delaysub::window
