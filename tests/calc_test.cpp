// delaysub-calc: its figures through the JSON, its exit statuses and messages
// for bad arguments, and agreement with the window for the same input.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "calc/calc.h"
#include "calc_support.h"
#include "core/domain.h"
#include "core/lists.h"
#include "core/result.h"
#include "design/seed.h"
#include "form_test_support.h"
#include "window/form.h"
#include "window/hints.h"

namespace delaysub::calc {
namespace {

using Json = nlohmann::json;

// What the command line says about AVR delays.
constexpr std::string_view kAvrNoteText =
    "the delay is the MCS-51 routine's count, as the window computes it for AVR; "
    "the formula is shown as the window shows it";

using test::calc;
using test::joined;
using test::Outcome;

// ---- Figures ------------------------------------------------------------------

struct Figure {
  std::vector<std::string> args;
  const char* field;  // JSON pointer
  Json expected;      // numbers within 0.005
};

// Short names for the cases in test listings (and so in ctest's names).
void PrintTo(const Figure& f, std::ostream* os) {
  *os << joined(f.args) << " " << f.field;
}

class Figures : public ::testing::TestWithParam<Figure> {};

TEST_P(Figures, ThroughTheJson) {
  const Figure& f = GetParam();
  std::vector<std::string> args = f.args;
  args.push_back("--json");
  const Outcome r = calc(args);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  const Json value = r.json().at(Json::json_pointer(f.field));
  if (f.expected.is_number_float()) {
    EXPECT_NEAR(value.get<double>(), f.expected.get<double>(), 0.005) << f.field;
  } else {
    EXPECT_EQ(value, f.expected) << f.field;
  }
}

const std::vector<std::string> k11_9600 = {"baud",       "--core", "mcs51", "--crystal",
                                           "11.0592MHz", "--baud", "9600"};
const std::vector<std::string> k12_4800 = {"baud",   "--core", "mcs51",  "--crystal", "12 MHz",
                                           "--baud", "4800",   "--smod", "1"};
const std::vector<std::string> k12_9600 = {"baud", "--core", "mcs51",   "--crystal",
                                           "12",   "--baud", "9600 bps"};
const std::vector<std::string> kAvr115200 = {"baud",  "--core", "avr",   "--crystal",
                                             "16MHz", "--baud", "115200"};
const std::vector<std::string> kAvr9600 = {"baud",  "--core", "avr", "--crystal",
                                           "16MHz", "--baud", "9600"};
const std::vector<std::string> k10ms = {"seed",   "--core", "mcs51", "--crystal",
                                        "12 MHz", "--time", "10 ms"};

INSTANTIATE_TEST_SUITE_P(
    Calc, Figures,
    ::testing::Values(
        Figure{k11_9600, "/window", "TH1 = 0FDH"},
        Figure{k11_9600, "/options/0/reload_text", "TH1 = 0FDH"},
        Figure{k11_9600, "/options/0/actual_baud", 9600.0},
        Figure{k11_9600, "/options/0/error_percent", 0.0},
        Figure{k11_9600, "/crystal_mhz", 11.059200286865234},
        Figure{k12_4800, "/window", "不可实现"}, Figure{k12_4800, "/smod", 1},
        Figure{k12_4800, "/options/1/reload_text", "TH1 = 0F3H"},
        Figure{k12_4800, "/options/1/actual_baud", 4807.69},
        Figure{k12_4800, "/options/1/error_percent", 0.16},
        Figure{k12_9600, "/options/0/reload_text", "TH1 = 0FDH"},
        Figure{k12_9600, "/options/0/actual_baud", 10416.67},
        Figure{k12_9600, "/options/0/error_percent", 8.51},
        Figure{k12_9600, "/options/0/within_tolerance", false}, Figure{k12_9600, "/best/smod", 1},
        Figure{k12_9600, "/best/reload_text", "TH1 = 0F9H"},
        Figure{k12_9600, "/best/actual_baud", 8928.57},
        Figure{k12_9600, "/best/error_percent", -6.99},
        Figure{k12_9600, "/best/within_tolerance", false},
        Figure{kAvr115200, "/options/0/reload_text", "UBRR = 08H"},
        Figure{kAvr115200, "/options/0/error_percent", -3.55}, Figure{kAvr115200, "/best/u2x", 1},
        Figure{kAvr115200, "/best/reload_text", "UBRR = 10H"},
        Figure{kAvr115200, "/best/actual_baud", 117647.06},
        Figure{kAvr115200, "/best/error_percent", 2.12},
        Figure{kAvr9600, "/options/0/reload_text", "UBRR = 67H"},
        Figure{kAvr9600, "/options/0/actual_baud", 9615.38},
        Figure{kAvr9600, "/options/0/within_tolerance", true}, Figure{k10ms, "/target_us", 10000.0},
        Figure{k10ms, "/solutions/0/reachable", false}, Figure{k10ms, "/solutions/0/min_us", 6},
        Figure{k10ms, "/solutions/0/max_us", 514}, Figure{k10ms, "/solutions/1/seed", 97},
        Figure{k10ms, "/solutions/1/seed_hex", "61"}, Figure{k10ms, "/solutions/1/delay_us", 10092},
        Figure{k10ms, "/solutions/1/error_percent", 0.92}, Figure{k10ms, "/solutions/2/seed", 27},
        Figure{k10ms, "/solutions/2/delay_us", 9742},
        Figure{k10ms, "/solutions/2/error_percent", -2.58}, Figure{k10ms, "/best/loops", 2},
        Figure{k10ms, "/best/seed", 97},
        Figure{{"table", "--core", "w77e58", "--crystal", "22.1184MHz"},
               "/rows/11/window",
               "不可实现"},
        Figure{{"table", "--core", "w77e58", "--crystal", "22.1184MHz"},
               "/rows/11/best/reload_text",
               "TH1 = 0FFH"},
        Figure{{"template", "--core", "mcs51", "--loops", "1", "--seed", "200"},
               "/template",
               "; BYT_DLY = 0C8H (200): T = 404 uS at 12 MHz, MCS-51, single loop\n"
               "WAIT:    MOV     BYT_DLY,#0C8H\n        LCALL   DELAY1\n        ...\n\n"
               "DELAY1:  DJNZ    BYT_DLY,DELAY1\n         RET"}));

// ---- Bad arguments ----------------------------------------------------------------

struct BadCase {
  std::vector<std::string> args;
  int status;
  const char* says;  // part of the one line on stderr
};

void PrintTo(const BadCase& c, std::ostream* os) {
  *os << joined(c.args);
}

class BadArguments : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadArguments, StatusAndOneLine) {
  const BadCase& c = GetParam();
  const Outcome r = calc(c.args);
  EXPECT_EQ(r.status, c.status);
  EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // exactly one line
  if (c.status == kExitUsage) {
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("--help'"), std::string::npos) << r.err;
  }
}

