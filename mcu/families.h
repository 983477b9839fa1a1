// The chip tables of each family, gathered by chips() in listing order.
#pragma once

#include "mcu/chip.h"

namespace delaysub::mcu::detail {

// 8051, 8051-6t, ds80c320.
std::span<const Chip> classicChips();
// stc15, stc8, c8051f, at89lp.
std::span<const Chip> singleClockChips();

}  // namespace delaysub::mcu::detail
