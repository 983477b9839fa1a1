// The line diff the code box uses to replace only the lines that changed:
// applied to the old text, its hunks give the new text, and the lines the
// two texts share stay where they are.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "designer/line_diff.h"

namespace {

using delaysub::designer::LineHunk;
using delaysub::designer::lineHunks;
using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
  Lines lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line, ' ');) {
    lines.push_back(line);
  }
  return lines;
}

// The old lines with the hunks applied, the last first, as the code box does.
Lines applied(Lines lines, const std::vector<LineHunk>& hunks, const Lines& after) {
  for (auto h = hunks.rbegin(); h != hunks.rend(); ++h) {
    const auto at = lines.begin() + static_cast<std::ptrdiff_t>(h->oldStart);
    lines.erase(at, at + static_cast<std::ptrdiff_t>(h->oldCount));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(h->oldStart),
                 after.begin() + static_cast<std::ptrdiff_t>(h->newStart),
                 after.begin() + static_cast<std::ptrdiff_t>(h->newStart + h->newCount));
  }
  return lines;
}

std::size_t replaced(const std::vector<LineHunk>& hunks) {
  std::size_t n = 0;
  for (const LineHunk& h : hunks) {
    n += h.oldCount + h.newCount;
  }
  return n;
}

TEST(LineDiff, HunksTurnTheOldLinesIntoTheNewAndKeepWhatBothShare) {
  const struct {
    const char* before;
    const char* after;
    std::size_t linesReplaced;  // old lines dropped plus new lines written
  } cases[] = {
      {"a b c", "a b c", 0},
      {"a b c", "a x c", 2},
      {"a b c", "x b c", 2},
      {"a b c", "a b x", 2},
      {"a b c", "a b c d e", 2},
      {"a b c", "d e a b c", 2},
      {"a b c d", "a d", 2},
      {"a b c d", "b c d", 1},
      {"a b c d", "a b c", 1},
      {"a b c", "x y z", 6},
      {"a", "a b c d e f", 5},
      {"a b c d e f", "f", 5},
      // A code on another timer: its defines come in, the shared lines stay.
      {"h1 h2 init scon anl tmod th1 tl1 setb ret send wait jnb clr ret",
       "h1x h2x t2con rcap2h rcap2l th2 tl2 tr2 init scon anl2 orl2 rcap2h' rcap2l' th2' tl2' "
       "setb2 "
       "ret send wait jnb clr ret",
       22},
      {"", "a", 1},
      {"a", "", 1},
      {"x a x a x", "a x a x a", 2},
  };
  for (const auto& c : cases) {
    const Lines before = linesOf(c.before);
    const Lines after = linesOf(c.after);
    const std::vector<LineHunk> hunks = lineHunks(before, after);
    EXPECT_EQ(applied(before, hunks, after), after) << c.before << " -> " << c.after;
    EXPECT_EQ(replaced(hunks), c.linesReplaced) << c.before << " -> " << c.after;
    for (std::size_t i = 1; i < hunks.size(); ++i) {
      EXPECT_LT(hunks[i - 1].oldStart + hunks[i - 1].oldCount, hunks[i].oldStart)
          << "hunks in order and apart: " << c.before << " -> " << c.after;
    }
  }
}

TEST(LineDiff, ALongMiddleIsReplacedWhole) {
  // Beyond the comparison's limit the middle between the shared head and
  // tail is one hunk; the result is still the new text.
  Lines before{"head"};
  Lines after{"head"};
  for (int i = 0; i < 300; ++i) {
    before.push_back("old " + std::to_string(i));
    after.push_back("new " + std::to_string(i));
  }
  before.push_back("tail");
  after.push_back("tail");
  const std::vector<LineHunk> hunks = lineHunks(before, after);
  ASSERT_EQ(hunks.size(), 1u);
  EXPECT_EQ(hunks[0], (LineHunk{1, 300, 1, 300}));
  EXPECT_EQ(applied(before, hunks, after), after);
}

}  // namespace
