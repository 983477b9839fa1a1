// Which lines of a text to replace to turn it into another: the hunks of a
// line diff that keeps a longest common run of lines (their order kept).
// The code box replaces just these lines, so the lines both codes share are
// not laid out again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace delaysub::designer {

// Lines [oldStart, oldStart + oldCount) of the old text become lines
// [newStart, newStart + newCount) of the new one.
struct LineHunk {
  std::size_t oldStart = 0;
  std::size_t oldCount = 0;
  std::size_t newStart = 0;
  std::size_t newCount = 0;

  bool operator==(const LineHunk&) const = default;
};

// Beyond this many pairs of lines between the common head and tail, the
// middle is replaced whole rather than compared line by line.
inline constexpr std::size_t kLineDiffPairs = 1u << 16;

// The hunks, first line first; none where the texts are equal. Lines is any
// random-access sequence of comparable lines (std::vector<std::string>,
// QStringList).
template <class Lines>
std::vector<LineHunk> lineHunks(const Lines& before, const Lines& after) {
  const auto n = static_cast<std::size_t>(before.size());
  const auto m = static_cast<std::size_t>(after.size());
  const auto at = [](const Lines& lines, std::size_t i) -> decltype(auto) {
    return lines[static_cast<decltype(lines.size())>(i)];
  };
  std::size_t head = 0;
  while (head < n && head < m && at(before, head) == at(after, head)) {
    ++head;
  }
  std::size_t tail = 0;
  while (tail < n - head && tail < m - head &&
         at(before, n - 1 - tail) == at(after, m - 1 - tail)) {
    ++tail;
  }
  const std::size_t rows = n - head - tail;
  const std::size_t cols = m - head - tail;
  std::vector<LineHunk> hunks;
  if (rows == 0 && cols == 0) {
    return hunks;
  }
  if (rows == 0 || cols == 0 || rows * cols > kLineDiffPairs) {
    hunks.push_back({head, rows, head, cols});
    return hunks;
  }
  // common[i][j]: the longest common run of before's middle from i on and
  // after's middle from j on.
  const std::size_t width = cols + 1;
  std::vector<std::size_t> common((rows + 1) * width, 0);
  for (std::size_t i = rows; i-- > 0;) {
    for (std::size_t j = cols; j-- > 0;) {
      common[i * width + j] =
          at(before, head + i) == at(after, head + j)
              ? common[(i + 1) * width + j + 1] + 1
              : std::max(common[(i + 1) * width + j], common[i * width + j + 1]);
    }
  }
  std::size_t i = 0;
  std::size_t j = 0;
  LineHunk open{head, 0, head, 0};
  const auto close = [&] {
    if (open.oldCount > 0 || open.newCount > 0) {
      hunks.push_back(open);
    }
    open = {head + i, 0, head + j, 0};
  };
  while (i < rows || j < cols) {
    if (i < rows && j < cols && at(before, head + i) == at(after, head + j)) {
      ++i;
      ++j;
      close();
    } else if (j == cols ||
               (i < rows && common[(i + 1) * width + j] >= common[i * width + j + 1])) {
      ++i;
      ++open.oldCount;
    } else {
      ++j;
      ++open.newCount;
    }
  }
  close();
  return hunks;
}

}  // namespace delaysub::designer
