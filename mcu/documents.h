// The documents the chip tables cite, named once.
#pragma once

#include <string_view>

namespace delaysub::mcu::detail {

inline constexpr std::string_view kIntel =
    "Intel MCS-51 Microcontroller Family User's Manual, order no. 272383-002";
inline constexpr std::string_view kStc15Sheet = "STC15F2K60S2 series data sheet (English)";
inline constexpr std::string_view kStc8Sheet = "STC8H series data sheet";

}  // namespace delaysub::mcu::detail
