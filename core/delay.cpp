#include "core/delay.h"

#include <cmath>
#include <optional>

#include "core/guarded.h"
#include "core/numbers.h"

namespace delaysub::core {

namespace {

using detail::Steps;

// X(X+1)(2X+1), six times the sum of the squares 1..X, in 32-bit steps.
std::int32_t squaresTimesSix(Steps& st, std::int32_t X) {
  std::int32_t p = st.add(X, 1);
  p = st.mul(p, X);
  std::int32_t q = st.mul(2, X);
  q = st.add(q, 1);
  return st.mul(p, q);
}

// kX(X+1) in 32-bit steps.
std::int32_t timesNext(Steps& st, std::int32_t k, std::int32_t X) {
  const std::int32_t r = st.mul(k, X);
  return st.mul(r, st.add(X, 1));
}

// (kX + c) * clocks in 32-bit steps: the single loop's periods.
std::int32_t linearTimes(Steps& st, std::int32_t k, std::int32_t X, std::int32_t c,
                         std::int32_t clocks) {
  std::int32_t a = st.mul(k, X);
  a = st.add(a, c);
  return st.mul(a, clocks);
}

// N, the oscillator periods of one routine for the seed X, as a chain of
// checked steps. 12-clock core: one machine cycle is 12 oscillator periods.
double twelveClockPeriods(Steps& st, Nesting nesting, std::int32_t X) {
  switch (nesting) {
    case Nesting::Single:  // (2X + 4) * 12
      return linearTimes(st, 2, X, 4, 12);
    case Nesting::Double: {  // (X(X + 7) + 4) * 12
      std::int32_t a = st.add(X, 7);
      a = st.mul(a, X);
      a = st.add(a, 4);
      return st.mul(a, 12);
    }
    case Nesting::Triple:
      break;
  }
  // (X(X+1)(2X+1)/6 + 7X(X+1)/2 + 6X + 4) * 12
  const double s1 = st.div(squaresTimesSix(st, X), 6.0);
  const double s2 = st.add(st.div(timesNext(st, 7, X), 2.0), s1);
  std::int32_t u = st.mul(6, X);
  u = st.add(u, 4);
  const double s3 = st.add(static_cast<double>(u), s2);
  return st.mul(s3, 12.0);
}

// 4-clock W77E58 core: one machine cycle is 4 oscillator periods.
double fourClockPeriods(Steps& st, Nesting nesting, std::int32_t X) {
  switch (nesting) {
    case Nesting::Single:  // (4X + 6) * 4
      return linearTimes(st, 4, X, 6, 4);
    case Nesting::Double: {  // (2X(X + 5) + 6) * 4
      std::int32_t b = st.add(X, 5);
      b = st.mul(b, st.mul(2, X));
      b = st.add(b, 6);
      return st.mul(b, 4);
    }
    case Nesting::Triple:
      break;
  }
  // (X(X+1)(2X+1)/3 + 5X(X+1) + 8X + 6) * 4
  const double third = st.div(squaresTimesSix(st, X), 3.0);
  double s = st.add(third, static_cast<double>(timesNext(st, 5, X)));
  s = st.add(s, static_cast<double>(st.mul(8, X)));
  s = st.add(s, 6.0);
  return st.mul(s, 4.0);
}

// T = floor(N / Fosc), Fosc widened exactly from single. A failed step of N
// skips the division and is the result's error.
Result<double> timeOf(Steps& st, double n, float Fosc) {
  const double t = st.div(n, static_cast<double>(Fosc));
  if (!st.ok()) {
    return Result<double>::failure(st.error());
  }
  return Result<double>::success(std::floor(t));
}

// The entry points take any loop_type: one outside 0..2 gives 0.
template <Core Timed>
Result<double> byCode(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  const std::optional<Nesting> nesting = nestingOf(loop_type);
  if (!nesting) {
    return Result<double>::success(0.0);
  }
  return delayTime(Timed, *nesting, X, Fosc);
}

}  // namespace

Result<double> CALC_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  return byCode<Core::Mcs51>(X, loop_type, Fosc);
}

Result<double> W77E_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  return byCode<Core::W77e58>(X, loop_type, Fosc);
}

Result<double> delayTime(Core core, Nesting nesting, std::int32_t X, float Fosc) {
  Steps st;
  const double n =
      core == Core::W77e58 ? fourClockPeriods(st, nesting, X) : twelveClockPeriods(st, nesting, X);
  return timeOf(st, n, Fosc);
}

Result<std::int32_t> wholeDelay(const Result<double>& time) {
  if (!time.ok()) {
    return Result<std::int32_t>::failure(time.error);
  }
  return roundToInt32(time.value);
}

Result<std::int32_t> delayOf(Core core, Nesting nesting, float Fosc, std::int32_t X) {
  return wholeDelay(delayTime(core, nesting, X, Fosc));
}

}  // namespace delaysub::core
