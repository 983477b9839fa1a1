// Delay-loop timing: the seed X of a DJNZ countdown to the delay time in
// microseconds, for the 12-clock (CALC_T) and 4-clock (W77E_T) cores.
#pragma once

#include <cstdint>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::core {

// The delay time floor(N / Fosc) as a whole double (not limited to 32 bits).
// Every 32-bit integer step is checked on its own (Overflow); the floating
// steps are double precision with Fosc widened from single. A non-zero N over
// a zero Fosc is DivisionByZero, 0 / 0 is Overflow. A loop_type outside 0..2
// gives 0 without looking at X or Fosc. X is only read.
Result<double> CALC_T(const std::int32_t& X, std::int16_t loop_type, float Fosc);
Result<double> W77E_T(const std::int32_t& X, std::int16_t loop_type, float Fosc);

// The same for a core: W77E58 by W77E_T's routines, MCS-51 and AVR by
// CALC_T's (the window times AVR delays with the 12-clock routines).
Result<double> delayTime(Core core, Nesting nesting, std::int32_t X, float Fosc);

// The delay of seed X in whole microseconds, as the window keeps it in T:
// the delay time, then the rounding conversion to 32 bits.
Result<std::int32_t> delayOf(Core core, Nesting nesting, float Fosc, std::int32_t X);
// The same for a delay time already computed.
Result<std::int32_t> wholeDelay(const Result<double>& time);

}  // namespace delaysub::core
