#include "design/texts.h"

#include <array>
#include <cstdio>

namespace delaysub::design {

namespace {

std::string printed(const char* format, double v) {
  std::array<char, 64> buffer{};
  std::snprintf(buffer.data(), buffer.size(), format, v);
  return buffer.data();
}

}  // namespace

std::string percentText(double percent) {
  // No "-0.00" for a negative zero.
  return printed("%+.2f %%", percent == 0.0 ? 0.0 : percent);
}

std::string toleranceText(double percent) {
  return "±" + shortNumber(percent) + " %";
}

std::string twoDecimals(double v) {
  return printed("%.2f", v);
}

std::string shortNumber(double v) {
  return printed("%.15g", v);
}

}  // namespace delaysub::design
