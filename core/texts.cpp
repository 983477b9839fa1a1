#include "core/texts.h"

#include <array>
#include <cstddef>
#include <optional>

namespace delaysub::core {

namespace {

// One text per core: MCS-51, AVR, W77E58.
struct ByCore {
  std::string_view mcs51;
  std::string_view avr;
  std::string_view w77e58;
};

std::string_view pick(const ByCore& texts, Core core) {
  switch (core) {
    case Core::Mcs51:
      return texts.mcs51;
    case Core::Avr:
      return texts.avr;
    case Core::W77e58:
      break;
  }
  return texts.w77e58;
}

// The entry points take any cpu_type: another code gives the empty text.
std::string_view pickByCode(const ByCore& texts, std::int16_t cpu_type) {
  const std::optional<Core> core = coreOf(cpu_type);
  return core ? pick(texts, *core) : std::string_view();
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

// A text joined from its parts at compile time, in static storage.
template <std::size_t N>
struct Joined {
  std::array<char, N> chars{};
  constexpr std::string_view view() const { return {chars.data(), N}; }
};

template <std::size_t... Sizes>
consteval Joined<((Sizes - 1) + ...)> join(const char (&... parts)[Sizes]) {
  Joined<((Sizes - 1) + ...)> out;
  std::size_t at = 0;
  for (std::string_view part : {std::string_view(parts, Sizes - 1)...}) {
    for (char c : part) {
      out.chars[at++] = c;
    }
  }
  return out;
}

// Delay-routine templates: an empty first line, the core's WAIT line, then
// the routine of the nesting depth. MCS-51 and AVR share the WAIT line;
// W77E58 has its own, with one blank after MOV.
constexpr char kWaitMcs51[] = "WAIT:    MOV     BYT_DLY,#X\r\n";
constexpr char kWaitW77e58[] = "WAIT:    MOV BYT_DLY,#X\r\n";

constexpr char kDelay1[] =
    "        LCALL   DELAY1\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY1:  DJNZ    BYT_DLY,DELAY1\r\n"
    "         RET";
constexpr char kDelay2[] =
    "        LCALL   DELAY2\r\n"
    "        ...\r\n"
    "\r\n"
    "DELAY2:  PUSH    BYT_DLY\r\n"
    "DELm1:  DJNZ    BYT_DLY,DELm1\r\n"
    "               POP     BYT_DLY\r\n"
    "        DJNZ    BYT_DLY,DELAY2\r\n"
    "        RET";
constexpr char kDelay3[] =
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

template <const auto& Routine>
const ByCore& routineTemplates() {
  static constexpr auto kMcs51 = join("\r\n", kWaitMcs51, Routine);
  static constexpr auto kW77e58 = join("\r\n", kWaitW77e58, Routine);
  static constexpr ByCore kByCore{kMcs51.view(), kMcs51.view(), kW77e58.view()};
  return kByCore;
}

const ByCore& formulas(Nesting nesting) {
  switch (nesting) {
    case Nesting::Single:
      return kForm1;
    case Nesting::Double:
      return kForm2;
    case Nesting::Triple:
      break;
  }
  return kForm3;
}

const ByCore& templates(Nesting nesting) {
  switch (nesting) {
    case Nesting::Single:
      return routineTemplates<kDelay1>();
    case Nesting::Double:
      return routineTemplates<kDelay2>();
    case Nesting::Triple:
      break;
  }
  return routineTemplates<kDelay3>();
}

}  // namespace

std::string_view FORM1(const std::int16_t& cpu_type) {
  return pickByCode(kForm1, cpu_type);
}
std::string_view FORM2(const std::int16_t& cpu_type) {
  return pickByCode(kForm2, cpu_type);
}
std::string_view FORM3(const std::int16_t& cpu_type) {
  return pickByCode(kForm3, cpu_type);
}

std::string_view PRG1(const std::int16_t& cpu_type) {
  return pickByCode(routineTemplates<kDelay1>(), cpu_type);
}
std::string_view PRG2(const std::int16_t& cpu_type) {
  return pickByCode(routineTemplates<kDelay2>(), cpu_type);
}
std::string_view PRG3(const std::int16_t& cpu_type) {
  return pickByCode(routineTemplates<kDelay3>(), cpu_type);
}

std::string_view formulaOf(Core core, Nesting nesting) {
  return pick(formulas(nesting), core);
}

std::string_view templateOf(Core core, Nesting nesting) {
  return pick(templates(nesting), core);
}

}  // namespace delaysub::core
