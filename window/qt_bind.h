// The form's controls bound to their widgets, one function per control kind.
// A binding mirrors the control's program writes into its widgets for as long
// as it lives, and sends the user's input on them back through the control's
// own calls, so that the control's event rules raise the handlers.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "window/controls.h"

class QComboBox;
class QLabel;
class QObject;
class QWidget;

namespace delaysub::window {

class CaptionLabel;
class OptionButton;

class ControlBinding : public ControlObserver {
 public:
  // Subscribes to the control, which must outlive the binding, and shows what
  // it holds now.
  ControlBinding(Control& control, std::function<void()> show);
  ~ControlBinding() override;
  ControlBinding(const ControlBinding&) = delete;
  ControlBinding& operator=(const ControlBinding&) = delete;

  void changed(const Control& control) override;

 private:
  Control& control_;
  std::function<void()> show_;
};

std::unique_ptr<ControlBinding> bindFrame(Frame& frame, QWidget* widget);
// An auto-sized label is resized to its caption at every change.
std::unique_ptr<ControlBinding> bindLabel(Label& label, CaptionLabel* view, bool autoSize);
// A single-line box (QLineEdit) or a multi-line box (MultiLineBox).
std::unique_ptr<ControlBinding> bindTextBox(TextBox& box, QWidget* widget);
std::unique_ptr<ControlBinding> bindComboBox(ComboBox& box, QComboBox* combo);
// The buttons of the group by index; their exclusive group belongs to owner.
std::unique_ptr<ControlBinding> bindOptionGroup(OptionGroup& group,
                                                const std::vector<OptionButton*>& buttons,
                                                QObject* owner);

// An auto-sized label fits its caption; its left and top stay where they are.
void fitCaption(QLabel* label);

}  // namespace delaysub::window
