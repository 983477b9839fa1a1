#include "codegen/exact.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <span>
#include <utility>

namespace delaysub::codegen {

namespace {

// Limits of the texts read: longer texts, more significant digits, finer
// fractions or larger values are no sensible crystal or time.
constexpr std::size_t kMaxTextLength = 64;
constexpr int kMaxDigits = 18;
constexpr int kMaxDecimals = 12;
constexpr int kMaxExponentDigits = 3;

Wide gcd(Wide a, Wide b) {
  while (b != 0) {
    a = std::exchange(b, a % b);
  }
  return a;
}

Wide pow10(int n) {
  Wide p = 1;
  for (int i = 0; i < n; ++i) {
    p *= 10;
  }
  return p;
}

std::optional<Wide> mul(Wide a, Wide b) {
  Wide r = 0;
  if (__builtin_mul_overflow(a, b, &r)) {
    return std::nullopt;
  }
  return r;
}

// A decimal number m * 10^e as read from a text, before its unit.
struct Decimal {
  Wide mantissa = 0;
  int exponent = 0;
  int digits = 0;  // significant digits of the mantissa
  bool negative = false;
};

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

void skipBlanks(std::string_view& text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
}

// Reads "[+|-]digits[.digits][e[+|-]digits]" from the front of text.
std::optional<Decimal> readDecimal(std::string_view& text) {
  Decimal d;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    d.negative = text.front() == '-';
    text.remove_prefix(1);
  }
  bool anyDigit = false;
  bool point = false;
  while (!text.empty() && (isDigit(text.front()) || (text.front() == '.' && !point))) {
    const char c = text.front();
    text.remove_prefix(1);
    if (c == '.') {
      point = true;
      continue;
    }
    anyDigit = true;
    if (d.mantissa == 0 && c == '0') {
      d.exponent -= point ? 1 : 0;
      continue;
    }
    if (++d.digits > kMaxDigits + 1) {
      return d;  // too many digits: reported by the caller
    }
    d.mantissa = d.mantissa * 10 + static_cast<unsigned>(c - '0');
    d.exponent -= point ? 1 : 0;
  }
  if (!anyDigit) {
    return std::nullopt;
  }
  if (!text.empty() && (text.front() == 'e' || text.front() == 'E') && text.size() > 1 &&
      (isDigit(text[1]) ||
       ((text[1] == '+' || text[1] == '-') && text.size() > 2 && isDigit(text[2])))) {
    text.remove_prefix(1);
    const bool minus = text.front() == '-';
    if (text.front() == '+' || text.front() == '-') {
      text.remove_prefix(1);
    }
    int e = 0;
    int count = 0;
    while (!text.empty() && isDigit(text.front())) {
      if (++count > kMaxExponentDigits) {
        return std::nullopt;
      }
      e = e * 10 + (text.front() - '0');
      text.remove_prefix(1);
    }
    d.exponent += minus ? -e : e;
  }
  return d;
}

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

struct Unit {
  std::string_view name;
  int exponent;  // powers of ten to the module's unit
};

// A text with a number and one of units (the first is the default).
Reading readQuantity(std::string_view text, std::span<const Unit> units, bool ignoreCase) {
  if (text.size() > kMaxTextLength) {
    return {std::nullopt, "is too long"};
  }
  skipBlanks(text);
  std::optional<Decimal> d = readDecimal(text);
  if (!d) {
    return {std::nullopt, "is no number"};
  }
  skipBlanks(text);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
    text.remove_suffix(1);
  }
  const auto unit = std::find_if(units.begin(), units.end(), [&](const Unit& u) {
    return ignoreCase ? sameLetters(u.name, text) : u.name == text;
  });
  if (!text.empty() && unit == units.end()) {
    return {std::nullopt, "has no known unit"};
  }
  if (d->digits > kMaxDigits) {
    return {std::nullopt, "has too many digits"};
  }
  if (d->mantissa == 0 || d->negative) {
    return {std::nullopt, "is not above 0"};
  }
  int e = d->exponent + (text.empty() ? units.front().exponent : unit->exponent);
  while (d->mantissa % 10 == 0) {
    d->mantissa /= 10;
    ++e;
  }
  if (e < -kMaxDecimals) {
    return {std::nullopt, "has too many digits"};
  }
  if (e < 0) {
    return {Ratio::of(d->mantissa, pow10(-e)), ""};
  }
  int length = 0;
  for (Wide m = d->mantissa; m != 0; m /= 10) {
    ++length;
  }
  if (length + e > kMaxDigits) {
    return {std::nullopt, "is too large"};
  }
  return {Ratio{d->mantissa * pow10(e), 1}, ""};
}

}  // namespace

Ratio Ratio::of(Wide num, Wide den) {
  const Wide g = gcd(num, den);
  return g == 0 ? Ratio{0, 1} : Ratio{num / g, den / g};
}

