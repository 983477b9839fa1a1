// Every way a chip's timers make a wanted period: for each timer, mode and
// clock the chip's data lists, the count, the reload and its register bytes,
// the period it gives and its error; and the best of them.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "codegen/timer_calc.h"
#include "mcu/chip.h"
#include "mcu/timers.h"

namespace delaysub::codegen {

// One register and the byte loaded into it.
struct RegisterValue {
  std::string_view name;
  std::uint8_t value;
};

// The bytes of value in the registers that load it.
std::vector<RegisterValue> loadedBytes(std::span<const mcu::ValueRegister> load,
                                       std::uint32_t value);

// The choices to weigh; an empty field lets every one through.
struct TimerFilter {
  std::optional<std::uint8_t> timer;
  std::optional<std::uint8_t> mode;
  std::optional<std::uint32_t> clockDivider;
};

struct TimerOption {
  const mcu::Timer* timer;
  const mcu::TimerMode* mode;
  const mcu::TimerClock* clock;
  PeriodCount count;
  std::vector<RegisterValue> registers;  // the reload, as the mode loads it
};

struct TimerPlan {
  std::vector<TimerOption> options;  // in the order of the chip's tables
  // The one that fits with the smallest error, preferring one every part of
  // the chip has, then an auto-reloading mode, then the slower clock, then
  // the wider counter (16-bit mode 1 over 13-bit mode 0); none where no
  // option fits.
  std::optional<std::size_t> best;
  Ratio shortestUs;  // the periods the options make: one count ...
  Ratio longestUs;   // ... to a full turn
};

// For crystalHz > 0 and periodUs > 0.
TimerPlan planTimer(const mcu::TimerSet& set, const Ratio& crystalHz, const Ratio& periodUs,
                    const TimerFilter& filter = {});

// A filter that leaves no choice on the chip: the field that empties it and
// the line that says why ("stc15 has no timer 3; its timers are 0, 1, 2").
enum class FilterField { Timer, Mode, Smod, Clock };
struct FilterProblem {
  FilterField field = FilterField::Timer;
  std::string message;
};

// Why the filter leaves no choice on the chip, or nothing where it leaves
// some.
std::optional<FilterProblem> filterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                           const TimerFilter& filter);

// What a filter leaves of a chip's timers, as the lines below name it:
// "8051", "timer 1 of 8051", "8051 in mode 2 with SMOD 0 counting Fosc/12".
std::string filteredChip(std::string_view chip, std::optional<std::uint8_t> timer,
                         std::optional<std::uint8_t> mode, std::optional<std::uint8_t> smod,
                         std::optional<std::uint32_t> clockDivider);

// The line for a plan without a best: the period no option reaches and the
// limits of the options, "100 ms is beyond what the timers of 8051 make at
// 12 MHz: 1 us to 65.536 ms; ...". A filter is named, for the other timers
// may reach it: "what timer 0 of 8051 in mode 2 makes".
std::string outOfReach(const mcu::Chip& chip, const TimerPlan& plan, const Ratio& crystalHz,
                       const Ratio& periodUs, const TimerFilter& filter = {});

// The numbers in ascending order, each once, each after prefix: "0, 1, 2";
// "Fosc/2, Fosc/12" with the prefix "Fosc/".
std::string numberList(std::vector<std::uint32_t> numbers, std::string_view prefix = "");

// r to `places` decimals, or to as many more (up to 15) as show it is not 0.
std::string visibleText(const Ratio& r, int places);
// "12 MHz", "11.0592 MHz", "32.768 kHz": a crystal as a user writes it.
std::string crystalText(const Ratio& hz);
// "250 us", "65.536 ms", "1.5 s": a period, trimmed to the nanosecond.
std::string periodText(const Ratio& us);

}  // namespace delaysub::codegen
