#include "calc_support.h"

#include <sstream>

#include "calc/calc.h"

namespace delaysub::calc::test {

Outcome calc(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  const int status = runCalc(args, out, err);
  return Outcome{status, out.str(), err.str()};
}

std::string joined(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) {
    text += (text.empty() ? "" : " ") + arg;
  }
  return text;
}

}  // namespace delaysub::calc::test
