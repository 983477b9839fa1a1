// The timer and baud-rate arithmetic over plain numbers: the published
// figures, rounding at the halves, the limits of a counter, and the exact
// fractions underneath.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "codegen/timer_calc.h"

namespace {

using delaysub::codegen::baudCount;
using delaysub::codegen::periodCount;
using delaysub::codegen::Ratio;
using delaysub::codegen::registerByte;

const Ratio kMHz12{12'000'000};
const Ratio kMHz11{11'059'200};

struct PeriodCase {
  const char* what;
  Ratio crystalHz;
  Ratio periodUs;
  std::uint32_t divider;
  unsigned width;
  bool fits;
  std::int64_t count;
  std::uint32_t reload;
  Ratio errorUs;
};

// Datasheet and tutorial figures, and the edges of the counters.
const std::vector<PeriodCase> kPeriods{
    {"8051 12 MHz mode 1 1 ms", kMHz12, 1000, 12, 16, true, 1000, 0xFC18, 0},
    {"8051 11.0592 MHz mode 2 250 us", kMHz11, 250, 12, 8, true, 230, 0x1A,
     Ratio(230LL * 12'000'000, 11'059'200) - 250},
    {"8051 12 MHz 13-bit 1 ms", kMHz12, 1000, 12, 13, true, 1000, 0x1C18, 0},
    {"8051 11.0592 MHz mode 1 10 ms", kMHz11, 10000, 12, 16, true, 9216, 0xDC00, 0},
    {"stc15 1T 24 MHz 1 ms", Ratio(24'000'000), 1000, 1, 16, true, 24000, 0xA240, 0},
    {"ds80c320 Fosc/4 33 MHz 100 us", Ratio(33'000'000), 100, 4, 16, true, 825, 0xFCC7, 0},
    {"half a count rounds up", kMHz12, Ratio(5, 2), 12, 8, true, 3, 253, Ratio(1, 2)},
    {"just under half rounds down", kMHz12, Ratio(249, 100), 12, 8, true, 2, 254, Ratio(-49, 100)},
    {"a full turn reloads 0", kMHz12, 65536, 12, 16, true, 65536, 0, 0},
    {"beyond a full turn", kMHz12, Ratio(655365, 10), 12, 16, false, 65536, 0, Ratio(-1, 2)},
    {"below half a count", kMHz12, Ratio(49, 100), 12, 8, false, 1, 255, Ratio(51, 100)},
};

TEST(PeriodCount, Figures) {
  for (const PeriodCase& c : kPeriods) {
    const auto got = periodCount(c.crystalHz, c.periodUs, c.divider, c.width);
    EXPECT_EQ(got.fits, c.fits) << c.what;
    EXPECT_EQ(got.count, c.count) << c.what;
    EXPECT_EQ(got.reload, c.reload) << c.what;
    EXPECT_EQ(got.errorUs, c.errorUs) << c.what;
    EXPECT_EQ(got.actualUs, c.periodUs + c.errorUs) << c.what;
    EXPECT_EQ(got.errorPercent, c.errorUs / c.periodUs * 100) << c.what;
  }
}

TEST(PeriodCount, ShownFigures) {
  // 11.0592 MHz, 250 us in mode 2: 230.4 counts, 249.57 us, -0.17 %.
  const auto got = periodCount(kMHz11, 250, 12, 8);
  EXPECT_EQ(got.wanted, Ratio(2304, 10));
  EXPECT_NEAR(got.actualUs.toDouble(), 249.566, 0.001);
  EXPECT_NEAR(got.errorPercent.toDouble(), -0.1736, 0.0001);
}

TEST(RegisterByte, SplitsAsTheModesLoad) {
  // 13-bit mode 0 of 1 ms at 12 MHz: 1C18H -> TH = E0H, TL = 18H.
  EXPECT_EQ(registerByte(0x1C18, 5, 0xFF), 0xE0);
  EXPECT_EQ(registerByte(0x1C18, 0, 0x1F), 0x18);
  EXPECT_EQ(registerByte(0xFC18, 8, 0xFF), 0xFC);
  EXPECT_EQ(registerByte(0xFC18, 0, 0xFF), 0x18);
  EXPECT_EQ(registerByte(0x1FFF, 5, 0xFF), 0xFF);
}

struct BaudCase {
  const char* what;
  Ratio crystalHz;
  Ratio baud;
  std::uint32_t divisor;
  unsigned width;
  bool fits;
  std::int64_t count;
  std::uint32_t reload;
  Ratio errorPercent;
  bool within2;
  bool within1;
};

const std::vector<BaudCase> kBauds{
    {"8051 11.0592 MHz SMOD 0 9600", kMHz11, 9600, 384, 8, true, 3, 0xFD, 0, true, true},
    {"8051 11.0592 MHz SMOD 1 19200", kMHz11, 19200, 192, 8, true, 3, 0xFD, 0, true, true},
    {"8052 timer 2 12 MHz 9600", kMHz12, 9600, 32, 16, true, 39, 0xFFD9,
     Ratio(1'200'000'000LL, 32 * 39 * 9600) - 100, true, true},
    {"8051 12 MHz SMOD 0 9600", kMHz12, 9600, 384, 8, true, 3, 0xFD,
     Ratio(1'200'000'000LL, 384 * 3 * 9600) - 100, false, false},
    {"8051 12 MHz SMOD 1 4800", kMHz12, 4800, 192, 8, true, 13, 0xF3,
     Ratio(1'200'000'000LL, 192 * 13 * 4800) - 100, true, true},
    {"stc15 1T timer 2 115200", kMHz11, 115200, 4, 16, true, 24, 0xFFE8, 0, true, true},
    // 1.4 counts: 1 gives +40 %, 2 gives -30 %; the nearer rate wins.
    {"nearer rate, not nearer count", Ratio(224), 5, 32, 16, true, 2, 0xFFFE, -30, false, false},
    {"2 % exactly", Ratio(102 * 32), 100, 32, 16, true, 1, 0xFFFF, 2, true, false},
    {"1 % exactly", Ratio(101 * 32), 100, 32, 16, true, 1, 0xFFFF, 1, true, true},
    {"faster than a count of one", kMHz12, 1'000'000, 32, 16, false, 1, 0xFFFF, Ratio(-125, 2),
     false, false},
    {"slower than a full turn", kMHz12, 1, 384, 8, false, 256, 0,
     Ratio(1'200'000'000LL, 384 * 256) - 100, false, false},
};

TEST(BaudCount, Figures) {
  for (const BaudCase& c : kBauds) {
    const auto got = baudCount(c.crystalHz, c.baud, c.divisor, c.width);
    EXPECT_EQ(got.fits, c.fits) << c.what;
    EXPECT_EQ(got.count, c.count) << c.what;
    EXPECT_EQ(got.reload, c.reload) << c.what;
    EXPECT_EQ(got.errorPercent, c.errorPercent) << c.what;
    EXPECT_EQ(got.actualBaud, c.baud * (c.errorPercent / 100 + 1)) << c.what;
    EXPECT_EQ(got.within2Percent, c.within2) << c.what;
    EXPECT_EQ(got.within1Percent, c.within1) << c.what;
  }
}

TEST(BaudCount, ShownFigures) {
  // The 8052's timer 2 at 12 MHz: 9615.38 baud, +0.16 %.
  const auto got = baudCount(kMHz12, 9600, 32, 16);
  EXPECT_NEAR(got.actualBaud.toDouble(), 9615.38, 0.005);
  EXPECT_NEAR(got.errorPercent.toDouble(), 0.16, 0.005);
}

TEST(Ratio, RoundsAndOverflowsAsDocumented) {
  EXPECT_EQ(delaysub::codegen::nearestOf(Ratio(5, 2)), 3);
  EXPECT_EQ(delaysub::codegen::nearestOf(Ratio(-5, 2)), -2);
  EXPECT_EQ(delaysub::codegen::floorOf(Ratio(-1, 2)), -1);
  EXPECT_EQ(Ratio(6, -4), Ratio(-3, 2));
  EXPECT_LT(Ratio(1, 3), Ratio(1, 2));
  const Ratio big{INT64_MAX / 2};
  EXPECT_THROW((void)(big * big), std::overflow_error);
  EXPECT_THROW((void)(Ratio(1) / Ratio(0)), std::domain_error);
}

}  // namespace
