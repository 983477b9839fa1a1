// Response: one user action through the whole handler chain, on the form
// alone and on the shown window, where the action arrives as the user's input
// does (key and mouse events delivered to the widget, as QTest sends them)
// and the widgets follow every write. The same inputs on bare Qt widgets of
// the same kinds, with nothing connected, give the floor.
#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWindow>
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench.h"
#include "window/form.h"
#include "window/qt_window.h"
#include "window/run_counts.h"

namespace delaysub::bench {

namespace {

using window::DelaySubForm;
using window::DelaySubWindow;

// The widgets that the four actions use, in DelaySUB or in the bare window.
struct Widgets {
  QWidget* window = nullptr;
  QLineEdit* seed = nullptr;
  QLineEdit* baud = nullptr;  // the edit of the baud combo box
  std::array<QAbstractButton*, 3> nesting{};
  std::array<QAbstractButton*, 3> core{};
};

Widgets widgetsOf(DelaySubWindow& w) {
  Widgets widgets;
  widgets.window = &w;
  widgets.seed = static_cast<QLineEdit*>(w.control("Text1", 1));
  widgets.baud = static_cast<QComboBox*>(w.control("Combo1"))->lineEdit();
  for (int i = 0; i < 3; ++i) {
    widgets.nesting[static_cast<std::size_t>(i)] =
        static_cast<QAbstractButton*>(w.control("Option2", i));
    widgets.core[static_cast<std::size_t>(i)] =
        static_cast<QAbstractButton*>(w.control("Option0", i));
  }
  return widgets;
}

// The floor: an empty window of the same size with a bare line edit, an
// editable combo box and two groups of three option buttons, nothing
// connected to them.
class BareWindow : public QWidget {
 public:
  BareWindow() {
    setFixedSize(kWindowWidth, kWindowHeight);
    widgets_.window = this;
    widgets_.seed = new QLineEdit(QStringLiteral("100"), this);
    widgets_.seed->setGeometry(96, 190, 35, 18);
    auto* combo = new QComboBox(this);
    combo->setEditable(true);
    combo->setEditText(QStringLiteral("9600"));
    combo->setGeometry(88, 96, 73, 20);
    widgets_.baud = combo->lineEdit();
    for (std::size_t g = 0; g < 2; ++g) {
      auto& buttons = g == 0 ? widgets_.nesting : widgets_.core;
      auto* group = new QButtonGroup(this);
      for (std::size_t i = 0; i < 3; ++i) {
        auto* button =
            new QRadioButton(g == 0 ? QStringLiteral("单循环") : QStringLiteral("MCS-51"), this);
        button->setGeometry(16 + 64 * static_cast<int>(i), g == 0 ? 168 : 16, 57, 17);
        group->addButton(button);
        buttons[i] = button;
      }
      buttons[0]->setChecked(true);
    }
  }
  Widgets& widgets() { return widgets_; }

