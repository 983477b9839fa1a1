#include "codegen/writers.h"

#include <array>
#include <cctype>

namespace delaysub::codegen {

using mcu::Op;

namespace {

constexpr std::string_view kHexDigits = "0123456789ABCDEF";

// One assembler dialect: how it writes mnemonics, numbers and registers.
struct Dialect {
  bool lowerCase;
  std::string (*hex)(std::uint8_t);
};

std::string cased(std::string_view text, const Dialect& d) {
  std::string out(text);
  if (d.lowerCase) {
    for (char& c : out) {
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return out;
}

std::string named(const std::map<std::uint8_t, std::string>& names, std::uint8_t address,
                  const Dialect& d) {
  const auto found = names.find(address);
  return found != names.end() ? found->second : d.hex(address);
}

std::string mnemonic(Op op) {
  const std::string_view form = mcu::mnemonicOf(op);
  return std::string(form.substr(0, form.find(' ')));
}

// The operands of i, jumps naming their target's label.
std::string operands(const Program& p, const Instruction& i, const Dialect& d, const Symbols& s) {
  const std::string reg = cased("R", d) + std::to_string(i.reg);
  std::string imm = "#";
  imm += d.hex(i.value);
  const std::string direct = named(s.direct, i.address, d);
  const std::string bit = named(s.bits, i.address, d);
  const std::string target = i.target < p.labels.size() ? p.labels[i.target] : std::string();
  switch (i.op) {
    case Op::MovRnImm:
      return reg + "," + imm;
    case Op::DjnzRn:
      return reg + "," + target;
    case Op::Sjmp:
    case Op::Ljmp:
    case Op::Lcall:
    case Op::Acall:
      return target;
    case Op::PushDirect:
    case Op::PopDirect:
      return direct;
    case Op::MovDirectImm:
    case Op::AnlDirectImm:
    case Op::OrlDirectImm:
      return direct + "," + imm;
    case Op::MovDirectA:
      return direct + "," + cased("A", d);
    case Op::MovAImm:
      return cased("A", d) + "," + imm;
    case Op::SetbBit:
    case Op::ClrBit:
      return bit;
    case Op::JnbBit:
    case Op::JbBit:
    case Op::JbcBit:
      return bit + "," + target;
    default:
      return {};
  }
}

std::string write(const Program& p, const std::vector<std::string>& header, const Dialect& d,
                  const Symbols& s) {
  std::string out;
  for (const std::string& line : header) {
    out += line.empty() ? ";\n" : "; " + line + "\n";
  }
  for (std::size_t n = 0; n <= p.code.size(); ++n) {
    if (n < p.labels.size() && !p.labels[n].empty()) {
      out += p.labels[n] + ":\n";
    }
    if (n == p.code.size()) {
      break;
    }
    const Instruction& i = p.code[n];
    std::string line = "        " + cased(mnemonic(i.op), d);
    const std::string ops = operands(p, i, d, s);
    if (!ops.empty()) {
      line.resize(std::max<std::size_t>(line.size() + 1, 16), ' ');
      line += ops;
    }
    if (n < p.comments.size() && !p.comments[n].empty()) {
      line.resize(std::max<std::size_t>(line.size() + 1, 32), ' ');
      line += "; " + p.comments[n];
    }
    out += line + "\n";
  }
  return out;
}

}  // namespace

std::string hexA51(std::uint8_t value) {
  std::string text{kHexDigits[value >> 4U], kHexDigits[value & 15U], 'H'};
  return text[0] >= 'A' ? "0" + text : text;
}

std::string hexSdas(std::uint8_t value) {
  std::string text = "0x";
  text += static_cast<char>(std::tolower(kHexDigits[value >> 4U]));
  text += static_cast<char>(std::tolower(kHexDigits[value & 15U]));
  return text;
}

std::string writeAsm(const Program& program, const std::vector<std::string>& header,
                     const Symbols& symbols) {
  return write(program, header, {false, hexA51}, symbols);
}

std::string writeSdas(const Program& program, const std::vector<std::string>& header,
                      const Symbols& symbols) {
  return write(program, header, {true, hexSdas}, symbols);
}

std::string writeDelayC(const DelayPlan& plan, const std::string& name,
                        const std::vector<std::string>& header) {
  static constexpr std::array<std::string_view, 4> kOuterFirst{"i", "j", "k", "l"};
  const auto k = static_cast<std::size_t>(plan.levels);
  // Level j (0 innermost) is variable kOuterFirst[k - 1 - j].
  auto var = [&](std::size_t j) { return std::string(kOuterFirst[k - 1 - j]); };
  std::string out = "/*\n";
  for (const std::string& line : header) {
    out += line.empty() ? " *\n" : " * " + line + "\n";
  }
  out += " */\n";
  if (plan.nops > 0) {
    out +=
        "#ifdef __SDCC\n"
        "#define _nop_() __asm nop __endasm\n"
        "#else\n"
        "#include <intrins.h>\n"
        "#endif\n";
  }
  out += "\nvoid " + name + "(void)\n{\n";
  if (k > 0) {
    out += "    unsigned char ";
    for (std::size_t j = k; j-- > 0;) {
      out += var(j) + (j > 0 ? ", " : ";\n");
    }
    out += "\n";
  }
  for (int i = 0; i < plan.nops; ++i) {
    out += "    _nop_();\n";
  }
  for (std::size_t j = 0; j < k; ++j) {
    out += "    " + var(j) + " = " + std::to_string(plan.counters[j]) + ";\n";
  }
  // The loops from the outermost in: "do {" per outer level, then the
  // innermost while, then each level's reload and closing while.
  const std::string reload = std::to_string(plan.reloadValue);
  for (std::size_t j = k; j-- > 1;) {
    out += std::string(4 * (k - j), ' ') + "do\n" + std::string(4 * (k - j), ' ') + "{\n";
  }
  if (k > 0) {
    out += std::string(4 * k, ' ') + "while (--" + var(0) + ");\n";
  }
  for (std::size_t j = 1; j < k; ++j) {
    const std::string indent(4 * (k - j), ' ');
    if (j - 1 < static_cast<std::size_t>(plan.reloaded)) {
      out += indent + "    " + var(j - 1) + " = " + reload + ";\n";
    }
    out += indent + "} while (--" + var(j) + ");\n";
  }
  return out + "}\n";
}

}  // namespace delaysub::codegen
