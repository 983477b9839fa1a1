// How the design tools write their numbers for a person.
#pragma once

#include <string>

namespace delaysub::design {

// An error in percent with its sign and two decimals: "+0.16 %", "-6.99 %".
std::string percentText(double percent);
// A tolerance as the hints and the command line name it: "±2 %".
std::string toleranceText(double percent);
// A rate with two decimals: "8928.57".
std::string twoDecimals(double v);
// A number for a person, in at most 15 significant digits: 9600, 0.5, 1e+300.
std::string shortNumber(double v);

}  // namespace delaysub::design