 private:
  Widgets widgets_;
};

// Types a 0 at the end of the box, or deletes the last character with Backspace.
void keystroke(QLineEdit* box, bool type) {
  if (type) {
    QTest::keyClick(box, Qt::Key_0, Qt::NoModifier);
  } else {
    QTest::keyClick(box, Qt::Key_Backspace);
  }
}

void focusAtEnd(QLineEdit* box) {
  box->setFocus(Qt::MouseFocusReason);
  box->setCursorPosition(static_cast<int>(box->text().size()));
}

using Probe = std::function<void()>;
using Connections = std::vector<QMetaObject::Connection>;

Connections probeText(QLineEdit* box, const Probe& probe) {
  return {QObject::connect(box, &QLineEdit::textChanged, box, [probe] { probe(); })};
}

Connections probeButtons(const std::array<QAbstractButton*, 3>& buttons, const Probe& probe) {
  Connections connections;
  for (QAbstractButton* button : buttons) {
    connections.push_back(
        QObject::connect(button, &QAbstractButton::toggled, button, [probe](bool checked) {
          if (checked) {
            probe();
          }
        }));
  }
  return connections;
}

// One action, on the form alone and on a window; repeat i undoes or changes
// what repeat i - 1 left, so that every repeat changes the window.
struct Action {
  const char* name;
  // The form's entry point that the widget calls for this input.
  std::function<void(DelaySubForm&, int)> onForm;
  // Prepares the window once (focus, cursor) before the repeats.
  std::function<void(Widgets&)> prepare;
  // The part of the user's input that comes before the event which fires the
  // handler (the press of a click), or nothing.
  std::function<void(Widgets&, int)> lead;
  // The input event that fires the handler: a keystroke, a click's release.
  std::function<void(Widgets&, int)> fire;
  // Connects `probe` to the widget signal that the window's handler chain
  // hangs on, after the window's own connection: it runs when the chain ends.
  std::function<Connections(Widgets&, const Probe& probe)> connectProbe;
  // The handler that every repeat must run once (DelaySUB only).
  int window::RunCounts::*handler;
};

void nothing(Widgets& /*w*/, int /*i*/) {}

const Action kActions[] = {
    // Typing one more digit into the seed box ("100" -> "1000"), then deleting it.
    {"seed keystroke", [](DelaySubForm& f, int i) { f.Text1(1).setText(i % 2 ? "100" : "1000"); },
     [](Widgets& w) { focusAtEnd(w.seed); }, nothing,
     [](Widgets& w, int i) { keystroke(w.seed, i % 2 == 0); },
     [](Widgets& w, const Probe& p) { return probeText(w.seed, p); },
     &window::RunCounts::Text1_Change},
    // Clicking the double, triple and single loop buttons in turn.
    {"nesting click", [](DelaySubForm& f, int i) { f.Option2.select((i + 1) % 3); },
     [](Widgets& /*w*/) {},
     [](Widgets& w, int i) { QTest::mousePress(w.nesting[(i + 1) % 3], Qt::LeftButton); },
     [](Widgets& w, int i) { QTest::mouseRelease(w.nesting[(i + 1) % 3], Qt::LeftButton); },
     [](Widgets& w, const Probe& p) { return probeButtons(w.nesting, p); },
     &window::RunCounts::Option2_Click},
    // Clicking the AVR, W77E58 and MCS-51 buttons in turn.
    {"core click", [](DelaySubForm& f, int i) { f.Option0.select((i + 1) % 3); },
     [](Widgets& /*w*/) {},
     [](Widgets& w, int i) { QTest::mousePress(w.core[(i + 1) % 3], Qt::LeftButton); },
     [](Widgets& w, int i) { QTest::mouseRelease(w.core[(i + 1) % 3], Qt::LeftButton); },
     [](Widgets& w, const Probe& p) { return probeButtons(w.core, p); },
     &window::RunCounts::Option0_Click},
    // Deleting the last digit of the baud box ("9600" -> "960"), then typing it again.
    {"baud keystroke", [](DelaySubForm& f, int i) { f.Combo1.setText(i % 2 ? "9600" : "960"); },
     [](Widgets& w) { focusAtEnd(w.baud); }, nothing,
     [](Widgets& w, int i) { keystroke(w.baud, i % 2 == 1); },
     [](Widgets& w, const Probe& p) { return probeText(w.baud, p); },
     &window::RunCounts::Combo1_Change},
};

// Settles the form in the state a user meets: a seed typed, the first
// nesting and core chosen, the baud rate the window starts with.
void settle(DelaySubForm& form) {
  form.Text1(1).setText("100");
  form.Option2.select(0);
  form.Option0.select(0);
  form.Combo1.setText("9600");
}

// Counts the widget paint events of the whole application.
class PaintCounter : public QObject {
 public:
  long long paints = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++paints;
    }
    return false;
  }
};

