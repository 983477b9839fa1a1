#include "core/numbers.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <system_error>

namespace delaysub::core {

namespace {

bool isRemovedBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n';
}

int digitValue(char c, int radix) {
  int d = -1;
  if (c >= '0' && c <= '9') {
    d = c - '0';
  } else if (c >= 'A' && c <= 'F') {
    d = c - 'A' + 10;
  } else if (c >= 'a' && c <= 'f') {
    d = c - 'a' + 10;
  }
  return d >= 0 && d < radix ? d : -1;
}

// &H / &O literal after the prefix. Values up to 16 bits are 16-bit two's
// complement, larger ones 32-bit; of a literal with more than 32 bits only
// the low 32 bits count.
double readRadix(std::string_view digits, int radix) {
  std::uint64_t low32 = 0;
  bool beyond16 = false;
  for (char c : digits) {
    const int d = digitValue(c, radix);
    if (d < 0) {
      break;
    }
    const std::uint64_t full = low32 * static_cast<std::uint64_t>(radix) + static_cast<unsigned>(d);
    beyond16 = beyond16 || full > 0xFFFFu;
    low32 = full & 0xFFFFFFFFu;
  }
  if (!beyond16) {
    return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(low32)));
  }
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(low32)));
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The longest leading decimal number; 0 when it has no digit. A number beyond
// the double range reads as an infinity of its sign, one too small as zero.
double readDecimal(std::string_view s) {
  std::size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    negative = s[i] == '-';
    ++i;
  }
  std::string digits;      // significant digits, leading zeros dropped
  std::int64_t scale = 0;  // value = digits * 10^scale
  bool anyDigit = false;
  for (; i < s.size() && isDigit(s[i]); ++i) {
    anyDigit = true;
    if (!digits.empty() || s[i] != '0') {
      digits += s[i];
    }
  }
  if (i < s.size() && s[i] == '.') {
    for (++i; i < s.size() && isDigit(s[i]); ++i) {
      anyDigit = true;
      if (!digits.empty() || s[i] != '0') {
        digits += s[i];
      }
      --scale;
    }
  }
  if (!anyDigit) {
    return 0.0;
  }
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
      expNegative = s[j] == '-';
      ++j;
    }
    constexpr std::int64_t kExpCap = 1'000'000'000;
    std::int64_t exponent = 0;
    for (; j < s.size() && isDigit(s[j]); ++j) {
      exponent = std::min<std::int64_t>(exponent * 10 + (s[j] - '0'), kExpCap);
    }
    scale += expNegative ? -exponent : exponent;
  }
  while (!digits.empty() && digits.back() == '0') {
    digits.pop_back();
    ++scale;
  }
  const double zero = negative ? -0.0 : 0.0;
  if (digits.empty()) {
    return zero;
  }
  const double inf =
      negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  const std::int64_t leading = static_cast<std::int64_t>(digits.size()) - 1 + scale;
  if (leading > 400) {
    return inf;
  }
  if (leading < -400) {
    return zero;
  }
  const std::string number = digits + "e" + std::to_string(scale);
  double value = 0.0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    return leading > 0 ? inf : zero;
  }
  return negative ? -value : value;
}

double roundHalfEven(double v) {
  const double lower = std::floor(v);
  const double diff = v - lower;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0.0)) {
    return lower + 1.0;
  }
  return lower;
}

}  // namespace

double readNumber(std::string_view text) {
  std::string s;
  s.reserve(text.size());
  for (char c : text) {
    if (!isRemovedBlank(c)) {
      s += c;
    }
  }
  if (s.size() >= 2 && s[0] == '&') {
    const char p = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
    if (p == 'H') {
      return readRadix(std::string_view(s).substr(2), 16);
    }
    if (p == 'O') {
      return readRadix(std::string_view(s).substr(2), 8);
    }
  }
  return readDecimal(s);
}

Result<std::int32_t> roundToInt32(double v) {
  if (std::isnan(v)) {
    return Result<std::int32_t>::failure(RunError::Overflow);
  }
  const double r = roundHalfEven(v);
  if (r < -2147483648.0 || r > 2147483647.0) {
    return Result<std::int32_t>::failure(RunError::Overflow);
  }
  return Result<std::int32_t>::success(static_cast<std::int32_t>(r));
}

float singleRound(double v) {
  constexpr double kMax = std::numeric_limits<float>::max();
  // Half a unit above the largest single: from there on, the nearest is infinity.
  constexpr double kInfinityFrom = 0x1.ffffffp127;  // 2^128 - 2^103
  if (std::isnan(v)) {
    return std::numeric_limits<float>::quiet_NaN();
  }
  const double magnitude = std::fabs(v);
  if (magnitude > kMax) {
    const float big = magnitude >= kInfinityFrom ? std::numeric_limits<float>::infinity()
                                                 : static_cast<float>(kMax);
    return v < 0 ? -big : big;
  }
  return static_cast<float>(v);
}

Result<float> singleRoundGuarded(double v) {
  const float r = singleRound(v);
  if (!std::isfinite(r)) {
    return Result<float>::failure(RunError::Overflow);
  }
  return Result<float>::success(r);
}

std::string integerText(std::int32_t v) {
  return std::to_string(v);
}

std::string decimalText(double v) {
  if (v == 0.0) {
    return " 0";
  }
  if (std::isnan(v)) {
    return " nan";
  }
  // Built by appending to one string: g++ 12 at -O3 takes the inserts that
  // "x" + string makes for overlapping copies (a false -Wrestrict).
  std::string text(1, std::signbit(v) ? '-' : ' ');
  if (std::isinf(v)) {
    text.append("inf");
    return text;
  }
  std::array<char, 64> buf{};
  const auto res = std::to_chars(buf.data(), buf.data() + buf.size(), std::fabs(v),
                                 std::chars_format::general, 15);
  std::string_view digits(buf.data(), static_cast<std::size_t>(res.ptr - buf.data()));
  std::string_view exponent;
  if (const auto e = digits.find('e'); e != std::string_view::npos) {
    exponent = digits.substr(e + 1);
    digits = digits.substr(0, e);
  }
  if (digits.size() > 1 && digits[0] == '0' && digits[1] == '.') {
    digits.remove_prefix(1);
  }
  text.append(digits);
  if (!exponent.empty()) {
    text.push_back('E');
    text.append(exponent);
  }
  return text;
}

std::string hexText(std::int32_t v) {
  std::array<char, 16> buf{};
  const auto res =
      std::to_chars(buf.data(), buf.data() + buf.size(), static_cast<std::uint32_t>(v), 16);
  std::string s(buf.data(), res.ptr);
  for (char& c : s) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return s;
}

Result<std::uint8_t> toByte(double v) {
  if (std::isnan(v)) {
    return Result<std::uint8_t>::failure(RunError::Overflow);
  }
  const double r = roundHalfEven(v);
  if (r < 0.0 || r > kByteMax) {
    return Result<std::uint8_t>::failure(RunError::Overflow);
  }
  return Result<std::uint8_t>::success(static_cast<std::uint8_t>(r));
}

}  // namespace delaysub::core
