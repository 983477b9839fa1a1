// Text between the Windows programs and the system. Arguments arrive as
// UTF-16 and go on as UTF-8, the text of the rest of the program. Answers go
// out as UTF-8: to a pipe or a file as the very bytes the Linux build writes,
// to a console as UTF-16 through WriteConsoleW.
//
// Why WriteConsoleW rather than switching the console to the UTF-8 code page
// (SetConsoleOutputCP) for the program's run: the code page belongs to the
// console, not to the program, and every program sharing the console (the
// user's cmd.exe first) sees the switch; a program stopped by Ctrl+C, killed
// or crashed never switches it back. Consoles before Windows 10 also
// mangle UTF-8 that arrives in pieces. WriteConsoleW changes nothing outside
// the program and shows the Chinese texts in any console whose font has them.
#pragma once

#include <array>
#include <streambuf>
#include <string>
#include <string_view>

#include "win32/text.h"

namespace delaysub::win32 {

// Where an output stream's text goes: bytes to a pipe or a file, UTF-16 to
// a console. A write returns false when it failed.
class OutputSink {
 public:
  virtual ~OutputSink() = default;
  virtual bool isConsole() const = 0;
  virtual bool writeBytes(std::string_view bytes) = 0;
  virtual bool writeText(std::wstring_view text) = 0;
};

// The process's standard output or standard error (STD_OUTPUT_HANDLE,
// STD_ERROR_HANDLE).
class StandardSink : public OutputSink {
 public:
  explicit StandardSink(unsigned long which);
  bool isConsole() const override { return console_; }
  bool writeBytes(std::string_view bytes) override;
  bool writeText(std::wstring_view text) override;

 private:
  void* handle_;
  bool console_;
};

// A stream buffer of UTF-8 text for a sink. To a console it converts whole
// characters only: the leading bytes of a character that a full buffer
// splits wait for the rest. A failed write makes the stream bad.
class Utf8Output : public std::streambuf {
 public:
  explicit Utf8Output(OutputSink& sink);
  ~Utf8Output() override;
  Utf8Output(const Utf8Output&) = delete;
  Utf8Output& operator=(const Utf8Output&) = delete;

  // Writes everything, an unfinished character too (as U+FFFD); false when
  // a write failed now or before.
  bool finish();

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  // Hands the buffer to the sink; holds back an unfinished character for a
  // console unless final.
  bool flush(bool final);

  OutputSink& sink_;
  std::array<char, 4096> buffer_{};
  std::string pending_;
  bool failed_ = false;
};

}  // namespace delaysub::win32
