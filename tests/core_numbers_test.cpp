// Reading numbers from control texts and writing them back as texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/numbers.h"
#include "core/result.h"

namespace {

using namespace delaysub::core;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct ReadCase {
  const char* text;
  double expected;
};

TEST(ReadNumber, ReadsTheLeadingNumberOfAText) {
  const ReadCase cases[] = {
      // crystal and baud list entries
      {"11.0592MHz", 11.0592},
      {"4 MHz", 4},
      {"22.1184MHz", 22.1184},
      {"9600", 9600},
      {"9600 bps", 9600},
      // blanks, tabs and line feeds vanish wherever they stand
      {"1 2", 12},
      {" \t1\n2 . 5 ", 12.5},
      {"- 5", -5},
      {"\r5", 0},  // a carriage return is no blank: it stays and nothing is read
      // decimal forms
      {".5", 0.5},
      {"5.", 5},
      {"+.5", 0.5},
      {"-5", -5},
      {"-0.002", -0.002},
      {"1E3", 1000},
      {"1e-3", 0.001},
      {"1D2", 100},
      {"1.5d-1", 0.15},
      {"2.5E+2x", 250},
      {"1e", 1},
      {"1E+", 1},
      {"12,5", 12},
      {"1.2.3", 1.2},
      {"64", 64},
      // no number at all
      {"", 0},
      {"   ", 0},
      {"abc", 0},
      {"FF", 0},
      {"-", 0},
      {".", 0},
      {"+-5", 0},
      {"E5", 0},
      // radix literals: 16-bit two's complement when they fit, else 32-bit
      {"&HFFFF", -1},
      {"&H8000", -32768},
      {"&H7FFF", 32767},
      {"&H10000", 65536},
      {"&HFFFFFFFF", -1},
      {"&H80000000", -2147483648.0},
      {"&h1a", 26},
      {"&H 1A", 26},
      {"&H1AG", 26},
      {"&O177777", -1},
      {"&o100000", -32768},
      {"&O200000", 65536},
      {"&O17", 15},
      {"&O8", 0},
      {"&H", 0},
      {"&X12", 0},
      {"-&H10", 0},
      {"&H0000FFFF", -1},
      // more than 32 bits of digits: only the low 32 bits count
      {"&H123456789", 0x23456789},
      {"&H1FFFFFFFF", -1},
      {"&H100000000", 0},
      // beyond the double range
      {"1E400", kInf},
      {"-1E400", -kInf},
      {"1E99999999999999999999", kInf},
      {"1E-400", 0},
      {"0E99999", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(readNumber(c.text), c.expected) << "text [" << c.text << "]";
  }
}

TEST(ReadNumber, RoundsToTheNearestDouble) {
  EXPECT_EQ(readNumber("0.1"), 0.1);
  EXPECT_EQ(readNumber("9007199254740993"), 9007199254740992.0);  // tie goes to even
  EXPECT_EQ(readNumber("9007199254740995"), 9007199254740996.0);
  EXPECT_EQ(readNumber("4.9e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(readNumber("1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(readNumber("110592D-4"), 11.0592);
  EXPECT_EQ(readNumber("0.0000000000000000000000000000110592e30"), 11.0592);
}

TEST(RoundToInt32, RoundsTiesToEvenAndRejectsValuesOutside32Bits) {
  struct Case {
    double v;
    std::int32_t expected;
  };
  const Case cases[] = {
      {2.5, 2},
      {3.5, 4},
      {-2.5, -2},
      {100.5, 100},
      {101.5, 102},
      {2.4999, 2},
      {-2.6, -3},
      {0.0, 0},
      {2147483647.0, 2147483647},
      {2147483647.4, 2147483647},
      {-2147483648.0, -2147483647 - 1},
      {-2147483648.5, -2147483647 - 1},
  };
  for (const auto& c : cases) {
    const auto r = roundToInt32(c.v);
    ASSERT_TRUE(r.ok()) << c.v;
    EXPECT_EQ(r.value, c.expected) << c.v;
  }
  for (double v :
       {2147483647.5, 2147483648.0, -2147483649.0, -2147483648.6, 1e300, kInf, -kInf, kNaN}) {
    EXPECT_EQ(roundToInt32(v).error, RunError::Overflow) << v;
  }
}

TEST(SingleRound, RoundsToNearestSingle) {
  EXPECT_EQ(static_cast<double>(singleRound(11.0592)), 11.059200286865234375);
  EXPECT_EQ(static_cast<double>(singleRound(9.6)), 9.6000003814697265625);
  EXPECT_EQ(singleRound(1.0 + std::ldexp(1.0, -24)), 1.0f);  // tie to even
  EXPECT_EQ(static_cast<double>(singleRound(1.0 + 3 * std::ldexp(1.0, -24))),
            1.0 + std::ldexp(1.0, -22));
  EXPECT_EQ(singleRound(3.4028235e38), std::numeric_limits<float>::max());
  EXPECT_EQ(singleRound(1e39), std::numeric_limits<float>::infinity());
  EXPECT_EQ(singleRound(-1e39), -std::numeric_limits<float>::infinity());
  EXPECT_TRUE(std::isnan(singleRound(kNaN)));
}

TEST(SingleRound, GuardedFormRejectsMagnitudesBeyondSingle) {
  const auto ok = singleRoundGuarded(253.0);
  ASSERT_TRUE(ok.ok());
  EXPECT_EQ(ok.value, 253.0f);
  EXPECT_TRUE(singleRoundGuarded(1e-50).ok());  // underflow is no error
  for (double v : {1e39, -1e39, kInf, kNaN}) {
    EXPECT_EQ(singleRoundGuarded(v).error, RunError::Overflow) << v;
  }
}

TEST(IntegerText, WritesPlainDigits) {
  EXPECT_EQ(integerText(374304), "374304");
  EXPECT_EQ(integerText(-2), "-2");
  EXPECT_EQ(integerText(0), "0");
  EXPECT_EQ(integerText(-2147483647 - 1), "-2147483648");
}

TEST(DecimalText, LeadingBlankOrMinusAndNoZeroBeforeThePoint) {
  struct Case {
    double v;
    const char* expected;
  };
  const Case cases[] = {
      {0.204, " .204"},
      {10.704, " 10.704"},
      {374.304, " 374.304"},
      {1, " 1"},
      {0, " 0"},
      {-0.0, " 0"},
      {-0.002, "-.002"},
      {0.005, " .005"},
      {0.001, " .001"},
      {2147483.647, " 2147483.647"},
      {-2147483.648, "-2147483.648"},
      {0.1 + 0.2, " .3"},  // 15 significant digits
      {123456789012345.6, " 123456789012346"},
      {1e20, " 1E+20"},
      {1.5e-5, " 1.5E-05"},
      {-2.5e-300, "-2.5E-300"},
      {999999999999999.0, " 999999999999999"},
      {1e15, " 1E+15"},
      {-0.5, "-.5"},
      {std::numeric_limits<double>::infinity(), " inf"},
      {-std::numeric_limits<double>::infinity(), "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), " nan"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decimalText(c.v), c.expected) << c.v;
  }
  // Every whole-microsecond time shown in milliseconds fits without an exponent.
  for (std::int32_t t : {1, 10, 999, 1000, 1001, 123456, 2147483647, -2147483647 - 1}) {
    EXPECT_EQ(decimalText(t / 1000.0).find('E'), std::string::npos) << t;
  }
}

TEST(HexText, UpperCaseWithoutLeadingZeros) {
  struct Case {
    std::int32_t v;
    const char* expected;
  };
  const Case cases[] = {
      {0, "0"},
      {255, "FF"},
      {416, "1A0"},
      {-1, "FFFFFFFF"},
      {-256, "FFFFFF00"},
      {2147483647, "7FFFFFFF"},
      {-2147483647 - 1, "80000000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hexText(c.v), c.expected) << c.v;
  }
}

TEST(ToByte, RoundsTiesToEvenWithin0To255) {
  struct Case {
    double v;
    int expected;
  };
  const Case cases[] = {{0, 0}, {1, 1}, {255, 255}, {254.5, 254}, {0.5, 0}, {-0.5, 0}, {1.5, 2}};
  for (const auto& c : cases) {
    const auto r = toByte(c.v);
    ASSERT_TRUE(r.ok()) << c.v;
    EXPECT_EQ(r.value, c.expected) << c.v;
  }
  for (double v : {255.5, 256.0, -0.6, -1.0, kNaN, kInf}) {
    EXPECT_EQ(toByte(v).error, RunError::Overflow) << v;
  }
}

TEST(RunErrors, NumbersAndMeanings) {
  EXPECT_EQ(errorNumber(RunError::Overflow), 6);
  EXPECT_EQ(errorNumber(RunError::DivisionByZero), 11);
  EXPECT_EQ(errorMeaning(RunError::Overflow), "overflow");
  EXPECT_EQ(errorMeaning(RunError::DivisionByZero), "division by zero");
  EXPECT_EQ(errorMeaningZh(RunError::Overflow), "溢出");
  EXPECT_EQ(errorMeaningZh(RunError::DivisionByZero), "除数为零");
  EXPECT_EQ(errorMeaning(RunError::None), "");
}

}  // namespace
