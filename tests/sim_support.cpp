#include "sim_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace delaysub::simtest {

namespace fs = std::filesystem;

namespace {

struct Run {
  int status = -1;
  std::string output;
};

// Runs a shell command in dir with standard error joined to standard output.
Run run(const fs::path& dir, const std::string& command) {
  const std::string line = "cd '" + dir.string() + "' && " + command + " 2>&1";
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) {
    throw std::runtime_error("cannot run: " + command);
  }
  Run r;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
    r.output.append(buffer.data(), n);
  }
  const int status = pclose(pipe);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

Run mustRun(const fs::path& dir, const std::string& command) {
  Run r = run(dir, command);
  if (r.status != 0) {
    throw std::runtime_error(command + " failed (" + std::to_string(r.status) + "):\n" + r.output);
  }
  return r;
}

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

unsigned hexValue(const std::string& text, std::size_t at, std::size_t n) {
  return static_cast<unsigned>(std::stoul(text.substr(at, n), nullptr, 16));
}

std::map<std::uint16_t, std::uint8_t> readIntelHex(const fs::path& p) {
  std::map<std::uint16_t, std::uint8_t> code;
  std::istringstream in(readFile(p));
  std::string line;
  while (std::getline(in, line)) {
    if (line.size() < 11 || line[0] != ':' || hexValue(line, 7, 2) != 0) {
      continue;  // not a data record
    }
    const unsigned count = hexValue(line, 1, 2);
    const unsigned address = hexValue(line, 3, 4);
    for (unsigned i = 0; i < count; ++i) {
      code[static_cast<std::uint16_t>(address + i)] =
          static_cast<std::uint8_t>(hexValue(line, 9 + 2 * i, 2));
    }
  }
  return code;
}

bool isHex(const std::string& word) {
  return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
  });
}

bool isWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The identifier (a letter or "_", then letters, digits, "_") that starts
// at text[at]; empty when none does.
std::string identifierAt(const std::string& text, std::size_t at) {
  if (at >= text.size() || std::isdigit(static_cast<unsigned char>(text[at])) != 0 ||
      !isWordCharacter(text[at])) {
    return "";
  }
  std::size_t end = at;
  while (end < text.size() && isWordCharacter(text[end])) {
    ++end;
  }
  return text.substr(at, end - at);
}

// Globals of an sdld map file: "C:   00000062  _main   main" as sdcc
// links, "     00000103  CALL1     |    00000106  HERE" as sdld alone.
std::map<std::string, std::uint16_t> readMap(const fs::path& p) {
  std::map<std::string, std::uint16_t> symbols;
  std::istringstream words(readFile(p));
  std::string word;
  std::string address;
  while (words >> word) {
    if (address.size() == 8) {
      const std::string name = identifierAt(word, 0);
      if (!name.empty()) {
        symbols[name] = static_cast<std::uint16_t>(std::stoul(address, nullptr, 16));
      }
    }
    address = isHex(word) ? word : "";
  }
  return symbols;
}

// Labels of an as31 listing: the source from column 19, the address (of
// the line, or of the next line with code for a label alone) in front:
//   "0001: 80 FE        HERE:   SJMP HERE", "                   START:".
std::map<std::string, std::uint16_t> readAs31Listing(const fs::path& p) {
  constexpr std::size_t kSourceColumn = 19;
  std::map<std::string, std::uint16_t> symbols;
  std::vector<std::string> pending;
  std::istringstream in(readFile(p));
  std::string line;
  while (std::getline(in, line)) {
    const std::string source = line.size() > kSourceColumn ? line.substr(kSourceColumn) : "";
    const std::string label = identifierAt(source, 0);
    if (!label.empty() && source.size() > label.size() && source[label.size()] == ':') {
      pending.push_back(label);
    }
    if (line.size() > 5 && line[4] == ':' && line.find_first_not_of(' ', 5) < kSourceColumn) {
      for (const std::string& name : pending) {
        symbols[name] = static_cast<std::uint16_t>(std::stoul(line.substr(0, 4), nullptr, 16));
      }
      pending.clear();
    }
  }
  return symbols;
}

const std::map<std::string, std::string> kPackages{{"as31", "as31"},
                                                   {"sdas8051", "sdcc"},
                                                   {"sdld", "sdcc"},
                                                   {"sdcc", "sdcc"},
                                                   {"s51", "sdcc-ucsim"}};

}  // namespace

std::string missingTools(const std::vector<std::string>& names) {
  std::string missing;
  for (const std::string& name : names) {
    if (run(fs::temp_directory_path(), "command -v " + name).status != 0) {
      const auto package = kPackages.find(name);
      missing += (missing.empty() ? "" : ", ") + name +
                 (package != kPackages.end() ? " (package " + package->second + ")" : "");
    }
  }
  return missing;
}

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  path_ = fs::temp_directory_path() /
          ("delaysub-sim-" + std::to_string(getpid()) + "-" + std::to_string(counter++));
  fs::remove_all(path_);
  fs::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

void TempDir::write(const std::string& name, const std::string& text) const {
  std::ofstream(path_ / name, std::ios::binary) << text;
}

std::vector<std::uint8_t> Image::bytes(std::uint16_t at, std::size_t n) const {
  std::vector<std::uint8_t> out;
  for (std::size_t i = 0; i < n; ++i) {
    const auto found = code.find(static_cast<std::uint16_t>(at + i));
    out.push_back(found == code.end() ? 0xFF : found->second);
  }
  return out;
}

