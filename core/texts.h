// The constant texts of the calculator: timing formulas, assembly templates
// and the baud result words. Line breaks are CR LF; every blank counts.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/domain.h"

namespace delaysub::core {

inline constexpr std::string_view kNotAchievable = "不可实现";
inline constexpr std::string_view kTh1Prefix = "TH1 = 0";
inline constexpr std::string_view kUbrrPrefix = "UBRR = ";
inline constexpr std::string_view kHexSuffix = "H";

// Formula texts by nesting depth; the text is chosen by cpu_type (0 MCS-51,
// 1 AVR, 2 W77E58). Any other cpu_type gives the empty text.
std::string_view FORM1(const std::int16_t& cpu_type);
std::string_view FORM2(const std::int16_t& cpu_type);
std::string_view FORM3(const std::int16_t& cpu_type);

// Assembly templates by nesting depth: one for MCS-51 and AVR, one for
// W77E58. Any other cpu_type gives the empty text.
std::string_view PRG1(const std::int16_t& cpu_type);
std::string_view PRG2(const std::int16_t& cpu_type);
std::string_view PRG3(const std::int16_t& cpu_type);

// The formula text (FORM1..FORM3) and the template (PRG1..PRG3) of a core and
// nesting depth.
std::string_view formulaOf(Core core, Nesting nesting);
std::string_view templateOf(Core core, Nesting nesting);

}  // namespace delaysub::core
