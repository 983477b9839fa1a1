// The chip tables: the published figures, their sources, and finding a chip.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "mcu/chip.h"

namespace {

using namespace delaysub::mcu;

const Chip& chip(const char* name) {
  const Chip* found = findChip(name);
  EXPECT_NE(found, nullptr) << name;
  static const Chip kNone{};
  return found != nullptr ? *found : kNone;
}

// The counts as published, by first byte (R0 form), in oscillator or system
// clocks, transcribed from cyrozap/8051-timing-db: cycles_8051_published.csv,
// cycles_DS80C320_published.csv, cycles_STC-Y5_published.csv,
// cycles_CIP-51_published.csv (the not-taken count of a conditional jump) and
// cycles_AT89LP51_published.csv.
struct Published {
  const char* chip;
  std::map<std::uint8_t, std::uint32_t> clocks;
};
const std::vector<Published> kPublished{
    {"8051", {{0x00, 12}, {0x78, 12}, {0xD8, 24}, {0x80, 24}, {0x12, 24}, {0x11, 24}, {0x22, 24},
              {0x32, 24}, {0xC0, 24}, {0xD0, 24}, {0x75, 24}, {0xF5, 12}, {0x74, 12}, {0x53, 24},
              {0x43, 24}, {0xD2, 12}, {0xC2, 12}, {0x30, 24}, {0x10, 24}, {0x02, 24}, {0x20, 24}}},
    {"ds80c320",
     {{0x00, 4},  {0x78, 8}, {0xD8, 12}, {0x80, 12}, {0x12, 16}, {0x11, 12}, {0x22, 16},
      {0x32, 16}, {0xC0, 8}, {0xD0, 8},  {0x75, 12}, {0xF5, 8},  {0x74, 8},  {0x53, 12},
      {0x43, 12}, {0xD2, 8}, {0xC2, 8},  {0x30, 16}, {0x10, 16}, {0x02, 16}, {0x20, 16}}},
    {"stc15", {{0x00, 1}, {0x78, 2}, {0xD8, 4}, {0x80, 3}, {0x12, 4}, {0x11, 4}, {0x22, 4},
               {0x32, 4}, {0xC0, 3}, {0xD0, 2}, {0x75, 3}, {0xF5, 2}, {0x74, 2}, {0x53, 3},
               {0x43, 3}, {0xD2, 3}, {0xC2, 3}, {0x30, 5}, {0x10, 5}, {0x02, 4}, {0x20, 5}}},
    {"c8051f", {{0x00, 1}, {0x78, 2}, {0xD8, 2}, {0x80, 3}, {0x12, 4}, {0x11, 3}, {0x22, 5},
                {0x32, 5}, {0xC0, 2}, {0xD0, 2}, {0x75, 3}, {0xF5, 2}, {0x74, 2}, {0x53, 3},
                {0x43, 3}, {0xD2, 2}, {0xC2, 2}, {0x30, 3}, {0x10, 3}, {0x02, 4}, {0x20, 3}}},
    {"at89lp", {{0x00, 1}, {0x78, 2}, {0xD8, 3}, {0x80, 3}, {0x12, 4}, {0x11, 3}, {0x22, 4},
                {0x32, 4}, {0xC0, 2}, {0xD0, 2}, {0x75, 3}, {0xF5, 2}, {0x74, 2}, {0x53, 3},
                {0x43, 3}, {0xD2, 2}, {0xC2, 2}, {0x30, 4}, {0x10, 4}, {0x02, 4}, {0x20, 4}}},
};

TEST(Chips, TablesMatchThePublishedCounts) {
  for (const Published& p : kPublished) {
    const Chip& c = chip(p.chip);
    EXPECT_EQ(c.instructions.size(), p.clocks.size()) << p.chip;
    for (const InstructionTiming& t : c.instructions) {
      const auto it = p.clocks.find(opcodeOf(t.op));
      ASSERT_NE(it, p.clocks.end()) << p.chip << " " << mnemonicOf(t.op);
      EXPECT_EQ(t.clocksNotTaken, it->second) << p.chip << " " << mnemonicOf(t.op);
    }
  }
}

struct Figure {
  const char* chip;
  Op op;
  std::uint32_t taken;
  std::uint32_t notTaken;
};

// The figures no transcription above holds: the 6-clock mode, STC8, and the
// counts of jumps taken.
const std::vector<Figure> kFigures{
    {"8051", Op::DjnzRn, 24, 24},    {"ds80c320", Op::DjnzRn, 12, 12},
    {"8051-6t", Op::Nop, 6, 6},      {"8051-6t", Op::MovRnImm, 6, 6},
    {"8051-6t", Op::DjnzRn, 12, 12}, {"8051-6t", Op::Lcall, 12, 12},
    {"8051-6t", Op::Ret, 12, 12},    {"8051-6t", Op::MovDirectA, 6, 6},
    {"stc8", Op::Nop, 1, 1},         {"stc8", Op::MovRnImm, 1, 1},
    {"stc8", Op::DjnzRn, 3, 2},      {"stc8", Op::Lcall, 3, 3},
    {"stc8", Op::Ret, 3, 3},         {"c8051f", Op::DjnzRn, 3, 2},
    {"c8051f", Op::JnbBit, 4, 3},    {"c8051f", Op::JbBit, 4, 3},
    {"stc15", Op::DjnzRn, 4, 4},     {"at89lp", Op::DjnzRn, 3, 3},
};

TEST(Chips, TakenAndNotTakenCounts) {
  for (const Figure& f : kFigures) {
    const auto timing = timingOf(chip(f.chip), f.op);
    ASSERT_TRUE(timing.has_value()) << f.chip << " " << mnemonicOf(f.op);
    EXPECT_EQ(timing->clocks, f.taken) << f.chip << " " << mnemonicOf(f.op);
    EXPECT_EQ(timing->clocksNotTaken, f.notTaken) << f.chip << " " << mnemonicOf(f.op);
  }
}

// A counter chain of the delay calculators' idiom, outermost first:
// do { do { while (--k); } while (--j); } while (--i); an inner counter starts
// each later pass from 0 (256 turns). Counts the DJNZ clocks.
std::uint64_t chainClocks(const Chip& c, std::vector<unsigned>& counters, std::size_t level = 0) {
  const auto djnz = *timingOf(c, Op::DjnzRn);
  std::uint64_t clocks = 0;
  for (;;) {
    if (level + 1 < counters.size()) {
      clocks += chainClocks(c, counters, level + 1);  // leaves the inner counter at 0
    }
    counters[level] = (counters[level] + 255) % 256;
    if (counters[level] == 0) {
      return clocks + djnz.clocksNotTaken;
    }
    clocks += djnz.clocks;
  }
}

struct Routine {
  const char* chip;
  double crystalHz;
  double seconds;
  unsigned nops;
  std::vector<unsigned> counters;
};

// Published delay routines of the STC-ISP delay calculator for its STC-Y1
// (classic 12-clock), STC-Y5 (STC15) and STC-Y6 (STC8) instruction sets, as
// found in public code and posts (e.g. blog.csdn.net/weixin_43879841/article/
// details/107352206). Counted from the LCALL to the end of the RET, each takes
// the wanted time to within one machine cycle.
const std::vector<Routine> kRoutines{
    {"8051", 11.0592e6, 1e-3, 1, {2, 199}},   {"8051", 12e6, 1e-3, 0, {2, 239}},
    {"8051", 12e6, 100e-6, 1, {47}},          {"stc15", 11.0592e6, 1e-3, 3, {11, 190}},
    {"stc15", 11.0592e6, 1e-6, 3, {}},        {"stc8", 11.0592e6, 1e-3, 0, {15, 90}},
    {"stc8", 11.0592e6, 1e-6, 2, {1}},        {"stc8", 24e6, 1e-6, 0, {6}},
    {"stc8", 24e6, 10e-6, 0, {78}},           {"stc8", 24e6, 100e-6, 0, {4, 27}},
    {"stc8", 24e6, 1e-3, 1, {32, 40}},        {"stc8", 24e6, 10e-3, 0, {2, 56, 172}},
    {"stc8", 24e6, 100e-3, 2, {13, 45, 214}}, {"stc8", 12e6, 5e-6, 0, {18}},
    {"stc8", 12e6, 5e-3, 2, {78, 233}},
};

TEST(Chips, PublishedDelayRoutinesTakeTheirTime) {
  for (const Routine& r : kRoutines) {
    const Chip& c = chip(r.chip);
    std::uint64_t clocks = timingOf(c, Op::Lcall)->clocks + timingOf(c, Op::Ret)->clocks;
    clocks += r.nops * timingOf(c, Op::Nop)->clocks;
    clocks += r.counters.size() * timingOf(c, Op::MovRnImm)->clocks;
    if (!r.counters.empty()) {
      std::vector<unsigned> counters = r.counters;
      clocks += chainClocks(c, counters);
    }
    const double wanted = r.crystalHz * r.seconds;
    EXPECT_LT(std::abs(static_cast<double>(clocks) - wanted), c.clocksPerCycle)
        << r.chip << " " << r.seconds << " s at " << r.crystalHz << " Hz: " << clocks;
  }
}

TEST(Chips, EveryNumberHasItsSource) {
  const auto sourced = [](const Source& s, const std::string& what) {
    EXPECT_FALSE(s.document.empty()) << what;
    EXPECT_FALSE(s.where.empty()) << what;
    EXPECT_TRUE(!s.inferred || !s.note.empty()) << what << ": inferred without saying how";
  };
  for (const Chip& c : chips()) {
    const std::string name(c.name);
    EXPECT_FALSE(c.description.empty()) << name;
    EXPECT_TRUE(std::set<std::uint32_t>({1, 4, 6, 12}).count(c.clocksPerCycle)) << name;
    sourced(c.source, name + " clocks per cycle");
    std::set<Op> seen;
    for (const InstructionTiming& t : c.instructions) {
      const std::string what = name + " " + std::string(mnemonicOf(t.op));
      EXPECT_TRUE(seen.insert(t.op).second) << what << " twice";
      sourced(t.source, what);
      EXPECT_GE(t.clocks, t.clocksNotTaken) << what;
      EXPECT_EQ(t.clocksNotTaken % c.clocksPerCycle, 0U) << what << " is not whole cycles";
      EXPECT_EQ(t.clocks % c.clocksPerCycle, 0U) << what << " is not whole cycles";
    }
  }
}

TEST(Chips, EveryChipHasWhatADelayRoutineNeeds) {
  for (const Chip& c : chips()) {
    for (const Op op : {Op::Nop, Op::MovRnImm, Op::DjnzRn, Op::Lcall, Op::Ret}) {
      const auto timing = timingOf(c, op);
      ASSERT_TRUE(timing.has_value()) << c.name << " lacks " << mnemonicOf(op);
      EXPECT_GT(timing->clocksNotTaken, 0U) << c.name << " " << mnemonicOf(op);
    }
  }
}

TEST(Chips, ListedInOrder) {
  std::vector<std::string> names;
  for (const Chip& c : chips()) {
    names.emplace_back(c.name);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"8051", "8051-6t", "ds80c320", "stc15", "stc8",
                                             "c8051f", "at89lp"}));
}

