// The design window's speed (a benchmark, not a test): from a key press in
// each page's input until what it changed is laid out, painted and on the X
// server, and from Ctrl+D in the main window until the design window is
// painted. Prints the median and the 99th percentile in milliseconds, the
// widgets painted per key, and fails when a key left the code unchanged or
// the code box was not painted anew with the model's code. Run on Xvfb
// (xcb platform); on the offscreen platform nothing reaches a server.
//
//   delaysub_designer_bench [PRESSES [PAGE]]
// PRESSES: keys per page (default 1000). PAGE (0, 1, 2): only that page's
// keys, no openings; for an instruction count per page:
//   valgrind --tool=callgrind --toggle-collect='*oneKey*' delaysub_designer_bench 100 0
#include <xcb/xcb.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/designer_opener.h"

namespace {

struct Spread {
  double median, p99;
};

Spread spreadOf(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const std::size_t n = ms.size();
  // Nearest rank: the smallest sample with at least 99 % of them at or below it.
  return {ms[n / 2], ms[std::max<std::size_t>((99 * n + 99) / 100, 1) - 1]};
}

// A round trip to the X server: every request sent before it, the frame's
// image among them, has been carried out when it returns.
void roundTrip() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 != nullptr) {
    xcb_connection_t* connection = x11->connection();
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
  }
}

// Everything a change posted (layout, then the repaint of what it touched,
// flushed to the window), then on the server.
void settle() {
  QCoreApplication::processEvents();
  roundTrip();
}

// Watches the paints: how many widgets paint, and the code box's viewport
// painted while it shows the expected code.
class PaintWatch : public QObject {
 public:
  PaintWatch(QPlainTextEdit* code, const std::string* expected) : code_(code), expected_(expected) {
    qApp->installEventFilter(this);
  }
  ~PaintWatch() override { qApp->removeEventFilter(this); }
  PaintWatch(const PaintWatch&) = delete;
  PaintWatch& operator=(const PaintWatch&) = delete;

  long long paints = 0;
  bool codePainted = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++paints;
      if (watched == code_->viewport() &&
          code_->toPlainText() == QString::fromStdString(*expected_)) {
        codePainted = true;
      }
    }
    return false;
  }

 private:
  QPlainTextEdit* code_;
  const std::string* expected_;
};

struct PageRun {
  std::vector<double> ms;
  double paintsPerKey = 0;
  int unchanged = 0;   // keys after which the code was what it was
  int notPainted = 0;  // keys after which the code box did not paint the new code
};

// One key into the box and everything it changed on the screen (kept out of
// line: callgrind --toggle-collect='*oneKey*' counts just this).
[[gnu::noinline]] void oneKey(QWidget* box, Qt::Key key) {
  QTest::keyClick(box, key);
  settle();
}

// Presses alternate a digit and Backspace at the end of a valid input, so
// every key changes the code.
PageRun keyToScreen(QWidget* box, QPlainTextEdit* code, const std::string& modelCode, Qt::Key digit,
                    int presses) {
  PageRun run;
  PaintWatch watch(code, &modelCode);
  long long paints = 0;
  for (int i = 0; i < presses; ++i) {
    const QString before = code->toPlainText();
    watch.codePainted = false;
    const long long paints0 = watch.paints;
    QElapsedTimer clock;
    clock.start();
    oneKey(box, i % 2 == 0 ? digit : Qt::Key_Backspace);
    run.ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    paints += watch.paints - paints0;
    run.unchanged += code->toPlainText() == before ? 1 : 0;
    run.notPainted += watch.codePainted ? 0 : 1;
  }
  run.paintsPerKey = static_cast<double>(paints) / presses;
  return run;
}

void print(const char* what, const Spread& s) {
  std::printf("%-44s median %7.3f ms   p99 %7.3f ms\n", what, s.median, s.p99);
}

// Notes the first paint of a window.
class FirstPaint : public QObject {
 public:
  bool painted = false;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    painted = painted || event->type() == QEvent::Paint;
    return false;
  }
};

// Ctrl+D, until the new window is mapped, its first frame painted and on the
// server.
std::vector<double> openings(delaysub::window::DelaySubWindow& main,
                             delaysub::app::DesignerOpener& opener, int count) {
  std::vector<double> ms;
  for (int i = 0; i < count; ++i) {
    main.activateWindow();
    if (!QTest::qWaitForWindowActive(&main)) {
      return {};
    }
    FirstPaint first;
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier);
    if (opener.current() == nullptr) {
      return {};
    }
    opener.current()->installEventFilter(&first);
    while (!first.painted && clock.elapsed() < 5000) {
      QCoreApplication::processEvents();
    }
    if (!first.painted) {
      return {};
    }
    settle();
    ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    opener.current()->removeEventFilter(&first);
    opener.current()->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return ms;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  const int presses = argc > 1 ? std::max(2, std::atoi(argv[1])) : 1000;
  const int onlyPage = argc > 2 ? std::atoi(argv[2]) : -1;
  delaysub::window::DelaySubWindow main;
  delaysub::app::DesignerOpener opener(main);
  main.show();
  if (!QTest::qWaitForWindowExposed(&main)) {
    return 1;
  }
  if (onlyPage < 0) {
    const std::vector<double> opening = openings(main, opener, 30);
    if (opening.empty()) {
      return 1;
    }
    print("Ctrl+D to the design window painted", spreadOf(opening));
  }
  auto* design = opener.open();
  if (!QTest::qWaitForWindowExposed(design)) {
    return 1;
  }
  const auto& model = design->model();
  const struct {
    int page;
    const char* box;
    const char* start;
    Qt::Key digit;
    const char* code;
    const std::string* modelCode;
    const char* what;
  } pages[] = {{0, "delayTime", "10", Qt::Key_1, "delayCode", &model.delay().code,
                "key in 延时代码 to the screen"},
               {1, "period", "1", Qt::Key_1, "timerCode", &model.timer().code,
                "key in 定时器 to the screen"},
               {2, "baud", "1200", Qt::Key_0, "uartCode", &model.uart().code,
                "key in 串口波特率 to the screen"}};
  bool honest = true;
  for (const auto& p : pages) {
    if (onlyPage >= 0 && p.page != onlyPage) {
      continue;
    }
    design->pages()->setCurrentIndex(p.page);
    QWidget* box = design->findChild<QWidget*>(QLatin1String(p.box));
    QLineEdit* line = qobject_cast<QLineEdit*>(box);
    if (auto* combo = qobject_cast<QComboBox*>(box)) {
      line = combo->lineEdit();
    }
    line->setFocus();
    line->setText(QString::fromLatin1(p.start));
    line->end(false);
    settle();
    auto* code = design->findChild<QPlainTextEdit*>(QLatin1String(p.code));
    const PageRun run = keyToScreen(line, code, *p.modelCode, p.digit, presses);
    print(p.what, spreadOf(run.ms));
    std::printf("%-44s %.1f widgets painted per key\n", "", run.paintsPerKey);
    if (run.unchanged > 0 || run.notPainted > 0) {
      std::fprintf(stderr, "%s: %d keys left the code as it was, %d did not paint it anew\n",
                   p.what, run.unchanged, run.notPainted);
      honest = false;
    }
  }
  return honest ? 0 : 1;
}
