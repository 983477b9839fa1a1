// The chips that delay and timer code is written for, as data: what each one
// is, how many clocks a machine cycle takes, and how many clocks each
// instruction that generated code may use takes on it. Every number carries
// the document (and table or page) it comes from; an instruction whose clocks
// no document gives is absent from a chip's table, and no code may use it
// there.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace delaysub::mcu {

// Where a number comes from: the document, and the table, section or page in
// it. inferred is true where the number is not printed there but follows from
// what is (say how in note).
struct Source {
  std::string_view document;
  std::string_view where;
  bool inferred = false;
  std::string_view note = {};
};

// The instructions that generated code uses, by addressing form. Rn is any of
// R0..R7, direct an internal RAM or SFR address, bit a bit address.
enum class Op : std::uint8_t {
  Nop,           // NOP
  MovRnImm,      // MOV Rn,#data
  DjnzRn,        // DJNZ Rn,rel
  Sjmp,          // SJMP rel
  Lcall,         // LCALL addr16
  Acall,         // ACALL addr11
  Ret,           // RET
  Reti,          // RETI
  PushDirect,    // PUSH direct
  PopDirect,     // POP direct
  MovDirectImm,  // MOV direct,#data
  MovDirectA,    // MOV direct,A
  MovAImm,       // MOV A,#data
  AnlDirectImm,  // ANL direct,#data
  OrlDirectImm,  // ORL direct,#data
  SetbBit,       // SETB bit
  ClrBit,        // CLR bit
  JnbBit,        // JNB bit,rel
  JbcBit,        // JBC bit,rel
  Ljmp,          // LJMP addr16
  JbBit,         // JB bit,rel
};

// The clocks of one instruction on one chip. For a conditional jump, clocks
// is the count when it jumps and clocksNotTaken when it falls through (the
// same where the document gives one count).
struct InstructionTiming {
  Op op;
  std::uint32_t clocks;
  std::uint32_t clocksNotTaken;
  Source source;
};

struct Chip {
  std::string_view name;                      // "8051", "stc15", ...
  std::span<const std::string_view> aliases;  // other names a user may type
  std::string_view description;               // "STC15 series, single-clock"
  std::uint32_t clocksPerCycle;               // 12, 6, 4 or 1
  Source source;                              // of the clocks per cycle
  std::span<const InstructionTiming> instructions;
};

// Every chip, in the order `delaysub-calc chips` lists them.
std::span<const Chip> chips();
// The chip of that name or alias (ASCII case ignored), or nullptr.
const Chip* findChip(std::string_view nameOrAlias);
// The timing of op on chip, or nothing where no source gives it.
std::optional<InstructionTiming> timingOf(const Chip& chip, Op op);
// The instruction's length in bytes (the same on every 8051-family chip).
std::uint32_t bytesOf(Op op);
// The mnemonic form, e.g. "DJNZ Rn,rel".
std::string_view mnemonicOf(Op op);
// The first byte of the instruction; for an Rn form, the one for R0 (add n).
std::uint8_t opcodeOf(Op op);
// Every Op, in the order of the enumeration.
std::span<const Op> allOps();

}  // namespace delaysub::mcu
