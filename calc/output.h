// Writing delaysub-calc's answers: the text for a person, one JSON object for
// a script, and the run-time errors of the calculation in both.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <string_view>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::calc {

using Json = nlohmann::ordered_json;

inline constexpr std::string_view kProgram = "delaysub-calc";

// What an AVR delay is, on the command line where no window explains it.
inline constexpr std::string_view kAvrDelayNote =
    "the delay is the MCS-51 routine's count, as the window computes it for AVR; "
    "the formula is shown as the window shows it";

// Columns as a terminal shows them: a Chinese character takes two.
std::size_t width(std::string_view text);
std::string padRight(std::string_view text, std::size_t columns);
std::string padLeft(std::string_view text, std::size_t columns);
// CR LF line breaks as a terminal's, or kept with crlf.
std::string withLineBreaks(std::string_view text, bool crlf);

// The width of the labels of the text output.
inline constexpr std::size_t kLabel = 9;
// "label    value\n"; a value of several lines goes on under its first line.
std::string labelled(std::string_view label, std::string_view value);

// A run-time error: {"number": 6, "meaning": "overflow"}, "error 6: overflow".
Json errorJson(core::RunError e);
std::string errorLine(core::RunError e);

// The answer of one command, gathered as JSON fields and as text, then
// written as one of them.
class Answer {
 public:
  Answer(std::ostream& out, std::ostream& err, bool asJson) : out_(out), err_(err), json_(asJson) {}

  Json json;         // the fields of the answer so far
  std::string text;  // the text answer

  // Writes the answer: kExitOk.
  int done();
  // A run-time error: the fields gathered so far come after the error.
  int fail(core::RunError e);
  // A failure that is no run-time error: the answer and a message.
  int failWith(const std::string& message);

  // The fields and lines most answers begin with.
  void describeCore(core::Core core);
  void describeCrystal(float Fosc);
  // For AVR, the line and field "note" that say what its delays are: the
  // window counts them with the MCS-51 routine and shows AVR's own formula.
  void noteDelaysOf(core::Core core);

 private:
  std::ostream& out_;
  std::ostream& err_;
  bool json_;
};

}  // namespace delaysub::calc
