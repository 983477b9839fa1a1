#include "app/designer_opener.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "core/domain.h"
#include "designer/design_model.h"

namespace delaysub::app {

namespace {

// Right of the main window where the screen has room, else left of it, the
// top edges level; kept on the screen.
QPoint besideOf(const QWidget& main, QSize size) {
  constexpr int kGap = 8;
  const QRect frame = main.frameGeometry();
  const QScreen* screen =
      main.screen() != nullptr ? main.screen() : QGuiApplication::primaryScreen();
  const QRect room = screen != nullptr ? screen->availableGeometry() : QRect(frame.topLeft(), size);
  int x = frame.right() + 1 + kGap;
  if (x + size.width() > room.right() + 1) {
    x = frame.left() - kGap - size.width();
  }
  x = std::clamp(x, room.left(), std::max(room.left(), room.right() + 1 - size.width()));
  const int y =
      std::clamp(frame.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
  return {x, y};
}

}  // namespace

designer::DesignStart startFrom(const window::DelaySubForm& form) {
  designer::DesignStart start;
  start.crystal = QString::fromStdString(form.Combo0.text());
  start.chip = designer::chipForCore(static_cast<core::Core>(form.windowState().cpu_type));
  return start;
}

DesignerOpener::DesignerOpener(window::DelaySubWindow& main) : QObject(&main), main_(main) {
  main_.addToolEntry({QString::fromUtf8(kCaption), QKeySequence(Qt::CTRL | Qt::Key_D),
                      QStringLiteral("open-designer"), [this] { open(); }});
  main_.installEventFilter(this);
}

designer::DesignWindow* DesignerOpener::open() {
  if (design_ == nullptr) {
    design_ = new designer::DesignWindow(startFrom(main_.form()), &main_);
    design_->setAttribute(Qt::WA_DeleteOnClose);
    design_->move(besideOf(main_, design_->size()));
  }
  design_->show();
  design_->raise();
  design_->activateWindow();
  return design_;
}

bool DesignerOpener::eventFilter(QObject* watched, QEvent* event) {
  if (watched == &main_ && event->type() == QEvent::Close && design_ != nullptr) {
    design_->close();
  }
  return false;
}

}  // namespace delaysub::app
