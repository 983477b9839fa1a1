#include "win32/console.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace delaysub::win32 {

namespace {

// Pieces of at most this many units per call: the conversions and the
// console take an int, and old consoles refuse long writes.
constexpr std::size_t kChunk = 8192;

// The length of the text without a character that it begins but does not
// finish: a lead byte near the end followed only by continuation bytes,
// fewer than the lead byte announces.
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

}  // namespace

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

StandardSink::StandardSink(unsigned long which) : handle_(GetStdHandle(which)) {
  DWORD mode = 0;
  console_ =
      handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr && GetConsoleMode(handle_, &mode);
}

bool StandardSink::writeBytes(std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    const auto take = static_cast<DWORD>(std::min(bytes.size(), kChunk));
    if (!WriteFile(handle_, bytes.data(), take, &written, nullptr) || written == 0) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

bool StandardSink::writeText(std::wstring_view text) {
  while (!text.empty()) {
    DWORD written = 0;
    const auto take = static_cast<DWORD>(std::min(text.size(), kChunk));
    if (!WriteConsoleW(handle_, text.data(), take, &written, nullptr) || written == 0) {
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

Utf8Output::Utf8Output(OutputSink& sink) : sink_(sink) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

Utf8Output::~Utf8Output() {
  finish();
}

bool Utf8Output::flush(bool final) {
  pending_.append(pbase(), static_cast<std::size_t>(pptr() - pbase()));
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (failed_) {
    pending_.clear();
    return false;
  }
  if (!sink_.isConsole()) {
    failed_ = !sink_.writeBytes(pending_);
    pending_.clear();
    return !failed_;
  }
  const std::size_t whole = final ? pending_.size() : wholeCharacters(pending_);
  failed_ = !sink_.writeText(toUtf16(std::string_view(pending_).substr(0, whole)));
  pending_.erase(0, whole);
  return !failed_;
}

Utf8Output::int_type Utf8Output::overflow(int_type ch) {
  if (!flush(false)) {
    return traits_type::eof();
  }
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
  }
  return traits_type::not_eof(ch);
}

int Utf8Output::sync() {
  return flush(false) ? 0 : -1;
}

bool Utf8Output::finish() {
  return flush(true);
}

}  // namespace delaysub::win32
