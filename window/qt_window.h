// The window DelaySUB on Qt widgets. Every frame and control is built from
// the layout table and bound to its control object of the form: program
// writes are mirrored into the widgets, user input (and text set through the
// accessibility interface) goes back through the controls' event rules.
#pragma once

#include <QFont>
#include <QIcon>
#include <QWidget>
#include <map>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "window/form.h"
#include "window/layout.h"
#include "window/qt_tools.h"

class QLabel;
class QMenu;
class QStyle;

namespace delaysub::window {

class ControlBinding;
class HintsBinding;

class DelaySubWindow : public QWidget, private ErrorReportObserver {
  Q_OBJECT

 public:
  // Builds the widgets, binds them and runs the load event; the window is
  // not shown yet. The observer, if any, follows the form's events from the
  // load on and must outlive the window.
  explicit DelaySubWindow(EventObserver* observer = nullptr, QWidget* parent = nullptr);
  ~DelaySubWindow() override;

  DelaySubForm& form() { return form_; }
  const DelaySubForm& form() const { return form_; }

  // The widget built for the table entry (index -1 for single controls and
  // frames), found through the form's own lookup: never null; throws
  // std::invalid_argument for a name the window does not have and
  // std::out_of_range for an index it does not have.
  QWidget* control(std::string_view name, int index = -1) const;
  // The same, of the widget class the caller expects; std::bad_cast for
  // another.
  template <class W>
  W& widget(std::string_view name, int index = -1) const {
    return dynamic_cast<W&>(*control(name, index));
  }
  // The run-time error report ("" and hidden when the last event was clean).
  QLabel* errorReport() const { return errorReport_; }

  // The window's font, used by every control: a 12-pixel face in which a
  // Chinese character is 12 pixels wide and every Latin character 6.
  static QFont windowFont();
  // Height of one line in the multi-line boxes, in pixels.
  static constexpr int kLineHeight = 12;
  // The 32 x 32, 16-colour picture of the window and the program.
  static QIcon programIcon();
  // What the program sets for the whole application before it creates the
  // window: its desktop entry's name, the program's icon and the window's
  // font.
  static void setUpApplication();

  // An entry the program adds to the context menus of the delay, formula,
  // template and baud result boxes, with its shortcut on the window. The
  // window's own controls, texts and menus stay as they are.
  void addToolEntry(ToolEntry entry);
  // The entries, added to one of those menus (nothing before the first).
  void addToolEntries(QMenu& menu) const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Entry {
    ControlSpec row;
    QWidget* widget;
  };

  // The widget of a table entry, named, placed and sized as the entry says.
  QWidget* build(const ControlSpec& row);
  QWidget* create(const ControlSpec& row);
  // Binds the entry's widget to its control; the option buttons are bound
  // by group, once all of them are built.
  void bind(const ControlSpec& row, QWidget* widget);
  void bindOptionGroups();
  void buildTabOrder();
  void buildErrorReport();
  void changed(const DelaySubForm& form) override;  // the error report

  DelaySubForm form_;
  // The widget of each table entry, by its control and index.
  std::map<std::pair<const Control*, int>, QWidget*> widgets_;
  // Destroyed before the form, whose controls they follow.
  std::vector<std::unique_ptr<ControlBinding>> bindings_;
  // The hints beside the results; goes before the form and the widgets.
  std::unique_ptr<HintsBinding> hints_;
  ToolEntries* tools_ = nullptr;  // made by the first entry, owned by the window
  std::vector<Entry> entries_;
  QLabel* errorReport_ = nullptr;
  QStyle* optionStyle_ = nullptr;
  bool shownOnce_ = false;
};

}  // namespace delaysub::window
