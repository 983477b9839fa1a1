// The chip tables: the published figures, their sources, and finding a chip.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "mcu/chip.h"

namespace {

using namespace delaysub::mcu;

struct Figure {
  const char* chip;
  Op op;
  std::uint32_t taken;
  std::uint32_t notTaken;
};

// Oscillator clocks as the documents print them (or, for 8051-6t, as follows
// from them), chosen where a slip in transcription would show.
const std::vector<Figure> kFigures{
    {"8051", Op::Nop, 12, 12},          {"8051", Op::MovRnImm, 12, 12},
    {"8051", Op::DjnzRn, 24, 24},       {"8051", Op::Lcall, 24, 24},
    {"8051", Op::Ret, 24, 24},          {"8051", Op::MovDirectImm, 24, 24},
    {"8051", Op::MovDirectA, 12, 12},   {"8051", Op::AnlDirectImm, 24, 24},
    {"8051-6t", Op::Nop, 6, 6},         {"8051-6t", Op::DjnzRn, 12, 12},
    {"8051-6t", Op::Lcall, 12, 12},     {"ds80c320", Op::Nop, 4, 4},
    {"ds80c320", Op::MovRnImm, 8, 8},   {"ds80c320", Op::DjnzRn, 12, 12},
    {"ds80c320", Op::Lcall, 16, 16},    {"ds80c320", Op::Acall, 12, 12},
    {"ds80c320", Op::Ret, 16, 16},      {"ds80c320", Op::MovDirectImm, 12, 12},
    {"ds80c320", Op::PushDirect, 8, 8}, {"ds80c320", Op::JnbBit, 16, 16},
};

TEST(Chips, PublishedClocks) {
  for (const Figure& f : kFigures) {
    const Chip* chip = findChip(f.chip);
    ASSERT_NE(chip, nullptr) << f.chip;
    const auto timing = timingOf(*chip, f.op);
    ASSERT_TRUE(timing.has_value()) << f.chip << " " << mnemonicOf(f.op);
    EXPECT_EQ(timing->clocks, f.taken) << f.chip << " " << mnemonicOf(f.op);
    EXPECT_EQ(timing->clocksNotTaken, f.notTaken) << f.chip << " " << mnemonicOf(f.op);
  }
}

TEST(Chips, FoundByNameOrAliasIgnoringCase) {
  const std::vector<std::pair<const char*, const char*>> cases{
      {"8051", "8051"},         {"AT89S52", "8051"},      {"Stc89", "8051"},
      {"8051-6T", "8051-6t"},   {"p89v51RD2", "8051-6t"}, {"DS80C320", "ds80c320"},
      {"ds87c520", "ds80c320"},
  };
  for (const auto& [typed, name] : cases) {
    const Chip* chip = findChip(typed);
    ASSERT_NE(chip, nullptr) << typed;
    EXPECT_EQ(chip->name, name) << typed;
  }
  for (const char* unknown : {"", "8050", "8051 ", "ds80c32", "8051-6tx"}) {
    EXPECT_EQ(findChip(unknown), nullptr) << '"' << unknown << '"';
  }
}

TEST(Chips, NamesAndAliasesAreUnique) {
  std::set<std::string> seen;
  for (const Chip& chip : chips()) {
    std::vector<std::string_view> names{chip.name};
    names.insert(names.end(), chip.aliases.begin(), chip.aliases.end());
    for (const std::string_view name : names) {
      std::string key;
      for (const char c : name) {
        key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      }
      EXPECT_TRUE(seen.insert(key).second) << name << " names two chips or twice one";
    }
  }
}

}  // namespace
