// DelaySUB: the delay-subroutine and baud-rate calculator. The program is its
// one window: created and loaded, shown, and run until it is closed.
#include <QApplication>

#include "window/qt_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  delaysub::window::DelaySubWindow window;  // runs the load event
  window.show();
  return QApplication::exec();
}
