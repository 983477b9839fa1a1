// Start-up and memory: each window in a fresh child process of this program.
//
// A start is timed on CLOCK_MONOTONIC, which the parent and its children
// share, from two points: the top of the child's main (the program's own
// start-up), and the parent's reading just before it spawns the child (adds
// exec, loading the Qt libraries and static initialisation). The start time
// in /proc/self/stat would serve for the latter, but it counts clock ticks
// of 10 ms, too coarse for starts of a few tens of milliseconds.
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>
#include <QWidget>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

#include "bench/bench.h"
#include "window/qt_window.h"

extern char** environ;

namespace delaysub::bench {

namespace {

constexpr int kChildTimeoutMs = 30000;

// Waits for the first paint event of the top-level window. The paint event is
// the first of the frame (the children follow it, then the frame is flushed
// to the display); a call queued from it runs once that whole frame is done.
class FirstFrame : public QObject {
 public:
  explicit FirstFrame(QWidget* window) : window_(window) { window->installEventFilter(this); }

  long long paintNs = 0;
  long rssKiB = 0;
  long anonKiB = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Paint && !seen_) {
      seen_ = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            paintNs = monotonicNs();
            rssKiB = statusKiB("/proc/self/status", "VmRSS");
            anonKiB = statusKiB("/proc/self/status", "RssAnon");
            QCoreApplication::quit();
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  QWidget* window_;
  bool seen_ = false;
};

}  // namespace

long statusKiB(const std::string& file, const std::string& name) {
  std::ifstream status(file);
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(name, 0) == 0 && line.size() > name.size() && line[name.size()] == ':') {
      return std::stol(line.substr(name.size() + 1));
    }
  }
  return -1;
}

long long monotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int runChild(const std::string& mode, long long mainNs, int argc, char* argv[]) {
  if (mode != "delaysub" && mode != "bare" && mode != "label") {
    std::fprintf(stderr, "delaysub_bench: unknown child mode '%s'\n", mode.c_str());
    return 2;
  }
  // What the program's own main (app/main.cpp) does, in the same order.
  QApplication app(argc, argv);
  std::unique_ptr<QWidget> window;
  if (mode == "delaysub") {
    window::DelaySubWindow::setUpApplication();
    window = std::make_unique<window::DelaySubWindow>();
  } else {
    // The empty window; "label" adds one line of text in the window's font.
    if (mode == "label") {
      QApplication::setFont(window::DelaySubWindow::windowFont());
    }
    window = std::make_unique<QWidget>();
    window->setFixedSize(kWindowWidth, kWindowHeight);
    if (mode == "label") {
      auto* label = new QLabel(QStringLiteral("通用延时子程序参数： TH1 = 0FDH"), window.get());
      label->move(8, 8);
    }
  }
  FirstFrame frame(window.get());
  window->show();
  // A window that never paints ends the child (and the run) with an error.
  QTimer::singleShot(kChildTimeoutMs, &app, &QCoreApplication::quit);
  const int status = QApplication::exec();
  if (status != 0 || frame.paintNs == 0) {
    return status != 0 ? status : 1;
  }
  std::printf("main_ns=%lld paint_ns=%lld rss_kib=%ld anon_kib=%ld width=%d height=%d\n", mainNs,
              frame.paintNs, frame.rssKiB, frame.anonKiB, window->width(), window->height());
  std::fflush(stdout);
  return 0;
}

bool spawnChild(const std::string& self, const std::string& mode, StartSample& sample) {
  int out[2];
  if (pipe(out) != 0) {
    std::perror("delaysub_bench: pipe");
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  std::string program = self;
  std::string childFlag = "--child";
  std::string childMode = mode;
  char* args[] = {program.data(), childFlag.data(), childMode.data(), nullptr};
  pid_t pid = 0;
  const long long spawnNs = monotonicNs();
  const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, args, environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    std::fprintf(stderr, "delaysub_bench: cannot start %s: %s\n", self.c_str(),
                 std::strerror(spawned));
    return false;
  }
  std::string report;
  char buffer[512];
  for (;;) {
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got > 0) {
      report.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(out[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  long long mainNs = 0, paintNs = 0;
  long rss = 0, anon = 0;
  int width = 0, height = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(report.c_str(),
                  "main_ns=%lld paint_ns=%lld rss_kib=%ld anon_kib=%ld width=%d height=%d", &mainNs,
                  &paintNs, &rss, &anon, &width, &height) != 6) {
    std::fprintf(stderr, "delaysub_bench: the %s child failed (status %d): %s\n", mode.c_str(),
                 status, report.c_str());
    return false;
  }
  if (width != kWindowWidth || height != kWindowHeight) {
    std::fprintf(stderr, "delaysub_bench: the %s window is %d x %d, not %d x %d\n", mode.c_str(),
                 width, height, kWindowWidth, kWindowHeight);
    return false;
  }
  sample.execToPaintMs = static_cast<double>(paintNs - spawnNs) / 1e6;
  sample.mainToPaintMs = static_cast<double>(paintNs - mainNs) / 1e6;
  sample.rssKiB = static_cast<double>(rss);
  sample.anonKiB = static_cast<double>(anon);
  return true;
}

}  // namespace delaysub::bench
