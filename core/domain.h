// The calculator's domain: the cores it computes for and the nesting depths of
// the delay routine, with their names. The window keeps them as the 16-bit
// codes cpu_type and loop_type; coreOf and nestingOf are the one place where
// a code becomes a value of these types (and an unknown code becomes none).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace delaysub::core {

// The cores, in the order of the window's core buttons.
enum class Core : std::int16_t { Mcs51 = 0, Avr = 1, W77e58 = 2 };
// The nesting depths of the delay routine, in the order of its buttons.
enum class Nesting : std::int16_t { Single = 0, Double = 1, Triple = 2 };

struct CoreInfo {
  Core core;
  std::string_view key;   // on the command line and in JSON: "mcs51"
  std::string_view name;  // for a person: "MCS-51"
};
inline constexpr std::array<CoreInfo, 3> kCores = {CoreInfo{Core::Mcs51, "mcs51", "MCS-51"},
                                                   CoreInfo{Core::Avr, "avr", "AVR"},
                                                   CoreInfo{Core::W77e58, "w77e58", "W77E58"}};

struct NestingInfo {
  Nesting nesting;
  int loops;              // 1, 2 or 3
  std::string_view name;  // "single loop"
};
inline constexpr std::array<NestingInfo, 3> kNestings = {
    NestingInfo{Nesting::Single, 1, "single loop"}, NestingInfo{Nesting::Double, 2, "double loop"},
    NestingInfo{Nesting::Triple, 3, "triple loop"}};

// The core of a cpu_type (0 MCS-51, 1 AVR, 2 W77E58); none for another code.
std::optional<Core> coreOf(std::int16_t cpu_type);
// The nesting of a loop_type (0 single, 1 double, 2 triple); none for another.
std::optional<Nesting> nestingOf(std::int16_t loop_type);
std::int16_t cpuTypeOf(Core core);
std::int16_t loopTypeOf(Nesting nesting);

const CoreInfo& infoOf(Core core);
const NestingInfo& infoOf(Nesting nesting);
inline std::string_view coreName(Core core) {
  return infoOf(core).name;
}
inline std::string_view nestingName(Nesting nesting) {
  return infoOf(nesting).name;
}
inline int loopsOf(Nesting nesting) {
  return infoOf(nesting).loops;
}

// The core whose routines time a cpu_type's delay: W77E58 for its code, the
// 12-clock MCS-51 for every other one (the window times AVR delays so too).
Core timedCoreOf(std::int16_t cpu_type);

// The AVR's baud rate comes from UBRR with the U2X doubler; the 8051 cores'
// from timer 1's TH1 with the SMOD doubler.
inline bool isAvr(Core core) {
  return core == Core::Avr;
}

}  // namespace delaysub::core
