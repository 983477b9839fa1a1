// From a wanted baud rate to the timer reload values nearest it, beside the
// result box's own text for the same baud text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/domain.h"
#include "core/result.h"

namespace delaysub::design {

using core::Core;
using core::Result;

// Receiver tolerance for "within tolerance", in percent of the wanted rate.
inline constexpr double kBaudTolerancePercent = 2.0;

struct ReloadOption {
  int doubler = 0;          // SMOD for the 8051 cores, U2X for AVR
  std::int32_t reload = 0;  // TH1 in 0..255, UBRR in 0..4095
  std::string text;         // as the result box writes it: "TH1 = 0F9H", "UBRR = 67H"
  double actualBaud = 0.0;
  double errorPercent = 0.0;  // (actual - wanted) / wanted * 100
  bool withinTolerance = false;
};

// For SMOD (8051 cores) or U2X (AVR) 0 and 1, the whole reload value whose
// rate is nearest the wanted one (ties to the smaller reload value):
//   8051: 2^SMOD * Fosc * 10^6 / (384 * (256 - TH1)), TH1 in 0..255;
//   AVR:  Fosc * 10^6 / (16 * (UBRR + 1)), 8 instead of 16 with U2X.
// Empty for a wanted rate or a crystal that is not above 0.
std::vector<ReloadOption> nearestReloads(Core core, float Fosc, double wantedBaud);
// The option with the smallest |error|, ties to SMOD 0 / U2X 0.
std::optional<std::size_t> bestReload(const std::vector<ReloadOption>& options);

// The baud result for one baud text: what the result box shows and the
// nearest options.
struct BaudAnswer {
  double wantedBaud = 0.0;  // the baud text read by the number rules
  bool smod0Selected = true;
  // The result box's text, or the error the window raises.
  Result<std::string> window;
  std::vector<ReloadOption> options;
  std::optional<std::size_t> best;
};
BaudAnswer baudAnswer(Core core, float Fosc, std::string_view baudText, bool smod0Selected);
// One answer for each rate of the window's baud list, with SMOD 0 selected.
std::vector<BaudAnswer> baudTable(Core core, float Fosc);

}  // namespace delaysub::design
