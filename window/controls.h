// The window's controls as plain objects, with the event rules the handlers
// rely on. No toolkit here: the Qt binding mirrors these objects into widgets
// and feeds user input back through the same calls.
//
// Event rules:
//  - a text write raises Change only when the new text differs;
//  - a raised handler runs to its end inside the write (re-entry);
//  - appending a list item raises nothing;
//  - setting or picking a combo list index raises Click; typing raises Change;
//  - selecting an option button raises its Click only when it was not selected;
//  - label captions, frame visibility and unhandled boxes raise nothing.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/result.h"

namespace delaysub::window {

using core::RunError;

// The observers of one subject, told in the order they subscribed. One may
// subscribe another while it is told: the new one is told too.
template <class Observer>
class ObserverList {
 public:
  void add(Observer& observer) {
    if (std::find(list_.begin(), list_.end(), &observer) == list_.end()) {
      list_.push_back(&observer);
    }
  }
  void remove(Observer& observer) { std::erase(list_, &observer); }
  template <class Tell>
  void tell(const Tell& tell) const {
    for (std::size_t i = 0; i < list_.size(); ++i) {
      tell(*list_[i]);
    }
  }

 private:
  std::vector<Observer*> list_;
};

// Follows what the dispatcher runs. Any number of observers subscribe; each
// is told in the order it subscribed.
class EventObserver {
 public:
  virtual ~EventObserver() = default;
  // A handler or a calculation of the window started, named as in the form
  // ("Text1_Change", "BPS", "CALC_T", ...).
  virtual void handlerRan(std::string_view /*name*/) {}
  // A user event (the outermost raise) ended; errors is empty when it
  // completed without error.
  virtual void eventFinished(const std::vector<RunError>& /*errors*/) {}
};

// Runs the handlers that events raise, one event at a time on one thread.
// A handler's error abandons that handler only: the write that raised it
// returns normally and the writer goes on. Errors are gathered per user event
// (the outermost raise) and handed to the observers when it ends.
class EventDispatcher {
 public:
  using Handler = std::function<RunError()>;

  // An observer stays subscribed until it unsubscribes; it must not outlive
  // its subscription.
  void subscribe(EventObserver& observer);
  void unsubscribe(EventObserver& observer);
  // Tells the observers that the named handler or calculation runs.
  void ran(std::string_view name) const;

  void raise(const Handler& handler);
  // A direct call of one handler from another: counts towards the nesting
  // depth and passes the error back to the caller instead of collecting it.
  RunError call(const Handler& handler);
  // Records an error raised by a handler that then goes on with its other
  // steps (reported with the rest of the event).
  void note(RunError error);

  int depth() const { return depth_; }
  int deepest() const { return deepest_; }
  void resetDeepest() { deepest_ = depth_; }

 private:
  void enter();
  void leave();

  ObserverList<EventObserver> observers_;
  int depth_ = 0;
  int deepest_ = 0;
  std::vector<RunError> errors_;
};

// Follows what one subject shows: told after it changed.
template <class Subject>
class ChangeObserver {
 public:
  virtual ~ChangeObserver() = default;
  virtual void changed(const Subject& subject) = 0;
};

class Control;
// Told after a control's visible state changed (text, caption, selection,
// list, visibility), before any handler runs. The Qt binding mirrors it into
// the widget.
using ControlObserver = ChangeObserver<Control>;

// Base of every control: name and index as in the layout table, and the
// observers that follow its program writes and user edits.
class Control {
 public:
  Control(std::string name, std::int16_t index) : name_(std::move(name)), index_(index) {}
  virtual ~Control() = default;
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  const std::string& name() const { return name_; }
  std::int16_t index() const { return index_; }

  // An observer stays subscribed until it unsubscribes; it must not outlive
  // its subscription.
  void subscribe(ControlObserver& observer) { observers_.add(observer); }
  void unsubscribe(ControlObserver& observer) { observers_.remove(observer); }

 protected:
  void updated() {
    observers_.tell([this](ControlObserver& observer) { observer.changed(*this); });
  }

 private:
  std::string name_;
  std::int16_t index_;
  ObserverList<ControlObserver> observers_;
};

// A control whose events the dispatcher runs.
class EventControl : public Control {
 protected:
  EventControl(EventDispatcher& events, std::string name, std::int16_t index)
      : Control(std::move(name), index), events_(events) {}

  EventDispatcher& events_;
};

class TextBox : public EventControl {
 public:
  TextBox(EventDispatcher& events, std::string name, std::int16_t index, std::string text = {})
      : EventControl(events, std::move(name), index), text_(std::move(text)) {}

  const std::string& text() const { return text_; }
  // A program write or a user edit: replaces the text and raises Change when
  // it differs from the old one.
  void setText(std::string_view text);

  std::function<RunError(std::int16_t)> onChange;

 private:
  std::string text_;
};

class Label : public EventControl {
 public:
  Label(EventDispatcher& events, std::string name, std::int16_t index, std::string caption = {})
      : EventControl(events, std::move(name), index), caption_(std::move(caption)) {}

  const std::string& caption() const { return caption_; }
  void setCaption(std::string_view caption);  // raises nothing
  void doubleClick();                         // the user double-clicked it

  std::function<RunError(std::int16_t)> onDblClick;

 private:
  std::string caption_;
};

class ComboBox : public EventControl {
 public:
  ComboBox(EventDispatcher& events, std::string name, std::string text = {})
      : EventControl(events, std::move(name), -1), text_(std::move(text)) {}

  const std::string& text() const { return text_; }
  const std::vector<std::string>& items() const { return items_; }
  int listIndex() const { return listIndex_; }  // -1 when no item is selected

  void addItem(std::string_view item);  // raises nothing
  // Program selection or the user picking an item: the item's text becomes
  // the edit text (without Change) and Click is raised.
  void setListIndex(int index);
  // Typing or a program write of the edit text: Change when it differs. The
  // list selection is dropped unless the text is still the selected item's.
  void setText(std::string_view text);

  std::function<RunError()> onClick;
  std::function<RunError()> onChange;

 private:
  std::string text_;
  std::vector<std::string> items_;
  int listIndex_ = -1;
};

// The option buttons of one frame: at most one is selected.
class OptionGroup : public EventControl {
 public:
  OptionGroup(EventDispatcher& events, std::string name, std::vector<std::string> captions)
      : EventControl(events, std::move(name), -1), captions_(std::move(captions)) {}

  const std::vector<std::string>& captions() const { return captions_; }
  int size() const { return static_cast<int>(captions_.size()); }
  int selected() const { return selected_; }  // -1 when none is
  bool isSelected(int index) const { return selected_ == index; }

  // Program selection or the user's click: Click with the index, only when
  // that button was not selected already.
  void select(int index);
  // The keyboard focus arrives on a button: it is selected (and clicked)
  // only when no button of the group is selected yet.
  void focus(int index);

  std::function<RunError(std::int16_t)> onClick;

 private:
  std::vector<std::string> captions_;
  int selected_ = -1;
};

class Frame : public Control {
 public:
  explicit Frame(std::string name) : Control(std::move(name), -1) {}
  bool visible() const { return visible_; }
  void setVisible(bool visible);  // raises nothing

 private:
  bool visible_ = true;
};

}  // namespace delaysub::window
