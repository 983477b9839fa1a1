// Fuzz target for number reading and the whole calculation core.
//
// Input layout (missing bytes read as zero):
//   bytes 0-1   cpu_type, int16 little endian
//   bytes 2-3   loop_type, int16 little endian
//   byte  4     bit 0: the SMOD-0 button is selected
//   bytes 5-8   raw 32 bits: a seed X and a crystal Fosc by bit pattern
//   bytes 9-16  raw 64 bits: a double by bit pattern
//   then        seed text, NUL, crystal text, NUL, baud text (any bytes)
//
// Every operation must give a result or one of the two run-time errors, and
// the results must keep the invariants checked below. A broken invariant
// aborts with a message, so the fuzzer keeps the input.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "core/baud.h"
#include "core/delay.h"
#include "core/numbers.h"
#include "core/result.h"
#include "core/texts.h"
#include "fuzz/fuzz_check.h"

namespace {

using namespace delaysub::core;
using delaysub::fuzz::check;
using delaysub::fuzz::isUpperHex;

// Code points of valid UTF-8, or nullopt for any other byte sequence.
std::optional<std::size_t> codePoints(std::string_view s) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    if (c < 0x80) {
      len = 1;
    } else if ((c & 0xE0) == 0xC0 && c >= 0xC2) {
      len = 2;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
    } else if ((c & 0xF8) == 0xF0 && c <= 0xF4) {
      len = 4;
    } else {
      return std::nullopt;
    }
    if (i + len > s.size()) {
      return std::nullopt;
    }
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
        return std::nullopt;
      }
    }
    i += len;
    ++count;
  }
  return count;
}

bool isRunError(RunError e) {
  return e == RunError::Overflow || e == RunError::DivisionByZero;
}

template <class T>
void checkStatus(const Result<T>& r) {
  check(r.ok() || isRunError(r.error));
  // Every error has its meaning in both languages.
  if (!r.ok()) {
    check(!errorMeaning(r.error).empty() && !errorMeaningZh(r.error).empty());
    check(codePoints(errorMeaningZh(r.error)).has_value());
  }
}

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  template <class T>
  T take() {
    unsigned char bytes[sizeof(T)] = {};
    for (std::size_t i = 0; i < sizeof(T); ++i) {
      if (pos_ < size_) {
        bytes[i] = data_[pos_++];
      }
    }
    T v;
    std::memcpy(&v, bytes, sizeof(T));
    return v;
  }

  // The next text up to a NUL byte or the end of the input.
  std::string_view field() {
    const std::size_t start = pos_;
    while (pos_ < size_ && data_[pos_] != 0) {
      ++pos_;
    }
    std::string_view text(reinterpret_cast<const char*>(data_ + start), pos_ - start);
    if (pos_ < size_) {
      ++pos_;
    }
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

// The decimal reading of a text without a radix prefix, by the C library:
// the longest leading [+-]digits[.digits][(E|D)[+-]digits] with blanks, tabs
// and line feeds removed first.
std::optional<double> referenceDecimal(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c != ' ' && c != '\t' && c != '\n') {
      s += c;
    }
  }
  if (s.size() >= 2 && s[0] == '&') {
    const char p = s[1];
    if (p == 'H' || p == 'h' || p == 'O' || p == 'o') {
      return std::nullopt;
    }
  }
  // Appends the run of digits at s[i] to out and steps past it; true when
  // there was at least one.
  auto digits = [&s](std::size_t& i, std::string& out) {
    const std::size_t from = i;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
      out += s[i++];
    }
    return i > from;
  };
  auto sign = [&s](std::size_t& i, std::string& out) {
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
      out += s[i++];
    }
  };
  std::string number;
  std::size_t i = 0;
  sign(i, number);
  bool anyDigit = digits(i, number);
  if (i < s.size() && s[i] == '.') {
    number += s[i++];
    anyDigit = digits(i, number) || anyDigit;
  }
  if (!anyDigit) {
    return 0.0;
  }
  if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    sign(j, exponent);
    if (digits(j, exponent)) {
      number += exponent;
    }
  }
  return std::strtod(number.c_str(), nullptr);
}

