#include "codegen/timer_answer.h"

#include <algorithm>
#include <stdexcept>

#include "codegen/executor.h"
#include "mcu/interrupts.h"

namespace delaysub::codegen {

namespace {

std::string hexDigits(std::uint32_t value, int digits) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  std::string text;
  for (int i = digits - 1; i >= 0; --i) {
    text += kDigits[(value >> (4 * i)) & 15U];
  }
  return text;
}

std::string chipsWithTimers() {
  std::string names;
  for (const mcu::Chip& chip : mcu::chips()) {
    if (mcu::timersOf(chip) != nullptr) {
      names += (names.empty() ? "" : ", ") + std::string(chip.name);
    }
  }
  return names;
}

// The chip's timer data, or the error that it has none.
std::variant<const mcu::TimerSet*, TimerError> timerSetOf(const mcu::Chip* chip) {
  if (chip == nullptr) {
    throw std::logic_error("a timer or serial-port request without a chip");
  }
  if (const mcu::TimerSet* set = mcu::timersOf(*chip)) {
    return set;
  }
  return TimerError{TimerError::Kind::Unsupported,
                    std::string(chip->name) +
                        ": no source here describes its timers; timer "
                        "data is known for " +
                        chipsWithTimers()};
}

// The chip's timer data, or the error that it has none or that the filter
// leaves no choice on it (problemOf: filterProblem or uartFilterProblem).
template <class Filter, class ProblemOf>
std::variant<const mcu::TimerSet*, TimerError> filteredSetOf(const mcu::Chip* chip,
                                                             const Filter& filter,
                                                             ProblemOf problemOf) {
  auto found = timerSetOf(chip);
  if (const auto* set = std::get_if<const mcu::TimerSet*>(&found)) {
    if (const auto problem = problemOf(*chip, **set, filter)) {
      return TimerError{TimerError::Kind::Usage, problem->message, problem->field};
    }
  }
  return found;
}

TimerError tooLarge(const std::string& what) {
  return {TimerError::Kind::OutOfRange, what + " is too large to compute exactly"};
}

// Counts the clocks from the overflow to the interrupt routine's last write
// (the executor runs LJMP at the vector and the writes before it) and
// corrects the reload by them.
IsrReload isrReloadOf(const mcu::Chip& chip, const mcu::TimerSet& set, const TimerOption& o) {
  IsrReload r;
  const std::vector<RegisterValue> bytes = loadedBytes(o.mode->load, o.count.reload);
  ProgramBuilder path;
  path.ljmp("Isr").label("Isr");
  for (std::size_t i = 0; i + 1 < bytes.size(); ++i) {
    path.movDirect(addressOf(set, bytes[i].name), bytes[i].value);
  }
  const Execution run = execute(path.build(), chip);
  const std::string last = bytes.empty() ? "" : std::string(bytes.back().name);
  const std::string isr = "Timer" + std::to_string(o.timer->number) + "_Isr";
  if (!run.finished) {
    r.reload = o.count.reload;
    r.note = isr + " writes the start value again, late by the interrupt response and by " +
             "instructions whose clocks no source gives for " + std::string(chip.name) + " (" +
             run.problem + "); the period is longer by as much.";
    return r;
  }
  r.routineClocks = run.clocks;
  const auto response = mcu::interruptResponseOf(chip);
  if (response) {
    r.responseClocks = response->clocks;
  }
  const std::uint64_t late = run.clocks + (response ? response->clocks : 0);
  r.lateCounts = Ratio::of(late, o.clock->divider);
  r.correction = static_cast<std::uint32_t>(nearestWhole(r.lateCounts));
  const std::uint64_t full = fullCount(o.mode->width);
  const std::string counts = decimalText(r.lateCounts, 2) + " counts";
  std::string why =
      "(" +
      (response ? "interrupt response " + std::to_string(response->clocks) +
                      " clocks at the least, " + std::string(response->source.document) + "; "
                : std::string()) +
      "LJMP at " + valueText(o.timer->vector, 16) + " and the writes before " + last + " " +
      std::to_string(run.clocks) + " clocks)";
  if (o.count.reload + r.correction >= full) {
    r.reload = o.count.reload;
    r.note = isr + " writes the start value again: the period is no longer than the " + counts +
             " that pass from the overflow to its write of " + last + " " + why + ".";
    return r;
  }
  r.reload = o.count.reload + r.correction;
  r.note = isr + " writes " + valueText(r.reload, o.mode->width) + ", the start value " +
           valueText(o.count.reload, o.mode->width) + " plus the " + counts +
           " that pass from the overflow to its write of " + last + " " + why + ". ";
  r.note += response ? "A longer response (the interrupted instruction not in its last cycle) "
                       "lengthens the period by as much."
                     : "The interrupt response of " + std::string(chip.name) +
                           ", which no source here gives, lengthens the period by as much.";
  return r;
}

// A sentence or two as comment lines of at most 88 characters.
std::vector<std::string> wrapped(const std::string& text) {
  constexpr std::size_t kWidth = 88;
  std::vector<std::string> lines{""};
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = std::min(text.find(' ', at), text.size());
    const std::string word = text.substr(at, end - at);
    if (!lines.back().empty() && lines.back().size() + 1 + word.size() > kWidth) {
      lines.emplace_back();
    }
    lines.back() += (lines.back().empty() ? "" : " ") + word;
    at = end + 1;
  }
  return lines;
}

