// The text of the baud result box: TH1 reload for the 8051 cores, UBRR for AVR.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>

#include "core/baud.h"
#include "core/numbers.h"
#include "core/result.h"

namespace {

using namespace delaysub::core;

const std::string kNo = "不可实现";

constexpr std::int16_t kMcs51 = 0;
constexpr std::int16_t kAvr = 1;
constexpr std::int16_t kW77e58 = 2;

float crystal(const char* item) {
  return singleRound(readNumber(item));
}

// The text the box gets; fails the test on an error or "no change".
std::string shown(std::int16_t cpu, float Fosc, const char* baud, bool smod0) {
  const auto r = BPS_TEXT(cpu, Fosc, baud, smod0);
  EXPECT_TRUE(r.ok()) << "cpu " << cpu << " Fosc " << Fosc << " baud " << baud;
  EXPECT_TRUE(r.value.has_value()) << "cpu " << cpu << " baud " << baud;
  return r.ok() && r.value ? *r.value : std::string("<none>");
}

struct Row {
  const char* crystal;
  const char* baud;
  bool smod0;
  std::string expected;
};

TEST(BaudText, Th1ForBoth8051Cores) {
  const Row rows[] = {
      {"11.0592MHz", "9600", true, "TH1 = 0FDH"},
      {"11.0592MHz", "9600", false, "TH1 = 0FAH"},
      {"11.0592MHz", "300", true, "TH1 = 0A0H"},
      {"11.0592MHz", "300", false, "TH1 = 040H"},  // the 0 stands before a digit too
      {"11.0592MHz", "19200", true, kNo},          // v = 254.5
      {"11.0592MHz", "19200", false, "TH1 = 0FDH"},
      {"12 MHz", "9600", true, kNo},
      {"12 MHz", "9600", false, kNo},
      {"12 MHz", "4800", true, kNo},
      {"12 MHz", "4800", false, kNo},
      {"22.1184MHz", "19200", true, "TH1 = 0FDH"},
      {"22.1184MHz", "19200", false, "TH1 = 0FAH"},
      {"22.1184MHz", "115200", false, "TH1 = 0FFH"},
      {"11.0592MHz", "9600 bps", true, "TH1 = 0FDH"},
      // only a whole value within the 8-bit register is a reload value
      {"0", "9600", true, kNo},              // v = 256
      {"12 MHz", "61.03515625", true, kNo},  // v = -256
      {"12 MHz", "0.000001", true, kNo},     // v far below the 32-bit range
      {"11.0592MHz", "-9600", true, kNo},    // v = 259
  };
  for (const auto& r : rows) {
    for (std::int16_t cpu : {kMcs51, kW77e58}) {
      EXPECT_EQ(shown(cpu, crystal(r.crystal), r.baud, r.smod0), r.expected)
          << "cpu " << cpu << " " << r.crystal << " " << r.baud << " SMOD-0 " << r.smod0;
    }
  }
}

TEST(BaudText, UbrrForAvr) {
  const Row rows[] = {
      {"8 MHz", "9600", true, "UBRR = 33H"},
      {"16 MHz", "9600", true, "UBRR = 67H"},
      {"11.0592MHz", "9600", true, "UBRR = 47H"},
      {"4 MHz", "115200", true, "UBRR = 01H"},
      // the whole 12-bit value, not its low byte
      {"16 MHz", "2400", true, "UBRR = 1A0H"},
      {"20 MHz", "300", true, kNo},             // u = 4166: beyond 12 bits
      {"4 MHz", "300", true, "UBRR = 340H"},    // u = 832
      {"32 MHz", "300", true, kNo},             // u = 6666
      {"0", "9600", true, kNo},                 // u = -1
      {"1 MHz", "62500", true, "UBRR = 00H"},   // u = 0
      {"65.536", "1000", true, "UBRR = FFFH"},  // u = 4095
      {"65.552", "1000", true, kNo},            // u = 4096
  };
  for (const auto& r : rows) {
    for (bool smod0 : {true, false}) {  // the SMOD choice is not read for AVR
      EXPECT_EQ(shown(kAvr, crystal(r.crystal), r.baud, smod0), r.expected)
          << r.crystal << " " << r.baud << " SMOD-0 " << smod0;
    }
  }
}

TEST(BaudText, Errors) {
  struct Case {
    std::int16_t cpu;
    const char* crystal;
    const char* baud;
    RunError expected;
  };
  const Case cases[] = {
      // no baud rate: the division by the baud rate fails
      {kMcs51, "12 MHz", "", RunError::DivisionByZero},
      {kW77e58, "12 MHz", "abc", RunError::DivisionByZero},
      {kAvr, "12 MHz", "0", RunError::DivisionByZero},
      {kMcs51, "0", "", RunError::Overflow},
      {kAvr, "0", "", RunError::Overflow},
      // AVR value beyond 32 bits
      {kAvr, "12 MHz", "0.0001", RunError::Overflow},
      {kAvr, "12 MHz", "-0.0001", RunError::Overflow},
      // TH1 value beyond the single range
      {kMcs51, "12 MHz", "1E-40", RunError::Overflow},
      // a crystal beyond the single range
      {kMcs51, "1E39", "9600", RunError::Overflow},
      {kAvr, "1E39", "9600", RunError::Overflow},
      // a baud rate beyond the double range
      {kMcs51, "12 MHz", "1E400", RunError::Overflow},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BPS_TEXT(c.cpu, crystal(c.crystal), c.baud, true).error, c.expected)
        << "cpu " << c.cpu << " " << c.crystal << " baud [" << c.baud << "]";
  }
  // A large but finite AVR value is still shown as not achievable.
  EXPECT_EQ(shown(kAvr, 12.0f, "0.001", true), kNo);
}

