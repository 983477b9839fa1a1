#include "window/qt_tools.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QShortcut>
#include <QTextEdit>
#include <memory>

#include "window/form.h"
#include "window/qt_window.h"

namespace delaysub::window {

namespace {

// Shift+F10 opens the context menu as the menu key does.
bool isMenuKey(const QKeyEvent* key) {
  return key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
}

// The box's own context menu, as it would show it at that place.
std::unique_ptr<QMenu> ownMenu(QWidget* box, QPoint globalPos) {
  if (auto* line = qobject_cast<QLineEdit*>(box)) {
    return std::unique_ptr<QMenu>(line->createStandardContextMenu());
  }
  auto* text = qobject_cast<QTextEdit*>(box);
  // The box's own menu wants the position in the document.
  const QPoint documentPos =
      text->viewport()->mapFromGlobal(globalPos) +
      QPoint(text->horizontalScrollBar()->value(), text->verticalScrollBar()->value());
  return std::unique_ptr<QMenu>(text->createStandardContextMenu(documentPos));
}

QPoint keyboardMenuPlace(QWidget* box) {
  if (auto* text = qobject_cast<QTextEdit*>(box)) {
    return text->viewport()->mapToGlobal(text->cursorRect().bottomLeft());
  }
  return box->mapToGlobal(QPoint(0, box->height()));
}

}  // namespace

ToolEntries::ToolEntries(DelaySubWindow& window) : QObject(&window) {
  boxes_ = {window.control("Text1", kDelayBox), window.control("Text1", kFormulaBox),
            window.control("Text2")};
  for (QWidget* box : boxes_) {
    box->installEventFilter(this);
    auto* text = qobject_cast<QTextEdit*>(box);
    viewports_.push_back(text != nullptr ? text->viewport() : nullptr);
    if (text != nullptr) {
      text->viewport()->installEventFilter(this);
    }
  }
}

void ToolEntries::add(ToolEntry entry) {
  auto* shortcut = new QShortcut(entry.shortcut, parent());
  connect(shortcut, &QShortcut::activated, this, [run = entry.run] { run(); });
  entries_.push_back(std::move(entry));
}

void ToolEntries::addTo(QMenu& menu) const {
  if (entries_.empty()) {
    return;
  }
  menu.addSeparator();
  for (const ToolEntry& entry : entries_) {
    auto* action = new QAction(entry.caption, &menu);
    action->setObjectName(entry.objectName);
    action->setShortcut(entry.shortcut);
    // Listed beside the entry; the window's own shortcut does the work.
    action->setShortcutContext(Qt::WidgetShortcut);
    action->setShortcutVisibleInContextMenu(true);
    connect(action, &QAction::triggered, &menu, [run = entry.run] { run(); });
    menu.addAction(action);
  }
}

QWidget* ToolEntries::boxOf(QObject* watched) const {
  for (std::size_t i = 0; i < boxes_.size(); ++i) {
    if (watched == boxes_[i] || (viewports_[i] != nullptr && watched == viewports_[i])) {
      return boxes_[i];
    }
  }
  return nullptr;
}

void ToolEntries::showMenu(QWidget* box, QPoint globalPos) const {
  const std::unique_ptr<QMenu> menu = ownMenu(box, globalPos);
  addTo(*menu);
  menu->exec(globalPos);
}

bool ToolEntries::eventFilter(QObject* watched, QEvent* event) {
  QWidget* box = boxOf(watched);
  if (box == nullptr || entries_.empty()) {
    return false;
  }
  if (event->type() == QEvent::ContextMenu) {
    showMenu(box, static_cast<QContextMenuEvent*>(event)->globalPos());
    return true;
  }
  if (event->type() == QEvent::KeyPress && watched == box &&
      isMenuKey(static_cast<QKeyEvent*>(event))) {
    showMenu(box, keyboardMenuPlace(box));
    return true;
  }
  return false;
}

}  // namespace delaysub::window
