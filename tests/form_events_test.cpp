// The handlers after start-up: the recomputation chains, the unit toggle, the
// core and nesting switches, the combo boxes, errors and their report.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/texts.h"
#include "form_test_support.h"
#include "window/form.h"

namespace delaysub::window {
namespace {

using test_support::appendKeys;
using test_support::backspaceTo;
using test_support::Snapshot;
using test_support::typeInto;

constexpr std::string_view kOverflow = "运行时错误 6：溢出";
constexpr std::string_view kDivZero = "运行时错误 11：除数为零";
// An overflow that a seed outside the computing range raised names the range.
constexpr std::string_view kSingleSeedOverflow =
    "运行时错误 6：溢出（单循环的种子 X 须在 -89478487..89478483 之内）";
constexpr std::string_view kTripleSeedOverflow =
    "运行时错误 6：溢出（三循环的种子 X 须在 -1024..1023 之内）";

struct Started : ::testing::Test, ErrorReportObserver {
  RunCounter ran;
  DelaySubForm f{&ran};
  int reportChanges = 0;
  void changed(const DelaySubForm& /*form*/) override { ++reportChanges; }
  void SetUp() override {
    test_support::start(f);
    f.subscribe(*this);
    f.events.resetDeepest();
  }
  void seed(std::string_view text) { typeInto(f.Text1(1), text); }
  void unitToggle() { f.Label1(6).doubleClick(); }
};

TEST_F(Started, WorkedChainSeed100ThenTheUnitBackAndForth) {
  seed("10");
  const RunCounts before = ran;
  appendKeys(f.Text1(1), "0");  // the keystroke changes the shown delay: two runs
  EXPECT_EQ(ran.Text1_Change - before.Text1_Change, 2);
  EXPECT_EQ(ran.CALC_T - before.CALC_T, 2);
  EXPECT_EQ(f.windowState().X, 100);
  EXPECT_EQ(f.Label1(9).caption(), "64");
  EXPECT_EQ(f.windowState().T, 204);
  EXPECT_EQ(f.Text1(0).text(), "204");

  unitToggle();
  EXPECT_EQ(f.Label1(6).caption(), "mS");
  EXPECT_EQ(f.Text1(0).text(), " .204");
  unitToggle();
  EXPECT_EQ(f.Label1(6).caption(), "uS");
  EXPECT_EQ(f.Text1(0).text(), "204");
  EXPECT_EQ(ran.Label1_DblClick, 2);
  EXPECT_EQ(f.errorReport(), "");
}

TEST_F(Started, KeystrokeThatKeepsTheDelayRunsTheComputationOnce) {
  seed("100");
  const int runs = ran.Text1_Change;
  appendKeys(f.Text1(1), ".");  // still 100
  EXPECT_EQ(ran.Text1_Change - runs, 1);
  EXPECT_EQ(f.Text1(0).text(), "204");
}

TEST(SeedBox, SeedsAsReadAndShownInBothUnits) {
  // MCS-51, single loop, 12 MHz.
  struct Case {
    const char* seed;
    std::int32_t X;
    const char* hex;
    std::int32_t T;
    const char* us;
    const char* ms;
  };
  const Case cases[] = {
      {"100", 100, "64", 204, "204", " .204"},   {"400", 400, "190", 804, "804", " .804"},
      {"-5", -5, "FFFFFFFB", -6, "-6", "-.006"}, {"2.5", 2, "2", 8, "8", " .008"},
      {"3.5", 4, "4", 12, "12", " .012"},        {"0", 0, "0", 4, "4", " .004"},
      {"abc", 0, "0", 4, "4", " .004"},          {"1 2", 12, "C", 28, "28", " .028"},
      {"&H10", 16, "10", 36, "36", " .036"},     {"255", 255, "FF", 514, "514", " .514"},
      {"498", 498, "1F2", 1000, "1000", " 1"},
  };
  for (const Case& c : cases) {
    DelaySubForm f;
    test_support::start(f);
    typeInto(f.Text1(1), c.seed);
    EXPECT_EQ(f.windowState().X, c.X) << c.seed;
    EXPECT_EQ(f.Label1(9).caption(), c.hex) << c.seed;
    EXPECT_EQ(f.windowState().T, c.T) << c.seed;
    EXPECT_EQ(f.Text1(0).text(), c.us) << c.seed;
    f.Label1(6).doubleClick();
    EXPECT_EQ(f.Text1(0).text(), c.ms) << c.seed;
    f.Label1(6).doubleClick();
    EXPECT_EQ(f.Text1(0).text(), c.us) << c.seed;
    // A seed typed while the unit is mS shows in mS at once.
    f.Label1(6).doubleClick();
    typeInto(f.Text1(1), "");
    typeInto(f.Text1(1), c.seed);
    EXPECT_EQ(f.Text1(0).text(), c.ms) << c.seed;
    EXPECT_EQ(f.errorReport(), "") << c.seed;
  }
}

TEST_F(Started, AnEmptiedSeedBoxReadsZero) {
  seed("100");
  backspaceTo(f.Text1(1), "");
  EXPECT_EQ(f.windowState().X, 0);
  EXPECT_EQ(f.Label1(9).caption(), "0");
  EXPECT_EQ(f.Text1(0).text(), "4");
}

TEST(NestingButtons, FormulaTemplateAndDelayFollowTheNesting) {
  // Seed 100, MCS-51, 12 MHz.
  struct Case {
    int loop;
    std::int32_t T;
    int text1Changes;  // formula write + its nested run + template write
  };
  const Case cases[] = {{1, 10704, 3}, {2, 374304, 3}};
  const std::int16_t mcs51 = 0;
  for (const Case& c : cases) {
    RunCounter ran;
    DelaySubForm f(&ran);
    test_support::start(f);
    typeInto(f.Text1(1), "100");
    const RunCounts before = ran;
    f.Option2.select(c.loop);
    EXPECT_EQ(f.windowState().loop_type, c.loop);
    const auto formula = c.loop == 1 ? core::FORM2(mcs51) : core::FORM3(mcs51);
    const auto code = c.loop == 1 ? core::PRG2(mcs51) : core::PRG3(mcs51);
    EXPECT_EQ(f.Text1(3).text(), formula);
    EXPECT_EQ(f.Text1(4).text(), code);
    EXPECT_EQ(f.windowState().T, c.T);
    EXPECT_EQ(f.Text1(0).text(), std::to_string(c.T));
    EXPECT_EQ(ran.Option2_Click - before.Option2_Click, 1);
    EXPECT_EQ(ran.Text1_Change - before.Text1_Change, c.text1Changes);
    EXPECT_EQ(ran.BPS, before.BPS);
    // Clicking the selected button again raises nothing.
    f.Option2.select(c.loop);
    EXPECT_EQ(ran.Option2_Click - before.Option2_Click, 1);
  }
}

TEST_F(Started, CoreSwitchesMcs51ToW77e58ToAvr) {
  seed("100");
  const auto mcs51Template = f.Text1(4).text();

  f.Option0.select(2);  // W77E58
  EXPECT_EQ(f.windowState().cpu_type, 2);
  EXPECT_EQ(f.Text1(3).text(), "T=[4X + 6] * (4 / Fosc)");
  EXPECT_EQ(f.Text1(0).text(), "135");
  EXPECT_EQ(f.windowState().T, 135);
  EXPECT_EQ(f.Text1(4).text(), core::PRG1(std::int16_t{2}));
  EXPECT_NE(f.Text1(4).text(), mcs51Template);
  EXPECT_TRUE(f.frame(4).visible());
  EXPECT_EQ(f.Label2(2).caption(), "TH1 初装值：");
  EXPECT_EQ(f.Text2.text(), "不可实现");
  EXPECT_GT(ran.W77E_T, 0);
  EXPECT_EQ(f.events.deepest(), 4);  // Option0, Option2, Text1, Text1

  f.Option0.select(1);  // AVR
  EXPECT_EQ(f.windowState().cpu_type, 1);
  EXPECT_EQ(f.Text1(3).text(), "T=1.5*X*X+7.5*X+7");
  EXPECT_EQ(f.Text1(0).text(), "204");  // the MCS-51 delay
  EXPECT_EQ(f.Text1(4).text(), mcs51Template);
  EXPECT_FALSE(f.frame(4).visible());
  EXPECT_EQ(f.Label2(2).caption(), "UBBR初装值：");
  EXPECT_EQ(f.Text2.text(), "UBRR = 4DH");
  EXPECT_EQ(f.errorReport(), "");
  EXPECT_EQ(ran.Option0_Click, 1 + 2);
  EXPECT_EQ(ran.Option2_Click, 2 + 2);  // run directly, nothing selected
  EXPECT_EQ(f.Option2.selected(), 0);
}

TEST_F(Started, Mcs51ToAvrRecomputesOnlyThroughTheFormulaWrite) {
  seed("100");
  const Snapshot before = Snapshot::of(f);
  const RunCounts earlier = ran;
  f.Option0.select(1);
  EXPECT_EQ(f.Text1(3).text(), "T=1.5*X*X+7.5*X+7");
  EXPECT_EQ(f.Text1(4).text(), before.text1[4]);
  EXPECT_EQ(f.Text1(0).text(), "204");
  EXPECT_EQ(ran.Text1_Change - earlier.Text1_Change, 1);
  EXPECT_EQ(ran.CALC_T - earlier.CALC_T, 1);
  EXPECT_EQ(ran.BPS - earlier.BPS, 1);
  // Back to MCS-51: the SMOD frame and the TH1 caption return.
  f.Option0.select(0);
  EXPECT_TRUE(f.frame(4).visible());
  EXPECT_EQ(f.Label2(2).caption(), "TH1 初装值：");
  EXPECT_EQ(Snapshot::of(f), before);
}

TEST_F(Started, Seed1024InTripleNestingKeepsTheOldDelay) {
  f.Option2.select(2);
  seed("102");
  EXPECT_EQ(f.windowState().T, 396342);
  seed("1024");
  EXPECT_EQ(f.windowState().X, 1024);
  EXPECT_EQ(f.Label1(9).caption(), "400");
  EXPECT_EQ(f.windowState().T, 396342);
  EXPECT_EQ(f.Text1(0).text(), "396342");
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);
  EXPECT_EQ(reportChanges, 1);
  // The next clean event takes the report away.
  backspaceTo(f.Text1(1), "102");
  EXPECT_EQ(f.errorReport(), "");
  EXPECT_EQ(reportChanges, 2);
  EXPECT_EQ(f.windowState().X, 102);
}

TEST_F(Started, SeedOutOfThe32BitRangeKeepsXAndTheDelay) {
  f.Text1(1).setText("1234567890");  // pasted: reads, but 2·X overflows in the delay
  EXPECT_EQ(f.windowState().X, 1234567890);
  EXPECT_EQ(f.Label1(9).caption(), "499602D2");
  EXPECT_EQ(f.Text1(0).text(), "4");
  EXPECT_EQ(f.errorReport(), kSingleSeedOverflow);
  appendKeys(f.Text1(1), "1");  // eleven digits: the reading itself overflows
  EXPECT_EQ(f.windowState().X, 1234567890);
  EXPECT_EQ(f.Label1(9).caption(), "499602D2");
  EXPECT_EQ(f.windowState().T, 4);
  EXPECT_EQ(f.errorReport(), kSingleSeedOverflow);
}

TEST_F(Started, FailingRecomputationDoesNotStopTheSwitchHandlers) {
  // Seed 1024 fits the single loop; triple nesting and W77E58 overflow.
  seed("1024");
  EXPECT_EQ(f.Text1(0).text(), "2052");
  f.Option2.select(2);
  EXPECT_EQ(f.Text1(3).text(), core::FORM3(std::int16_t{0}));
  EXPECT_EQ(f.Text1(4).text(), core::PRG3(std::int16_t{0}));  // written after the failure
  EXPECT_EQ(f.Text1(0).text(), "2052");
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);  // reported once for the event
  f.Option0.select(1);                              // AVR: the formula write fails again
  EXPECT_EQ(f.Text1(3).text(), core::FORM3(std::int16_t{1}));
  EXPECT_FALSE(f.frame(4).visible());
  EXPECT_EQ(f.Label2(2).caption(), "UBBR初装值：");
  EXPECT_EQ(f.Text2.text(), "UBRR = 4DH");
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);
  f.Option0.select(2);  // W77E58: formula and template writes both fail
  EXPECT_EQ(f.Text1(4).text(), core::PRG3(std::int16_t{2}));
  EXPECT_TRUE(f.frame(4).visible());
  EXPECT_EQ(f.Label2(2).caption(), "TH1 初装值：");
  EXPECT_EQ(f.Text2.text(), "不可实现");
  EXPECT_EQ(f.windowState().T, 2052);
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);
}

