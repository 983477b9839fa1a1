// Finding a chip's timers, and a register or bit by name.
#include <array>
#include <utility>

#include "mcu/timer_tables.h"

namespace delaysub::mcu {

const TimerSet* timersOf(const Chip& chip) {
  using Lookup = const TimerSet* (*)();
  static constexpr std::array<std::pair<std::string_view, Lookup>, 5> kByChip{{
      {"8051", detail::classicTimers},
      {"8051-6t", detail::x2Timers},
      {"ds80c320", detail::dallasTimers},
      {"stc15", detail::stc15Timers},
      {"stc8", detail::stc8Timers},
  }};
  for (const auto& [name, lookup] : kByChip) {
    if (name == chip.name) {
      return lookup();
    }
  }
  return nullptr;
}

const Register* findRegister(const TimerSet& set, std::string_view name) {
  for (const Register& reg : set.registers) {
    if (reg.name == name) {
      return &reg;
    }
  }
  return nullptr;
}

const RegisterBit* findBit(const TimerSet& set, std::string_view name) {
  for (const RegisterBit& bit : set.bits) {
    if (bit.name == name) {
      return &bit;
    }
  }
  return nullptr;
}

std::optional<std::uint8_t> bitAddressOf(const TimerSet& set, std::string_view bitName) {
  const RegisterBit* bit = findBit(set, bitName);
  const Register* reg = bit != nullptr ? findRegister(set, bit->reg) : nullptr;
  if (reg == nullptr || reg->address % 8 != 0) {
    return std::nullopt;
  }
  return static_cast<std::uint8_t>(reg->address + bit->bit);
}

const Timer* findTimer(const TimerSet& set, std::uint8_t number) {
  for (const Timer& timer : set.timers) {
    if (timer.number == number) {
      return &timer;
    }
  }
  return nullptr;
}

}  // namespace delaysub::mcu
