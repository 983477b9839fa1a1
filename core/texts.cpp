#include "core/texts.h"

namespace delaysub::core {

namespace {

// One text per core: MCS-51, AVR, W77E58.
struct ByCore {
  std::string_view mcs51;
  std::string_view avr;
  std::string_view w77e58;
};

std::string_view pick(const ByCore& texts, std::int16_t cpu_type) {
  switch (cpu_type) {
    case 0:
      return texts.mcs51;
    case 1:
      return texts.avr;
    case 2:
      return texts.w77e58;
    default:
      return {};
  }
}

// Timing formulas by nesting depth.
constexpr ByCore kForm1{"T=[2X + 4] * (12 / Fosc)", "T=1.5*X*X+7.5*X+7", "T=[4X + 6] * (4 / Fosc)"};
constexpr ByCore kForm2{"T=[X(X+7) + 4] * (12 / Fosc)", "T=0.5*X*X*X+4.5*X*X+10*X+7",
                        "T=[2X(X+5) + 6] * (4 / Fosc)"};
constexpr ByCore kForm3{
    "T=[X(X+1)(2X+1)/6+7X(X+1)/2+6X+4]\r\n"
    " *(12/Fosc)",
    "T=0.125*X*X*X*X+1.75*X*X*X+7.375*X*X+11.75*X+7",
    "T=[X(X+1)(2X+1)/3+5X(X+1)+8X+6]\r\n"
    " *(4/Fosc)"};

// Delay-routine templates: MCS-51 and AVR share one, W77E58 has its own
// first instruction line.
constexpr std::string_view kPrg1Mcs51 =
    "\r\n"
    "WAIT:    MOV     BYT_DLY,#X\r\n"
    "        LCALL   DELAY1\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY1:  DJNZ    BYT_DLY,DELAY1\r\n"
    "         RET";
constexpr std::string_view kPrg1W77 =
    "\r\n"
    "WAIT:    MOV BYT_DLY,#X\r\n"
    "        LCALL   DELAY1\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY1:  DJNZ    BYT_DLY,DELAY1\r\n"
    "         RET";
constexpr std::string_view kPrg2Mcs51 =
    "\r\n"
    "WAIT:    MOV     BYT_DLY,#X\r\n"
    "        LCALL   DELAY2\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY2:  PUSH    BYT_DLY\r\n"
    "DELm1:  DJNZ    BYT_DLY,DELm1\r\n"
    "               POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DELAY2\r\n"
    "        RET";
constexpr std::string_view kPrg2W77 =
    "\r\n"
    "WAIT:    MOV BYT_DLY,#X\r\n"
    "        LCALL   DELAY2\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY2:  PUSH    BYT_DLY\r\n"
    "DELm1:  DJNZ    BYT_DLY,DELm1\r\n"
    "               POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DELAY2\r\n"
    "        RET";
constexpr std::string_view kPrg3Mcs51 =
    "\r\n"
    "WAIT:    MOV     BYT_DLY,#X\r\n"
    "        LCALL   DELAY3\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY3:  PUSH    BYT_DLY\r\n"
    "DEL31:  PUSH    BYT_DLY\r\n"
    "DEL32:  DJNZ    BYT_DLY,DEL32\r\n"
    "        POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DEL31\r\n"
    "        POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DELAY3\r\n"
    "        RET";
constexpr std::string_view kPrg3W77 =
    "\r\n"
    "WAIT:    MOV BYT_DLY,#X\r\n"
    "        LCALL   DELAY3\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY3:  PUSH    BYT_DLY\r\n"
    "DEL31:  PUSH    BYT_DLY\r\n"
    "DEL32:  DJNZ    BYT_DLY,DEL32\r\n"
    "        POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DEL31\r\n"
    "        POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DELAY3\r\n"
    "        RET";

}  // namespace

std::string_view FORM1(const std::int16_t& cpu_type) {
  return pick(kForm1, cpu_type);
}
std::string_view FORM2(const std::int16_t& cpu_type) {
  return pick(kForm2, cpu_type);
}
std::string_view FORM3(const std::int16_t& cpu_type) {
  return pick(kForm3, cpu_type);
}

std::string_view PRG1(const std::int16_t& cpu_type) {
  return pick(ByCore{kPrg1Mcs51, kPrg1Mcs51, kPrg1W77}, cpu_type);
}
std::string_view PRG2(const std::int16_t& cpu_type) {
  return pick(ByCore{kPrg2Mcs51, kPrg2Mcs51, kPrg2W77}, cpu_type);
}
std::string_view PRG3(const std::int16_t& cpu_type) {
  return pick(ByCore{kPrg3Mcs51, kPrg3Mcs51, kPrg3W77}, cpu_type);
}

}  // namespace delaysub::core
