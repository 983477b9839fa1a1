// The timer and serial-port choices of each chip, from its data: the
// published figures, which choice is best, and the lines for what no choice
// reaches.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codegen/uart_options.h"

namespace {

using namespace delaysub::codegen;
namespace mcu = delaysub::mcu;

Ratio R(std::uint64_t n, std::uint64_t d = 1) {
  return Ratio::of(n, d);
}

const mcu::TimerSet& timersOf(const char* name) {
  const mcu::Chip* chip = mcu::findChip(name);
  EXPECT_NE(chip, nullptr) << name;
  const mcu::TimerSet* set = chip != nullptr ? mcu::timersOf(*chip) : nullptr;
  EXPECT_NE(set, nullptr) << name;
  return *set;
}

std::map<std::string, int> bytesOf(const std::vector<RegisterValue>& registers) {
  std::map<std::string, int> bytes;
  for (const RegisterValue& r : registers) {
    bytes[std::string(r.name)] = r.value;
  }
  return bytes;
}

const Ratio kMHz12 = R(12'000'000);
const Ratio kMHz11 = R(11'059'200);

struct TimerCase {
  const char* what;
  const char* chip;
  Ratio crystalHz;
  std::uint64_t periodUs;
  TimerFilter filter;
  // The best choice.
  int timer;
  int mode;
  std::uint32_t divider;
  std::int64_t count;
  std::map<std::string, int> registers;
  const char* actualUs;      // 3 places
  const char* errorPercent;  // 2 places
};

const std::vector<TimerCase> kTimerCases{
    {"1 ms, 12 MHz, timer 0 mode 1",
     "8051",
     kMHz12,
     1000,
     {0, 1, {}},
     0,
     1,
     12,
     1000,
     {{"TH0", 0xFC}, {"TL0", 0x18}},
     "1000.000",
     "0.00"},
    {"250 us, 11.0592 MHz, timer 0 mode 2",
     "8051",
     kMHz11,
     250,
     {0, 2, {}},
     0,
     2,
     12,
     230,
     {{"TH0", 0x1A}, {"TL0", 0x1A}},
     "249.566",
     "-0.17"},
    {"13-bit mode 0 splits 5 bits into TL",
     "8051",
     kMHz12,
     1000,
     {1, 0, {}},
     1,
     0,
     12,
     1000,
     {{"TH1", 0xE0}, {"TL1", 0x18}},
     "1000.000",
     "0.00"},
    // Unfiltered: mode 1 over 13-bit mode 0, timer 0 over the 8052's timer 2.
    {"1 ms, 12 MHz, best",
     "8051",
     kMHz12,
     1000,
     {},
     0,
     1,
     12,
     1000,
     {{"TH0", 0xFC}, {"TL0", 0x18}},
     "1000.000",
     "0.00"},
    // An exact auto-reloading mode over an exact one that is not.
    {"250 us, 12 MHz, best",
     "8051",
     kMHz12,
     250,
     {},
     0,
     2,
     12,
     250,
     {{"TH0", 0x06}, {"TL0", 0x06}},
     "250.000",
     "0.00"},
    {"timer 2 when asked",
     "8051",
     kMHz12,
     1000,
     {2, {}, {}},
     2,
     0,
     12,
     1000,
     {{"RCAP2H", 0xFC}, {"RCAP2L", 0x18}, {"TH2", 0xFC}, {"TL2", 0x18}},
     "1000.000",
     "0.00"},
    {"X2 counts Fosc/6",
     "8051-6t",
     kMHz12,
     1000,
     {0, 1, {}},
     0,
     1,
     6,
     2000,
     {{"TH0", 0xF8}, {"TL0", 0x30}},
     "1000.000",
     "0.00"},
    // Of two exact clocks, the slower.
    {"ds80c320 slower of two exact clocks",
     "ds80c320",
     kMHz12,
     1000,
     {0, 1, {}},
     0,
     1,
     12,
     1000,
     {{"TH0", 0xFC}, {"TL0", 0x18}},
     "1000.000",
     "0.00"},
    {"ds80c320 Fosc/4 where it is nearer",
     "ds80c320",
     kMHz11,
     1000,
     {0, 1, {}},
     0,
     1,
     4,
     2765,
     {{"TH0", 0xF5}, {"TL0", 0x33}},
     "1000.072",
     "+0.01"},
    // STC-ISP's timer calculator: 1 ms at 11.0592 MHz, 1T: TH0 = D4H, TL0 = CDH.
    {"stc15 1 ms 1T",
     "stc15",
     kMHz11,
     1000,
     {0, 0, 1},
     0,
     0,
     1,
     11059,
     {{"TH0", 0xD4}, {"TL0", 0xCD}},
     "999.982",
     "0.00"},
    {"stc15 1 ms 12T",
     "stc15",
     kMHz11,
     1000,
     {0, 0, 12},
     0,
     0,
     12,
     922,
     {{"TH0", 0xFC}, {"TL0", 0x66}},
     "1000.434",
     "+0.04"},
    {"stc8 best is 1T mode 0",
     "stc8",
     kMHz11,
     1000,
     {},
     0,
     0,
     1,
     11059,
     {{"TH0", 0xD4}, {"TL0", 0xCD}},
     "999.982",
     "0.00"},
};

TEST(TimerPlan, Figures) {
  for (const TimerCase& c : kTimerCases) {
    const TimerPlan plan = planTimer(timersOf(c.chip), c.crystalHz, R(c.periodUs), c.filter);
    ASSERT_TRUE(plan.best.has_value()) << c.what;
    const TimerOption& best = plan.options[*plan.best];
    EXPECT_EQ(best.timer->number, c.timer) << c.what;
    EXPECT_EQ(best.mode->mode, c.mode) << c.what;
    EXPECT_EQ(best.clock->divider, c.divider) << c.what;
    EXPECT_EQ(best.count.count, c.count) << c.what;
    EXPECT_EQ(bytesOf(best.registers), c.registers) << c.what;
    EXPECT_EQ(fixedText(best.count.actualUs, 3), c.actualUs) << c.what;
    EXPECT_EQ(fixedText(best.count.errorPercent, 2), c.errorPercent) << c.what;
  }
}

TEST(TimerPlan, ListsEveryChoiceOfTheFilter) {
  // 8051: timers 0 and 1 with modes 0-2, timer 2 with one: 7 choices of Fosc/12.
  EXPECT_EQ(planTimer(timersOf("8051"), kMHz12, R(1000)).options.size(), 7U);
  // ds80c320: the same at two clocks each.
  EXPECT_EQ(planTimer(timersOf("ds80c320"), kMHz12, R(1000)).options.size(), 14U);
  EXPECT_EQ(planTimer(timersOf("ds80c320"), kMHz12, R(1000), {1, {}, 4}).options.size(), 3U);
}

TEST(TimerPlan, NoChoiceReaches) {
  const mcu::Chip& chip = *mcu::findChip("8051");
  const TimerPlan tooLong = planTimer(timersOf("8051"), kMHz12, R(100'000));
  EXPECT_FALSE(tooLong.best.has_value());
  EXPECT_EQ(outOfReach(chip, tooLong, kMHz12, R(100'000)),
            "100 ms is beyond what the timers of 8051 make at 12 MHz: 1 us to 65.536 ms; for a "
            "longer period, count overflows in the interrupt routine");
  const TimerPlan tooShort = planTimer(timersOf("8051"), kMHz11, R(1, 2));
  EXPECT_FALSE(tooShort.best.has_value());
  EXPECT_EQ(
      outOfReach(chip, tooShort, kMHz11, R(1, 2)),
      "0.5 us is below what the timers of 8051 make at 11.0592 MHz: 1.085 us to 71.111111 ms");
  // Mode 2 alone reaches 256 counts.
  const TimerPlan mode2 = planTimer(timersOf("8051"), kMHz12, R(1000), {0, 2, {}});
  EXPECT_FALSE(mode2.best.has_value());
  EXPECT_EQ(outOfReach(chip, mode2, kMHz12, R(1000), {0, 2, {}}),
            "1 ms is beyond what timer 0 of 8051 in mode 2 makes at 12 MHz: 1 us to 256 us; for a "
            "longer period, count overflows in the interrupt routine");
  // Every timer in mode 2 at Fosc/12: the timers, as without a filter.
  const TimerPlan allMode2 = planTimer(timersOf("8051"), kMHz12, R(1000), {{}, 2, 12});
  EXPECT_EQ(
      outOfReach(chip, allMode2, kMHz12, R(1000), {{}, 2, 12}),
      "1 ms is beyond what the timers of 8051 in mode 2 counting Fosc/12 make at 12 MHz: 1 us "
      "to 256 us; for a longer period, count overflows in the interrupt routine");
}

TEST(TimerPlan, FilterProblems) {
  const mcu::Chip& chip = *mcu::findChip("8051");
  const mcu::TimerSet& set = timersOf("8051");
  const struct {
    TimerFilter filter;
    FilterField field;
    const char* line;
  } cases[] = {
      {{3, {}, {}}, FilterField::Timer, "8051 has no timer 3; its timers are 0, 1, 2"},
      {{2, 1, {}}, FilterField::Mode, "timer 2 of 8051 has no mode 1; its modes are 0"},
      {{{}, 3, {}}, FilterField::Mode, "8051 has no mode 3; its modes are 0, 1, 2"},
      {{0, {}, 4}, FilterField::Clock, "timer 0 of 8051 counts no Fosc/4; its clocks are Fosc/12"},
  };
  for (const auto& c : cases) {
    const auto problem = filterProblem(chip, set, c.filter);
    ASSERT_TRUE(problem.has_value()) << c.line;
    EXPECT_EQ(problem->message, c.line);
    EXPECT_EQ(problem->field, c.field) << c.line;
  }
  EXPECT_FALSE(filterProblem(chip, set, {1, 2, 12}).has_value());
}

struct UartCase {
  const char* what;
  const char* chip;
  Ratio crystalHz;
  std::uint64_t baud;
  std::optional<std::uint8_t> timer;
  int bestTimer;
  int mode;
  std::optional<std::uint8_t> smod;
  std::uint32_t divider;
  std::map<std::string, int> registers;
  const char* actualBaud;    // 2 places
  const char* errorPercent;  // 2 places
};

const std::vector<UartCase> kUartCases{
    {"11.0592 MHz 9600: timer 1, SMOD 0",
     "8051",
     kMHz11,
     9600,
     {},
     1,
     2,
     0,
     12,
     {{"TH1", 0xFD}, {"TL1", 0xFD}},
     "9600.00",
     "0.00"},
    // No timer 1 choice within 2 % at 12 MHz: the 8052's timer 2.
    {"12 MHz 9600: timer 2",
     "8051",
     kMHz12,
     9600,
     {},
     2,
     0,
     {},
     2,
     {{"RCAP2H", 0xFF}, {"RCAP2L", 0xD9}, {"TH2", 0xFF}, {"TL2", 0xD9}},
     "9615.38",
     "+0.16"},
    {"12 MHz 4800: timer 1, SMOD 1",
     "8051",
     kMHz12,
     4800,
     1,
     1,
     2,
     1,
     12,
     {{"TH1", 0xF3}, {"TL1", 0xF3}},
     "4807.69",
     "+0.16"},
    {"X2 doubles the rate",
     "8051-6t",
     kMHz11,
     19200,
     1,
     1,
     2,
     0,
     6,
     {{"TH1", 0xFD}, {"TL1", 0xFD}},
     "19200.00",
     "0.00"},
    // 14.7456 MHz, 115200 baud: Fosc/12 makes no whole count, Fosc/4 does.
    {"ds80c320 timer 1 at Fosc/4",
     "ds80c320",
     R(14'745'600),
     115200,
     1,
     1,
     2,
     0,
     4,
     {{"TH1", 0xFF}, {"TL1", 0xFF}},
     "115200.00",
     "0.00"},
    // STC-ISP: 11.0592 MHz, timer 2 at 1T: 9600 -> FEE0H, 115200 -> FFE8H.
    {"stc15 timer 2 9600",
     "stc15",
     kMHz11,
     9600,
     2,
     2,
     0,
     {},
     12,
     {{"T2H", 0xFF}, {"T2L", 0xE8}},
     "9600.00",
     "0.00"},
    {"stc8 timer 2 115200 at 22.1184 MHz",
     "stc8",
     R(22'118'400),
     115200,
     2,
     2,
     0,
     {},
     12,
     {{"T2H", 0xFF}, {"T2L", 0xFC}},
     "115200.00",
     "0.00"},
};

TEST(UartPlan, Figures) {
  for (const UartCase& c : kUartCases) {
    const UartPlan plan = planUart(timersOf(c.chip), c.crystalHz, R(c.baud), {c.timer});
    ASSERT_TRUE(plan.best.has_value()) << c.what;
    const UartOption& best = plan.options[*plan.best];
    EXPECT_EQ(best.source->timer, c.bestTimer) << c.what;
    EXPECT_EQ(best.source->mode, c.mode) << c.what;
    EXPECT_EQ(best.source->smod, c.smod) << c.what;
    EXPECT_EQ(best.clock->divider, c.divider) << c.what;
    EXPECT_EQ(bytesOf(best.registers), c.registers) << c.what;
    EXPECT_EQ(fixedText(best.count.actualBaud, 2), c.actualBaud) << c.what;
    EXPECT_EQ(fixedText(best.count.errorPercent, 2), c.errorPercent) << c.what;
  }
}

// STC data sheets: timer 1 mode 0 and timer 2 give SYSclk / 4 / (65536 -
// reload) at 1T and a twelfth of it at 12T; timer 1 mode 2 gives 2^SMOD / 32
// x timer clock / (256 - TH1).
TEST(UartPlan, StcReloadsAsTheDataSheetFormulas) {
  for (const char* chip : {"stc15", "stc8"}) {
    for (const std::uint64_t baud : {2400, 9600, 19200, 57600, 115200}) {
      const UartPlan plan = planUart(timersOf(chip), kMHz11, R(baud));
      for (const UartOption& o : plan.options) {
        const bool t12 = o.clock->divider == 12;
        const std::uint64_t smodFactor = o.source->smod.value_or(0) != 0 ? 2 : 1;
        const std::uint64_t perBit = o.source->width == 16 ? 4 : 32 / smodFactor;
        const Ratio wanted = R(11'059'200, perBit * baud * (t12 ? 12 : 1));
        EXPECT_EQ(o.count.wanted, wanted) << chip << " " << baud;
      }
    }
  }
}

TEST(UartPlan, NoChoiceWithin2Percent) {
  const mcu::Chip& chip = *mcu::findChip("8051");
  const UartPlan between = planUart(timersOf("8051"), kMHz12, R(115200));
  EXPECT_FALSE(between.best.has_value());
  EXPECT_EQ(uartOutOfReach(chip, between, kMHz12, R(115200)),
            "115200 baud is not within 2 % by any choice of 8051 at 12 MHz: the nearest are "
            "93750 baud (-18.62 %) and 125000 baud (+8.51 %)");
  const UartPlan slow = planUart(timersOf("8051"), kMHz12, R(1));
  EXPECT_FALSE(slow.best.has_value());
  EXPECT_EQ(uartOutOfReach(chip, slow, kMHz12, R(1)),
            "1 baud is not within 2 % by any choice of 8051 at 12 MHz: its rates reach from 5.72 "
            "baud to 375000 baud");
  // Timer 2 makes 9600 baud within 2 %: the line names the filter.
  const UartPlan timer1 = planUart(timersOf("8051"), kMHz12, R(9600), {1});
  EXPECT_EQ(uartOutOfReach(chip, timer1, kMHz12, R(9600), {1}),
            "9600 baud is not within 2 % by any choice of timer 1 of 8051 at 12 MHz: the nearest "
            "are 8928.57 baud (-6.99 %) and 10416.67 baud (+8.51 %)");
  const UartPlan smod0 = planUart(timersOf("8051"), kMHz12, R(9600), {{}, 2, 0, 12});
  EXPECT_EQ(
      uartOutOfReach(chip, smod0, kMHz12, R(9600), {{}, 2, 0, 12}),
      "9600 baud is not within 2 % by any choice of 8051 in mode 2 with SMOD 0 counting "
      "Fosc/12 at 12 MHz: the nearest are 7812.5 baud (-18.62 %) and 10416.67 baud (+8.51 %)");
}

// Each field keeps only its ways, and the fields together one row.
TEST(UartPlan, Filters) {
  const struct {
    const char* chip;
    UartFilter filter;
    std::vector<std::string> rows;  // timer, mode, SMOD (- where none) and clock
  } cases[] = {
      {"8051", {}, {"1 2 0 12", "1 2 1 12", "2 0 - 2"}},
      {"8051", {.smod = 1}, {"1 2 1 12"}},
      {"8051", {.clockDivider = 2}, {"2 0 - 2"}},
      {"8051", {.timer = 1, .mode = 2}, {"1 2 0 12", "1 2 1 12"}},
      {"ds80c320", {.clockDivider = 4}, {"1 2 0 4", "1 2 1 4"}},
      {"stc15", {.timer = 1, .mode = 0}, {"1 0 - 12", "1 0 - 1"}},
      {"stc15", {.timer = 1, .mode = 2, .smod = 0, .clockDivider = 1}, {"1 2 0 1"}},
      {"stc8", {.timer = 2, .clockDivider = 12}, {"2 0 - 12"}},
  };
  for (const auto& c : cases) {
    const UartPlan plan = planUart(timersOf(c.chip), kMHz11, R(9600), c.filter);
    std::vector<std::string> rows;
    for (const UartOption& o : plan.options) {
      rows.push_back(std::to_string(o.source->timer) + " " + std::to_string(o.source->mode) + " " +
                     (o.source->smod ? std::to_string(*o.source->smod) : "-") + " " +
                     std::to_string(o.clock->divider));
    }
    EXPECT_EQ(rows, c.rows) << c.chip << " " << c.rows.front();
  }
}

TEST(UartPlan, FilterProblems) {
  const struct {
    const char* chip;
    UartFilter filter;
    FilterField field;
    const char* line;  // "none" where the filter leaves a way
  } cases[] = {
      {"8051",
       {.timer = 0},
       FilterField::Timer,
       "8051 takes no baud rate from timer 0; it does from timers 1, 2"},
      {"8051",
       {.mode = 1},
       FilterField::Mode,
       "8051 takes no baud rate in mode 1; it does in modes 0, 2"},
      {"8051",
       {.timer = 1, .mode = 0},
       FilterField::Mode,
       "timer 1 of 8051 takes no baud rate in mode 0; it does in mode 2"},
      {"8051",
       {.timer = 2, .smod = 1},
       FilterField::Smod,
       "timer 2 of 8051 takes no baud rate with SMOD 1; SMOD takes no part in its baud rates"},
      {"stc15",
       {.timer = 1, .mode = 0, .smod = 0},
       FilterField::Smod,
       "timer 1 of stc15 in mode 0 takes no baud rate with SMOD 0; SMOD takes no part in its "
       "baud rates"},
      {"8051",
       {.timer = 1, .clockDivider = 2},
       FilterField::Clock,
       "timer 1 of 8051 counts no Fosc/2 for a baud rate; its clocks are Fosc/12"},
      {"8051",
       {.smod = 0, .clockDivider = 4},
       FilterField::Clock,
       "8051 with SMOD 0 counts no Fosc/4 for a baud rate; its clocks are Fosc/12"},
      {"ds80c320",
       {.clockDivider = 6},
       FilterField::Clock,
       "ds80c320 counts no Fosc/6 for a baud rate; its clocks are Fosc/2, Fosc/4, Fosc/12"},
      {"stc15", {.timer = 1, .mode = 2, .smod = 1, .clockDivider = 1}, FilterField::Timer, "none"},
      {"8051", {.timer = 2, .mode = 0, .clockDivider = 2}, FilterField::Timer, "none"},
  };
  for (const auto& c : cases) {
    const auto problem = uartFilterProblem(*mcu::findChip(c.chip), timersOf(c.chip), c.filter);
    EXPECT_EQ(problem ? problem->message : "none", c.line);
    EXPECT_EQ(problem ? problem->field : FilterField::Timer, c.field) << c.line;
  }
}

}  // namespace
