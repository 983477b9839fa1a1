// Every chip, and finding a chip and an instruction's timing on it.
#include <algorithm>
#include <vector>

#include "mcu/chip.h"
#include "mcu/families.h"

namespace delaysub::mcu {

namespace {

constexpr char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return lower(x) == lower(y); });
}

std::vector<Chip> gather() {
  std::vector<Chip> all;
  for (const auto family : {detail::classicChips(), detail::singleClockChips()}) {
    all.insert(all.end(), family.begin(), family.end());
  }
  return all;
}

}  // namespace

std::span<const Chip> chips() {
  static const std::vector<Chip> all = gather();
  return all;
}

const Chip* findChip(std::string_view nameOrAlias) {
  for (const Chip& chip : chips()) {
    if (sameIgnoringCase(chip.name, nameOrAlias)) {
      return &chip;
    }
    for (const std::string_view alias : chip.aliases) {
      if (sameIgnoringCase(alias, nameOrAlias)) {
        return &chip;
      }
    }
  }
  return nullptr;
}

std::optional<InstructionTiming> timingOf(const Chip& chip, Op op) {
  for (const InstructionTiming& timing : chip.instructions) {
    if (timing.op == op) {
      return timing;
    }
  }
  return std::nullopt;
}

}  // namespace delaysub::mcu
