// Fuzz target for delaysub-calc's command line, run in-process.
//
// Input: the arguments, separated by NUL bytes (any other bytes, any length).
// Whatever the arguments, the program must end with status 0, 1 or 2 and
// never throw; a usage error writes nothing on standard output and one line
// on standard error that points to --help; a run-time error says why on
// standard error; a JSON answer is one valid JSON object (an array for
// chips). A delay routine that `code` prints takes some clocks and ends
// with its figures.
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "calc/calc.h"
#include "fuzz/fuzz_check.h"

namespace {

using delaysub::fuzz::check;

constexpr std::size_t kMostArguments = 64;

bool oneLine(const std::string& text) {
  return !text.empty() && text.find('\n') == text.size() - 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> args;
  std::size_t start = 0;
  while (start <= input.size() && args.size() < kMostArguments) {
    std::size_t end = input.find('\0', start);
    if (end == std::string_view::npos) {
      end = input.size();
    }
    args.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }

  std::ostringstream out, err;
  const int status = delaysub::calc::runCalc(args, out, err);
  const std::string o = out.str(), e = err.str();
  check(status == delaysub::calc::kExitOk || status == delaysub::calc::kExitFailed ||
        status == delaysub::calc::kExitUsage);
  if (status == delaysub::calc::kExitUsage) {
    check(o.empty());
    check(oneLine(e));
    check(e.ends_with("--help'\n"));
  }
  if (status == delaysub::calc::kExitFailed) {
    check(!e.empty());
  }
  if (status == delaysub::calc::kExitOk) {
    check(!o.empty());
    check(e.empty());
  }
  if (o.starts_with("{") || o.starts_with("[")) {
    check(nlohmann::json::accept(o));
  }
  if (status == delaysub::calc::kExitOk && !args.empty() && args[0] == "code") {
    if (o.starts_with("{")) {
      const nlohmann::json j = nlohmann::json::parse(o);
      check(j.at("clocks").get<std::uint64_t>() > 0);
      check(!j.at("code").get<std::string>().empty());
    } else if (!o.starts_with("a delay routine")) {  // not the help
      check(o.find("clocks   ") != std::string::npos && o.ends_with("\n"));
    }
  }
  return 0;
}
