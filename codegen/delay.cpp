#include "codegen/delay.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

#include "codegen/executor.h"

namespace delaysub::codegen {

namespace {

constexpr std::size_t kMaxName = 26;  // with "_loop", within A51's 31 characters

// Words no label or C function may be: registers, mnemonics, C keywords.
constexpr std::string_view kReserved[] = {
    "A",    "AB",     "C",      "DPTR",  "PC",     "R0",     "R1",       "R2",    "R3",
    "R4",   "R5",     "R6",     "R7",    "ACALL",  "ADD",    "ADDC",     "AJMP",  "ANL",
    "CJNE", "CLR",    "CPL",    "DA",    "DEC",    "DIV",    "DJNZ",     "INC",   "JB",
    "JBC",  "JC",     "JMP",    "JNB",   "JNC",    "JNZ",    "JZ",       "LCALL", "LJMP",
    "MOV",  "MOVC",   "MOVX",   "MUL",   "NOP",    "ORL",    "POP",      "PUSH",  "RET",
    "RETI", "RL",     "RLC",    "RR",    "RRC",    "SETB",   "SJMP",     "SUBB",  "SWAP",
    "XCH",  "XCHD",   "XRL",    "AUTO",  "BREAK",  "CASE",   "CHAR",     "CONST", "CONTINUE",
    "DO",   "DOUBLE", "ELSE",   "ENUM",  "EXTERN", "FLOAT",  "FOR",      "GOTO",  "IF",
    "INT",  "LONG",   "RETURN", "SHORT", "SIGNED", "STATIC", "UNSIGNED", "VOID",  "WHILE",
    "MAIN",
};

std::string upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

// A time for a person: in s, ms or us, whichever keeps it at least 1.
std::string timeText(const Ratio& us) {
  if (compare(us, Ratio::whole(1000000)) >= 0) {
    return decimalText(*times(us, Ratio{1, 1000000}), 6) + " s";
  }
  if (compare(us, Ratio::whole(1000)) >= 0) {
    return decimalText(*times(us, Ratio{1, 1000}), 6) + " ms";
  }
  return decimalText(us, 6) + " us";
}

std::string frequencyText(const Ratio& hz) {
  return decimalText(*times(hz, Ratio{1, 1000000}), 6) + " MHz";
}

std::string limitsText(std::uint64_t clocks, const Ratio& hz) {
  return timeText(*microsecondsOf(clocks, hz)) + ", " + std::to_string(clocks) + " clocks";
}

DelayError outOfRange(const DelayRequest& r, const PlanLimits& limits, bool above) {
  const std::string where = " on " + std::string(r.chip->name) + " at " +
                            frequencyText(r.crystalHz) + (r.inlineCode ? " (in line)" : "");
  const std::string shortest = limitsText(limits.shortest, r.crystalHz);
  const std::string longest = limitsText(limits.longest, r.crystalHz);
  std::string message = timeText(r.timeUs);
  if (above) {
    message += " is above the longest routine" + where + ": " + longest + "; the shortest is " +
               shortest + "; for longer times use a timer";
  } else {
    message +=
        " is below the shortest routine" + where + ": " + shortest + "; the longest is " + longest;
  }
  return {DelayError::Kind::OutOfRange, message, limits.shortest, limits.longest};
}

std::vector<std::string> headerOf(const DelayRequest& r, const DelayAnswer& a) {
  const mcu::Chip& chip = *r.chip;
  std::vector<std::string> h{
      a.name + ": " + timeText(a.targetUs) + " at " + frequencyText(a.crystalHz) + " on " +
          std::string(chip.name),
      "chip      " + std::string(chip.name) + ": " + std::string(chip.description) + ", " +
          std::to_string(chip.clocksPerCycle) + " clocks per machine cycle",
      "wanted    " + timeText(a.targetUs) + " = " + decimalText(a.wantedClocks, 6) + " clocks",
      "achieved  " + std::to_string(a.clocks) + " clocks = " + timeText(a.timeUs) + ", error " +
          signedDecimalText(a.errorClocks, 6) + " clocks = " + signedDecimalText(a.errorUs, 6) +
          " us (" + signedDecimalText(a.errorPercent, 4) + " %)",
      r.inlineCode ? "counted   from its first clock to its last (in line: no call, no return)"
                   : "counted   from the first clock of the LCALL to the last clock of the RET",
  };
  std::string regs;
  for (const std::string& reg : a.registers) {
    regs += (regs.empty() ? "" : ", ") + reg;
  }
  if (a.plan.levels == 0) {
    h.push_back("changes   no register and no flag");
  } else if (r.save) {
    std::string saved;
    for (int j = 0; j < a.plan.levels; ++j) {
      saved += (j == 0 ? "R" : ", R") + std::to_string(7 - j);
    }
    h.push_back("changes   no register and no flag: " + saved +
                " pushed and popped (assumes register bank 0)");
  } else {
    h.push_back("changes   " + regs + " (no flag)");
  }
  h.push_back("size      " + std::to_string(a.bytes) + " bytes" +
              (r.inlineCode ? "" : " (the LCALL: 3 more)"));
  if (r.language == Language::C) {
    h.push_back("checked   with SDCC 4.2 (sdcc -mmcs51): the same instructions as the asm form;");
    h.push_back("          the idiom is the one Keil C51 compiles to MOV Rn,#n and DJNZ Rn");
  }
  return h;
}

}  // namespace

std::string_view roundingName(Rounding r) {
  switch (r) {
    case Rounding::Up:
      return "up";
    case Rounding::Down:
      return "down";
    default:
      return "nearest";
  }
}

std::string_view languageName(Language l) {
  switch (l) {
    case Language::Sdas:
      return "sdas";
    case Language::C:
      return "c";
    default:
      return "asm";
  }
}

std::string delayNameOf(const Ratio& timeUs) {
  std::string_view unit = "us";
  Ratio value = timeUs;
  if (compare(timeUs, Ratio::whole(1000000)) >= 0) {
    value = *times(timeUs, Ratio{1, 1000000});
    unit = "s";
  } else if (compare(timeUs, Ratio::whole(1000)) >= 0) {
    value = *times(timeUs, Ratio{1, 1000});
    unit = "ms";
  }
  std::string digits = decimalText(value, 12);
  std::replace(digits.begin(), digits.end(), '.', '_');
  std::string name = "Delay";
  return name.append(digits).append(unit);
}

std::string nameProblem(const std::string& name) {
  if (name.empty()) {
    return "is empty";
  }
  if (name.size() > kMaxName) {
    return "is longer than " + std::to_string(kMaxName) + " characters";
  }
  const auto ok = [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
  };
  if (std::isdigit(static_cast<unsigned char>(name[0])) != 0 ||
      !std::all_of(name.begin(), name.end(), ok)) {
    return "is no name: use letters, digits and _, not a digit first";
  }
  if (std::find(std::begin(kReserved), std::end(kReserved), upper(name)) != std::end(kReserved)) {
    return "is a register, an instruction or a C keyword";
  }
  return {};
}

namespace {

// A request that no routine answers, whatever the time.
std::optional<DelayError> requestProblem(const DelayRequest& r) {
  using Kind = DelayError::Kind;
  if (r.chip == nullptr) {
    return DelayError{Kind::Usage, "no chip", 0, 0};
  }
  if (r.language == Language::C && (r.inlineCode || r.save)) {
    return DelayError{Kind::Usage,
                      std::string(r.inlineCode ? "--inline" : "--save") +
                          " is for asm and sdas: a C compiler places and saves registers itself",
                      0, 0};
  }
  if (!r.name.empty() && !nameProblem(r.name).empty()) {
    return DelayError{Kind::Usage, "--name: '" + r.name + "' " + nameProblem(r.name), 0, 0};
  }
  if (const auto missing = missingTiming(*r.chip, {r.inlineCode, r.save})) {
    return DelayError{Kind::Unsupported, *missing, 0, 0};
  }
  return std::nullopt;
}

// The figures of the answer: clocks, time and error, exactly.
void measure(const DelayRequest& r, const Ratio& wanted, DelayAnswer& a) {
  a.chip = r.chip->name;
  a.crystalHz = r.crystalHz;
  a.targetUs = r.timeUs;
  a.rounding = r.rounding;
  a.wantedClocks = wanted;
  a.clocks = a.plan.clocks;
  a.timeUs = *microsecondsOf(a.clocks, r.crystalHz);
  a.errorClocks = minus(Ratio::whole(a.clocks), wanted);
  a.errorUs = minus(a.timeUs, r.timeUs);
  a.errorPercent = {*times(*dividedBy(a.errorUs.magnitude, r.timeUs), Ratio::whole(100)),
                    a.errorUs.negative};
}

void describe(const DelayRequest& r, DelayAnswer& a) {
  a.language = r.language;
  a.inlineCode = r.inlineCode;
  a.save = r.save;
  for (int reg : a.program.registersWritten()) {
    if (!r.save) {
      a.registers.push_back(std::string(1, 'R').append(std::to_string(reg)));
    }
  }
  a.bytes = a.program.bytes();
  a.counters.assign(a.plan.counters.rbegin(), a.plan.counters.rend());
  a.reloadValue = a.plan.reloaded > 0 ? a.plan.reloadValue : 0;
  a.nops = a.plan.nops;
  const std::vector<std::string> header = headerOf(r, a);
  switch (r.language) {
    case Language::Sdas:
      a.code = writeSdas(a.program, header);
      break;
    case Language::C:
      a.code = writeDelayC(a.plan, a.name, header);
      break;
    default:
      a.code = writeAsm(a.program, header);
  }
}

}  // namespace

std::variant<DelayAnswer, DelayError> makeDelay(const DelayRequest& r) {
  if (auto problem = requestProblem(r)) {
    return *problem;
  }
  const RoutineForm form{r.inlineCode, r.save};
  const PlanLimits limits = limitsOf(*r.chip, form);
  const std::optional<Ratio> wanted = clocksOf(r.timeUs, r.crystalHz);
  if (!wanted || compare(*wanted, Ratio::whole(limits.longest)) > 0) {
    return outOfRange(r, limits, true);
  }
  const std::optional<DelayPlan> plan = planDelay(*r.chip, form, *wanted, r.rounding);
  if (!plan) {
    return outOfRange(r, limits, false);
  }
  DelayAnswer a;
  a.name = r.name.empty() ? delayNameOf(r.timeUs) : r.name;
  if (a.name.size() > kMaxName) {
    a.name = "Delay" + std::to_string(plan->clocks) + "clk";
  }
  a.plan = *plan;
  a.program = routineOf(*plan, a.name);
  // The planner's arithmetic, counted once more by running the routine.
  const std::uint64_t counted =
      r.inlineCode ? execute(a.program, *r.chip).clocks : countCall(a.program, *r.chip).clocks;
  if (counted != plan->clocks) {
    throw std::logic_error("the executor counts " + std::to_string(counted) +
                           " clocks where the planner planned " + std::to_string(plan->clocks));
  }
  measure(r, *wanted, a);
  describe(r, a);
  return a;
}

}  // namespace delaysub::codegen
