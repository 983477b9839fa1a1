// The delay answer and its texts: names, header, the three languages, the
// errors a caller sees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codegen/delay.h"

namespace {

using namespace delaysub;
using namespace delaysub::codegen;

DelayRequest request(const char* chip, const char* crystal, const char* time,
                     Language lang = Language::Asm) {
  return {mcu::findChip(chip),
          *readFrequency(crystal).value,
          *readTime(time).value,
          Rounding::Nearest,
          lang,
          false,
          false,
          ""};
}

DelayAnswer answer(const DelayRequest& r) {
  auto outcome = makeDelay(r);
  if (auto* e = std::get_if<DelayError>(&outcome)) {
    ADD_FAILURE() << e->message;
    return {};
  }
  return std::get<DelayAnswer>(outcome);
}

TEST(DelayAnswer, TenMillisecondsAtTwelveMegahertz) {
  const DelayAnswer a = answer(request("8051", "12", "10ms"));
  EXPECT_EQ(a.name, "Delay10ms");
  EXPECT_EQ(a.clocks, 120000U);
  EXPECT_EQ(a.counters, (std::vector<unsigned>{20, 113}));
  EXPECT_EQ(a.registers, (std::vector<std::string>{"R7", "R6"}));
  EXPECT_EQ(a.bytes, 9U);
  EXPECT_EQ(a.nops, 0);
  const std::string code =
      "Delay10ms:\n"
      "        MOV     R7,#71H\n"
      "        MOV     R6,#14H\n"
      "Delay10ms_loop:\n"
      "        DJNZ    R7,Delay10ms_loop\n"
      "        DJNZ    R6,Delay10ms_loop\n"
      "        RET\n";
  EXPECT_NE(a.code.find(code), std::string::npos) << a.code;
  for (const char* line : {"; chip      8051: ", "; wanted    10 ms = 120000 clocks",
                           "; achieved  120000 clocks = 10 ms, error 0 clocks = 0 us (0 %)",
                           "; changes   R7, R6 (no flag)", "; size      9 bytes"}) {
    EXPECT_NE(a.code.find(line), std::string::npos) << line << "\n" << a.code;
  }
}

TEST(DelayAnswer, StatesTheErrorExactly) {
  DelayRequest r = request("8051", "11.0592", "1.5ms");
  r.rounding = Rounding::Down;
  const DelayAnswer a = answer(r);
  EXPECT_EQ(a.name, "Delay1_5ms");
  EXPECT_EQ(a.clocks, 16584U);
  EXPECT_EQ(decimalText(a.wantedClocks, 6), "16588.8");
  EXPECT_EQ(signedDecimalText(a.errorClocks, 6), "-4.8");
  EXPECT_EQ(signedDecimalText(a.errorUs, 6), "-0.434028");
  EXPECT_EQ(signedDecimalText(a.errorPercent, 4), "-0.0289");
}

TEST(DelayAnswer, SdasAndCForms) {
  DelayRequest r = request("8051", "12", "100s", Language::Sdas);
  r.save = true;
  const DelayAnswer s = answer(r);
  for (const char* line :
       {"        push    0x07\n", "        mov     r4,#0x", "        djnz    r4,Delay100s_loop\n",
        "        pop     0x07\n", "assumes register bank 0"}) {
    EXPECT_NE(s.code.find(line), std::string::npos) << line << "\n" << s.code;
  }
  EXPECT_TRUE(s.registers.empty());

  const DelayAnswer c = answer(request("stc15", "11.0592", "1.234567ms", Language::C));
  ASSERT_GE(c.plan.levels, 2);
  for (const char* line : {"void Delay1_234567ms(void)\n{\n", "    unsigned char i, j",
                           "        while (--", "    } while (--i);\n}\n", "checked   with SDCC"}) {
    EXPECT_NE(c.code.find(line), std::string::npos) << line << "\n" << c.code;
  }
  EXPECT_EQ(c.code.find("_nop_") != std::string::npos, c.nops > 0) << c.code;
}

TEST(DelayAnswer, CFormWithReloadsAndNops) {
  DelayPlan plan{{}, 3, 2, 254, {5, 6, 7}, 2, 0, 0};
  const std::string code = writeDelayC(plan, "D", {"x"});
  const std::string expected =
      "/*\n * x\n */\n"
      "#ifdef __SDCC\n#define _nop_() __asm nop __endasm\n#else\n#include <intrins.h>\n#endif\n"
      "\nvoid D(void)\n{\n    unsigned char i, j, k;\n\n    _nop_();\n    _nop_();\n"
      "    k = 5;\n    j = 6;\n    i = 7;\n"
      "    do\n    {\n        do\n        {\n            while (--k);\n            k = 254;\n"
      "        } while (--j);\n        j = 254;\n    } while (--i);\n}\n";
  EXPECT_EQ(code, expected);
}

TEST(DelayNames, FollowTheTime) {
  const std::vector<std::pair<const char*, const char*>> cases{
      {"10ms", "Delay10ms"},  {"500us", "Delay500us"}, {"1.5ms", "Delay1_5ms"},
      {"1000us", "Delay1ms"}, {"0.5ms", "Delay500us"}, {"0.25us", "Delay0_25us"},
      {"2.5s", "Delay2_5s"},  {"100s", "Delay100s"},   {"1500000us", "Delay1_5s"},
  };
  for (const auto& [time, name] : cases) {
    EXPECT_EQ(delayNameOf(*readTime(time).value), name) << time;
  }
  for (const char* bad :
       {"", "1Delay", "Delay-1", "R7", "nop", "while", "DPTR", "A_name_of_twenty_seven_chars"}) {
    EXPECT_FALSE(nameProblem(bad).empty()) << bad;
  }
  EXPECT_TRUE(nameProblem("wait_10ms").empty());
}

TEST(DelayErrors, NameBothLimitsAndTheKind) {
  struct Case {
    DelayRequest request;
    DelayError::Kind kind;
    std::vector<std::string> parts;
  };
  DelayRequest cInline = request("8051", "12", "10ms", Language::C);
  cInline.inlineCode = true;
  DelayRequest stc8Save = request("stc8", "12", "10ms");
  stc8Save.save = true;
  DelayRequest badName = request("8051", "12", "10ms");
  badName.name = "R7";
  const std::vector<Case> cases{
      {request("8051", "12", "1us"),
       DelayError::Kind::OutOfRange,
       {"1 us is below the shortest routine on 8051 at 12 MHz: 4 us, 48 clocks",
        "the longest is 8407.082776 s"}},
      {request("8051", "12", "10000s"),
       DelayError::Kind::OutOfRange,
       {"10000 s is above the longest routine", "the shortest is 4 us", "use a timer"}},
      {cInline, DelayError::Kind::Usage, {"--inline is for asm and sdas"}},
      {stc8Save, DelayError::Kind::Unsupported, {"stc8 has no published clocks for PUSH"}},
      {badName, DelayError::Kind::Usage, {"--name: 'R7' is a register"}},
  };
  for (const Case& c : cases) {
    const auto outcome = makeDelay(c.request);
    const auto* e = std::get_if<DelayError>(&outcome);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->kind, c.kind) << e->message;
    for (const std::string& part : c.parts) {
      EXPECT_NE(e->message.find(part), std::string::npos) << e->message;
    }
    EXPECT_EQ(e->message.find('\n'), std::string::npos);
  }
}

TEST(Hex, A51AndSdasForms) {
  EXPECT_EQ(hexA51(0x12), "12H");
  EXPECT_EQ(hexA51(0xFD), "0FDH");
  EXPECT_EQ(hexA51(0x0A), "0AH");
  EXPECT_EQ(hexA51(0xA0), "0A0H");
  EXPECT_EQ(hexSdas(0xFD), "0xfd");
}

}  // namespace
