// delaysub-calc: the calculator's answers on the command line, for people
// and for scripts (--json).
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace delaysub::calc {

// Exit statuses.
inline constexpr int kExitOk = 0;
// A run-time error of the calculation, or no nesting depth reaches the time.
inline constexpr int kExitFailed = 1;
// Unknown command or option, a missing option, a value out of its range.
inline constexpr int kExitUsage = 2;

// Runs one command line (the arguments after the program name), writes its
// answer to out and its messages to err, and returns the exit status. Never
// throws.
int runCalc(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A wanted time: a number with an optional unit us, ms or s (microseconds
// without one), blanks allowed around the unit. The time in microseconds, or
// nothing when the text is not of that form or not finite.
std::optional<double> readTime(std::string_view text);

}  // namespace delaysub::calc