std::string optionName(const TimerOption& o) {
  return "timer " + std::to_string(o.timer->number) + ", mode " + std::to_string(o.mode->mode) +
         " (" + std::string(o.mode->name) + "), " + clockText(o.clock->divider);
}

std::vector<std::string> timerHeader(const TimerRequest& r, const TimerAnswer& a) {
  const TimerOption& o = a.bestOption();
  std::vector<std::string> h{
      a.init.initName + ", " + a.init.isrName + ": " + periodText(a.periodUs) + " at " +
          crystalText(a.crystalHz) + " on " + a.chip,
      optionName(o) + ": " + std::to_string(o.count.count) + " counts",
      "reload  " + valueText(o.count.reload, o.mode->width) + ": " + registersText(o.registers),
      "period  " + periodText(o.count.actualUs) + ", error " + fixedText(o.count.errorUs, 3) +
          " us (" + fixedText(o.count.errorPercent, 2) + " %)",
  };
  if (!o.timer->onlyOn.empty()) {
    h.push_back("only on " + std::string(o.timer->onlyOn));
  }
  if (a.isrReload) {
    for (const std::string& line : wrapped(a.isrReload->note)) {
      h.push_back(line);
    }
  }
  if (r.language != Language::C) {
    h.push_back("place LJMP " + a.init.isrName + " at the vector " + valueText(a.init.vector, 16) +
                "; call " + a.init.initName + " once");
  } else {
    h.push_back("SDCC makes the vector where main() is compiled: compile this file there, or");
    h.push_back("declare void " + a.init.isrName + "(void) __interrupt(" +
                std::to_string(a.init.interruptNumber) + "); in that file");
  }
  return h;
}

std::string uartOptionName(const UartOption& o) {
  std::string text = "timer " + std::to_string(o.source->timer) + ", mode " +
                     std::to_string(o.source->mode) + ", " + clockText(o.clock->divider);
  if (o.source->smod) {
    text += ", SMOD " + std::to_string(*o.source->smod);
  }
  return text;
}

std::vector<std::string> uartHeader(const UartRequest& r, const UartAnswer& a) {
  const UartOption& o = a.bestOption();
  std::vector<std::string> h{
      "Uart_Init, Uart_Send: " + decimalText(a.baud, 2) + " baud at " + crystalText(a.crystalHz) +
          " on " + a.chip,
      "serial port mode 1 (8 data bits, 10 bit times a byte) from " + uartOptionName(o),
      "reload  " + valueText(o.count.reload, o.source->width) + ": " + registersText(o.registers),
      "rate    " + fixedText(o.count.actualBaud, 2) + " baud, error " +
          fixedText(o.count.errorPercent, 2) + " %",
  };
  if (!o.source->onlyOn.empty()) {
    h.push_back("only on " + std::string(o.source->onlyOn));
  }
  h.push_back(r.language == Language::C
                  ? "Uart_Send(c) sends c and waits until it is out"
                  : "Uart_Send sends the byte in A and waits until it is out");
  return h;
}

}  // namespace

