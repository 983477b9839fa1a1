// Delay code for a chip: from a crystal and a wanted time to the routine in
// one language, with everything `delaysub-calc code` prints about it.
//
//   const auto crystal = readFrequency("11.0592MHz");   // -> 11059200 Hz
//   const auto time = readTime("10ms");                  // -> 10000 us
//   DelayRequest r{mcu::findChip("8051"), *crystal.value, *time.value};
//   auto outcome = makeDelay(r);
//   if (auto* a = std::get_if<DelayAnswer>(&outcome)) { print a->code ... }
//   else { auto& e = std::get<DelayError>(outcome); ... e.message ... }
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "codegen/exact.h"
#include "codegen/planner.h"
#include "codegen/program.h"
#include "codegen/writers.h"
#include "mcu/chip.h"

namespace delaysub::codegen {

struct DelayRequest {
  const mcu::Chip* chip = nullptr;
  Ratio crystalHz;
  Ratio timeUs;
  Rounding rounding = Rounding::Nearest;
  Language language = Language::Asm;
  bool inlineCode = false;
  bool save = false;
  std::string name;  // empty: from the time (Delay10ms, Delay1_5ms, ...)
};

struct DelayAnswer {
  std::string chip;  // the chip's name
  Ratio crystalHz;
  Ratio targetUs;
  Rounding rounding = Rounding::Nearest;
  Ratio wantedClocks;  // target * crystal, exactly
  std::uint64_t clocks = 0;
  Ratio timeUs;             // clocks / crystal
  Difference errorClocks;   // clocks - wanted
  Difference errorUs;       // time - target
  Difference errorPercent;  // 100 * (time - target) / target
  Language language = Language::Asm;
  std::string name;
  bool inlineCode = false;
  bool save = false;
  std::vector<std::string> registers;  // changed ("R7", "R6"), none with save
  std::uint32_t bytes = 0;             // of the routine (not of the LCALL)
  std::vector<unsigned> counters;      // loaded values, outermost first
  unsigned reloadValue = 0;            // value reloaded after each inner pass, 0 if none
  int nops = 0;
  std::string code;  // the text, LF line breaks
  DelayPlan plan;
  Program program;  // the instructions the code stands for
};

struct DelayError {
  enum class Kind {
    Usage,        // a request no routine can answer (--save or --inline with C, a bad name)
    Unsupported,  // the chip lacks a timing the routine needs
    OutOfRange,   // below the shortest or above the longest routine
  };
  Kind kind = Kind::Usage;
  std::string message;  // one line
  std::uint64_t shortestClocks = 0;
  std::uint64_t longestClocks = 0;
};

std::variant<DelayAnswer, DelayError> makeDelay(const DelayRequest& request);

// The routine's name from the time: the largest of s, ms, us in which the
// time is at least 1, the decimal point as "_": Delay10ms, Delay1_5ms,
// Delay500us, Delay0_5us.
std::string delayNameOf(const Ratio& timeUs);
// Why a --name cannot name the routine in every language, or empty.
std::string nameProblem(const std::string& name);

std::string_view roundingName(Rounding r);  // "nearest", "up", "down"
std::string_view languageName(Language l);  // "asm", "sdas", "c"

}  // namespace delaysub::codegen
