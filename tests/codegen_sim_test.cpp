// Delay code proven with the real tools: each language's routine is built by
// as31, sdas8051 + sdld or sdcc and run in s51 (-t 8051 for the classic
// core, -t DS320 for the Dallas one); the clocks s51 counts from the LCALL
// to the end of the RET (or across the code in line) must equal the
// answer's. The bytes the tools make must be the instruction list's own
// encoding, so that the executor counts what the tools built. A missing tool
// fails every test with the package to install.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "codegen/delay.h"
#include "codegen/executor.h"
#include "sim_support.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;
using simtest::Image;
using simtest::TempDir;

// What s51 calls the chips it models.
std::string simulatorCpu(const std::string& chip) {
  return chip == "ds80c320" ? "DS320" : "8051";
}

// Fails the test, naming the packages, where a tool is missing.
bool toolsPresent() {
  const std::string missing = simtest::missingTools({"as31", "sdas8051", "sdld", "sdcc", "s51"});
  EXPECT_TRUE(missing.empty()) << "missing 8051 tools: " << missing
                               << "; scripts/setup.sh installs them";
  return missing.empty();
}

std::string as31Harness(const DelayAnswer& a, const std::string& code,
                        const std::string& firstAgain) {
  std::string s =
      "        .org 0\n"
      "        LJMP START\n"
      "        .org 0100H\n"
      "START:  MOV SP,#5FH\n";
  if (a.inlineCode) {
    return s + "FIRST:\n" + code + "AFTER:\n" + firstAgain + "HERE:   SJMP HERE\n";
  }
  return s + "CALL1:  LCALL " + a.name + "\nCALL2:  LCALL " + a.name + "\nHERE:   SJMP HERE\n" +
         code;
}

std::string sdasHarness(const DelayAnswer& a, const std::string& code,
                        const std::string& firstAgain) {
  std::string s =
      "        .area HOME (ABS,CODE)\n"
      "        .org 0x0000\n"
      "        ljmp START\n"
      "        .org 0x0100\n"
      "START:  mov 0x81,#0x5f\n";
  if (a.inlineCode) {
    return s + "FIRST::\n" + code + "AFTER::\n" + firstAgain + "HERE::  sjmp HERE\n";
  }
  return s + "CALL1:: lcall " + a.name + "\nCALL2:: lcall " + a.name + "\nHERE::  sjmp HERE\n" +
         code;
}

// The first instruction of a program alone (the copy the second breakpoint
// stops at when the code is in line).
Program firstOf(const Program& p) {
  Program one;
  one.code = {p.code.front()};
  one.labels = {"", ""};
  one.comments = {""};
  return one;
}

struct Measured {
  std::uint64_t clocks = 0;
  std::uint16_t routine = 0;  // where the routine's code starts
};

Measured measureAssembly(const DelayAnswer& a, Language lang, const std::string& cpu) {
  TempDir dir;
  const bool sdas = lang == Language::Sdas;
  const std::string copy =
      sdas ? writeSdas(firstOf(a.program), {}) : writeAsm(firstOf(a.program), {});
  const Image image = sdas ? simtest::buildSdas(dir, sdasHarness(a, a.code, copy))
                           : simtest::buildAs31(dir, as31Harness(a, a.code, copy));
  const std::string first = a.inlineCode ? "FIRST" : "CALL1";
  const std::string second = a.inlineCode ? "AFTER" : "CALL2";
  Measured m;
  m.routine =
      a.inlineCode ? image.symbol("FIRST") : static_cast<std::uint16_t>(image.symbol("HERE") + 2);
  m.clocks = simtest::clocksBetween(dir, image, cpu, image.symbol(first), image.symbol(second));
  const auto expected = encode(a.program, m.routine);
  EXPECT_TRUE(expected && image.bytes(m.routine, expected->size()) == *expected)
      << "the assembler's bytes differ from the instruction list:\n"
      << a.code;
  return m;
}