std::uint16_t Image::symbol(const std::string& name) const {
  const auto found = symbols.find(name);
  if (found == symbols.end()) {
    throw std::runtime_error("the build names no symbol " + name);
  }
  return found->second;
}

Image buildAs31(const TempDir& dir, const std::string& source) {
  dir.write("prog.asm", source);
  mustRun(dir.path(), "as31 -l prog.asm");
  Image image{dir.path() / "prog.hex", readIntelHex(dir.path() / "prog.hex"),
              readAs31Listing(dir.path() / "prog.lst")};
  return image;
}

Image buildSdas(const TempDir& dir, const std::string& source) {
  dir.write("prog.asm", source);
  mustRun(dir.path(), "sdas8051 -los prog.asm");
  mustRun(dir.path(), "sdld -n -m -i prog.ihx prog.rel");
  return {dir.path() / "prog.ihx", readIntelHex(dir.path() / "prog.ihx"),
          readMap(dir.path() / "prog.map")};
}

Image buildSdcc(const TempDir& dir, const std::map<std::string, std::string>& files) {
  std::string objects;
  for (const auto& [name, text] : files) {
    dir.write(name, text);
    if (name != "main.c") {
      mustRun(dir.path(), "sdcc -mmcs51 -c " + name);
      objects.append(" ").append(name.substr(0, name.size() - 2)).append(".rel");
    }
  }
  mustRun(dir.path(), "sdcc -mmcs51 main.c" + objects);
  return {dir.path() / "main.ihx", readIntelHex(dir.path() / "main.ihx"),
          readMap(dir.path() / "main.map")};
}

std::uint64_t clocksBetween(const TempDir& dir, const Image& image, const std::string& cpu,
                            std::uint16_t first, std::uint16_t second) {
  auto hex = [](std::uint16_t a) {
    std::ostringstream s;
    s << "0x" << std::hex << a;
    return s.str();
  };
  dir.write("run.cmd", "break " + hex(first) + "\nrun\nstate\nreset\ndelete\nbreak " + hex(second) +
                           "\nrun\nstate\nquit\n");
  // A routine that never returns would hang the test: s51 gets 10 minutes.
  const Run r = mustRun(dir.path(),
                        "timeout 600 s51 -t " + cpu + " -q '" + image.hex.string() + "' < run.cmd");
  const std::vector<std::uint64_t> stops = breakpointStops(r.output);
  const std::vector<std::uint64_t> clocks = clocksAtStops(r.output);
  if (stops != std::vector<std::uint64_t>{first, second} || clocks.size() != 2 ||
      clocks[1] < clocks[0]) {
    throw std::runtime_error("s51 did not stop at " + hex(first) + " and then " + hex(second) +
                             ":\n" + r.output);
  }
  return clocks[1] - clocks[0];
}

std::string testName(std::string text) {
  for (char& c : text) {
    if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
      c = '_';
    }
  }
  return text;
}

std::string runS51(const TempDir& dir, const Image& image, const std::string& cpu,
                   const std::string& commands) {
  dir.write("session.cmd", commands + "quit\n");
  // A breakpoint never reached would hang the test: s51 gets 2 minutes.
  return mustRun(dir.path(),
                 "timeout 120 s51 -t " + cpu + " -q '" + image.hex.string() + "' < session.cmd")
      .output;
}

namespace {

// The number in base 10 or 16 whose digits start at text[at], if any.
std::optional<std::uint64_t> numberAt(const std::string& text, std::size_t at, int base) {
  const auto isDigit = [base](char c) {
    const auto u = static_cast<unsigned char>(c);
    return (base == 16 ? std::isxdigit(u) : std::isdigit(u)) != 0;
  };
  std::size_t end = at;
  while (end < text.size() && isDigit(text[end])) {
    ++end;
  }
  if (end == at) {
    return std::nullopt;
  }
  return std::stoull(text.substr(at, end - at), nullptr, base);
}

// For every line of output that holds lead and then tail, the number (in
// base) that follows lead.
std::vector<std::uint64_t> numbersAfter(const std::string& output, const std::string& lead,
                                        const std::string& tail, int base) {
  std::vector<std::uint64_t> found;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find(lead);
    if (at == std::string::npos || line.find(tail, at + lead.size()) == std::string::npos) {
      continue;
    }
    if (const auto n = numberAt(line, at + lead.size(), base)) {
      found.push_back(*n);
    }
  }
  return found;
}

}  // namespace

std::vector<std::uint64_t> breakpointStops(const std::string& output) {
  return numbersAfter(output, "Stop at 0x", ") Breakpoint", 16);
}

std::vector<std::uint64_t> clocksAtStops(const std::string& output) {
  std::vector<std::uint64_t> clocks;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    const std::string lead = "Total time since last reset= ";
    const std::string count = " sec (";
    const std::size_t at = line.find(lead);
    const std::size_t open = at == std::string::npos ? at : line.find(count, at + lead.size());
    if (open == std::string::npos || line.find(" clks)", open) == std::string::npos) {
      continue;
    }
    if (const auto n = numberAt(line, open + count.size(), 10)) {
      clocks.push_back(*n);
    }
  }
  return clocks;
}

}  // namespace delaysub::simtest
