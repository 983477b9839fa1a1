#include "codegen/executor.h"

#include <algorithm>
#include <bit>
#include <optional>

namespace delaysub::codegen {

using mcu::Op;

Machine::Machine() {
  sfr[kSp - 0x80] = 0x07;
}

std::uint8_t Machine::direct(std::uint8_t address) const {
  return address < 0x80 ? iram[address] : sfr[address - 0x80U];
}

void Machine::setDirect(std::uint8_t address, std::uint8_t value) {
  if (address < 0x80) {
    iram[address] = value;
    return;
  }
  sfr[address - 0x80U] = value;
  if (address == kAcc) {
    // PSW.0 is the parity of A.
    const bool odd = (std::popcount(value) & 1) != 0;
    std::uint8_t& psw = sfr[kPsw - 0x80U];
    psw = static_cast<std::uint8_t>(odd ? (psw | 1U) : (psw & 0xFEU));
  }
}

std::uint8_t Machine::registerAddress(int n) const {
  const unsigned bank = (sfr[kPsw - 0x80U] >> 3U) & 3U;
  return static_cast<std::uint8_t>(bank * 8U + static_cast<unsigned>(n));
}

std::uint8_t Machine::reg(int n) const {
  return iram[registerAddress(n)];
}

namespace {

std::uint8_t byteOfBit(std::uint8_t bit) {
  return bit < 0x80 ? static_cast<std::uint8_t>(0x20U + (bit >> 3U))
                    : static_cast<std::uint8_t>(bit & 0xF8U);
}

}  // namespace

bool Machine::bit(std::uint8_t address) const {
  return ((direct(byteOfBit(address)) >> (address & 7U)) & 1U) != 0;
}

void Machine::setBit(std::uint8_t address, bool value) {
  const std::uint8_t byte = byteOfBit(address);
  const auto mask = static_cast<std::uint8_t>(1U << (address & 7U));
  const std::uint8_t old = direct(byte);
  setDirect(byte, static_cast<std::uint8_t>(value ? (old | mask) : (old & ~mask)));
}

namespace {

bool isConditional(Op op) {
  return op == Op::DjnzRn || op == Op::JnbBit || op == Op::JbBit || op == Op::JbcBit;
}

// One run of a program: the machine, the counts and the loop watches of the
// fast-forward.
class Runner {
 public:
  Runner(const Program& p, const mcu::Chip& chip, const ExecutionLimits& limits)
      : p_(p), chip_(chip), limits_(limits), watches_(p.code.size()) {
    ex_.executed.assign(p.code.size(), 0);
    ex_.taken.assign(p.code.size(), 0);
    watchAt_.fill(-1);
  }

  Execution run(std::size_t entry, const Machine& start) {
    ex_.machine = start;
    pc_ = entry;
    while (!ex_.finished && ex_.problem.empty()) {
      if (pc_ == p_.code.size()) {
        ex_.finished = true;
      } else if (pc_ > p_.code.size()) {
        ex_.problem = "jumped outside the program";
      } else if (ex_.steps >= limits_.maxSteps) {
        ex_.problem = "did not finish within " + std::to_string(limits_.maxSteps) + " instructions";
      } else {
        step();
      }
    }
    return std::move(ex_);
  }

 private:
  // The loop watch of one DJNZ: the machine and the counts at its last
  // execution, and whether that one jumped.
  struct Watch {
    bool valid = false;
    bool jumped = false;
    Machine state;
    std::uint64_t clocks = 0;
    std::size_t writes = 0;
    std::vector<std::uint64_t> executed;
    std::vector<std::uint64_t> taken;
  };

  void step() {
    const Instruction& i = p_.code[pc_];
    const std::optional<mcu::InstructionTiming> t = mcu::timingOf(chip_, i.op);
    if (!t) {
      ex_.problem =
          std::string(chip_.name) + " has no clocks for " + std::string(mcu::mnemonicOf(i.op));
      return;
    }
    if (limits_.fastForward && i.op == Op::DjnzRn) {
      watchLoop(i);
    }
    const std::size_t at = pc_;
    current_ = at;
    const bool jumped = perform(i);
    ++ex_.steps;
    ++ex_.executed[at];
    ex_.clocks += (isConditional(i.op) && !jumped) ? t->clocksNotTaken : t->clocks;
    if (isConditional(i.op) && jumped) {
      ++ex_.taken[at];
    }
    if (limits_.fastForward && i.op == Op::DjnzRn) {
      watches_[at].jumped = jumped;
    }
  }

