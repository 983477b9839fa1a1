// Set-up code for a timer or the serial port, as an instruction list (which
// the executor runs, so that the registers it sets can be read back) and as
// text in each language: A51 assembly, sdas assembly, and C for Keil C51
// and SDCC.
//
// Settings change only their own bits: TMOD, AUXR, PCON, CKCON and T2CON by
// ANL/ORL (&=, |=), a single bit of a bit-addressable register by SETB/CLR,
// a whole register (SCON, the reload bytes) by MOV.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codegen/program.h"
#include "codegen/writers.h"
#include "mcu/timers.h"

namespace delaysub::codegen {

// A register or bit the code names that the generic headers (Keil's
// reg51.h, SDCC's 8051.h) do not declare: it is declared with the code.
struct Declaration {
  std::string name;
  std::uint8_t address;  // SFR address, or bit address for a bit
  bool bit;
};

struct InitCode {
  Program program;                       // the set-up routine, then the interrupt or send routine
  std::string initName;                  // "Timer0_Init", "Uart_Init"
  std::optional<std::size_t> isrEntry;   // the interrupt routine's first instruction
  std::string isrName;                   // "Timer0_Isr"
  std::uint16_t vector = 0;              // where LJMP isrName goes
  std::uint8_t interruptNumber = 0;      // Keil's interrupt n, SDCC's __interrupt(n)
  std::optional<std::size_t> sendEntry;  // Uart_Send, sending A (C: its argument)
  Symbols symbols;                       // names of the registers and bits
  std::vector<Declaration> declarations;
};

// The instructions that apply a setting: MOV for a whole register, SETB or
// CLR for one named bit of a bit-addressable register, ANL and ORL for the
// others. Throws std::logic_error for a register the chip's data lacks.
void applySetting(ProgramBuilder& code, const mcu::TimerSet& set, const mcu::BitSetting& s);
// The index of the instruction a label names (std::logic_error if none).
std::size_t entryOf(const Program& program, const std::string& label);
// Settings of the same register joined into one, in order of first mention.
std::vector<mcu::BitSetting> merged(std::initializer_list<std::span<const mcu::BitSetting>> groups);
// The address of a register of the chip's data (std::logic_error if absent).
std::uint8_t addressOf(const mcu::TimerSet& set, std::string_view reg);

// A periodic timer: clock, mode, start value, flag cleared, its interrupt and
// EA enabled, started; the interrupt routine writes isrReload where the mode
// does not reload itself, and clears the flag where the hardware does not.
InitCode periodicTimerCode(const mcu::TimerSet& set, const mcu::Timer& timer,
                           const mcu::TimerMode& mode, const mcu::TimerClock& clock,
                           std::uint32_t reload, std::uint32_t isrReload);

// The serial port in mode 1 at the rate of a baud source, and a polled send
// routine.
InitCode uartCode(const mcu::TimerSet& set, const mcu::BaudSource& source,
                  const mcu::TimerClock& clock, std::uint32_t reload);

// The code as text: header lines as comments, the declarations, the routines.
std::string writeInitCode(const InitCode& code, Language language,
                          const std::vector<std::string>& header);

}  // namespace delaysub::codegen
