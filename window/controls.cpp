#include "window/controls.h"

#include <algorithm>

namespace delaysub::window {

void EventDispatcher::enter() {
  ++depth_;
  deepest_ = std::max(deepest_, depth_);
}

void EventDispatcher::leave() {
  --depth_;
  if (depth_ == 0) {
    std::vector<RunError> finished;
    finished.swap(errors_);
    observers_.tell([&finished](EventObserver& observer) { observer.eventFinished(finished); });
  }
}

void EventDispatcher::subscribe(EventObserver& observer) {
  observers_.add(observer);
}

void EventDispatcher::unsubscribe(EventObserver& observer) {
  observers_.remove(observer);
}

void EventDispatcher::ran(std::string_view name) const {
  observers_.tell([name](EventObserver& observer) { observer.handlerRan(name); });
}

void EventDispatcher::note(RunError error) {
  if (error == RunError::None) {
    return;
  }
  for (RunError seen : errors_) {
    if (seen == error) {
      return;
    }
  }
  errors_.push_back(error);
}

void EventDispatcher::raise(const Handler& handler) {
  if (!handler) {
    return;
  }
  enter();
  note(handler());
  leave();
}

RunError EventDispatcher::call(const Handler& handler) {
  if (!handler) {
    return RunError::None;
  }
  ++depth_;
  deepest_ = std::max(deepest_, depth_);
  const RunError error = handler();
  --depth_;
  return error;
}

void TextBox::setText(std::string_view text) {
  if (text == text_) {
    return;
  }
  text_.assign(text);
  updated();
  if (onChange) {
    events_.raise([this] { return onChange(index()); });
  }
}

void Label::setCaption(std::string_view caption) {
  if (caption == caption_) {
    return;
  }
  caption_.assign(caption);
  updated();
}

void Label::doubleClick() {
  if (onDblClick) {
    events_.raise([this] { return onDblClick(index()); });
  }
}

void ComboBox::addItem(std::string_view item) {
  items_.emplace_back(item);
  updated();
}

void ComboBox::setListIndex(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) {
    return;
  }
  listIndex_ = index;
  text_ = items_[static_cast<std::size_t>(index)];
  updated();
  if (onClick) {
    events_.raise(onClick);
  }
}

void ComboBox::setText(std::string_view text) {
  if (text == text_) {
    return;
  }
  text_.assign(text);
  if (listIndex_ >= 0 && items_[static_cast<std::size_t>(listIndex_)] != text_) {
    listIndex_ = -1;
  }
  updated();
  if (onChange) {
    events_.raise(onChange);
  }
}

void OptionGroup::select(int index) {
  if (index < 0 || index >= size() || index == selected_) {
    return;
  }
  selected_ = index;
  updated();
  if (onClick) {
    events_.raise([this, index] { return onClick(static_cast<std::int16_t>(index)); });
  }
}

void OptionGroup::focus(int index) {
  if (selected_ < 0) {
    select(index);
  }
}

void Frame::setVisible(bool visible) {
  if (visible == visible_) {
    return;
  }
  visible_ = visible;
  updated();
}

}  // namespace delaysub::window