TEST(CrystalList, PickingACrystalUpdatesBaudAndDelayAtOnce) {
  // Seed 100, MCS-51, single loop, 9600 baud, SMOD 0.
  struct Case {
    int item;
    float Fosc;
    const char* delay;
    const char* baud;
  };
  const Case cases[] = {
      {0, 4.0f, "612", "不可实现"},       {4, 11.0592f, "221", "TH1 = 0FDH"},
      {8, 22.1184f, "110", "TH1 = 0FAH"}, {9, 24.0f, "102", "不可实现"},
      {10, 32.0f, "76", "不可实现"},
  };
  for (const Case& c : cases) {
    RunCounter ran;
    DelaySubForm f(&ran);
    test_support::start(f);
    typeInto(f.Text1(1), "100");
    const RunCounts before = ran;
    f.Combo0.setListIndex(c.item);
    EXPECT_EQ(f.windowState().Fosc, c.Fosc) << c.item;
    EXPECT_EQ(f.Text1(0).text(), c.delay) << c.item;
    EXPECT_EQ(f.Text2.text(), c.baud) << c.item;
    EXPECT_EQ(ran.Combo0_Click - before.Combo0_Click, 1);
    EXPECT_EQ(ran.Combo0_Change, before.Combo0_Change);
    EXPECT_EQ(ran.BPS - before.BPS, 1);
    EXPECT_EQ(ran.Text1_Change - before.Text1_Change, 2);  // seed run + nested run
    EXPECT_EQ(f.errorReport(), "");
    EXPECT_LE(f.events.deepest(), 5);  // the load's chain
  }
}

