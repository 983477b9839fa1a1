// The chip tables of each family, gathered by chips() in listing order.
#pragma once

#include "mcu/chip.h"

namespace delaysub::mcu::detail {

// 8051, 8051-6t, ds80c320.
std::span<const Chip> classicChips();

}  // namespace delaysub::mcu::detail
