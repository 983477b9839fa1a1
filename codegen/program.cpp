#include "codegen/program.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace delaysub::codegen {

using mcu::Op;

std::uint32_t Program::bytes() const {
  std::uint32_t n = 0;
  for (const Instruction& i : code) {
    n += mcu::bytesOf(i.op);
  }
  return n;
}

std::vector<int> Program::registersWritten() const {
  std::vector<int> regs;
  for (const Instruction& i : code) {
    if ((i.op == Op::MovRnImm || i.op == Op::DjnzRn) &&
        std::find(regs.begin(), regs.end(), i.reg) == regs.end()) {
      regs.push_back(i.reg);
    }
  }
  std::sort(regs.rbegin(), regs.rend());
  return regs;
}

ProgramBuilder& ProgramBuilder::label(const std::string& name) {
  labels_.back() = name;
  return *this;
}

ProgramBuilder& ProgramBuilder::comment(const std::string& text) {
  if (!comments_.empty()) {
    comments_.back() = text;
  }
  return *this;
}

ProgramBuilder& ProgramBuilder::add(Instruction i, const std::string& target) {
  code_.push_back(i);
  targets_.push_back(target);
  labels_.emplace_back();
  comments_.emplace_back();
  return *this;
}

ProgramBuilder& ProgramBuilder::nop() {
  return add({Op::Nop});
}
ProgramBuilder& ProgramBuilder::movRn(int reg, std::uint8_t value) {
  return add({.op = Op::MovRnImm, .reg = static_cast<std::uint8_t>(reg), .value = value});
}
ProgramBuilder& ProgramBuilder::djnz(int reg, const std::string& target) {
  return add({.op = Op::DjnzRn, .reg = static_cast<std::uint8_t>(reg)}, target);
}
ProgramBuilder& ProgramBuilder::sjmp(const std::string& target) {
  return add({Op::Sjmp}, target);
}
ProgramBuilder& ProgramBuilder::ljmp(const std::string& target) {
  return add({Op::Ljmp}, target);
}
ProgramBuilder& ProgramBuilder::lcall(const std::string& target) {
  return add({Op::Lcall}, target);
}
ProgramBuilder& ProgramBuilder::acall(const std::string& target) {
  return add({Op::Acall}, target);
}
ProgramBuilder& ProgramBuilder::ret() {
  return add({Op::Ret});
}
ProgramBuilder& ProgramBuilder::reti() {
  return add({Op::Reti});
}
ProgramBuilder& ProgramBuilder::push(std::uint8_t address) {
  return add({.op = Op::PushDirect, .address = address});
}
ProgramBuilder& ProgramBuilder::pop(std::uint8_t address) {
  return add({.op = Op::PopDirect, .address = address});
}
ProgramBuilder& ProgramBuilder::movDirect(std::uint8_t address, std::uint8_t value) {
  return add({.op = Op::MovDirectImm, .address = address, .value = value});
}
ProgramBuilder& ProgramBuilder::movDirectA(std::uint8_t address) {
  return add({.op = Op::MovDirectA, .address = address});
}
ProgramBuilder& ProgramBuilder::movA(std::uint8_t value) {
  return add({.op = Op::MovAImm, .value = value});
}
ProgramBuilder& ProgramBuilder::anl(std::uint8_t address, std::uint8_t value) {
  return add({.op = Op::AnlDirectImm, .address = address, .value = value});
}
ProgramBuilder& ProgramBuilder::orl(std::uint8_t address, std::uint8_t value) {
  return add({.op = Op::OrlDirectImm, .address = address, .value = value});
}
ProgramBuilder& ProgramBuilder::setb(std::uint8_t bit) {
  return add({.op = Op::SetbBit, .address = bit});
}
ProgramBuilder& ProgramBuilder::clr(std::uint8_t bit) {
  return add({.op = Op::ClrBit, .address = bit});
}
ProgramBuilder& ProgramBuilder::jnb(std::uint8_t bit, const std::string& target) {
  return add({.op = Op::JnbBit, .address = bit}, target);
}
ProgramBuilder& ProgramBuilder::jb(std::uint8_t bit, const std::string& target) {
  return add({.op = Op::JbBit, .address = bit}, target);
}
ProgramBuilder& ProgramBuilder::jbc(std::uint8_t bit, const std::string& target) {
  return add({.op = Op::JbcBit, .address = bit}, target);
}

Program ProgramBuilder::build() const {
  std::map<std::string, std::size_t> at;
  for (std::size_t i = 0; i < labels_.size(); ++i) {
    if (!labels_[i].empty() && !at.emplace(labels_[i], i).second) {
      throw std::logic_error("label placed twice: " + labels_[i]);
    }
  }
  Program p{code_, labels_, comments_};
  for (std::size_t i = 0; i < code_.size(); ++i) {
    if (targets_[i].empty()) {
      continue;
    }
    const auto found = at.find(targets_[i]);
    if (found == at.end()) {
      throw std::logic_error("label never placed: " + targets_[i]);
    }
    p.code[i].target = found->second;
  }
  return p;
}

namespace {

bool isRelativeJump(Op op) {
  return op == Op::DjnzRn || op == Op::Sjmp || op == Op::JnbBit || op == Op::JbBit ||
         op == Op::JbcBit;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> encode(const Program& program, std::uint16_t origin) {
  std::vector<std::uint32_t> address{origin};
  for (const Instruction& i : program.code) {
    address.push_back(address.back() + mcu::bytesOf(i.op));
  }
  std::vector<std::uint8_t> out;
  for (std::size_t n = 0; n < program.code.size(); ++n) {
    const Instruction& i = program.code[n];
    const std::uint32_t next = address[n + 1];
    const std::uint32_t target = i.target < address.size() ? address[i.target] : 0;
    std::uint8_t first = mcu::opcodeOf(i.op);
    if (i.op == Op::MovRnImm || i.op == Op::DjnzRn) {
      first = static_cast<std::uint8_t>(first + i.reg);
    } else if (i.op == Op::Acall) {
      if ((target & 0xF800U) != (next & 0xF800U)) {
        return std::nullopt;
      }
      first = static_cast<std::uint8_t>(first | ((target >> 3) & 0xE0U));
    }
    out.push_back(first);
    if (i.op == Op::Lcall || i.op == Op::Ljmp) {
      out.push_back(static_cast<std::uint8_t>(target >> 8));
    }
    if (i.op == Op::Lcall || i.op == Op::Ljmp || i.op == Op::Acall) {
      out.push_back(static_cast<std::uint8_t>(target & 0xFFU));
    }
    if (i.op == Op::PushDirect || i.op == Op::PopDirect || i.op == Op::MovDirectImm ||
        i.op == Op::MovDirectA || i.op == Op::AnlDirectImm || i.op == Op::OrlDirectImm ||
        i.op == Op::SetbBit || i.op == Op::ClrBit || i.op == Op::JnbBit || i.op == Op::JbBit ||
        i.op == Op::JbcBit) {
      out.push_back(i.address);
    }
    if (i.op == Op::MovRnImm || i.op == Op::MovDirectImm || i.op == Op::MovAImm ||
        i.op == Op::AnlDirectImm || i.op == Op::OrlDirectImm) {
      out.push_back(i.value);
    }
    if (isRelativeJump(i.op)) {
      const auto offset = static_cast<std::int64_t>(target) - static_cast<std::int64_t>(next);
      if (offset < -128 || offset > 127) {
        return std::nullopt;
      }
      out.push_back(static_cast<std::uint8_t>(offset & 0xFF));
    }
  }
  return out;
}

}  // namespace delaysub::codegen