void checkReadNumber(std::string_view text) {
  const double v = readNumber(text);
  check(!std::isnan(v));
  const std::optional<double> ref = referenceDecimal(text);
  if (ref) {
    // Below the normal range the reading may give zero instead of a subnormal.
    const bool subnormal = *ref != 0.0 && std::fabs(*ref) < std::numeric_limits<double>::min();
    check(v == *ref || (subnormal && v == 0.0));
  } else {
    // A radix literal is a whole number of 32 bits at most.
    check(v == std::floor(v));
    check(v >= -2147483648.0 && v <= 2147483647.0);
  }
}

// No single lies nearer to v than the rounded one, and of two as near the
// rounded one has the even last bit.
void checkNearestSingle(double v, float single) {
  if (!std::isfinite(v) || !std::isfinite(single)) {
    return;
  }
  const double error = std::fabs(static_cast<double>(single) - v);
  constexpr float kInf = std::numeric_limits<float>::infinity();
  for (float neighbour : {std::nextafter(single, -kInf), std::nextafter(single, kInf)}) {
    const double other = std::fabs(static_cast<double>(neighbour) - v);
    check(error <= other);
    if (error == other) {
      std::uint32_t bits = 0;
      std::memcpy(&bits, &single, sizeof bits);
      check((bits & 1u) == 0);
    }
  }
}

void checkConversions(double v) {
  const Result<std::int32_t> r = roundToInt32(v);
  checkStatus(r);
  const double nearest = std::nearbyint(v);  // ties to even in the default mode
  const bool fits = nearest >= -2147483648.0 && nearest <= 2147483647.0;
  if (r.ok()) {
    check(fits);
    check(static_cast<double>(r.value) == nearest);
  } else {
    check(r.error == RunError::Overflow);
    check(std::isnan(v) || !fits);
  }

  const Result<std::uint8_t> b = toByte(v);
  checkStatus(b);
  if (b.ok()) {
    check(static_cast<double>(b.value) == nearest);
  } else {
    check(b.error == RunError::Overflow);
    check(std::isnan(v) || nearest < 0.0 || nearest > 255.0);
  }

  const float single = singleRound(v);
  checkNearestSingle(v, single);
  // Beyond the largest single, the rounding toward an infinity is the
  // hardware's: its conversion is nearest, ties to even, infinities kept.
  const float expected = static_cast<float>(v);
  check((std::isnan(v) && std::isnan(single)) || single == expected);
  const Result<float> guarded = singleRoundGuarded(v);
  checkStatus(guarded);
  if (guarded.ok()) {
    check(std::isfinite(guarded.value) && guarded.value == expected);
  } else {
    check(guarded.error == RunError::Overflow);
    check(std::isnan(v) || std::fabs(v) > std::numeric_limits<float>::max());
  }

  const std::string dec = decimalText(v);
  if (std::isfinite(v)) {
    check(!dec.empty());
    if (v < 0) {
      check(dec[0] == '-');
    }
    if (v > 0) {
      check(dec[0] == ' ');
    }
    // At most 15 significant digits, read back by the same number rules;
    // next to the largest double the rounded text reads as an infinity.
    const double back = readNumber(dec);
    const double mag = std::fabs(v);
    check(std::isfinite(back) ? std::fabs(back - v) <= mag * 1e-14 : mag > 1.79e308);
    if (mag >= 1e-4 && mag < 0.99) {  // not rounded up to 1
      check(dec.size() >= 2 && dec[1] == '.');
    }
  }
}

// The millisecond display of a delay T: exact, no exponent, no zero before
// the point, trailing zeros dropped.
void checkMillisecondText(std::int32_t t) {
  const std::int64_t mag = t < 0 ? -static_cast<std::int64_t>(t) : t;
  std::string expected = t < 0 ? "-" : " ";
  const std::int64_t whole = mag / 1000;
  std::int64_t frac = mag % 1000;
  if (whole != 0 || frac == 0) {
    expected += std::to_string(whole);
  }
  if (frac != 0) {
    std::string digits = std::to_string(frac);
    digits.insert(0, 3 - digits.size(), '0');
    while (digits.back() == '0') {
      digits.pop_back();
    }
    expected += "." + digits;
  }
  check(decimalText(static_cast<double>(t) / 1000.0) == expected);
}