TEST_F(Started, PickedCrystalFollowsIntoTheUnitAndTheCore) {
  seed("100");
  f.Combo0.setListIndex(4);  // 11.0592 MHz
  unitToggle();
  EXPECT_EQ(f.Text1(0).text(), " .221");
  f.Option0.select(2);  // W77E58: floor(1624 / 11.0592)
  EXPECT_EQ(f.Text1(0).text(), " .146");
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FDH");
}

TEST_F(Started, CrystalPickReportsBothErrorsAndEachStepStillRuns) {
  f.Option2.select(2);
  seed("1024");            // the triple delay overflows
  typeInto(f.Combo1, "");  // the baud text is gone: BPS divides by zero
  EXPECT_EQ(f.errorReport(), kDivZero);
  f.Combo0.setListIndex(4);
  EXPECT_EQ(f.windowState().Fosc, 11.0592f);
  EXPECT_EQ(f.errorReport(), std::string(kTripleSeedOverflow) + "；" + std::string(kDivZero));

  // Only the delay fails: the baud result still follows the crystal.
  typeInto(f.Combo1, "9600");
  f.Combo0.setListIndex(8);
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FAH");
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);

  // Only the baud fails: the delay still follows the crystal.
  backspaceTo(f.Text1(1), "10");
  typeInto(f.Combo1, "");
  const std::string baudBefore = f.Text2.text();
  f.Combo0.setListIndex(0);            // 4 MHz
  EXPECT_EQ(f.windowState().T, 2502);  // triple loop, seed 10: 834 cycles at 3 µs
  EXPECT_EQ(f.Text1(0).text(), "2502");
  EXPECT_EQ(f.Text2.text(), baudBefore);
  EXPECT_EQ(f.errorReport(), kDivZero);
}

