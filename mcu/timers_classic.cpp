// Timers and serial port of the classic 12-clock MCS-51, of the same core in
// 6-clock (X2) mode, and of the Dallas 4-clock core.
#include "mcu/timer_tables.h"

namespace delaysub::mcu::detail {

namespace {

// Timer 2 of the 8052 family with the given clock table.
constexpr Timer timer2(std::span<const TimerClock> clocks, std::string_view onlyOn) {
  return {2,        onlyOn, {"T2CON", 0x04, 0x04}, {"IE", 0x20, 0x20}, "TF2", false, 0x002B, 5,
          kT2Modes, clocks, kIntelTimer2};
}

// Timer 1 in mode 2 with SMOD 0 and 1, and timer 2 as baud rate generator.
constexpr std::array<BaudSource, 3> baudSources(std::span<const TimerClock> timer1Clocks,
                                                std::span<const TimerClock> timer2Clocks,
                                                std::string_view timer2OnlyOn,
                                                const Source& timer2Source) {
  return {BaudSource{1, 2, 0, 32, 8, timer1Clocks, kSmod0Mode2, kLoad1Byte, "", kIntelSerial},
          BaudSource{1, 2, 1, 16, 8, timer1Clocks, kSmod1Mode2, kLoad1Byte, "", kIntelSerial},
          BaudSource{2, 0, std::nullopt, 16, 16, timer2Clocks, kT2BaudMode, kT2Load, timer2OnlyOn,
                     timer2Source}};
}

constexpr auto kClassicRegisters = join(kBaseRegisters, k8052Registers);
constexpr auto kClassicBits = join(kBaseBits, k8052Bits);

// 8051: every timer counts Fosc / 12; timer 2's baud generator Fosc / 2.
constexpr std::array kClock12{TimerClock{12, {}, kIntelTimers}};
constexpr std::array kBaudClock2{TimerClock{2, {}, kIntelTimer2}};
constexpr std::array kClassicTimerList{timer0(kClassicModes0, kClock12, kIntelTimers),
                                       timer1(kClassicModes1, kClock12, kIntelTimers),
                                       timer2(kClock12, k8052Only)};
constexpr auto kClassicBaud = baudSources(kClock12, kBaudClock2, k8052Only, kIntelTimer2);
constexpr TimerSet kClassic{kClassicTimerList, kClassicBaud, kSerialMode1, kClassicRegisters,
                            kClassicBits};

// 8051-6t: the same peripherals at twice the rate.
constexpr Source kX2Rate{kIntel, "Timer/Counters, Serial Interface, 8052 Timer 2", true,
                         "X2 (6-clock) mode runs the peripherals at twice the 12-clock rate: "
                         "timers count Fosc / 6, timer 2's baud generator Fosc / 1"};
constexpr std::string_view kX2T2Only = "8052-class parts (P89V51RD2, AT89C51RC2, STC89C52...)";
constexpr std::array kClock6{TimerClock{6, {}, kX2Rate}};
constexpr std::array kBaudClock1{TimerClock{1, {}, kX2Rate}};
constexpr std::array kX2TimerList{timer0(kClassicModes0, kClock6, kX2Rate),
                                  timer1(kClassicModes1, kClock6, kX2Rate),
                                  timer2(kClock6, kX2T2Only)};
constexpr auto kX2Baud = baudSources(kClock6, kBaudClock1, kX2T2Only, kX2Rate);
constexpr TimerSet kX2{kX2TimerList, kX2Baud, kSerialMode1, kClassicRegisters, kClassicBits};

// ds80c320: CKCON chooses Fosc / 12 (reset) or Fosc / 4 for each timer;
// timer 2's baud generator counts Fosc / 2 whatever T2M says.
constexpr Source kCkcon{"Maxim High-Speed Microcontroller User's Guide (DS80C320 family)",
                        "Timer rate control: CKCON (8EH) T0M (bit 3), T1M (bit 4), T2M (bit 5); "
                        "0 = oscillator / 12, 1 = oscillator / 4"};
constexpr Source kDallasBaud{"Maxim High-Speed Microcontroller User's Guide (DS80C320 family)",
                             "Serial I/O, timer 2 baud rate generation: oscillator / (32 x "
                             "(65536 - RCAP2)), T2M not taking part"};
constexpr std::array kCkconT0Slow{BitSetting{"CKCON", 0x08, 0x00}};
constexpr std::array kCkconT0Fast{BitSetting{"CKCON", 0x08, 0x08}};
constexpr std::array kCkconT1Slow{BitSetting{"CKCON", 0x10, 0x00}};
constexpr std::array kCkconT1Fast{BitSetting{"CKCON", 0x10, 0x10}};
constexpr std::array kCkconT2Slow{BitSetting{"CKCON", 0x20, 0x00}};
constexpr std::array kCkconT2Fast{BitSetting{"CKCON", 0x20, 0x20}};
constexpr std::array kDallasClocks0{TimerClock{12, kCkconT0Slow, kCkcon},
                                    TimerClock{4, kCkconT0Fast, kCkcon}};
constexpr std::array kDallasClocks1{TimerClock{12, kCkconT1Slow, kCkcon},
                                    TimerClock{4, kCkconT1Fast, kCkcon}};
constexpr std::array kDallasClocks2{TimerClock{12, kCkconT2Slow, kCkcon},
                                    TimerClock{4, kCkconT2Fast, kCkcon}};
constexpr std::array kDallasBaudClock{TimerClock{2, {}, kDallasBaud}};
constexpr std::array kDallasTimerList{timer0(kClassicModes0, kDallasClocks0, kCkcon),
                                      timer1(kClassicModes1, kDallasClocks1, kCkcon),
                                      timer2(kDallasClocks2, "")};
constexpr auto kDallasBaudSources = baudSources(kDallasClocks1, kDallasBaudClock, "", kDallasBaud);
constexpr std::array kCkconRegister{Register{"CKCON", 0x8E, kCkcon}};
constexpr std::array kCkconBits{RegisterBit{"T0M", "CKCON", 3, kCkcon},
                                RegisterBit{"T1M", "CKCON", 4, kCkcon},
                                RegisterBit{"T2M", "CKCON", 5, kCkcon}};
constexpr auto kDallasRegisters = join(kClassicRegisters, kCkconRegister);
constexpr auto kDallasBits = join(kClassicBits, kCkconBits);
constexpr TimerSet kDallas{kDallasTimerList, kDallasBaudSources, kSerialMode1, kDallasRegisters,
                           kDallasBits};

}  // namespace

const TimerSet* classicTimers() {
  return &kClassic;
}
const TimerSet* x2Timers() {
  return &kX2;
}
const TimerSet* dallasTimers() {
  return &kDallas;
}

}  // namespace delaysub::mcu::detail
