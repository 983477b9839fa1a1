// How soon a chip starts a timer's interrupt routine after the timer
// overflows, where a document gives it: the least clocks from the overflow
// to the first instruction at the vector (the polling of the flag and the
// hardware's call). A routine that reloads the timer is late by this and by
// its own instructions before the reload.
#pragma once

#include <cstdint>
#include <optional>

#include "mcu/chip.h"

namespace delaysub::mcu {

struct InterruptResponse {
  std::uint32_t clocks;  // at the least; an instruction of several cycles under way adds to it
  Source source;
};

// Nothing where no source here gives the chip's response.
std::optional<InterruptResponse> interruptResponseOf(const Chip& chip);

}  // namespace delaysub::mcu
