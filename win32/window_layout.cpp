#include "win32/window_layout.h"

#include <algorithm>

namespace delaysub::win32 {

namespace {

using window::ControlSpec;
using window::Kind;

// The frame row named name.
const ControlSpec* frameRow(std::string_view name) {
  for (const ControlSpec& row : window::layoutTable()) {
    if (row.kind == Kind::Frame && row.name == name) {
      return &row;
    }
  }
  return nullptr;
}

bool isWide(wchar_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFF60);
}

bool closes(wchar_t c) {
  return std::wstring_view(L"，。、；：？！）》」』〕】”’,.;:?!)]}%").find(c) !=
         std::wstring_view::npos;
}

bool opens(wchar_t c) {
  return std::wstring_view(L"（《「『〔【“‘([{").find(c) != std::wstring_view::npos;
}

// Whether a line may end before text[at].
bool mayBreakBefore(std::wstring_view text, std::size_t at) {
  const wchar_t before = text[at - 1];
  const wchar_t next = text[at];
  if (next == L' ') {
    return false;  // blanks stay at the end of their line
  }
  if (before == L' ') {
    return true;
  }
  return (isWide(before) || isWide(next)) && !closes(next) && !opens(before);
}

std::wstring_view withoutTrailingBlanks(std::wstring_view line) {
  while (!line.empty() && line.back() == L' ') {
    line.remove_suffix(1);
  }
  return line;
}

int rank(const ControlSpec& row) {
  if (row.tabOrder >= 0) {
    return 0;
  }
  return row.kind == Kind::Frame ? 2 : 1;
}

}  // namespace

int pixels(int twips, unsigned dpi) {
  return static_cast<int>(static_cast<long long>(twips) * dpi / (15LL * kBaseDpi));
}

Rect placement(const ControlSpec& row, unsigned dpi) {
  Rect rect{pixels(row.left, dpi), pixels(row.top, dpi), pixels(row.width, dpi),
            pixels(row.height, dpi)};
  for (std::string_view name : framesAround(row)) {
    const ControlSpec* frame = frameRow(name);
    rect.x += pixels(frame->left, dpi);
    rect.y += pixels(frame->top, dpi);
  }
  return rect;
}

std::vector<std::string_view> framesAround(const ControlSpec& row) {
  std::vector<std::string_view> frames;
  for (std::string_view name = row.container; !name.empty();) {
    const ControlSpec* frame = frameRow(name);
    if (!frame || std::find(frames.begin(), frames.end(), name) != frames.end()) {
      break;  // no such frame, or frames around each other
    }
    frames.push_back(name);
    name = frame->container;
  }
  return frames;
}

int controlId(const ControlSpec& row) {
  const auto table = window::layoutTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == row.name && table[i].index == row.index) {
      return kFirstControlId + static_cast<int>(i);
    }
  }
  return 0;
}

std::vector<ControlSpec> zOrder() {
  const auto table = window::layoutTable();
  std::vector<ControlSpec> rows(table.begin(), table.end());
  // A frame inside another lies above it: the outer one, clipped to what
  // no sibling above it covers, would otherwise hide it.
  std::stable_sort(rows.begin(), rows.end(), [](const ControlSpec& a, const ControlSpec& b) {
    if (rank(a) != rank(b)) {
      return rank(a) < rank(b);
    }
    if (rank(a) == 2) {
      return framesAround(a).size() > framesAround(b).size();
    }
    return rank(a) == 0 && a.tabOrder < b.tabOrder;
  });
  return rows;
}

std::vector<std::wstring> wrapLines(std::wstring_view text, int width,
                                    const std::function<int(std::wstring_view)>& measure) {
  std::vector<std::wstring> lines;
  while (!text.empty()) {
    std::size_t end = 0;  // the longest line that fits, ending at a break
    for (std::size_t at = 1; at <= text.size(); ++at) {
      if (at < text.size() && !mayBreakBefore(text, at)) {
        continue;
      }
      if (measure(withoutTrailingBlanks(text.substr(0, at))) > width) {
        break;
      }
      end = at;
    }
    if (end == 0) {  // not even the first word fits: as much of it as does
      end = 1;
      while (end < text.size() && measure(text.substr(0, end + 1)) <= width) {
        ++end;
      }
    }
    lines.emplace_back(text.substr(0, end));
    text.remove_prefix(end);
  }
  return lines;
}

}  // namespace delaysub::win32
