#include "win32/text.h"

#include <windows.h>

#include <algorithm>

namespace delaysub::win32 {

namespace {

// Pieces of at most this many units per conversion, which takes an int.
constexpr std::size_t kChunk = 8192;

}  // namespace

// A lead byte near the end followed only by continuation bytes, fewer than
// the lead byte announces, begins an unfinished character.
std::size_t wholeCharacters(std::string_view text) {
  const std::size_t end = text.size();
  for (std::size_t back = 1; back <= 3 && back <= end; ++back) {
    const auto byte = static_cast<unsigned char>(text[end - back]);
    if ((byte & 0xC0) == 0x80) {
      continue;  // a continuation byte: look further back
    }
    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
    return length > back ? end - back : end;
  }
  return end;
}

std::string toUtf8(std::wstring_view text) {
  std::string out;
  while (!text.empty()) {
    std::size_t take = std::min(text.size(), kChunk);
    // Never split a surrogate pair between two pieces.
    if (take < text.size() && text[take - 1] >= 0xD800 && text[take - 1] <= 0xDBFF) {
      --take;
    }
    const int units = static_cast<int>(take);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), units, nullptr, 0, nullptr, nullptr);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(bytes));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), units, out.data() + at, bytes, nullptr, nullptr);
    text.remove_prefix(take);
  }
  return out;
}

std::wstring toUtf16(std::string_view text) {
  std::wstring out;
  while (!text.empty()) {
    std::size_t take = std::min(text.size(), kChunk);
    if (take < text.size()) {
      take = std::max<std::size_t>(wholeCharacters(text.substr(0, take)), 1);
    }
    const int bytes = static_cast<int>(take);
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, nullptr, 0);
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(units));
    MultiByteToWideChar(CP_UTF8, 0, text.data(), bytes, out.data() + at, units);
    text.remove_prefix(take);
  }
  return out;
}

std::vector<std::string> utf8Arguments(int argc, const wchar_t* const argv[]) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    args.push_back(toUtf8(argv[i]));
  }
  return args;
}

}  // namespace delaysub::win32
