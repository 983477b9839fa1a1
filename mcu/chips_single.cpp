// The single-clock cores: STC15 (STC-Y5), STC8 (STC-Y6), Silicon Labs
// C8051F (CIP-51) and Atmel AT89LP. Clocks are system clocks throughout.
#include <array>

#include "mcu/documents.h"
#include "mcu/families.h"

namespace delaysub::mcu::detail {

namespace {

constexpr InstructionTiming at(Op op, std::uint32_t clocks, const Source& source) {
  return {op, clocks, clocks, source};
}
constexpr InstructionTiming jump(Op op, std::uint32_t taken, std::uint32_t notTaken,
                                 const Source& source) {
  return {op, taken, notTaken, source};
}

// STC15: the data sheet's instruction set summary counts system clocks.
constexpr Source kStc15Summary{kStc15Sheet,
                               "Instruction set summary, p. 340 ff. "
                               "(cyrozap/8051-timing-db cycles_STC-Y5_published.csv)"};
constexpr Source kStc15Cycle{kStc15Sheet,
                             "Instruction set summary: clocks of the 1T core counted in "
                             "system clocks"};

constexpr std::array kStc15{
    at(Op::Nop, 1, kStc15Summary),          at(Op::MovRnImm, 2, kStc15Summary),
    at(Op::DjnzRn, 4, kStc15Summary),       at(Op::Sjmp, 3, kStc15Summary),
    at(Op::Lcall, 4, kStc15Summary),        at(Op::Acall, 4, kStc15Summary),
    at(Op::Ret, 4, kStc15Summary),          at(Op::Reti, 4, kStc15Summary),
    at(Op::PushDirect, 3, kStc15Summary),   at(Op::PopDirect, 2, kStc15Summary),
    at(Op::MovDirectImm, 3, kStc15Summary), at(Op::MovDirectA, 2, kStc15Summary),
    at(Op::MovAImm, 2, kStc15Summary),      at(Op::AnlDirectImm, 3, kStc15Summary),
    at(Op::OrlDirectImm, 3, kStc15Summary), at(Op::SetbBit, 3, kStc15Summary),
    at(Op::ClrBit, 3, kStc15Summary),       at(Op::JnbBit, 5, kStc15Summary),
    at(Op::JbcBit, 5, kStc15Summary),       at(Op::Ljmp, 4, kStc15Summary),
    at(Op::JbBit, 5, kStc15Summary),
};

// STC8: only the instructions on whose clocks two published sources agree:
// the STC8G data sheet's figures as quoted beside hand-timed code, and the
// STC-ISP delay calculator's STC-Y6 routines, which those figures reproduce
// to the clock (Delay1ms at 11.0592 MHz: i = 15, j = 90, 11059 clocks).
constexpr std::string_view kStc8Quoted =
    "STC8G series data sheet, instruction table, as quoted in JohannesWilde/STC8NeoPixel";
constexpr std::string_view kStc8Agrees =
    "agrees with the STC-ISP delay calculator's published STC-Y6 routines";
constexpr Source kStc8Loop{kStc8Quoted,
                           "src/ws2812.c: MOV Rn,#data [1], DJNZ Rn,rel [2/3] "
                           "(not taken/taken), NOP",
                           false, kStc8Agrees};
constexpr Source kStc8Call{kStc8Quoted, "src/main.c: LCALL 3 clocks, RET [3]", false,
                           "the STC-ISP STC-Y6 routines fix LCALL + RET at 6 clocks"};
constexpr Source kStc8Cycle{"STC8G series data sheet",
                            "Features: 1T 8051 core, clocks counted in system clocks"};

constexpr std::array kStc8{
    at(Op::Nop, 1, kStc8Loop),   at(Op::MovRnImm, 1, kStc8Loop), jump(Op::DjnzRn, 3, 2, kStc8Loop),
    at(Op::Lcall, 3, kStc8Call), at(Op::Ret, 3, kStc8Call),
};

// CIP-51: the summary prints a conditional jump's clocks as "not taken/taken";
// the transcription keeps the first figure.
constexpr std::string_view kSilabsSheet = "Silicon Labs C8051F12x/13x data sheet";
constexpr Source kCip51Summary{kSilabsSheet,
                               "CIP-51 Instruction Set Summary, p. 129 ff. "
                               "(cyrozap/8051-timing-db cycles_CIP-51_published.csv)"};
constexpr Source kCip51Taken{kSilabsSheet, "CIP-51 Instruction Set Summary, p. 129 ff.", true,
                             "not taken as transcribed; taken is one clock more (the "
                             "summary's a/a+1 form): the pipeline refill a taken jump costs"};
constexpr Source kCip51Cycle{kSilabsSheet,
                             "CIP-51 Microcontroller: pipelined core, clocks counted in "
                             "SYSCLK cycles, with no flash wait states",
                             false,
                             "above the SYSCLK that needs flash read wait states (FLRT), "
                             "jumps take longer than these figures"};

constexpr std::array kCip51{
    at(Op::Nop, 1, kCip51Summary),          at(Op::MovRnImm, 2, kCip51Summary),
    jump(Op::DjnzRn, 3, 2, kCip51Taken),    at(Op::Sjmp, 3, kCip51Summary),
    at(Op::Lcall, 4, kCip51Summary),        at(Op::Acall, 3, kCip51Summary),
    at(Op::Ret, 5, kCip51Summary),          at(Op::Reti, 5, kCip51Summary),
    at(Op::PushDirect, 2, kCip51Summary),   at(Op::PopDirect, 2, kCip51Summary),
    at(Op::MovDirectImm, 3, kCip51Summary), at(Op::MovDirectA, 2, kCip51Summary),
    at(Op::MovAImm, 2, kCip51Summary),      at(Op::AnlDirectImm, 3, kCip51Summary),
    at(Op::OrlDirectImm, 3, kCip51Summary), at(Op::SetbBit, 2, kCip51Summary),
    at(Op::ClrBit, 2, kCip51Summary),       jump(Op::JnbBit, 4, 3, kCip51Taken),
    jump(Op::JbcBit, 4, 3, kCip51Taken),    at(Op::Ljmp, 4, kCip51Summary),
    jump(Op::JbBit, 4, 3, kCip51Taken),
};

// AT89LP51/52 in its single-cycle (Fast) mode.
constexpr std::string_view kAtmelSheet = "Atmel AT89LP51/52 data sheet (doc3709)";
constexpr Source kLpSummary{kAtmelSheet,
                            "Instruction Set Summary, p. 75 ff. "
                            "(cyrozap/8051-timing-db cycles_AT89LP51_published.csv)"};
constexpr Source kLpCycle{kAtmelSheet, "Instruction Set Summary: clocks of the single-cycle core",
                          false, "Fast mode; the part's Compatibility mode runs other timing"};

constexpr std::array kAt89lp{
    at(Op::Nop, 1, kLpSummary),          at(Op::MovRnImm, 2, kLpSummary),
    at(Op::DjnzRn, 3, kLpSummary),       at(Op::Sjmp, 3, kLpSummary),
    at(Op::Lcall, 4, kLpSummary),        at(Op::Acall, 3, kLpSummary),
    at(Op::Ret, 4, kLpSummary),          at(Op::Reti, 4, kLpSummary),
    at(Op::PushDirect, 2, kLpSummary),   at(Op::PopDirect, 2, kLpSummary),
    at(Op::MovDirectImm, 3, kLpSummary), at(Op::MovDirectA, 2, kLpSummary),
    at(Op::MovAImm, 2, kLpSummary),      at(Op::AnlDirectImm, 3, kLpSummary),
    at(Op::OrlDirectImm, 3, kLpSummary), at(Op::SetbBit, 2, kLpSummary),
    at(Op::ClrBit, 2, kLpSummary),       at(Op::JnbBit, 4, kLpSummary),
    at(Op::JbcBit, 4, kLpSummary),       at(Op::Ljmp, 4, kLpSummary),
    at(Op::JbBit, 4, kLpSummary),
};

constexpr std::array<std::string_view, 6> kStc15Aliases{"stc-y5", "y5",     "stc15f",
                                                        "stc15l", "stc15w", "iap15"};
constexpr std::array<std::string_view, 7> kStc8Aliases{"stc-y6", "y6",    "stc8a", "stc8c",
                                                       "stc8f",  "stc8g", "stc8h"};
constexpr std::array<std::string_view, 3> kCip51Aliases{"cip-51", "cip51", "silabs"};
constexpr std::array<std::string_view, 2> kAt89lpAliases{"at89lp51", "at89lp52"};

constexpr std::array kSingleClock{
    Chip{"stc15", kStc15Aliases, "STC15 series, single-clock (STC-Y5)", 1, kStc15Cycle, kStc15},
    Chip{"stc8", kStc8Aliases, "STC8 series, single-clock (STC-Y6)", 1, kStc8Cycle, kStc8},
    Chip{"c8051f", kCip51Aliases, "Silicon Labs C8051F (CIP-51), single-clock, pipelined", 1,
         kCip51Cycle, kCip51},
    Chip{"at89lp", kAt89lpAliases, "Atmel AT89LP51/52, single-clock (Fast mode)", 1, kLpCycle,
         kAt89lp},
};

}  // namespace

std::span<const Chip> singleClockChips() {
  return kSingleClock;
}

}  // namespace delaysub::mcu::detail
