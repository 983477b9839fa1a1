// The text of the Windows programs: arguments from UTF-16, answers as UTF-8
// bytes to pipes and files and as UTF-16 to a console, whole characters only.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "win32/console.h"
#include "win32/text.h"

namespace {

using delaysub::win32::OutputSink;
using delaysub::win32::toUtf16;
using delaysub::win32::toUtf8;
using delaysub::win32::Utf8Output;

// Records what reaches it; fails every write from the given one on.
class RecordingSink : public OutputSink {
 public:
  explicit RecordingSink(bool console, int failFrom = -1)
      : console_(console), failFrom_(failFrom) {}
  bool isConsole() const override { return console_; }
  bool writeBytes(std::string_view bytes) override {
    if (fails()) {
      return false;
    }
    bytes_ += bytes;
    return true;
  }
  bool writeText(std::wstring_view text) override {
    if (fails()) {
      return false;
    }
    // A lone surrogate at either end would mean a character split in two.
    if (!text.empty() && ((text.front() >= 0xDC00 && text.front() <= 0xDFFF) ||
                          (text.back() >= 0xD800 && text.back() <= 0xDBFF))) {
      split_ = true;
    }
    text_ += text;
    return true;
  }

  std::string bytes_;
  std::wstring text_;
  bool split_ = false;
  int writes_ = 0;

 private:
  bool fails() { return failFrom_ >= 0 && writes_++ >= failFrom_; }
  bool console_;
  int failFrom_;
};

// Writes the text in pieces of the given size, flushing after each.
void writeInPieces(std::ostream& out, const std::string& text, std::size_t piece) {
  for (std::size_t at = 0; at < text.size(); at += piece) {
    out.write(text.data() + at, static_cast<std::streamsize>(std::min(piece, text.size() - at)));
    out.flush();
  }
}

std::string repeated(const std::string& text, int times) {
  std::string all;
  for (int i = 0; i < times; ++i) {
    all += text;
  }
  return all;
}

struct TextCase {
  const char* name;
  std::string text;
};

const std::vector<TextCase> kTexts = {
    {"ascii", "delay    10704 uS\n"},
    {"chinese", "window   不可实现 (SMOD 0)\r\n运行时错误 6：溢出\n"},
    {"four bytes", "seed 😀 𝄞\n"},
    {"longer than the buffer", repeated("晶振频率：11.0592MHz ", 400)},
};

class ConsoleText : public testing::TestWithParam<TextCase> {};

TEST_P(ConsoleText, PipesGetTheBytesUnchanged) {
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{4096}}) {
    RecordingSink sink(false);
    {
      Utf8Output buffer(sink);
      std::ostream out(&buffer);
      writeInPieces(out, GetParam().text, piece);
      EXPECT_TRUE(buffer.finish());
    }
    EXPECT_EQ(sink.bytes_, GetParam().text) << "pieces of " << piece;
  }
}

TEST_P(ConsoleText, ConsolesGetWholeCharacters) {
  for (std::size_t piece : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{4096}}) {
    RecordingSink sink(true);
    Utf8Output buffer(sink);
    std::ostream out(&buffer);
    writeInPieces(out, GetParam().text, piece);
    EXPECT_TRUE(buffer.finish());
    EXPECT_EQ(sink.text_, toUtf16(GetParam().text)) << "pieces of " << piece;
    EXPECT_EQ(toUtf8(sink.text_), GetParam().text);
    EXPECT_FALSE(sink.split_);
    EXPECT_TRUE(sink.bytes_.empty());
  }
}

std::string caseName(const testing::TestParamInfo<TextCase>& param) {
  std::string name = param.param.name;
  for (char& c : name) {
    c = c == ' ' ? '_' : c;
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Texts, ConsoleText, testing::ValuesIn(kTexts), caseName);

TEST(ConsoleText, BytesOfNoCharacterShowAsReplacements) {
  const std::vector<std::pair<std::string, std::wstring>> cases = {
      {"a\xFF"
       "b",
       L"a\xFFFD"
       L"b"},
      {"\x80", L"\xFFFD"},
      {"end \xE4\xB8", L"end \xFFFD"},  // the last character cut short
  };
  for (const auto& [bytes, shown] : cases) {
    RecordingSink sink(true);
    Utf8Output buffer(sink);
    std::ostream out(&buffer);
    out << bytes;
    out.flush();
    EXPECT_TRUE(buffer.finish());
    EXPECT_EQ(sink.text_, shown);
  }
}

TEST(ConsoleText, AFailedWriteMakesTheStreamBad) {
  for (bool console : {false, true}) {
    RecordingSink sink(console, 0);
    Utf8Output buffer(sink);
    std::ostream out(&buffer);
    out << "delay    10704 uS\n";
    out.flush();
    EXPECT_FALSE(out.good());
    EXPECT_FALSE(buffer.finish());
  }
}

TEST(Arguments, ArriveAsUtf8) {
  const wchar_t* argv[] = {L"delaysub-calc.exe", L"--crystal", L"12 兆赫", L"",    L"a\"b c",
                           L"C:\\xtal\\",        L"😀",         L"\xD800x", nullptr};
  const std::vector<std::string> expected = {
      "--crystal", "12 兆赫", "", "a\"b c", "C:\\xtal\\", "😀", "\xEF\xBF\xBDx"};
  EXPECT_EQ(delaysub::win32::utf8Arguments(8, argv), expected);
}

TEST(Arguments, LongTextsConvertWhole) {
  const std::string text = repeated("种子😀", 5000);
  EXPECT_EQ(toUtf8(toUtf16(text)), text);
}

}  // namespace
