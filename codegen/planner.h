// The delay planner: for a chip and a number of clocks, the smallest routine
// of loop counters in R7, R6, R5, R4 (DJNZ chains), at most three NOPs, that
// takes exactly that many clocks.
//
// The routine's shape, innermost loop in R7:
//     [PUSH 07H ...]            with save, each register the loops use
//     NOP x nops
//     MOV R7,#c1 ... MOV R4,#c4  loaded innermost first, never with 0
//   L: DJNZ R7,L
//     [MOV R7,#r]               when level 1 is reloaded
//     DJNZ R6,L
//     ...
//     [POP ... ]  RET          (no RET in line)
// A level that is not reloaded counts 256 on every pass after its first
// (its counter is 0 then); a reloaded level counts r. Without reloads a
// count whose base-256 digits include 255 cannot be made (a counter would
// have to start at 0), so the inner levels may be reloaded with r, the
// largest value for which every whole number of machine cycles up to the
// longest routine is reachable with at most three NOPs. The planner tries
// every shape in the order of their bytes and solves for the counters
// (a few candidates per level), then counts the result with the executor.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codegen/exact.h"
#include "codegen/program.h"
#include "mcu/chip.h"

namespace delaysub::codegen {

enum class Rounding { Nearest, Up, Down };

// How the routine is used: called with LCALL (counted from the first clock of
// the LCALL to the last of the RET) or placed in line; save pushes and pops
// the counters (register bank 0).
struct RoutineForm {
  bool inlineCode = false;
  bool save = false;
};

struct DelayPlan {
  RoutineForm form;
  int levels = 0;                      // loop levels, 0..4
  int reloaded = 0;                    // inner levels reloaded after each pass
  std::uint8_t reloadValue = 0;        // r
  std::vector<std::uint8_t> counters;  // loaded values, innermost (R7) first
  int nops = 0;
  std::uint64_t clocks = 0;
  std::uint32_t bytes = 0;
};

// The shortest and the longest routine of a chip in a form, in clocks, and
// the step between achievable counts (the machine cycle). Every multiple of
// step from wholeFrom() to longest is achievable; below it, a few counts
// just above the 3-NOP routines may be missing where a one-loop routine
// costs more than four NOPs (ds80c320, stc15, at89lp; with save, more).
struct PlanLimits {
  std::uint64_t shortest = 0;
  std::uint64_t longest = 0;
  std::uint64_t step = 1;
};

// Why a chip cannot have routines in that form: the first instruction the
// routine needs whose clocks its table lacks ("stc8 has no published clocks
// for PUSH direct"), or nothing.
std::optional<std::string> missingTiming(const mcu::Chip& chip, const RoutineForm& form);

// The limits; the chip must have every timing the form needs.
PlanLimits limitsOf(const mcu::Chip& chip, const RoutineForm& form);

// The least count from which every step up to the longest is achievable
// (tries the counts below the first one-loop routine one by one).
std::uint64_t wholeFrom(const mcu::Chip& chip, const RoutineForm& form);

// The reload value r of the chip (0 where no value keeps the counts whole).
std::uint8_t reloadValueOf(const mcu::Chip& chip);

// The smallest routine that takes exactly clocks, or nothing.
std::optional<DelayPlan> planExact(const mcu::Chip& chip, const RoutineForm& form,
                                   std::uint64_t clocks);

// The routine for wanted clocks: the achievable count nearest wanted (ties
// up), the least at or above it, or the greatest at or below it. Nothing
// when wanted lies below the shortest or above the longest routine.
std::optional<DelayPlan> planDelay(const mcu::Chip& chip, const RoutineForm& form,
                                   const Ratio& wanted, Rounding rounding);

// The plan's instruction list. The entry label (call form) is name, the loop
// label name + "_loop".
Program routineOf(const DelayPlan& plan, const std::string& name);

}  // namespace delaysub::codegen