std::optional<Ratio> times(const Ratio& a, const Ratio& b) {
  const Wide g1 = gcd(a.num, b.den);
  const Wide g2 = gcd(b.num, a.den);
  const auto n = mul(g1 == 0 ? 0 : a.num / g1, g2 == 0 ? 0 : b.num / g2);
  const auto d = mul(g2 == 0 ? a.den : a.den / g2, g1 == 0 ? b.den : b.den / g1);
  if (!n || !d) {
    return std::nullopt;
  }
  return Ratio::of(*n, *d);
}

std::optional<Ratio> dividedBy(const Ratio& a, const Ratio& b) {
  if (b.num == 0) {
    return std::nullopt;
  }
  return times(a, Ratio{b.den, b.num});
}

int compare(const Ratio& a, const Ratio& b) {
  // By continued fractions, so that no product can overflow: with equal
  // whole parts, r1/d1 against r2/d2 compares as d2/r2 against d1/r1.
  Wide n1 = a.num;
  Wide d1 = a.den;
  Wide n2 = b.num;
  Wide d2 = b.den;
  for (;;) {
    const Wide q1 = n1 / d1;
    const Wide q2 = n2 / d2;
    if (q1 != q2) {
      return q1 < q2 ? -1 : 1;
    }
    const Wide r1 = n1 % d1;
    const Wide r2 = n2 % d2;
    if (r1 == 0 || r2 == 0) {
      return r1 == r2 ? 0 : (r1 == 0 ? -1 : 1);
    }
    const Wide next1 = d2;
    const Wide next2 = d1;
    n1 = next1;
    d1 = r2;
    n2 = next2;
    d2 = r1;
  }
}

Wide floorOf(const Ratio& r) {
  return r.num / r.den;
}

double toDouble(const Ratio& r) {
  const Wide whole = r.num / r.den;
  const Wide rest = r.num % r.den;
  // The remainder scaled to 2^53 parts keeps the double's precision.
  const Wide scale = Wide{1} << 53;
  const Wide parts = rest < (~Wide{0}) / scale ? rest * scale / r.den : rest / (r.den / scale);
  return static_cast<double>(whole) + static_cast<double>(parts) / static_cast<double>(scale);
}

Difference minus(const Ratio& a, const Ratio& b) {
  const int c = compare(a, b);
  if (c == 0) {
    return {};
  }
  const Ratio& big = c > 0 ? a : b;
  const Ratio& small = c > 0 ? b : a;
  // big - small over the common denominator; the texts read here keep it
  // within 128 bits.
  const Wide g = gcd(big.den, small.den);
  const Wide den = big.den / g * small.den;
  const Wide num = big.num * (small.den / g) - small.num * (big.den / g);
  return {Ratio::of(num, den), c < 0};
}

std::string decimalText(const Ratio& r, int decimals) {
  // Long division, so that nothing is multiplied beyond the denominator.
  Wide whole = r.num / r.den;
  Wide rest = r.num % r.den;
  std::string tail;
  for (int i = 0; i < decimals; ++i) {
    rest *= 10;
    tail.push_back(static_cast<char>('0' + static_cast<int>(rest / r.den)));
    rest %= r.den;
  }
  // Half up: the remainder at least half the denominator carries a one.
  if (rest >= r.den - rest) {
    int i = decimals - 1;
    while (i >= 0 && tail[static_cast<std::size_t>(i)] == '9') {
      tail[static_cast<std::size_t>(i--)] = '0';
    }
    if (i < 0) {
      ++whole;
    } else {
      ++tail[static_cast<std::size_t>(i)];
    }
  }
  while (!tail.empty() && tail.back() == '0') {
    tail.pop_back();
  }
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
    whole /= 10;
  } while (whole != 0);
  return tail.empty() ? digits : digits + "." + tail;
}

std::string signedDecimalText(const Difference& d, int decimals) {
  const std::string text = decimalText(d.magnitude, decimals);
  if (text == "0") {
    return text;
  }
  return (d.negative ? "-" : "+") + text;
}

Reading readFrequency(std::string_view text) {
  static constexpr std::array<Unit, 3> kUnits{Unit{"MHz", 6}, Unit{"kHz", 3}, Unit{"Hz", 0}};
  return readQuantity(text, kUnits, true);
}

Reading readTime(std::string_view text) {
  static constexpr std::array<Unit, 3> kUnits{Unit{"us", 0}, Unit{"ms", 3}, Unit{"s", 6}};
  return readQuantity(text, kUnits, false);
}

std::optional<Ratio> clocksOf(const Ratio& timeUs, const Ratio& frequencyHz) {
  const auto product = times(timeUs, frequencyHz);
  if (!product) {
    return std::nullopt;
  }
  return times(*product, Ratio{1, 1000000});
}

std::optional<Ratio> microsecondsOf(std::uint64_t clocks, const Ratio& frequencyHz) {
  return dividedBy(Ratio{Wide{clocks} * 1000000, 1}, frequencyHz);
}

}  // namespace delaysub::codegen
