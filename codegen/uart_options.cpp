#include "codegen/uart_options.h"

#include <algorithm>
#include <tuple>
#include <utility>

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
  return visibleText(baud, 2) + " baud";
}

bool admits(const UartFilter& f, const mcu::BaudSource& s) {
  return (!f.timer || *f.timer == s.timer) && (!f.mode || *f.mode == s.mode) &&
         (!f.smod || f.smod == s.smod);
}

// "; it does from timers 1, 2", "; it does in mode 2": the values of a
// field in the ways left.
std::string whatItDoes(const std::string& how, const std::vector<std::uint32_t>& values) {
  const std::string list = numberList(values);
  return "; it does " + how + (list.find(',') != std::string::npos ? "s " : " ") + list;
}

using Field = std::optional<std::uint32_t> (*)(const mcu::BaudSource&);

std::optional<std::uint32_t> timerOf(const mcu::BaudSource& s) {
  return s.timer;
}
std::optional<std::uint32_t> modeOf(const mcu::BaudSource& s) {
  return s.mode;
}
std::optional<std::uint32_t> smodOf(const mcu::BaudSource& s) {
  return s.smod ? std::optional<std::uint32_t>(*s.smod) : std::nullopt;
}

// One field of a UartFilter: the wanted value, the way's value, and the words
// for it.
struct Step {
  std::optional<std::uint8_t> wanted;
  Field field;
  FilterField which;
  const char* how;  // "from timer"
};

// The ways a filter leaves, narrowed one field at a time, and the words for
// them ("timer 1 of 8051 in mode 2").
struct Narrowing {
  std::vector<const mcu::BaudSource*> left;
  std::string whose;

  std::vector<std::uint32_t> valuesOf(Field field) const {
    std::vector<std::uint32_t> values;
    for (const mcu::BaudSource* s : left) {
      if (const std::optional<std::uint32_t> v = field(*s)) {
        values.push_back(*v);
      }
    }
    return values;
  }

  // Keeps the ways whose field has the wanted value; false (and all kept)
  // where none has.
  bool narrow(Field field, std::uint32_t wanted) {
    std::vector<const mcu::BaudSource*> kept;
    for (const mcu::BaudSource* s : left) {
      if (field(*s) == wanted) {
        kept.push_back(s);
      }
    }
    if (kept.empty()) {
      return false;
    }
    left = std::move(kept);
    return true;
  }
};

}  // namespace

UartPlan planUart(const mcu::TimerSet& set, const Ratio& crystalHz, const Ratio& baud,
                  const UartFilter& filter) {
  UartPlan plan;
  for (const mcu::BaudSource& source : set.baudSources) {
    if (!admits(filter, source)) {
      continue;
    }
    for (const mcu::TimerClock& clock : source.clocks) {
      if (filter.clockDivider && *filter.clockDivider != clock.divider) {
        continue;
      }
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

std::optional<FilterProblem> uartFilterProblem(const mcu::Chip& chip, const mcu::TimerSet& set,
                                               const UartFilter& filter) {
  Narrowing n;
  n.whose = std::string(chip.name);
  for (const mcu::BaudSource& source : set.baudSources) {
    n.left.push_back(&source);
  }
  const Step steps[] = {{filter.timer, timerOf, FilterField::Timer, "from timer"},
                        {filter.mode, modeOf, FilterField::Mode, "in mode"},
                        {filter.smod, smodOf, FilterField::Smod, "with SMOD"}};
  UartFilter applied;  // the fields narrowed so far
  for (const Step& step : steps) {
    if (!step.wanted) {
      continue;
    }
    const std::string value = std::to_string(*step.wanted);
    const std::vector<std::uint32_t> had = n.valuesOf(step.field);
    if (!n.narrow(step.field, *step.wanted)) {
      const bool noSmod = had.empty() && step.which == FilterField::Smod;
      return FilterProblem{step.which, n.whose + " takes no baud rate " + step.how + " " + value +
                                           (noSmod ? "; SMOD takes no part in its baud rates"
                                                   : whatItDoes(step.how, had))};
    }
    (step.which == FilterField::Timer  ? applied.timer
     : step.which == FilterField::Mode ? applied.mode
                                       : applied.smod) = step.wanted;
    n.whose = filteredChip(chip.name, applied.timer, applied.mode, applied.smod, std::nullopt);
  }
  if (!filter.clockDivider) {
    return std::nullopt;
  }
  std::vector<std::uint32_t> dividers;
  for (const mcu::BaudSource* s : n.left) {
    for (const mcu::TimerClock& c : s->clocks) {
      if (*filter.clockDivider == c.divider) {
        return std::nullopt;
      }
      dividers.push_back(c.divider);
    }
  }
  return FilterProblem{FilterField::Clock,
                       n.whose + " counts no Fosc/" + std::to_string(*filter.clockDivider) +
                           " for a baud rate; its clocks are " + numberList(dividers, "Fosc/")};
}

std::string uartOutOfReach(const mcu::Chip& chip, const UartPlan& plan, const Ratio& crystalHz,
                           const Ratio& baud, const UartFilter& filter) {
  const std::string head =
      rateText(baud) + " is not within 2 % by any choice of " +
      filteredChip(chip.name, filter.timer, filter.mode, filter.smod, filter.clockDivider) +
      " at " + crystalText(crystalHz) + ": ";
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