std::string valueText(std::uint32_t value, unsigned width) {
  const std::string digits = hexDigits(value, width > 8 ? 4 : 2);
  return (digits[0] >= 'A' ? "0" : "") + digits + "H";
}

std::string registersText(const std::vector<RegisterValue>& registers) {
  std::string text;
  for (const RegisterValue& r : registers) {
    text += (text.empty() ? "" : ", ") + std::string(r.name) + " = " + valueText(r.value, 8);
  }
  return text;
}

std::string clockText(std::uint32_t divider) {
  return divider == 1 ? "Fosc" : "Fosc/" + std::to_string(divider);
}

namespace {

std::variant<TimerAnswer, TimerError> timerAnswer(const TimerRequest& r) {
  const auto found = filteredSetOf(r.chip, r.filter, filterProblem);
  if (const auto* e = std::get_if<TimerError>(&found)) {
    return *e;
  }
  const mcu::TimerSet& set = *std::get<const mcu::TimerSet*>(found);
  TimerAnswer a;
  a.chip = std::string(r.chip->name);
  a.crystalHz = r.crystalHz;
  a.periodUs = r.periodUs;
  a.language = r.language;
  a.plan = planTimer(set, r.crystalHz, r.periodUs, r.filter);
  if (!a.plan.best) {
    return TimerError{TimerError::Kind::OutOfRange,
                      outOfReach(*r.chip, a.plan, r.crystalHz, r.periodUs, r.filter)};
  }
  a.best = *a.plan.best;
  const TimerOption& o = a.bestOption();
  std::uint32_t isrReload = o.count.reload;
  if (!o.mode->autoReload) {
    a.isrReload = isrReloadOf(*r.chip, set, o);
    isrReload = a.isrReload->reload;
  }
  a.init = periodicTimerCode(set, *o.timer, *o.mode, *o.clock, o.count.reload, isrReload);
  a.code = writeInitCode(a.init, r.language, timerHeader(r, a));
  return a;
}

std::variant<UartAnswer, TimerError> uartAnswer(const UartRequest& r) {
  const auto found = filteredSetOf(r.chip, r.filter, uartFilterProblem);
  if (const auto* e = std::get_if<TimerError>(&found)) {
    return *e;
  }
  const mcu::TimerSet& set = *std::get<const mcu::TimerSet*>(found);
  UartAnswer a;
  a.chip = std::string(r.chip->name);
  a.crystalHz = r.crystalHz;
  a.baud = r.baud;
  a.language = r.language;
  a.plan = planUart(set, r.crystalHz, r.baud, r.filter);
  if (!a.plan.best) {
    return TimerError{TimerError::Kind::OutOfRange,
                      uartOutOfReach(*r.chip, a.plan, r.crystalHz, r.baud, r.filter)};
  }
  a.best = *a.plan.best;
  const UartOption& o = a.bestOption();
  a.init = uartCode(set, *o.source, *o.clock, o.count.reload);
  a.code = writeInitCode(a.init, r.language, uartHeader(r, a));
  return a;
}

}  // namespace

std::variant<TimerAnswer, TimerError> makeTimer(const TimerRequest& request) {
  try {
    return timerAnswer(request);
  } catch (const std::overflow_error&) {
    return tooLarge("the period times the crystal");
  }
}

std::variant<UartAnswer, TimerError> makeUart(const UartRequest& request) {
  try {
    return uartAnswer(request);
  } catch (const std::overflow_error&) {
    return tooLarge("the baud rate or the crystal");
  }
}

}  // namespace delaysub::codegen
