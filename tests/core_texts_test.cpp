// Formula and delay-routine template texts, character for character.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/texts.h"

namespace {

using namespace delaysub::core;

using TextFn = std::string_view (*)(const std::int16_t&);

std::string blanks(std::size_t n) {
  return std::string(n, ' ');
}

std::string joinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += (i == 0 ? "" : "\r\n") + lines[i];
  }
  return text;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string_view::npos; start = at + 2) {
    lines.emplace_back(text.substr(start, at - start));
  }
  lines.emplace_back(text.substr(start));
  return lines;
}

std::size_t leadingBlanks(std::string_view line) {
  return line.find_first_not_of(' ');
}

TEST(FormulaTexts, ByCoreAndNesting) {
  struct Row {
    const char* name;
    TextFn fn;
    std::string mcs51;
    std::string avr;
    std::string w77e58;
  };
  const Row rows[] = {
      {"FORM1", &FORM1, "T=[2X + 4] * (12 / Fosc)", "T=1.5*X*X+7.5*X+7", "T=[4X + 6] * (4 / Fosc)"},
      {"FORM2", &FORM2, "T=[X(X+7) + 4] * (12 / Fosc)", "T=0.5*X*X*X+4.5*X*X+10*X+7",
       "T=[2X(X+5) + 6] * (4 / Fosc)"},
      {"FORM3", &FORM3, joinLines({"T=[X(X+1)(2X+1)/6+7X(X+1)/2+6X+4]", " *(12/Fosc)"}),
       "T=0.125*X*X*X*X+1.75*X*X*X+7.375*X*X+11.75*X+7",
       joinLines({"T=[X(X+1)(2X+1)/3+5X(X+1)+8X+6]", " *(4/Fosc)"})},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.fn(0), r.mcs51) << r.name;
    EXPECT_EQ(r.fn(1), r.avr) << r.name;
    EXPECT_EQ(r.fn(2), r.w77e58) << r.name;
    for (std::int16_t cpu = 0; cpu < 3; ++cpu) {
      const std::string_view text = r.fn(cpu);
      const std::size_t breaks = splitLines(text).size() - 1;
      EXPECT_EQ(breaks, (r.fn == &FORM3 && cpu != 1) ? 1u : 0u) << r.name << " cpu " << cpu;
      EXPECT_NE(text.substr(0, 2), "\r\n");
    }
  }
  EXPECT_EQ(splitLines(FORM3(0))[1].substr(0, 2), " *");
}

// The first instruction line: five blanks after MOV for MCS-51 and AVR, one for W77E58.
std::string waitLine(std::int16_t cpu) {
  return "WAIT:" + blanks(4) + "MOV" + blanks(cpu == 2 ? 1 : 5) + "BYT_DLY,#X";
}

std::vector<std::string> head(std::int16_t cpu, const std::string& routine) {
  return {"", waitLine(cpu), blanks(8) + "LCALL" + blanks(3) + routine, blanks(8) + "...", ""};
}

std::vector<std::string> prg1(std::int16_t cpu) {
  auto lines = head(cpu, "DELAY1");
  lines.push_back("DELAY1:" + blanks(2) + "DJNZ" + blanks(4) + "BYT_DLY,DELAY1");
  lines.push_back(blanks(9) + "RET");
  return lines;
}

std::vector<std::string> prg2(std::int16_t cpu) {
  auto lines = head(cpu, "DELAY2");
  lines.push_back("DELAY2:" + blanks(2) + "PUSH" + blanks(4) + "BYT_DLY");
  lines.push_back("DELm1:" + blanks(2) + "DJNZ" + blanks(4) + "BYT_DLY,DELm1");
  lines.push_back(blanks(15) + "POP" + blanks(5) + "BYT_DLY");
  lines.push_back(blanks(8) + "DJNZ" + blanks(4) + "BYT_DLY,DELAY2");
  lines.push_back(blanks(8) + "RET");
  return lines;
}

