// The design window's speed (a benchmark, not a test): from a key press in
// each page's input to its code box painted anew, and from Ctrl+D in the main
// window to the design window painted. Prints the median and the 99th
// percentile in milliseconds. Run on Xvfb or the offscreen platform.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/designer_opener.h"

namespace {

struct Spread {
  double median, p99;
};

Spread spreadOf(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms[ms.size() * 99 / 100]};
}

// A key into the box, then the page's code box painted at once.
std::vector<double> keyToPaint(QWidget* box, QPlainTextEdit* code, int presses) {
  std::vector<double> ms;
  const Qt::Key keys[] = {Qt::Key_1, Qt::Key_Backspace};
  for (int i = 0; i < presses; ++i) {
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(box, keys[i % 2]);
    code->viewport()->repaint();
    ms.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
  }
  return ms;
}

void print(const char* what, const Spread& s) {
  std::printf("%-40s median %7.3f ms   p99 %7.3f ms\n", what, s.median, s.p99);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  constexpr int kOpenings = 30;
  constexpr int kPresses = 1000;
  std::vector<double> opening;
  delaysub::window::DelaySubWindow main;
  delaysub::app::DesignerOpener opener(main);
  main.show();
  if (!QTest::qWaitForWindowExposed(&main)) {
    return 1;
  }
  for (int i = 0; i < kOpenings; ++i) {
    main.activateWindow();
    if (!QTest::qWaitForWindowActive(&main)) {
      return 1;
    }
    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(&main, Qt::Key_D, Qt::ControlModifier);
    if (opener.current() == nullptr) {
      return 1;
    }
    opener.current()->repaint();
    opening.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    opener.current()->close();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  print("Ctrl+D to the design window painted", spreadOf(opening));
  auto* design = opener.open();
  if (!QTest::qWaitForWindowExposed(design)) {
    return 1;
  }
  const struct {
    int page;
    const char* box;
    const char* code;
    const char* what;
  } pages[] = {{0, "delayTime", "delayCode", "key to delay code painted"},
               {1, "period", "timerCode", "key to timer code painted"},
               {2, "baud", "uartCode", "key to serial-port code painted"}};
  for (const auto& p : pages) {
    design->pages()->setCurrentIndex(p.page);
    QWidget* box = design->findChild<QWidget*>(QLatin1String(p.box));
    if (auto* combo = qobject_cast<QComboBox*>(box)) {
      box = combo->lineEdit();
    }
    box->setFocus();
    auto* code = design->findChild<QPlainTextEdit*>(QLatin1String(p.code));
    print(p.what, spreadOf(keyToPaint(box, code, kPresses)));
  }
  return 0;
}
