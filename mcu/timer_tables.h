// What the timer tables of every family share: the MCS-51 timer and serial
// registers and bits, the classic timer 0/1 modes, and joining tables.
#pragma once

#include <algorithm>
#include <array>

#include "mcu/documents.h"
#include "mcu/timers.h"

namespace delaysub::mcu::detail {

// One table made of two, at compile time.
template <typename T, std::size_t N, std::size_t M>
constexpr std::array<T, N + M> join(const std::array<T, N>& a, const std::array<T, M>& b) {
  std::array<T, N + M> both{};
  std::copy(a.begin(), a.end(), both.begin());
  std::copy(b.begin(), b.end(), both.begin() + N);
  return both;
}

const TimerSet* classicTimers();  // 8051
const TimerSet* x2Timers();       // 8051-6t
const TimerSet* dallasTimers();   // ds80c320
const TimerSet* stc15Timers();
const TimerSet* stc8Timers();

inline constexpr Source kIntelSfr{kIntel, "Special Function Registers: SFR map and bit names"};
inline constexpr Source kIntelTimers{kIntel,
                                     "Hardware Description, Timer/Counters: TMOD, TCON, "
                                     "modes 0-2, Fosc/12 count"};
inline constexpr Source kIntelSerial{kIntel,
                                     "Hardware Description, Serial Interface: SCON, mode 1 "
                                     "baud = 2^SMOD / 32 x timer 1 overflow rate"};
inline constexpr Source kIntelInterrupts{kIntel,
                                         "Hardware Description, Interrupts: IE, vectors 000BH, "
                                         "001BH, 0023H, 002BH"};
inline constexpr Source kIntelTimer2{kIntel,
                                     "8052 Timer 2: T2CON, RCAP2L/RCAP2H, auto-reload; baud "
                                     "rate generator: Fosc / (32 x (65536 - RCAP2))"};

// The registers and bits every chip here has at the same address.
inline constexpr std::array kBaseRegisters{
    Register{"PCON", 0x87, kIntelSfr}, Register{"TCON", 0x88, kIntelSfr},
    Register{"TMOD", 0x89, kIntelSfr}, Register{"TL0", 0x8A, kIntelSfr},
    Register{"TL1", 0x8B, kIntelSfr},  Register{"TH0", 0x8C, kIntelSfr},
    Register{"TH1", 0x8D, kIntelSfr},  Register{"SCON", 0x98, kIntelSfr},
    Register{"SBUF", 0x99, kIntelSfr}, Register{"IE", 0xA8, kIntelSfr},
};
inline constexpr std::array kBaseBits{
    RegisterBit{"SMOD", "PCON", 7, kIntelSfr}, RegisterBit{"TF1", "TCON", 7, kIntelSfr},
    RegisterBit{"TR1", "TCON", 6, kIntelSfr},  RegisterBit{"TF0", "TCON", 5, kIntelSfr},
    RegisterBit{"TR0", "TCON", 4, kIntelSfr},  RegisterBit{"SM0", "SCON", 7, kIntelSfr},
    RegisterBit{"SM1", "SCON", 6, kIntelSfr},  RegisterBit{"SM2", "SCON", 5, kIntelSfr},
    RegisterBit{"REN", "SCON", 4, kIntelSfr},  RegisterBit{"TI", "SCON", 1, kIntelSfr},
    RegisterBit{"RI", "SCON", 0, kIntelSfr},   RegisterBit{"EA", "IE", 7, kIntelSfr},
    RegisterBit{"ES", "IE", 4, kIntelSfr},     RegisterBit{"ET1", "IE", 3, kIntelSfr},
    RegisterBit{"ET0", "IE", 1, kIntelSfr},
};

// The 8052's timer 2.
inline constexpr std::array k8052Registers{
    Register{"T2CON", 0xC8, kIntelSfr},  Register{"RCAP2L", 0xCA, kIntelSfr},
    Register{"RCAP2H", 0xCB, kIntelSfr}, Register{"TL2", 0xCC, kIntelSfr},
    Register{"TH2", 0xCD, kIntelSfr},
};
inline constexpr std::array k8052Bits{
    RegisterBit{"TF2", "T2CON", 7, kIntelSfr},   RegisterBit{"EXF2", "T2CON", 6, kIntelSfr},
    RegisterBit{"RCLK", "T2CON", 5, kIntelSfr},  RegisterBit{"TCLK", "T2CON", 4, kIntelSfr},
    RegisterBit{"EXEN2", "T2CON", 3, kIntelSfr}, RegisterBit{"TR2", "T2CON", 2, kIntelSfr},
    RegisterBit{"C_T2", "T2CON", 1, kIntelSfr},  RegisterBit{"CP_RL2", "T2CON", 0, kIntelSfr},
    RegisterBit{"ET2", "IE", 5, kIntelSfr},
};

inline constexpr BitSetting kSerialMode1{"SCON", 0xFF, 0x50};

// Timer 0 and 1 mode settings: TMOD's four bits of the timer (GATE and C/T
// cleared: a timer of the internal clock), and where the value goes.
inline constexpr std::array kTmod0Mode0{BitSetting{"TMOD", 0x0F, 0x00}};
inline constexpr std::array kTmod0Mode1{BitSetting{"TMOD", 0x0F, 0x01}};
inline constexpr std::array kTmod0Mode2{BitSetting{"TMOD", 0x0F, 0x02}};
inline constexpr std::array kTmod1Mode0{BitSetting{"TMOD", 0xF0, 0x00}};
inline constexpr std::array kTmod1Mode1{BitSetting{"TMOD", 0xF0, 0x10}};
inline constexpr std::array kTmod1Mode2{BitSetting{"TMOD", 0xF0, 0x20}};

// 13-bit mode 0: TH holds the upper 8 bits, TL the lower 5.
inline constexpr std::array kLoad0Split13{ValueRegister{"TH0", 5, 0xFF},
                                          ValueRegister{"TL0", 0, 0x1F}};
inline constexpr std::array kLoad1Split13{ValueRegister{"TH1", 5, 0xFF},
                                          ValueRegister{"TL1", 0, 0x1F}};
inline constexpr std::array kLoad0Word{ValueRegister{"TH0", 8, 0xFF},
                                       ValueRegister{"TL0", 0, 0xFF}};
inline constexpr std::array kLoad1Word{ValueRegister{"TH1", 8, 0xFF},
                                       ValueRegister{"TL1", 0, 0xFF}};
// 8-bit auto-reload: TL counts, TH holds the reload; both start at it.
inline constexpr std::array kLoad0Byte{ValueRegister{"TH0", 0, 0xFF},
                                       ValueRegister{"TL0", 0, 0xFF}};
inline constexpr std::array kLoad1Byte{ValueRegister{"TH1", 0, 0xFF},
                                       ValueRegister{"TL1", 0, 0xFF}};

// The classic modes 0-2 of timer 0 and of timer 1.
inline constexpr std::array kClassicModes0{
    TimerMode{0, "13-bit", 13, false, kTmod0Mode0, kLoad0Split13, kIntelTimers},
    TimerMode{1, "16-bit", 16, false, kTmod0Mode1, kLoad0Word, kIntelTimers},
    TimerMode{2, "8-bit auto-reload", 8, true, kTmod0Mode2, kLoad0Byte, kIntelTimers},
};
inline constexpr std::array kClassicModes1{
    TimerMode{0, "13-bit", 13, false, kTmod1Mode0, kLoad1Split13, kIntelTimers},
    TimerMode{1, "16-bit", 16, false, kTmod1Mode1, kLoad1Word, kIntelTimers},
    TimerMode{2, "8-bit auto-reload", 8, true, kTmod1Mode2, kLoad1Byte, kIntelTimers},
};

// The 8052's timer 2: 16-bit auto-reload from RCAP2 (T2CON's RCLK, TCLK,
// EXEN2, C/T2 and CP/RL2 cleared), or the serial port's baud rate generator
// (RCLK and TCLK set), which counts Fosc / 2 on the 12-clock core.
inline constexpr std::array kT2ReloadMode{BitSetting{"T2CON", 0x3B, 0x00}};
inline constexpr std::array kT2BaudMode{BitSetting{"T2CON", 0x3B, 0x30}};
inline constexpr std::array kT2Load{ValueRegister{"RCAP2H", 8, 0xFF},
                                    ValueRegister{"RCAP2L", 0, 0xFF}, ValueRegister{"TH2", 8, 0xFF},
                                    ValueRegister{"TL2", 0, 0xFF}};
inline constexpr std::array kT2Modes{
    TimerMode{0, "16-bit auto-reload", 16, true, kT2ReloadMode, kT2Load, kIntelTimer2}};

// PCON's SMOD for the timer 1 baud rates.
inline constexpr std::array kSmod0Mode2{BitSetting{"PCON", 0x80, 0x00},
                                        BitSetting{"TMOD", 0xF0, 0x20}};
inline constexpr std::array kSmod1Mode2{BitSetting{"PCON", 0x80, 0x80},
                                        BitSetting{"TMOD", 0xF0, 0x20}};

// Timers 0 and 1 as every chip here has them: TCON's run bits and flags, IE's
// enables, vectors 000BH and 001BH; their modes and clocks vary.
constexpr Timer timer0(std::span<const TimerMode> modes, std::span<const TimerClock> clocks,
                       const Source& source) {
  return {0,      "",    {"TCON", 0x10, 0x10}, {"IE", 0x02, 0x02}, "TF0", true, 0x000B, 1, modes,
          clocks, source};
}
constexpr Timer timer1(std::span<const TimerMode> modes, std::span<const TimerClock> clocks,
                       const Source& source) {
  return {1,      "",    {"TCON", 0x40, 0x40}, {"IE", 0x08, 0x08}, "TF1", true, 0x001B, 3, modes,
          clocks, source};
}

inline constexpr std::string_view k8052Only = "8052-class parts (8052, AT89S52, STC89C52...)";

}  // namespace delaysub::mcu::detail