const std::vector<std::string> kDelay = {"delay", "--core", "mcs51", "--crystal", "12"};

std::vector<std::string> with(std::vector<std::string> base, std::vector<std::string> more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

INSTANTIATE_TEST_SUITE_P(
    Calc, BadArguments,
    ::testing::Values(
        BadCase{{}, kExitUsage, "a command is needed"},
        BadCase{{"delays"}, kExitUsage, "unknown command 'delays'"},
        BadCase{{"--json"}, kExitUsage, "a command is needed"},
        BadCase{{"delay", "--frobnicate"}, kExitUsage, "--frobnicate"},
        BadCase{with(kDelay, {"--seed", "1"}), kExitUsage, "--loops is required"},
        BadCase{with(kDelay, {"--loops", "4", "--seed", "1"}), kExitUsage, "--loops: '4'"},
        BadCase{with(kDelay, {"--loops", "1", "--seed", "1", "--unit", "s"}), kExitUsage,
                "--unit: 's'"},
        BadCase{with(kDelay, {"--loops", "1", "--seed"}), kExitUsage, "--seed"},
        BadCase{{"delay", "--core", "8051", "--loops", "1", "--crystal", "12", "--seed", "1"},
                kExitUsage,
                "--core: '8051'"},
        BadCase{{"seed", "--core", "avr", "--crystal", "12", "--time", "0"},
                kExitUsage,
                "--time: '0' is not above 0"},
        BadCase{{"seed", "--core", "avr", "--crystal", "12", "--time", "-2ms"},
                kExitUsage,
                "--time: '-2ms'"},
        BadCase{{"seed", "--core", "avr", "--crystal", "12", "--time", "inf"},
                kExitUsage,
                "--time: 'inf' is no time"},
        BadCase{{"seed", "--core", "avr", "--crystal", "12", "--time", "5 min"},
                kExitUsage,
                "--time: '5 min'"},
        BadCase{{"baud", "--core", "avr", "--crystal", "12", "--baud", "9600", "--smod", "2"},
                kExitUsage,
                "--smod: '2'"},
        BadCase{{"template", "--core", "avr", "--loops", "1", "--seed", "256"},
                kExitUsage,
                "--seed: '256' is outside 0..255"},
        BadCase{{"template", "--core", "avr", "--loops", "1", "--seed", "-1"},
                kExitUsage,
                "--seed: '-1'"},
        BadCase{with(kDelay, {"--loops", "3", "--seed", "1024"}), kExitFailed, "error 6: overflow"},
        BadCase{{"baud", "--core", "mcs51", "--crystal", "12", "--baud", ""},
                kExitFailed,
                "error 11: division by zero"},
        BadCase{{"seed", "--core", "mcs51", "--crystal", "12", "--time", "10s"},
                kExitFailed,
                "the longest delay is 5789694 us (triple loop, X = 255)"},
        BadCase{{"seed", "--core", "mcs51", "--crystal", "12", "--time", "1ms", "--loops", "1"},
                kExitFailed,
                "the longest delay is 514 us (single loop, X = 255)"},
        BadCase{{"seed", "--core", "mcs51", "--crystal", "", "--time", "1ms"},
                kExitFailed,
                "error 11: division by zero"}));

TEST(BadArguments, MessagesStayOnOneLineWhateverTheBytes) {
  const Outcome r = calc({"delay", "--core", std::string("a\nb\0c\x7f", 6), "--loops", "1"});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_EQ(r.err.find('\x7f'), std::string::npos);
}

// A long argument is shortened in the message at a character's start, never
// inside a UTF-8 sequence, whatever the byte the cut falls on.
TEST(BadArguments, LongTextsAreCutBetweenCharacters) {
  for (const std::string lead : {"", "a", "ab"}) {
    std::string core = lead;
    for (int i = 0; i < 20; ++i) {
      core += "\xe5\x8d\x81";  // 十
    }
    const Outcome r =
        calc({"delay", "--core", core, "--loops", "1", "--crystal", "12", "--seed", "1"});
    ASSERT_EQ(r.status, kExitUsage);
    const std::size_t open = r.err.find('\'');
    const std::size_t close = r.err.find("...'", open);
    ASSERT_NE(close, std::string::npos) << r.err;
    const std::string shown = r.err.substr(open + 1, close - open - 1);
    EXPECT_EQ(shown.substr(0, lead.size()), lead);
    EXPECT_EQ((shown.size() - lead.size()) % 3, 0u) << shown;
    EXPECT_GE(shown.size(), 38u);
  }
}

TEST(BadArguments, RunTimeErrorsAlsoGoToTheJson) {
  const Outcome r = calc(with(kDelay, {"--loops", "3", "--seed", "1024", "--json"}));
  EXPECT_EQ(r.status, kExitFailed);
  EXPECT_EQ(r.json()["error"], (Json{{"number", 6}, {"meaning", "overflow"}}));
  EXPECT_EQ(r.json()["seed_hex"], "400");  // the window has stored and shown the seed
}

// AVR delays are the MCS-51 routine's counts beside AVR's own formula text,
// as the window shows them; the command line says so, and only for AVR.
TEST(AvrNote, DelayAndSeedSayWhatTheDelayIs) {
  struct Case {
    std::vector<std::string> args;
    bool noted;
  };
  const std::vector<std::string> delay = {"delay", "--loops", "1",  "--crystal",
                                          "12MHz", "--seed",  "100"};
  const std::vector<std::string> seed = {"seed", "--crystal", "12MHz", "--time", "10ms"};
  const std::vector<std::string> unreachable = {"seed", "--crystal", "12MHz", "--time",
                                                "1s",   "--loops",   "1"};
  const auto with = [](std::vector<std::string> args, const char* core) {
    args.insert(args.begin() + 1, {"--core", core});
    return args;
  };
  const Case cases[] = {
      {with(delay, "avr"), true},
      {with(seed, "avr"), true},
      {with(unreachable, "avr"), true},
      {with(delay, "mcs51"), false},
      {with(seed, "w77e58"), false},
      {with({"template", "--loops", "1"}, "avr"), false},
      {with({"baud", "--crystal", "16MHz", "--baud", "9600"}, "avr"), false},
  };
  const std::string line = std::string("note     ") + std::string(kAvrNoteText) + "\n";
  for (const Case& c : cases) {
    const Outcome text = calc(c.args);
    EXPECT_EQ(text.out.find(line) != std::string::npos, c.noted) << joined(c.args);
    std::vector<std::string> args = c.args;
    args.push_back("--json");
    const Json j = calc(args).json();
    EXPECT_EQ(j.contains("note"), c.noted) << joined(c.args);
    if (c.noted) {
      EXPECT_EQ(j["note"], kAvrNoteText);
    }
  }
}

TEST(AvrNote, NumbersStayAsTheWindowShowsThem) {
  const Outcome r = calc(
      {"delay", "--core", "avr", "--loops", "1", "--crystal", "12MHz", "--seed", "100", "--json"});
  ASSERT_EQ(r.status, kExitOk);
  EXPECT_EQ(r.json()["delay_text"], "204");
  EXPECT_EQ(r.json()["formula"], "T=1.5*X*X+7.5*X+7");
  // The same seeds as for MCS-51.
  const Outcome avr =
      calc({"seed", "--core", "avr", "--crystal", "12MHz", "--time", "10ms", "--json"});
  const Outcome mcs51 =
      calc({"seed", "--core", "mcs51", "--crystal", "12MHz", "--time", "10ms", "--json"});
  EXPECT_EQ(avr.json()["solutions"], mcs51.json()["solutions"]);
  EXPECT_EQ(avr.json()["best"], mcs51.json()["best"]);
}

TEST(Help, AnswersAndSucceeds) {
  for (const auto& args : {std::vector<std::string>{"--help"}, {"seed", "--help"}}) {
    const Outcome r = calc(args);
    EXPECT_EQ(r.status, kExitOk);
    EXPECT_NE(r.out.find("Usage: delaysub-calc"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Exit status"), std::string::npos);
  }
  EXPECT_EQ(calc({"--version"}).out.rfind("delaysub-calc ", 0), 0u);
}

// ---- Agreement with the window ------------------------------------------------

constexpr const char* kCoreNames[] = {"mcs51", "avr", "w77e58"};

// A crystal picked from the list (index) or typed (text).
struct Crystal {
  int listIndex;
  const char* typed;
  std::string text() const {
    return listIndex >= 0 ? std::string(core::kCrystalList[static_cast<std::size_t>(listIndex)])
                          : std::string(typed);
  }
};

void setUp(window::DelaySubForm& f, std::int16_t cpu, const Crystal& crystal) {
  window::test_support::start(f);
  f.Option0.select(cpu);
  if (crystal.listIndex >= 0) {
    f.Combo0.setListIndex(crystal.listIndex);
  } else {
    window::test_support::typeInto(f.Combo0, crystal.typed);
  }
}

// The window's report for the error that delaysub-calc names in its JSON.
std::string windowReport(const Json& error) {
  const auto e = static_cast<core::RunError>(error.at("number").get<int>());
  return "运行时错误 " + std::to_string(core::errorNumber(e)) + "：" +
         std::string(core::errorMeaningZh(e));
}

std::string lf(std::string text) {
  for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) {
    text.erase(at, 1);
  }
  return text;
}

struct DelayInput {
  std::int16_t cpu, loop;
  Crystal crystal;
  const char* seed;
  bool ms;
};

void PrintTo(const DelayInput& in, std::ostream* os) {
  *os << "core " << in.cpu << ", loops " << in.loop + 1 << ", crystal " << in.crystal.text()
      << ", seed " << in.seed << (in.ms ? ", mS" : "");
}

class AgreesWithTheWindow : public ::testing::TestWithParam<DelayInput> {};

TEST_P(AgreesWithTheWindow, DelaySeedFormulaAndTemplate) {
  const DelayInput& in = GetParam();
  window::DelaySubForm f;
  setUp(f, in.cpu, in.crystal);
  f.Option2.select(in.loop);
  if (in.ms) {
    f.Label1(6).doubleClick();
  }
  window::test_support::typeInto(f.Text1(1), in.seed);

  const std::string cpu = kCoreNames[in.cpu];
  const std::string loops = std::to_string(in.loop + 1);
  const Outcome r = calc({"delay", "--core", cpu, "--loops", loops, "--crystal", in.crystal.text(),
                          "--seed", in.seed, "--unit", in.ms ? "ms" : "us", "--json"});
  const Json j = r.json();
  if (f.errorReport().empty()) {
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(j["delay_text"], f.Text1(0).text());
    EXPECT_EQ(j["unit"], f.Label1(6).caption());
    EXPECT_EQ(j["formula"], lf(f.Text1(3).text()));
  } else {
    ASSERT_EQ(r.status, kExitFailed);
    // The window names the seeds that compute when the seed itself overflows:
    // it did not fit 32 bits, or it lies outside the range.
    std::string report = windowReport(j.at("error"));
    const auto chip = core::coreOf(in.cpu);
    const auto nesting = core::nestingOf(in.loop);
    ASSERT_TRUE(chip && nesting);
    const auto range = design::seedRange(*chip, *nesting);
    const bool seedOutside = !j.contains("seed") || j["seed"].get<std::int64_t>() < range.first ||
                             j["seed"].get<std::int64_t>() > range.last;
    if (seedOutside && j["error"]["number"] == core::errorNumber(core::RunError::Overflow)) {
      report += "（" + window::hints::seedRangeNote(*chip, *nesting) + "）";
    }
    EXPECT_EQ(report, f.errorReport());
  }
  if (j.contains("seed_hex")) {  // else the seed did not fit and the window kept the old one
    EXPECT_EQ(j["seed_hex"], f.Label1(9).caption());
    EXPECT_EQ(j["seed"], f.windowState().X);
  }
  const Outcome t = calc({"template", "--core", cpu, "--loops", loops, "--crlf", "--json"});
  EXPECT_EQ(t.json()["template"], f.Text1(4).text());
}

INSTANTIATE_TEST_SUITE_P(
    Calc, AgreesWithTheWindow,
    ::testing::Values(
        DelayInput{0, 0, {5, ""}, "100", false}, DelayInput{0, 1, {4, ""}, "255", true},
        DelayInput{0, 2, {-1, "12.5 MHz"}, "1023", false}, DelayInput{0, 2, {5, ""}, "1024", false},
        DelayInput{1, 0, {6, ""}, "&H64", true}, DelayInput{1, 1, {-1, "16"}, "13373", false},
        DelayInput{1, 1, {-1, "16"}, "13374", false}, DelayInput{1, 2, {0, ""}, "-5", true},
        DelayInput{2, 0, {8, ""}, "134217726", false}, DelayInput{2, 0, {8, ""}, "134217727", true},
        DelayInput{2, 1, {10, ""}, "2.5", true}, DelayInput{2, 2, {-1, "0.001"}, "1023", false},
        DelayInput{2, 2, {-1, "abc"}, "7", false}, DelayInput{0, 0, {-1, ""}, "-2", false},
        DelayInput{0, 0, {5, ""}, "1e10", false}, DelayInput{0, 1, {5, ""}, "", true}));

// The window's "复制（代入 X）" copies what "template --seed --crlf" prints,
// less the line break that ends the printout.
TEST(TemplateCopy, IsWhatTemplateSeedPrints) {
  struct Case {
    std::int16_t cpu, loop;
    Crystal crystal;
    const char* seed;
  };
  const Case cases[] = {{0, 0, {5, ""}, "100"}, {2, 2, {4, ""}, "255"}, {1, 1, {-1, "16"}, "0"}};
  for (const Case& c : cases) {
    window::DelaySubForm f;
    setUp(f, c.cpu, c.crystal);
    f.Option2.select(c.loop);
    window::test_support::typeInto(f.Text1(1), c.seed);
    const window::hints::TemplateCopy copy = window::hints::templateCopy(f);
    ASSERT_TRUE(copy.enabled) << c.seed;
    const Outcome r =
        calc({"template", "--core", kCoreNames[c.cpu], "--loops", std::to_string(c.loop + 1),
              "--crystal", c.crystal.text(), "--seed", c.seed, "--crlf"});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(copy.text + "\r\n", r.out) << c.seed;
  }
}

struct BaudInput {
  std::int16_t cpu;
  Crystal crystal;
  const char* baud;
  int smod;
};

void PrintTo(const BaudInput& in, std::ostream* os) {
  *os << "core " << in.cpu << ", crystal " << in.crystal.text() << ", baud " << in.baud << ", SMOD "
      << in.smod;
}

class BaudAgreesWithTheWindow : public ::testing::TestWithParam<BaudInput> {};

TEST_P(BaudAgreesWithTheWindow, ResultBox) {
  const BaudInput& in = GetParam();
  window::DelaySubForm f;
  setUp(f, in.cpu, in.crystal);
  f.Option1.select(in.smod);
  window::test_support::typeInto(f.Combo1, in.baud);

  const Outcome r = calc({"baud", "--core", kCoreNames[in.cpu], "--crystal", in.crystal.text(),
                          "--baud", in.baud, "--smod", std::to_string(in.smod), "--json"});
  if (f.errorReport().empty()) {
    ASSERT_EQ(r.status, kExitOk) << r.err;
    EXPECT_EQ(r.json()["window"], f.Text2.text());
  } else {
    ASSERT_EQ(r.status, kExitFailed);
    EXPECT_EQ(windowReport(r.json().at("error")), f.errorReport());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Calc, BaudAgreesWithTheWindow,
    ::testing::Values(BaudInput{0, {4, ""}, "9600", 0}, BaudInput{0, {4, ""}, "19200", 0},
                      BaudInput{2, {4, ""}, "19200", 1}, BaudInput{2, {8, ""}, "115200", 1},
                      BaudInput{0, {5, ""}, "9600 bps", 1}, BaudInput{1, {6, ""}, "2400", 0},
                      BaudInput{1, {10, ""}, "300", 1}, BaudInput{1, {-1, "4MHz"}, "115200", 0},
                      BaudInput{0, {5, ""}, "", 0}, BaudInput{1, {5, ""}, "abc", 0},
                      BaudInput{0, {-1, "0"}, "9600", 0}, BaudInput{1, {-1, "0"}, "", 0},
                      BaudInput{1, {5, ""}, "0.001", 0}, BaudInput{0, {5, ""}, "-9600", 1},
                      BaudInput{0, {5, ""}, "1e300", 0}));

}  // namespace
}  // namespace delaysub::calc