TEST_F(Started, TypedCrystalCountsLikeAPickedOne) {
  seed("100");
  const RunCounts before = ran;
  typeInto(f.Combo0, "11.0592");
  EXPECT_EQ(ran.Combo0_Change - before.Combo0_Change, 7);
  EXPECT_EQ(ran.Combo0_Click, before.Combo0_Click);
  EXPECT_EQ(ran.BPS - before.BPS, 7);
  EXPECT_EQ(f.Combo0.listIndex(), -1);
  EXPECT_EQ(f.windowState().Fosc, 11.0592f);
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FDH");
  EXPECT_EQ(f.Text1(0).text(), "221");
  EXPECT_EQ(f.errorReport(), "");
  typeInto(f.Combo0, "16 MHz");
  EXPECT_EQ(f.windowState().Fosc, 16.0f);
  EXPECT_EQ(f.Text1(0).text(), "153");
}

TEST(CrystalTyping, AnEmptyOrUnreadableCrystalReadsZero) {
  struct Case {
    const char* seed;
    int core;
    const char* crystal;
    std::string_view report;
  };
  const Case cases[] = {
      {"100", 0, "", kDivZero},    {"100", 1, "", kDivZero}, {"100", 2, "", kDivZero},
      {"100", 0, "MHz", kDivZero}, {"-2", 0, "", kOverflow},  // 0 / 0
  };
  for (const Case& c : cases) {
    DelaySubForm f;
    test_support::start(f);
    typeInto(f.Text1(1), c.seed);
    f.Option0.select(c.core);
    const Snapshot before = Snapshot::of(f);
    typeInto(f.Combo0, c.crystal);
    const std::string what = std::string(c.seed) + "/" + std::to_string(c.core) + "/" + c.crystal;
    EXPECT_EQ(f.windowState().Fosc, 0.0f) << what;
    EXPECT_EQ(f.Text2.text(), "不可实现") << what;
    EXPECT_EQ(f.errorReport(), c.report) << what;
    // Nothing else changes.
    Snapshot expected = before;
    expected.state.Fosc = 0.0f;
    expected.text2 = "不可实现";
    expected.combo0 = c.crystal;
    EXPECT_EQ(Snapshot::of(f), expected) << what;
  }
}