  // Before a DJNZ runs: if the machine is as it was at this DJNZ's last
  // execution except its counter, one less, and that execution jumped, the
  // iterations to come repeat the last one until the counter reaches 1.
  void watchLoop(const Instruction& i) {
    Machine& m = ex_.machine;
    const std::uint8_t a = m.registerAddress(i.reg);
    Watch& w = watches_[pc_];
    const std::uint8_t c = m.iram[a];
    if (w.valid && w.jumped && watchAt_[a] == static_cast<int>(pc_) &&
        ex_.writes.size() == w.writes && c == static_cast<std::uint8_t>(w.state.iram[a] - 1U) &&
        sameExcept(m, w.state, a)) {
      const std::uint64_t repeats = (c == 0 ? 256U : c) - 1U;
      ex_.clocks += repeats * (ex_.clocks - w.clocks);
      for (std::size_t k = 0; k < ex_.executed.size(); ++k) {
        ex_.executed[k] += repeats * (ex_.executed[k] - w.executed[k]);
        ex_.taken[k] += repeats * (ex_.taken[k] - w.taken[k]);
      }
      m.iram[a] = 1;
    }
    w.valid = true;
    w.state = m;
    w.clocks = ex_.clocks;
    w.writes = ex_.writes.size();
    w.executed = ex_.executed;
    w.taken = ex_.taken;
    watchAt_[a] = static_cast<int>(pc_);
  }

  static bool sameExcept(const Machine& x, const Machine& y, std::uint8_t a) {
    return x.sfr == y.sfr && std::equal(x.iram.begin(), x.iram.begin() + a, y.iram.begin()) &&
           std::equal(x.iram.begin() + a + 1, x.iram.end(), y.iram.begin() + a + 1);
  }

  // Something other than the watching DJNZ reads or writes RAM byte a: the
  // loop counting on it cannot be fast-forwarded.
  void touch(std::uint8_t a) {
    const int w = watchAt_[a];
    if (w >= 0 && static_cast<std::size_t>(w) != current_) {
      watches_[static_cast<std::size_t>(w)].valid = false;
      watchAt_[a] = -1;
    }
  }

  void touchDirect(std::uint8_t address) {
    if (address < 0x80) {
      touch(address);
    }
  }

  void write(std::uint8_t address, std::uint8_t value) {
    touchDirect(address);
    ex_.machine.setDirect(address, value);
    if (address >= 0x80) {
      ex_.writes.push_back({address, value});
    }
  }

  void writeBit(std::uint8_t bit, bool value) {
    const std::uint8_t byte = byteOfBit(bit);
    touchDirect(byte);
    ex_.machine.setBit(bit, value);
    if (byte >= 0x80) {
      ex_.writes.push_back({byte, ex_.machine.direct(byte)});
    }
  }

  bool readBit(std::uint8_t bit) {
    touchDirect(byteOfBit(bit));
    return ex_.machine.bit(bit);
  }

  void pushByte(std::uint8_t value) {
    Machine& m = ex_.machine;
    const auto sp = static_cast<std::uint8_t>(m.sfr[kSp - 0x80U] + 1U);
    m.sfr[kSp - 0x80U] = sp;
    touch(sp);
    m.iram[sp] = value;
  }

  std::uint8_t popByte() {
    Machine& m = ex_.machine;
    const std::uint8_t sp = m.sfr[kSp - 0x80U];
    touch(sp);
    m.sfr[kSp - 0x80U] = static_cast<std::uint8_t>(sp - 1U);
    return m.iram[sp];
  }

  void call(std::size_t back, std::size_t target) {
    pushByte(static_cast<std::uint8_t>(back & 0xFFU));
    pushByte(static_cast<std::uint8_t>((back >> 8U) & 0xFFU));
    ++depth_;
    pc_ = target;
  }

