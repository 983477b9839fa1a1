// Starts the program as its entry point does, paints the window once and
// closes it, then returns from the event loop like a user's close. Run under
// the sanitizers, this is the program's whole life with a leak check at exit.
#include <QApplication>
#include <QPixmap>
#include <QTimer>

#include "window/qt_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  delaysub::window::DelaySubWindow window;
  window.show();
  bool painted = false;
  QTimer::singleShot(0, &window, [&] {
    painted = !window.grab().isNull();  // renders every control
    window.close();                     // the last window: the loop ends
  });
  const int status = QApplication::exec();
  return status == 0 && painted ? 0 : 1;
}
