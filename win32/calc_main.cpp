// delaysub-calc.exe: the calculator on the Windows command line. The
// arguments are taken as the system holds them, in UTF-16 (the narrow ones
// of main are in the ANSI code page, where Chinese becomes "??"), and the
// answers are written as on Linux (see console.h).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <ostream>

#include "calc/calc.h"
#include "win32/console.h"
#include "win32/text.h"

int wmain(int argc, wchar_t* argv[]) {
  using delaysub::win32::StandardSink;
  using delaysub::win32::Utf8Output;
  // Whatever still writes through the C runtime writes bytes, not text
  // whose LF becomes CR LF (the answers of --crlf would end in CR CR LF).
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);

  StandardSink outSink(STD_OUTPUT_HANDLE);
  StandardSink errSink(STD_ERROR_HANDLE);
  Utf8Output outBuffer(outSink);
  Utf8Output errBuffer(errSink);
  std::ostream out(&outBuffer);
  std::ostream err(&errBuffer);

  const int status = delaysub::calc::runCalc(delaysub::win32::utf8Arguments(argc, argv), out, err);
  out.flush();
  if (!out || !outBuffer.finish()) {
    err << "delaysub-calc: the answer could not be written\n";
    errBuffer.finish();
    return delaysub::calc::kExitFailed;
  }
  errBuffer.finish();
  return status;
}
