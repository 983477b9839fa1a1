// Entries that the program adds to the window: each one in the context menus
// of the delay, formula, template and baud result boxes (after the boxes'
// own entries) and as a shortcut on the window, listed beside the entry. The
// window shows nothing of them until the program adds one. Every menu gets
// actions of its own: an action shared by menus that come and go would leave
// the accessibility interface with the first menu.
#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QString>
#include <functional>
#include <vector>

class QMenu;
class QWidget;

namespace delaysub::window {

class DelaySubWindow;

struct ToolEntry {
  QString caption;  // "设计工具…"
  QKeySequence shortcut;
  QString objectName;  // of each action, for tests and the accessibility tree
  std::function<void()> run;
};

class ToolEntries : public QObject {
 public:
  explicit ToolEntries(DelaySubWindow& window);

  void add(ToolEntry entry);
  // A separator and a new action for each entry, owned by the menu.
  void addTo(QMenu& menu) const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showMenu(QWidget* box, QPoint globalPos) const;
  QWidget* boxOf(QObject* watched) const;

  std::vector<ToolEntry> entries_;
  std::vector<QWidget*> boxes_;      // delay, formula, baud result (the template has its own menu)
  std::vector<QWidget*> viewports_;  // of each box, or nullptr
};

}  // namespace delaysub::window
