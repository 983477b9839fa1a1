// The real tools against the instruction lists on every chip: as31,
// sdas8051 and SDCC build exactly the instructions the executor counts; and
// the window's templates, assembled by as31 and run in s51, take CALC_T's
// machine cycles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/delay.h"
#include "core/delay.h"
#include "core/texts.h"
#include "sim_support.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;
using simtest::Image;
using simtest::TempDir;

constexpr std::uint16_t kOrigin = 0x100;

// Fails the test, naming the packages, where a tool is missing.
bool toolsPresent() {
  const std::string missing = simtest::missingTools({"as31", "sdas8051", "sdld", "sdcc", "s51"});
  EXPECT_TRUE(missing.empty()) << "missing 8051 tools: " << missing
                               << "; scripts/setup.sh installs them";
  return missing.empty();
}

// Routines for one chip at 11.0592 MHz from the shortest to 100 s, every
// rounding, named D0, D1, ...; in line and with save where the form allows.
std::vector<DelayAnswer> answersFor(const mcu::Chip& chip, Language lang) {
  const std::vector<std::string> times{"10us", "55.5us", "100us", "1ms", "7.3ms",
                                       "10ms", "100ms",  "1s",    "10s", "100s"};
  std::vector<DelayAnswer> answers;
  for (int form = 0; form < (lang == Language::C ? 1 : 4); ++form) {
    const RoutineForm f{(form & 1) != 0, (form & 2) != 0};
    if (missingTiming(chip, f)) {
      continue;
    }
    const Ratio hz = *readFrequency("11.0592").value;
    const PlanLimits limits = limitsOf(chip, f);
    std::vector<Ratio> us{*microsecondsOf(limits.shortest, hz),
                          *microsecondsOf(limits.shortest + limits.step, hz)};
    for (const std::string& t : times) {
      us.push_back(*readTime(t).value);
    }
    for (std::size_t i = 0; i < us.size(); ++i) {
      DelayRequest r{
          &chip, hz,           us[i],  static_cast<Rounding>(i % 3),
          lang,  f.inlineCode, f.save, std::string(1, 'D').append(std::to_string(answers.size()))};
      auto outcome = makeDelay(r);
      if (auto* a = std::get_if<DelayAnswer>(&outcome)) {
        answers.push_back(std::move(*a));
      } else {
        ADD_FAILURE() << chip.name << " " << i << ": " << std::get<DelayError>(outcome).message;
      }
    }
  }
  return answers;
}

// Every routine's encoding, one after another from kOrigin.
std::vector<std::uint8_t> encodedFrom(const std::vector<DelayAnswer>& answers) {
  std::vector<std::uint8_t> all;
  for (const DelayAnswer& a : answers) {
    const auto code = encode(a.program, static_cast<std::uint16_t>(kOrigin + all.size()));
    EXPECT_TRUE(code.has_value());
    EXPECT_EQ(code->size(), a.bytes) << a.code;
    all.insert(all.end(), code->begin(), code->end());
  }
  return all;
}

TEST(ToolsBuildTheInstructionList, As31AndSdasOnEveryChip) {
  if (!toolsPresent()) {
    return;
  }
  for (const mcu::Chip& chip : mcu::chips()) {
    for (Language lang : {Language::Asm, Language::Sdas}) {
      const std::vector<DelayAnswer> answers = answersFor(chip, lang);
      std::string source = lang == Language::Asm ? "        .org 0100H\n"
                                                 : "        .area HOME (ABS,CODE)\n"
                                                   "        .org 0x0100\n";
      for (const DelayAnswer& a : answers) {
        source += a.code;
      }
      TempDir dir;
      const Image image =
          lang == Language::Asm ? simtest::buildAs31(dir, source) : simtest::buildSdas(dir, source);
      const std::vector<std::uint8_t> expected = encodedFrom(answers);
      EXPECT_EQ(image.bytes(kOrigin, expected.size()), expected)
          << chip.name << " " << languageName(lang);
    }
  }
}

TEST(ToolsBuildTheInstructionList, SdccCompilesTheCFormToTheAsmFormOnEveryChip) {
  if (!toolsPresent()) {
    return;
  }
  for (const mcu::Chip& chip : mcu::chips()) {
    const std::vector<DelayAnswer> answers = answersFor(chip, Language::C);
    std::string source;
    for (const DelayAnswer& a : answers) {
      source += a.code + "\n";
    }
    TempDir dir;
    const Image image =
        simtest::buildSdcc(dir, {{"main.c", "void main(void)\n{\n}\n"}, {"delays.c", source}});
    for (const DelayAnswer& a : answers) {
      const std::uint16_t at = image.symbol("_" + a.name);
      const auto expected = encode(a.program, at);
      ASSERT_TRUE(expected.has_value());
      EXPECT_EQ(image.bytes(at, expected->size()), *expected) << chip.name << ":\n" << a.code;
      // The function ends where the asm form ends: nothing after the RET.
      EXPECT_EQ(expected->back(), 0x22) << a.code;
    }
  }
}

// The window's template for a depth with the seed filled in, between two
// labelled LCALLs, BYT_DLY a byte of internal RAM.
std::string templateProgram(int depth, int X) {
  const std::int16_t mcs51 = 0;
  std::string text(depth == 1   ? core::PRG1(mcs51)
                   : depth == 2 ? core::PRG2(mcs51)
                                : core::PRG3(mcs51));
  std::string out =
      "        .org 0\n"
      "        LJMP START\n"
      "        .org 0100H\n"
      "        .EQU BYT_DLY, 30H\n"
      "START:  MOV SP,#5FH\n";
  std::string line;
  std::string call;
  for (char c : text + "\n") {
    if (c == '\r') {
      continue;
    }
    if (c != '\n') {
      line += c;
      continue;
    }
    if (const auto x = line.find("#X"); x != std::string::npos) {
      line.replace(x, 2, std::string(1, '#').append(std::to_string(X)));
    }
    if (line.find("LCALL") != std::string::npos) {
      call = line;
      line = "CALL1:\n" + line;
    } else if (line.find("...") != std::string::npos) {
      line = "CALL2:\n" + call;
    }
    out += line + "\n";
    line.clear();
  }
  return out;
}

TEST(WindowTemplates, TakeCalcTsCyclesInTheSimulator) {
  if (!toolsPresent()) {
    return;
  }
  struct Seed {
    int depth;
    int X;
  };
  const std::vector<Seed> seeds{{1, 1},  {1, 2},   {1, 97}, {1, 255}, {2, 1},  {2, 2},
                                {2, 97}, {2, 255}, {3, 1},  {3, 2},   {3, 27}, {3, 97}};
  for (const Seed& s : seeds) {
    TempDir dir;
    const Image image = simtest::buildAs31(dir, templateProgram(s.depth, s.X));
    const std::uint64_t clocks =
        simtest::clocksBetween(dir, image, "8051", image.symbol("CALL1"), image.symbol("CALL2"));
    // At 12 MHz CALC_T's microseconds are its machine cycles.
    const auto cycles = core::CALC_T(s.X, static_cast<std::int16_t>(s.depth - 1), 12.0F);
    ASSERT_TRUE(cycles.ok());
    EXPECT_EQ(clocks, static_cast<std::uint64_t>(cycles.value) * 12)
        << "depth " << s.depth << ", X = " << s.X;
  }
}

}  // namespace
