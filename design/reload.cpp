#include "design/reload.h"

#include <cmath>

#include "core/baud.h"
#include "core/lists.h"
#include "core/numbers.h"
#include "design/nearest.h"

namespace delaysub::design {

namespace {

// The reload value 0..last whose rate(reload) is nearest the wanted rate.
template <class Rate>
ReloadOption nearest(int doubler, std::int32_t last, double wanted, Rate rate) {
  ReloadOption o;
  o.doubler = doubler;
  o.reload = nearestTo(wanted, 0, last, rate);
  o.actualBaud = rate(o.reload);
  o.errorPercent = errorPercentOf(o.actualBaud, wanted);
  o.withinTolerance = std::fabs(o.errorPercent) <= kBaudTolerancePercent;
  return o;
}

// Timer 1 of the 8051 cores with SMOD 0 or 1.
ReloadOption th1Option(int smod, double hertz, double wantedBaud) {
  const double clock = std::ldexp(hertz, smod) / 384.0;
  ReloadOption o = nearest(smod, core::kByteMax, wantedBaud,
                           [clock](std::int32_t th1) { return clock / (256 - th1); });
  o.text = core::th1Text(o.reload);
  return o;
}

// The AVR's UBRR with U2X 0 or 1.
ReloadOption ubrrOption(int u2x, double hertz, double wantedBaud) {
  const double clock = hertz / (u2x == 0 ? 16.0 : 8.0);
  ReloadOption o = nearest(u2x, core::kUbrrMax, wantedBaud,
                           [clock](std::int32_t ubrr) { return clock / (ubrr + 1); });
  o.text = core::ubrrText(o.reload);
  return o;
}

}  // namespace

std::vector<ReloadOption> nearestReloads(Core core, float Fosc, double wantedBaud) {
  std::vector<ReloadOption> options;
  // No crystal (or a negative one) gives no rate at all: nothing is nearest.
  if (!(wantedBaud > 0.0) || !std::isfinite(wantedBaud) || !(Fosc > 0.0f) || !std::isfinite(Fosc)) {
    return options;
  }
  const double hertz = static_cast<double>(Fosc) * 1e6;
  for (int doubler = 0; doubler <= 1; ++doubler) {
    options.push_back(core::isAvr(core) ? ubrrOption(doubler, hertz, wantedBaud)
                                        : th1Option(doubler, hertz, wantedBaud));
  }
  return options;
}

std::optional<std::size_t> bestReload(const std::vector<ReloadOption>& options) {
  std::optional<std::size_t> best;
  for (std::size_t i = 0; i < options.size(); ++i) {
    if (!best || std::fabs(options[i].errorPercent) < std::fabs(options[*best].errorPercent)) {
      best = i;
    }
  }
  return best;
}

BaudAnswer baudAnswer(Core core, float Fosc, std::string_view baudText, bool smod0Selected) {
  BaudAnswer a;
  a.wantedBaud = core::readNumber(baudText);
  a.smod0Selected = smod0Selected;
  a.window = core::reloadText(core, Fosc, baudText, smod0Selected);
  a.options = nearestReloads(core, Fosc, a.wantedBaud);
  a.best = bestReload(a.options);
  return a;
}

std::vector<BaudAnswer> baudTable(Core core, float Fosc) {
  std::vector<BaudAnswer> rows;
  for (std::string_view baud : core::kBaudList) {
    rows.push_back(baudAnswer(core, Fosc, baud, true));
  }
  return rows;
}

}  // namespace delaysub::design
