// Timers and serial port 1 of the STC15 and STC8 series: timers 0 and 1 with
// a 16-bit auto-reload mode 0, timer 2 made for baud rates, and the AUXR bits
// that clock each timer at SYSclk or SYSclk / 12.
#include "mcu/timer_tables.h"

namespace delaysub::mcu::detail {

namespace {

// Both series' data sheets describe the same timers and serial port 1; the
// STC8's adds a readable timer 2 flag (AUXINTIF).
constexpr std::string_view kTimersWhere =
    "Timer/Counters: TMOD mode 0 = 16-bit auto-reload; AUXR (8EH) T0x12, T1x12, T2x12 "
    "(1 = SYSclk, 0 = SYSclk / 12), T2R, T2_C/T; T2H/T2L (D6H/D7H)";
constexpr std::string_view kInterruptsWhere =
    "Interrupts: IE2 (AFH) ET2 (bit 2); timer 2 is interrupt 12 at 0063H";
constexpr std::string_view kUartWhere =
    "Serial port 1 baud rate: timer 1 mode 0 or timer 2 (AUXR.S1ST2 = 1): timer clock / "
    "(65536 - reload) / 4; timer 1 mode 2: 2^SMOD / 32 x timer clock / (256 - TH1)";
constexpr Source kStc15Timers{kStc15Sheet, kTimersWhere};
constexpr Source kStc15Interrupts{kStc15Sheet, kInterruptsWhere};
constexpr Source kStc15Uart{kStc15Sheet, kUartWhere};
constexpr Source kStc8Timers{kStc8Sheet, kTimersWhere};
constexpr Source kStc8Flag{kStc8Sheet, "Interrupts: AUXINTIF (EFH) T2IF (bit 0)"};
constexpr Source kStc8Interrupts{kStc8Sheet, kInterruptsWhere};
constexpr Source kStc8Uart{kStc8Sheet, kUartWhere};

constexpr std::array kT0Slow{BitSetting{"AUXR", 0x80, 0x00}};
constexpr std::array kT0Fast{BitSetting{"AUXR", 0x80, 0x80}};
constexpr std::array kT1Slow{BitSetting{"AUXR", 0x40, 0x00}};
constexpr std::array kT1Fast{BitSetting{"AUXR", 0x40, 0x40}};
constexpr std::array kT2Slow{BitSetting{"AUXR", 0x04, 0x00}};
constexpr std::array kT2Fast{BitSetting{"AUXR", 0x04, 0x04}};
constexpr std::array kT2Timer{BitSetting{"AUXR", 0x08, 0x00}};
constexpr std::array kT2Load{ValueRegister{"T2H", 8, 0xFF}, ValueRegister{"T2L", 0, 0xFF}};
// Serial port 1 from timer 1 (S1ST2 = 0) or timer 2 (S1ST2 = 1, T2_C/T = 0).
constexpr std::array kUartT1Mode0{BitSetting{"TMOD", 0xF0, 0x00}, BitSetting{"AUXR", 0x01, 0x00}};
constexpr std::array kUartT1Smod0{BitSetting{"PCON", 0x80, 0x00}, BitSetting{"TMOD", 0xF0, 0x20},
                                  BitSetting{"AUXR", 0x01, 0x00}};
constexpr std::array kUartT1Smod1{BitSetting{"PCON", 0x80, 0x80}, BitSetting{"TMOD", 0xF0, 0x20},
                                  BitSetting{"AUXR", 0x01, 0x00}};
constexpr std::array kUartT2{BitSetting{"AUXR", 0x09, 0x01}};

constexpr std::array<TimerMode, 3> modes0(const Source& source) {
  return {TimerMode{0, "16-bit auto-reload", 16, true, kTmod0Mode0, kLoad0Word, source},
          TimerMode{1, "16-bit", 16, false, kTmod0Mode1, kLoad0Word, source},
          TimerMode{2, "8-bit auto-reload", 8, true, kTmod0Mode2, kLoad0Byte, source}};
}
constexpr std::array<TimerMode, 3> modes1(const Source& source) {
  return {TimerMode{0, "16-bit auto-reload", 16, true, kTmod1Mode0, kLoad1Word, source},
          TimerMode{1, "16-bit", 16, false, kTmod1Mode1, kLoad1Word, source},
          TimerMode{2, "8-bit auto-reload", 8, true, kTmod1Mode2, kLoad1Byte, source}};
}
constexpr std::array<TimerClock, 2> clocks(std::span<const BitSetting> slow,
                                           std::span<const BitSetting> fast, const Source& source) {
  return {TimerClock{12, slow, source}, TimerClock{1, fast, source}};
}

// One series' tables; the two series differ in their documents and in
// whether timer 2's overflow flag can be read.
struct Series {
  std::array<TimerMode, 3> modes0;
  std::array<TimerMode, 3> modes1;
  std::array<TimerMode, 1> modes2;
  std::array<TimerClock, 2> clocks0;
  std::array<TimerClock, 2> clocks1;
  std::array<TimerClock, 2> clocks2;
};

constexpr Series series(const Source& timers) {
  return {modes0(timers),
          modes1(timers),
          {TimerMode{0, "16-bit auto-reload", 16, true, kT2Timer, kT2Load, timers}},
          clocks(kT0Slow, kT0Fast, timers),
          clocks(kT1Slow, kT1Fast, timers),
          clocks(kT2Slow, kT2Fast, timers)};
}

constexpr std::array<Timer, 3> timerList(const Series& s, std::string_view timer2Flag,
                                         const Source& timers, const Source& interrupts) {
  return {timer0(s.modes0, s.clocks0, timers), timer1(s.modes1, s.clocks1, timers),
          Timer{2,
                "",
                {"AUXR", 0x10, 0x10},
                {"IE2", 0x04, 0x04},
                timer2Flag,
                true,
                0x0063,
                12,
                s.modes2,
                s.clocks2,
                interrupts}};
}

constexpr std::array<BaudSource, 4> baudList(const Series& s, const Source& uart) {
  return {BaudSource{1, 0, std::nullopt, 4, 16, s.clocks1, kUartT1Mode0, kLoad1Word, "", uart},
          BaudSource{1, 2, 0, 32, 8, s.clocks1, kUartT1Smod0, kLoad1Byte, "", uart},
          BaudSource{1, 2, 1, 16, 8, s.clocks1, kUartT1Smod1, kLoad1Byte, "", uart},
          BaudSource{2, 0, std::nullopt, 4, 16, s.clocks2, kUartT2, kT2Load, "", uart}};
}

constexpr std::array<Register, 4> stcRegisters(const Source& timers, const Source& interrupts) {
  return {Register{"AUXR", 0x8E, timers}, Register{"IE2", 0xAF, interrupts},
          Register{"T2H", 0xD6, timers}, Register{"T2L", 0xD7, timers}};
}
constexpr std::array<RegisterBit, 9> stcBits(const Source& timers, const Source& interrupts) {
  return {RegisterBit{"T0x12", "AUXR", 7, timers},     RegisterBit{"T1x12", "AUXR", 6, timers},
          RegisterBit{"UART_M0x6", "AUXR", 5, timers}, RegisterBit{"T2R", "AUXR", 4, timers},
          RegisterBit{"T2_CT", "AUXR", 3, timers},     RegisterBit{"T2x12", "AUXR", 2, timers},
          RegisterBit{"EXTRAM", "AUXR", 1, timers},    RegisterBit{"S1ST2", "AUXR", 0, timers},
          RegisterBit{"ET2", "IE2", 2, interrupts}};
}

constexpr Series kStc15Series = series(kStc15Timers);
constexpr auto kStc15TimerList = timerList(kStc15Series, "", kStc15Timers, kStc15Interrupts);
constexpr auto kStc15Baud = baudList(kStc15Series, kStc15Uart);
constexpr auto kStc15Registers = join(kBaseRegisters, stcRegisters(kStc15Timers, kStc15Interrupts));
constexpr auto kStc15Bits = join(kBaseBits, stcBits(kStc15Timers, kStc15Interrupts));
constexpr TimerSet kStc15{kStc15TimerList, kStc15Baud, kSerialMode1, kStc15Registers, kStc15Bits};

constexpr Series kStc8Series = series(kStc8Timers);
constexpr auto kStc8TimerList = timerList(kStc8Series, "T2IF", kStc8Timers, kStc8Interrupts);
constexpr auto kStc8Baud = baudList(kStc8Series, kStc8Uart);
constexpr std::array kAuxintif{Register{"AUXINTIF", 0xEF, kStc8Flag}};
constexpr std::array kT2If{RegisterBit{"T2IF", "AUXINTIF", 0, kStc8Flag}};
constexpr auto kStc8Registers =
    join(join(kBaseRegisters, stcRegisters(kStc8Timers, kStc8Interrupts)), kAuxintif);
constexpr auto kStc8Bits = join(join(kBaseBits, stcBits(kStc8Timers, kStc8Interrupts)), kT2If);
constexpr TimerSet kStc8{kStc8TimerList, kStc8Baud, kSerialMode1, kStc8Registers, kStc8Bits};

}  // namespace

const TimerSet* stc15Timers() {
  return &kStc15;
}
const TimerSet* stc8Timers() {
  return &kStc8;
}

}  // namespace delaysub::mcu::detail
