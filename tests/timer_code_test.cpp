// The set-up code of every chip with timer data, run in the executor: the
// registers it leaves (the settings of the chip's tables, the reload bytes,
// every other bit as it was), what the interrupt and send routines write, the
// text of each language, and the answers' errors.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "codegen/executor.h"
#include "codegen/timer_answer.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;

// Every register of the chip at a pattern, so that a bit the code should
// leave alone shows when it does not.
Machine patterned(const mcu::TimerSet& set) {
  Machine m;
  for (const mcu::Register& r : set.registers) {
    m.setDirect(r.address, static_cast<std::uint8_t>(0x5A ^ r.address));
  }
  return m;
}

// After the routine from entry: each setting's bits hold its value, each
// loaded register its byte, every other bit of the chip's registers its
// pattern.
void expectRegisters(const mcu::TimerSet& set, const InitCode& code, std::size_t entry,
                     const std::vector<mcu::BitSetting>& settings,
                     const std::vector<RegisterValue>& loads, const std::string& what) {
  const mcu::Chip* chip = nullptr;
  for (const mcu::Chip& c : mcu::chips()) {
    chip = mcu::timersOf(c) == &set ? &c : chip;
  }
  ASSERT_NE(chip, nullptr);
  // The register values do not depend on clocks: where the chip's table
  // lacks an instruction's clocks (stc8 gives only its loop instructions),
  // the instructions run with the STC15's.
  for (const Instruction& i : code.program.code) {
    if (!mcu::timingOf(*chip, i.op)) {
      chip = mcu::findChip("stc15");
    }
  }
  const Machine before = patterned(set);
  const Execution run = execute(code.program, *chip, entry, before);
  ASSERT_TRUE(run.finished) << what << ": " << run.problem;
  for (const mcu::Register& r : set.registers) {
    std::uint8_t mask = 0;
    std::uint8_t value = 0;
    for (const mcu::BitSetting& s : settings) {
      if (s.reg == r.name) {
        value = static_cast<std::uint8_t>((value & ~s.mask) | (s.value & s.mask));
        mask |= s.mask;
      }
    }
    for (const RegisterValue& l : loads) {
      if (l.name == r.name) {
        mask = 0xFF;
        value = l.value;
      }
    }
    const std::uint8_t was = before.direct(r.address);
    const auto expected = static_cast<std::uint8_t>((was & ~mask) | (value & mask));
    EXPECT_EQ(run.machine.direct(r.address), expected) << what << ": " << r.name;
  }
}

struct TimerCase {
  const char* chip;
  const char* crystal;
  const char* period;
  TimerFilter filter;
};

// Every timer, mode and clock of every chip with timer data, at 100 counts
// of 12 MHz.
struct Choice {
  const mcu::Chip* chip;
  TimerFilter filter;
};

std::vector<Choice> everyChoice() {
  std::vector<Choice> cases;
  for (const mcu::Chip& chip : mcu::chips()) {
    const mcu::TimerSet* set = mcu::timersOf(chip);
    for (const mcu::Timer& t : set != nullptr ? set->timers : std::span<const mcu::Timer>{}) {
      for (const mcu::TimerMode& m : t.modes) {
        for (const mcu::TimerClock& c : t.clocks) {
          cases.push_back({&chip, {t.number, m.mode, c.divider}});
        }
      }
    }
  }
  return cases;
}

TEST(TimerCode, SetsWhatTheTablesSayAndNothingElse) {
  const std::vector<Choice> cases = everyChoice();
  ASSERT_GE(cases.size(), 40U);
  for (const Choice& c : cases) {
    TimerRequest r{c.chip, Ratio::whole(12'000'000), Ratio::of(100 * *c.filter.clockDivider, 12),
                   c.filter};
    const auto outcome = makeTimer(r);
    const auto* a = std::get_if<TimerAnswer>(&outcome);
    ASSERT_NE(a, nullptr) << std::get<TimerError>(outcome).message;
    const mcu::TimerSet& set = *mcu::timersOf(*r.chip);
    const TimerOption& o = a->bestOption();
    const std::string what = std::string(c.chip->name) + " timer " +
                             std::to_string(o.timer->number) + " mode " +
                             std::to_string(o.mode->mode) + " " + clockText(o.clock->divider);
    std::vector<mcu::BitSetting> settings(o.clock->select.begin(), o.clock->select.end());
    settings.insert(settings.end(), o.mode->select.begin(), o.mode->select.end());
    if (const mcu::RegisterBit* flag = mcu::findBit(set, o.timer->flag)) {
      settings.push_back({flag->reg, static_cast<std::uint8_t>(1U << flag->bit), 0});
    }
    settings.push_back(o.timer->interruptEnable);
    settings.push_back({"IE", 0x80, 0x80});
    settings.push_back(o.timer->run);
    expectRegisters(set, a->init, 0, settings, o.registers, what + " init");
    // The interrupt routine: the corrected reload where the mode needs one,
    // the flag where the hardware leaves it.
    std::vector<mcu::BitSetting> isrSettings;
    if (const mcu::RegisterBit* flag = mcu::findBit(set, o.timer->flag);
        flag != nullptr && !o.timer->flagClearedOnVector) {
      isrSettings.push_back({flag->reg, static_cast<std::uint8_t>(1U << flag->bit), 0});
    }
    const std::vector<RegisterValue> isrLoads =
        o.mode->autoReload ? std::vector<RegisterValue>{}
                           : loadedBytes(o.mode->load, a->isrReload.value().reload);
    expectRegisters(set, a->init, *a->init.isrEntry, isrSettings, isrLoads, what + " isr");
  }
}

