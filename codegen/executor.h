// The executor: runs an instruction list on a chip's timing table and counts
// its clocks. It follows the program instruction by instruction (registers
// R0..R7 of the bank PSW selects, internal RAM, the SFRs, the stack, DJNZ
// taken and not taken); it does not multiply out formulas.
//
// Fast-forward: a DJNZ loop whose iteration leaves the whole machine as it
// found it except the counter (which nothing but that DJNZ touched) repeats
// that iteration identically until the counter runs out, so the executor
// adds the remaining iterations' clocks and counts at once after seeing two
// identical ones. That keeps a 4-level routine of 10^10 clocks to a few
// hundred steps; ExecutionLimits::fastForward = false runs every instruction.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "codegen/program.h"
#include "mcu/chip.h"

namespace delaysub::codegen {

// The state the instructions change.
struct Machine {
  std::array<std::uint8_t, 256> iram{};  // internal RAM, R0..R7 of bank 0 at 00H..07H
  std::array<std::uint8_t, 128> sfr{};   // 80H..0FFH

  Machine();  // SP = 07H as after reset, everything else 0
  std::uint8_t direct(std::uint8_t address) const;
  void setDirect(std::uint8_t address, std::uint8_t value);
  std::uint8_t reg(int n) const;  // Rn of the bank PSW selects
  std::uint8_t registerAddress(int n) const;
  bool bit(std::uint8_t address) const;
  void setBit(std::uint8_t address, bool value);
  friend bool operator==(const Machine&, const Machine&) = default;
};

// A write to a direct address (RAM or SFR) by MOV, ANL, ORL, SETB, CLR or
// POP, in the order the program made it: what init code set up.
struct Write {
  std::uint8_t address;  // the byte written (for a bit, its byte)
  std::uint8_t value;    // the byte afterwards
  friend bool operator==(const Write&, const Write&) = default;
};

struct ExecutionLimits {
  std::uint64_t maxSteps = 50'000'000;  // instructions executed one by one
  bool fastForward = true;
};

struct Execution {
  bool finished = false;  // ran off the end, or returned from the entry
  std::string problem;    // why not: a missing timing, the step limit, ...
  std::uint64_t clocks = 0;
  std::uint64_t steps = 0;              // instructions executed one by one
  std::vector<std::uint64_t> executed;  // by instruction index
  std::vector<std::uint64_t> taken;     // conditional jumps that jumped
  Machine machine;                      // the state at the end
  std::vector<Write> writes;            // writes to direct addresses below 80H
                                        // are left out: only SFR writes
};

// Runs program from instruction entry on machine until it runs past its
// last instruction or a RET/RETI returns from the entry.
Execution execute(const Program& program, const mcu::Chip& chip, std::size_t entry = 0,
                  Machine machine = {}, const ExecutionLimits& limits = {});

// The clocks of a routine called with LCALL: the LCALL's clocks plus the
// routine's from entry to its RET. Nothing when a timing is missing or it
// does not finish.
struct CallCount {
  bool ok = false;
  std::string problem;
  std::uint64_t clocks = 0;
};
CallCount countCall(const Program& routine, const mcu::Chip& chip, std::size_t entry = 0,
                    const ExecutionLimits& limits = {});

}  // namespace delaysub::codegen
