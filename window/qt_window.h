// The window DelaySUB on Qt widgets. Every frame and control is built from
// the layout table and bound to its control object of the form: program
// writes are mirrored into the widgets, user input (and text set through the
// accessibility interface) goes back through the controls' event rules.
#pragma once

#include <QFont>
#include <QIcon>
#include <QWidget>
#include <memory>
#include <string_view>
#include <vector>

#include "window/form.h"
#include "window/layout.h"

class QLabel;
class QStyle;

namespace delaysub::window {

class HintsBinding;

class DelaySubWindow : public QWidget {
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
  // frames), nullptr when the table has no such entry.
  QWidget* control(std::string_view name, int index = -1) const;
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
  void bind(const ControlSpec& row, QWidget* widget);
  void bindOptionGroups();
  void buildTabOrder();
  void buildErrorReport();
  void showErrorReport();

  DelaySubForm form_;
  // The hints beside the results; goes before the form and the widgets.
  std::unique_ptr<HintsBinding> hints_;
  std::vector<Entry> entries_;
  QLabel* errorReport_ = nullptr;
  QStyle* optionStyle_ = nullptr;
  bool shownOnce_ = false;
};

}  // namespace delaysub::window
