// The design tools: the nearest reload values, the seed for a wanted delay,
// the window's delay texts and the template for one seed.
#include <gtest/gtest.h>

#include <ostream>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/delay.h"
#include "core/display.h"
#include "core/lists.h"
#include "core/texts.h"
#include "design/reload.h"
#include "design/seed.h"
#include "design/template.h"
#include "design/texts.h"

namespace delaysub::design {
namespace {

using core::crystalFrequency;
using core::delayOf;
using core::delayOfSeedText;
using core::delayText;
using core::DelayUnit;
using core::kBaudList;
using core::SeedDelay;
using core::templateOf;
using core::unitCaption;

// The cases name cores and nestings by the window's codes.
Core cpu(std::int16_t cpu_type) {
  return core::coreOf(cpu_type).value();
}
Nesting nesting(std::int16_t loop_type) {
  return core::nestingOf(loop_type).value();
}

struct ReloadCase {
  const char* name;
  std::int16_t cpu;
  const char* crystal;
  double baud;
  int doubler;  // SMOD or U2X
  const char* text;
  double actual;
  const char* error;
  bool within;
  bool best;
};

// Short names for the cases in test listings (and so in ctest's names).
void PrintTo(const ReloadCase& c, std::ostream* os) {
  *os << c.name;
}

class NearestReload : public ::testing::TestWithParam<ReloadCase> {};

TEST_P(NearestReload, TextRateErrorToleranceAndBest) {
  const ReloadCase& c = GetParam();
  const auto options = nearestReloads(cpu(c.cpu), crystalFrequency(c.crystal), c.baud);
  ASSERT_EQ(options.size(), 2u);
  const ReloadOption& o = options[static_cast<std::size_t>(c.doubler)];
  EXPECT_EQ(o.doubler, c.doubler);
  EXPECT_EQ(o.text, c.text);
  EXPECT_NEAR(o.actualBaud, c.actual, 0.005);
  EXPECT_EQ(percentText(o.errorPercent), c.error);
  EXPECT_EQ(o.withinTolerance, c.within);
  EXPECT_EQ(bestReload(options) == static_cast<std::size_t>(c.doubler), c.best);
}

INSTANTIATE_TEST_SUITE_P(
    // At 11.0592 MHz SMOD 0 and 1 are equally exact for 9600: SMOD 0 is best.
    Figures, NearestReload,
    ::testing::Values(ReloadCase{"exact_11_0592", 0, "11.0592MHz", 9600, 0, "TH1 = 0FDH", 9600.00,
                                 "+0.00 %", true, true},
                      ReloadCase{"mcs51_12_4800_smod1", 0, "12 MHz", 4800, 1, "TH1 = 0F3H", 4807.69,
                                 "+0.16 %", true, true},
                      ReloadCase{"mcs51_12_9600_smod0", 0, "12 MHz", 9600, 0, "TH1 = 0FDH",
                                 10416.67, "+8.51 %", false, false},
                      ReloadCase{"mcs51_12_9600_smod1", 0, "12 MHz", 9600, 1, "TH1 = 0F9H", 8928.57,
                                 "-6.99 %", false, true},
                      ReloadCase{"w77e58_like_mcs51", 2, "12 MHz", 9600, 1, "TH1 = 0F9H", 8928.57,
                                 "-6.99 %", false, true},
                      ReloadCase{"avr_16_115200_u2x0", 1, "16 MHz", 115200, 0, "UBRR = 08H",
                                 111111.11, "-3.55 %", false, false},
                      ReloadCase{"avr_16_115200_u2x1", 1, "16 MHz", 115200, 1, "UBRR = 10H",
                                 117647.06, "+2.12 %", false, true},
                      ReloadCase{"avr_16_9600_u2x0", 1, "16 MHz", 9600, 0, "UBRR = 67H", 9615.38,
                                 "+0.16 %", true, true},
                      // Past the last reload value: the slowest rate is the nearest.
                      ReloadCase{"avr_32_300_u2x0_whole_register", 1, "32 MHz", 300, 0,
                                 "UBRR = FFFH", 488.28, "+62.76 %", false, true},
                      ReloadCase{"mcs51_fastest", 0, "12 MHz", 1e9, 1, "TH1 = 0FFH", 62500.0,
                                 "-99.99 %", false, true}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(NearestReload, NoOptionsWithoutARate) {
  for (double baud : {0.0, -9600.0, double(NAN), double(INFINITY)}) {
    EXPECT_TRUE(nearestReloads(cpu(0), 12.0f, baud).empty()) << baud;
    EXPECT_TRUE(nearestReloads(cpu(1), 12.0f, baud).empty()) << baud;
  }
  // No crystal gives no rate: nothing is nearest.
  for (float Fosc : {0.0f, -12.0f}) {
    EXPECT_TRUE(nearestReloads(cpu(0), Fosc, 9600).empty()) << Fosc;
    EXPECT_TRUE(nearestReloads(cpu(1), Fosc, 9600).empty()) << Fosc;
  }
  EXPECT_FALSE(bestReload({}).has_value());
}

TEST(NearestReload, EqualErrorsGoToSmod0) {
  ReloadOption above, below;
  above.errorPercent = 1.5;
  below.errorPercent = -1.5;
  EXPECT_EQ(bestReload({above, below}), 0u);
  EXPECT_EQ(bestReload({below, above}), 0u);
  below.errorPercent = -1.25;
  EXPECT_EQ(bestReload({above, below}), 1u);
}

TEST(BaudAnswer, WindowTextBesideTheOptions) {
  const BaudAnswer a = baudAnswer(cpu(0), crystalFrequency("12 MHz"), "9600 bps", false);
  EXPECT_EQ(a.wantedBaud, 9600);
  ASSERT_TRUE(a.window.ok());
  EXPECT_EQ(a.window.value, "不可实现");
  EXPECT_EQ(a.best, 1u);
  const BaudAnswer empty = baudAnswer(cpu(1), 16.0f, "", true);
  EXPECT_EQ(empty.window.error, RunError::DivisionByZero);
  EXPECT_TRUE(empty.options.empty());
}

TEST(BaudAnswer, TableHasEveryRateOfTheList) {
  const auto rows = baudTable(cpu(0), crystalFrequency("11.0592MHz"));
  ASSERT_EQ(rows.size(), kBaudList.size());
  EXPECT_EQ(rows.front().wantedBaud, 300);
  EXPECT_EQ(rows.back().wantedBaud, 115200);
  EXPECT_EQ(rows[5].window.value, "TH1 = 0FDH");                        // 9600, SMOD 0
  EXPECT_EQ(rows[7].options[rows[7].best.value()].text, "TH1 = 0FDH");  // 19200 with SMOD 1
  EXPECT_EQ(rows[7].best, 1u);
}

struct DepthCase {
  std::int16_t cpu;
  const char* crystal;
  double target;
  std::int16_t loop;
  bool reachable;
  std::int32_t minUs, maxUs, X, T;
  const char* error;
};

void PrintTo(const DepthCase& c, std::ostream* os) {
  *os << "core " << c.cpu << ", " << c.crystal << ", " << c.target << " us, loops " << c.loop + 1;
}

class SeedForDelay : public ::testing::TestWithParam<DepthCase> {};

TEST_P(SeedForDelay, NearestSeedAndRange) {
  const DepthCase& c = GetParam();
  const DepthSolution s =
      seedForDelay(cpu(c.cpu), nesting(c.loop), crystalFrequency(c.crystal), c.target);
  EXPECT_EQ(s.error, RunError::None);
  EXPECT_EQ(s.nesting, nesting(c.loop));
  EXPECT_EQ(s.minUs, c.minUs);
  EXPECT_EQ(s.maxUs, c.maxUs);
  ASSERT_EQ(s.reachable, c.reachable);
  if (c.reachable) {
    EXPECT_EQ(s.X, c.X);
    EXPECT_EQ(s.T, c.T);
    EXPECT_EQ(percentText(s.errorPercent), c.error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Figures, SeedForDelay,
    ::testing::Values(DepthCase{0, "12 MHz", 10000, 0, false, 6, 514, 0, 0, ""},
                      DepthCase{0, "12 MHz", 10000, 1, true, 12, 66814, 97, 10092, "+0.92 %"},
                      DepthCase{0, "12 MHz", 10000, 2, true, 18, 5789694, 27, 9742, "-2.58 %"},
                      // AVR times with the 12-clock formulas, as the window does.
                      DepthCase{1, "12 MHz", 10000, 1, true, 12, 66814, 97, 10092, "+0.92 %"},
                      DepthCase{2, "12 MHz", 204, 0, true, 3, 342, 152, 204, "+0.00 %"},
                      // At a range limit.
                      DepthCase{0, "12 MHz", 514, 0, true, 6, 514, 255, 514, "+0.00 %"},
                      DepthCase{0, "12 MHz", 6, 0, true, 6, 514, 1, 6, "+0.00 %"},
                      // Two seeds equally near (204 and 206): the smaller.
                      DepthCase{0, "12 MHz", 205, 0, true, 6, 514, 100, 204, "-0.49 %"}));

TEST(SeedForDelay, BestDepthAndItsTies) {
  std::vector<DepthSolution> all;
  for (std::int16_t loop = 0; loop < 3; ++loop) {
    all.push_back(seedForDelay(cpu(0), nesting(loop), 12.0f, 10000));
  }
  EXPECT_EQ(bestDepth(all), 1u);
  // 12 us is exact for single (X = 4) and double (X = 1): fewer loops win.
  all.clear();
  for (std::int16_t loop = 0; loop < 3; ++loop) {
    all.push_back(seedForDelay(cpu(0), nesting(loop), 12.0f, 12));
  }
  EXPECT_EQ(bestDepth(all), 0u);
  EXPECT_FALSE(bestDepth({seedForDelay(cpu(0), nesting(0), 12.0f, 1e9)}).has_value());
}

TEST(SeedForDelay, ACrystalTheWindowCannotUseIsAnError) {
  EXPECT_EQ(seedForDelay(cpu(0), nesting(0), 0.0f, 100).error, RunError::DivisionByZero);
  EXPECT_EQ(seedForDelay(cpu(0), nesting(2), 1e-6f, 100).error, RunError::Overflow);
  EXPECT_FALSE(bestDepth({seedForDelay(cpu(0), nesting(0), 0.0f, 100)}).has_value());
}

TEST(DelayOfSeedText, AsTheWindowShowsIt) {
  struct Case {
    std::int16_t cpu, loop;
    const char* crystal;
    const char* seed;
    RunError error;
    std::optional<std::int32_t> X;
    const char* hex;
    std::int32_t T;
  };
  const Case cases[] = {
      {0, 0, "12 MHz", "100", RunError::None, 100, "64", 204},
      {2, 2, "12 MHz", "&H64", RunError::None, 100, "64", 242668},
      {1, 1, "11.0592MHz", "100", RunError::None, 100, "64", 11614},
      {0, 2, "12 MHz", "1024", RunError::Overflow, 1024, "400", 0},
      {0, 0, "", "7", RunError::DivisionByZero, 7, "7", 0},
      {0, 0, "12", "1e10", RunError::Overflow, std::nullopt, "", 0},
  };
  for (const Case& c : cases) {
    const SeedDelay d =
        delayOfSeedText(cpu(c.cpu), nesting(c.loop), crystalFrequency(c.crystal), c.seed);
    EXPECT_EQ(d.error, c.error) << c.seed;
    EXPECT_EQ(d.X, c.X) << c.seed;
    EXPECT_EQ(d.seedHex, c.hex) << c.seed;
    EXPECT_EQ(d.T, c.T) << c.seed;
  }
}

TEST(DelayText, BothUnits) {
  EXPECT_EQ(delayText(204, DelayUnit::Microseconds), "204");
  EXPECT_EQ(delayText(204, DelayUnit::Milliseconds), " .204");
  EXPECT_EQ(delayText(-6, DelayUnit::Milliseconds), "-.006");
  EXPECT_EQ(delayText(10092, DelayUnit::Milliseconds), " 10.092");
  EXPECT_EQ(unitCaption(DelayUnit::Milliseconds), "mS");
}

TEST(SeedLiteral, TwoDigitsAndAZeroBeforeALetter) {
  const std::pair<std::uint8_t, const char*> cases[] = {{100, "#64H"}, {200, "#0C8H"}, {0, "#00H"},
                                                        {10, "#0AH"},  {255, "#0FFH"}, {5, "#05H"}};
  for (const auto& [X, literal] : cases) {
    EXPECT_EQ(seedLiteral(X), literal) << int(X);
  }
}

TEST(SeededTemplate, CommentAndLiteral) {
  const auto t = seededTemplate(cpu(0), nesting(1), 12.0f, 100);
  ASSERT_TRUE(t.ok());
  EXPECT_EQ(t.value.substr(0, t.value.find("\r\n", t.value.find("\r\n") + 2)),
            "; BYT_DLY = 64H (100): T = 10704 uS at 12 MHz, MCS-51, double loop\r\n"
            "WAIT:    MOV     BYT_DLY,#64H");
  EXPECT_EQ(t.value.find("#X"), std::string::npos);
  EXPECT_FALSE(t.value.ends_with("\r\n"));

  const auto w77 = seededTemplate(cpu(2), nesting(0), crystalFrequency("11.0592MHz"), 0);
  ASSERT_TRUE(w77.ok());
  EXPECT_TRUE(
      w77.value.starts_with("; BYT_DLY = 00H (0): T = 2 uS at 11.0592 MHz, W77E58, "
                            "single loop (DJNZ from 0 makes 256 passes"));
  EXPECT_NE(w77.value.find("WAIT:    MOV BYT_DLY,#00H\r\n"), std::string::npos);

  EXPECT_EQ(seededTemplate(cpu(0), nesting(0), 0.0f, 1).error, RunError::DivisionByZero);
}

TEST(SeededTemplateOf, AnEditedTemplate) {
  struct Case {
    const char* name;
    const char* text;
    const char* seeded;
  };
  const char* comment = "; BYT_DLY = 64H (100): T = 204 uS at 12 MHz, MCS-51, single loop";
  const Case cases[] = {
      {"the first line empty: the comment fills it", "\r\n MOV A,#X", "\r\n MOV A,#64H"},
      {"a first line of its own: the comment goes before it", "WAIT: MOV R0,#X\r\nRET",
       "\r\nWAIT: MOV R0,#64H\r\nRET"},
      {"every #X, not #XL or #X_1", "\r\n#X #XL #X_1 #X,#X", "\r\n#64H #XL #X_1 #64H,#64H"},
      {"no #X at all", "\r\nNOP", "\r\nNOP"},
  };
  for (const Case& c : cases) {
    const auto t = seededTemplateOf(c.text, cpu(0), nesting(0), 12.0f, 100);
    ASSERT_TRUE(t.ok()) << c.name;
    EXPECT_EQ(t.value, std::string(comment) + c.seeded) << c.name;
  }
  EXPECT_TRUE(hasSeedPlace("MOV BYT_DLY,#X\r\n"));
  EXPECT_TRUE(hasSeedPlace("#XL #X"));
  EXPECT_FALSE(hasSeedPlace("#XL #X1 X"));
  // The window's own template gives what seededTemplate gives.
  EXPECT_EQ(seededTemplateOf(templateOf(cpu(2), nesting(2)), cpu(2), nesting(2), 12.0f, 7).value,
            seededTemplate(cpu(2), nesting(2), 12.0f, 7).value);
  EXPECT_EQ(seededTemplateOf("#X", cpu(0), nesting(0), 0.0f, 1).error, RunError::DivisionByZero);
}

TEST(SeedRange, TheSeedsThatComputeForEachCoreAndNesting) {
  struct Case {
    std::int16_t cpu, loop;
    std::int32_t first, last;
  };
  const Case cases[] = {
      {0, 0, -89478487, 89478483},   {0, 1, -13380, 13373}, {0, 2, -1024, 1023},
      {1, 0, -89478487, 89478483},   {1, 1, -13380, 13373}, {1, 2, -1024, 1023},
      {2, 0, -134217729, 134217726}, {2, 1, -16386, 16381}, {2, 2, -1024, 1023},
  };
  for (const Case& c : cases) {
    const auto range = seedRange(cpu(c.cpu), nesting(c.loop));
    EXPECT_EQ(range, (SeedRange{c.first, c.last})) << c.cpu << "/" << c.loop;
    // The window computes the ends and raises the overflow one past them.
    EXPECT_TRUE(delayOf(cpu(c.cpu), nesting(c.loop), 12.0f, c.first).ok());
    EXPECT_TRUE(delayOf(cpu(c.cpu), nesting(c.loop), 12.0f, c.last).ok());
    EXPECT_EQ(delayOf(cpu(c.cpu), nesting(c.loop), 12.0f, c.first - 1).error, RunError::Overflow);
    EXPECT_EQ(delayOf(cpu(c.cpu), nesting(c.loop), 12.0f, c.last + 1).error, RunError::Overflow);
  }
}

}  // namespace
}  // namespace delaysub::design
