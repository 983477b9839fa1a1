// What the tests of delaysub-calc share: one run of the program in process,
// its exit status and the bytes it wrote.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace delaysub::calc::test {

struct Outcome {
  int status;
  std::string out, err;
  nlohmann::json json() const { return nlohmann::json::parse(out); }
};

// runCalc with these arguments (no program name).
Outcome calc(const std::vector<std::string>& args);

// The arguments as one line, for test names and messages.
std::string joined(const std::vector<std::string>& args);

}  // namespace delaysub::calc::test
