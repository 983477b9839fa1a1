#include "codegen/planner.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <stdexcept>

#include "codegen/executor.h"

namespace delaysub::codegen {

using mcu::Op;

namespace {

constexpr int kMaxLevels = 4;
constexpr int kMaxNops = 3;
constexpr std::uint64_t kMaxDigit = 254;  // a counter loads 1..255: digit = counter - 1
constexpr std::uint64_t kWrap = 256;      // passes of a counter that starts at 0

// The clocks of the instructions a routine uses on one chip.
struct Costs {
  std::uint64_t call = 0;  // LCALL + RET, or 0 in line
  std::uint64_t mov = 0;
  std::uint64_t taken = 0;
  std::uint64_t notTaken = 0;
  std::uint64_t nop = 0;
  std::uint64_t save = 0;  // PUSH + POP of one register, or 0
};

std::uint64_t clocksOf(const mcu::Chip& chip, Op op, bool taken = true) {
  const auto t = mcu::timingOf(chip, op);
  if (!t) {
    throw std::invalid_argument(std::string(chip.name) + " has no clocks for " +
                                std::string(mcu::mnemonicOf(op)));
  }
  return taken ? t->clocks : t->clocksNotTaken;
}

Costs costsOf(const mcu::Chip& chip, const RoutineForm& form) {
  Costs c;
  c.call = form.inlineCode ? 0 : clocksOf(chip, Op::Lcall) + clocksOf(chip, Op::Ret);
  c.mov = clocksOf(chip, Op::MovRnImm);
  c.taken = clocksOf(chip, Op::DjnzRn);
  c.notTaken = clocksOf(chip, Op::DjnzRn, false);
  c.nop = clocksOf(chip, Op::Nop);
  c.save = form.save ? clocksOf(chip, Op::PushDirect) + clocksOf(chip, Op::PopDirect) : 0;
  return c;
}

// A routine's shape: loop levels, reloaded inner levels, NOPs.
struct Shape {
  int levels = 0;
  int reloaded = 0;
  int nops = 0;
};

std::uint32_t bytesOf(const Shape& s, const RoutineForm& form) {
  const auto k = static_cast<std::uint32_t>(s.levels);
  return (form.inlineCode ? 0U : 1U) + 4U * k + 2U * static_cast<std::uint32_t>(s.reloaded) +
         static_cast<std::uint32_t>(s.nops) + (form.save ? 4U * k : 0U);
}

// Every shape of the form, fewest bytes first (then fewer levels, reloads,
// NOPs). An empty routine in line is no routine.
std::vector<Shape> shapesOf(const RoutineForm& form, bool reloads) {
  std::vector<Shape> shapes;
  for (int k = 0; k <= kMaxLevels; ++k) {
    for (int t = 0; t <= (reloads ? std::max(k - 1, 0) : 0); ++t) {
      for (int p = 0; p <= kMaxNops; ++p) {
        if (!(form.inlineCode && k == 0 && p == 0)) {
          shapes.push_back({k, t, p});
        }
      }
    }
  }
  std::stable_sort(shapes.begin(), shapes.end(), [&](const Shape& a, const Shape& b) {
    return bytesOf(a, form) < bytesOf(b, form);
  });
  return shapes;
}

// The clocks of a shape with counters v (innermost first): E[j], the
// executions of level j's DJNZ, is v[j] on the first pass and 256 (or r when
// reloaded) on each of the E[j+1] - 1 later ones.
std::uint64_t clocksOf(const Costs& c, const Shape& s, std::uint64_t r,
                       const std::array<std::uint64_t, kMaxLevels>& v) {
  const auto k = static_cast<std::size_t>(s.levels);
  std::array<std::uint64_t, kMaxLevels + 1> e{};
  e[k] = 1;
  std::uint64_t total = c.call + k * (c.mov + c.save) + static_cast<std::uint64_t>(s.nops) * c.nop;
  for (std::size_t j = k; j-- > 0;) {
    const bool reloaded = j < static_cast<std::size_t>(s.reloaded);
    e[j] = j + 1 == k ? v[j] : v[j] + (reloaded ? r : kWrap) * (e[j + 1] - 1);
    total +=
        c.taken * (e[j] - e[j + 1]) + c.notTaken * e[j + 1] + (reloaded ? c.mov * e[j + 1] : 0);
  }
  return total;
}

// The shape's clocks as base + sum of weight[j] * digit[j], digit = v - 1.
struct Affine {
  std::uint64_t base = 0;
  std::array<std::uint64_t, kMaxLevels> weight{};
  std::array<std::uint64_t, kMaxLevels> below{};  // largest sum of the lower digits' terms
};

Affine affineOf(const Costs& c, const Shape& s, std::uint64_t r) {
  Affine a;
  std::array<std::uint64_t, kMaxLevels> ones{1, 1, 1, 1};
  a.base = clocksOf(c, s, r, ones);
  std::uint64_t sum = 0;
  for (std::size_t j = 0; j < static_cast<std::size_t>(s.levels); ++j) {
    std::array<std::uint64_t, kMaxLevels> v = ones;
    v[j] = 2;
    a.weight[j] = clocksOf(c, s, r, v) - a.base;
    a.below[j] = sum;
    sum += kMaxDigit * a.weight[j];
  }
  return a;
}

// Digits for rest = sum weight[j] * digit[j] over levels 0..j, the higher
// digits first and largest first.
bool solve(const Affine& a, int j, std::uint64_t rest, std::array<std::uint64_t, kMaxLevels>& d) {
  const auto level = static_cast<std::size_t>(j);
  const std::uint64_t w = a.weight[level];
  if (j == 0) {
    if (rest % w != 0 || rest / w > kMaxDigit) {
      return false;
    }
    d[0] = rest / w;
    return true;
  }
  const std::uint64_t high = std::min(kMaxDigit, rest / w);
  const std::uint64_t low = rest > a.below[level] ? (rest - a.below[level] + w - 1) / w : 0;
  for (std::uint64_t x = high + 1; x-- > low;) {
    d[level] = x;
    if (solve(a, j - 1, rest - x * w, d)) {
      return true;
    }
  }
  return false;
}

std::optional<DelayPlan> planShape(const Costs& c, const RoutineForm& form, const Shape& s,
                                   std::uint64_t r, std::uint64_t clocks) {
  const Affine a = affineOf(c, s, r);
  if (clocks < a.base) {
    return std::nullopt;
  }
  std::array<std::uint64_t, kMaxLevels> d{};
  if (s.levels == 0 ? clocks != a.base : !solve(a, s.levels - 1, clocks - a.base, d)) {
    return std::nullopt;
  }
  DelayPlan plan{form, s.levels, s.reloaded, static_cast<std::uint8_t>(s.reloaded > 0 ? r : 0),
                 {},   s.nops,   clocks,     bytesOf(s, form)};
  for (int j = 0; j < s.levels; ++j) {
    plan.counters.push_back(static_cast<std::uint8_t>(d[static_cast<std::size_t>(j)] + 1));
  }
  return plan;
}

// True where every multiple of the NOP's clocks from the all-reloaded
// 4-level shape's shortest to its longest is reachable with reload value r.
bool wholeWith(const Costs& c, std::uint64_t r) {
  const Affine a = affineOf(c, {kMaxLevels, kMaxLevels - 1, 0}, r);
  std::uint64_t reach = kMaxNops * c.nop;  // the NOPs' own span
  for (std::size_t j = 0; j < kMaxLevels; ++j) {
    if (a.weight[j] > reach + c.nop) {
      return false;
    }
    reach += kMaxDigit * a.weight[j];
  }
  return true;
}

std::uint64_t stepOf(const Costs& c) {
  return std::gcd(std::gcd(std::gcd(c.call, c.mov), std::gcd(c.taken, c.notTaken)),
                  std::gcd(c.nop, c.save));
}

}  // namespace

std::optional<std::string> missingTiming(const mcu::Chip& chip, const RoutineForm& form) {
  std::vector<Op> needed{Op::Nop, Op::MovRnImm, Op::DjnzRn};
  if (!form.inlineCode) {
    needed.insert(needed.end(), {Op::Lcall, Op::Ret});
  }
  if (form.save) {
    needed.insert(needed.end(), {Op::PushDirect, Op::PopDirect});
  }
  for (Op op : needed) {
    if (!mcu::timingOf(chip, op)) {
      return std::string(chip.name) + " has no published clocks for " +
             std::string(mcu::mnemonicOf(op));
    }
  }
  return std::nullopt;
}

std::uint8_t reloadValueOf(const mcu::Chip& chip) {
  const Costs c = costsOf(chip, {true, false});
  for (std::uint64_t r = kMaxDigit + 1; r >= 2; --r) {
    if (wholeWith(c, r)) {
      return static_cast<std::uint8_t>(r);
    }
  }
  return 0;
}

PlanLimits limitsOf(const mcu::Chip& chip, const RoutineForm& form) {
  const Costs c = costsOf(chip, form);
  const std::uint64_t r = reloadValueOf(chip);
  const Shape first = form.inlineCode ? Shape{0, 0, 1} : Shape{0, 0, 0};
  const Shape last{kMaxLevels, r != 0 ? kMaxLevels - 1 : 0, kMaxNops};
  std::array<std::uint64_t, kMaxLevels> top{};
  top.fill(kMaxDigit + 1);
  return {clocksOf(c, first, r, {1, 1, 1, 1}), clocksOf(c, last, r, top), stepOf(c)};
}

std::optional<DelayPlan> planExact(const mcu::Chip& chip, const RoutineForm& form,
                                   std::uint64_t clocks) {
  const Costs c = costsOf(chip, form);
  const std::uint64_t r = reloadValueOf(chip);
  for (const Shape& s : shapesOf(form, r != 0)) {
    if (auto plan = planShape(c, form, s, r, clocks)) {
      return plan;
    }
  }
  return std::nullopt;
}

std::uint64_t wholeFrom(const mcu::Chip& chip, const RoutineForm& form) {
  const Costs c = costsOf(chip, form);
  const PlanLimits limits = limitsOf(chip, form);
  // Past the first one-loop routine the counts are whole (wholeWith).
  const std::uint64_t oneLoop = clocksOf(c, {1, 0, 0}, 0, {1, 1, 1, 1});
  std::uint64_t from = limits.shortest;
  for (std::uint64_t k = limits.shortest; k <= oneLoop; k += limits.step) {
    if (!planExact(chip, form, k)) {
      from = k + limits.step;
    }
  }
  return from;
}

namespace {

// The nearest achievable count from start in direction dir (+1 or -1)
// within the limits; the gaps are a few steps wide at most.
std::optional<DelayPlan> nearestPlan(const mcu::Chip& chip, const RoutineForm& form,
                                     const PlanLimits& limits, std::uint64_t start, int dir) {
  constexpr int kMaxTries = 64;
  std::uint64_t k = start;
  for (int i = 0; i < kMaxTries && k >= limits.shortest && k <= limits.longest; ++i) {
    if (auto plan = planExact(chip, form, k)) {
      return plan;
    }
    k = dir > 0 ? k + limits.step : k - limits.step;
  }
  return std::nullopt;
}

}  // namespace

std::optional<DelayPlan> planDelay(const mcu::Chip& chip, const RoutineForm& form,
                                   const Ratio& wanted, Rounding rounding) {
  const PlanLimits limits = limitsOf(chip, form);
  if (compare(wanted, Ratio::whole(limits.shortest)) < 0 ||
      compare(wanted, Ratio::whole(limits.longest)) > 0) {
    return std::nullopt;
  }
  const Wide unit = wanted.den * limits.step;
  const auto below = static_cast<std::uint64_t>(wanted.num / unit * limits.step);
  const bool exact = wanted.num % unit == 0;
  std::optional<DelayPlan> down;
  std::optional<DelayPlan> up;
  if (rounding != Rounding::Up) {
    down = nearestPlan(chip, form, limits, below, -1);
  }
  if (rounding != Rounding::Down) {
    up = nearestPlan(chip, form, limits, exact ? below : below + limits.step, +1);
  }
  if (!down || !up) {
    return down ? down : up;
  }
  // Nearest: wanted - down against up - wanted, ties up.
  const Difference toDown = minus(wanted, Ratio::whole(down->clocks));
  const Difference toUp = minus(Ratio::whole(up->clocks), wanted);
  return compare(toDown.magnitude, toUp.magnitude) < 0 ? down : up;
}

Program routineOf(const DelayPlan& plan, const std::string& name) {
  ProgramBuilder b;
  if (!plan.form.inlineCode) {
    b.label(name);
  }
  const int k = plan.levels;
  for (int j = 0; plan.form.save && j < k; ++j) {
    b.push(static_cast<std::uint8_t>(7 - j));
  }
  for (int i = 0; i < plan.nops; ++i) {
    b.nop();
  }
  for (int j = 0; j < k; ++j) {
    b.movRn(7 - j, plan.counters[static_cast<std::size_t>(j)]);
  }
  const std::string loop = name + "_loop";
  for (int j = 0; j < k; ++j) {
    if (j == 0) {
      b.label(loop);
    }
    b.djnz(7 - j, loop);
    if (j < plan.reloaded) {
      b.movRn(7 - j, plan.reloadValue);
    }
  }
  for (int j = k; plan.form.save && j-- > 0;) {
    b.pop(static_cast<std::uint8_t>(7 - j));
  }
  if (!plan.form.inlineCode) {
    b.ret();
  }
  return b.build();
}

}  // namespace delaysub::codegen
