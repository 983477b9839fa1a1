// Timer and serial-port answers for a chip: every choice with its figures,
// the best, and its set-up code in one language, with everything
// `delaysub-calc timer` and `delaysub-calc uart` print about them.
//
//   TimerRequest r{mcu::findChip("8051"), *readFrequency("12MHz").value,
//                  *readTime("1ms").value};
//   auto outcome = makeTimer(r);
//   if (auto* a = std::get_if<TimerAnswer>(&outcome)) { ... a->best() ... a->code ... }
//   else { std::get<TimerError>(outcome).message ... }
//
// What `--json` prints, and where it is:
//   timer: chip (chip), crystal_hz (crystalHz), period_us (periodUs), options
//     (plan.options: timer->number, mode->mode, clock->divider, count.count,
//     count.reload, registers {name: value}, count.actualUs, count.errorUs,
//     count.errorPercent, count.fits, mode->autoReload), best (best, an index
//     into options), code (code); isrReload->reload and ->note where the mode
//     does not reload itself.
//   uart: chip, crystal_hz, baud (baud), options (plan.options:
//     source->timer, source->mode, clock->divider, source->smod (none: null),
//     count.reload, registers, count.actualBaud, count.errorPercent,
//     count.within2Percent, count.within1Percent), best, code.
// Ratio and Difference become numbers with toDouble (a Difference's sign in
// negative); TimerError::message is the one line for what no choice reaches,
// with the limits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "codegen/init_code.h"
#include "codegen/uart_options.h"
#include "codegen/writers.h"

namespace delaysub::codegen {

struct TimerRequest {
  const mcu::Chip* chip = nullptr;
  Ratio crystalHz;
  Ratio periodUs;
  TimerFilter filter;  // --timer, --mode, --clock
  Language language = Language::Asm;
};

// The reload the interrupt routine writes for a mode that does not reload
// itself: the start value plus the counts that pass from the overflow to the
// routine's last write.
struct IsrReload {
  std::uint32_t reload = 0;                     // what the routine writes
  std::uint64_t routineClocks = 0;              // LJMP at the vector and the writes before the last
  std::optional<std::uint64_t> responseClocks;  // the chip's least interrupt response
  Ratio lateCounts;                             // (response + routine) / clock divider
  std::uint32_t correction = 0;                 // lateCounts to the nearest count
  std::string note;                             // what all this means, in sentences
};

struct TimerAnswer {
  std::string chip;
  Ratio crystalHz;
  Ratio periodUs;
  TimerPlan plan;  // every choice the filter lets through
  std::size_t best = 0;
  std::optional<IsrReload> isrReload;  // for the best, where its mode does not reload itself
  Language language = Language::Asm;
  InitCode init;     // the best's set-up and interrupt routine
  std::string code;  // as text in language
  const TimerOption& bestOption() const { return plan.options[best]; }
};

struct UartRequest {
  const mcu::Chip* chip = nullptr;
  Ratio crystalHz;
  Ratio baud;
  UartFilter filter;  // --timer, --mode, --smod, --clock
  Language language = Language::Asm;
};

struct UartAnswer {
  std::string chip;
  Ratio crystalHz;
  Ratio baud;
  UartPlan plan;  // every way the filter lets through
  std::size_t best = 0;
  Language language = Language::Asm;
  InitCode init;
  std::string code;
  const UartOption& bestOption() const { return plan.options[best]; }
};

struct TimerError {
  enum class Kind {
    Usage,        // a timer, mode, SMOD or clock the chip does not have (exit 2)
    Unsupported,  // no timer data for the chip (exit 1)
    OutOfRange,   // no choice reaches the period or rate (exit 1)
  };
  Kind kind = Kind::Usage;
  std::string message;                     // one line
  FilterField field = FilterField::Timer;  // for Usage: the filter's field that leaves no choice
};

std::variant<TimerAnswer, TimerError> makeTimer(const TimerRequest& request);
std::variant<UartAnswer, TimerError> makeUart(const UartRequest& request);

// A register value as the tables show it: "FC18H", "1AH", "1C18H".
std::string valueText(std::uint32_t value, unsigned width);
// "TH0 = 0FCH, TL0 = 18H": the bytes of a reload.
std::string registersText(const std::vector<RegisterValue>& registers);
// "Fosc/12": a timer clock.
std::string clockText(std::uint32_t divider);

}  // namespace delaysub::codegen
