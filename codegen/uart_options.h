// Every way a chip's serial port (mode 1) takes a wanted baud rate from a
// timer: for each baud source and timer clock the chip's data lists, the
// nearest reload, the rate it makes and its error; and the best of them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "codegen/timer_options.h"

namespace delaysub::codegen {

// The ways to weigh; an empty field lets every one through.
struct UartFilter {
  std::optional<std::uint8_t> timer = std::nullopt;
  std::optional<std::uint8_t> mode = std::nullopt;  // the timer's mode, as BaudSource::mode
  std::optional<std::uint8_t> smod = std::nullopt;  // only the ways in which SMOD takes part
  std::optional<std::uint32_t> clockDivider = std::nullopt;
};

struct UartOption {
  const mcu::BaudSource* source;
  const mcu::TimerClock* clock;
  BaudCount count;
  std::vector<RegisterValue> registers;  // the reload, as the source loads it
};

struct UartPlan {
  std::vector<UartOption> options;  // in the order of the chip's tables
  // The one within 2 % with the smallest error, preferring one every part
  // of the chip has, then the slower clock, then the order of the tables
  // (timer 1 before timer 2, SMOD 0 before SMOD 1); none where no option is
  // within 2 %.
  std::optional<std::size_t> best;
  Ratio fastest;  // the rates the options make: a count of one ...
  Ratio slowest;  // ... to a full turn
};

// For crystalHz > 0 and baud > 0.
UartPlan planUart(const mcu::TimerSet& set, const Ratio& crystalHz, const Ratio& baud,
                  const UartFilter& filter = {});

// Why the filter leaves no way on the chip ("8051 takes no baud rate from
// timer 0; it does from timers 1, 2"), or nothing where it leaves some. Each
// field narrows what the one before left, and the line names that.
std::optional<FilterProblem> uartFilterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                               const UartFilter& filter);

// The line for a plan without a best: "115200 baud is not within 2 % by any
// choice of 8051 at 12 MHz: the nearest are 125000 baud (+8.51 %) and
// 62500 baud (-45.75 %)", or the fastest and slowest rates where the wanted
// one lies beyond them. A filter is named, for the other ways may reach it:
// "by any choice of timer 1 of 8051 at 12 MHz".
std::string uartOutOfReach(const mcu::Chip& chip, const UartPlan& plan, const Ratio& crystalHz,
                           const Ratio& baud, const UartFilter& filter = {});

}  // namespace delaysub::codegen
