#include "core/delay.h"

#include <cmath>

#include "core/guarded.h"

namespace delaysub::core {

namespace {

using detail::Steps;

// T = floor(N / Fosc), Fosc widened exactly from single.
Result<double> finish(Steps& steps, double n, float Fosc) {
  const double t = steps.div(n, static_cast<double>(Fosc));
  if (!steps.ok()) {
    return Result<double>::failure(steps.error());
  }
  return Result<double>::success(std::floor(t));
}

Result<double> failed(const Steps& steps) {
  return Result<double>::failure(steps.error());
}

}  // namespace

// 12-clock core: one machine cycle is 12 oscillator periods.
Result<double> CALC_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  Steps st;
  switch (loop_type) {
    case 0: {  // (2X + 4) * 12
      std::int32_t a = st.mul(2, X);
      a = st.add(a, 4);
      a = st.mul(a, 12);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, a, Fosc);
    }
    case 1: {  // (X(X + 7) + 4) * 12
      std::int32_t a = st.add(X, 7);
      a = st.mul(a, X);
      a = st.add(a, 4);
      a = st.mul(a, 12);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, a, Fosc);
    }
    case 2: {  // (X(X+1)(2X+1)/6 + 7X(X+1)/2 + 6X + 4) * 12
      std::int32_t p = st.add(X, 1);
      p = st.mul(p, X);
      std::int32_t q = st.mul(2, X);
      q = st.add(q, 1);
      p = st.mul(p, q);
      const double s1 = st.div(p, 6.0);
      std::int32_t r = st.mul(7, X);
      const std::int32_t s = st.add(X, 1);
      r = st.mul(r, s);
      const double s2 = st.add(st.div(r, 2.0), s1);
      std::int32_t u = st.mul(6, X);
      u = st.add(u, 4);
      const double s3 = st.add(static_cast<double>(u), s2);
      const double n = st.mul(s3, 12.0);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, n, Fosc);
    }
    default:
      return Result<double>::success(0.0);
  }
}

// 4-clock W77E58 core: one machine cycle is 4 oscillator periods.
Result<double> W77E_T(const std::int32_t& X, std::int16_t loop_type, float Fosc) {
  Steps st;
  switch (loop_type) {
    case 0: {  // (4X + 6) * 4
      std::int32_t a = st.mul(4, X);
      a = st.add(a, 6);
      a = st.mul(a, 4);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, a, Fosc);
    }
    case 1: {  // (2X(X + 5) + 6) * 4
      std::int32_t b = st.add(X, 5);
      const std::int32_t a = st.mul(2, X);
      b = st.mul(b, a);
      b = st.add(b, 6);
      b = st.mul(b, 4);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, b, Fosc);
    }
    case 2: {  // (X(X+1)(2X+1)/3 + 5X(X+1) + 8X + 6) * 4
      std::int32_t p = st.add(X, 1);
      p = st.mul(p, X);
      std::int32_t q = st.mul(2, X);
      q = st.add(q, 1);
      p = st.mul(p, q);
      const double third = st.div(p, 3.0);
      std::int32_t r = st.mul(5, X);
      const std::int32_t s1 = st.add(X, 1);
      r = st.mul(r, s1);
      const std::int32_t v = st.mul(8, X);
      double s = st.add(third, static_cast<double>(r));
      s = st.add(s, static_cast<double>(v));
      s = st.add(s, 6.0);
      const double n = st.mul(s, 4.0);
      if (!st.ok()) {
        return failed(st);
      }
      return finish(st, n, Fosc);
    }
    default:
      return Result<double>::success(0.0);
  }
}

}  // namespace delaysub::core
