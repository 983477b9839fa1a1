// Exact quantities: crystal frequencies and times read from decimal texts
// into exact fractions, the clocks a time takes at a frequency, and the
// decimal texts of such fractions. No floating point is used for a count.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace delaysub::codegen {

// 128-bit unsigned integers: a GNU extension that g++ and clang both have.
__extension__ using Wide = unsigned __int128;

// A non-negative fraction num/den in lowest terms, den > 0. The texts this
// module reads keep both below 10^36.
struct Ratio {
  Wide num = 0;
  Wide den = 1;

  static Ratio of(Wide num, Wide den);  // reduced; den must not be 0
  static Ratio whole(std::uint64_t n) { return {n, 1}; }
  friend bool operator==(const Ratio&, const Ratio&) = default;
};

// a * b and a / b, reduced. Nothing when a result leaves 128 bits (the texts
// this module reads never come near that).
std::optional<Ratio> times(const Ratio& a, const Ratio& b);
std::optional<Ratio> dividedBy(const Ratio& a, const Ratio& b);
// -1, 0 or 1 as a < b, a == b, a > b.
int compare(const Ratio& a, const Ratio& b);
// The largest whole number <= r.
Wide floorOf(const Ratio& r);
// The nearest double (for JSON and the percent figures only).
double toDouble(const Ratio& r);

// A signed exact difference: magnitude with a sign (negative false for 0).
struct Difference {
  Ratio magnitude;
  bool negative = false;
};
Difference minus(const Ratio& a, const Ratio& b);

// The decimal text of r rounded half up to at most `decimals` places,
// trailing zeros dropped: 11059.2, 10000, 0.333333.
std::string decimalText(const Ratio& r, int decimals);
// The same with a sign for a difference: "+0.5", "-12", "0".
std::string signedDecimalText(const Difference& d, int decimals);

// What reading a quantity's text gave: the value, or why there is none
// ("is no number", "is not above 0", "has too many digits", ...).
struct Reading {
  std::optional<Ratio> value;
  std::string problem;
};

// A crystal frequency in Hz from a decimal number of MHz with an optional
// unit MHz, kHz or Hz (ASCII case ignored, blanks allowed): "11.0592MHz",
// "24", "32768Hz", "32.768 kHz".
Reading readFrequency(std::string_view text);
// A time in microseconds from a decimal number with an optional unit us, ms
// or s (us when none): "10ms", "1.5ms", "500us", "1s", "250".
Reading readTime(std::string_view text);

// The clocks a time takes at a frequency: t [us] * f [Hz] / 10^6, exactly
// (11.0592 MHz for 1 ms: 11059.2 clocks).
std::optional<Ratio> clocksOf(const Ratio& timeUs, const Ratio& frequencyHz);
// The time of a number of clocks, in microseconds.
std::optional<Ratio> microsecondsOf(std::uint64_t clocks, const Ratio& frequencyHz);

}  // namespace delaysub::codegen
