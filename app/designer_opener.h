// The design window opened from the main window: the entry 设计工具… in the
// result boxes' context menus and Ctrl+D. It opens beside the main window
// with the main window's crystal and the chip of its core, one at a time (a
// second request brings the open one forward), is not modal, and closes with
// the main window. Nothing of it is kept between runs.
#pragma once

#include <QObject>
#include <QPointer>

#include "designer/qt_design_window.h"
#include "window/qt_window.h"

namespace delaysub::app {

// What the design window starts with, read from the main window's form.
designer::DesignStart startFrom(const window::DelaySubForm& form);

class DesignerOpener : public QObject {
 public:
  // Adds the entry and the shortcut to the main window, which must outlive
  // the opener.
  explicit DesignerOpener(window::DelaySubWindow& main);

  // Opens the design window, or brings the open one forward; returns it.
  designer::DesignWindow* open();
  // The open design window, or nullptr.
  designer::DesignWindow* current() const { return design_; }

  static constexpr const char* kCaption = "设计工具…";

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  window::DelaySubWindow& main_;
  QPointer<designer::DesignWindow> design_;
};

}  // namespace delaysub::app
