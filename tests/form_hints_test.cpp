// The hints beside the results: the nearest reload values of the baud box,
// the seeds that compute, and the template with the seed filled in.
#include <gtest/gtest.h>

#include <string>

#include "core/display.h"
#include "core/domain.h"
#include "core/numbers.h"
#include "core/texts.h"
#include "design/template.h"
#include "form_test_support.h"
#include "window/hints.h"

namespace delaysub::window {
namespace {

using test_support::typeInto;

// The cases name cores and nestings by the window's codes.
core::Core cpu(std::int16_t cpu_type) {
  return core::coreOf(cpu_type).value();
}
core::Nesting nesting(std::int16_t loop_type) {
  return core::nestingOf(loop_type).value();
}

struct BaudHintCase {
  const char* name;
  std::int16_t cpu;
  const char* crystal;
  const char* baud;
  bool smod0;
  const char* hint;
};

class BaudHint : public ::testing::TestWithParam<BaudHintCase> {};

TEST_P(BaudHint, LinesOrTheReasonThereAreNone) {
  const BaudHintCase& c = GetParam();
  EXPECT_EQ(hints::baudHint(cpu(c.cpu), core::crystalFrequency(c.crystal), c.baud, c.smod0),
            c.hint);
}

INSTANTIATE_TEST_SUITE_P(
    Hints, BaudHint,
    ::testing::Values(
        BaudHintCase{"Mcs51At12MHz9600", 0, "12 MHz", "9600", true,
                     "最接近 9600 bps 的初装值：\n"
                     "SMOD=0：TH1 = 0FDH，10416.67 bps，+8.51 %，超出 ±2 %\n"
                     "SMOD=1：TH1 = 0F9H，8928.57 bps，-6.99 %，超出 ±2 %（最佳）"},
        BaudHintCase{"ExactBothWaysTiesToSmod0", 0, "11.0592MHz", "9600", true,
                     "最接近 9600 bps 的初装值：\n"
                     "SMOD=0：TH1 = 0FDH，9600.00 bps，+0.00 %，在 ±2 % 之内（最佳）\n"
                     "SMOD=1：TH1 = 0FAH，9600.00 bps，+0.00 %，在 ±2 % 之内"},
        BaudHintCase{"AvrAt16MHz115200", 1, "16 MHz", "115200", true,
                     "最接近 115200 bps 的初装值：\n"
                     "U2X=0：UBRR = 08H，111111.11 bps，-3.55 %，超出 ±2 %\n"
                     "U2X=1：UBRR = 10H，117647.06 bps，+2.12 %，超出 ±2 %（最佳）"},
        BaudHintCase{"AvrShowsTheWholeUbrr", 1, "16 MHz", "2400", true,
                     "最接近 2400 bps 的初装值：\n"
                     "U2X=0：UBRR = 1A0H，2398.08 bps，-0.08 %，在 ±2 % 之内\n"
                     "U2X=1：UBRR = 340H，2400.96 bps，+0.04 %，在 ±2 % 之内（最佳）"},
        BaudHintCase{"EmptyBaud", 0, "12 MHz", "", true, "波特率读作 0，算不出初装值。"},
        BaudHintCase{"UnreadableBaud", 1, "12 MHz", "abc", true, "波特率读作 0，算不出初装值。"},
        BaudHintCase{"NegativeBaud", 0, "12 MHz", "-9600", true,
                     "波特率读作 -9600，须大于 0，算不出初装值。"},
        BaudHintCase{"CrystalZero", 0, "0", "9600", true, "晶振频率读作 0，算不出初装值。"},
        BaudHintCase{"NegativeCrystal", 0, "-12", "9600", true,
                     "晶振频率读作 -12，须大于 0，算不出初装值。"},
        // The result box raises the error: its reload value leaves 32 bits.
        BaudHintCase{"RunTimeErrorAvr", 1, "16 MHz", "0.0001", true,
                     "运行时错误 6：溢出，算不出初装值。"},
        BaudHintCase{"RunTimeError8051", 0, "12 MHz", "1e300", true,
                     "运行时错误 6：溢出，算不出初装值。"},
        BaudHintCase{"HugeCrystal", 0, "1e39", "9600", true,
                     "晶振频率超出数的范围，算不出初装值。"},
        BaudHintCase{"HugeBaud", 1, "12 MHz", "1e999", true, "波特率超出数的范围，算不出初装值。"}),
    [](const auto& param) { return std::string(param.param.name); });

// The texts per core and nesting are checked on the window's seed box; a
// code the window lacks has no core or nesting (core_domain_test).
TEST(SeedHint, RangeNoteOfTheNesting) {
  EXPECT_EQ(hints::seedRangeNote(core::Core::W77e58, core::Nesting::Triple),
            "三循环的种子 X 须在 -1024..1023 之内");
}

struct CopyCase {
  const char* name;
  std::int16_t cpu, loop;
  const char* crystal;
  const char* seed;
  const char* caption;  // "" for the enabled entry
};

class TemplateCopy : public ::testing::TestWithParam<CopyCase> {};

TEST_P(TemplateCopy, EnabledForAOneByteSeedElseSaysWhy) {
  const CopyCase& c = GetParam();
  const float Fosc = core::crystalFrequency(c.crystal);
  const hints::TemplateCopy copy = hints::templateCopy(
      cpu(c.cpu), nesting(c.loop), Fosc, c.seed, core::templateOf(cpu(c.cpu), nesting(c.loop)));
  if (*c.caption == '\0') {
    EXPECT_TRUE(copy.enabled);
    EXPECT_EQ(copy.caption, "复制（代入 X）");
    const auto X = static_cast<std::uint8_t>(core::roundToInt32(core::readNumber(c.seed)).value);
    EXPECT_EQ(copy.text, design::seededTemplate(cpu(c.cpu), nesting(c.loop), Fosc, X).value);
  } else {
    EXPECT_FALSE(copy.enabled);
    EXPECT_EQ(copy.caption, c.caption);
    EXPECT_EQ(copy.text, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Hints, TemplateCopy,
    ::testing::Values(CopyCase{"Seed100", 0, 0, "12 MHz", "100", ""},
                      CopyCase{"Seed255", 2, 2, "24 MHz", "255", ""},
                      CopyCase{"EmptySeedReadsZero", 1, 1, "12 MHz", "", ""},
                      CopyCase{"HexSeed", 0, 1, "12 MHz", "&HFF", ""},
                      CopyCase{"Seed256", 0, 0, "12 MHz", "256",
                               "复制（代入 X）：种子 256 不在 BYT_DLY 的 0..255 之内"},
                      CopyCase{"SeedMinus1", 0, 2, "12 MHz", "-1",
                               "复制（代入 X）：种子 -1 不在 BYT_DLY 的 0..255 之内"},
                      CopyCase{"SeedRoundsTo256", 0, 0, "12 MHz", "255.5",
                               "复制（代入 X）：种子 256 不在 BYT_DLY 的 0..255 之内"},
                      CopyCase{"SeedBeyond32Bits", 0, 0, "12 MHz", "99999999999",
                               "复制（代入 X）：种子超出 32 位整数的范围"},
                      CopyCase{"CrystalZero", 0, 0, "", "5",
                               "复制（代入 X）：延时算不出（运行时错误 11：除数为零）"}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(TemplateCopyOfTheBox, TheShownTextWithTheSeedIn) {
  DelaySubForm f;
  test_support::start(f);
  typeInto(f.Text1(1), "100");
  hints::TemplateCopy copy = hints::templateCopy(f);
  ASSERT_TRUE(copy.enabled);
  EXPECT_EQ(copy.text, design::seededTemplate(cpu(0), nesting(0), 12.0f, 100).value);
  EXPECT_TRUE(
      copy.text.starts_with("; BYT_DLY = 64H (100): T = 204 uS at 12 MHz, MCS-51, single loop\r\n"
                            "WAIT:    MOV     BYT_DLY,#64H\r\n"));

  // The user's edit is what is copied; the box keeps its text.
  const std::string edited = "\r\nSTART:  MOV     BYT_DLY,#X\r\n        SJMP    $";
  f.Text1(4).setText(edited);
  copy = hints::templateCopy(f);
  ASSERT_TRUE(copy.enabled);
  EXPECT_EQ(copy.text,
            "; BYT_DLY = 64H (100): T = 204 uS at 12 MHz, MCS-51, single loop\r\n"
            "START:  MOV     BYT_DLY,#64H\r\n        SJMP    $");
  EXPECT_EQ(f.Text1(4).text(), edited);

  f.Text1(4).setText("");
  EXPECT_EQ(hints::templateCopy(f).caption, "复制（代入 X）：模板中没有 #X");
  f.Text1(4).setText("\r\nSTART:  MOV     BYT_DLY,#64H");
  copy = hints::templateCopy(f);
  EXPECT_FALSE(copy.enabled);
  EXPECT_EQ(copy.caption, "复制（代入 X）：模板中没有 #X");
}

TEST(HintsOfTheForm, FollowTheCoreNestingCrystalAndBaud) {
  RunCounter ran;
  DelaySubForm f{&ran};
  test_support::start(f);
  EXPECT_EQ(hints::baudHint(f), hints::baudHint(cpu(0), 12.0f, "9600", true));
  EXPECT_EQ(hints::seedHint(f), hints::seedHint(cpu(0), nesting(0)));
  f.Option0.select(1);
  f.Option2.select(2);
  f.Combo0.setListIndex(6);  // 16 MHz
  typeInto(f.Combo1, "115200");
  const RunCounts before = ran;
  EXPECT_EQ(hints::baudHint(f), hints::baudHint(cpu(1), 16.0f, "115200", true));
  EXPECT_EQ(hints::seedHint(f), hints::seedHint(cpu(1), nesting(2)));
  f.Option0.select(0);
  f.Option1.select(1);
  EXPECT_EQ(hints::baudHint(f), hints::baudHint(cpu(0), 16.0f, "115200", false));
  // Reading the hints runs no handler and writes nothing.
  const RunCounts afterClicks = ran;
  const test_support::Snapshot shown = test_support::Snapshot::of(f);
  (void)hints::baudHint(f);
  (void)hints::seedHint(f);
  (void)hints::templateCopy(f);
  EXPECT_EQ(ran, afterClicks);
  EXPECT_EQ(test_support::Snapshot::of(f), shown);
  EXPECT_NE(before, afterClicks);
}

TEST(SeedOverflowReport, NamesTheRangeOnlyForTheSeedsOwnOverflow) {
  struct Case {
    const char* name;
    int core, loop;
    const char* crystal;  // typed into the crystal box
    const char* seed;
    const char* report;
  };
  const Case cases[] = {
      {"triple loop, seed 1024", 0, 2, "12", "1024",
       "运行时错误 6：溢出（三循环的种子 X 须在 -1024..1023 之内）"},
      {"triple loop, seed -1025", 2, 2, "12", "-1025",
       "运行时错误 6：溢出（三循环的种子 X 须在 -1024..1023 之内）"},
      {"W77E58 double loop, seed 16382", 2, 1, "12", "16382",
       "运行时错误 6：溢出（二循环的种子 X 须在 -16386..16381 之内）"},
      {"MCS-51 double loop at the W77E58 limit", 0, 1, "12", "16381",
       "运行时错误 6：溢出（二循环的种子 X 须在 -13380..13373 之内）"},
      {"a seed beyond 32 bits", 1, 0, "12", "1e10",
       "运行时错误 6：溢出（单循环的种子 X 须在 -89478487..89478483 之内）"},
      // The seed computes; the delay at 1 MHz leaves 32 bits.
      {"slow crystal", 0, 2, "1", "1023", "运行时错误 6：溢出"},
      {"0 / 0", 0, 0, "0", "-2", "运行时错误 6：溢出"},
      {"inside the range", 0, 2, "12", "1023", ""},
  };
  for (const Case& c : cases) {
    DelaySubForm f;
    test_support::start(f);
    f.Option0.select(c.core);
    f.Option2.select(c.loop);
    typeInto(f.Combo0, c.crystal);
    typeInto(f.Text1(1), c.seed);
    EXPECT_EQ(f.errorReport(), c.report) << c.name;
  }
}

}  // namespace
}  // namespace delaysub::window