void checkIntegerTexts(std::int32_t x) {
  // Plain digits, a minus for negatives, read back as the same number.
  const std::string text = integerText(x);
  const std::size_t sign = x < 0 ? 1 : 0;
  check(text.size() > sign && (sign == 0 || text[0] == '-'));
  check(text.find_first_not_of("0123456789", sign) == std::string::npos);
  check(text[sign] != '0' || text.size() == sign + 1);
  check(readNumber(text) == static_cast<double>(x));
  char buf[16];
  std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(x)));
  check(hexText(x) == buf);
  checkMillisecondText(x);
}

// The range of X that passes every integer step, by operation and nesting.
bool inRange(bool w77e, std::int16_t loop_type, std::int32_t X) {
  static constexpr std::int32_t kLow[2][3] = {{-89478487, -13380, -1024},
                                              {-134217729, -16386, -1024}};
  static constexpr std::int32_t kHigh[2][3] = {{89478483, 13373, 1023}, {134217726, 16381, 1023}};
  return X >= kLow[w77e][loop_type] && X <= kHigh[w77e][loop_type];
}

// N, the oscillator periods of the routine, in 64-bit integers.
std::int64_t periods(bool w77e, std::int16_t loop_type, std::int64_t X) {
  if (!w77e) {
    switch (loop_type) {
      case 0:
        return (2 * X + 4) * 12;
      case 1:
        return (X * (X + 7) + 4) * 12;
      default:
        return (X * (X + 1) * (2 * X + 1) / 6 + 7 * X * (X + 1) / 2 + 6 * X + 4) * 12;
    }
  }
  switch (loop_type) {
    case 0:
      return (4 * X + 6) * 4;
    case 1:
      return (2 * X * (X + 5) + 6) * 4;
    default:
      return (X * (X + 1) * (2 * X + 1) / 3 + 5 * X * (X + 1) + 8 * X + 6) * 4;
  }
}

void checkDelay(std::int32_t X, std::int16_t loop_type, float Fosc) {
  const Result<double> results[2] = {CALC_T(X, loop_type, Fosc), W77E_T(X, loop_type, Fosc)};
  for (int w77e = 0; w77e < 2; ++w77e) {
    const Result<double>& r = results[w77e];
    checkStatus(r);
    if (r.ok()) {
      check(std::isfinite(r.value) && r.value == std::floor(r.value));
    }
    if (loop_type < 0 || loop_type > 2) {
      check(r.ok() && r.value == 0.0);
      continue;
    }
    if (!inRange(w77e != 0, loop_type, X)) {
      check(r.error == RunError::Overflow);
      continue;
    }
    const double N = static_cast<double>(periods(w77e != 0, loop_type, X));
    const double F = static_cast<double>(Fosc);
    if (F == 0.0) {
      check(r.error == (N == 0.0 ? RunError::Overflow : RunError::DivisionByZero));
    } else if (std::isnan(F)) {
      check(!r.ok());
    } else {
      check(r.ok() && r.value == std::floor(N / F));
    }
  }
}

