// Delay-loop timing: the seed X of a DJNZ countdown to the delay time in
// microseconds, for the 12-clock (CALC_T) and 4-clock (W77E_T) cores.
#pragma once

#include <cstdint>

#include "core/result.h"

namespace delaysub::core {

// The delay time floor(N / Fosc) as a whole double (not limited to 32 bits).
// Every 32-bit integer step is checked on its own (Overflow); the floating
// steps are double precision with Fosc widened from single. A non-zero N over
// a zero Fosc is DivisionByZero, 0 / 0 is Overflow. A loop_type outside 0..2
// gives 0 without looking at X or Fosc. X is only read.
Result<double> CALC_T(const std::int32_t& X, std::int16_t loop_type, float Fosc);
Result<double> W77E_T(const std::int32_t& X, std::int16_t loop_type, float Fosc);

}  // namespace delaysub::core
