// The cores and nestings: the window's codes, their names, and the typed
// operations agreeing with the entry points that take the codes.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

#include "core/baud.h"
#include "core/delay.h"
#include "core/domain.h"
#include "core/texts.h"

namespace delaysub::core {
namespace {

TEST(Codes, EachCodeItsCoreAndNames) {
  struct Case {
    std::int16_t cpu_type;
    Core core;
    const char* key;
    const char* name;
  };
  const Case cases[] = {{0, Core::Mcs51, "mcs51", "MCS-51"},
                        {1, Core::Avr, "avr", "AVR"},
                        {2, Core::W77e58, "w77e58", "W77E58"}};
  for (const Case& c : cases) {
    EXPECT_EQ(coreOf(c.cpu_type), c.core) << c.cpu_type;
    EXPECT_EQ(cpuTypeOf(c.core), c.cpu_type);
    EXPECT_EQ(infoOf(c.core).key, c.key);
    EXPECT_EQ(coreName(c.core), c.name);
  }
  EXPECT_TRUE(isAvr(Core::Avr));
  EXPECT_FALSE(isAvr(Core::W77e58));
}

TEST(Codes, EachLoopTypeItsNesting) {
  struct Case {
    std::int16_t loop_type;
    Nesting nesting;
    int loops;
    const char* name;
  };
  const Case cases[] = {{0, Nesting::Single, 1, "single loop"},
                        {1, Nesting::Double, 2, "double loop"},
                        {2, Nesting::Triple, 3, "triple loop"}};
  for (const Case& c : cases) {
    EXPECT_EQ(nestingOf(c.loop_type), c.nesting) << c.loop_type;
    EXPECT_EQ(loopTypeOf(c.nesting), c.loop_type);
    EXPECT_EQ(loopsOf(c.nesting), c.loops);
    EXPECT_EQ(nestingName(c.nesting), c.name);
  }
}

// A code the window does not know has no core or nesting: the typed
// operations never see it, only the entry points that take codes.
TEST(Codes, UnknownCodesHaveNone) {
  for (const std::int16_t code : {std::int16_t{INT16_MIN}, std::int16_t{-1}, std::int16_t{3},
                                  std::int16_t{4}, std::int16_t{INT16_MAX}}) {
    EXPECT_EQ(coreOf(code), std::nullopt) << code;
    EXPECT_EQ(nestingOf(code), std::nullopt) << code;
    EXPECT_EQ(timedCoreOf(code), Core::Mcs51) << code;
  }
  EXPECT_EQ(timedCoreOf(1), Core::Mcs51);
  EXPECT_EQ(timedCoreOf(2), Core::W77e58);
}

TEST(EntryPoints, UnknownCodesGiveTheirDefinedAnswers) {
  for (const std::int16_t code : {std::int16_t{-1}, std::int16_t{3}, std::int16_t{100}}) {
    EXPECT_EQ(FORM1(code), "") << code;
    EXPECT_EQ(PRG3(code), "") << code;
    const auto baud = BPS_TEXT(code, 12.0f, "9600", true);
    ASSERT_TRUE(baud.ok()) << code;
    EXPECT_EQ(baud.value, std::nullopt) << code;
    const auto t = CALC_T(100, code, 12.0f);
    ASSERT_TRUE(t.ok()) << code;
    EXPECT_EQ(t.value, 0.0) << code;
    EXPECT_EQ(W77E_T(100, code, 0.0f).value, 0.0) << code;
  }
}

// Every code pair: the typed texts and delays are those of the entry points.
TEST(EntryPoints, TypedOperationsAgreeForEveryCode) {
  using Text = std::string_view (*)(const std::int16_t&);
  const Text formulas[] = {FORM1, FORM2, FORM3};
  const Text templates[] = {PRG1, PRG2, PRG3};
  for (std::int16_t cpu_type = 0; cpu_type < 3; ++cpu_type) {
    const Core core = *coreOf(cpu_type);
    for (std::int16_t loop_type = 0; loop_type < 3; ++loop_type) {
      const Nesting nesting = *nestingOf(loop_type);
      const auto at = static_cast<std::size_t>(loop_type);
      EXPECT_EQ(formulaOf(core, nesting), formulas[at](cpu_type));
      EXPECT_EQ(templateOf(core, nesting), templates[at](cpu_type));
      for (std::int32_t X : {0, 1, 100, 255, 1023, 1024, -5}) {
        const auto coded =
            cpu_type == 2 ? W77E_T(X, loop_type, 11.0592f) : CALC_T(X, loop_type, 11.0592f);
        const auto typed = delayTime(core, nesting, X, 11.0592f);
        EXPECT_EQ(typed.error, coded.error) << cpu_type << loop_type << X;
        EXPECT_EQ(typed.value, coded.value) << cpu_type << loop_type << X;
      }
    }
    for (const char* baud : {"9600", "", "115200", "1e-9"}) {
      const auto coded = BPS_TEXT(cpu_type, 16.0f, baud, false);
      const auto typed = reloadText(core, 16.0f, baud, false);
      EXPECT_EQ(typed.error, coded.error) << baud;
      if (coded.ok()) {
        EXPECT_EQ(std::optional<std::string>(typed.value), coded.value) << baud;
      }
    }
  }
}

}  // namespace
}  // namespace delaysub::core
