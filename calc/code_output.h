// What the commands that write code for a chip share in their answers: the
// chip and crystal lines, exact figures as JSON numbers, register bytes, and
// the failures of a timer or serial-port answer.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calc/output.h"
#include "codegen/exact.h"
#include "codegen/timer_answer.h"
#include "mcu/chip.h"

namespace delaysub::calc {

// "chip" and "crystal_hz" fields, and their lines.
void describeChip(Answer& a, const mcu::Chip& chip, const codegen::Ratio& crystalHz);
// A signed exact figure as a JSON number.
double signedDouble(const codegen::Difference& d);
// {"TH0": 252, "TL0": 24}.
Json registersJson(const std::vector<codegen::RegisterValue>& registers);
// The choices as "options" and their table under header, the best marked and
// as "best" (an index, or null).
template <typename Option, typename Line, typename ToJson>
void listChoices(Answer& a, const char* header, const std::vector<Option>& options,
                 std::optional<std::size_t> best, Line line, ToJson toJson) {
  Json list = Json::array();
  a.text += std::string("\n") + header + "\n";
  for (std::size_t i = 0; i < options.size(); ++i) {
    list.push_back(toJson(options[i]));
    a.text += line(options[i], best == i) + "\n";
  }
  a.json["options"] = list;
  a.json["best"] = best ? Json(*best) : Json(nullptr);
}
// The code in its language, after the table: exit status 0.
int withCode(Answer& a, codegen::Language language, const std::string& code);
// A timer or serial-port answer that failed: a choice the chip lacks is a
// usage error naming its option (thrown); otherwise the choices (list adds
// them), "error" in the JSON, the line on standard error, exit status 1.
int failure(Answer& a, const codegen::TimerError& e, const std::function<void()>& list);

}  // namespace delaysub::calc
