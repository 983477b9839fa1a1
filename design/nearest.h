// The search shared by the design tools: among whole numbers, the one whose
// value lies nearest a target, and how far off it lies.
#pragma once

#include <cmath>
#include <cstdint>

namespace delaysub::design {

// (actual - wanted) / wanted * 100.
inline double errorPercentOf(double actual, double wanted) {
  return (actual - wanted) * 100.0 / wanted;
}

// Among the whole numbers first..last, the one whose value(i) is nearest the
// target; ties to the smaller one.
template <class Value>
std::int32_t nearestTo(double target, std::int32_t first, std::int32_t last, Value value) {
  std::int32_t best = first;
  double bestDistance = INFINITY;
  for (std::int32_t i = first; i <= last; ++i) {
    const double distance = std::fabs(value(i) - target);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
  }
  return best;
}

}  // namespace delaysub::design
