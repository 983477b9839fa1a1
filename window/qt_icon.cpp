// The window's and the program's icon: the 32 x 32, 16-colour stopwatch of
// data/delaysub.xpm. The same picture is installed for the desktop's
// application menu.
//
// An XPM file is C source, so the shipped file itself is compiled in and
// read as XPM data: loading it as an image file instead would make Qt scan
// and load every image-format plugin to find its reader, at every start.
#include <QPixmap>

#include "window/qt_window.h"

namespace delaysub::window {

namespace {
#include "data/delaysub.xpm"
}  // namespace

QIcon DelaySubWindow::programIcon() {
  return QIcon(QPixmap(delaysub_xpm));
}

}  // namespace delaysub::window
