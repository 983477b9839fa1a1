// The chips whose machine cycle is several clocks long: the classic 12-clock
// MCS-51, the same core in 6-clock (X2) mode, and the Dallas 4-clock core.
// Clocks are oscillator clocks throughout.
#include <array>

#include "mcu/documents.h"
#include "mcu/families.h"

namespace delaysub::mcu::detail {

namespace {

constexpr std::string_view kDallas =
    "Maxim DS80C320/DS80C323 High-Speed/Low-Power Microprocessors data sheet";

// Intel: the instruction set summary gives each instruction's bytes and
// oscillator periods.
constexpr Source kIntelSummary{kIntel,
                               "Instruction Set Summary, oscillator periods column "
                               "(PDF p. 51 ff.; cyrozap/8051-timing-db cycles_8051_published.csv)"};
constexpr Source kIntelCycle{kIntel,
                             "Hardware Description, CPU Timing: a machine cycle is 6 states "
                             "of 2 oscillator periods"};

// Dallas: the instruction set summary counts oscillator clocks (machine
// cycles of 4 clocks).
constexpr Source kDallasSummary{kDallas,
                                "Instruction Set Summary, p. 9 ff. "
                                "(cyrozap/8051-timing-db cycles_DS80C320_published.csv)"};
constexpr Source kDallasCycle{kDallas,
                              "Description: a machine cycle of 4 clocks instead of the "
                              "original 12"};

// The same instructions at 6 clocks per machine cycle: not printed per
// instruction by the X2 parts, which state the machine cycle instead.
constexpr Source kX2Summary{kIntel, "Instruction Set Summary, oscillator periods column", true,
                            "the 12-clock count halved: the same machine cycles at 6 clocks "
                            "each in X2 (6-clock) mode"};
constexpr Source kX2Cycle{"NXP P89V51RB2/RC2/RD2 data sheet",
                          "Functional description, X2 mode: 6 clocks per machine cycle"};

constexpr InstructionTiming at(Op op, std::uint32_t clocks, const Source& source) {
  return {op, clocks, clocks, source};
}

// Every instruction of the Op list takes the same clocks whether a jump is
// taken or not on these cores.
constexpr std::array k8051{
    at(Op::Nop, 12, kIntelSummary),          at(Op::MovRnImm, 12, kIntelSummary),
    at(Op::DjnzRn, 24, kIntelSummary),       at(Op::Sjmp, 24, kIntelSummary),
    at(Op::Lcall, 24, kIntelSummary),        at(Op::Acall, 24, kIntelSummary),
    at(Op::Ret, 24, kIntelSummary),          at(Op::Reti, 24, kIntelSummary),
    at(Op::PushDirect, 24, kIntelSummary),   at(Op::PopDirect, 24, kIntelSummary),
    at(Op::MovDirectImm, 24, kIntelSummary), at(Op::MovDirectA, 12, kIntelSummary),
    at(Op::MovAImm, 12, kIntelSummary),      at(Op::AnlDirectImm, 24, kIntelSummary),
    at(Op::OrlDirectImm, 24, kIntelSummary), at(Op::SetbBit, 12, kIntelSummary),
    at(Op::ClrBit, 12, kIntelSummary),       at(Op::JnbBit, 24, kIntelSummary),
    at(Op::JbcBit, 24, kIntelSummary),       at(Op::Ljmp, 24, kIntelSummary),
    at(Op::JbBit, 24, kIntelSummary),
};

constexpr auto halved(const decltype(k8051)& table) {
  auto half = table;
  for (InstructionTiming& row : half) {
    row.clocks /= 2;
    row.clocksNotTaken /= 2;
    row.source = kX2Summary;
  }
  return half;
}
constexpr auto k8051x2 = halved(k8051);

constexpr std::array kDs80c320{
    at(Op::Nop, 4, kDallasSummary),           at(Op::MovRnImm, 8, kDallasSummary),
    at(Op::DjnzRn, 12, kDallasSummary),       at(Op::Sjmp, 12, kDallasSummary),
    at(Op::Lcall, 16, kDallasSummary),        at(Op::Acall, 12, kDallasSummary),
    at(Op::Ret, 16, kDallasSummary),          at(Op::Reti, 16, kDallasSummary),
    at(Op::PushDirect, 8, kDallasSummary),    at(Op::PopDirect, 8, kDallasSummary),
    at(Op::MovDirectImm, 12, kDallasSummary), at(Op::MovDirectA, 8, kDallasSummary),
    at(Op::MovAImm, 8, kDallasSummary),       at(Op::AnlDirectImm, 12, kDallasSummary),
    at(Op::OrlDirectImm, 12, kDallasSummary), at(Op::SetbBit, 8, kDallasSummary),
    at(Op::ClrBit, 8, kDallasSummary),        at(Op::JnbBit, 16, kDallasSummary),
    at(Op::JbcBit, 16, kDallasSummary),       at(Op::Ljmp, 16, kDallasSummary),
    at(Op::JbBit, 16, kDallasSummary),
};

constexpr std::array<std::string_view, 8> k8051Aliases{"mcs51",   "8052",  "80c51", "at89c51",
                                                       "at89s52", "stc89", "stc90", "12t"};
constexpr std::array<std::string_view, 5> k8051x2Aliases{"x2", "6t", "p89v51rd2", "at89c51rc2",
                                                         "stc89-6t"};
constexpr std::array<std::string_view, 4> kDs80c320Aliases{"ds80c323", "ds87c520", "dallas", "4t"};

constexpr std::array kClassic{
    Chip{"8051", k8051Aliases, "classic 12-clock MCS-51 (8051/8052, AT89C51/AT89S52, STC89/STC90)",
         12, kIntelCycle, k8051},
    Chip{"8051-6t", k8051x2Aliases,
         "MCS-51 in 6-clock X2 mode (P89V51RD2, AT89C51RC2 in X2, STC89 in 6-clock mode)", 6,
         kX2Cycle, k8051x2},
    Chip{"ds80c320", kDs80c320Aliases, "Dallas 4-clock core (DS80C320/DS80C323, DS87C520)", 4,
         kDallasCycle, kDs80c320},
};

}  // namespace

std::span<const Chip> classicChips() {
  return kClassic;
}

}  // namespace delaysub::mcu::detail
