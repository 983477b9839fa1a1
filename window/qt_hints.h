// The hints on the Qt widgets: the baud result box's and the seed box's
// tooltips and accessible descriptions, and the template box's context-menu
// entry that copies the template with the seed filled in. It follows the
// form's events as an observer: it writes no control and raises nothing.
#pragma once

#include <QObject>
#include <QPoint>
#include <memory>

#include "window/controls.h"

class QMenu;
class QTextEdit;
class QWidget;

namespace delaysub::window {

class DelaySubForm;
class DelaySubWindow;

class HintsBinding : public QObject, public EventObserver {
 public:
  // Subscribes to the window's form; the window must outlive it.
  explicit HintsBinding(DelaySubWindow& window);
  ~HintsBinding() override;
  HintsBinding(const HintsBinding&) = delete;
  HintsBinding& operator=(const HintsBinding&) = delete;

  void eventFinished(const std::vector<RunError>& errors) override;
  // Sets the tooltips and descriptions from what the form holds now.
  void update();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The template box's context menu for a position in the box's viewport:
  // the box's own entries and, after its Copy, the entry that copies the
  // template with the seed in.
  std::unique_ptr<QMenu> templateMenu(QPoint viewportPos) const;
  void showTemplateMenu(QPoint globalPos);

  DelaySubWindow& window_;
  DelaySubForm& form_;
  QWidget* baudBox_;
  QWidget* seedBox_;
  QTextEdit* templateBox_;
};

}  // namespace delaysub::window
