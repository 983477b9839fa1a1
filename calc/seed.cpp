// seed: the seed and nesting nearest a wanted delay.
#include <optional>
#include <string>
#include <vector>

#include "calc/args.h"
#include "calc/subcommand.h"
#include "core/numbers.h"
#include "design/seed.h"
#include "design/texts.h"

namespace delaysub::calc {

namespace {

using design::DepthSolution;

std::string depthAndSeed(const DepthSolution& s, std::int32_t X) {
  return std::string(core::nestingName(s.nesting)) + ", X = " + std::to_string(X);
}

// The JSON fields and the text line of a depth whose delays compute.
std::string computedDepth(const DepthSolution& s, bool best, Json& j) {
  j["reachable"] = s.reachable;
  j["min_us"] = s.minUs;
  j["max_us"] = s.maxUs;
  if (!s.reachable) {
    return "unreachable: " + std::to_string(s.minUs) + ".." + std::to_string(s.maxUs) + " us";
  }
  const std::string hex = core::hexText(s.X);
  j["seed"] = s.X;
  j["seed_hex"] = hex;
  j["delay_us"] = s.T;
  j["error_percent"] = s.errorPercent;
  std::string line = padRight("X = " + std::to_string(s.X) + " (hex " + hex + ")", 16) +
                     padLeft(std::to_string(s.T), 10) + " us  " +
                     padLeft(design::percentText(s.errorPercent), 9);
  return best ? line + "  best" : line;
}

// The depths looked at: the shortest and longest delays among those that
// compute, and the first error of those that do not.
struct Extremes {
  const DepthSolution* shortest = nullptr;
  const DepthSolution* longest = nullptr;
  core::RunError firstError = core::RunError::None;

  void add(const DepthSolution& s) {
    if (s.error != core::RunError::None) {
      if (firstError == core::RunError::None) {
        firstError = s.error;
      }
      return;
    }
    if (!shortest || s.minUs < shortest->minUs) {
      shortest = &s;
    }
    if (!longest || s.maxUs > longest->maxUs) {
      longest = &s;
    }
  }
};

class Seed : public Subcommand {
 public:
  void declare(CLI::App& sub) override {
    addCore(sub, core_);
    addCrystal(sub, crystal_, "crystal in MHz")->required();
    sub.add_option("--time", time_, "wanted delay, e.g. 10ms, 250us, 0.5s")
        ->type_name("TIME")
        ->required();
    addLoops(sub, loops_, "only this nesting depth: 1, 2 or 3");
  }

  int run(Answer& a) override {
    const core::Core k = coreOf(core_);
    const double target = targetOf(time_);
    std::vector<core::Nesting> depths;
    for (const core::NestingInfo& n : core::kNestings) {
      depths.push_back(n.nesting);
    }
    if (!loops_.empty()) {
      depths = {nestingOf(loops_)};
    }
    const float Fosc = core::crystalFrequency(crystal_);
    a.describeCore(k);
    a.describeCrystal(Fosc);
    a.json["target_us"] = target;
    a.text += labelled("target", design::shortNumber(target) + " us");

    std::vector<DepthSolution> solutions;
    for (core::Nesting nesting : depths) {
      solutions.push_back(design::seedForDelay(k, nesting, Fosc, target));
    }
    const std::optional<std::size_t> best = design::bestDepth(solutions);
    const Extremes extremes = list(solutions, best, a);
    if (extremes.shortest) {
      a.noteDelaysOf(k);
    }
    if (best) {
      const DepthSolution& b = solutions[*best];
      a.json["best"] = Json{{"loops", core::loopsOf(b.nesting)},
                            {"seed", b.X},
                            {"seed_hex", core::hexText(b.X)},
                            {"delay_us", b.T},
                            {"error_percent", b.errorPercent}};
      return a.done();
    }
    if (!extremes.shortest) {
      return a.fail(extremes.firstError);  // no depth could be computed at all
    }
    a.json["best"] = nullptr;
    return a.failWith(unreachable(target, extremes));
  }

 private:
  // One line and one JSON object for each depth.
  static Extremes list(const std::vector<DepthSolution>& solutions, std::optional<std::size_t> best,
                       Answer& a) {
    Json list = Json::array();
    Extremes extremes;
    for (std::size_t i = 0; i < solutions.size(); ++i) {
      const DepthSolution& s = solutions[i];
      extremes.add(s);
      Json j{{"loops", core::loopsOf(s.nesting)}};
      std::string line;
      if (s.error != core::RunError::None) {
        j["reachable"] = false;
        j["min_us"] = nullptr;
        j["max_us"] = nullptr;
        j["error"] = errorJson(s.error);
        line = errorLine(s.error);
      } else {
        line = computedDepth(s, best == i, j);
      }
      list.push_back(std::move(j));
      a.text += padRight(core::nestingName(s.nesting), 13) + line + "\n";
    }
    a.json["solutions"] = std::move(list);
    return extremes;
  }

  static std::string unreachable(double target, const Extremes& e) {
    return "no nesting depth reaches " + design::shortNumber(target) +
           " us: the shortest delay is " + std::to_string(e.shortest->minUs) + " us (" +
           depthAndSeed(*e.shortest, e.shortest->minX) + "), the longest delay is " +
           std::to_string(e.longest->maxUs) + " us (" + depthAndSeed(*e.longest, e.longest->maxX) +
           ")";
  }

  std::string core_, crystal_, time_, loops_;
};

}  // namespace

std::unique_ptr<Subcommand> makeSeed() {
  return std::make_unique<Seed>();
}

}  // namespace delaysub::calc
