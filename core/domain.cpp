#include "core/domain.h"

#include <cstddef>

namespace delaysub::core {

namespace {

// The tables are in code order: a code is its row's index.
template <class Row, std::size_t N>
const Row* rowOf(const std::array<Row, N>& rows, std::int16_t code) {
  if (code < 0 || code >= static_cast<std::int16_t>(N)) {
    return nullptr;
  }
  return &rows[static_cast<std::size_t>(code)];
}

constexpr bool inCodeOrder() {
  for (std::size_t i = 0; i < kCores.size(); ++i) {
    if (static_cast<std::size_t>(kCores[i].core) != i) {
      return false;
    }
  }
  for (std::size_t i = 0; i < kNestings.size(); ++i) {
    if (static_cast<std::size_t>(kNestings[i].nesting) != i) {
      return false;
    }
  }
  return true;
}
static_assert(inCodeOrder());

}  // namespace

std::optional<Core> coreOf(std::int16_t cpu_type) {
  const CoreInfo* row = rowOf(kCores, cpu_type);
  return row ? std::optional<Core>(row->core) : std::nullopt;
}

std::optional<Nesting> nestingOf(std::int16_t loop_type) {
  const NestingInfo* row = rowOf(kNestings, loop_type);
  return row ? std::optional<Nesting>(row->nesting) : std::nullopt;
}

std::int16_t cpuTypeOf(Core core) {
  return static_cast<std::int16_t>(core);
}

std::int16_t loopTypeOf(Nesting nesting) {
  return static_cast<std::int16_t>(nesting);
}

Core timedCoreOf(std::int16_t cpu_type) {
  return coreOf(cpu_type) == Core::W77e58 ? Core::W77e58 : Core::Mcs51;
}

const CoreInfo& infoOf(Core core) {
  return kCores[static_cast<std::size_t>(core)];
}

const NestingInfo& infoOf(Nesting nesting) {
  return kNestings[static_cast<std::size_t>(nesting)];
}

}  // namespace delaysub::core