TEST(UartCode, SetsWhatTheTablesSayAndSends) {
  for (const mcu::Chip& chip : mcu::chips()) {
    const mcu::TimerSet* set = mcu::timersOf(chip);
    if (set == nullptr) {
      continue;
    }
    for (const std::uint8_t timer : {std::uint8_t{1}, std::uint8_t{2}}) {
      UartRequest r{&chip, *readFrequency("22.1184").value, Ratio::whole(9600), {timer}};
      const auto outcome = makeUart(r);
      const auto* a = std::get_if<UartAnswer>(&outcome);
      ASSERT_NE(a, nullptr) << std::get<TimerError>(outcome).message;
      const UartOption& o = a->bestOption();
      const std::string what = std::string(chip.name) + " uart timer " + std::to_string(timer);
      std::vector<mcu::BitSetting> settings{set->serialMode1};
      settings.insert(settings.end(), o.source->select.begin(), o.source->select.end());
      settings.insert(settings.end(), o.clock->select.begin(), o.clock->select.end());
      settings.push_back(mcu::findTimer(*set, timer)->run);
      expectRegisters(*set, a->init, 0, settings, o.registers, what);
      // Uart_Send: A into SBUF, then TI cleared once it is set.
      Machine m;
      m.setDirect(kAcc, 0x41);
      m.setBit(*mcu::bitAddressOf(*set, "TI"), true);
      const mcu::Chip& runs =
          mcu::timingOf(chip, mcu::Op::MovDirectA) ? chip : *mcu::findChip("stc15");
      const Execution send = execute(a->init.program, runs, *a->init.sendEntry, m);
      ASSERT_TRUE(send.finished) << what << ": " << send.problem;
      const std::vector<Write> writes{{0x99, 0x41}, {0x98, 0x00}};
      EXPECT_EQ(send.writes, writes) << what;
    }
  }
}

// The texts: TMOD by mask, the names the generic headers lack declared in
// each language's form, the interrupt routine as each compiler writes it.
struct TextCase {
  const char* chip;
  std::uint8_t timer;
  Language lang;
  std::vector<std::string> present;
  std::vector<std::string> absent;
};

TEST(TimerCode, Texts) {
  const std::vector<TextCase> cases{
      {"8051",
       0,
       Language::Asm,
       {"ANL     TMOD,#0F0H", "ORL     TMOD,#01H", "Timer0_Isr:\n"},
       {"MOV     TMOD", "DATA"}},
      {"8051",
       0,
       Language::C,
       {"TMOD &= 0xF0;", "TMOD |= 0x01;", "#ifdef __SDCC\nvoid Timer0_Isr(void) __interrupt(1)\n",
        "#else\nvoid Timer0_Isr(void) interrupt 1\n", "#include <reg51.h>", "#include <8051.h>"},
       {"TMOD = ", "sfr "}},
      {"8051",
       2,
       Language::Asm,
       {"T2CON   DATA    0C8H", "TR2     BIT     0CAH", "CLR     TF2"},
       {}},
      {"8051",
       2,
       Language::C,
       {"__sfr __at(0xCB) RCAP2H;", "sfr RCAP2H = 0xCB;", "sbit TR2 = 0xCA;", "TF2 = 0;",
        "__interrupt(5)", "interrupt 5"},
       {}},
      {"8051", 2, Language::Sdas, {"RCAP2H = 0xcb", "TR2 = 0xca", "setb    TR2"}, {}},
      {"stc15", 0, Language::Asm, {"AUXR    DATA    8EH", "ORL     AUXR,#80H"}, {}},
      {"stc15",
       0,
       Language::C,
       {"__sfr __at(0x8E) AUXR;", "sfr AUXR = 0x8E;", "AUXR |= 0x80;"},
       {}},
      {"ds80c320", 1, Language::C, {"sfr CKCON = 0x8E;", "CKCON |= 0x10;", "TMOD &= 0x0F;"}, {}},
  };
  for (const TextCase& c : cases) {
    TimerRequest r{mcu::findChip(c.chip),
                   *readFrequency("11.0592").value,
                   *readTime("1ms").value,
                   {c.timer, {}, {}},
                   c.lang};
    const auto outcome = makeTimer(r);
    const auto* a = std::get_if<TimerAnswer>(&outcome);
    ASSERT_NE(a, nullptr) << std::get<TimerError>(outcome).message;
    for (const std::string& text : c.present) {
      EXPECT_NE(a->code.find(text), std::string::npos) << text << " missing in:\n" << a->code;
    }
    for (const std::string& text : c.absent) {
      EXPECT_EQ(a->code.find(text), std::string::npos) << text << " present in:\n" << a->code;
    }
  }
}

