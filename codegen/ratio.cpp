#include "codegen/ratio.h"

#include <limits>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace delaysub::codegen {

namespace {

__extension__ using Wide = __int128;

Wide gcdOf(Wide a, Wide b) {
  a = a < 0 ? -a : a;
  b = b < 0 ? -b : b;
  while (b != 0) {
    const Wide t = a % b;
    a = b;
    b = t;
  }
  return a;
}

constexpr Wide kMax = std::numeric_limits<std::int64_t>::max();

// num / den in lowest terms with den > 0, checked to fit 64 bits.
std::pair<std::int64_t, std::int64_t> lowest(Wide num, Wide den) {
  if (den == 0) {
    throw std::domain_error("division by zero");
  }
  if (den < 0) {
    num = -num;
    den = -den;
  }
  const Wide g = gcdOf(num, den);
  num /= g;
  den /= g;
  if (num > kMax || num < -kMax || den > kMax) {
    throw std::overflow_error("exact arithmetic out of range");
  }
  return {static_cast<std::int64_t>(num), static_cast<std::int64_t>(den)};
}

Ratio reduced(Wide num, Wide den) {
  const auto [n, d] = lowest(num, den);
  return {n, d};
}

}  // namespace

Ratio::Ratio(std::int64_t whole) : num_(whole) {}

Ratio::Ratio(std::int64_t num, std::int64_t den) {
  std::tie(num_, den_) = lowest(num, den);
}

double Ratio::toDouble() const {
  return static_cast<double>(num_) / static_cast<double>(den_);
}

Ratio operator+(const Ratio& a, const Ratio& b) {
  return reduced(Wide{a.num_} * b.den_ + Wide{b.num_} * a.den_, Wide{a.den_} * b.den_);
}

Ratio operator-(const Ratio& a, const Ratio& b) {
  return reduced(Wide{a.num_} * b.den_ - Wide{b.num_} * a.den_, Wide{a.den_} * b.den_);
}

Ratio operator*(const Ratio& a, const Ratio& b) {
  return reduced(Wide{a.num_} * b.num_, Wide{a.den_} * b.den_);
}

Ratio operator/(const Ratio& a, const Ratio& b) {
  return reduced(Wide{a.num_} * b.den_, Wide{a.den_} * b.num_);
}

std::strong_ordering operator<=>(const Ratio& a, const Ratio& b) {
  const Wide left = Wide{a.num_} * b.den_;
  const Wide right = Wide{b.num_} * a.den_;
  return left < right
             ? std::strong_ordering::less
             : (left > right ? std::strong_ordering::greater : std::strong_ordering::equal);
}

Ratio abs(const Ratio& r) {
  return r.num() < 0 ? Ratio(-r.num(), r.den()) : r;
}

std::int64_t floorOf(const Ratio& r) {
  const std::int64_t q = r.num() / r.den();
  return (r.num() % r.den() != 0 && r.num() < 0) ? q - 1 : q;
}

std::int64_t nearestOf(const Ratio& r) {
  return floorOf(r + Ratio(1, 2));
}

std::string decimalText(const Ratio& r, int places, bool trimmed) {
  std::int64_t scale = 1;
  for (int i = 0; i < places; ++i) {
    scale *= 10;
  }
  const std::int64_t units = nearestOf(abs(r) * Ratio(scale));
  std::string text = r.num() < 0 && units != 0 ? "-" : "";
  text += std::to_string(units / scale);
  if (places > 0) {
    std::string fraction = std::to_string(units % scale);
    fraction.insert(fraction.begin(), static_cast<std::size_t>(places) - fraction.size(), '0');
    if (trimmed) {
      fraction.erase(fraction.find_last_not_of('0') + 1);
    }
    if (!fraction.empty()) {
      text += '.';
      text += fraction;
    }
  }
  return text;
}

}  // namespace delaysub::codegen
