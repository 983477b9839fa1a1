// Start and memory seen from outside, as a user's desktop sees a program:
// from the spawn of the process until the X server maps its window, then the
// resident set a while later. The calculator runs as the installed program
// does; beside it an empty Qt window, the same window with one label in the
// calculator's font, and peer calculators when they are installed.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "bench/bench.h"
#include "window/qt_window.h"

extern char** environ;

namespace delaysub::bench {

namespace {

constexpr int kMapTimeoutMs = 20000;

long processKiB(pid_t pid, const std::string& name) {
  return statusKiB("/proc/" + std::to_string(pid) + "/status", name);
}

// The X server, watched for top-level windows being mapped.
class Display {
 public:
  Display() {
    int screenNumber = 0;
    connection_ = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection_)) {
      return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber; ++i) {
      xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &mask);
    const char name[] = "_NET_WM_PID";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr);
    if (atom) {
      pidAtom_ = atom->atom;
      std::free(atom);
    }
    xcb_flush(connection_);
    ok_ = pidAtom_ != XCB_ATOM_NONE;
  }
  ~Display() { xcb_disconnect(connection_); }
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  bool ok() const { return ok_; }

  // Waits until a top-level window of the process is mapped; the monotonic
  // time of that moment in nanoseconds, or 0 after the time-out.
  long long waitForMap(pid_t pid) {
    const long long deadline = monotonicNs() + kMapTimeoutMs * 1000000LL;
    pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
    for (;;) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const long long now = monotonicNs();
        const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
        const xcb_window_t window =
            mapped ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
        std::free(event);
        if (mapped && ownerOf(window) == pid) {
          return now;
        }
      }
      const long long left = (deadline - monotonicNs()) / 1000000;
      if (left <= 0 || xcb_connection_has_error(connection_)) {
        return 0;
      }
      poll(&fd, 1, static_cast<int>(left));
    }
  }

 private:
  pid_t ownerOf(xcb_window_t window) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1),
        nullptr);
    pid_t owner = 0;
    if (reply && xcb_get_property_value_length(reply) == 4) {
      owner = static_cast<pid_t>(*static_cast<std::uint32_t*>(xcb_get_property_value(reply)));
    }
    std::free(reply);
    return owner;
  }

  xcb_connection_t* connection_ = nullptr;
  xcb_window_t root_ = 0;
  xcb_atom_t pidAtom_ = XCB_ATOM_NONE;
  bool ok_ = false;
};

// Starts the program with its output discarded; 0 when it cannot start.
pid_t spawnQuiet(const std::vector<std::string>& command) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> args = command;
  std::vector<char*> argv;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : 0;
}

void stop(pid_t pid) {
  kill(pid, SIGTERM);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

std::string programOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    const std::size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    start = end + 1;
  }
  return {};
}

int runWindow(const std::string& mode, int argc, char* argv[]) {
  if (mode != "bare" && mode != "label") {
    std::fprintf(stderr, "delaysub_bench: unknown window '%s'\n", mode.c_str());
    return 2;
  }
  QApplication app(argc, argv);
  if (mode == "label") {
    QApplication::setFont(window::DelaySubWindow::windowFont());
  }
  QWidget window;
  window.setFixedSize(kWindowWidth, kWindowHeight);
  if (mode == "label") {
    auto* label = new QLabel(QStringLiteral("通用延时子程序参数： TH1 = 0FDH"), &window);
    label->move(8, 8);
  }
  window.show();
  return QApplication::exec();
}

bool measureOutside(std::vector<OutsideRow>& rows, int rounds, int settleMs) {
  Display display;
  if (!display.ok()) {
    std::fprintf(stderr, "delaysub_bench: no X display to watch (DISPLAY is needed)\n");
    return false;
  }
  std::vector<std::vector<double>> startMs(rows.size()), rssKiB(rows.size()), fileKiB(rows.size());
  for (int round = -1; round < rounds; ++round) {
    for (std::size_t k = 0; k < rows.size(); ++k) {
      const std::size_t m = (k + static_cast<std::size_t>(std::max(round, 0))) % rows.size();
      OutsideRow& row = rows[m];
      const long long spawnNs = monotonicNs();
      const pid_t pid = spawnQuiet(row.command);
      if (pid == 0) {
        std::fprintf(stderr, "delaysub_bench: cannot start %s\n", row.command[0].c_str());
        return false;
      }
      const long long mapNs = display.waitForMap(pid);
      if (mapNs == 0) {
        stop(pid);
        std::fprintf(stderr, "delaysub_bench: %s mapped no window\n", row.name.c_str());
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
      const long rss = processKiB(pid, "VmRSS"), file = processKiB(pid, "RssFile");
      stop(pid);
      if (round < 0) {
        continue;
      }
      startMs[m].push_back(static_cast<double>(mapNs - spawnNs) / 1e6);
      rssKiB[m].push_back(static_cast<double>(rss));
      fileKiB[m].push_back(static_cast<double>(file));
    }
  }
  for (std::size_t m = 0; m < rows.size(); ++m) {
    rows[m].startMs = summarize(startMs[m]).median;
    rows[m].rssKiB = summarize(rssKiB[m]).median;
    rows[m].fileKiB = summarize(fileKiB[m]).median;
  }
  return true;
}

}  // namespace delaysub::bench