TEST(BaudText, OtherCoresLeaveTheBoxAlone) {
  for (std::int16_t cpu : {std::int16_t{3}, std::int16_t{-1}, std::int16_t{32767}}) {
    const auto r = BPS_TEXT(cpu, 0.0f, "", true);
    ASSERT_TRUE(r.ok()) << cpu;
    EXPECT_FALSE(r.value.has_value()) << cpu;
  }
}

TEST(BaudText, EveryListCombination) {
  const char* crystals[] = {"4 MHz",  "6 MHz",  "8 MHz",      "10 MHz", "11.0592MHz", "12 MHz",
                            "16 MHz", "20 MHz", "22.1184MHz", "24 MHz", "32 MHz"};
  const char* bauds[] = {"300",   "600",   "1200",  "2400",  "4800",  "9600",
                         "14400", "19200", "28800", "33600", "57600", "115200"};
  // (crystal, baud, SMOD) -> TH1 digits
  using Key = std::tuple<std::string, std::string, int>;
  const std::map<Key, std::string> exact = {
      {{"11.0592MHz", "300", 0}, "A0"},   {{"11.0592MHz", "300", 1}, "40"},
      {{"11.0592MHz", "600", 0}, "D0"},   {{"11.0592MHz", "600", 1}, "A0"},
      {{"11.0592MHz", "1200", 0}, "E8"},  {{"11.0592MHz", "1200", 1}, "D0"},
      {{"11.0592MHz", "2400", 0}, "F4"},  {{"11.0592MHz", "2400", 1}, "E8"},
      {{"11.0592MHz", "4800", 0}, "FA"},  {{"11.0592MHz", "4800", 1}, "F4"},
      {{"11.0592MHz", "9600", 0}, "FD"},  {{"11.0592MHz", "9600", 1}, "FA"},
      {{"11.0592MHz", "14400", 0}, "FE"}, {{"11.0592MHz", "14400", 1}, "FC"},
      {{"11.0592MHz", "19200", 1}, "FD"}, {{"11.0592MHz", "28800", 0}, "FF"},
      {{"11.0592MHz", "28800", 1}, "FE"}, {{"11.0592MHz", "57600", 1}, "FF"},
      {{"22.1184MHz", "300", 0}, "40"},   {{"22.1184MHz", "600", 0}, "A0"},
      {{"22.1184MHz", "600", 1}, "40"},   {{"22.1184MHz", "1200", 0}, "D0"},
      {{"22.1184MHz", "1200", 1}, "A0"},  {{"22.1184MHz", "2400", 0}, "E8"},
      {{"22.1184MHz", "2400", 1}, "D0"},  {{"22.1184MHz", "4800", 0}, "F4"},
      {{"22.1184MHz", "4800", 1}, "E8"},  {{"22.1184MHz", "9600", 0}, "FA"},
      {{"22.1184MHz", "9600", 1}, "F4"},  {{"22.1184MHz", "14400", 0}, "FC"},
      {{"22.1184MHz", "14400", 1}, "F8"}, {{"22.1184MHz", "19200", 0}, "FD"},
      {{"22.1184MHz", "19200", 1}, "FA"}, {{"22.1184MHz", "28800", 0}, "FE"},
      {{"22.1184MHz", "28800", 1}, "FC"}, {{"22.1184MHz", "57600", 0}, "FF"},
      {{"22.1184MHz", "57600", 1}, "FE"}, {{"22.1184MHz", "115200", 1}, "FF"},
  };
  for (const char* c : crystals) {
    for (const char* b : bauds) {
      for (int smod : {0, 1}) {
        const auto it = exact.find({c, b, smod});
        const std::string expected = it == exact.end() ? kNo : "TH1 = 0" + it->second + "H";
        for (std::int16_t cpu : {kMcs51, kW77e58}) {
          const std::string got = shown(cpu, crystal(c), b, smod == 0);
          EXPECT_EQ(got, expected) << "cpu " << cpu << " " << c << " " << b << " SMOD " << smod;
        }
      }
    }
  }
}

}  // namespace
