// delaysub-calc timer and uart: the published figures through the JSON, the
// code in each language, the exit statuses and the lines for bad arguments
// and for what no choice reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "calc_support.h"

namespace delaysub::calc {
namespace {

using Json = nlohmann::json;

using test::calc;
using test::Outcome;

// The best option of a JSON answer.
Json bestOf(const std::vector<std::string>& args) {
  std::vector<std::string> withJson = args;
  withJson.push_back("--json");
  const Outcome r = calc(withJson);
  EXPECT_EQ(r.status, 0) << r.err;
  const Json j = Json::parse(r.out);
  return j["options"][j["best"].get<std::size_t>()];
}

TEST(CalcTimer, PublishedFigures) {
  // 8051, 12 MHz, timer 0 mode 1, 1 ms: count 1000, reload FC18H, exact.
  Json o = bestOf({"timer", "--chip", "8051", "--crystal", "12MHz", "--period", "1ms", "--timer",
                   "0", "--mode", "1"});
  EXPECT_EQ(o["count"], 1000);
  EXPECT_EQ(o["reload"], 0xFC18);
  EXPECT_EQ(o["registers"], (Json{{"TH0", 0xFC}, {"TL0", 0x18}}));
  EXPECT_EQ(o["error_us"], 0.0);
  EXPECT_EQ(o["auto_reload"], false);
  // 11.0592 MHz, timer 0 mode 2, 250 us: 230 counts, TH0 = TL0 = 1AH,
  // 249.57 us, -0.17 %.
  o = bestOf({"timer", "--chip", "8051", "--crystal", "11.0592", "--period", "250us", "--timer",
              "0", "--mode", "2"});
  EXPECT_EQ(o["count"], 230);
  EXPECT_EQ(o["registers"], (Json{{"TH0", 0x1A}, {"TL0", 0x1A}}));
  EXPECT_NEAR(o["actual_us"].get<double>(), 249.57, 0.005);
  EXPECT_NEAR(o["error_percent"].get<double>(), -0.17, 0.005);
  // 11.0592 MHz, 9600 baud: timer 1 mode 2, SMOD 0, TH1 = FDH, exact.
  o = bestOf({"uart", "--chip", "8051", "--crystal", "11.0592", "--baud", "9600"});
  EXPECT_EQ(o["timer"], 1);
  EXPECT_EQ(o["mode"], 2);
  EXPECT_EQ(o["smod"], 0);
  EXPECT_EQ(o["registers"]["TH1"], 0xFD);
  EXPECT_EQ(o["actual_baud"], 9600.0);
  EXPECT_EQ(o["within_1_percent"], true);
  // The 8052's timer 2 at 12 MHz, 9600 baud: RCAP2 = FFD9H, 9615.38, +0.16 %.
  o = bestOf({"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--timer", "2"});
  EXPECT_EQ(o["reload"], 0xFFD9);
  EXPECT_EQ(o["registers"]["RCAP2H"], 0xFF);
  EXPECT_EQ(o["registers"]["RCAP2L"], 0xD9);
  EXPECT_NEAR(o["actual_baud"].get<double>(), 9615.38, 0.005);
  EXPECT_NEAR(o["error_percent"].get<double>(), 0.16, 0.005);
  EXPECT_EQ(o["smod"], nullptr);
}

TEST(CalcTimer, TextTableAndCode) {
  const Outcome r = calc({"timer", "--chip", "8051", "--crystal", "12", "--period", "1ms"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.err.empty());
  EXPECT_NE(r.out.find("TH0 = 0FCH, TL0 = 18H  best"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("out of reach: 256 counts at most"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Timer0_Isr:\n        MOV     TH0,#0FCH\n        MOV     TL0,#1FH"),
            std::string::npos)
      << r.out;
  const Outcome c = calc({"uart", "--chip", "stc15", "--crystal", "11.0592", "--baud", "115200",
                          "--timer", "2", "--lang", "c"});
  ASSERT_EQ(c.status, 0) << c.err;
  EXPECT_NE(c.out.find("sfr AUXR = 0x8E;"), std::string::npos) << c.out;
  EXPECT_NE(c.out.find("void Uart_Send(unsigned char c)"), std::string::npos) << c.out;
}

struct Failure {
  std::vector<std::string> args;
  int status;
  const char* line;  // standard error
};

TEST(CalcTimer, Failures) {
  const std::vector<Failure> cases{
      {{"timer", "--chip", "8099", "--crystal", "12", "--period", "1ms"},
       2,
       "delaysub-calc: --chip: '8099' is no chip; use 8051, 8051-6t, ds80c320, stc15, stc8, "
       "c8051f, at89lp; see 'delaysub-calc timer --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "0", "--period", "1ms"},
       2,
       "delaysub-calc: --crystal: '0' is not above 0; use a number of MHz with an optional unit "
       "MHz, kHz or Hz; see 'delaysub-calc timer --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "12", "--period", "1ms", "--timer", "2", "--mode",
        "2"},
       2,
       "delaysub-calc: --mode: timer 2 of 8051 has no mode 2; its modes are 0; see "
       "'delaysub-calc timer --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "12", "--period", "1ms", "--clock", "4"},
       2,
       "delaysub-calc: --clock: 8051 counts no Fosc/4; its clocks are Fosc/12; see "
       "'delaysub-calc timer --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "12", "--period", "1ms", "--lang", "basic"},
       2,
       "delaysub-calc: --lang: 'basic' is no language; use asm, sdas or c; see 'delaysub-calc "
       "timer --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "12", "--period", "10s"},
       1,
       "delaysub-calc: 10 s is beyond what the timers of 8051 make at 12 MHz: 1 us to 65.536 ms; "
       "for a longer period, count overflows in the interrupt routine\n"},
      {{"timer", "--chip", "c8051f", "--crystal", "12", "--period", "1ms"},
       1,
       "delaysub-calc: c8051f: no source here describes its timers; timer data is known for "
       "8051, 8051-6t, ds80c320, stc15, stc8\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "115200"},
       1,
       "delaysub-calc: 115200 baud is not within 2 % by any choice of 8051 at 12 MHz: the "
       "nearest are 93750 baud (-18.62 %) and 125000 baud (+8.51 %)\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--timer", "0"},
       2,
       "delaysub-calc: --timer: 8051 takes no baud rate from timer 0; it does from timers 1, 2; "
       "see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12"},
       2,
       "delaysub-calc: --baud is required; see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--smod", "2"},
       2,
       "delaysub-calc: --smod: '2' is none of 0 or 1; see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--clock", "3"},
       2,
       "delaysub-calc: --clock: '3' is no timer clock; use the divider of Fosc: 12, 6, 4, 2 or "
       "1; see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--timer", "1", "--mode",
        "1"},
       2,
       "delaysub-calc: --mode: timer 1 of 8051 takes no baud rate in mode 1; it does in mode 2; "
       "see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--timer", "2", "--smod",
        "1"},
       2,
       "delaysub-calc: --smod: timer 2 of 8051 takes no baud rate with SMOD 1; SMOD takes no part "
       "in its baud rates; see 'delaysub-calc uart --help'\n"},
      {{"uart", "--chip", "ds80c320", "--crystal", "12", "--baud", "9600", "--smod", "0", "--clock",
        "2"},
       2,
       "delaysub-calc: --clock: ds80c320 with SMOD 0 counts no Fosc/2 for a baud rate; its "
       "clocks are Fosc/4, Fosc/12; see 'delaysub-calc uart --help'\n"},
      {{"timer", "--chip", "8051", "--crystal", "12", "--period", "1ms", "--clock", "2"},
       2,
       "delaysub-calc: --clock: '2' is no timer clock; use the divider of Fosc: 12, 6, 4 or 1; "
       "see 'delaysub-calc timer --help'\n"},
      {{"uart", "--chip", "8051", "--crystal", "12", "--baud", "9600", "--smod", "0"},
       1,
       "delaysub-calc: 9600 baud is not within 2 % by any choice of 8051 with SMOD 0 at 12 MHz: "
       "the nearest are 7812.5 baud (-18.62 %) and 10416.67 baud (+8.51 %)\n"},
  };
  for (const Failure& f : cases) {
    const Outcome r = calc(f.args);
    EXPECT_EQ(r.status, f.status) << r.err;
    EXPECT_EQ(r.err, f.line);
  }
  // What no choice reaches still lists the choices, in the JSON too.
  const Outcome j =
      calc({"timer", "--chip", "8051", "--crystal", "12", "--period", "10s", "--json"});
  const Json answer = Json::parse(j.out);
  EXPECT_EQ(answer["best"], nullptr);
  EXPECT_EQ(answer["options"].size(), 7U);
  EXPECT_EQ(answer["error"].get<std::string>().substr(0, 10), "10 s is be");
}

