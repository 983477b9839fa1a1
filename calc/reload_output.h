// The reload values of a baud answer as baud and table write them.
#pragma once

#include <string>

#include "calc/output.h"
#include "design/reload.h"

namespace delaysub::calc {

// "SMOD 1" for the 8051 cores, "U2X 1" for AVR.
std::string doublerName(core::Core core, int doubler);
// The object of one baud answer; the error when the window raises one.
Json baudJson(core::Core core, const design::BaudAnswer& a);
// "SMOD 1   TH1 = 0F9H     8928.57 baud     -6.99 %".
std::string optionLine(core::Core core, const design::ReloadOption& o);

}  // namespace delaysub::calc
