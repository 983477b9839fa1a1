// What each chip's timers and serial port can do, as data: the timers, their
// modes (counter width, whether they reload themselves), the clocks they can
// count, the ways the serial port takes its baud rate from a timer, and the
// registers and bits that set all of it up. Every choice carries its source;
// a chip no document here describes has no timer data. The arithmetic
// (reloads, errors) is done by the code that reads these tables.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "mcu/chip.h"

namespace delaysub::mcu {

// A special function register, named as the chips' C headers name it.
struct Register {
  std::string_view name;
  std::uint8_t address;
  Source source;
};

// A named bit (0 = least significant) of a register. A register at an address
// divisible by 8 is bit-addressable: the bit's address is address + bit.
struct RegisterBit {
  std::string_view name;
  std::string_view reg;
  std::uint8_t bit;
  Source source;
};

// Bits of a register set to a value, the others left alone:
// reg = (reg & ~mask) | value.
struct BitSetting {
  std::string_view reg;
  std::uint8_t mask;
  std::uint8_t value;
};

// Where a value loaded into a timer goes: reg = (value >> shift) & mask.
struct ValueRegister {
  std::string_view reg;
  std::uint8_t shift;
  std::uint8_t mask;
};

// A clock a timer can count: Fosc / divider, chosen by the settings (none
// where the clock is fixed).
struct TimerClock {
  std::uint32_t divider;
  std::span<const BitSetting> select;
  Source source;
};

struct TimerMode {
  // TMOD's M1:M0 for timers 0 and 1; 0 for the one reload mode of timer 2.
  std::uint8_t mode;
  std::string_view name;  // "13-bit", "16-bit auto-reload", ...
  std::uint8_t width;     // counter bits: 8, 13 or 16; it overflows after 2^width - value
  bool autoReload;        // reloads itself at overflow (otherwise the program must)
  std::span<const BitSetting> select;   // the settings that choose the mode
  std::span<const ValueRegister> load;  // where the start (and reload) value goes
  Source source;
};

struct Timer {
  std::uint8_t number;      // 0, 1 or 2
  std::string_view onlyOn;  // the parts that have it, where not every part of the chip does
  BitSetting run;           // applied, the timer counts
  BitSetting interruptEnable;
  std::string_view flag;         // the overflow flag bit, "" where the program cannot read one
  bool flagClearedOnVector;      // the hardware clears the flag when it takes the interrupt
  std::uint16_t vector;          // interrupt vector address
  std::uint8_t interruptNumber;  // Keil's "interrupt n", SDCC's "__interrupt(n)"
  std::span<const TimerMode> modes;
  std::span<const TimerClock> clocks;
  Source source;
};

// One way the serial port in mode 1 takes its baud rate from a timer:
// baud = Fosc / (clock divider * baudDivider * (2^width - reload)), for each
// of the clocks. The timer runs with its own run setting.
struct BaudSource {
  std::uint8_t timer;
  std::uint8_t mode;                 // the timer's mode, as TimerMode::mode
  std::optional<std::uint8_t> smod;  // PCON's SMOD where it takes part
  std::uint32_t baudDivider;         // timer overflows per bit time
  std::uint8_t width;
  std::span<const TimerClock> clocks;
  std::span<const BitSetting> select;  // all settings besides SCON and the clock's
  std::span<const ValueRegister> load;
  std::string_view onlyOn;
  Source source;
};

struct TimerSet {
  std::span<const Timer> timers;
  std::span<const BaudSource> baudSources;
  BitSetting serialMode1;  // SCON for 8-bit UART mode 1 with the receiver on
  std::span<const Register> registers;
  std::span<const RegisterBit> bits;
};

// The chip's timers and serial port, or nullptr where no source here
// describes them.
const TimerSet* timersOf(const Chip& chip);
// The register or bit of that name (exact case, as the headers spell it).
const Register* findRegister(const TimerSet& set, std::string_view name);
const RegisterBit* findBit(const TimerSet& set, std::string_view name);
// The bit's own address, where its register is bit-addressable.
std::optional<std::uint8_t> bitAddressOf(const TimerSet& set, std::string_view bitName);
// The timer of that number, or nullptr.
const Timer* findTimer(const TimerSet& set, std::uint8_t number);

}  // namespace delaysub::mcu
