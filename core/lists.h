// The crystal frequencies and baud rates that the window offers in its lists,
// in list order. The command-line calculator's table uses the same rates.
#pragma once

#include <array>
#include <string_view>

namespace delaysub::core {

inline constexpr std::array<std::string_view, 11> kCrystalList = {
    "4 MHz",  "6 MHz",  "8 MHz",      "10 MHz", "11.0592MHz", "12 MHz",
    "16 MHz", "20 MHz", "22.1184MHz", "24 MHz", "32 MHz"};

inline constexpr std::array<std::string_view, 12> kBaudList = {"300",   "600",   "1200",  "2400",
                                                               "4800",  "9600",  "14400", "19200",
                                                               "28800", "33600", "57600", "115200"};

}  // namespace delaysub::core
