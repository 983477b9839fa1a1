#include "core/baud.h"

#include <cmath>

#include "core/guarded.h"
#include "core/numbers.h"
#include "core/texts.h"

namespace delaysub::core {

namespace {

using detail::Steps;
using Text = Result<std::string>;

Text shows(std::string text) {
  return Text::success(std::move(text));
}
Text failure(RunError e) {
  return Text::failure(e);
}

// 10^3: the baud rate is taken in thousands, the crystal in MHz.
constexpr double kThousand = 1000.0;

// The baud rate in thousands, rounded to single (guarded).
Result<float> baudInThousands(std::string_view baudText) {
  const double B = readNumber(baudText);
  Steps st;
  const double thousands = st.div(B, kThousand);
  if (!st.ok()) {
    return Result<float>::failure(st.error());
  }
  return singleRoundGuarded(thousands);
}

// Timer-1 reload of the 8051 cores: v = 256 - 2^SMOD * Fosc * 10^3 / (bk * 384).
Text th1Result(float Fosc, std::string_view baudText, bool smod0Selected) {
  const Result<float> bk = baudInThousands(baudText);
  if (!bk.ok()) {
    return failure(bk.error);
  }
  const int smod = smod0Selected ? 0 : 1;
  Steps st;
  const double a = st.mul(std::ldexp(1.0, smod), static_cast<double>(Fosc));
  const double n = st.mul(kThousand, a);
  const double d = st.mul(static_cast<double>(bk.value), 384.0);
  const double diff = st.sub(256.0, st.div(n, d));
  if (!st.ok()) {
    return failure(st.error());
  }
  const Result<float> v = singleRoundGuarded(diff);
  if (!v.ok()) {
    return failure(v.error);
  }
  // Only a whole value that fits the 8-bit register is a reload value.
  const double whole = static_cast<double>(v.value);
  if (std::floor(whole) != whole || whole < 0.0 || whole > kByteMax) {
    return shows(std::string(kNotAchievable));
  }
  return shows(th1Text(static_cast<std::int32_t>(whole)));
}

// AVR: UBRR = 10^3 * Fosc / 16 / bk - 1, rounded to a 32-bit integer.
Text ubrrResult(float Fosc, std::string_view baudText) {
  const Result<float> bk = baudInThousands(baudText);
  if (!bk.ok()) {
    return failure(bk.error);
  }
  Steps st;
  double w = st.mul(kThousand, static_cast<double>(Fosc));
  w = st.div(w, 16.0);
  w = st.div(w, static_cast<double>(bk.value));
  w = st.sub(w, 1.0);
  if (!st.ok()) {
    return failure(st.error());
  }
  const Result<std::int32_t> u = roundToInt32(w);
  if (!u.ok()) {
    return failure(u.error);
  }
  if (u.value < 0 || u.value > kUbrrMax) {
    return shows(std::string(kNotAchievable));
  }
  return shows(ubrrText(u.value));
}

}  // namespace

std::string th1Text(std::int32_t th1) {
  std::string text(kTh1Prefix);
  text.append(hexText(th1));
  text.append(kHexSuffix);
  return text;
}

std::string ubrrText(std::int32_t ubrr) {
  // At least two digits. Appended, not inserted: see decimalText.
  const std::string hex = hexText(ubrr);
  std::string text(kUbrrPrefix);
  if (hex.size() < 2) {
    text.push_back('0');
  }
  text.append(hex);
  text.append(kHexSuffix);
  return text;
}

Result<std::string> reloadText(Core core, float Fosc, std::string_view baudText,
                               bool smod0Selected) {
  return isAvr(core) ? ubrrResult(Fosc, baudText) : th1Result(Fosc, baudText, smod0Selected);
}

Result<std::optional<std::string>> BPS_TEXT(const std::int16_t& cpu_type, float Fosc,
                                            std::string_view baudText, bool smod0Selected) {
  using Shown = Result<std::optional<std::string>>;
  const std::optional<Core> core = coreOf(cpu_type);
  if (!core) {
    return Shown::success(std::nullopt);
  }
  Text text = reloadText(*core, Fosc, baudText, smod0Selected);
  if (!text.ok()) {
    return Shown::failure(text.error);
  }
  return Shown::success(std::move(text.value));
}

}  // namespace delaysub::core
