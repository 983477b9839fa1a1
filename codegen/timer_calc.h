// The arithmetic of a timer's period and of the baud rate it makes, over
// plain numbers: the crystal, the wanted period or rate, the timer's clock
// divider and counter width. Exact throughout (codegen/exact.h), as
// avr-libc's setbaud does it for the AVR. Which timers, modes and clocks a
// chip has is for the layer above (timer_options.h, uart_options.h).
//
// The functions throw std::overflow_error where an exact result would leave
// 128 bits; crystals and times as readFrequency and readTime give them never
// come near that.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "codegen/exact.h"

namespace delaysub::codegen {

// 2^width: the counts of a full turn of a counter of that many bits.
std::uint64_t fullCount(unsigned width);

// A timer counting Fosc / clockDivider, overflowing every count counts.
struct PeriodCount {
  Ratio wanted;             // the counts the wanted period takes
  bool fits;                // the nearest whole count is 1 .. 2^width
  std::uint64_t count;      // the nearest whole count (halves up), kept to 1 .. 2^width
  std::uint32_t reload;     // 2^width - count: the value loaded
  Ratio actualUs;           // the period of count counts
  Difference errorUs;       // actual - wanted
  Difference errorPercent;  // error / wanted x 100
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
  std::uint64_t count;   // the count whose rate is nearest the wanted, kept to 1 .. 2^width
  std::uint32_t reload;  // 2^width - count
  Ratio actualBaud;
  Difference errorPercent;  // (actual - wanted) / wanted x 100
  bool within2Percent;      // |error| <= 2 %
  bool within1Percent;      // |error| <= 1 %
};
BaudCount baudCount(const Ratio& crystalHz, const Ratio& baud, std::uint32_t divisor,
                    unsigned width);

// The byte a register takes of a value: (value >> shift) & mask. The
// classic 13-bit mode 0 keeps TH = value >> 5 and TL = value & 1FH.
std::uint8_t registerByte(std::uint32_t value, unsigned shift, std::uint8_t mask);

// The whole number nearest r, halves up (2.5 -> 3).
std::uint64_t nearestWhole(const Ratio& r);
// The value of an exact operation, or std::overflow_error.
Ratio exactly(const std::optional<Ratio>& r);
// d as a share of whole, in percent.
Difference percentOf(const Difference& d, const Ratio& whole);
// A number with exactly `places` decimals, halves up, with its sign where it
// is not 0 at that precision: "+0.16", "-0.17", "0.00", "9600.00".
std::string fixedText(const Ratio& r, int places);
std::string fixedText(const Difference& d, int places);

}  // namespace delaysub::codegen
