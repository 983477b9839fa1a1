// What must hold in the window's controls layer after every user event,
// shared by the form fuzz target and the random-input test of the real
// window: the option buttons and what follows them, the delay and hex boxes,
// the baud result and the error report, against the core's own answers for
// what the window shows.
#pragma once

#include <string>
#include <vector>

#include "window/form.h"
#include "window/run_counts.h"

namespace delaysub::fuzz {

// Follows the form's dispatcher step by step (a step is one input of the
// user's, which may end more than one event): what ran, and the errors of
// the events that ended. Subscribe it before the load.
class EventWatch : public window::RunCounter {
 public:
  // A new step begins: the counts now are its start.
  void startStep(window::DelaySubForm& form);

  const window::RunCounts& before() const { return before_; }
  // At least one user event ended in this step.
  bool finished() const { return finished_; }
  // The errors of the last event that ended, which the window reports.
  const std::vector<window::RunError>& lastErrors() const { return last_; }
  // Some event of this step ended with the error.
  bool reported(window::RunError error) const;
  // No event of this step ended with an error.
  bool clean() const { return all_.empty(); }

  // The user has typed into the baud result box since the last result was
  // written there: it shows what they typed, not a result. (The box takes
  // typing and raises nothing.)
  bool baudBoxEdited() const { return baudBoxEdited_; }

  void eventFinished(const std::vector<window::RunError>& errors) override;

 private:
  friend std::string brokenInvariant(window::DelaySubForm& form, EventWatch& watch);

  window::RunCounts before_;
  std::string baudBoxBefore_;
  bool baudBoxEdited_ = false;
  bool finished_ = false;
  std::vector<window::RunError> last_;
  std::vector<window::RunError> all_;
};

// Handlers that one user event may nest: Option0_Click, Option2_Click,
// Text1_Change, Text1_Change.
inline constexpr int kMaxDepth = 4;

// The first invariant the form breaks after the step, as "<file>:<line>",
// or "" when every one holds. Call it once at the end of each step.
std::string brokenInvariant(window::DelaySubForm& form, EventWatch& watch);

}  // namespace delaysub::fuzz
