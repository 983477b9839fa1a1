// The planner: every machine cycle reachable, small routines, limits and
// rounding, on every chip and form.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "codegen/executor.h"
#include "codegen/planner.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;

std::vector<RoutineForm> formsOf(const mcu::Chip& chip) {
  std::vector<RoutineForm> forms;
  for (const RoutineForm f : {RoutineForm{false, false}, RoutineForm{true, false},
                              RoutineForm{false, true}, RoutineForm{true, true}}) {
    if (!missingTiming(chip, f)) {
      forms.push_back(f);
    }
  }
  return forms;
}

std::uint64_t counted(const mcu::Chip& chip, const DelayPlan& plan) {
  const Program p = routineOf(plan, "D");
  return plan.form.inlineCode ? execute(p, chip).clocks : countCall(p, chip).clocks;
}

// What every plan keeps: counters 1..255, at most three NOPs, four levels,
// the executor's count, the bytes of its instructions.
void expectSound(const mcu::Chip& chip, const DelayPlan& plan, std::uint64_t clocks) {
  EXPECT_EQ(plan.clocks, clocks);
  EXPECT_LE(plan.nops, 3);
  EXPECT_LE(plan.levels, 4);
  for (std::uint8_t c : plan.counters) {
    EXPECT_NE(c, 0) << clocks;
  }
  EXPECT_EQ(counted(chip, plan), clocks) << chip.name << " " << clocks;
  EXPECT_EQ(routineOf(plan, "D").bytes(), plan.bytes);
}

TEST(Planner, ReachesEveryMachineCycleUpToTheLongest) {
  for (const mcu::Chip& chip : mcu::chips()) {
    for (const RoutineForm& form : formsOf(chip)) {
      const PlanLimits limits = limitsOf(chip, form);
      EXPECT_EQ(limits.step, chip.clocksPerCycle) << chip.name;
      EXPECT_GE(limits.longest, std::uint64_t{1} << 32) << chip.name;
      // Every count from the whole range's start over the first 40000
      // steps (one, two and three loops), then samples up to the longest.
      const std::uint64_t from = wholeFrom(chip, form);
      // Only a few counts between the 3-NOP routines and the first loop
      // (with PUSH and POP around it) may be missing.
      EXPECT_LE(from - limits.shortest, 12 * limits.step) << chip.name;
      for (std::uint64_t k = from; k < from + 40000 * limits.step; k += limits.step) {
        const auto plan = planExact(chip, form, k);
        ASSERT_TRUE(plan.has_value()) << chip.name << " " << k;
        EXPECT_EQ(plan->clocks, k);
      }
      std::mt19937_64 rng(7);
      for (int i = 0; i < 300; ++i) {
        const std::uint64_t k =
            (from + rng() % (limits.longest - from)) / limits.step * limits.step;
        const auto plan = planExact(chip, form, k < from ? from : k);
        ASSERT_TRUE(plan.has_value()) << chip.name << " " << k;
        expectSound(chip, *plan, plan->clocks);
      }
      const auto last = planExact(chip, form, limits.longest);
      ASSERT_TRUE(last.has_value()) << chip.name;
      expectSound(chip, *last, limits.longest);
    }
  }
}

// The fewest bytes: no routine of 0..2 levels with fewer bytes takes the
// same clocks (all counters tried), on the classic core and a single-clock
// one with unequal DJNZ counts.
TEST(Planner, NoSmallerRoutineTakesTheSameClocks) {
  for (const char* name : {"8051", "stc8"}) {
    const mcu::Chip& chip = *mcu::findChip(name);
    const RoutineForm form;
    std::vector<std::uint32_t> fewest(6000, ~0U);
    for (int t = 0; t <= 1; ++t) {
      for (int nops = 0; nops <= 3; ++nops) {
        for (unsigned a = 0; a <= 255; ++a) {
          for (unsigned b = 0; b <= 10; ++b) {
            DelayPlan p{form, a == 0 ? 0 : (b == 0 ? 1 : 2), b == 0 ? 0 : t, 254, {}, nops, 0, 0};
            if ((a == 0 && b > 0) || (p.levels < 2 && t > 0)) {
              continue;
            }
            for (unsigned v : {a, b}) {
              if (v > 0) {
                p.counters.push_back(static_cast<std::uint8_t>(v));
              }
            }
            const std::uint64_t k = counted(chip, p);
            const std::uint32_t bytes = routineOf(p, "D").bytes();
            if (k < fewest.size() && bytes < fewest[k]) {
              fewest[k] = bytes;
            }
          }
        }
      }
    }
    for (std::uint64_t k = 0; k < fewest.size(); ++k) {
      if (const auto plan = planExact(chip, form, k); plan && fewest[k] != ~0U) {
        EXPECT_LE(plan->bytes, fewest[k]) << name << " " << k;
      }
    }
  }
}

TEST(Planner, RoundsToTheAchievableCounts) {
  const mcu::Chip& chip = *mcu::findChip("8051");
  const RoutineForm form;
  struct Case {
    Ratio wanted;
    Rounding rounding;
    std::uint64_t clocks;
  };
  const std::vector<Case> cases{
      {Ratio::whole(120000), Rounding::Nearest, 120000},
      {Ratio::whole(120000), Rounding::Up, 120000},
      {Ratio::whole(120000), Rounding::Down, 120000},
      {Ratio::of(110592, 10), Rounding::Nearest, 11064},  // 11059.2: 921.6 cycles
      {Ratio::of(110592, 10), Rounding::Down, 11052},
      {Ratio::of(110592, 10), Rounding::Up, 11064},
      {Ratio::whole(11058), Rounding::Nearest, 11064},  // a tie goes up
      {Ratio::whole(11057), Rounding::Nearest, 11052},
      {Ratio::whole(48), Rounding::Down, 48},
  };
  for (const Case& c : cases) {
    const auto plan = planDelay(chip, form, c.wanted, c.rounding);
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->clocks, c.clocks) << decimalText(c.wanted, 3);
  }
  const PlanLimits limits = limitsOf(chip, form);
  EXPECT_FALSE(planDelay(chip, form, Ratio::of(47 * 2 + 1, 2), Rounding::Up).has_value());
  EXPECT_FALSE(planDelay(chip, form, Ratio::whole(limits.longest + 1), Rounding::Down));
}

TEST(Planner, RoundsAcrossTheGapsBelowTheWholeRange) {
  // ds80c320: LCALL + RET + 3 NOPs is 44 clocks, the first loop 52: no
  // routine takes 48.
  const mcu::Chip& chip = *mcu::findChip("ds80c320");
  const RoutineForm form;
  EXPECT_FALSE(planExact(chip, form, 48).has_value());
  EXPECT_EQ(wholeFrom(chip, form), 52U);
  EXPECT_EQ(planDelay(chip, form, Ratio::whole(48), Rounding::Down)->clocks, 44U);
  EXPECT_EQ(planDelay(chip, form, Ratio::whole(48), Rounding::Up)->clocks, 52U);
  EXPECT_EQ(planDelay(chip, form, Ratio::whole(48), Rounding::Nearest)->clocks, 52U);
  EXPECT_EQ(planDelay(chip, form, Ratio::whole(47), Rounding::Nearest)->clocks, 44U);
}

TEST(Planner, SaysWhichTimingAFormLacks) {
  EXPECT_EQ(missingTiming(*mcu::findChip("stc8"), {false, true}),
            "stc8 has no published clocks for PUSH direct");
  EXPECT_FALSE(missingTiming(*mcu::findChip("stc8"), {true, false}).has_value());
}

}  // namespace