Measured measureC(const DelayAnswer& a, const std::string& cpu) {
  TempDir dir;
  const std::string main = "void " + a.name + "(void);\n\nvoid main(void)\n{\n    " + a.name +
                           "();\n    " + a.name + "();\n    for (;;) {\n    }\n}\n";
  const Image image = simtest::buildSdcc(dir, {{"main.c", main}, {"delay.c", a.code}});
  const std::uint16_t mainAt = image.symbol("_main");
  Measured m;
  m.routine = image.symbol("_" + a.name);
  const auto hi = static_cast<std::uint8_t>(m.routine >> 8);
  const auto lo = static_cast<std::uint8_t>(m.routine & 0xFF);
  const std::vector<std::uint8_t> calls{0x12, hi, lo, 0x12, hi, lo};
  EXPECT_EQ(image.bytes(mainAt, 6), calls) << "main does not start with the two LCALLs";
  m.clocks =
      simtest::clocksBetween(dir, image, cpu, mainAt, static_cast<std::uint16_t>(mainAt + 3));
  const auto expected = encode(a.program, m.routine);
  EXPECT_TRUE(expected && image.bytes(m.routine, expected->size()) == *expected)
      << "SDCC's code differs from the asm form's instructions:\n"
      << a.code;
  return m;
}

struct SimCase {
  std::string chip;
  std::string crystal;
  std::string time;  // a time text, or "shortest", "shortest+1" (machine cycles)
  Rounding rounding = Rounding::Nearest;
  bool inlineCode = false;
  bool save = false;
  std::vector<Language> languages{Language::Asm, Language::Sdas, Language::C};
};

// Short names in gtest's output instead of the bytes of the struct.
void PrintTo(const SimCase& c, std::ostream* out) {
  *out << c.chip << " " << c.crystal << " MHz " << c.time << " " << roundingName(c.rounding)
       << (c.inlineCode ? " inline" : "") << (c.save ? " save" : "");
}

DelayRequest requestOf(const SimCase& c) {
  DelayRequest r;
  r.chip = mcu::findChip(c.chip);
  r.crystalHz = *readFrequency(c.crystal).value;
  r.rounding = c.rounding;
  r.inlineCode = c.inlineCode;
  r.save = c.save;
  if (c.time.starts_with("shortest")) {
    const PlanLimits limits = limitsOf(*r.chip, {c.inlineCode, c.save});
    const std::uint64_t clocks = limits.shortest + (c.time == "shortest" ? 0 : limits.step);
    r.timeUs = *microsecondsOf(clocks, r.crystalHz);
  } else {
    r.timeUs = *readTime(c.time).value;
  }
  return r;
}

class DelayInSimulator : public ::testing::TestWithParam<SimCase> {};

TEST_P(DelayInSimulator, ClocksEqualTheAnswer) {
  if (!toolsPresent()) {
    return;
  }
  const SimCase& c = GetParam();
  for (Language lang : c.languages) {
    DelayRequest r = requestOf(c);
    r.language = lang;
    const auto outcome = makeDelay(r);
    const auto* a = std::get_if<DelayAnswer>(&outcome);
    ASSERT_NE(a, nullptr) << std::get<DelayError>(outcome).message;
    const std::string cpu = simulatorCpu(c.chip);
    const Measured m = lang == Language::C ? measureC(*a, cpu) : measureAssembly(*a, lang, cpu);
    EXPECT_EQ(m.clocks, a->clocks) << "s51 -t " << cpu << ", " << languageName(lang) << ":\n"
                                   << a->code;
  }
}

