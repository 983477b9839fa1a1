// Writers: an instruction list as assembly text, in Intel/Keil A51 syntax
// (the plain subset that A51 and as31 accept) or in SDCC's sdas8051 syntax,
// and the delay routine as a C function for Keil C51 and SDCC.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "codegen/planner.h"
#include "codegen/program.h"

namespace delaysub::codegen {

enum class Language { Asm, Sdas, C };

// Names to print for direct and bit addresses (TMOD, TR0, ...); numbers
// where none is given.
struct Symbols {
  std::map<std::uint8_t, std::string> direct;
  std::map<std::uint8_t, std::string> bits;
};

// A51 hexadecimal: two digits, H, a leading 0 before a letter: 12H, 0FDH.
std::string hexA51(std::uint8_t value);
// sdas hexadecimal: 0x12, 0xfd.
std::string hexSdas(std::uint8_t value);

// Each header line becomes a ";" comment line, then the labelled code.
std::string writeAsm(const Program& program, const std::vector<std::string>& header,
                     const Symbols& symbols = {});
std::string writeSdas(const Program& program, const std::vector<std::string>& header,
                      const Symbols& symbols = {});

// The delay routine as `void name(void)`: the loop idiom that SDCC and Keil
// C51 compile to MOV Rn,#n and a chain of DJNZ Rn (counters assigned
// innermost first, which makes SDCC put the innermost in R7), _nop_() from
// <intrins.h> or, under SDCC, defined as an inline NOP. Call form only,
// without save: a C compiler keeps its own registers.
std::string writeDelayC(const DelayPlan& plan, const std::string& name,
                        const std::vector<std::string>& header);

}  // namespace delaysub::codegen
