// The benchmark program: start-up and memory of the calculator against an
// empty window of the same size, the response of the window to one user
// action, and the calculation core alone.
#pragma once

#include <string>
#include <vector>

#include "window/layout.h"

namespace delaysub::bench {

// Client area of the window, in pixels at 96 dpi.
inline constexpr int kWindowWidth = window::kClientWidthTwips / window::kTwipsPerPixel;
inline constexpr int kWindowHeight = window::kClientHeightTwips / window::kTwipsPerPixel;

// CLOCK_MONOTONIC in nanoseconds: one clock for the parent and its children.
long long monotonicNs();

// A "Name:   123 kB" line of a /proc/.../status file, in KiB (-1 when missing).
long statusKiB(const std::string& file, const std::string& name);

// Median and 99th percentile (nearest rank) of a set of samples.
struct Summary {
  double median = 0;
  double p99 = 0;
  std::size_t count = 0;
};
Summary summarize(std::vector<double> samples);

// What a child reports once its window has painted its first frame.
struct StartSample {
  double execToPaintMs = 0;  // from the parent's spawn to the painted frame
  double mainToPaintMs = 0;  // from the top of main to the painted frame
  double rssKiB = 0;         // resident set after the painted frame
  double anonKiB = 0;        // its anonymous part (heap, stacks): not shared with others
};

// Child mode: "delaysub", "bare", or "label" (the empty window with one line
// of text in the calculator's font, to tell the cost of text apart). Shows the window, waits for
// its first painted frame and prints one line "main_ns=... paint_ns=... rss_kib=...". mainNs:
// monotonicNs() taken at the top of main.
int runChild(const std::string& mode, long long mainNs, int argc, char* argv[]);

// Spawns this program in child mode and reads its report. Returns false when
// the child failed; why goes to standard error.
bool spawnChild(const std::string& self, const std::string& mode, StartSample& sample);

// One user action, timed over many alternating repeats. The window columns
// time the input as the user's arrives: key and mouse events delivered to
// the widgets.
struct ResponseRow {
  std::string action;
  Summary formAlone;  // the form's handlers without widgets
  // From the input event that fires the handler (the keystroke, the click's
  // release) until the last handler of its chain has returned, the widgets
  // following every write.
  Summary window;
  Summary bare;  // the same input on bare widgets of the same kinds, nothing connected
  // From the first input event (key or mouse press) until the changed frame
  // is painted and flushed.
  Summary repainted;
  Summary bareRepainted;
  double paintsPerAction = 0;  // widget paint events per action
  double barePaintsPerAction = 0;
};
// Needs a QApplication. samples: timed repeats per action and variant.
// Empty when an input did not reach its handler (why goes to standard error).
std::vector<ResponseRow> measureResponse(int samples);

// One program started from outside: from its spawn until the X server maps
// its window, and its resident set settleMs after that (medians).
struct OutsideRow {
  std::string name;
  std::vector<std::string> command;
  double startMs = 0;
  double rssKiB = 0;
  double fileKiB = 0;  // the part of the resident set that maps files
};
// Needs an X display (DISPLAY). The programs take turns, the order rotating
// every round, after one unrecorded start of each. False when a program did
// not start or map a window (why goes to standard error).
bool measureOutside(std::vector<OutsideRow>& rows, int rounds, int settleMs);
// Window mode: "bare" (an empty window of the calculator's size) or "label"
// (the same with one label in the calculator's font), shown until it is
// closed or terminated.
int runWindow(const std::string& mode, int argc, char* argv[]);
// The full path of a program found on PATH, or "".
std::string programOnPath(const std::string& name);

// Calculations per second of the core alone.
struct CoreRow {
  std::string computation;
  double callsPerSecond = 0;  // median over the rounds
};
std::vector<CoreRow> measureCore(int rounds, double secondsPerRound);

}  // namespace delaysub::bench
