// The timer and baud-rate arithmetic over plain numbers: the published
// figures, rounding at the halves, the limits of a counter, and the exact
// fractions underneath.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/timer_calc.h"

namespace {

using namespace delaysub::codegen;

// Exact values as the tables write them: n/d, and signed n/d for errors.
Ratio R(std::int64_t n, std::int64_t d = 1) {
  return Ratio::of(static_cast<Wide>(n), static_cast<Wide>(d));
}
Difference D(std::int64_t n, std::int64_t d = 1) {
  return {R(n < 0 ? -n : n, d), n < 0};
}
bool same(const Difference& a, const Difference& b) {
  return a.magnitude == b.magnitude && a.negative == b.negative;
}
std::string shown(const Difference& d) {
  return signedDecimalText(d, 12);
}

const Ratio kMHz12 = R(12'000'000);
const Ratio kMHz11 = R(11'059'200);

struct PeriodCase {
  const char* what;
  Ratio crystalHz;
  Ratio periodUs;
  std::uint32_t divider;
  unsigned width;
  bool fits;
  std::uint64_t count;
  std::uint32_t reload;
  Difference errorUs;
  Difference errorPercent;
};

// Datasheet and tutorial figures, and the edges of the counters.
const std::vector<PeriodCase> kPeriods{
    {"8051 12 MHz mode 1 1 ms", kMHz12, R(1000), 12, 16, true, 1000, 0xFC18, {}, {}},
    // 230 counts of 12 / 11.0592 us: 249.5659722... us.
    {"8051 11.0592 MHz mode 2 250 us", kMHz11, R(250), 12, 8, true, 230, 0x1A, D(-125, 288),
     D(-25, 144)},
    {"8051 12 MHz 13-bit 1 ms", kMHz12, R(1000), 12, 13, true, 1000, 0x1C18, {}, {}},
    {"8051 11.0592 MHz mode 1 10 ms", kMHz11, R(10000), 12, 16, true, 9216, 0xDC00, {}, {}},
    {"stc15 1T 24 MHz 1 ms", R(24'000'000), R(1000), 1, 16, true, 24000, 0xA240, {}, {}},
    {"ds80c320 Fosc/4 33 MHz 100 us", R(33'000'000), R(100), 4, 16, true, 825, 0xFCC7, {}, {}},
    {"half a count rounds up", kMHz12, R(5, 2), 12, 8, true, 3, 253, D(1, 2), D(20)},
    {"just under half rounds down", kMHz12, R(249, 100), 12, 8, true, 2, 254, D(-49, 100),
     D(-4900, 249)},
    {"a full turn reloads 0", kMHz12, R(65536), 12, 16, true, 65536, 0, {}, {}},
    {"beyond a full turn", kMHz12, R(655365, 10), 12, 16, false, 65536, 0, D(-1, 2),
     D(-100, 131073)},
    {"below half a count", kMHz12, R(49, 100), 12, 8, false, 1, 255, D(51, 100), D(5100, 49)},
};

TEST(PeriodCount, Figures) {
  for (const PeriodCase& c : kPeriods) {
    const auto got = periodCount(c.crystalHz, c.periodUs, c.divider, c.width);
    EXPECT_EQ(got.fits, c.fits) << c.what;
    EXPECT_EQ(got.count, c.count) << c.what;
    EXPECT_EQ(got.reload, c.reload) << c.what;
    EXPECT_TRUE(same(got.errorUs, c.errorUs)) << c.what << ": " << shown(got.errorUs);
    EXPECT_TRUE(same(got.errorPercent, c.errorPercent))
        << c.what << ": " << shown(got.errorPercent);
  }
}

TEST(PeriodCount, ShownFigures) {
  // 11.0592 MHz, 250 us in mode 2: 230.4 counts, 249.57 us, -0.17 %.
  const auto got = periodCount(kMHz11, R(250), 12, 8);
  EXPECT_EQ(got.wanted, R(2304, 10));
  EXPECT_EQ(fixedText(got.actualUs, 2), "249.57");
  EXPECT_EQ(fixedText(got.errorPercent, 2), "-0.17");
  EXPECT_EQ(fixedText(periodCount(kMHz12, R(1000), 12, 16).errorPercent, 2), "0.00");
  // A period beyond 2^64 counts is beyond every counter, not a wrapped count.
  EXPECT_FALSE(periodCount(R(1'000'000'000), R(1'000'000'000'000'000), 1, 16).fits);
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
  std::uint64_t count;
  std::uint32_t reload;
  Difference errorPercent;
  bool within2;
  bool within1;
};

const std::vector<BaudCase> kBauds{
    {"8051 11.0592 MHz SMOD 0 9600", kMHz11, R(9600), 384, 8, true, 3, 0xFD, {}, true, true},
    {"8051 11.0592 MHz SMOD 1 19200", kMHz11, R(19200), 192, 8, true, 3, 0xFD, {}, true, true},
    // 12e6 / (32 x 39) = 9615.384615...: +1/6.24 %.
    {"8052 timer 2 12 MHz 9600", kMHz12, R(9600), 32, 16, true, 39, 0xFFD9, D(25, 156), true, true},
    {"8051 12 MHz SMOD 0 9600", kMHz12, R(9600), 384, 8, true, 3, 0xFD, D(1225, 144), false, false},
    {"8051 12 MHz SMOD 1 4800", kMHz12, R(4800), 192, 8, true, 13, 0xF3, D(25, 156), true, true},
    {"stc15 1T timer 2 115200", kMHz11, R(115200), 4, 16, true, 24, 0xFFE8, {}, true, true},
    // 1.4 counts: 1 gives +40 %, 2 gives -30 %; the nearer rate wins.
    {"nearer rate, not nearer count", R(224), R(5), 32, 16, true, 2, 0xFFFE, D(-30), false, false},
    {"2 % exactly", R(102 * 32), R(100), 32, 16, true, 1, 0xFFFF, D(2), true, false},
    {"1 % exactly", R(101 * 32), R(100), 32, 16, true, 1, 0xFFFF, D(1), true, true},
    {"faster than a count of one", kMHz12, R(1'000'000), 32, 16, false, 1, 0xFFFF, D(-125, 2),
     false, false},
    {"slower than a full turn", kMHz12, R(1), 384, 8, false, 256, 0,
     D(1'200'000'000LL - 384 * 256 * 100, 384 * 256), false, false},
};

TEST(BaudCount, Figures) {
  for (const BaudCase& c : kBauds) {
    const auto got = baudCount(c.crystalHz, c.baud, c.divisor, c.width);
    EXPECT_EQ(got.fits, c.fits) << c.what;
    EXPECT_EQ(got.count, c.count) << c.what;
    EXPECT_EQ(got.reload, c.reload) << c.what;
    EXPECT_TRUE(same(got.errorPercent, c.errorPercent))
        << c.what << ": " << shown(got.errorPercent);
    EXPECT_EQ(got.within2Percent, c.within2) << c.what;
    EXPECT_EQ(got.within1Percent, c.within1) << c.what;
  }
}

TEST(BaudCount, ShownFigures) {
  // The 8052's timer 2 at 12 MHz: 9615.38 baud, +0.16 %.
  const auto got = baudCount(kMHz12, R(9600), 32, 16);
  EXPECT_EQ(fixedText(got.actualBaud, 2), "9615.38");
  EXPECT_EQ(fixedText(got.errorPercent, 2), "+0.16");
  EXPECT_EQ(fixedText(baudCount(kMHz11, R(9600), 384, 8).actualBaud, 2), "9600.00");
}

TEST(NearestWhole, HalvesUp) {
  EXPECT_EQ(nearestWhole(R(5, 2)), 3U);
  EXPECT_EQ(nearestWhole(R(249, 100)), 2U);
  EXPECT_EQ(nearestWhole(R(1, 2)), 1U);
  EXPECT_EQ(nearestWhole(R(0)), 0U);
}

}  // namespace
