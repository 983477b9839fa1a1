#include "codegen/init_code.h"

#include <algorithm>
#include <array>
#include <bit>
#include <stdexcept>

#include "codegen/timer_options.h"

namespace delaysub::codegen {

namespace {

// The names Keil's reg51.h and SDCC's 8051.h both declare (of those that
// timer and serial code uses).
constexpr std::array<std::string_view, 10> kGenericRegisters{"PCON", "TCON", "TMOD", "TL0",  "TL1",
                                                             "TH0",  "TH1",  "SCON", "SBUF", "IE"};
constexpr std::array<std::string_view, 14> kGenericBits{
    "TF1", "TR1", "TF0", "TR0", "SM0", "SM1", "SM2", "REN", "TI", "RI", "EA", "ES", "ET1", "ET0"};

template <std::size_t N>
bool among(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The named bit of reg at position, where reg is bit-addressable.
const mcu::RegisterBit* namedBit(const mcu::TimerSet& set, std::string_view reg,
                                 std::uint8_t position) {
  for (const mcu::RegisterBit& b : set.bits) {
    if (b.reg == reg && b.bit == position && mcu::bitAddressOf(set, b.name)) {
      return &b;
    }
  }
  return nullptr;
}

Symbols symbolsOf(const mcu::TimerSet& set) {
  Symbols s;
  for (const mcu::Register& r : set.registers) {
    s.direct[r.address] = std::string(r.name);
  }
  for (const mcu::RegisterBit& b : set.bits) {
    if (const auto address = mcu::bitAddressOf(set, b.name)) {
      s.bits[*address] = std::string(b.name);
    }
  }
  return s;
}

bool isBitOp(mcu::Op op) {
  return op == mcu::Op::SetbBit || op == mcu::Op::ClrBit || op == mcu::Op::JnbBit ||
         op == mcu::Op::JbBit || op == mcu::Op::JbcBit;
}

// The names the program uses that the generic headers lack, in order of use.
std::vector<Declaration> declarationsOf(const Program& p, const Symbols& s) {
  std::vector<Declaration> out;
  for (const Instruction& i : p.code) {
    const bool bit = isBitOp(i.op);
    const auto& names = bit ? s.bits : s.direct;
    const auto found = names.find(i.address);
    if (found == names.end() || i.op == mcu::Op::Nop || i.op == mcu::Op::Ljmp ||
        i.op == mcu::Op::Ret || i.op == mcu::Op::Reti) {
      continue;
    }
    const bool generic =
        bit ? among(kGenericBits, found->second) : among(kGenericRegisters, found->second);
    const bool seen = std::any_of(out.begin(), out.end(),
                                  [&](const Declaration& d) { return d.name == found->second; });
    if (!generic && !seen) {
      out.push_back({found->second, i.address, bit});
    }
  }
  return out;
}

void loadValue(ProgramBuilder& code, const mcu::TimerSet& set,
               std::span<const mcu::ValueRegister> load, std::uint32_t value) {
  for (const RegisterValue& r : loadedBytes(load, value)) {
    code.movDirect(addressOf(set, r.name), r.value);
  }
}

void clearFlag(ProgramBuilder& code, const mcu::TimerSet& set, const mcu::Timer& timer) {
  const mcu::RegisterBit* flag = timer.flag.empty() ? nullptr : mcu::findBit(set, timer.flag);
  if (flag != nullptr) {
    const auto mask = static_cast<std::uint8_t>(1U << flag->bit);
    applySetting(code, set, {flag->reg, mask, 0});
  }
}

}  // namespace

std::size_t entryOf(const Program& program, const std::string& label) {
  const auto found = std::find(program.labels.begin(), program.labels.end(), label);
  if (found == program.labels.end()) {
    throw std::logic_error("no label " + label);
  }
  return static_cast<std::size_t>(found - program.labels.begin());
}

std::uint8_t addressOf(const mcu::TimerSet& set, std::string_view reg) {
  const mcu::Register* r = mcu::findRegister(set, reg);
  if (r == nullptr) {
    throw std::logic_error("no register " + std::string(reg) + " in the chip's data");
  }
  return r->address;
}

void applySetting(ProgramBuilder& code, const mcu::TimerSet& set, const mcu::BitSetting& s) {
  const std::uint8_t address = addressOf(set, s.reg);
  if (s.mask == 0xFF) {
    code.movDirect(address, s.value);
    return;
  }
  if (std::popcount(s.mask) == 1) {
    const auto position = static_cast<std::uint8_t>(std::countr_zero(s.mask));
    if (const mcu::RegisterBit* b = namedBit(set, s.reg, position)) {
      const std::uint8_t bit = *mcu::bitAddressOf(set, b->name);
      (s.value & s.mask) != 0 ? code.setb(bit) : code.clr(bit);
      return;
    }
  }
  // Clear the field, then set its ones: ANL TMOD,#0F0H; ORL TMOD,#01H.
  if ((s.mask & ~s.value) != 0) {
    code.anl(address, static_cast<std::uint8_t>(~s.mask));
  }
  if ((s.mask & s.value) != 0) {
    code.orl(address, static_cast<std::uint8_t>(s.mask & s.value));
  }
}

std::vector<mcu::BitSetting> merged(
    std::initializer_list<std::span<const mcu::BitSetting>> groups) {
  std::vector<mcu::BitSetting> out;
  for (const auto group : groups) {
    for (const mcu::BitSetting& s : group) {
      const auto same = std::find_if(out.begin(), out.end(),
                                     [&](const mcu::BitSetting& o) { return o.reg == s.reg; });
      if (same == out.end()) {
        out.push_back(s);
      } else {
        same->value = static_cast<std::uint8_t>((same->value & ~s.mask) | (s.value & s.mask));
        same->mask = static_cast<std::uint8_t>(same->mask | s.mask);
      }
    }
  }
  return out;
}

InitCode periodicTimerCode(const mcu::TimerSet& set, const mcu::Timer& timer,
                           const mcu::TimerMode& mode, const mcu::TimerClock& clock,
                           std::uint32_t reload, std::uint32_t isrReload) {
  InitCode c;
  const std::string n = std::to_string(timer.number);
  c.initName = "Timer" + n + "_Init";
  c.isrName = "Timer" + n + "_Isr";
  c.vector = timer.vector;
  c.interruptNumber = timer.interruptNumber;
  ProgramBuilder code;
  code.label(c.initName);
  for (const mcu::BitSetting& s : merged({clock.select, mode.select})) {
    applySetting(code, set, s);
  }
  loadValue(code, set, mode.load, reload);
  clearFlag(code, set, timer);
  applySetting(code, set, timer.interruptEnable);
  applySetting(code, set, {"IE", 0x80, 0x80});
  applySetting(code, set, timer.run);
  code.ret();
  code.label(c.isrName);
  if (!mode.autoReload) {
    loadValue(code, set, mode.load, isrReload);
  }
  if (!timer.flagClearedOnVector) {
    clearFlag(code, set, timer);
  }
  code.reti();
  if (mode.autoReload) {
    code.comment("the work of every period goes before this");
  }
  c.program = code.build();
  c.isrEntry = entryOf(c.program, c.isrName);
  c.symbols = symbolsOf(set);
  c.declarations = declarationsOf(c.program, c.symbols);
  return c;
}

InitCode uartCode(const mcu::TimerSet& set, const mcu::BaudSource& source,
                  const mcu::TimerClock& clock, std::uint32_t reload) {
  InitCode c;
  c.initName = "Uart_Init";
  ProgramBuilder code;
  code.label(c.initName);
  applySetting(code, set, set.serialMode1);
  for (const mcu::BitSetting& s : merged({source.select, clock.select})) {
    applySetting(code, set, s);
  }
  loadValue(code, set, source.load, reload);
  const mcu::Timer* timer = mcu::findTimer(set, source.timer);
  if (timer == nullptr) {
    throw std::logic_error("no timer " + std::to_string(source.timer) + " in the chip's data");
  }
  applySetting(code, set, timer->run);
  code.ret();
  const std::uint8_t ti = *mcu::bitAddressOf(set, "TI");
  code.label("Uart_Send").movDirectA(addressOf(set, "SBUF"));
  code.label("Uart_Wait").jnb(ti, "Uart_Wait").clr(ti).ret();
  c.program = code.build();
  c.sendEntry = entryOf(c.program, "Uart_Send");
  c.symbols = symbolsOf(set);
  c.declarations = declarationsOf(c.program, c.symbols);
  return c;
}

}  // namespace delaysub::codegen
