// delaysub-design: the design window of DelaySUB on its own, for delay code,
// timer and serial-port set-up, starting with the 8051 at 12 MHz.
#include <QApplication>

#include "core/domain.h"
#include "designer/design_model.h"
#include "designer/qt_design_window.h"
#include "window/qt_window.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  delaysub::window::DelaySubWindow::setUpApplication();
  // Wayland compositors match the window to its own desktop entry.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.delaysub.DelaySUB.Design"));
  delaysub::designer::DesignStart start;
  start.chip = delaysub::designer::chipForCore(delaysub::core::Core::Mcs51);
  delaysub::designer::DesignWindow window(start);
  window.show();
  return QApplication::exec();
}
