// delaysub_bench: measures, in one run, the calculator against an empty
// window of the same size on the same machine, and prints one table: start
// and memory (fresh child processes), response to user input (real widget
// events), and the calculation core alone. scripts/bench.sh builds and runs it.
//
//   delaysub_bench [--starts N] [--samples N] [--core-rounds N] [--rounds N]
//   delaysub_bench --child delaysub|bare|label   (one start, used by the run)
//   delaysub_bench --window bare|label           (a window shown until closed)
#include <unistd.h>

#include <QApplication>
#include <QGuiApplication>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench.h"
#include "window/qt_window.h"

namespace delaysub::bench {

Summary summarize(std::vector<double> samples) {
  Summary summary;
  summary.count = samples.size();
  if (samples.empty()) {
    return summary;
  }
  std::sort(samples.begin(), samples.end());
  const std::size_t n = samples.size();
  summary.median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2.0;
  // Nearest rank: the smallest sample with at least 99 % of them at or below it.
  const std::size_t rank = (99 * n + 99) / 100;
  summary.p99 = samples[std::min(n, std::max<std::size_t>(rank, 1)) - 1];
  return summary;
}

namespace {

// Targets.
constexpr double kStartRatioLimit = 1.15;
constexpr double kMemoryLimitMiB = 4.0;
constexpr double kResponseLimitUs = 100.0;
// From outside, against the window with one label in the calculator's font.
constexpr double kOutsideStartRatioLimit = 1.10;
constexpr double kOutsideMemoryLimitMiB = 1.0;
constexpr int kSettleMs = 300;  // from the mapped window to the resident set
// Peer calculators, started when they are installed.
constexpr const char* kPeers[] = {"galculator", "speedcrunch", "gnome-calculator", "kcalc"};

struct Options {
  int starts = 21;
  int samples = 2000;
  int coreRounds = 7;
  int rounds = 14;  // starts from outside of each program
};

std::string selfPath() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return path;
}

bool parse(int argc, char* argv[], Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    int* target = arg == "--starts"        ? &options.starts
                  : arg == "--samples"     ? &options.samples
                  : arg == "--core-rounds" ? &options.coreRounds
                  : arg == "--rounds"      ? &options.rounds
                                           : nullptr;
    if (!target || i + 1 >= argc || std::atoi(argv[i + 1]) < 1) {
      std::fprintf(stderr,
                   "usage: delaysub_bench [--starts N] [--samples N] [--core-rounds N] "
                   "[--rounds N]\n");
      return false;
    }
    *target = std::atoi(argv[++i]);
  }
  return true;
}

