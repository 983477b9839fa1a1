#include "codegen/timer_options.h"

#include <algorithm>
#include <tuple>

namespace delaysub::codegen {

namespace {

bool admits(const TimerFilter& f, const mcu::Timer& t, const mcu::TimerMode& m,
            const mcu::TimerClock& c) {
  return (!f.timer || *f.timer == t.number) && (!f.mode || *f.mode == m.mode) &&
         (!f.clockDivider || *f.clockDivider == c.divider);
}

// Whether a is a better answer than b: see TimerPlan::best.
bool better(const TimerOption& a, const TimerOption& b) {
  if (a.timer->onlyOn.empty() != b.timer->onlyOn.empty()) {
    return a.timer->onlyOn.empty();
  }
  const int error = compare(a.count.errorUs.magnitude, b.count.errorUs.magnitude);
  if (error != 0) {
    return error < 0;
  }
  if (a.mode->autoReload != b.mode->autoReload) {
    return a.mode->autoReload;
  }
  if (a.clock->divider != b.clock->divider) {
    return a.clock->divider > b.clock->divider;
  }
  return a.mode->width > b.mode->width;
}

}  // namespace

std::string numberList(std::vector<std::uint32_t> numbers, std::string_view prefix) {
  std::sort(numbers.begin(), numbers.end());
  numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
  std::string s;
  for (const std::uint32_t n : numbers) {
    s += (s.empty() ? "" : ", ") + std::string(prefix) + std::to_string(n);
  }
  return s;
}

std::vector<RegisterValue> loadedBytes(std::span<const mcu::ValueRegister> load,
                                       std::uint32_t value) {
  std::vector<RegisterValue> bytes;
  for (const mcu::ValueRegister& r : load) {
    bytes.push_back({r.reg, registerByte(value, r.shift, r.mask)});
  }
  return bytes;
}

TimerPlan planTimer(const mcu::TimerSet& set, const Ratio& crystalHz, const Ratio& periodUs,
                    const TimerFilter& filter) {
  TimerPlan plan;
  const Ratio perUs = exactly(dividedBy(crystalHz, Ratio::whole(1'000'000)));
  for (const mcu::Timer& timer : set.timers) {
    for (const mcu::TimerMode& mode : timer.modes) {
      for (const mcu::TimerClock& clock : timer.clocks) {
        if (!admits(filter, timer, mode, clock)) {
          continue;
        }
        const PeriodCount count = periodCount(crystalHz, periodUs, clock.divider, mode.width);
        plan.options.push_back(
            {&timer, &mode, &clock, count, loadedBytes(mode.load, count.reload)});
        const Ratio shortest = exactly(dividedBy(Ratio::whole(clock.divider), perUs));
        const Ratio longest = exactly(times(shortest, Ratio::whole(fullCount(mode.width))));
        const bool first = plan.options.size() == 1;
        if (first || compare(shortest, plan.shortestUs) < 0) {
          plan.shortestUs = shortest;
        }
        if (first || compare(longest, plan.longestUs) > 0) {
          plan.longestUs = longest;
        }
      }
    }
  }
  for (std::size_t i = 0; i < plan.options.size(); ++i) {
    if (plan.options[i].count.fits &&
        (!plan.best || better(plan.options[i], plan.options[*plan.best]))) {
      plan.best = i;
    }
  }
  return plan;
}

std::optional<FilterProblem> filterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                           const TimerFilter& filter) {
  std::vector<std::uint32_t> timers;
  for (const mcu::Timer& timer : set.timers) {
    timers.push_back(timer.number);
  }
  const std::string name(chip.name);
  const mcu::Timer* timer = filter.timer ? mcu::findTimer(set, *filter.timer) : nullptr;
  if (filter.timer && timer == nullptr) {
    return FilterProblem{FilterField::Timer, name + " has no timer " +
                                                 std::to_string(*filter.timer) +
                                                 "; its timers are " + numberList(timers)};
  }
  std::vector<std::uint32_t> modes;
  std::vector<std::uint32_t> dividers;
  for (const mcu::Timer& t : set.timers) {
    if (timer != nullptr && &t != timer) {
      continue;
    }
    for (const mcu::TimerMode& m : t.modes) {
      modes.push_back(m.mode);
    }
    for (const mcu::TimerClock& c : t.clocks) {
      dividers.push_back(c.divider);
    }
  }
  const auto has = [](const std::vector<std::uint32_t>& v, std::uint32_t n) {
    return std::find(v.begin(), v.end(), n) != v.end();
  };
  const std::string whose =
      filteredChip(chip.name, filter.timer, std::nullopt, std::nullopt, std::nullopt);
  if (filter.mode && !has(modes, *filter.mode)) {
    return FilterProblem{FilterField::Mode, whose + " has no mode " + std::to_string(*filter.mode) +
                                                "; its modes are " + numberList(modes)};
  }
  if (filter.clockDivider && !has(dividers, *filter.clockDivider)) {
    return FilterProblem{FilterField::Clock,
                         whose + " counts no Fosc/" + std::to_string(*filter.clockDivider) +
                             "; its clocks are " + numberList(dividers, "Fosc/")};
  }
  return std::nullopt;
}