TEST(Chips, FoundByNameOrAliasIgnoringCase) {
  const std::vector<std::pair<const char*, const char*>> cases{
      {"8051", "8051"},         {"AT89S52", "8051"},      {"Stc89", "8051"},
      {"8051-6T", "8051-6t"},   {"p89v51RD2", "8051-6t"}, {"DS80C320", "ds80c320"},
      {"ds87c520", "ds80c320"}, {"STC15", "stc15"},       {"STC15W", "stc15"},
      {"Stc8H", "stc8"},        {"STC-Y6", "stc8"},       {"C8051F", "c8051f"},
      {"CIP-51", "c8051f"},     {"AT89LP52", "at89lp"},
  };
  for (const auto& [typed, name] : cases) {
    const Chip* c = findChip(typed);
    ASSERT_NE(c, nullptr) << typed;
    EXPECT_EQ(c->name, name) << typed;
  }
  for (const char* unknown : {"", "8050", "8051 ", " stc8", "ds80c32", "8051-6tx", "stc"}) {
    EXPECT_EQ(findChip(unknown), nullptr) << '"' << unknown << '"';
  }
}

TEST(Chips, NamesAndAliasesAreUnique) {
  std::set<std::string> seen;
  for (const Chip& c : chips()) {
    std::vector<std::string_view> names{c.name};
    names.insert(names.end(), c.aliases.begin(), c.aliases.end());
    for (const std::string_view name : names) {
      std::string key;
      for (const char ch : name) {
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      }
      EXPECT_TRUE(seen.insert(key).second) << name << " names two chips or one twice";
    }
  }
}

