// DelaySUB: the delay-subroutine and baud-rate calculator. The program is its
// one window: created and loaded, shown, and run until it is closed. The
// design window opens from it (设计工具…, Ctrl+D).
#include <QApplication>

#include "app/designer_opener.h"
#include "window/qt_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  delaysub::window::DelaySubWindow window;  // runs the load event
  delaysub::app::DesignerOpener designer(window);
  window.show();
  return QApplication::exec();
}
