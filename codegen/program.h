// Instruction lists: the few 8051 instructions that generated code uses
// (mcu::Op with its operands), with labels, as one type that the executor
// counts, the writers print and the encoder turns into machine code.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mcu/chip.h"

namespace delaysub::codegen {

// Direct addresses and bit addresses that generated code names.
inline constexpr std::uint8_t kSp = 0x81;
inline constexpr std::uint8_t kPsw = 0xD0;
inline constexpr std::uint8_t kAcc = 0xE0;

// One instruction. Which operands count depends on op: reg for the Rn
// forms, address for direct and bit operands, value for #data, target (an
// index into the program) for jumps and calls.
struct Instruction {
  mcu::Op op = mcu::Op::Nop;
  std::uint8_t reg = 0;
  std::uint8_t address = 0;
  std::uint8_t value = 0;
  std::size_t target = 0;
  friend bool operator==(const Instruction&, const Instruction&) = default;
};

// An instruction list. labels[i] names instruction i where it is the target
// of a jump or a call or an entry (empty otherwise); a label at code.size()
// names the end. comments[i] is printed after instruction i (may be empty).
struct Program {
  std::vector<Instruction> code;
  std::vector<std::string> labels;    // code.size() + 1 entries
  std::vector<std::string> comments;  // code.size() entries

  // Bytes of the code (mcu::bytesOf of each instruction).
  std::uint32_t bytes() const;
  // The registers R0..R7 that MOV Rn and DJNZ Rn write, highest first.
  std::vector<int> registersWritten() const;
};

// Builds a Program with jumps to labels by name, resolved by build().
class ProgramBuilder {
 public:
  ProgramBuilder& label(const std::string& name);    // names the next instruction
  ProgramBuilder& comment(const std::string& text);  // on the last instruction
  ProgramBuilder& nop();
  ProgramBuilder& movRn(int reg, std::uint8_t value);
  ProgramBuilder& djnz(int reg, const std::string& target);
  ProgramBuilder& sjmp(const std::string& target);
  ProgramBuilder& ljmp(const std::string& target);
  ProgramBuilder& lcall(const std::string& target);
  ProgramBuilder& acall(const std::string& target);
  ProgramBuilder& ret();
  ProgramBuilder& reti();
  ProgramBuilder& push(std::uint8_t address);
  ProgramBuilder& pop(std::uint8_t address);
  ProgramBuilder& movDirect(std::uint8_t address, std::uint8_t value);
  ProgramBuilder& movDirectA(std::uint8_t address);
  ProgramBuilder& movA(std::uint8_t value);
  ProgramBuilder& anl(std::uint8_t address, std::uint8_t value);
  ProgramBuilder& orl(std::uint8_t address, std::uint8_t value);
  ProgramBuilder& setb(std::uint8_t bit);
  ProgramBuilder& clr(std::uint8_t bit);
  ProgramBuilder& jnb(std::uint8_t bit, const std::string& target);
  ProgramBuilder& jb(std::uint8_t bit, const std::string& target);
  ProgramBuilder& jbc(std::uint8_t bit, const std::string& target);
  // Resolves the jumps; throws std::logic_error for a label never placed or
  // placed twice.
  Program build() const;

 private:
  ProgramBuilder& add(Instruction i, const std::string& target = {});
  std::vector<Instruction> code_;
  std::vector<std::string> targets_;  // by instruction, the label it jumps to
  std::vector<std::string> labels_ = {""};
  std::vector<std::string> comments_;
};

// The machine code of a program placed at origin: relative jumps resolved,
// calls and long jumps to origin + their target's offset. Nothing where a
// relative jump does not reach its target.
std::optional<std::vector<std::uint8_t>> encode(const Program& program, std::uint16_t origin);

}  // namespace delaysub::codegen
