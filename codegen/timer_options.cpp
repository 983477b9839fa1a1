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
  const auto key = [](const TimerOption& o) {
    return std::make_tuple(!o.timer->onlyOn.empty(), abs(o.count.errorUs), !o.mode->autoReload,
                           -static_cast<std::int64_t>(o.clock->divider), -o.mode->width);
  };
  return key(a) < key(b);
}

std::string joinedNumbers(const std::vector<std::uint32_t>& numbers) {
  std::string s;
  for (const std::uint32_t n : numbers) {
    s += (s.empty() ? "" : ", ") + std::to_string(n);
  }
  return s;
}

}  // namespace

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
  const Ratio perUs = crystalHz / Ratio(1'000'000);
  for (const mcu::Timer& timer : set.timers) {
    for (const mcu::TimerMode& mode : timer.modes) {
      for (const mcu::TimerClock& clock : timer.clocks) {
        if (!admits(filter, timer, mode, clock)) {
          continue;
        }
        const PeriodCount count = periodCount(crystalHz, periodUs, clock.divider, mode.width);
        plan.options.push_back(
            {&timer, &mode, &clock, count, loadedBytes(mode.load, count.reload)});
        const Ratio shortest = Ratio(clock.divider) / perUs;
        const Ratio longest = shortest * Ratio(fullCount(mode.width));
        const bool first = plan.options.size() == 1;
        plan.shortestUs = first ? shortest : std::min(plan.shortestUs, shortest);
        plan.longestUs = first ? longest : std::max(plan.longestUs, longest);
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

std::optional<std::string> filterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                         const TimerFilter& filter) {
  std::vector<std::uint32_t> timers;
  for (const mcu::Timer& timer : set.timers) {
    timers.push_back(timer.number);
  }
  const std::string name(chip.name);
  const mcu::Timer* timer = filter.timer ? mcu::findTimer(set, *filter.timer) : nullptr;
  if (filter.timer && timer == nullptr) {
    return name + " has no timer " + std::to_string(*filter.timer) + "; its timers are " +
           joinedNumbers(timers);
  }
  std::vector<std::uint32_t> modes;
  std::vector<std::uint32_t> dividers;
  bool modeFound = false;
  bool clockFound = false;
  for (const mcu::Timer& t : set.timers) {
    if (timer != nullptr && &t != timer) {
      continue;
    }
    for (const mcu::TimerMode& m : t.modes) {
      modeFound = modeFound || (filter.mode && *filter.mode == m.mode);
      modes.push_back(m.mode);
    }
    for (const mcu::TimerClock& c : t.clocks) {
      clockFound = clockFound || (filter.clockDivider && *filter.clockDivider == c.divider);
      dividers.push_back(c.divider);
    }
  }
  const auto unique = [](std::vector<std::uint32_t>& v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
  };
  unique(modes);
  unique(dividers);
  const std::string whose =
      timer != nullptr ? "timer " + std::to_string(timer->number) + " of " + name : name;
  if (filter.mode && !modeFound) {
    return whose + " has no mode " + std::to_string(*filter.mode) + "; its modes are " +
           joinedNumbers(modes);
  }
  if (filter.clockDivider && !clockFound) {
    return whose + " counts no Fosc/" + std::to_string(*filter.clockDivider) +
           "; its clocks are Fosc/" + joinedNumbers(dividers);
  }
  return std::nullopt;
}

std::string crystalText(const Ratio& hz) {
  if (hz >= Ratio(1'000'000)) {
    return decimalText(hz / Ratio(1'000'000), 6, true) + " MHz";
  }
  if (hz >= Ratio(1'000)) {
    return decimalText(hz / Ratio(1'000), 6, true) + " kHz";
  }
  return decimalText(hz, 6, true) + " Hz";
}

std::string periodText(const Ratio& us) {
  if (us >= Ratio(1'000'000)) {
    return decimalText(us / Ratio(1'000'000), 9, true) + " s";
  }
  if (us >= Ratio(1'000)) {
    return decimalText(us / Ratio(1'000), 6, true) + " ms";
  }
  return decimalText(us, 3, true) + " us";
}

std::string outOfReach(const mcu::Chip& chip, const TimerPlan& plan, const Ratio& crystalHz,
                       const Ratio& periodUs) {
  const bool tooLong = periodUs > plan.longestUs;
  std::string line = periodText(periodUs) + (tooLong ? " is beyond" : " is below") +
                     " what the timers of " + std::string(chip.name) + " make at " +
                     crystalText(crystalHz) + ": " + periodText(plan.shortestUs) + " to " +
                     periodText(plan.longestUs);
  if (tooLong) {
    line += "; for a longer period, count overflows in the interrupt routine";
  }
  return line;
}

}  // namespace delaysub::codegen
