// Checked arithmetic steps shared by the delay and baud-rate calculations:
// 32-bit integer steps that report overflow, and guarded floating steps that
// test for division by zero and for a result that is not finite.
#pragma once

#include <cmath>
#include <cstdint>

#include "core/result.h"

namespace delaysub::core::detail {

inline Result<std::int32_t> add32(std::int32_t a, std::int32_t b) {
  std::int32_t r = 0;
  if (__builtin_add_overflow(a, b, &r)) {
    return Result<std::int32_t>::failure(RunError::Overflow);
  }
  return Result<std::int32_t>::success(r);
}

inline Result<std::int32_t> mul32(std::int32_t a, std::int32_t b) {
  std::int32_t r = 0;
  if (__builtin_mul_overflow(a, b, &r)) {
    return Result<std::int32_t>::failure(RunError::Overflow);
  }
  return Result<std::int32_t>::success(r);
}

// A floating result that is infinite or not a number is the overflow form.
inline Result<double> finite(double r) {
  if (!std::isfinite(r)) {
    return Result<double>::failure(RunError::Overflow);
  }
  return Result<double>::success(r);
}

inline Result<double> fadd(double a, double b) {
  return finite(a + b);
}
inline Result<double> fsub(double a, double b) {
  return finite(a - b);
}
inline Result<double> fmul(double a, double b) {
  return finite(a * b);
}

// A non-zero number over zero is the division-by-zero form; zero (or a value
// that is not a number) over zero is the overflow form.
inline Result<double> fdiv(double n, double d) {
  if (d == 0.0) {
    const bool invalid = n == 0.0 || std::isnan(n);
    return Result<double>::failure(invalid ? RunError::Overflow : RunError::DivisionByZero);
  }
  return finite(n / d);
}

// A chain of steps that stops at the first error: after a failed step every
// later step is skipped and returns 0, and error() tells the first failure.
class Steps {
 public:
  std::int32_t add(std::int32_t a, std::int32_t b) { return take(add32(a, b)); }
  std::int32_t mul(std::int32_t a, std::int32_t b) { return take(mul32(a, b)); }
  double add(double a, double b) { return take(fadd(a, b)); }
  double sub(double a, double b) { return take(fsub(a, b)); }
  double mul(double a, double b) { return take(fmul(a, b)); }
  double div(double a, double b) { return take(fdiv(a, b)); }

  bool ok() const { return error_ == RunError::None; }
  RunError error() const { return error_; }

 private:
  template <class T>
  T take(const Result<T>& r) {
    if (!ok()) {
      return T{};
    }
    error_ = r.error;
    return r.ok() ? r.value : T{};
  }

  RunError error_ = RunError::None;
};

}  // namespace delaysub::core::detail
