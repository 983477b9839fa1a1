#include "mcu/interrupts.h"

#include "mcu/documents.h"

namespace delaysub::mcu {

namespace {

// The flag is set in the cycle the timer overflows and polled in the next;
// the hardware's LCALL takes the two after that.
constexpr Source kIntelResponse{detail::kIntel,
                                "Interrupts, Response Time: a minimum of three complete machine "
                                "cycles between the request and the first instruction of the "
                                "service routine"};
constexpr Source kX2Response{detail::kIntel, "Interrupts, Response Time", true,
                             "the same three machine cycles at 6 clocks each in X2 mode"};

}  // namespace

std::optional<InterruptResponse> interruptResponseOf(const Chip& chip) {
  if (chip.name == "8051") {
    return InterruptResponse{36, kIntelResponse};
  }
  if (chip.name == "8051-6t") {
    return InterruptResponse{18, kX2Response};
  }
  return std::nullopt;
}

}  // namespace delaysub::mcu
