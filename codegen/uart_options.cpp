#include "codegen/uart_options.h"

#include <algorithm>
#include <tuple>

namespace delaysub::codegen {

namespace {

// Whether a is a better answer than b (both within 2 %): see UartPlan::best.
bool better(const UartOption& a, const UartOption& b) {
  if (a.source->onlyOn.empty() != b.source->onlyOn.empty()) {
    return a.source->onlyOn.empty();
  }
  const int error = compare(a.count.errorPercent.magnitude, b.count.errorPercent.magnitude);
  if (error != 0) {
    return error < 0;
  }
  return a.clock->divider > b.clock->divider;
}

std::string rateText(const Ratio& baud) {
  return decimalText(baud, 2) + " baud";
}

}  // namespace

UartPlan planUart(const mcu::TimerSet& set, const Ratio& crystalHz, const Ratio& baud,
                  std::optional<std::uint8_t> timer) {
  UartPlan plan;
  for (const mcu::BaudSource& source : set.baudSources) {
    if (timer && *timer != source.timer) {
      continue;
    }
    for (const mcu::TimerClock& clock : source.clocks) {
      const std::uint32_t divisor = clock.divider * source.baudDivider;
      const BaudCount count = baudCount(crystalHz, baud, divisor, source.width);
      plan.options.push_back({&source, &clock, count, loadedBytes(source.load, count.reload)});
      const Ratio fastest = exactly(dividedBy(crystalHz, Ratio::whole(divisor)));
      const Ratio slowest = exactly(dividedBy(fastest, Ratio::whole(fullCount(source.width))));
      const bool first = plan.options.size() == 1;
      if (first || compare(fastest, plan.fastest) > 0) {
        plan.fastest = fastest;
      }
      if (first || compare(slowest, plan.slowest) < 0) {
        plan.slowest = slowest;
      }
    }
  }
  for (std::size_t i = 0; i < plan.options.size(); ++i) {
    const UartOption& o = plan.options[i];
    if (o.count.fits && o.count.within2Percent &&
        (!plan.best || better(o, plan.options[*plan.best]))) {
      plan.best = i;
    }
  }
  return plan;
}

std::optional<std::string> uartFilterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                             std::uint8_t timer) {
  std::vector<std::uint8_t> timers;
  for (const mcu::BaudSource& source : set.baudSources) {
    if (source.timer == timer) {
      return std::nullopt;
    }
    if (std::find(timers.begin(), timers.end(), source.timer) == timers.end()) {
      timers.push_back(source.timer);
    }
  }
  std::string list;
  for (const std::uint8_t t : timers) {
    list += (list.empty() ? "" : ", ") + std::to_string(t);
  }
  return std::string(chip.name) + " takes no baud rate from timer " + std::to_string(timer) +
         "; it does from timer" + (timers.size() > 1 ? "s " : " ") + list;
}

std::string uartOutOfReach(const mcu::Chip& chip, const UartPlan& plan, const Ratio& crystalHz,
                           const Ratio& baud) {
  const std::string head = rateText(baud) + " is not within 2 % by any choice of " +
                           std::string(chip.name) + " at " + crystalText(crystalHz) + ": ";
  if (compare(baud, plan.fastest) > 0 || compare(baud, plan.slowest) < 0) {
    return head + "its rates reach from " + rateText(plan.slowest) + " to " +
           rateText(plan.fastest);
  }
  // The nearest rates made below and above the wanted one.
  std::optional<Ratio> below;
  std::optional<Ratio> above;
  for (const UartOption& o : plan.options) {
    const Ratio perBit =
        exactly(dividedBy(crystalHz, Ratio::whole(o.clock->divider * o.source->baudDivider)));
    for (const std::uint64_t n : {o.count.count - 1, o.count.count, o.count.count + 1}) {
      if (n < 1 || n > fullCount(o.source->width)) {
        continue;
      }
      const Ratio rate = exactly(dividedBy(perBit, Ratio::whole(n)));
      if (compare(rate, baud) <= 0 && (!below || compare(rate, *below) > 0)) {
        below = rate;
      }
      if (compare(rate, baud) >= 0 && (!above || compare(rate, *above) < 0)) {
        above = rate;
      }
    }
  }
  const auto shown = [&](const Ratio& rate) {
    return rateText(rate) + " (" + fixedText(percentOf(minus(rate, baud), baud), 2) + " %)";
  };
  if (below && above) {
    return head + "the nearest are " + shown(*below) + " and " + shown(*above);
  }
  return head + "the nearest is " + shown(below ? *below : *above);
}

}  // namespace delaysub::codegen
