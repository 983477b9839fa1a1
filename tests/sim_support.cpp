#include "sim_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <regex>
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

// Globals of an sdld map file: "C:   00000062  _main   main" as sdcc
// links, "     00000103  CALL1     |    00000106  HERE" as sdld alone.
std::map<std::string, std::uint16_t> readMap(const fs::path& p) {
  std::map<std::string, std::uint16_t> symbols;
  const std::regex entry(R"((?:^|\s)([0-9A-Fa-f]{8})\s+([A-Za-z_][\w]*))");
  const std::string text = readFile(p);
  for (std::sregex_iterator i(text.begin(), text.end(), entry), end; i != end; ++i) {
    symbols[(*i)[2]] = static_cast<std::uint16_t>(std::stoul((*i)[1], nullptr, 16));
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
  const std::regex label(R"(^([A-Za-z_]\w*):)");
  std::istringstream in(readFile(p));
  std::string line;
  std::smatch m;
  while (std::getline(in, line)) {
    const std::string source = line.size() > kSourceColumn ? line.substr(kSourceColumn) : "";
    if (std::regex_search(source, m, label)) {
      pending.push_back(m[1]);
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
  const std::regex stop(R"(Stop at 0x0*([0-9a-fA-F]+): \(\d+\) Breakpoint)");
  const std::regex total(R"(Total time since last reset= [0-9.e+-]+ sec \((\d+) clks\))");
  std::vector<std::uint64_t> stops;
  std::vector<std::uint64_t> clocks;
  for (std::sregex_iterator i(r.output.begin(), r.output.end(), stop), end; i != end; ++i) {
    stops.push_back(std::stoull((*i)[1], nullptr, 16));
  }
  for (std::sregex_iterator i(r.output.begin(), r.output.end(), total), end; i != end; ++i) {
    clocks.push_back(std::stoull((*i)[1]));
  }
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

}  // namespace delaysub::simtest
