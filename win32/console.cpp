#include "win32/console.h"

#include <windows.h>

#include <algorithm>

namespace delaysub::win32 {

namespace {

// Pieces of at most this many units per call: old consoles refuse long writes.
constexpr std::size_t kChunk = 8192;

// Writes all of the text in pieces; false when a write fails or writes
// nothing.
template <class Char, class Write>
bool writeAll(std::basic_string_view<Char> text, Write write) {
  while (!text.empty()) {
    DWORD written = 0;
    if (!write(text.data(), static_cast<DWORD>(std::min(text.size(), kChunk)), &written) ||
        written == 0) {
      return false;
    }
    text.remove_prefix(written);
  }
  return true;
}

}  // namespace

StandardSink::StandardSink(unsigned long which) : handle_(GetStdHandle(which)) {
  DWORD mode = 0;
  console_ =
      handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr && GetConsoleMode(handle_, &mode);
}

bool StandardSink::writeBytes(std::string_view bytes) {
  return writeAll(bytes, [this](const char* data, DWORD size, DWORD* written) {
    return WriteFile(handle_, data, size, written, nullptr);
  });
}

bool StandardSink::writeText(std::wstring_view text) {
  return writeAll(text, [this](const wchar_t* data, DWORD size, DWORD* written) {
    return WriteConsoleW(handle_, data, size, written, nullptr);
  });
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
