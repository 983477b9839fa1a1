// The arithmetic of a timer's period and of the baud rate it makes, over
// plain numbers: the crystal, the wanted period or rate, the timer's clock
// divider and counter width. Exact throughout, as avr-libc's setbaud does it
// for the AVR. Which timers, modes and clocks a chip has is for the layer
// above (timer_options.h, uart_options.h).
#pragma once

#include <cstdint>

#include "codegen/ratio.h"

namespace delaysub::codegen {

// 2^width: the counts of a full turn of a counter of that many bits.
std::int64_t fullCount(unsigned width);

// A timer counting Fosc / clockDivider, overflowing every count counts.
struct PeriodCount {
  Ratio wanted;          // the counts the wanted period takes
  bool fits;             // the nearest whole count is 1 .. 2^width
  std::int64_t count;    // the nearest whole count (halves up), kept to 1 .. 2^width
  std::uint32_t reload;  // 2^width - count: the value loaded
  Ratio actualUs;        // the period of count counts
  Ratio errorUs;         // actual - wanted
  Ratio errorPercent;    // error / wanted x 100
};
// For crystalHz > 0, periodUs > 0, clockDivider >= 1, width 1..16.
PeriodCount periodCount(const Ratio& crystalHz, const Ratio& periodUs, std::uint32_t clockDivider,
                        unsigned width);

// The serial port's baud rate from a timer in mode 1:
// baud = Fosc / (divisor x (2^width - reload)), where divisor is the timer's
// clock divider times its overflows per bit (timer 1 in mode 2 on the classic
// core: 12 x 32 / 2^SMOD; the 8052's timer 2: 2 x 16 = 32).
struct BaudCount {
  Ratio wanted;          // the counts per overflow the wanted rate takes
  bool fits;             // the nearest whole count is 1 .. 2^width
  std::int64_t count;    // the count whose rate is nearest the wanted, kept to 1 .. 2^width
  std::uint32_t reload;  // 2^width - count
  Ratio actualBaud;
  Ratio errorPercent;   // (actual - wanted) / wanted x 100
  bool within2Percent;  // |error| <= 2 %
  bool within1Percent;  // |error| <= 1 %
};
BaudCount baudCount(const Ratio& crystalHz, const Ratio& baud, std::uint32_t divisor,
                    unsigned width);

// The byte a register takes of a value: (value >> shift) & mask. The
// classic 13-bit mode 0 keeps TH = value >> 5 and TL = value & 1FH.
std::uint8_t registerByte(std::uint32_t value, unsigned shift, std::uint8_t mask);

}  // namespace delaysub::codegen
