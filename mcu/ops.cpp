// The instructions generated code uses: mnemonic, first byte and length, as
// the opcode map of the MCS-51 instruction set gives them (the same on every
// chip of the family).
#include <array>

#include "mcu/chip.h"

namespace delaysub::mcu {

namespace {

struct OpInfo {
  Op op;
  std::string_view mnemonic;
  std::uint8_t opcode;
  std::uint32_t bytes;
};

// Intel MCS-51 Microcontroller Family User's Manual (272383-002), instruction
// set summary and opcode map; cyrozap/8051-timing-db opcode_map.csv.
constexpr std::array kOps{
    OpInfo{Op::Nop, "NOP", 0x00, 1},
    OpInfo{Op::MovRnImm, "MOV Rn,#data", 0x78, 2},
    OpInfo{Op::DjnzRn, "DJNZ Rn,rel", 0xD8, 2},
    OpInfo{Op::Sjmp, "SJMP rel", 0x80, 2},
    OpInfo{Op::Lcall, "LCALL addr16", 0x12, 3},
    OpInfo{Op::Acall, "ACALL addr11", 0x11, 2},
    OpInfo{Op::Ret, "RET", 0x22, 1},
    OpInfo{Op::Reti, "RETI", 0x32, 1},
    OpInfo{Op::PushDirect, "PUSH direct", 0xC0, 2},
    OpInfo{Op::PopDirect, "POP direct", 0xD0, 2},
    OpInfo{Op::MovDirectImm, "MOV direct,#data", 0x75, 3},
    OpInfo{Op::MovDirectA, "MOV direct,A", 0xF5, 2},
    OpInfo{Op::MovAImm, "MOV A,#data", 0x74, 2},
    OpInfo{Op::AnlDirectImm, "ANL direct,#data", 0x53, 3},
    OpInfo{Op::OrlDirectImm, "ORL direct,#data", 0x43, 3},
    OpInfo{Op::SetbBit, "SETB bit", 0xD2, 2},
    OpInfo{Op::ClrBit, "CLR bit", 0xC2, 2},
    OpInfo{Op::JnbBit, "JNB bit,rel", 0x30, 3},
    OpInfo{Op::JbcBit, "JBC bit,rel", 0x10, 3},
    OpInfo{Op::Ljmp, "LJMP addr16", 0x02, 3},
    OpInfo{Op::JbBit, "JB bit,rel", 0x20, 3},
};

constexpr bool inEnumOrder() {
  for (std::size_t i = 0; i < kOps.size(); ++i) {
    if (static_cast<std::size_t>(kOps[i].op) != i) {
      return false;
    }
  }
  return true;
}
static_assert(inEnumOrder(), "one row per Op, in the order of the enumeration");

constexpr std::array<Op, kOps.size()> opsOf() {
  std::array<Op, kOps.size()> ops{};
  for (std::size_t i = 0; i < kOps.size(); ++i) {
    ops[i] = kOps[i].op;
  }
  return ops;
}
constexpr std::array kAllOps = opsOf();

const OpInfo& infoOf(Op op) {
  return kOps.at(static_cast<std::size_t>(op));
}

}  // namespace

std::uint32_t bytesOf(Op op) {
  return infoOf(op).bytes;
}

std::string_view mnemonicOf(Op op) {
  return infoOf(op).mnemonic;
}

std::uint8_t opcodeOf(Op op) {
  return infoOf(op).opcode;
}

std::span<const Op> allOps() {
  return kAllOps;
}

}  // namespace delaysub::mcu
