// Delay time of the DJNZ countdown routines from the seed X.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "core/delay.h"
#include "core/numbers.h"
#include "core/result.h"

namespace {

using namespace delaysub::core;

using DelayFn = Result<double> (*)(const std::int32_t&, std::int16_t, float);

struct Operation {
  const char* name;
  DelayFn fn;
};
const Operation kCalc{"CALC_T", &CALC_T};
const Operation kW77e{"W77E_T", &W77E_T};

const float kFosc11 = singleRound(11.0592);

TEST(DelayTime, WorkedResults) {
  struct Row {
    std::int32_t X;
    float Fosc;
    double calc[3];
    double w77e[3];
  };
  const Row rows[] = {
      {0, 12.0f, {4, 4, 4}, {2, 2, 2}},
      {1, 12.0f, {6, 12, 18}, {3, 6, 8}},
      {100, 12.0f, {204, 10704, 374304}, {135, 7002, 242668}},
      {255, 12.0f, {514, 66814, 5789694}, {342, 44202, 3815935}},
      {100, kFosc11, {221, 11614, 406145}, {146, 7597, 263312}},
      {1023, 12.0f, {2050, 1053694, 361062398}, {1366, 701098, 240008532}},
  };
  for (const auto& r : rows) {
    for (std::int16_t loop = 0; loop < 3; ++loop) {
      const auto c = CALC_T(r.X, loop, r.Fosc);
      ASSERT_TRUE(c.ok()) << "CALC_T X=" << r.X << " loop " << loop;
      EXPECT_EQ(c.value, r.calc[loop])
          << "CALC_T X=" << r.X << " Fosc " << r.Fosc << " loop " << loop;
      const auto w = W77E_T(r.X, loop, r.Fosc);
      ASSERT_TRUE(w.ok()) << "W77E_T X=" << r.X << " loop " << loop;
      EXPECT_EQ(w.value, r.w77e[loop])
          << "W77E_T X=" << r.X << " Fosc " << r.Fosc << " loop " << loop;
    }
  }
}

TEST(DelayTime, MoreWorkedResults) {
  struct Row {
    Operation op;
    std::int16_t loop;
    std::int32_t X;
    float Fosc;
    double expected;
  };
  const Row rows[] = {
      {kCalc, 1, 13373, 12.0f, 178930744},
      {kCalc, 0, 89478483, 12.0f, 178956970},
      // negative seeds use the same formulas; the last step is floor, not truncation
      {kCalc, 0, -3, 12.0f, -2},
      {kCalc, 0, -3, kFosc11, -3},
      // a negative crystal gives a negative time
      {kCalc, 0, 100, -12.0f, -204},
      // X = 0 is 4 * 12 and 6 * 4 oscillator periods whatever the nesting
      {kCalc, 2, 0, kFosc11, 4},
      {kW77e, 2, 0, kFosc11, 2},
  };
  for (const auto& r : rows) {
    const auto t = r.op.fn(r.X, r.loop, r.Fosc);
    ASSERT_TRUE(t.ok()) << r.op.name << " X=" << r.X;
    EXPECT_EQ(t.value, r.expected) << r.op.name << " loop " << r.loop << " X=" << r.X;
  }
}

TEST(DelayTime, SeedRangeLimits) {
  struct Row {
    Operation op;
    std::int16_t loop;
    std::int32_t lowest;
    std::int32_t highest;
  };
  const Row rows[] = {
      {kCalc, 0, -89478487, 89478483},   {kCalc, 1, -13380, 13373}, {kCalc, 2, -1024, 1023},
      {kW77e, 0, -134217729, 134217726}, {kW77e, 1, -16386, 16381}, {kW77e, 2, -1024, 1023},
  };
  for (const auto& r : rows) {
    for (std::int32_t X : {r.lowest, r.highest}) {
      EXPECT_TRUE(r.op.fn(X, r.loop, 12.0f).ok()) << r.op.name << " loop " << r.loop << " X=" << X;
    }
    for (std::int32_t X : {r.lowest - 1, r.highest + 1}) {
      // the integer steps fail before the crystal is looked at
      for (float Fosc : {12.0f, 0.0f}) {
        EXPECT_EQ(r.op.fn(X, r.loop, Fosc).error, RunError::Overflow)
            << r.op.name << " loop " << r.loop << " X=" << X << " Fosc " << Fosc;
      }
    }
  }
}

TEST(DelayTime, ZeroCrystal) {
  for (const Operation& op : {kCalc, kW77e}) {
    for (std::int16_t loop = 0; loop < 3; ++loop) {
      EXPECT_EQ(op.fn(100, loop, 0.0f).error, RunError::DivisionByZero) << op.name << " " << loop;
    }
  }
  // 0 / 0 is the overflow form: only the single loop at X = -2 has no periods at all
  EXPECT_EQ(CALC_T(-2, 0, 0.0f).error, RunError::Overflow);
}

TEST(DelayTime, NestingOutsideTheThreeDepthsGivesZero) {
  for (const Operation& op : {kCalc, kW77e}) {
    for (std::int16_t loop : {std::int16_t{3}, std::int16_t{-1}, std::int16_t{32767}}) {
      const auto t = op.fn(2147483647, loop, 0.0f);
      ASSERT_TRUE(t.ok()) << op.name << " " << loop;
      EXPECT_EQ(t.value, 0.0);
    }
  }
}

TEST(DelayTime, ResultMayExceed32Bits) {
  const auto t = CALC_T(1023, 2, 2.0f);
  ASSERT_TRUE(t.ok());
  EXPECT_GT(t.value, 2147483647.0);
  EXPECT_EQ(roundToInt32(t.value).error, RunError::Overflow);
}

// Oscillator periods of each routine, in closed form and 64-bit integers.
std::int64_t periods(const Operation& op, std::int16_t loop, std::int64_t x) {
  const bool calc = op.fn == kCalc.fn;
  switch (loop) {
    case 0:
      return calc ? (2 * x + 4) * 12 : (4 * x + 6) * 4;
    case 1:
      return calc ? (x * (x + 7) + 4) * 12 : (2 * x * (x + 5) + 6) * 4;
    default:
      return calc ? (x * (x + 1) * (2 * x + 1) / 6 + 7 * x * (x + 1) / 2 + 6 * x + 4) * 12
                  : (x * (x + 1) * (2 * x + 1) / 3 + 5 * x * (x + 1) + 8 * x + 6) * 4;
  }
}

TEST(DelayTime, MatchesTheClosedFormsOverTheWholeSeedRange) {
  struct Range {
    Operation op;
    std::int16_t loop;
    std::int32_t lowest;
    std::int32_t highest;
    std::int32_t stride;
  };
  const Range ranges[] = {
      {kCalc, 0, -89478487, 89478483, 7919},
      {kCalc, 1, -13380, 13373, 1},
      {kCalc, 2, -1024, 1023, 1},
      {kW77e, 0, -134217729, 134217726, 7919},
      {kW77e, 1, -16386, 16381, 1},
      {kW77e, 2, -1024, 1023, 1},
  };
  const float crystals[] = {
      12.0f, kFosc11, singleRound(22.1184), 4.0f, 24.0f, singleRound(33.333), singleRound(1.8432),
      -12.0f};
  for (const auto& r : ranges) {
    std::vector<std::int32_t> seeds;
    for (std::int64_t x = r.lowest; x <= r.highest; x += r.stride) {
      seeds.push_back(static_cast<std::int32_t>(x));
    }
    seeds.push_back(r.highest);
    for (std::int32_t x = -5; x <= 5; ++x) {
      seeds.push_back(x);
    }
    for (float Fosc : crystals) {
      int mismatches = 0;
      for (std::int32_t X : seeds) {
        const double expected =
            std::floor(static_cast<double>(periods(r.op, r.loop, X)) / static_cast<double>(Fosc));
        const auto t = r.op.fn(X, r.loop, Fosc);
        if (!t.ok() || t.value != expected) {
          ++mismatches;
          ADD_FAILURE() << r.op.name << " loop " << r.loop << " X=" << X << " Fosc " << Fosc
                        << " gave " << t.value << " expected " << expected;
        }
        if (mismatches > 5) {
          return;
        }
      }
    }
  }
}

}  // namespace