struct UartRows {
  std::vector<std::string> filter;
  std::vector<std::string> rows;  // "timer mode SMOD clock", SMOD "-" where none
  Json best;                      // the index, or null
};

// The filters of uart, alone and together, keep only their rows; all four
// leave one, with the figures it has in the whole table.
TEST(CalcUart, FiltersKeepTheirRows) {
  const std::vector<std::string> stc15{"uart",       "--chip", "stc15", "--crystal",
                                       "22.1184MHz", "--baud", "115200"};
  const std::vector<UartRows> cases{
      {{},
       {"1 0 - 12", "1 0 - 1", "1 2 0 12", "1 2 0 1", "1 2 1 12", "1 2 1 1", "2 0 - 12", "2 0 - 1"},
       0},
      {{"--smod", "1"}, {"1 2 1 12", "1 2 1 1"}, 0},
      {{"--clock", "1"}, {"1 0 - 1", "1 2 0 1", "1 2 1 1", "2 0 - 1"}, 0},
      {{"--timer", "1", "--mode", "2"}, {"1 2 0 12", "1 2 0 1", "1 2 1 12", "1 2 1 1"}, 2},
      {{"--timer", "1", "--mode", "2", "--smod", "0", "--clock", "12"}, {"1 2 0 12"}, nullptr},
      {{"--timer", "1", "--mode", "2", "--smod", "1", "--clock", "1"}, {"1 2 1 1"}, 0},
      {{"--timer", "2", "--clock", "12"}, {"2 0 - 12"}, 0},
  };
  const Json whole = Json::parse(
      calc({"uart", "--chip", "stc15", "--crystal", "22.1184MHz", "--baud", "115200", "--json"})
          .out);
  for (const UartRows& c : cases) {
    std::vector<std::string> args = stc15;
    args.insert(args.end(), c.filter.begin(), c.filter.end());
    args.push_back("--json");
    const Outcome r = calc(args);
    SCOPED_TRACE(r.err);
    EXPECT_EQ(r.status, c.best.is_null() ? 1 : 0);
    const Json j = Json::parse(r.out);
    std::vector<std::string> rows;
    for (const Json& o : j["options"]) {
      rows.push_back(std::to_string(o["timer"].get<int>()) + " " +
                     std::to_string(o["mode"].get<int>()) + " " +
                     (o["smod"].is_null() ? "-" : std::to_string(o["smod"].get<int>())) + " " +
                     std::to_string(o["clock_divider"].get<int>()));
      // A row has the figures it has in the whole table.
      EXPECT_NE(std::find(whole["options"].begin(), whole["options"].end(), o),
                whole["options"].end())
          << o;
    }
    EXPECT_EQ(rows, c.rows);
    EXPECT_EQ(j["best"], c.best);
    EXPECT_EQ(j.contains("code"), !c.best.is_null());
  }
}

TEST(CalcUart, HelpNamesTheFilters) {
  const Outcome r = calc({"uart", "--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* line : {"--timer 1|2 ", "--mode 0|1|2 ", "--smod 0|1 ", "--clock 12|6|4|2|1 ",
                           "The filters keep only the ways that match them all",
                           "2 a usage error, also a filter that leaves no way."}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
  const Outcome t = calc({"timer", "--help"});
  EXPECT_NE(t.out.find("Exit status: 0 done; 1 no choice reaches the period"), std::string::npos)
      << t.out;
}

}  // namespace
}  // namespace delaysub::calc
