// The two run-time errors of the calculator and the result type that every
// operation returns beside its value.
#pragma once

#include <string_view>
#include <utility>

namespace delaysub::core {

// Run-time errors, numbered as the user sees them.
enum class RunError : int {
  None = 0,
  Overflow = 6,         // "overflow"
  DivisionByZero = 11,  // "division by zero"
};

constexpr int errorNumber(RunError e) {
  return static_cast<int>(e);
}
// English meaning: "overflow", "division by zero" ("" for None).
std::string_view errorMeaning(RunError e);
// Chinese meaning shown in the window: "溢出", "除数为零" ("" for None).
std::string_view errorMeaningZh(RunError e);

// A value with the status of the operation that produced it. When error is
// not None the value is unspecified and must not be used.
template <class T>
struct [[nodiscard]] Result {
  RunError error = RunError::None;
  T value{};

  constexpr bool ok() const { return error == RunError::None; }
  static constexpr Result success(T v) { return Result{RunError::None, std::move(v)}; }
  static constexpr Result failure(RunError e) { return Result{e, T{}}; }
};

}  // namespace delaysub::core
