// What the commands that write code for a chip share in their answers: the
// chip and crystal lines, exact figures as JSON numbers, register bytes, and
// the failures of a timer or serial-port answer.
#pragma once

#include <functional>
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
// A timer or serial-port answer that failed: a choice the chip lacks is a
// usage error naming its option (thrown); otherwise the choices (list adds
// them), "error" in the JSON, the line on standard error, exit status 1.
int failure(Answer& a, const codegen::TimerError& e, const std::function<void()>& list);

}  // namespace delaysub::calc
