#include "core/delay.h"

#include <array>
#include <cmath>
#include <cstddef>

#include "core/guarded.h"

namespace delaysub::core {

namespace {

using detail::Steps;

// N, the oscillator periods of one routine for the seed X, as a chain of
// checked steps.
using Periods = double (*)(Steps&, std::int32_t X);
// The routines of one core by nesting depth: single, double, triple loop.
using Routines = std::array<Periods, 3>;

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

// T = floor(N / Fosc), Fosc widened exactly from single. A failed step of N
// skips the division and is the result's error.
Result<double> delayTime(const Routines& routines, const std::int32_t& X, std::int16_t loop_type,
                         float Fosc) {
  if (loop_type < 0 || loop_type >= static_cast<std::int16_t>(routines.size())) {
    return Result<double>::success(0.0);
  }
  Steps st;
  const double n = routines[static_cast<std::size_t>(loop_type)](st, X);
  const double t = st.div(n, static_cast<double>(Fosc));
  if (!st.ok()) {
    return Result<double>::failure(st.error());
  }
  return Result<double>::success(std::floor(t));
}

// 12-clock core: one machine cycle is 12 oscillator periods.
constexpr Routines kTwelveClock = {
    [](Steps& st, std::int32_t X) -> double {  // (2X + 4) * 12
      std::int32_t a = st.mul(2, X);
      a = st.add(a, 4);
      return st.mul(a, 12);
    },
    [](Steps& st, std::int32_t X) -> double {  // (X(X + 7) + 4) * 12
      std::int32_t a = st.add(X, 7);
      a = st.mul(a, X);
      a = st.add(a, 4);
      return st.mul(a, 12);
    },
    [](Steps& st, std::int32_t X) -> double {  // (X(X+1)(2X+1)/6 + 7X(X+1)/2 + 6X + 4) * 12
      const double s1 = st.div(squaresTimesSix(st, X), 6.0);
      const double s2 = st.add(st.div(timesNext(st, 7, X), 2.0), s1);
      std::int32_t u = st.mul(6, X);
      u = st.add(u, 4);
      const double s3 = st.add(static_cast<double>(u), s2);
      return st.mul(s3, 12.0);
    },
};

// 4-clock W77E58 core: one machine cycle is 4 oscillator periods.
constexpr Routines kFourClock = {
    [](Steps& st, std::int32_t X) -> double {  // (4X + 6) * 4
      std::int32_t a = st.mul(4, X);
      a = st.add(a, 6);
      return st.mul(a, 4);
    },
    [](Steps& st, std::int32_t X) -> double {  // (2X(X + 5) + 6) * 4
      std::int32_t b = st.add(X, 5);
      b = st.mul(b, st.mul(2, X));
      b = st.add(b, 6);
      return st.mul(b, 4);
    },
    [](Steps& st, std::int32_t X) -> double {  // (X(X+1)(2X+1)/3 + 5X(X+1) + 8X + 6) * 4
      const double third = st.div(squaresTimesSix(st, X), 3.0);
      double s = st.add(third, static_cast<double>(timesNext(st, 5, X)));
      s = st.add(s, static_cast<double>(st.mul(8, X)));
      s = st.add(s, 6.0);
      return st.mul(s, 4.0);
    },
};

}  // namespace

Result<double> CALC_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  return delayTime(kTwelveClock, X, loop_type, Fosc);
}

Result<double> W77E_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  return delayTime(kFourClock, X, loop_type, Fosc);
}

}  // namespace delaysub::core