void drainEvents() {
  QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void showAndSettle(QWidget& window) {
  window.show();
  window.activateWindow();
  (void)QTest::qWaitForWindowExposed(&window, 5000);
  for (int i = 0; i < 20; ++i) {
    drainEvents();
  }
}

struct Timed {
  Summary chain, whole;
  double paints = 0;
};

// Times `samples` repeats of the action on the shown window; false when an
// input ran no handler chain. form: DelaySUB's form, to check that every
// input reached its handler (nullptr for the bare window).
bool timeOnWindow(const Action& action, Widgets& widgets, DelaySubForm* form, int warmUp,
                  int samples, Timed& timed) {
  PaintCounter counter;
  qApp->installEventFilter(&counter);
  long long chainEndNs = 0;
  action.prepare(widgets);
  const Connections probes =
      action.connectProbe(widgets, [&chainEndNs] { chainEndNs = monotonicNs(); });
  drainEvents();
  std::vector<double> chain, whole;
  chain.reserve(static_cast<std::size_t>(samples));
  whole.reserve(static_cast<std::size_t>(samples));
  long long paints = 0;
  // Counts the handler runs from here on (DelaySUB only).
  window::RunCounter ran;
  if (form) {
    form->events.subscribe(ran);
  }
  bool ok = true;
  for (int i = 0; i < warmUp + samples && ok; ++i) {
    const long long paints0 = counter.paints;
    const long long begin = monotonicNs();
    action.lead(widgets, i);
    chainEndNs = 0;
    const long long fired = monotonicNs();
    action.fire(widgets, i);
    drainEvents();
    const long long end = monotonicNs();
    ok = chainEndNs != 0;
    if (i >= warmUp) {
      chain.push_back(static_cast<double>(chainEndNs - fired) / 1e3);
      whole.push_back(static_cast<double>(end - begin) / 1e3);
      paints += counter.paints - paints0;
    }
  }
  for (const QMetaObject::Connection& probe : probes) {
    QObject::disconnect(probe);
  }
  qApp->removeEventFilter(&counter);
  // Every input must have reached its handler, or the timing means nothing.
  int handled = warmUp + samples;
  if (form) {
    form->events.unsubscribe(ran);
    handled = ran.*action.handler;
  }
  if (!ok || handled < warmUp + samples) {
    std::fprintf(stderr, "delaysub_bench: '%s' on the %s window: %s\n", action.name,
                 form ? "DelaySUB" : "bare",
                 ok ? "not every input reached its handler" : "an input changed nothing");
    return false;
  }
  timed.chain = summarize(std::move(chain));
  timed.whole = summarize(std::move(whole));
  timed.paints = static_cast<double>(paints) / samples;
  return true;
}

}  // namespace

std::vector<ResponseRow> measureResponse(int samples) {
  const int warmUp = samples / 10 + 10;
  std::vector<ResponseRow> rows;

  // The form alone: the same entry points the widgets call.
  DelaySubForm form;
  form.load();
  form.shown();
  settle(form);
  for (const Action& action : kActions) {
    ResponseRow row;
    row.action = action.name;
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(samples));
    for (int i = 0; i < warmUp + samples; ++i) {
      const long long start = monotonicNs();
      action.onForm(form, i);
      const long long end = monotonicNs();
      if (i >= warmUp) {
        times.push_back(static_cast<double>(end - start) / 1e3);
      }
    }
    row.formAlone = summarize(std::move(times));
    rows.push_back(row);
  }

  // The window, shown and painted as the program shows it, then the bare one.
  {
    DelaySubWindow window;
    showAndSettle(window);
    settle(window.form());
    drainEvents();
    Widgets widgets = widgetsOf(window);
    for (std::size_t a = 0; a < std::size(kActions); ++a) {
      Timed timed;
      if (!timeOnWindow(kActions[a], widgets, &window.form(), warmUp, samples, timed)) {
        return {};
      }
      rows[a].window = timed.chain;
      rows[a].repainted = timed.whole;
      rows[a].paintsPerAction = timed.paints;
    }
  }
  {
    BareWindow bare;
    showAndSettle(bare);
    for (std::size_t a = 0; a < std::size(kActions); ++a) {
      Timed timed;
      if (!timeOnWindow(kActions[a], bare.widgets(), nullptr, warmUp, samples, timed)) {
        return {};
      }
      rows[a].bare = timed.chain;
      rows[a].bareRepainted = timed.whole;
      rows[a].barePaintsPerAction = timed.paints;
    }
  }
  return rows;
}

}  // namespace delaysub::bench
