// The window's and the program's icon: the 32 x 32, 16-colour stopwatch of
// data/delaysub.xpm, compiled in as a resource. The same picture is installed
// for the desktop's application menu.
#include <QtGlobal>

#include "window/qt_window.h"

// The resource lives in a static library, so it is registered by name.
static void registerIconResource() {
  Q_INIT_RESOURCE(delaysub);
}

namespace delaysub::window {

QIcon DelaySubWindow::programIcon() {
  registerIconResource();
  return QIcon(QStringLiteral(":/delaysub.xpm"));
}

}  // namespace delaysub::window
