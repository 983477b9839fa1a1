// Number rules: how a control's text is read as a number, how numbers are
// converted between the number types, and how numbers are written as text.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/result.h"

namespace delaysub::core {

// Number reading. Never fails; a text without a number reads as 0.
// Blanks, tabs and line feeds are removed wherever they stand; &H / &O
// prefixes read hexadecimal / octal (16-bit two's complement when it fits,
// else 32-bit); otherwise the longest leading decimal number with optional
// sign, point, and E or D exponent. A comma ends the number.
double readNumber(std::string_view text);

// Rounding conversion: nearest whole number, ties to even; Overflow outside
// the 32-bit range (also for NaN).
Result<std::int32_t> roundToInt32(double v);

// Single rounding, not guarded: nearest single, ties to even; a magnitude
// beyond the single range becomes an infinity of the same sign.
float singleRound(double v);
// Single rounding, guarded: Overflow when the magnitude is beyond the single
// range or the value is not a number.
Result<float> singleRoundGuarded(double v);

// Integer text: "-" for negatives, digits without leading zeros.
std::string integerText(std::int32_t v);

// Decimal text: a blank for zero and positive values, "-" for negative ones;
// at most 15 significant digits, trailing zeros and a bare point dropped, no
// zero before the point below 1. 0.204 -> " .204", -0.002 -> "-.002".
std::string decimalText(double v);

// Hexadecimal text of a 32-bit integer: upper case, no leading zeros, eight
// digits of the two's complement for negatives.
std::string hexText(std::int32_t v);
// The range of a byte: the 8051's TH1 and the delay routine's BYT_DLY.
inline constexpr std::int32_t kByteMax = 255;

// Byte conversion: nearest whole number, ties to even; Overflow outside 0..255.
Result<std::uint8_t> toByte(double v);

}  // namespace delaysub::core