// The table: the shortest routine and one machine cycle above it, 1 us to
// 10 s, the usual crystals, every rounding, in line and with save.
std::vector<SimCase> tableCases() {
  using R = Rounding;
  const std::vector<Language> asmOnly{Language::Asm, Language::Sdas};
  std::vector<SimCase> cases;
  for (const std::string chip : {"8051", "ds80c320"}) {
    const std::vector<SimCase> rows{
        {chip, "12", "shortest"},
        {chip, "12", "shortest+1"},
        {chip, "12", "shortest", R::Nearest, true, false, asmOnly},
        {chip, "12", "shortest+1", R::Nearest, true, false, asmOnly},
        {chip, "24", "shortest+1", R::Up, false, true, asmOnly},
        {chip, "33.1776", "1us", R::Nearest, true, false, asmOnly},
        {chip, "6", "10us", R::Up},
        {chip, "11.0592", "100us", R::Down},
        {chip, "12", "1ms"},
        {chip, "22.1184", "1.5ms", R::Up, false, true, asmOnly},
        {chip, "24", "2.5ms", R::Down, true, true, asmOnly},
        {chip, "24", "10ms", R::Down},
        {chip, "33.1776", "100ms"},
        {chip, "11.0592", "1s", R::Up, false, false, {Language::Asm}},
        {chip, "6", "10s", R::Nearest, false, false, {Language::C}},
        {chip, "33.1776", "10s", R::Down, false, true, {Language::Sdas}},
    };
    cases.insert(cases.end(), rows.begin(), rows.end());
  }
  return cases;
}

// A seeded sweep (DELAYSUB_SIM_SEED, DELAYSUB_SIM_CASES change it): times
// spread evenly in their logarithm from 1 us to 100 ms, any crystal of the
// table, rounding, form and language.
std::vector<SimCase> sweepCases() {
  const char* seedText = std::getenv("DELAYSUB_SIM_SEED");
  const char* countText = std::getenv("DELAYSUB_SIM_CASES");
  std::mt19937_64 rng(seedText != nullptr ? std::strtoull(seedText, nullptr, 10) : 20261207U);
  const int count = countText != nullptr ? std::atoi(countText) : 64;
  const std::vector<std::string> crystals{"6", "11.0592", "12", "22.1184", "24", "33.1776"};
  std::vector<SimCase> cases;
  for (int i = 0; i < count; ++i) {
    SimCase c;
    c.chip = i % 2 == 0 ? "8051" : "ds80c320";
    c.crystal = crystals[rng() % crystals.size()];
    c.rounding = static_cast<Rounding>(rng() % 3);
    c.inlineCode = rng() % 4 == 0;
    c.save = rng() % 4 == 0;
    // 1 us .. 100 ms in microseconds with three decimals, from the shortest
    // routine up.
    const Ratio hz = *readFrequency(c.crystal).value;
    const PlanLimits limits = limitsOf(*mcu::findChip(c.chip), {c.inlineCode, c.save});
    const Ratio shortest = *microsecondsOf(limits.shortest, hz);
    Ratio us;
    do {
      const double exponent = std::uniform_real_distribution<double>(0.0, 5.0)(rng);
      us = Ratio::of(static_cast<std::uint64_t>(std::pow(10.0, exponent) * 1000.0), 1000);
    } while (compare(us, shortest) < 0);
    c.time = decimalText(us, 3) + "us";
    const auto lang = static_cast<Language>(rng() % ((c.inlineCode || c.save) ? 2 : 3));
    c.languages = {lang};
    cases.push_back(c);
  }
  return cases;
}

std::string caseName(const ::testing::TestParamInfo<SimCase>& info) {
  std::string name = std::to_string(info.index) + "_" + info.param.chip + "_" + info.param.crystal +
                     "MHz_" + info.param.time;
  for (char& ch : name) {
    if (std::isalnum(static_cast<unsigned char>(ch)) == 0) {
      ch = '_';
    }
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Table, DelayInSimulator, ::testing::ValuesIn(tableCases()), caseName);
INSTANTIATE_TEST_SUITE_P(Sweep, DelayInSimulator, ::testing::ValuesIn(sweepCases()), caseName);

}  // namespace
