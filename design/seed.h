// From a wanted delay to the seed and nesting that give it, and the seeds
// whose delay computes at all. Every delay comes from the operation the
// window calls, so both agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/domain.h"
#include "core/numbers.h"
#include "core/result.h"

namespace delaysub::design {

using core::Core;
using core::Nesting;
using core::Result;
using core::RunError;

// The seeds whose delay computes for a core and nesting depth: every 32-bit
// step of CALC_T (W77E_T for W77E58) fits, whatever the crystal. Found by
// asking the delay operation itself.
struct SeedRange {
  std::int32_t first = 0, last = 0;
  bool operator==(const SeedRange&) const = default;
};
SeedRange seedRange(Core core, Nesting nesting);

// The seeds proposed: BYT_DLY is one byte, and a DJNZ started at 0 makes 256
// passes, which the formulas do not count, so 0 is never proposed.
inline constexpr std::int32_t kFirstSeed = 1;
inline constexpr std::int32_t kLastSeed = core::kByteMax;

struct DepthSolution {
  Nesting nesting = Nesting::Single;
  // A seed of 1..255 whose delay the window cannot compute (a crystal of 0,
  // or one so slow that the delay leaves 32 bits): nothing else is valid.
  RunError error = RunError::None;
  std::int32_t minUs = 0, maxUs = 0;  // the delays of the first and last seed
  std::int32_t minX = 0, maxX = 0;    // the seeds that give them
  bool reachable = false;             // the target lies within minUs..maxUs
  // The seed whose delay is nearest the target (ties to the smaller seed),
  // its delay and (delay - target) / target * 100. Valid when reachable.
  std::int32_t X = 0;
  std::int32_t T = 0;
  double errorPercent = 0.0;
};

// For one core, crystal and nesting depth; targetUs must be above 0.
DepthSolution seedForDelay(Core core, Nesting nesting, float Fosc, double targetUs);
// The reachable solution with the smallest |error|, ties to fewer loops.
std::optional<std::size_t> bestDepth(const std::vector<DepthSolution>& solutions);

}  // namespace delaysub::design
