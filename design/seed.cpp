#include "design/seed.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "core/delay.h"
#include "design/nearest.h"

namespace delaysub::design {

namespace {

// Whether the delay operation of the core computes seed X: every 32-bit step
// fits. The crystal only divides, so any non-zero one gives the same answer.
bool seedComputes(Core core, Nesting nesting, std::int32_t X) {
  constexpr float kAnyCrystal = 1.0f;
  return core::delayTime(core, nesting, X, kAnyCrystal).ok();
}

// The last seed from 'from' on towards 'to' that computes, when 'from' does
// and the seeds that compute are one run: a binary search.
std::int32_t lastComputing(Core core, Nesting nesting, std::int32_t from, std::int32_t to) {
  std::int64_t good = from;
  std::int64_t bad = static_cast<std::int64_t>(to) + (to >= from ? 1 : -1);
  while (std::llabs(bad - good) > 1) {
    const std::int64_t middle = good + (bad - good) / 2;
    if (seedComputes(core, nesting, static_cast<std::int32_t>(middle))) {
      good = middle;
    } else {
      bad = middle;
    }
  }
  return static_cast<std::int32_t>(good);
}

}  // namespace

SeedRange seedRange(Core core, Nesting nesting) {
  // Seed 0 computes for every core and nesting: the run holds it.
  return SeedRange{lastComputing(core, nesting, 0, INT32_MIN),
                   lastComputing(core, nesting, 0, INT32_MAX)};
}

DepthSolution seedForDelay(Core core, Nesting nesting, float Fosc, double targetUs) {
  DepthSolution s;
  s.nesting = nesting;
  std::array<std::int32_t, kLastSeed + 1> delays{};
  for (std::int32_t X = kFirstSeed; X <= kLastSeed; ++X) {
    const Result<std::int32_t> t = core::delayOf(core, nesting, Fosc, X);
    if (!t.ok()) {
      s.error = t.error;
      return s;
    }
    delays[static_cast<std::size_t>(X)] = t.value;
  }
  const std::int32_t first = delays[kFirstSeed];
  const std::int32_t last = delays[kLastSeed];
  // A negative crystal gives negative delays: the last seed is the shortest.
  const bool rising = first <= last;
  s.minUs = rising ? first : last;
  s.maxUs = rising ? last : first;
  s.minX = rising ? kFirstSeed : kLastSeed;
  s.maxX = rising ? kLastSeed : kFirstSeed;
  s.reachable = s.minUs <= targetUs && targetUs <= s.maxUs;
  if (!s.reachable) {
    return s;
  }
  s.X = nearestTo(targetUs, kFirstSeed, kLastSeed, [&delays](std::int32_t X) {
    return static_cast<double>(delays[static_cast<std::size_t>(X)]);
  });
  s.T = delays[static_cast<std::size_t>(s.X)];
  s.errorPercent = errorPercentOf(s.T, targetUs);
  return s;
}

std::optional<std::size_t> bestDepth(const std::vector<DepthSolution>& solutions) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < solutions.size(); ++i) {
    const DepthSolution& s = solutions[i];
    if (s.error != RunError::None || !s.reachable) {
      continue;
    }
    if (!best) {
      best = i;
      continue;
    }
    const DepthSolution& b = solutions[*best];
    const double e = std::fabs(s.errorPercent);
    const double be = std::fabs(b.errorPercent);
    if (e < be || (e == be && s.nesting < b.nesting)) {
      best = i;
    }
  }
  return best;
}

}  // namespace delaysub::design
