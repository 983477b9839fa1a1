// Baud-rate reload values: the result text of the baud box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::core {

// The text for the baud result box, computed from the core (0 MCS-51, 1 AVR,
// 2 W77E58), the crystal Fosc in MHz, the baud text as typed and whether the
// SMOD-0 button is selected (read only for the 8051 cores).
//  - 8051 cores: "TH1 = 0<hex>H" when the single-precision reload value is
//    whole and within 0..255, otherwise "不可实现".
//  - AVR: "UBRR = <hex, at least two digits>H" for 0..4095, otherwise
//    "不可实现".
//  - any other core: std::nullopt, meaning the box is left untouched.
// Errors: DivisionByZero / Overflow from the guarded floating steps (an empty
// or zero baud text, for example), Overflow when the AVR value is outside the
// 32-bit range.
// The largest reload value the AVR UBRR register holds (12 bits); TH1 holds
// a byte (kByteMax).
inline constexpr std::int32_t kUbrrMax = 4095;

// The result box's text of a whole reload value: "TH1 = 0F9H" (TH1 in
// 0..255), "UBRR = 67H" (at least two hex digits).
std::string th1Text(std::int32_t th1);
std::string ubrrText(std::int32_t ubrr);

Result<std::optional<std::string>> BPS_TEXT(const std::int16_t& cpu_type, float Fosc,
                                            std::string_view baudText, bool smod0Selected);
// The same for a core: always a text, or an error.
Result<std::string> reloadText(Core core, float Fosc, std::string_view baudText,
                               bool smod0Selected);

}  // namespace delaysub::core
