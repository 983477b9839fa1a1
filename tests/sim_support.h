// Building 8051 code with the real tools (as31, sdas8051 + sdld, sdcc) and
// running it in SDCC's simulator s51, for the tests that prove generated
// code. Every function throws std::runtime_error with the tool's own output
// when a tool fails; missingTools() names the tools not installed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace delaysub::simtest {

// The tools of names that are not on PATH, with the Debian package that
// brings each ("as31 (package as31)"), joined by ", "; empty when all are.
std::string missingTools(const std::vector<std::string>& names);

// A fresh directory under the system's temporary directory, removed again.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void write(const std::string& name, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

// Code memory as an Intel HEX file fills it, and the symbols the build
// names (labels of the as31 listing, globals of the sdld/sdcc map).
struct Image {
  std::filesystem::path hex;
  std::map<std::uint16_t, std::uint8_t> code;
  std::map<std::string, std::uint16_t> symbols;
  std::vector<std::uint8_t> bytes(std::uint16_t at, std::size_t n) const;
  std::uint16_t symbol(const std::string& name) const;  // throws when absent
};

// as31 on name.asm in dir (A51 syntax).
Image buildAs31(const TempDir& dir, const std::string& source);
// sdas8051 and sdld on name.asm in dir (SDCC's assembler syntax).
Image buildSdas(const TempDir& dir, const std::string& source);
// sdcc -mmcs51: each C file compiled, main.c linked with the others.
Image buildSdcc(const TempDir& dir, const std::map<std::string, std::string>& files);

// Clocks s51 (-t cpu: "8051", "DS320", ...) counts from the start of the
// instruction at first to the start of the instruction at second, in two
// runs from reset: one stopped at first, one stopped only at second. A
// breakpoint charges the instruction it stops at on some models (DS320), so
// the instructions at first and second must be alike (two LCALLs of the
// same routine, or an instruction and its copy): their charges cancel.
std::uint64_t clocksBetween(const TempDir& dir, const Image& image, const std::string& cpu,
                            std::uint16_t first, std::uint16_t second);

// A test's name of the text: every character but a letter or digit as "_".
std::string testName(std::string text);

// What s51 (-t cpu) prints when it runs image with the commands, one a line
// ("quit" follows them).
std::string runS51(const TempDir& dir, const Image& image, const std::string& cpu,
                   const std::string& commands);

// Read from s51's output, in their order: the addresses of its breakpoint
// stops ("Stop at 0x0103: (4) Breakpoint"), and the clocks counted since
// reset at each "state" ("Total time since last reset= 0.0001 sec (1200
// clks)").
std::vector<std::uint64_t> breakpointStops(const std::string& output);
std::vector<std::uint64_t> clocksAtStops(const std::string& output);

}  // namespace delaysub::simtest
