// Helpers shared by the Qt test programs of the window.
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
  // A private runtime directory: the offscreen platform wants one, and it
  // keeps Qt from complaining about a shared one.
  QTemporaryDir runtime;
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  QApplication app(argc, argv);
  QApplication::setFont(DelaySubWindow::windowFont());
  Test test;
  return QTest::qExec(&test, argc, argv);
}

}  // namespace delaysub::window::test_support