struct Encoding {
  Op op;
  const char* mnemonic;
  std::uint8_t opcode;
  std::uint32_t bytes;
};

// cyrozap/8051-timing-db opcode_map.csv.
const std::vector<Encoding> kEncodings{
    {Op::Nop, "NOP", 0x00, 1},
    {Op::MovRnImm, "MOV Rn,#data", 0x78, 2},
    {Op::DjnzRn, "DJNZ Rn,rel", 0xD8, 2},
    {Op::Sjmp, "SJMP rel", 0x80, 2},
    {Op::Lcall, "LCALL addr16", 0x12, 3},
    {Op::Acall, "ACALL addr11", 0x11, 2},
    {Op::Ret, "RET", 0x22, 1},
    {Op::Reti, "RETI", 0x32, 1},
    {Op::PushDirect, "PUSH direct", 0xC0, 2},
    {Op::PopDirect, "POP direct", 0xD0, 2},
    {Op::MovDirectImm, "MOV direct,#data", 0x75, 3},
    {Op::MovDirectA, "MOV direct,A", 0xF5, 2},
    {Op::MovAImm, "MOV A,#data", 0x74, 2},
    {Op::AnlDirectImm, "ANL direct,#data", 0x53, 3},
    {Op::OrlDirectImm, "ORL direct,#data", 0x43, 3},
    {Op::SetbBit, "SETB bit", 0xD2, 2},
    {Op::ClrBit, "CLR bit", 0xC2, 2},
    {Op::JnbBit, "JNB bit,rel", 0x30, 3},
    {Op::JbcBit, "JBC bit,rel", 0x10, 3},
    {Op::Ljmp, "LJMP addr16", 0x02, 3},
    {Op::JbBit, "JB bit,rel", 0x20, 3},
};

TEST(Ops, EncodingsMatchTheOpcodeMap) {
  ASSERT_EQ(allOps().size(), kEncodings.size());
  for (const Encoding& e : kEncodings) {
    EXPECT_EQ(mnemonicOf(e.op), e.mnemonic);
    EXPECT_EQ(opcodeOf(e.op), e.opcode) << e.mnemonic;
    EXPECT_EQ(bytesOf(e.op), e.bytes) << e.mnemonic;
  }
}

}  // namespace