std::vector<std::string> prg3(std::int16_t cpu) {
  auto lines = head(cpu, "DELAY3");
  lines.push_back("DELAY3:" + blanks(2) + "PUSH" + blanks(4) + "BYT_DLY");
  lines.push_back("DEL31:" + blanks(2) + "PUSH" + blanks(4) + "BYT_DLY");
  lines.push_back("DEL32:" + blanks(2) + "DJNZ" + blanks(4) + "BYT_DLY,DEL32");
  lines.push_back(blanks(8) + "POP" + blanks(5) + "BYT_DLY");
  lines.push_back(blanks(8) + "DJNZ" + blanks(4) + "BYT_DLY,DEL31");
  lines.push_back(blanks(8) + "POP" + blanks(5) + "BYT_DLY");
  lines.push_back(blanks(8) + "DJNZ" + blanks(4) + "BYT_DLY,DELAY3");
  lines.push_back(blanks(8) + "RET");
  return lines;
}

struct Template {
  const char* name;
  TextFn fn;
  std::vector<std::string> (*lines)(std::int16_t);
};
const Template kTemplates[] = {
    {"PRG1", &PRG1, &prg1}, {"PRG2", &PRG2, &prg2}, {"PRG3", &PRG3, &prg3}};

TEST(TemplateTexts, CharacterForCharacter) {
  for (const auto& t : kTemplates) {
    for (std::int16_t cpu = 0; cpu < 3; ++cpu) {
      const std::string_view text = t.fn(cpu);
      EXPECT_EQ(text, joinLines(t.lines(cpu))) << t.name << " cpu " << cpu;
      // an empty first line, no empty last line
      EXPECT_EQ(text.substr(0, 2), "\r\n") << t.name;
      EXPECT_NE(text.substr(text.size() - 2), "\r\n") << t.name;
    }
    // MCS-51 and AVR share one template; W77E58 differs in its WAIT line only
    EXPECT_EQ(t.fn(0), t.fn(1)) << t.name;
    auto mcs51 = splitLines(t.fn(0));
    auto w77e58 = splitLines(t.fn(2));
    ASSERT_EQ(mcs51.size(), w77e58.size());
    for (std::size_t i = 0; i < mcs51.size(); ++i) {
      EXPECT_EQ(mcs51[i] == w77e58[i], i != 1) << t.name << " line " << i + 1;
    }
  }
}

TEST(TemplateTexts, BlankCountsThatDifferBetweenTemplates) {
  const auto one = splitLines(PRG1(0));
  const auto two = splitLines(PRG2(0));
  const auto three = splitLines(PRG3(0));
  ASSERT_EQ(one.size(), 7u);
  ASSERT_EQ(two.size(), 10u);
  ASSERT_EQ(three.size(), 13u);
  EXPECT_EQ(leadingBlanks(one[6]), 9u);     // RET of the single loop
  EXPECT_EQ(leadingBlanks(two[9]), 8u);     // RET of the double loop
  EXPECT_EQ(leadingBlanks(three[12]), 8u);  // RET of the triple loop
  EXPECT_EQ(leadingBlanks(two[7]), 15u);    // POP of the double loop
  EXPECT_EQ(leadingBlanks(three[8]), 8u);   // the two POPs of the triple loop
  EXPECT_EQ(leadingBlanks(three[10]), 8u);
  for (const auto& label : {one[5], two[5], two[6], three[5], three[6], three[7]}) {
    const std::size_t colon = label.find(':');
    ASSERT_NE(colon, std::string::npos) << label;
    EXPECT_EQ(label.find_first_not_of(' ', colon + 1) - colon - 1, 2u) << label;
  }
  EXPECT_EQ(one[1], "WAIT:    MOV     BYT_DLY,#X");
  EXPECT_EQ(splitLines(PRG1(2))[1], "WAIT:    MOV BYT_DLY,#X");
}

TEST(ConstantTexts, OtherCoresGiveTheEmptyText) {
  const TextFn all[] = {&FORM1, &FORM2, &FORM3, &PRG1, &PRG2, &PRG3};
  for (TextFn fn : all) {
    for (std::int16_t cpu : {std::int16_t{3}, std::int16_t{-1}, std::int16_t{32767}}) {
      EXPECT_TRUE(fn(cpu).empty()) << cpu;
    }
  }
}

}  // namespace
