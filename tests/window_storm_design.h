// The design window under the random-input test of the real window: opened
// from the main window by Ctrl+D and by the entry 设计工具… of a result box's
// context menu (Shift+F10 or the right mouse button), typed into on every
// page (garbage, huge numbers, nothing, Chinese, long pasted text), its pages
// switched by the keyboard, table rows picked, its code copied by 复制 and
// Ctrl+C, closed through the window system and opened again. Every input is
// a real key or mouse event.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <random>

#include "app/designer_opener.h"

class QWindow;

namespace delaysub::window::test_support {

class DesignStorm {
 public:
  // The opener joins the main window, which must outlive this.
  DesignStorm(DelaySubWindow& main, std::mt19937& random);
  ~DesignStorm();
  DesignStorm(const DesignStorm&) = delete;
  DesignStorm& operator=(const DesignStorm&) = delete;

  // The user works in the design window (it is open and in front).
  bool inFront() const { return inFront_; }
  bool isOpen() const { return opener_->current() != nullptr; }

  // From the main window: opens the design window by one of its three ways,
  // or goes back to it when it is open. failure tells what went wrong.
  QString enter(QString& failure);
  // Opens it by one of the three ways (the main window must be in front).
  QString open(QString& failure);
  // One random input to the design window in front.
  QString send(QString& failure);
  // Closes it as the window system does; the user is back in the main
  // window. Nothing of the design window may remain.
  QString close(QString& failure);

  // The first thing wrong with what the design window shows, "" when all
  // holds: every code box, figure and table row equal to what a model of
  // its own computes for the inputs the window shows; a sentence wherever a
  // page has no answer; no modal window or dialog anywhere.
  QString mismatch() const;

  // Every widget of the main window that has a name: place, size,
  // visibility and text.
  static QStringList snapshot(const QWidget& window);

 private:
  int below(int n);
  QWidget* find(const char* name) const;
  template <class W>
  W* find(const char* name) const {
    return static_cast<W*>(find(name));
  }
  QWindow* handle() const;
  bool bringToFront(QWidget* window, QString& failure);

  QString openByMenu(bool mouse, QString& failure);
  QString afterOpen(const QString& how, QString& failure);
  QString sendToDesign(QString& failure);
  bool reachPage(int page, QString& failure);
  QString reachField(int field, QString& failure);
  QString reachFieldOnce(int field, QString& failure);
  QString edit(QString& failure);
  QString editText(QWidget* box, QString& failure);
  QString editChoice(QWidget* list, QString& failure);
  QString pickRow(QString& failure);
  QString copy(QString& failure);
  QString focusKey();

  DelaySubWindow& main_;
  std::mt19937& random_;
  std::unique_ptr<app::DesignerOpener> opener_;
  bool inFront_ = false;
};

}  // namespace delaysub::window::test_support
