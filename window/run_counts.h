// How often each handler and calculation of the window ran: an observer of
// the form's dispatcher for tests, fuzzers and benchmarks. The form itself
// keeps no such counts.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "window/controls.h"

namespace delaysub::window {

struct RunCounts {
  int Form_Load = 0, Ini_Combo = 0, Combo0_Click = 0, Combo0_Change = 0, Combo1_Click = 0,
      Combo1_Change = 0, Option0_Click = 0, Option1_Click = 0, Option2_Click = 0, Text1_Change = 0,
      Label1_DblClick = 0, BPS = 0, CALC_T = 0, W77E_T = 0;

  // The counter of a handler or calculation by its name; throws
  // std::invalid_argument for a name the window does not have.
  int& operator[](std::string_view name);
  bool operator==(const RunCounts&) const = default;
};

// Counts what the dispatcher it is subscribed to runs.
class RunCounter : public EventObserver, public RunCounts {
 public:
  void handlerRan(std::string_view name) override { ++(*this)[name]; }
};

inline int& RunCounts::operator[](std::string_view name) {
  struct Field {
    std::string_view name;
    int RunCounts::*count;
  };
  static constexpr Field kFields[] = {
      {"Form_Load", &RunCounts::Form_Load},
      {"Ini_Combo", &RunCounts::Ini_Combo},
      {"Combo0_Click", &RunCounts::Combo0_Click},
      {"Combo0_Change", &RunCounts::Combo0_Change},
      {"Combo1_Click", &RunCounts::Combo1_Click},
      {"Combo1_Change", &RunCounts::Combo1_Change},
      {"Option0_Click", &RunCounts::Option0_Click},
      {"Option1_Click", &RunCounts::Option1_Click},
      {"Option2_Click", &RunCounts::Option2_Click},
      {"Text1_Change", &RunCounts::Text1_Change},
      {"Label1_DblClick", &RunCounts::Label1_DblClick},
      {"BPS", &RunCounts::BPS},
      {"CALC_T", &RunCounts::CALC_T},
      {"W77E_T", &RunCounts::W77E_T},
  };
  for (const Field& field : kFields) {
    if (field.name == name) {
      return this->*field.count;
    }
  }
  throw std::invalid_argument("no handler named " + std::string(name));
}

}  // namespace delaysub::window
