// delaysub-calc: the calculator on the command line.
#include <iostream>
#include <string>
#include <vector>

#include "calc/calc.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = delaysub::calc::runCalc(args, std::cout, std::cerr);
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "delaysub-calc: the answer could not be written\n";
    return delaysub::calc::kExitFailed;
  }
  return status;
}
