// The timer and serial-port tables: datasheet and calculator figures worked
// out from the data, the registers behind them, and their sources.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mcu/chip.h"
#include "mcu/timers.h"

namespace {

using namespace delaysub::mcu;
using Bytes = std::map<std::string, unsigned>;

const TimerSet& timersOfChip(const char* name) {
  const Chip* c = findChip(name);
  const TimerSet* set = c != nullptr ? timersOf(*c) : nullptr;
  EXPECT_NE(set, nullptr) << name;
  static const TimerSet kNone{};
  return set != nullptr ? *set : kNone;
}

// The nearest whole number to num / den.
std::uint64_t nearest(std::uint64_t num, std::uint64_t den) {
  return (2 * num + den) / (2 * den);
}

Bytes loaded(std::span<const ValueRegister> load, std::uint32_t value) {
  Bytes bytes;
  for (const ValueRegister& r : load) {
    bytes[std::string(r.reg)] = (value >> r.shift) & r.mask;
  }
  return bytes;
}

const TimerClock* clockOf(std::span<const TimerClock> clocks, std::uint32_t divider) {
  for (const TimerClock& c : clocks) {
    if (c.divider == divider) {
      return &c;
    }
  }
  return nullptr;
}

struct PeriodCase {
  const char* chip;
  std::uint8_t timer;
  std::uint8_t mode;
  std::uint32_t divider;
  std::uint64_t crystalHz;
  std::uint64_t periodNs;
  Bytes registers;
};

// Datasheet examples and the STC-ISP timer calculator's values.
const std::vector<PeriodCase> kPeriods{
    {"8051", 0, 1, 12, 12000000, 1000000, {{"TH0", 0xFC}, {"TL0", 0x18}}},
    {"8051", 0, 2, 12, 11059200, 250000, {{"TH0", 0x1A}, {"TL0", 0x1A}}},
    {"8051", 0, 0, 12, 12000000, 1000000, {{"TH0", 0xE0}, {"TL0", 0x18}}},
    {"8051", 1, 1, 12, 12000000, 50000000, {{"TH1", 0x3C}, {"TL1", 0xB0}}},
    {"8051",
     2,
     0,
     12,
     12000000,
     1000000,
     {{"RCAP2H", 0xFC}, {"RCAP2L", 0x18}, {"TH2", 0xFC}, {"TL2", 0x18}}},
    {"8051-6t", 0, 1, 6, 12000000, 1000000, {{"TH0", 0xF8}, {"TL0", 0x30}}},
    {"ds80c320", 0, 1, 4, 12000000, 1000000, {{"TH0", 0xF4}, {"TL0", 0x48}}},
    {"ds80c320", 1, 1, 12, 12000000, 1000000, {{"TH1", 0xFC}, {"TL1", 0x18}}},
    {"stc15", 0, 0, 1, 11059200, 1000000, {{"TH0", 0xD4}, {"TL0", 0xCD}}},
    {"stc15", 0, 0, 12, 11059200, 1000000, {{"TH0", 0xFC}, {"TL0", 0x66}}},
    {"stc8", 2, 0, 1, 24000000, 1000000, {{"T2H", 0xA2}, {"T2L", 0x40}}},
};

TEST(Timers, PeriodsGiveThePublishedReloads) {
  for (const PeriodCase& p : kPeriods) {
    const std::string what = std::string(p.chip) + " timer " + std::to_string(p.timer) + " mode " +
                             std::to_string(p.mode);
    const Timer* timer = findTimer(timersOfChip(p.chip), p.timer);
    ASSERT_NE(timer, nullptr) << what;
    ASSERT_NE(clockOf(timer->clocks, p.divider), nullptr) << what << " /" << p.divider;
    const TimerMode* mode = nullptr;
    for (const TimerMode& m : timer->modes) {
      mode = m.mode == p.mode ? &m : mode;
    }
    ASSERT_NE(mode, nullptr) << what;
    const std::uint64_t count = nearest(p.crystalHz * p.periodNs, p.divider * 1000000000ULL);
    const auto reload = static_cast<std::uint32_t>((1ULL << mode->width) - count);
    EXPECT_EQ(loaded(mode->load, reload), p.registers) << what;
  }
}

struct BaudCase {
  const char* chip;
  std::uint8_t timer;
  std::uint8_t mode;
  std::optional<std::uint8_t> smod;
  std::uint32_t divider;
  std::uint64_t crystalHz;
  std::uint64_t baud;
  Bytes registers;
  std::uint64_t actualBaud;  // rounded down
};

// Datasheet baud rate tables, Keil's timer 2 column and the STC-ISP baud
// calculator.
const std::vector<BaudCase> kBauds{
    {"8051", 1, 2, 0, 12, 11059200, 9600, {{"TH1", 0xFD}, {"TL1", 0xFD}}, 9600},
    {"8051", 1, 2, 1, 12, 11059200, 19200, {{"TH1", 0xFD}, {"TL1", 0xFD}}, 19200},
    {"8051", 1, 2, 0, 12, 12000000, 2400, {{"TH1", 0xF3}, {"TL1", 0xF3}}, 2403},
    {"8051",
     2,
     0,
     std::nullopt,
     2,
     12000000,
     9600,
     {{"RCAP2H", 0xFF}, {"RCAP2L", 0xD9}, {"TH2", 0xFF}, {"TL2", 0xD9}},
     9615},
    {"8051-6t", 1, 2, 0, 6, 11059200, 19200, {{"TH1", 0xFD}, {"TL1", 0xFD}}, 19200},
    {"ds80c320", 1, 2, 1, 4, 11059200, 57600, {{"TH1", 0xFD}, {"TL1", 0xFD}}, 57600},
    {"stc15", 1, 0, std::nullopt, 1, 22118400, 115200, {{"TH1", 0xFF}, {"TL1", 0xD0}}, 115200},
    {"stc15", 1, 2, 0, 12, 11059200, 9600, {{"TH1", 0xFD}, {"TL1", 0xFD}}, 9600},
    {"stc8", 2, 0, std::nullopt, 1, 24000000, 115200, {{"T2H", 0xFF}, {"T2L", 0xCC}}, 115384},
};

TEST(Timers, BaudRatesGiveThePublishedReloads) {
  for (const BaudCase& b : kBauds) {
    const std::string what = std::string(b.chip) + " timer " + std::to_string(b.timer) + " " +
                             std::to_string(b.baud) + " baud";
    const BaudSource* source = nullptr;
    for (const BaudSource& s : timersOfChip(b.chip).baudSources) {
      source = s.timer == b.timer && s.mode == b.mode && s.smod == b.smod ? &s : source;
    }
    ASSERT_NE(source, nullptr) << what;
    ASSERT_NE(clockOf(source->clocks, b.divider), nullptr) << what << " /" << b.divider;
    const std::uint64_t perBit = b.divider * source->baudDivider;
    const std::uint64_t count = nearest(b.crystalHz, perBit * b.baud);
    const auto reload = static_cast<std::uint32_t>((1ULL << source->width) - count);
    EXPECT_EQ(loaded(source->load, reload), b.registers) << what;
    EXPECT_EQ(b.crystalHz / (perBit * count), b.actualBaud) << what;
  }
}

TEST(Timers, ModeZeroDiffersBetweenClassicAndStc) {
  const std::vector<std::tuple<const char*, std::uint8_t, bool>> cases{
      {"8051", 13, false}, {"8051-6t", 13, false}, {"ds80c320", 13, false},
      {"stc15", 16, true}, {"stc8", 16, true},
  };
  for (const auto& [chip, width, autoReload] : cases) {
    for (const std::uint8_t number : {std::uint8_t{0}, std::uint8_t{1}}) {
      const Timer* timer = findTimer(timersOfChip(chip), number);
      ASSERT_NE(timer, nullptr) << chip;
      ASSERT_FALSE(timer->modes.empty()) << chip;
      EXPECT_EQ(timer->modes[0].mode, 0) << chip;
      EXPECT_EQ(timer->modes[0].width, width) << chip << " timer " << int{number};
      EXPECT_EQ(timer->modes[0].autoReload, autoReload) << chip << " timer " << int{number};
    }
  }
}

TEST(Timers, RegistersAtTheirAddresses) {
  const std::vector<std::tuple<const char*, const char*, unsigned>> cases{
      {"8051", "TMOD", 0x89},      {"8051", "TCON", 0x88},  {"8051", "TL0", 0x8A},
      {"8051", "TH0", 0x8C},       {"8051", "TL1", 0x8B},   {"8051", "TH1", 0x8D},
      {"8051", "PCON", 0x87},      {"8051", "SCON", 0x98},  {"8051", "SBUF", 0x99},
      {"8051", "IE", 0xA8},        {"8051", "T2CON", 0xC8}, {"8051", "RCAP2L", 0xCA},
      {"8051", "RCAP2H", 0xCB},    {"8051", "TL2", 0xCC},   {"8051", "TH2", 0xCD},
      {"ds80c320", "CKCON", 0x8E}, {"stc15", "AUXR", 0x8E}, {"stc15", "T2H", 0xD6},
      {"stc15", "T2L", 0xD7},      {"stc8", "AUXR", 0x8E},  {"stc8", "IE2", 0xAF},
  };
  for (const auto& [chip, name, address] : cases) {
    const Register* reg = findRegister(timersOfChip(chip), name);
    ASSERT_NE(reg, nullptr) << chip << " " << name;
    EXPECT_EQ(reg->address, address) << chip << " " << name;
  }
  EXPECT_EQ(findRegister(timersOfChip("8051"), "AUXR"), nullptr);
  EXPECT_EQ(findRegister(timersOfChip("stc15"), "T2CON"), nullptr);
}

TEST(Timers, BitAddresses) {
  const std::vector<std::tuple<const char*, const char*, std::optional<std::uint8_t>>> cases{
      {"8051", "TR0", 0x8C},
      {"8051", "TF1", 0x8F},
      {"8051", "TI", 0x99},
      {"8051", "RI", 0x98},
      {"8051", "EA", 0xAF},
      {"8051", "ET2", 0xAD},
      {"8051", "TR2", 0xCA},
      {"8051", "TF2", 0xCF},
      {"8051", "SMOD", std::nullopt},
      {"8051", "T0x12", std::nullopt},
      {"stc15", "T0x12", std::nullopt},
      {"stc15", "ET2", std::nullopt},
      {"ds80c320", "T1M", std::nullopt},
      {"stc8", "TR1", 0x8E},
  };
  for (const auto& [chip, bit, address] : cases) {
    EXPECT_EQ(bitAddressOf(timersOfChip(chip), bit), address) << chip << " " << bit;
  }
}

TEST(Timers, VectorsAndWhoHasTimer2) {
  const std::vector<std::tuple<const char*, std::uint8_t, unsigned, unsigned, bool>> cases{
      {"8051", 0, 0x000B, 1, false},   {"8051", 1, 0x001B, 3, false},
      {"8051", 2, 0x002B, 5, true},    {"ds80c320", 2, 0x002B, 5, false},
      {"stc15", 2, 0x0063, 12, false}, {"stc8", 2, 0x0063, 12, false},
  };
  for (const auto& [chip, number, vector, interrupt, onlySome] : cases) {
    const Timer* timer = findTimer(timersOfChip(chip), number);
    ASSERT_NE(timer, nullptr) << chip << " timer " << int{number};
    EXPECT_EQ(timer->vector, vector) << chip << " timer " << int{number};
    EXPECT_EQ(timer->interruptNumber, interrupt) << chip << " timer " << int{number};
    EXPECT_EQ(!timer->onlyOn.empty(), onlySome) << chip << " timer " << int{number};
  }
}

// Every name the settings use is a register or bit of the chip, every value
// fits its mask, and a mode's load covers exactly its counter's bits.
void expectConsistent(const Chip& chip, const TimerSet& set) {
  const std::string name(chip.name);
  std::set<std::string_view> names;
  std::set<unsigned> addresses;
  for (const Register& r : set.registers) {
    EXPECT_TRUE(names.insert(r.name).second) << name << " " << r.name << " twice";
    EXPECT_TRUE(addresses.insert(r.address).second) << name << " " << r.name;
    EXPECT_FALSE(r.source.document.empty()) << name << " " << r.name;
  }
  for (const RegisterBit& b : set.bits) {
    EXPECT_NE(findRegister(set, b.reg), nullptr) << name << " " << b.name;
    EXPECT_LT(b.bit, 8) << name << " " << b.name;
    EXPECT_FALSE(b.source.where.empty()) << name << " " << b.name;
  }
  const auto setting = [&](const BitSetting& s) {
    EXPECT_NE(findRegister(set, s.reg), nullptr) << name << " " << s.reg;
    EXPECT_EQ(s.value & ~s.mask, 0) << name << " " << s.reg;
    EXPECT_NE(s.mask, 0) << name << " " << s.reg;
  };
  const auto loads = [&](std::span<const ValueRegister> load, unsigned width) {
    std::uint32_t covered = 0;
    for (const ValueRegister& r : load) {
      EXPECT_NE(findRegister(set, r.reg), nullptr) << name << " " << r.reg;
      covered |= std::uint32_t{r.mask} << r.shift;
    }
    EXPECT_EQ(covered, (1U << width) - 1) << name << " load of a " << width << "-bit counter";
  };
  setting(set.serialMode1);
  for (const Timer& t : set.timers) {
    setting(t.run);
    setting(t.interruptEnable);
    EXPECT_TRUE(t.flag.empty() || findBit(set, t.flag) != nullptr) << name << " " << t.flag;
    EXPECT_FALSE(t.modes.empty() || t.clocks.empty()) << name << " timer " << int{t.number};
    for (const TimerMode& m : t.modes) {
      EXPECT_TRUE(m.width == 8 || m.width == 13 || m.width == 16) << name;
      EXPECT_FALSE(m.source.document.empty()) << name << " " << m.name;
      loads(m.load, m.width);
      std::for_each(m.select.begin(), m.select.end(), setting);
    }
    for (const TimerClock& c : t.clocks) {
      EXPECT_TRUE(c.divider == 1 || c.divider == 4 || c.divider == 6 || c.divider == 12);
      EXPECT_FALSE(c.source.where.empty()) << name << " /" << c.divider;
      std::for_each(c.select.begin(), c.select.end(), setting);
    }
  }
  for (const BaudSource& b : set.baudSources) {
    EXPECT_NE(findTimer(set, b.timer), nullptr) << name;
    EXPECT_FALSE(b.source.document.empty() || b.clocks.empty()) << name;
    loads(b.load, b.width);
    std::for_each(b.select.begin(), b.select.end(), setting);
  }
}

TEST(Timers, TablesAreConsistentAndSourced) {
  std::vector<std::string> described;
  for (const Chip& chip : chips()) {
    if (const TimerSet* set = timersOf(chip)) {
      described.emplace_back(chip.name);
      expectConsistent(chip, *set);
    }
  }
  // C8051F and AT89LP timers differ by family and fuse; no document here
  // describes them.
  EXPECT_EQ(described, (std::vector<std::string>{"8051", "8051-6t", "ds80c320", "stc15", "stc8"}));
}

}  // namespace
