#include "calc/code_output.h"

#include <stdexcept>

#include "calc/args.h"
#include "codegen/delay.h"
#include "codegen/timer_options.h"

namespace delaysub::calc {

namespace {

// The option of a filter's field.
std::string optionOf(codegen::FilterField field) {
  switch (field) {
    case codegen::FilterField::Mode:
      return "--mode";
    case codegen::FilterField::Smod:
      return "--smod";
    case codegen::FilterField::Clock:
      return "--clock";
    case codegen::FilterField::Timer:
      break;
  }
  return "--timer";
}

}  // namespace

void describeChip(Answer& a, const mcu::Chip& chip, const codegen::Ratio& crystalHz) {
  a.json["chip"] = chip.name;
  a.json["crystal_hz"] = codegen::toDouble(crystalHz);
  a.text += labelled("chip", std::string(chip.name) + ": " + std::string(chip.description));
  a.text += labelled("crystal", codegen::crystalText(crystalHz));
}

double signedDouble(const codegen::Difference& d) {
  const double size = codegen::toDouble(d.magnitude);
  return d.negative ? -size : size;
}

Json registersJson(const std::vector<codegen::RegisterValue>& registers) {
  Json bytes = Json::object();
  for (const codegen::RegisterValue& r : registers) {
    bytes[std::string(r.name)] = r.value;
  }
  return bytes;
}

int withCode(Answer& a, codegen::Language language, const std::string& code) {
  a.json["language"] = std::string(codegen::languageName(language));
  a.json["code"] = code;
  a.text += "\n" + code;
  return a.done();
}

int failure(Answer& a, const codegen::TimerError& e, const std::function<void()>& list) {
  if (e.kind == codegen::TimerError::Kind::Usage) {
    throw UsageError{optionOf(e.field) + ": " + e.message};
  }
  if (e.kind == codegen::TimerError::Kind::OutOfRange) {
    try {
      list();
    } catch (const std::overflow_error&) {
      // Too large to list: the message says so.
    }
  }
  a.json["error"] = e.message;
  return a.failWith(e.message);
}

}  // namespace delaysub::calc