void checkBaud(std::int16_t cpu_type, float Fosc, std::string_view baud, bool smod0) {
  const Result<std::optional<std::string>> r = BPS_TEXT(cpu_type, Fosc, baud, smod0);
  checkStatus(r);
  if (cpu_type < 0 || cpu_type > 2) {
    check(r.ok() && !r.value.has_value());
    return;
  }
  // The two 8051 cores compute alike; AVR does not read the SMOD choice.
  const std::int16_t twin = cpu_type == 1 ? 1 : static_cast<std::int16_t>(2 - cpu_type);
  const bool twinSmod = cpu_type == 1 ? !smod0 : smod0;
  const Result<std::optional<std::string>> t = BPS_TEXT(twin, Fosc, baud, twinSmod);
  check(t.error == r.error && t.value == r.value);

  // The baud rate in thousands is a single, so u and v are judged with it.
  const double bk = static_cast<float>(readNumber(baud) / 1000.0);
  if (bk == 0.0) {
    check(!r.ok());  // no baud rate: the division fails
  }
  if (!r.ok()) {
    return;
  }
  check(r.value.has_value());
  const std::string& text = *r.value;
  if (text == kNotAchievable) {
    if (cpu_type == 1) {
      // Only a UBRR outside the 12-bit register is not achievable.
      const double u = static_cast<double>(Fosc) * 1e3 / (16.0 * bk) - 1.0;
      check(!(u > 0.6 && u < 4094.4));
    } else {
      // Only a reload value that is not whole in single precision, or lies
      // outside the 8-bit register, is not achievable.
      const double a = (smod0 ? 1.0 : 2.0) * static_cast<double>(Fosc);
      const double v = 256.0 - (1e3 * a) / (bk * 384.0);
      if (v > -1.0 && v < 256.0) {
        const float single = static_cast<float>(v);
        check(!(single == std::floor(single) && single >= 0.0f && single <= 255.0f));
      }
    }
    return;
  }
  const std::string_view prefix = cpu_type == 1 ? kUbrrPrefix : kTh1Prefix;
  check(text.size() > prefix.size() + 1);
  check(text.compare(0, prefix.size(), prefix) == 0);
  check(text.back() == 'H');
  const std::string digits = text.substr(prefix.size(), text.size() - prefix.size() - 1);
  check(isUpperHex(digits));
  const long value = std::strtol(digits.c_str(), nullptr, 16);
  if (cpu_type == 1) {
    check(digits.size() >= 2 && digits.size() <= 3 && value <= 4095);
    check(digits.size() == 2 || digits[0] != '0');
    const double u = static_cast<double>(Fosc) * 1e3 / (16.0 * bk) - 1.0;
    check(std::fabs(u - static_cast<double>(value)) <= 0.5 + 1e-3);
  } else {
    check(digits.size() <= 2 && value <= 255 && (digits.size() == 1 || digits[0] != '0'));
    const double smod = smod0 ? 1.0 : 2.0;
    const double v = 256.0 - smod * static_cast<double>(Fosc) * 1e3 / (384.0 * bk);
    check(std::fabs(v - static_cast<double>(value)) <= 1e-3);
  }
}

void checkText(std::string_view text, std::int16_t cpu_type) {
  if (cpu_type < 0 || cpu_type > 2) {
    check(text.empty());
    return;
  }
  check(!text.empty());
  check(codePoints(text).has_value());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      check(i + 1 < text.size() && text[i + 1] == '\n');
    }
    if (text[i] == '\n') {
      check(i > 0 && text[i - 1] == '\r');
    }
  }
}

void checkTexts(std::int16_t cpu_type) {
  checkText(FORM1(cpu_type), cpu_type);
  checkText(FORM2(cpu_type), cpu_type);
  checkText(FORM3(cpu_type), cpu_type);
  checkText(PRG1(cpu_type), cpu_type);
  checkText(PRG2(cpu_type), cpu_type);
  checkText(PRG3(cpu_type), cpu_type);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  const auto cpu_type = in.take<std::int16_t>();
  const auto loop_type = in.take<std::int16_t>();
  const bool smod0 = (in.take<std::uint8_t>() & 1u) != 0;
  const auto raw32 = in.take<std::uint32_t>();
  const auto rawDouble = in.take<double>();
  const std::string_view seedText = in.field();
  const std::string_view crystalText = in.field();
  const std::string_view baudText = in.field();

  std::int32_t rawX;
  float rawFosc;
  std::memcpy(&rawX, &raw32, sizeof rawX);
  std::memcpy(&rawFosc, &raw32, sizeof rawFosc);

  for (std::string_view text : {seedText, crystalText, baudText}) {
    checkReadNumber(text);
  }

  // The seed and the crystal as the window reads them.
  const double seed = readNumber(seedText);
  const Result<std::int32_t> X = roundToInt32(seed);
  const float Fosc = singleRound(readNumber(crystalText));
  for (double v : {seed, readNumber(crystalText), readNumber(baudText), rawDouble}) {
    checkConversions(v);
  }
  checkIntegerTexts(rawX);

  for (float f : {Fosc, rawFosc}) {
    if (X.ok()) {
      checkDelay(X.value, loop_type, f);
    }
    checkDelay(rawX, loop_type, f);
    checkBaud(cpu_type, f, baudText, smod0);
  }
  checkTexts(cpu_type);
  return 0;
}