TEST_F(Started, BaudBoxTypingAndPicking) {
  f.Combo0.setListIndex(4);  // 11.0592 MHz
  const RunCounts before = ran;
  typeInto(f.Combo1, "19200");
  EXPECT_EQ(ran.Combo1_Change - before.Combo1_Change, 5);
  EXPECT_EQ(ran.BPS - before.BPS, 5);
  EXPECT_EQ(f.Text2.text(), "不可实现");  // 19200 with SMOD 0: v = 254.5
  f.Option1.select(1);
  EXPECT_EQ(ran.Option1_Click - before.Option1_Click, 1);
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FDH");
  f.Combo1.setListIndex(0);  // 300
  EXPECT_EQ(ran.Combo1_Click - before.Combo1_Click, 1);
  EXPECT_EQ(ran.Combo1_Change - before.Combo1_Change, 5);
  EXPECT_EQ(f.Combo1.text(), "300");
  EXPECT_EQ(f.Text2.text(), "TH1 = 040H");
  typeInto(f.Combo1, "9600 bps");
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FAH");
  // None of this touches the delay.
  EXPECT_EQ(ran.Text1_Change, before.Text1_Change);
  EXPECT_EQ(f.errorReport(), "");
}

TEST_F(Started, EditingTheBaudBoxThroughAnEmptyTextOnlyShowsTheReport) {
  typeInto(f.Combo1, "96000");
  const std::string shown = f.Text2.text();
  backspaceTo(f.Combo1, "");
  EXPECT_EQ(f.errorReport(), kDivZero);
  EXPECT_EQ(f.Text2.text(), shown);  // the box keeps the last result
  typeInto(f.Combo1, "4800");
  EXPECT_EQ(f.errorReport(), "");
  EXPECT_EQ(f.Combo1.text(), "4800");  // no keystroke lost
  EXPECT_EQ(f.Text2.text(), "不可实现");
  // Report shown once and taken away once, however many keystrokes failed.
  EXPECT_EQ(reportChanges, 2);
}

