// Helpers shared by the Qt tests of the window on the offscreen platform.
#pragma once

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "window/qt_window.h"

namespace delaysub::window::test_support {

// The widget of a layout entry, as the kind the test expects.
template <class W = QWidget>
W* widgetOf(const DelaySubWindow& window, const char* name, int index = -1) {
  return qobject_cast<W*>(window.control(name, index));
}

// The test program's main: an application with the window's font, then the
// test object's slots.
template <class Test>
int runWindowTest(int argc, char* argv[]) {
  // The offscreen platform wants a runtime directory; give it a private one.
  QTemporaryDir runtime;
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  }
  QApplication app(argc, argv);
  QApplication::setFont(DelaySubWindow::windowFont());
  Test test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace delaysub::window::test_support
