#include "window/qt_bind.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <string>

#include "window/qt_text.h"
#include "window/qt_widgets.h"

namespace delaysub::window {

namespace {

// A program write into a single-line box, keeping the cursor where it was.
void setLineText(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) {
    return;
  }
  const QSignalBlocker blocker(edit);
  const int position = edit->cursorPosition();
  edit->setText(text);
  edit->setCursorPosition(std::min(position, static_cast<int>(text.size())));
}

// The combo box widget follows the control: its list, its selected item
// (none when the text was typed) and its edit text.
void showCombo(QComboBox* combo, const ComboBox& box) {
  QLineEdit* edit = combo->lineEdit();
  const QSignalBlocker comboBlocker(combo);
  const QSignalBlocker editBlocker(edit);
  const int position = edit->cursorPosition();
  for (auto i = static_cast<std::size_t>(combo->count()); i < box.items().size(); ++i) {
    combo->addItem(toQt(box.items()[i]));
  }
  if (combo->currentIndex() != box.listIndex()) {
    combo->setCurrentIndex(box.listIndex());
  }
  const QString text = toQt(box.text());
  if (edit->text() != text) {
    edit->setText(text);
    edit->setCursorPosition(std::min(position, static_cast<int>(text.size())));
  }
}

// The control decides which button shows as selected; the Tab key stops only
// at the selected one (at every one while none is).
void showOptions(QButtonGroup* exclusive, const std::vector<OptionButton*>& buttons,
                 const OptionGroup& group) {
  std::vector<std::unique_ptr<QSignalBlocker>> blockers;
  for (OptionButton* button : buttons) {
    blockers.push_back(std::make_unique<QSignalBlocker>(button));
  }
  const int selected = group.selected();
  if (selected < 0) {
    exclusive->setExclusive(false);
    for (OptionButton* button : buttons) {
      button->setChecked(false);
    }
    exclusive->setExclusive(true);
  } else {
    buttons[static_cast<std::size_t>(selected)]->setChecked(true);
  }
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    const bool stop = selected < 0 || static_cast<int>(i) == selected;
    buttons[i]->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

// A user's edit of a box's text reaches the control only when it differs.
template <class Box>
void typeInto(Box& box, const std::string& text) {
  if (text != box.text()) {
    box.setText(text);
  }
}

std::unique_ptr<ControlBinding> bindMultiLineBox(TextBox& box, MultiLineBox* edit) {
  // Any change that is not a program write: typing, pasting, undo, and text
  // set through the accessibility interface.
  QObject::connect(edit, &QTextEdit::textChanged, edit, [edit, &box] {
    edit->fixLineHeights();
    typeInto(box, fromWidgetLines(edit->toPlainText()));
  });
  return std::make_unique<ControlBinding>(
      box, [edit, &box] { edit->setProgramText(toWidgetLines(box.text())); });
}

std::unique_ptr<ControlBinding> bindLineBox(TextBox& box, QLineEdit* line) {
  QObject::connect(line, &QLineEdit::textChanged, line,
                   [&box](const QString& text) { typeInto(box, fromQt(text)); });
  return std::make_unique<ControlBinding>(box,
                                          [line, &box] { setLineText(line, toQt(box.text())); });
}

}  // namespace

ControlBinding::ControlBinding(Control& control, std::function<void()> show)
    : control_(control), show_(std::move(show)) {
  control_.subscribe(*this);
  show_();
}

ControlBinding::~ControlBinding() {
  control_.unsubscribe(*this);
}

void ControlBinding::changed(const Control& /*control*/) {
  show_();
}

void fitCaption(QLabel* label) {
  const QFontMetrics metrics(label->font());
  label->resize(metrics.horizontalAdvance(label->text()), metrics.height());
}

std::unique_ptr<ControlBinding> bindFrame(Frame& frame, QWidget* widget) {
  return std::make_unique<ControlBinding>(
      frame, [widget, &frame] { widget->setHidden(!frame.visible()); });
}

std::unique_ptr<ControlBinding> bindLabel(Label& label, CaptionLabel* view, bool autoSize) {
  view->onDoubleClick = [&label] { label.doubleClick(); };
  return std::make_unique<ControlBinding>(label, [view, &label, autoSize] {
    view->setText(toQt(label.caption()));
    if (autoSize) {
      fitCaption(view);
    }
  });
}

std::unique_ptr<ControlBinding> bindTextBox(TextBox& box, QWidget* widget) {
  if (auto* edit = dynamic_cast<MultiLineBox*>(widget)) {
    return bindMultiLineBox(box, edit);
  }
  return bindLineBox(box, static_cast<QLineEdit*>(widget));
}

std::unique_ptr<ControlBinding> bindComboBox(ComboBox& box, QComboBox* combo) {
  // Picking an item first moves the widget's current index and sets the edit
  // text, then reports the pick: that text change is not typing.
  QObject::connect(combo->lineEdit(), &QLineEdit::textChanged, combo,
                   [combo, &box](const QString& text) {
                     if (combo->currentIndex() == box.listIndex()) {
                       typeInto(box, fromQt(text));
                     }
                   });
  QObject::connect(combo, &QComboBox::activated, combo,
                   [&box](int item) { box.setListIndex(item); });
  return std::make_unique<ControlBinding>(box, [combo, &box] { showCombo(combo, box); });
}

std::unique_ptr<ControlBinding> bindOptionGroup(OptionGroup& group,
                                                const std::vector<OptionButton*>& buttons,
                                                QObject* owner) {
  auto* exclusive = new QButtonGroup(owner);
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    OptionButton* button = buttons[i];
    const int index = static_cast<int>(i);
    exclusive->addButton(button, index);
    // A click, the arrow keys and the accessibility actions all check the
    // button; the program's own checks come with signals blocked.
    QObject::connect(button, &QAbstractButton::toggled, button, [&group, index](bool checked) {
      if (checked) {
        group.select(index);
      }
    });
    button->onFocusIn = [&group, index] { group.focus(index); };
  }
  return std::make_unique<ControlBinding>(
      group, [exclusive, buttons, &group] { showOptions(exclusive, buttons, group); });
}

}  // namespace delaysub::window
