// The set-up code as text in each language.
#include <algorithm>
#include <array>
#include <string_view>

#include "codegen/init_code.h"

namespace delaysub::codegen {

namespace {

using mcu::Op;

std::string hexC(std::uint8_t value) {
  constexpr std::string_view kDigits = "0123456789ABCDEF";
  return std::string("0x") + kDigits[value >> 4U] + kDigits[value & 15U];
}

std::string comments(const std::vector<std::string>& header, std::string_view mark) {
  std::string out;
  for (const std::string& line : header) {
    out += std::string(mark) + (line.empty() ? "" : " " + line) + "\n";
  }
  return out;
}

// A51 declares what its default 8051 symbols lack; sdas knows no SFR names.
std::string asmDeclarations(const InitCode& code) {
  std::string out;
  for (const Declaration& d : code.declarations) {
    std::string line = d.name;
    line.resize(std::max<std::size_t>(line.size() + 1, 8), ' ');
    out += line + (d.bit ? "BIT     " : "DATA    ") + hexA51(d.address) + "\n";
  }
  return out;
}

std::string sdasDeclarations(const InitCode& code) {
  std::string out;
  std::vector<std::string> seen;
  for (const Instruction& i : code.program.code) {
    const bool bit = i.op == Op::SetbBit || i.op == Op::ClrBit || i.op == Op::JnbBit;
    const auto& names = bit ? code.symbols.bits : code.symbols.direct;
    const auto found = names.find(i.address);
    const bool named = i.op != Op::Ret && i.op != Op::Reti && i.op != Op::Ljmp;
    if (named && found != names.end() &&
        std::find(seen.begin(), seen.end(), found->second) == seen.end()) {
      seen.push_back(found->second);
      out += "        " + found->second + " = " + hexSdas(i.address) + "\n";
    }
  }
  return out;
}

std::string cDeclarations(const InitCode& code) {
  std::string sdcc = "#ifdef __SDCC\n#include <8051.h>\n";
  std::string keil = "#else\n#include <reg51.h>\n";
  for (const Declaration& d : code.declarations) {
    sdcc += std::string(d.bit ? "__sbit" : "__sfr") + " __at(" + hexC(d.address) + ") " + d.name +
            ";\n";
    keil += std::string(d.bit ? "sbit " : "sfr ") + d.name + " = " + hexC(d.address) + ";\n";
  }
  return sdcc + keil + "#endif\n";
}

// One instruction of straight-line set-up code as a C statement.
std::string statement(const InitCode& code, const Instruction& i) {
  const auto name = [&](const std::map<std::uint8_t, std::string>& names) {
    const auto found = names.find(i.address);
    return found != names.end() ? found->second : hexC(i.address);
  };
  switch (i.op) {
    case Op::MovDirectImm:
      return name(code.symbols.direct) + " = " + hexC(i.value) + ";";
    case Op::AnlDirectImm:
      return name(code.symbols.direct) + " &= " + hexC(i.value) + ";";
    case Op::OrlDirectImm:
      return name(code.symbols.direct) + " |= " + hexC(i.value) + ";";
    case Op::SetbBit:
      return name(code.symbols.bits) + " = 1;";
    case Op::ClrBit:
      return name(code.symbols.bits) + " = 0;";
    default:
      return {};
  }
}

// The statements from instruction `from` to the next RET or RETI.
std::string body(const InitCode& code, std::size_t from) {
  std::string out;
  for (std::size_t n = from; n < code.program.code.size(); ++n) {
    const Instruction& i = code.program.code[n];
    if (i.op == Op::Ret || i.op == Op::Reti) {
      break;
    }
    out += "    " + statement(code, i) + "\n";
  }
  return out;
}

std::string cText(const InitCode& code) {
  std::string out =
      cDeclarations(code) + "\nvoid " + code.initName + "(void)\n{\n" + body(code, 0) + "}\n";
  if (code.isrEntry) {
    const std::string n = std::to_string(code.interruptNumber);
    std::string work = body(code, *code.isrEntry);
    if (work.empty()) {
      work = "    /* the work of every period */\n";
    }
    out += "\n#ifdef __SDCC\nvoid " + code.isrName + "(void) __interrupt(" + n + ")\n#else\nvoid " +
           code.isrName + "(void) interrupt " + n + "\n#endif\n{\n" + work + "}\n";
  }
  if (code.sendEntry) {
    out +=
        "\nvoid Uart_Send(unsigned char c)\n{\n    SBUF = c;\n    while (!TI) {\n    }\n"
        "    TI = 0;\n}\n";
  }
  return out;
}

}  // namespace

std::string writeInitCode(const InitCode& code, Language language,
                          const std::vector<std::string>& header) {
  switch (language) {
    case Language::C:
      return "/*\n" + comments(header, " *") + " */\n" + cText(code);
    case Language::Sdas:
      return comments(header, ";") + sdasDeclarations(code) +
             writeSdas(code.program, {}, code.symbols);
    case Language::Asm:
      break;
  }
  return comments(header, ";") + asmDeclarations(code) + writeAsm(code.program, {}, code.symbols);
}

}  // namespace delaysub::codegen
