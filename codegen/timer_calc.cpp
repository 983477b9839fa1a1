#include "codegen/timer_calc.h"

#include <algorithm>
#include <stdexcept>

namespace delaysub::codegen {

namespace {

const Ratio kMicro = Ratio::whole(1'000'000);

// The nearest whole count (halves up), whether it is one the counter makes,
// and the count kept to what it makes.
struct Nearest {
  bool fits;
  std::uint64_t count;
};

Nearest nearestIn(const Ratio& wanted, unsigned width) {
  const std::uint64_t full = fullCount(width);
  // Beyond 2^64 counts is beyond every counter.
  if (compare(wanted, Ratio::whole(full + 1)) > 0) {
    return {false, full};
  }
  const std::uint64_t n = nearestWhole(wanted);
  return {n >= 1 && n <= full, std::clamp<std::uint64_t>(n, 1, full)};
}

bool within(const Difference& percent, std::uint64_t limit) {
  return compare(percent.magnitude, Ratio::whole(limit)) <= 0;
}

// The digits of a trimmed decimal text padded to `places` decimals.
std::string padded(std::string text, int places) {
  if (places <= 0) {
    return text;
  }
  const std::size_t point = text.find('.');
  const std::size_t have = point == std::string::npos ? 0 : text.size() - point - 1;
  if (point == std::string::npos) {
    text += '.';
  }
  text.append(static_cast<std::size_t>(places) - have, '0');
  return text;
}

}  // namespace

std::uint64_t fullCount(unsigned width) {
  return std::uint64_t{1} << width;
}

std::uint64_t nearestWhole(const Ratio& r) {
  const Wide rest = r.num % r.den;
  return static_cast<std::uint64_t>(floorOf(r) + (rest >= r.den - rest ? 1 : 0));
}

Ratio exactly(const std::optional<Ratio>& r) {
  if (!r) {
    throw std::overflow_error("exact arithmetic beyond 128 bits");
  }
  return *r;
}

Difference percentOf(const Difference& d, const Ratio& whole) {
  return {exactly(times(exactly(dividedBy(d.magnitude, whole)), Ratio::whole(100))), d.negative};
}

std::string fixedText(const Ratio& r, int places) {
  return padded(decimalText(r, places), places);
}

std::string fixedText(const Difference& d, int places) {
  return padded(signedDecimalText(d, places), places);
}

PeriodCount periodCount(const Ratio& crystalHz, const Ratio& periodUs, std::uint32_t clockDivider,
                        unsigned width) {
  // Counts per microsecond: Fosc / divider / 10^6.
  const Ratio perUs =
      exactly(dividedBy(crystalHz, exactly(times(Ratio::whole(clockDivider), kMicro))));
  const Ratio wanted = exactly(times(periodUs, perUs));
  const Nearest n = nearestIn(wanted, width);
  const Ratio actual = exactly(dividedBy(Ratio::whole(n.count), perUs));
  const Difference error = minus(actual, periodUs);
  return {wanted,
          n.fits,
          n.count,
          static_cast<std::uint32_t>(fullCount(width) - n.count),
          actual,
          error,
          percentOf(error, periodUs)};
}

BaudCount baudCount(const Ratio& crystalHz, const Ratio& baud, std::uint32_t divisor,
                    unsigned width) {
  const Ratio perBit = exactly(dividedBy(crystalHz, Ratio::whole(divisor)));  // baud x count
  const Ratio wanted = exactly(dividedBy(perBit, baud));
  const Nearest n = nearestIn(wanted, width);
  const auto rateOf = [&](std::uint64_t count) {
    return exactly(dividedBy(perBit, Ratio::whole(count)));
  };
  // Of the two whole counts around the wanted, the one whose rate lies
  // nearer (ties to the smaller count).
  std::uint64_t count = n.count;
  const std::uint64_t full = fullCount(width);
  if (compare(wanted, Ratio::whole(full)) < 0) {
    const std::uint64_t below =
        std::max<std::uint64_t>(static_cast<std::uint64_t>(floorOf(wanted)), 1);
    const std::uint64_t above = std::min(below + 1, full);
    const Difference fromBelow = minus(rateOf(below), baud);
    const Difference fromAbove = minus(rateOf(above), baud);
    count = compare(fromAbove.magnitude, fromBelow.magnitude) < 0 ? above : below;
  }
  const Ratio actual = rateOf(count);
  const Difference percent = percentOf(minus(actual, baud), baud);
  return {wanted,
          n.fits,
          count,
          static_cast<std::uint32_t>(full - count),
          actual,
          percent,
          within(percent, 2),
          within(percent, 1)};
}

std::uint8_t registerByte(std::uint32_t value, unsigned shift, std::uint8_t mask) {
  return static_cast<std::uint8_t>((value >> shift) & mask);
}

}  // namespace delaysub::codegen
