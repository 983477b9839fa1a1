// Exact quantities: crystal and time texts to fractions, clocks, decimals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/exact.h"

namespace {

using namespace delaysub::codegen;

struct Read {
  std::string text;
  Wide num;  // expected value num/den, or the problem when den is 0
  Wide den;
  std::string problem;
};

void expectReadings(Reading (*read)(std::string_view), const std::vector<Read>& cases) {
  for (const Read& c : cases) {
    const Reading r = read(c.text);
    if (c.den == 0) {
      EXPECT_FALSE(r.value.has_value()) << c.text;
      EXPECT_EQ(r.problem, c.problem) << c.text;
    } else {
      ASSERT_TRUE(r.value.has_value()) << c.text << ": " << r.problem;
      EXPECT_TRUE(*r.value == Ratio::of(c.num, c.den)) << c.text;
    }
  }
}

TEST(ReadFrequency, DecimalMegahertzWithOptionalUnit) {
  const std::vector<Read> cases{
      {"11.0592MHz", 11059200, 1, ""},
      {"24", 24000000, 1, ""},
      {" 12 MHz ", 12000000, 1, ""},
      {"32768Hz", 32768, 1, ""},
      {"32.768 kHz", 32768, 1, ""},
      {"11.0592mhz", 11059200, 1, ""},
      {"+6", 6000000, 1, ""},
      {"1e1", 10000000, 1, ""},
      {"0.0000001", 1, 10, ""},
      {"0.5Hz", 1, 2, ""},
      {"0", 0, 0, "is not above 0"},
      {"-12", 0, 0, "is not above 0"},
      {"0.000", 0, 0, "is not above 0"},
      {"", 0, 0, "is no number"},
      {"MHz", 0, 0, "is no number"},
      {"inf", 0, 0, "is no number"},
      {"nan", 0, 0, "is no number"},
      {"12 GHz", 0, 0, "has no known unit"},
      {"12MHzz", 0, 0, "has no known unit"},
      {"1.2.3", 0, 0, "has no known unit"},
      {"1234567890123456789", 0, 0, "has too many digits"},
      {"0.0000000000001Hz", 0, 0, "has too many digits"},
      {"1e20", 0, 0, "is too large"},
      {"1e9999", 0, 0, "is no number"},
      {std::string(65, '1'), 0, 0, "is too long"},
  };
  expectReadings(readFrequency, cases);
}

TEST(ReadTime, MicrosecondsByDefaultOrMsOrS) {
  const std::vector<Read> cases{
      {"10ms", 10000, 1, ""},
      {"1.5ms", 1500, 1, ""},
      {"500us", 500, 1, ""},
      {"1s", 1000000, 1, ""},
      {"250", 250, 1, ""},
      {"0.25us", 1, 4, ""},
      {"100 s", 100000000, 1, ""},
      {"10MS", 0, 0, "has no known unit"},
      {"0s", 0, 0, "is not above 0"},
      {"ms", 0, 0, "is no number"},
  };
  expectReadings(readTime, cases);
}

TEST(Clocks, AreTimeTimesFrequencyExactly) {
  struct Case {
    const char* time;
    const char* crystal;
    const char* clocks;
  };
  const std::vector<Case> cases{
      {"1ms", "11.0592", "11059.2"},     {"10ms", "12", "120000"},
      {"1.5ms", "11.0592", "16588.8"},   {"1us", "33.1776", "33.1776"},
      {"100s", "33.1776", "3317760000"}, {"0.123456789012us", "0.000001", "0.000000123457"},
  };
  for (const Case& c : cases) {
    const auto clocks = clocksOf(*readTime(c.time).value, *readFrequency(c.crystal).value);
    ASSERT_TRUE(clocks.has_value()) << c.time;
    EXPECT_EQ(decimalText(*clocks, 12), c.clocks) << c.time << " at " << c.crystal;
  }
}

TEST(Decimals, RoundHalfUpAndDropTrailingZeros) {
  EXPECT_EQ(decimalText(Ratio::of(1, 3), 6), "0.333333");
  EXPECT_EQ(decimalText(Ratio::of(2, 3), 6), "0.666667");
  EXPECT_EQ(decimalText(Ratio::of(1, 8), 2), "0.13");
  EXPECT_EQ(decimalText(Ratio::of(9999, 10000), 3), "1");
  EXPECT_EQ(decimalText(Ratio::of(5, 2), 0), "3");
  EXPECT_EQ(decimalText(Ratio::whole(120000), 6), "120000");
  EXPECT_EQ(signedDecimalText(minus(Ratio::whole(3), Ratio::of(7, 2)), 3), "-0.5");
  EXPECT_EQ(signedDecimalText(minus(Ratio::of(7, 2), Ratio::whole(3)), 3), "+0.5");
  EXPECT_EQ(signedDecimalText(minus(Ratio::whole(3), Ratio::whole(3)), 3), "0");
}

TEST(Ratios, CompareWithoutOverflow) {
  const Wide big = Wide{1} << 120;
  EXPECT_EQ(compare(Ratio::of(big - 1, big), Ratio::of(big - 2, big - 1)), 1);
  EXPECT_EQ(compare(Ratio::of(1, 3), Ratio::of(2, 6)), 0);
  EXPECT_EQ(compare(Ratio::of(5, 2), Ratio::whole(3)), -1);
  EXPECT_EQ(compare(Ratio::whole(3), Ratio::of(5, 2)), 1);
  EXPECT_DOUBLE_EQ(toDouble(Ratio::of(11059200, 1000)), 11059.2);
}

}  // namespace