int run(const Options& options, int argc, char* argv[]) {
  const std::string self = selfPath();

  // Start and memory: fresh processes, the windows taking turns (the order
  // rotates every round), after one unrecorded start of each.
  constexpr int kModes = 3;
  const char* modes[kModes] = {"delaysub", "bare", "label"};
  std::vector<double> mainMs[kModes], execMs[kModes], rssKiB[kModes], anonKiB[kModes];
  for (int round = -1; round < options.starts; ++round) {
    for (int k = 0; k < kModes; ++k) {
      const int m = (k + std::max(round, 0)) % kModes;
      StartSample sample;
      if (!spawnChild(self, modes[m], sample)) {
        return 1;
      }
      if (round < 0) {
        continue;
      }
      mainMs[m].push_back(sample.mainToPaintMs);
      execMs[m].push_back(sample.execToPaintMs);
      rssKiB[m].push_back(sample.rssKiB);
      anonKiB[m].push_back(sample.anonKiB);
    }
  }
  auto medians = [](const std::vector<double>* samples) {
    std::vector<double> m;
    for (int k = 0; k < kModes; ++k) {
      m.push_back(summarize(samples[k]).median);
    }
    return m;
  };
  const std::vector<double> mainMed = medians(mainMs), execMed = medians(execMs);
  const std::vector<double> rssMedKiB = medians(rssKiB), anonMedKiB = medians(anonKiB);

  // From outside, on the X display: the program itself, the two plain
  // windows, and the peers that are installed.
  std::vector<OutsideRow> outside;
  const bool onX = std::getenv("DISPLAY") && qEnvironmentVariable("QT_QPA_PLATFORM") != "offscreen";
  if (onX) {
    outside.push_back({"DelaySUB", {DELAYSUB_PROGRAM}});
    outside.push_back({"one-label window", {self, "--window", "label"}});
    outside.push_back({"empty window", {self, "--window", "bare"}});
    for (const char* peer : kPeers) {
      if (const std::string path = programOnPath(peer); !path.empty()) {
        outside.push_back({peer, {path}});
      }
    }
    if (!measureOutside(outside, options.rounds, kSettleMs)) {
      return 1;
    }
  }

  // Response: the window as the program shows it.
  QApplication app(argc, argv);
  window::DelaySubWindow::setUpApplication();
  const std::vector<ResponseRow> response = measureResponse(options.samples);
  if (response.empty()) {
    return 1;
  }
  const std::string platform = QGuiApplication::platformName().toStdString();

  const std::vector<CoreRow> core = measureCore(options.coreRounds, 0.3);

  const double mainRatio = mainMed[0] / mainMed[1];
  const double extraMiB = (rssMedKiB[0] - rssMedKiB[1]) / 1024.0;
  bool met = true;
  auto verdict = [&met](bool pass) {
    met = met && pass;
    return pass ? "PASS" : "MISS";
  };

  std::printf("DelaySUB benchmark: the calculator against an empty Qt window of the same size\n");
  std::printf("Qt %s, platform %s, window %d x %d; %d starts of each window in a fresh process,\n",
              qVersion(), platform.c_str(), kWindowWidth, kWindowHeight, options.starts);
  std::printf("medians; %d timed repeats of each action\n\n", options.samples);

  std::printf("%-40s %10s %10s %11s  %-10s %s\n", "Measure", "DelaySUB", "bare", "vs bare",
              "target", "result");
  std::printf("%-40s %7.1f ms %7.1f ms %10.2fx  %-10s %s\n", "Start: top of main -> first frame",
              mainMed[0], mainMed[1], mainRatio, "<= 1.15x",
              verdict(mainRatio <= kStartRatioLimit));
  std::printf("%-40s %6.1f MiB %6.1f MiB %+7.1f MiB  %-10s %s\n",
              "Memory: resident set after first frame", rssMedKiB[0] / 1024.0,
              rssMedKiB[1] / 1024.0, extraMiB, "<= +4 MiB", verdict(extraMiB <= kMemoryLimitMiB));
  std::printf(
      "Response: input event -> end of its handler chain, in microseconds (bare: the same\n"
      "input on bare widgets of the same kinds, nothing connected)\n");
  for (const ResponseRow& row : response) {
    const std::pair<const char*, double Summary::*> stats[] = {{"median", &Summary::median},
                                                               {"p99", &Summary::p99}};
    for (const auto& [stat, field] : stats) {
      const double mine = row.window.*field, floor = row.bare.*field;
      const std::string label = "  " + row.action + ", " + stat;
      std::printf("%-40s %7.1f us %7.1f us %+8.1f us  %-10s %s\n", label.c_str(), mine, floor,
                  mine - floor, "< 100 us", verdict(mine < kResponseLimitUs));
    }
  }

  if (onX) {
    const OutsideRow& mine = outside[0];
    const OutsideRow& label = outside[1];
    std::printf(
        "\nFrom outside: process spawn -> window mapped by the X server, and the resident set\n"
        "%d ms later; %d starts of each program, taking turns; medians\n",
        kSettleMs, options.rounds);
    std::printf("  %-22s %10s %12s %12s\n", "Program", "start", "resident", "of it files");
    for (const OutsideRow& row : outside) {
      std::printf("  %-22s %7.1f ms %8.1f MiB %8.1f MiB\n", row.name.c_str(), row.startMs,
                  row.rssKiB / 1024.0, row.fileKiB / 1024.0);
    }
    const double ratio = mine.startMs / label.startMs;
    const double extra = (mine.rssKiB - label.rssKiB) / 1024.0;
    std::printf("%-40s %10.2fx  %-22s %s\n", "  start against the one-label window", ratio,
                "<= 1.10x", verdict(ratio <= kOutsideStartRatioLimit));
    std::printf("%-40s %+7.1f MiB  %-22s %s\n", "  memory against the one-label window", extra,
                "<= +1 MiB", verdict(extra <= kOutsideMemoryLimitMiB));
    for (std::size_t i = 3; i < outside.size(); ++i) {
      const std::string label2 = "  start against " + outside[i].name;
      std::printf("%-40s %10.2fx  %-22s %s\n", label2.c_str(), mine.startMs / outside[i].startMs,
                  "< 1x (ahead)", verdict(mine.startMs < outside[i].startMs));
    }
    if (outside.size() == 3) {
      std::printf("  no peer calculator installed (galculator, speedcrunch, ...): none compared\n");
    }
  } else {
    std::printf(
        "\nFrom outside: skipped (needs an X display; bench.sh starts Xvfb when installed)\n");
  }

  std::printf("\nFor information\n");
  std::printf("%-40s %7.1f ms %7.1f ms %10.2fx\n", "Start: process spawn -> first frame",
              execMed[0], execMed[1], execMed[0] / execMed[1]);
  std::printf("%-40s %6.1f MiB %6.1f MiB %+7.1f MiB\n", "Memory: anonymous part (heap, stacks)",
              anonMedKiB[0] / 1024.0, anonMedKiB[1] / 1024.0,
              (anonMedKiB[0] - anonMedKiB[1]) / 1024.0);
  std::printf("Bare window with one line of text in the calculator's font (its CJK face):\n");
  std::printf("%-40s %7.1f ms %7.1f ms %10.2fx\n", "  start: top of main -> first frame",
              mainMed[0], mainMed[2], mainMed[0] / mainMed[2]);
  std::printf("%-40s %6.1f MiB %6.1f MiB %+7.1f MiB\n", "  resident set after first frame",
              rssMedKiB[0] / 1024.0, rssMedKiB[2] / 1024.0, (rssMedKiB[0] - rssMedKiB[2]) / 1024.0);
  std::printf(
      "Response, first input event -> changed frame painted and flushed (us),\n"
      "and the form's handlers alone without widgets (us):\n");
  std::printf("  %-16s %17s %17s %15s %15s\n", "", "DelaySUB med/p99", "bare med/p99",
              "paints/action", "form med/p99");
  for (const ResponseRow& row : response) {
    std::printf("  %-16s %8.1f %8.1f %8.1f %8.1f %7.1f %7.1f %7.2f %7.2f\n", row.action.c_str(),
                row.repainted.median, row.repainted.p99, row.bareRepainted.median,
                row.bareRepainted.p99, row.paintsPerAction, row.barePaintsPerAction,
                row.formAlone.median, row.formAlone.p99);
  }

  std::printf("\n%-40s %14s\n", "Core alone, median of rounds", "calls/second");
  for (const CoreRow& row : core) {
    std::printf("  %-38s %14.0f\n", row.computation.c_str(), row.callsPerSecond);
  }

  std::printf("\nTargets: %s\n", met ? "all PASS" : "some MISS (see above)");
  return 0;
}

}  // namespace

}  // namespace delaysub::bench

int main(int argc, char* argv[]) {
  const long long mainNs = delaysub::bench::monotonicNs();
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
    return delaysub::bench::runChild(argv[2], mainNs, argc, argv);
  }
  if (argc == 3 && std::strcmp(argv[1], "--window") == 0) {
    return delaysub::bench::runWindow(argv[2], argc, argv);
  }
  delaysub::bench::Options options;
  if (!delaysub::bench::parse(argc, argv, options)) {
    return 2;
  }
  return delaysub::bench::run(options, argc, argv);
}
