// Helpers shared by the form tests: user input as keystrokes, and a snapshot
// of everything the window shows and keeps.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "window/form.h"
#include "window/run_counts.h"

namespace delaysub::window::test_support {

// The user selects all of the box's text and types the new text one
// character at a time (ASCII only): each keystroke is one change.
template <class Box>
void typeInto(Box& box, std::string_view text) {
  if (text.empty()) {
    box.setText("");
    return;
  }
  for (std::size_t n = 1; n <= text.size(); ++n) {
    box.setText(text.substr(0, n));
  }
}

// The user types at the end of the box's text, one character at a time.
template <class Box>
void appendKeys(Box& box, std::string_view keys) {
  for (char key : keys) {
    box.setText(box.text() + key);
  }
}

// The user erases the box's text one character at a time.
template <class Box>
void backspaceTo(Box& box, std::string_view text) {
  while (box.text().size() > text.size()) {
    box.setText(std::string_view(box.text()).substr(0, box.text().size() - 1));
  }
}

// The errors of every user event that ended, in order.
class FinishedEvents : public EventObserver {
 public:
  explicit FinishedEvents(EventDispatcher& events) : events_(events) { events_.subscribe(*this); }
  ~FinishedEvents() override { events_.unsubscribe(*this); }
  FinishedEvents(const FinishedEvents&) = delete;
  FinishedEvents& operator=(const FinishedEvents&) = delete;
  void eventFinished(const std::vector<RunError>& e) override { errors.push_back(e); }

  std::vector<std::vector<RunError>> errors;

 private:
  EventDispatcher& events_;
};

// Tells seen of every update of the controls it follows.
class Updates : public ControlObserver {
 public:
  explicit Updates(std::function<void(const Control&)> seen) : seen_(std::move(seen)) {}
  void follow(Control& control) { control.subscribe(*this); }
  void changed(const Control& control) override { seen_(control); }

 private:
  std::function<void(const Control&)> seen_;
};

// Everything visible plus the window state, for "nothing else changed".
struct Snapshot {
  std::string text1[5], label1_6, label1_7, label1_9, label2_2, text2, combo0, combo1;
  bool frame4 = false;
  int option0 = 0, option1 = 0, option2 = 0;
  WindowState state;

  static Snapshot of(DelaySubForm& f) {
    Snapshot s;
    for (int i : {0, 1, 3, 4}) {
      s.text1[i] = f.Text1(i).text();
    }
    s.label1_6 = f.Label1(6).caption();
    s.label1_7 = f.Label1(7).caption();
    s.label1_9 = f.Label1(9).caption();
    s.label2_2 = f.Label2(2).caption();
    s.text2 = f.Text2.text();
    s.combo0 = f.Combo0.text();
    s.combo1 = f.Combo1.text();
    s.frame4 = f.frame(4).visible();
    s.option0 = f.Option0.selected();
    s.option1 = f.Option1.selected();
    s.option2 = f.Option2.selected();
    s.state = f.windowState();
    return s;
  }

  bool operator==(const Snapshot&) const = default;

  friend std::ostream& operator<<(std::ostream& os, const Snapshot& s) {
    return os << "{T " << s.state.T << ", X " << s.state.X << ", Fosc " << s.state.Fosc
              << ", Text1(0) '" << s.text1[0] << "', Label1(9) '" << s.label1_9 << "', Text2 '"
              << s.text2 << "'}";
  }
};

// A window after load and show, as the user first sees it.
inline void start(DelaySubForm& f) {
  f.load();
  f.shown();
}

}  // namespace delaysub::window::test_support
