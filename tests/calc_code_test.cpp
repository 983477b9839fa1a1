// delaysub-calc code and chips: what a script and a person see, against the
// chip tables and codegen's own answer for the same request.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <variant>
#include <vector>

#include "calc/calc.h"
#include "calc_support.h"
#include "codegen/delay.h"
#include "mcu/chip.h"

namespace delaysub::calc {
namespace {

using Json = nlohmann::json;

using test::calc;
using test::joined;
using test::Outcome;

// "code" for 8051 at 12 MHz, 1 ms, with options replaced or added.
std::vector<std::string> code(const std::vector<std::string>& more) {
  std::vector<std::string> args{"code", "--chip", "8051", "--crystal", "12MHz", "--time", "1ms"};
  for (std::size_t i = 0; i < more.size(); ++i) {
    const auto given = std::find(args.begin(), args.end(), more[i]);
    if (given != args.end() && i + 1 < more.size()) {
      *(given + 1) = more[++i];
    } else {
      args.push_back(more[i]);
    }
  }
  return args;
}

// ---- Bad arguments ------------------------------------------------------------

struct BadCode {
  std::vector<std::string> args;
  int status;
  const char* says;  // part of the one line on standard error
};

void PrintTo(const BadCode& c, std::ostream* os) {
  *os << joined(c.args);
}

class BadCodeArguments : public ::testing::TestWithParam<BadCode> {};

TEST_P(BadCodeArguments, StatusOneLineAndNothingOnStandardOutput) {
  const BadCode& c = GetParam();
  const Outcome r = calc(c.args);
  EXPECT_EQ(r.status, c.status);
  EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err.ends_with("; see 'delaysub-calc code --help'\n"), c.status == kExitUsage)
      << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Code, BadCodeArguments,
    ::testing::Values(
        BadCode{{"code", "--chip", "8051", "--crystal", "12"}, kExitUsage, "--time is required"},
        BadCode{{"code", "--time", "1ms", "--crystal", "12"}, kExitUsage, "--chip is required"},
        BadCode{code({"--chip", "pic16"}), kExitUsage,
                "--chip: 'pic16' is no chip; use 8051, 8051-6t, ds80c320, stc15, stc8, c8051f, "
                "at89lp"},
        BadCode{code({"--crystal", "abc"}), kExitUsage, "--crystal: 'abc' is no number"},
        BadCode{code({"--crystal", "12 GHz"}), kExitUsage, "--crystal: '12 GHz' has no known unit"},
        BadCode{code({"--crystal", "0"}), kExitUsage, "--crystal: '0' is not above 0"},
        BadCode{code({"--crystal", "-12"}), kExitUsage, "--crystal: '-12' is not above 0"},
        BadCode{code({"--time", "0us"}), kExitUsage, "--time: '0us' is not above 0"},
        BadCode{code({"--time", "5 min"}), kExitUsage, "--time: '5 min' has no known unit"},
        BadCode{code({"--time", "inf"}), kExitUsage, "--time: 'inf' is no number"},
        BadCode{code({"--round", "half"}), kExitUsage, "--round: 'half' is no rounding"},
        BadCode{code({"--lang", "C"}), kExitUsage, "--lang: 'C' is no language"},
        BadCode{code({"--lang", "c", "--inline"}), kExitUsage, "--inline is for asm and sdas"},
        BadCode{code({"--lang", "c", "--save"}), kExitUsage, "--save is for asm and sdas"},
        BadCode{code({"--name", ""}), kExitUsage, "--name: '' is empty"},
        BadCode{code({"--name", "9lives"}), kExitUsage, "--name: '9lives' is no name"},
        BadCode{code({"--name", "djnz"}), kExitUsage, "--name: 'djnz' is a register"},
        BadCode{code({"--name", "a\nb"}), kExitUsage, "--name: 'a?b'"},
        BadCode{code({"--frobnicate"}), kExitUsage, "--frobnicate"},
        BadCode{code({"--chip", "stc8", "--save"}), kExitFailed, "no published clocks"},
        BadCode{code({"--time", "1 us"}), kExitFailed, "is below the shortest routine"},
        BadCode{code({"--time", "10000 s"}), kExitFailed, "for longer times use a timer"}));

// A time outside the routines names both limits, as codegen computes them.
TEST(CodeOutOfRange, NamesBothLimits) {
  struct Case {
    const char* chip;
    const char* crystal;
    const char* time;
    bool inlineCode;
  };
  const Case cases[] = {{"8051", "12", "1us", false},
                        {"8051", "11.0592", "90000s", false},
                        {"stc15", "33.1776", "0.01us", true},
                        {"ds80c320", "32768Hz", "10000000s", false},
                        {"c8051f", "100", "10000s", false}};
  for (const Case& c : cases) {
    std::vector<std::string> args{"code",    "--chip", c.chip, "--crystal",
                                  c.crystal, "--time", c.time};
    if (c.inlineCode) {
      args.push_back("--inline");
    }
    const Outcome r = calc(args);
    ASSERT_EQ(r.status, kExitFailed) << joined(args);
    codegen::DelayRequest q;
    q.chip = mcu::findChip(c.chip);
    q.crystalHz = *codegen::readFrequency(c.crystal).value;
    q.timeUs = *codegen::readTime(c.time).value;
    q.inlineCode = c.inlineCode;
    const auto outcome = codegen::makeDelay(q);
    ASSERT_TRUE(std::holds_alternative<codegen::DelayError>(outcome)) << joined(args);
    const auto& e = std::get<codegen::DelayError>(outcome);
    EXPECT_NE(r.err.find(std::to_string(e.shortestClocks) + " clocks"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(std::to_string(e.longestClocks) + " clocks"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    args.push_back("--json");
    const Outcome j = calc(args);
    EXPECT_EQ(j.status, kExitFailed);
    const Json answer = Json::parse(j.out);
    EXPECT_EQ(answer["shortest_clocks"], e.shortestClocks);
    EXPECT_EQ(answer["longest_clocks"], e.longestClocks);
    EXPECT_EQ(answer["error"], e.message);
  }
}

// ---- The answer ---------------------------------------------------------------

struct Request {
  std::vector<std::string> args;  // after "code"
};

void PrintTo(const Request& r, std::ostream* os) {
  *os << joined(r.args);
}

// The request codegen gets for the same arguments.
codegen::DelayRequest requestOf(const std::vector<std::string>& args) {
  codegen::DelayRequest q;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const std::string next = i + 1 < args.size() ? args[i + 1] : "";
    if (a == "--chip") {
      q.chip = mcu::findChip(next);
    } else if (a == "--crystal") {
      q.crystalHz = *codegen::readFrequency(next).value;
    } else if (a == "--time") {
      q.timeUs = *codegen::readTime(next).value;
    } else if (a == "--round") {
      q.rounding = next == "up"     ? codegen::Rounding::Up
                   : next == "down" ? codegen::Rounding::Down
                                    : codegen::Rounding::Nearest;
    } else if (a == "--lang") {
      q.language = next == "c"      ? codegen::Language::C
                   : next == "sdas" ? codegen::Language::Sdas
                                    : codegen::Language::Asm;
    } else if (a == "--name") {
      q.name = next;
    }
    q.inlineCode = q.inlineCode || a == "--inline";
    q.save = q.save || a == "--save";
  }
  return q;
}

class CodeAnswer : public ::testing::TestWithParam<Request> {};

TEST_P(CodeAnswer, JsonAgreesWithCodegenAndWithTheText) {
  std::vector<std::string> args{"code"};
  args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
  const codegen::DelayRequest q = requestOf(GetParam().args);
  const auto outcome = codegen::makeDelay(q);
  ASSERT_TRUE(std::holds_alternative<codegen::DelayAnswer>(outcome));
  const auto& d = std::get<codegen::DelayAnswer>(outcome);

  const Outcome text = calc(args);
  args.push_back("--json");
  const Outcome json = calc(args);
  ASSERT_EQ(json.status, kExitOk) << json.err;
  ASSERT_EQ(text.status, kExitOk) << text.err;
  EXPECT_EQ(json.err + text.err, "");
  const Json j = Json::parse(json.out);

  EXPECT_EQ(j["chip"], q.chip->name);
  EXPECT_EQ(j["clocks"], d.clocks);
  EXPECT_EQ(j["bytes"], d.bytes);
  EXPECT_EQ(j["counters"], Json(d.counters));
  EXPECT_EQ(j["nops"], d.nops);
  EXPECT_EQ(j["registers"], Json(d.registers));
  EXPECT_EQ(j["name"], d.name);
  EXPECT_EQ(j["inline"], q.inlineCode);
  EXPECT_EQ(j["lang"], codegen::languageName(q.language));
  EXPECT_EQ(j["round"], codegen::roundingName(q.rounding));
  EXPECT_EQ(j["code"], d.code);
  EXPECT_NEAR(j["crystal_hz"].get<double>(), codegen::toDouble(q.crystalHz), 1e-6);
  EXPECT_NEAR(j["target_us"].get<double>(), codegen::toDouble(q.timeUs), 1e-6);

  // The figures hang together: time = clocks / crystal, error = time - target.
  const double crystal = j["crystal_hz"].get<double>();
  const double time = j["time_us"].get<double>();
  const double target = j["target_us"].get<double>();
  EXPECT_NEAR(time, static_cast<double>(d.clocks) * 1e6 / crystal, 1e-6 + time * 1e-12);
  EXPECT_NEAR(j["error_us"].get<double>(), time - target, 2e-6);
  EXPECT_NEAR(j["error_percent"].get<double>(), 100.0 * (time - target) / target, 1e-6);
  const double errorClocks = j["error_clocks"].get<double>();
  EXPECT_NEAR(errorClocks, static_cast<double>(d.clocks) - j["wanted_clocks"].get<double>(), 2e-6);
  const double cycle = q.chip->clocksPerCycle;
  if (q.rounding == codegen::Rounding::Up) {
    EXPECT_TRUE(errorClocks >= 0 && errorClocks < cycle) << errorClocks;
  } else if (q.rounding == codegen::Rounding::Down) {
    EXPECT_TRUE(errorClocks <= 0 && errorClocks > -cycle) << errorClocks;
  } else {
    EXPECT_LE(std::abs(errorClocks), cycle / 2) << errorClocks;
  }

  // The text: the code, then the figures as comments of the language.
  ASSERT_TRUE(text.out.starts_with(d.code)) << text.out;
  const std::string mark = q.language == codegen::Language::C ? " * " : "; ";
  EXPECT_NE(text.out.find(mark + "clocks   " + std::to_string(d.clocks) + " (wanted "),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find(mark + "bytes    " + std::to_string(d.bytes)), std::string::npos);
  EXPECT_NE(text.out.find(mark + "error    " + codegen::signedDecimalText(d.errorClocks, 6) +
                          " clocks = " + codegen::signedDecimalText(d.errorUs, 6) +
                          " us = " + codegen::signedDecimalText(d.errorPercent, 4) + " %"),
            std::string::npos)
      << text.out;
}

INSTANTIATE_TEST_SUITE_P(
    Code, CodeAnswer,
    ::testing::Values(
        Request{{"--chip", "8051", "--crystal", "11.0592MHz", "--time", "10ms"}},
        Request{{"--chip", "8051", "--crystal", "12", "--time", "1.5ms", "--lang", "c"}},
        Request{{"--chip", "mcs51", "--crystal", "12", "--time", "4us"}},
        Request{{"--chip", "8051-6t", "--crystal", "22.1184", "--time", "1s", "--round", "down"}},
        Request{{"--chip", "ds80c320", "--crystal", "33.1776MHz", "--time", "250us", "--lang",
                 "sdas", "--save"}},
        Request{{"--chip", "stc15", "--crystal", "11.0592", "--time", "1ms", "--round", "up"}},
        Request{{"--chip", "stc8", "--crystal", "24MHz", "--time", "0.5us", "--inline"}},
        Request{
            {"--chip", "c8051f", "--crystal", "24500kHz", "--time", "100ms", "--name", "Wait100"}},
        Request{{"--chip", "at89lp", "--crystal", "32768Hz", "--time", "3s", "--round", "up",
                 "--lang", "c"}},
        Request{{"--chip", "STC15", "--crystal", "6", "--time", "1000s"}},
        Request{{"--chip", "8051", "--crystal", "11.0592", "--time", "1ms", "--round", "down"}}));

// ---- chips --------------------------------------------------------------------

TEST(Chips, ListsEveryChipOfTheTables) {
  const Outcome json = calc({"chips", "--json"});
  ASSERT_EQ(json.status, kExitOk) << json.err;
  const Json list = Json::parse(json.out);
  const auto all = mcu::chips();
  ASSERT_EQ(list.size(), all.size());
  const Outcome text = calc({"chips"});
  ASSERT_EQ(text.status, kExitOk);
  for (std::size_t i = 0; i < all.size(); ++i) {
    const mcu::Chip& chip = all[i];
    const Json& j = list[i];
    EXPECT_EQ(j["name"], chip.name);
    EXPECT_EQ(j["description"], chip.description);
    EXPECT_EQ(j["clocks_per_cycle"], chip.clocksPerCycle);
    EXPECT_EQ(j["source"]["document"], chip.source.document);
    EXPECT_EQ(j["source"]["inferred"], chip.source.inferred);
    ASSERT_EQ(j["aliases"].size(), chip.aliases.size());
    for (std::size_t k = 0; k < chip.aliases.size(); ++k) {
      EXPECT_EQ(j["aliases"][k], chip.aliases[k]);
      // Every alias the list shows is one that code takes.
      EXPECT_EQ(calc(code({"--chip", std::string(chip.aliases[k])})).status, kExitOk);
    }
    // Built by appending: g++ 12 warns falsely (-Wrestrict) on "\n" + string.
    std::string row = "\n";
    row.append(chip.name).append(" ");
    EXPECT_NE(text.out.find(row), std::string::npos) << chip.name;
    EXPECT_NE(text.out.find(std::string(chip.source.document)), std::string::npos) << chip.name;
  }
}

TEST(CodeHelp, NamesEveryOption) {
  const Outcome r = calc({"code", "--help"});
  EXPECT_EQ(r.status, kExitOk);
  for (const char* option : {"--chip", "--crystal", "--time", "--round", "--lang", "--inline",
                             "--save", "--name", "--json"}) {
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  }
  EXPECT_NE(r.out.find("Exit status: 0 done; 1 the time lies outside the chip's routines"),
            std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("a text without a number reads 0"), std::string::npos) << r.out;
  const Outcome main = calc({"--help"});
  EXPECT_NE(main.out.find("  code "), std::string::npos) << main.out;
  EXPECT_NE(main.out.find("  chips "), std::string::npos) << main.out;
}

}  // namespace
}  // namespace delaysub::calc
