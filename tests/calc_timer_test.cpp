// delaysub-calc timer and uart: the published figures through the JSON, the
// code in each language, the exit statuses and the lines for bad arguments
// and for what no choice reaches.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "calc/calc.h"

namespace delaysub::calc {
namespace {

using Json = nlohmann::json;

struct Outcome {
  int status;
  std::string out, err;
};

Outcome calc(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = runCalc(args, out, err);
  return {status, out.str(), err.str()};
}

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

}  // namespace
}  // namespace delaysub::calc