TEST_F(Started, DoubleClicksOnOtherLabelsChangeNothing) {
  seed("100");
  const Snapshot before = Snapshot::of(f);
  const RunCounts earlier = ran;
  for (int index : {0, 1, 2, 3, 4, 7, 8, 9, 10}) {
    f.Label1(index).doubleClick();
    EXPECT_EQ(Snapshot::of(f), before) << "Label1(" << index << ")";
  }
  EXPECT_EQ(ran.Label1_DblClick - earlier.Label1_DblClick, 9);
  EXPECT_EQ(ran.Text1_Change, earlier.Text1_Change);
}

TEST_F(Started, TypingInTheBaudResultBoxRaisesNothing) {
  const RunCounts before = ran;
  const Snapshot snapshot = Snapshot::of(f);
  typeInto(f.Text2, "TH1 = 0FDH");
  EXPECT_EQ(f.Text2.text(), "TH1 = 0FDH");
  EXPECT_EQ(ran.BPS, before.BPS);
  EXPECT_EQ(ran.Text1_Change, before.Text1_Change);
  Snapshot expected = snapshot;
  expected.text2 = "TH1 = 0FDH";
  EXPECT_EQ(Snapshot::of(f), expected);
}

TEST_F(Started, EditingTheTemplateRecomputesTheDelay) {
  seed("100");
  const int runs = ran.Text1_Change;
  typeInto(f.Text1(4), "; my delay");
  EXPECT_EQ(ran.Text1_Change - runs, 10);  // one per keystroke, text unchanged
  EXPECT_EQ(f.Text1(0).text(), "204");
  // Each template keystroke computes the delay again, at the crystal shown.
  f.Combo0.setListIndex(9);  // "24 MHz"
  const int computed = ran.CALC_T;
  appendKeys(f.Text1(4), ".");
  EXPECT_EQ(ran.CALC_T - computed, 1);
  EXPECT_EQ(f.Text1(0).text(), "102");
}

TEST_F(Started, UnitToggleRecomputesFromTheCurrentInputs) {
  seed("100");
  f.Combo0.setListIndex(9);  // "24 MHz"
  unitToggle();
  EXPECT_EQ(f.Text1(0).text(), " .102");
  EXPECT_EQ(f.windowState().T, 102);
}

TEST_F(Started, ErrorReportComesAndGoesWithEvents) {
  seed("1024");
  f.Option2.select(2);
  EXPECT_EQ(f.errorReport(), kTripleSeedOverflow);
  EXPECT_EQ(reportChanges, 1);
  f.Label1(7).doubleClick();  // a clean event, even if it does nothing
  EXPECT_EQ(f.errorReport(), "");
  EXPECT_EQ(reportChanges, 2);
  f.Label1(7).doubleClick();
  EXPECT_EQ(reportChanges, 2);  // unchanged report: no notification
}

TEST_F(Started, NestingNeverGoesDeeperThanFour) {
  seed("100");
  f.Option2.select(1);
  f.Option0.select(2);
  f.Option0.select(1);
  f.Combo0.setListIndex(3);
  typeInto(f.Combo0, "20");
  typeInto(f.Combo1, "2400");
  f.Option1.select(1);
  unitToggle();
  typeInto(f.Text1(4), "x");
  seed("1024");
  f.Option2.select(2);
  EXPECT_EQ(f.events.deepest(), 4);
  EXPECT_EQ(f.events.depth(), 0);
}

}  // namespace
}  // namespace delaysub::window