namespace {

// value / 10^power in decimals, trailing zeros dropped, and its unit.
std::string scaledText(const Ratio& value, std::uint64_t power, int places, std::string_view unit) {
  return visibleText(exactly(dividedBy(value, Ratio::whole(power))), places) + " " +
         std::string(unit);
}

}  // namespace

std::string visibleText(const Ratio& r, int places) {
  constexpr int kMostPlaces = 15;
  std::string text = decimalText(r, places);
  while (text == "0" && r.num != 0 && places < kMostPlaces) {
    text = decimalText(r, ++places);
  }
  return text;
}

std::string crystalText(const Ratio& hz) {
  if (compare(hz, Ratio::whole(1'000'000)) >= 0) {
    return scaledText(hz, 1'000'000, 6, "MHz");
  }
  if (compare(hz, Ratio::whole(1'000)) >= 0) {
    return scaledText(hz, 1'000, 6, "kHz");
  }
  return scaledText(hz, 1, 6, "Hz");
}

std::string periodText(const Ratio& us) {
  if (compare(us, Ratio::whole(1'000'000)) >= 0) {
    return scaledText(us, 1'000'000, 9, "s");
  }
  if (compare(us, Ratio::whole(1'000)) >= 0) {
    return scaledText(us, 1'000, 6, "ms");
  }
  return scaledText(us, 1, 3, "us");
}

std::string filteredChip(std::string_view chip, std::optional<std::uint8_t> timer,
                         std::optional<std::uint8_t> mode, std::optional<std::uint8_t> smod,
                         std::optional<std::uint32_t> clockDivider) {
  std::string name =
      timer ? "timer " + std::to_string(*timer) + " of " + std::string(chip) : std::string(chip);
  if (mode) {
    name += " in mode " + std::to_string(*mode);
  }
  if (smod) {
    name += " with SMOD " + std::to_string(*smod);
  }
  if (clockDivider) {
    name += " counting Fosc/" + std::to_string(*clockDivider);
  }
  return name;
}

std::string outOfReach(const mcu::Chip& chip, const TimerPlan& plan, const Ratio& crystalHz,
                       const Ratio& periodUs, const TimerFilter& filter) {
  const bool tooLong = compare(periodUs, plan.longestUs) > 0;
  const std::string what =
      filteredChip(chip.name, filter.timer, filter.mode, std::nullopt, filter.clockDivider);
  std::string line = periodText(periodUs) + (tooLong ? " is beyond" : " is below") + " what " +
                     (filter.timer ? what + " makes" : "the timers of " + what + " make") + " at " +
                     crystalText(crystalHz) + ": " + periodText(plan.shortestUs) + " to " +
                     periodText(plan.longestUs);
  if (tooLong) {
    line += "; for a longer period, count overflows in the interrupt routine";
  }
  return line;
}

}  // namespace delaysub::codegen