  void giveBack() {
    const std::uint8_t high = popByte();
    const std::uint8_t low = popByte();
    if (depth_ == 0) {
      ex_.finished = true;
      return;
    }
    --depth_;
    pc_ = (static_cast<std::size_t>(high) << 8U) | low;
  }

  // Carries out i; true where a conditional jump jumped.
  bool perform(const Instruction& i) {
    Machine& m = ex_.machine;
    const std::size_t next = pc_ + 1;
    pc_ = next;
    switch (i.op) {
      case Op::Nop:
        return false;
      case Op::MovRnImm:
        touch(m.registerAddress(i.reg));
        m.iram[m.registerAddress(i.reg)] = i.value;
        return false;
      case Op::DjnzRn: {
        const std::uint8_t a = m.registerAddress(i.reg);
        touch(a);
        m.iram[a] = static_cast<std::uint8_t>(m.iram[a] - 1U);
        return jumpIf(m.iram[a] != 0, i.target);
      }
      case Op::Sjmp:
      case Op::Ljmp:
        pc_ = i.target;
        return false;
      case Op::Lcall:
      case Op::Acall:
        call(next, i.target);
        return false;
      case Op::Ret:
      case Op::Reti:
        giveBack();
        return false;
      case Op::PushDirect:
        touchDirect(i.address);
        pushByte(m.direct(i.address));
        return false;
      case Op::PopDirect:
        write(i.address, popByte());
        return false;
      default:
        return performData(i);
    }
  }

  bool performData(const Instruction& i) {
    Machine& m = ex_.machine;
    switch (i.op) {
      case Op::MovDirectImm:
        write(i.address, i.value);
        return false;
      case Op::MovDirectA:
        write(i.address, m.direct(kAcc));
        return false;
      case Op::MovAImm:
        write(kAcc, i.value);
        return false;
      case Op::AnlDirectImm:
        write(i.address, static_cast<std::uint8_t>(m.direct(i.address) & i.value));
        return false;
      case Op::OrlDirectImm:
        write(i.address, static_cast<std::uint8_t>(m.direct(i.address) | i.value));
        return false;
      case Op::SetbBit:
        writeBit(i.address, true);
        return false;
      case Op::ClrBit:
        writeBit(i.address, false);
        return false;
      case Op::JnbBit:
        return jumpIf(!readBit(i.address), i.target);
      case Op::JbBit:
        return jumpIf(readBit(i.address), i.target);
      case Op::JbcBit: {
        const bool set = readBit(i.address);
        if (set) {
          writeBit(i.address, false);
        }
        return jumpIf(set, i.target);
      }
      default:
        ex_.problem = "cannot execute " + std::string(mcu::mnemonicOf(i.op));
        return false;
    }
  }

  bool jumpIf(bool condition, std::size_t target) {
    if (condition) {
      pc_ = target;
    }
    return condition;
  }

  const Program& p_;
  const mcu::Chip& chip_;
  ExecutionLimits limits_;
  std::vector<Watch> watches_;
  std::array<int, 256> watchAt_{};
  Execution ex_;
  std::size_t pc_ = 0;
  std::size_t current_ = 0;  // the instruction being carried out
  int depth_ = 0;
};

}  // namespace

Execution execute(const Program& program, const mcu::Chip& chip, std::size_t entry, Machine machine,
                  const ExecutionLimits& limits) {
  return Runner(program, chip, limits).run(entry, machine);
}

CallCount countCall(const Program& routine, const mcu::Chip& chip, std::size_t entry,
                    const ExecutionLimits& limits) {
  const std::optional<mcu::InstructionTiming> lcall = mcu::timingOf(chip, Op::Lcall);
  if (!lcall) {
    return {false, std::string(chip.name) + " has no clocks for LCALL", 0};
  }
  // The LCALL has pushed its return address.
  Machine m;
  m.sfr[kSp - 0x80U] = 0x09;
  const Execution e = execute(routine, chip, entry, m, limits);
  if (!e.finished) {
    return {false, e.problem, 0};
  }
  return {true, "", lcall->clocks + e.clocks};
}

}  // namespace delaysub::codegen
