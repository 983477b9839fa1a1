// Exact fractions for the timer and baud-rate arithmetic: every count,
// period and error is a quotient of integers, never a float, until it is
// shown.
#pragma once

#include <compare>
#include <cstdint>
#include <string>

namespace delaysub::codegen {

// num / den in lowest terms with den > 0. A result that leaves 64 bits
// throws std::overflow_error (the callers bound their inputs well below).
class Ratio {
 public:
  constexpr Ratio() = default;
  Ratio(std::int64_t whole);  // NOLINT(google-explicit-constructor): 3 is 3/1
  Ratio(std::int64_t num, std::int64_t den);

  std::int64_t num() const { return num_; }
  std::int64_t den() const { return den_; }
  double toDouble() const;

  friend Ratio operator+(const Ratio& a, const Ratio& b);
  friend Ratio operator-(const Ratio& a, const Ratio& b);
  friend Ratio operator*(const Ratio& a, const Ratio& b);
  friend Ratio operator/(const Ratio& a, const Ratio& b);
  friend bool operator==(const Ratio& a, const Ratio& b) = default;
  friend std::strong_ordering operator<=>(const Ratio& a, const Ratio& b);

 private:
  std::int64_t num_ = 0;
  std::int64_t den_ = 1;
};

Ratio abs(const Ratio& r);
// The greatest whole number not above r.
std::int64_t floorOf(const Ratio& r);
// The whole number nearest r, halves up (2.5 -> 3).
std::int64_t nearestOf(const Ratio& r);
// r in decimals, rounded at the last place (halves away from zero):
// "249.57", "-0.17", "9600.00". trimmed drops the trailing zeros and a
// trailing point: "65536", "0.042".
std::string decimalText(const Ratio& r, int places, bool trimmed = false);

}  // namespace delaysub::codegen
