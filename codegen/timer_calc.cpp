#include "codegen/timer_calc.h"

#include <algorithm>

namespace delaysub::codegen {

namespace {

const Ratio kMicro{1'000'000};
const Ratio kHundred{100};

// The nearest whole count (halves up), whether it is one the counter makes,
// and the count kept to what it makes.
struct Nearest {
  bool fits;
  std::int64_t count;
};

Nearest nearestIn(const Ratio& wanted, unsigned width) {
  const std::int64_t n = nearestOf(wanted);
  const std::int64_t full = fullCount(width);
  return {n >= 1 && n <= full, std::clamp<std::int64_t>(n, 1, full)};
}

}  // namespace

std::int64_t fullCount(unsigned width) {
  return std::int64_t{1} << width;
}

PeriodCount periodCount(const Ratio& crystalHz, const Ratio& periodUs, std::uint32_t clockDivider,
                        unsigned width) {
  // Counts per microsecond: Fosc / divider / 10^6.
  const Ratio perUs = crystalHz / Ratio(clockDivider) / kMicro;
  const Ratio wanted = periodUs * perUs;
  const Nearest n = nearestIn(wanted, width);
  const Ratio actual = Ratio(n.count) / perUs;
  const Ratio error = actual - periodUs;
  return {wanted,
          n.fits,
          n.count,
          static_cast<std::uint32_t>(fullCount(width) - n.count),
          actual,
          error,
          error / periodUs * kHundred};
}

BaudCount baudCount(const Ratio& crystalHz, const Ratio& baud, std::uint32_t divisor,
                    unsigned width) {
  const Ratio perBit = crystalHz / Ratio(divisor);  // baud x count
  const Ratio wanted = perBit / baud;
  const Nearest n = nearestIn(wanted, width);
  // The rate is perBit / count: of the two whole counts around the wanted,
  // the one whose rate lies nearer (ties to the smaller count).
  std::int64_t count = n.count;
  const std::int64_t below = std::max<std::int64_t>(floorOf(wanted), 1);
  const std::int64_t above = std::min(below + 1, fullCount(width));
  if (below <= fullCount(width)) {
    const Ratio fromBelow = abs(perBit / Ratio(below) - baud);
    const Ratio fromAbove = abs(perBit / Ratio(above) - baud);
    count = fromAbove < fromBelow ? above : below;
  }
  const Ratio actual = perBit / Ratio(count);
  const Ratio errorPercent = (actual - baud) / baud * kHundred;
  const Ratio size = abs(errorPercent);
  return {wanted,
          n.fits,
          count,
          static_cast<std::uint32_t>(fullCount(width) - count),
          actual,
          errorPercent,
          size <= Ratio(2),
          size <= Ratio(1)};
}

std::uint8_t registerByte(std::uint32_t value, unsigned shift, std::uint8_t mask) {
  return static_cast<std::uint8_t>((value >> shift) & mask);
}

}  // namespace delaysub::codegen