TEST(TimerAnswer, InterruptRoutineReloadIsCorrected) {
  // 8051, 12 MHz, 1 ms in mode 1: 3 cycles of response, LJMP and MOV TH0.
  TimerRequest r{mcu::findChip("8051"), Ratio::whole(12'000'000), Ratio::whole(1000), {0, 1, {}}};
  auto outcome = makeTimer(r);
  const TimerAnswer& a = std::get<TimerAnswer>(outcome);
  ASSERT_TRUE(a.isrReload.has_value());
  EXPECT_EQ(a.bestOption().count.reload, 0xFC18U);
  EXPECT_EQ(a.isrReload->reload, 0xFC1FU);
  EXPECT_EQ(a.isrReload->correction, 7U);
  EXPECT_EQ(a.isrReload->responseClocks, 36U);
  EXPECT_NE(a.isrReload->note.find("0FC1FH"), std::string::npos) << a.isrReload->note;
  // The Dallas core: the routine's own clocks (LJMP 16, MOV 12) at Fosc/4, no
  // source for the response.
  r.chip = mcu::findChip("ds80c320");
  r.filter.clockDivider = 4;
  outcome = makeTimer(r);
  const TimerAnswer& d = std::get<TimerAnswer>(outcome);
  ASSERT_TRUE(d.isrReload.has_value());
  EXPECT_EQ(d.isrReload->correction, 7U);
  EXPECT_FALSE(d.isrReload->responseClocks.has_value());
  EXPECT_NE(d.isrReload->note.find("no source here gives"), std::string::npos);
  // An auto-reloading mode needs none.
  r.chip = mcu::findChip("8051");
  r.filter = {0, 2, {}};
  r.periodUs = Ratio::whole(250);
  EXPECT_FALSE(std::get<TimerAnswer>(makeTimer(r)).isrReload.has_value());
}

TEST(TimerAnswer, Errors) {
  const Ratio mhz12 = Ratio::whole(12'000'000);
  const std::vector<std::pair<TimerRequest, TimerError::Kind>> cases{
      {{mcu::findChip("c8051f"), mhz12, Ratio::whole(1000), {}}, TimerError::Kind::Unsupported},
      {{mcu::findChip("8051"), mhz12, Ratio::whole(1000), {3, {}, {}}}, TimerError::Kind::Usage},
      {{mcu::findChip("8051"), mhz12, Ratio::whole(100'000), {}}, TimerError::Kind::OutOfRange},
  };
  for (const auto& [request, kind] : cases) {
    const auto outcome = makeTimer(request);
    ASSERT_TRUE(std::holds_alternative<TimerError>(outcome));
    EXPECT_EQ(std::get<TimerError>(outcome).kind, kind) << std::get<TimerError>(outcome).message;
  }
  const auto uart = makeUart({mcu::findChip("8051"), mhz12, Ratio::whole(115200), {}});
  ASSERT_TRUE(std::holds_alternative<TimerError>(uart));
  EXPECT_EQ(std::get<TimerError>(uart).kind, TimerError::Kind::OutOfRange);
  const auto timer0 = makeUart({mcu::findChip("8051"), mhz12, Ratio::whole(9600), 0});
  ASSERT_TRUE(std::holds_alternative<TimerError>(timer0));
  EXPECT_EQ(std::get<TimerError>(timer0).kind, TimerError::Kind::Usage);
}

}  // namespace
