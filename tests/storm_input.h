// Real input for the random-input test, through the window system: mouse
// clicks at a point of a widget and text typed key by key, into whichever
// top-level window the widget or the test names.
#pragma once

#include <QApplication>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace delaysub::window::test_support {

// A mouse click (or a double or middle click) through the window system at
// a point of the widget.
inline void clickAt(QWidget* widget, QPoint at, Qt::MouseButton button = Qt::LeftButton,
                    bool twice = false) {
  QWidget* top = widget->window();
  const QPoint point = widget->mapTo(top, at);
  if (twice) {
    QTest::mouseDClick(top->windowHandle(), button, {}, point);
  } else {
    QTest::mouseClick(top->windowHandle(), button, {}, point);
  }
}

// The text, typed key by key into whatever has the focus in the window.
inline void typeInto(QWindow* window, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClick(window, c.toLatin1());
    } else {
      QTest::sendKeyEvent(QTest::Click, window, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
  }
}

// Text from an input method into the focus (by default whatever has it):
// composed, then committed in one event.
inline void composeText(const QString& text, QObject* focus = QGuiApplication::focusObject()) {
  auto* widget = qobject_cast<QWidget*>(focus);
  if (!widget || !widget->testAttribute(Qt::WA_InputMethodEnabled)) {
    return;
  }
  QInputMethodEvent composing(QStringLiteral("pin"), {});
  QApplication::sendEvent(focus, &composing);
  QInputMethodEvent commit;
  commit.setCommitString(text);
  QApplication::sendEvent(focus, &commit);
}

}  // namespace delaysub::window::test_support
