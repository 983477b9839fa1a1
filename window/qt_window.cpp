#include "window/qt_window.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QProxyStyle>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <algorithm>
#include <map>
#include <string>

#include "window/qt_hints.h"
#include "window/qt_widgets.h"
#include "window/qt_x11.h"

namespace delaysub::window {

namespace {

constexpr int px(int twips) {
  return twips / kTwipsPerPixel;
}

QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Multi-line texts hold CR LF between lines; the widgets hold LF.
QString toWidgetLines(const std::string& text) {
  QString lines = toQt(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return lines;
}

std::string fromWidgetLines(QString text) {
  text.replace(QChar('\n'), QStringLiteral("\r\n"));
  return text.toStdString();
}

QColor colourOf(const Colour& colour) {
  switch (colour.type) {
    case Colour::Type::Rgb:
      return QColor(colour.r, colour.g, colour.b);
    case Colour::Type::System: {
      const QPalette palette = QApplication::palette();
      switch (colour.system) {
        case Colour::System::Highlight:
          return palette.color(QPalette::Highlight);
        case Colour::System::CaptionText:
          // Qt has no title-bar role; a title bar's text is drawn in the
          // highlighted-text colour on the highlight, as selected items are.
          return palette.color(QPalette::HighlightedText);
      }
      break;
    }
    case Colour::Type::Default:
      break;
  }
  return {};
}

void setColour(QWidget* widget, QPalette::ColorRole role, const Colour& colour) {
  if (colour.type == Colour::Type::Default) {
    return;
  }
  QPalette palette;
  palette.setColor(role, colourOf(colour));
  widget->setPalette(palette.resolve(widget->palette()));
}

// A program write into a single-line box, keeping the cursor where it was.
void setLineText(QLineEdit* edit, const QString& text) {
  if (edit->text() == text) {
    return;
  }
  const QSignalBlocker blocker(edit);
  const int position = edit->cursorPosition();
  edit->setText(text);
  edit->setCursorPosition(std::min(position, static_cast<int>(text.size())));
}

// An auto-sized label fits its caption; its left and top stay where they are.
void fitCaption(QLabel* label) {
  const QFontMetrics metrics(label->font());
  label->resize(metrics.horizontalAdvance(label->text()), metrics.height());
}

// A label as the table describes it: alignment, wrapping on fixed lines,
// a sunken border, its own background.
QLabel* newLabel(const ControlSpec& row, QWidget* parent) {
  const QString text = toQt(row.text);
  auto* label = new CaptionLabel(parent);
  label->setText(text);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment((row.flags & kRightAlign) ? Qt::AlignRight | Qt::AlignVCenter
                                                : Qt::AlignLeft | Qt::AlignTop);
  if (row.flags & kWordWrap) {
    label->setWordWrap(true);
    label->setFixedLineHeight(DelaySubWindow::kLineHeight);
  }
  if (row.flags & kSunken) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setIndent(1);
  }
  if (row.background.type != Colour::Type::Default) {
    label->setAutoFillBackground(true);
    setColour(label, QPalette::Window, row.background);
  }
  setColour(label, QPalette::WindowText, row.foreground);
  if (row.flags & kAutoSize) {
    fitCaption(label);
  }
  return label;
}

// A single-line box, or a multi-line box on fixed lines.
QWidget* newTextBox(const ControlSpec& row, QWidget* parent) {
  const QString text = toQt(row.text);
  QWidget* box;
  if (row.flags & kMultiLine) {
    auto* edit = new MultiLineBox(parent, DelaySubWindow::kLineHeight);
    edit->setProgramText(toWidgetLines(std::string(row.text)));
    edit->setReadOnly(row.flags & kReadOnly);
    if (row.flags & kReadOnly) {
      edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    box = edit;
  } else {
    auto* edit = new QLineEdit(text, parent);
    edit->setReadOnly(row.flags & kReadOnly);
    edit->setAlignment((row.flags & kCentred) ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    box = edit;
  }
  box->setFocusPolicy(Qt::StrongFocus);
  setColour(box, QPalette::Text, row.foreground);
  return box;
}

// The option buttons leave less room between the circle and the caption than
// the usual style does, so that captions such as "MCS-51" fit their buttons.
class OptionButtonStyle : public QProxyStyle {
 public:
  explicit OptionButtonStyle(QObject* owner)
      : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {
    setParent(owner);
  }

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_RadioButtonLabelSpacing) {
      return kCaptionSpacing;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  static constexpr int kCaptionSpacing = 4;
};

}  // namespace

QFont DelaySubWindow::windowFont() {
  QFont font;
  // Half-width Latin (6 px) and full-width Chinese (12 px) from one face.
  font.setFamilies(
      {QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("Noto Sans Mono CJK SC")});
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(12);
  return font;
}

void DelaySubWindow::setUpApplication() {
  // Wayland compositors match the window to its desktop entry by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.delaysub.DelaySUB"));
  QApplication::setWindowIcon(programIcon());
  QApplication::setFont(windowFont());
}

DelaySubWindow::DelaySubWindow(EventObserver* observer, QWidget* parent)
    : QWidget(parent), form_(observer) {
  setWindowTitle(toQt(kWindowCaption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setWindowIcon(programIcon());
  setFont(windowFont());
  setFixedSize(px(kClientWidthTwips), px(kClientHeightTwips));
  optionStyle_ = new OptionButtonStyle(this);

  for (const ControlSpec& row : layoutTable()) {
    QWidget* widget = build(row);
    entries_.push_back({row, widget});
    bind(row, widget);
  }
  bindOptionGroups();
  // Labels that name the box beside them, for the accessibility interface.
  for (const Entry& entry : entries_) {
    if (!entry.row.buddy.empty()) {
      static_cast<QLabel*>(entry.widget)->setBuddy(control(entry.row.buddy, entry.row.buddyIndex));
    }
  }
  buildTabOrder();
  buildErrorReport();
  hints_ = std::make_unique<HintsBinding>(*this);

  form_.load();
}

DelaySubWindow::~DelaySubWindow() {
  hints_.reset();
  // The widgets' signals reach the form: the widgets go first.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

QWidget* DelaySubWindow::control(std::string_view name, int index) const {
  for (const Entry& entry : entries_) {
    if (entry.row.name == name && entry.row.index == index) {
      return entry.widget;
    }
  }
  return nullptr;
}

QWidget* DelaySubWindow::build(const ControlSpec& row) {
  QWidget* widget = create(row);
  widget->setObjectName(toQt(row.name) +
                        (row.index >= 0 ? QStringLiteral("_%1").arg(row.index) : QString()));
  widget->move(px(row.left), px(row.top));
  if (!(row.kind == Kind::Label && (row.flags & kAutoSize))) {
    widget->resize(px(row.width), px(row.height));
  }
  if (!row.tooltip.empty()) {
    widget->setToolTip(toQt(row.tooltip));
  }
  return widget;
}

QWidget* DelaySubWindow::create(const ControlSpec& row) {
  QWidget* parent = row.container.empty() ? this : control(row.container);
  const QString text = toQt(row.text);
  switch (row.kind) {
    case Kind::Frame: {
      auto* frame = new FrameBox(text, parent);
      // Named by its own caption, not by the frame around it.
      frame->setAccessibleName(text);
      setColour(frame, QPalette::WindowText, row.foreground);
      return frame;
    }
    case Kind::Label:
      return newLabel(row, parent);
    case Kind::TextBox:
      return newTextBox(row, parent);
    case Kind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      combo->setCompleter(nullptr);
      // Leaving the box never picks the item that matches the typed text.
      QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, combo, nullptr);
      combo->setEditText(text);
      combo->setFocusPolicy(Qt::StrongFocus);
      setColour(combo, QPalette::Text, row.foreground);
      return combo;
    }
    case Kind::OptionButton: {
      auto* button = new OptionButton(parent);
      button->setStyle(optionStyle_);
      button->setText(text);
      button->setFocusPolicy(Qt::StrongFocus);
      setColour(button, QPalette::WindowText, row.foreground);
      return button;
    }
  }
  return nullptr;
}

void DelaySubWindow::bind(const ControlSpec& row, QWidget* widget) {
  const std::int16_t index = row.index;
  if (row.kind == Kind::Frame) {
    auto& frame = form_.control<Frame>(row.name, row.index);
    frame.onUpdate = [widget, &frame] { widget->setHidden(!frame.visible()); };
    frame.onUpdate();
  } else if (row.kind == Kind::Label) {
    auto& label = form_.control<Label>(row.name, index);
    auto* view = static_cast<CaptionLabel*>(widget);
    const bool autoSize = row.flags & kAutoSize;
    label.onUpdate = [view, &label, autoSize] {
      view->setText(toQt(label.caption()));
      if (autoSize) {
        fitCaption(view);
      }
    };
    label.onUpdate();
    view->onDoubleClick = [&label] { label.doubleClick(); };
  } else if (row.kind == Kind::TextBox) {
    auto& box = form_.control<TextBox>(row.name, index);
    if (auto* edit = dynamic_cast<MultiLineBox*>(widget)) {
      box.onUpdate = [edit, &box] { edit->setProgramText(toWidgetLines(box.text())); };
      // Any change that is not a program write: typing, pasting, undo, and
      // text set through the accessibility interface.
      connect(edit, &QTextEdit::textChanged, this, [edit, &box] {
        edit->fixLineHeights();
        std::string text = fromWidgetLines(edit->toPlainText());
        if (text != box.text()) {
          box.setText(text);
        }
      });
    } else {
      auto* line = static_cast<QLineEdit*>(widget);
      box.onUpdate = [line, &box] { setLineText(line, toQt(box.text())); };
      connect(line, &QLineEdit::textChanged, this, [&box](const QString& text) {
        std::string typed = text.toStdString();
        if (typed != box.text()) {
          box.setText(typed);
        }
      });
    }
    box.onUpdate();
  } else if (row.kind == Kind::ComboBox) {
    auto& box = form_.control<ComboBox>(row.name, index);
    auto* combo = static_cast<QComboBox*>(widget);
    // The widget follows the control: its list, its selected item (none when
    // the text was typed) and its edit text.
    box.onUpdate = [combo, &box] {
      QLineEdit* edit = combo->lineEdit();
      const QSignalBlocker comboBlocker(combo);
      const QSignalBlocker editBlocker(edit);
      const int position = edit->cursorPosition();
      for (auto i = static_cast<std::size_t>(combo->count()); i < box.items().size(); ++i) {
        combo->addItem(toQt(box.items()[i]));
      }
      if (combo->currentIndex() != box.listIndex()) {
        combo->setCurrentIndex(box.listIndex());
      }
      const QString text = toQt(box.text());
      if (edit->text() != text) {
        edit->setText(text);
        edit->setCursorPosition(std::min(position, static_cast<int>(text.size())));
      }
    };
    box.onUpdate();
    // Picking an item first moves the widget's current index and sets the
    // edit text, then reports the pick: that text change is not typing.
    connect(combo->lineEdit(), &QLineEdit::textChanged, this, [combo, &box](const QString& text) {
      if (combo->currentIndex() != box.listIndex()) {
        return;
      }
      std::string typed = text.toStdString();
      if (typed != box.text()) {
        box.setText(typed);
      }
    });
    connect(combo, &QComboBox::activated, this, [&box](int item) { box.setListIndex(item); });
  }
}

void DelaySubWindow::bindOptionGroups() {
  std::map<std::string_view, std::vector<OptionButton*>> groups;
  for (const Entry& entry : entries_) {
    if (entry.row.kind != Kind::OptionButton) {
      continue;
    }
    auto& buttons = groups[entry.row.name];
    const auto at = static_cast<std::size_t>(entry.row.index);
    if (buttons.size() <= at) {
      buttons.resize(at + 1);
    }
    buttons[at] = static_cast<OptionButton*>(entry.widget);
  }
  for (auto& [name, buttons] : groups) {
    auto& group = form_.control<OptionGroup>(name, 0);
    auto* exclusive = new QButtonGroup(this);
    for (std::size_t i = 0; i < buttons.size(); ++i) {
      OptionButton* button = buttons[i];
      const int index = static_cast<int>(i);
      exclusive->addButton(button, index);
      // A click, the arrow keys and the accessibility actions all check the
      // button; the program's own checks come with signals blocked.
      connect(button, &QAbstractButton::toggled, this, [&group, index](bool checked) {
        if (checked) {
          group.select(index);
        }
      });
      button->onFocusIn = [&group, index] { group.focus(index); };
    }
    // The control decides which button shows as selected; the Tab key
    // stops only at the selected one (at every one while none is).
    group.onUpdate = [exclusive, buttons = buttons, &group] {
      std::vector<std::unique_ptr<QSignalBlocker>> blockers;
      for (OptionButton* button : buttons) {
        blockers.push_back(std::make_unique<QSignalBlocker>(button));
      }
      const int selected = group.selected();
      if (selected < 0) {
        exclusive->setExclusive(false);
        for (OptionButton* button : buttons) {
          button->setChecked(false);
        }
        exclusive->setExclusive(true);
      } else {
        buttons[static_cast<std::size_t>(selected)]->setChecked(true);
      }
      for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool stop = selected < 0 || static_cast<int>(i) == selected;
        buttons[i]->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
      }
    };
    group.onUpdate();
  }
}

void DelaySubWindow::buildTabOrder() {
  std::vector<const Entry*> chain;
  for (const Entry& entry : entries_) {
    if (entry.row.tabOrder >= 0) {
      chain.push_back(&entry);
    } else if (entry.row.kind == Kind::Label) {
      entry.widget->setFocusPolicy(Qt::NoFocus);
    }
  }
  std::sort(chain.begin(), chain.end(),
            [](const Entry* a, const Entry* b) { return a->row.tabOrder < b->row.tabOrder; });
  for (std::size_t i = 1; i < chain.size(); ++i) {
    setTabOrder(chain[i - 1]->widget, chain[i]->widget);
  }
}

void DelaySubWindow::buildErrorReport() {
  errorReport_ = static_cast<QLabel*>(build(errorReportSpec()));
  errorReport_->setFocusPolicy(Qt::NoFocus);
  errorReport_->setAttribute(Qt::WA_TransparentForMouseEvents);
  errorReport_->hide();
  form_.onErrorReportChanged = [this] { showErrorReport(); };
}

void DelaySubWindow::showErrorReport() {
  const QString text = toQt(form_.errorReport());
  errorReport_->setText(text);
  errorReport_->setAccessibleName(text);
  errorReport_->setHidden(text.isEmpty());
  if (!text.isEmpty() && QAccessible::isActive()) {
    QAccessibleEvent alert(errorReport_, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  }
}

void DelaySubWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Shown by the program, not restored by the window manager: the native
  // window exists and is not mapped yet, and may carry its hints.
  if (!event->spontaneous()) {
    keepOutOfTaskBar(this);
  }
  if (shownOnce_) {
    return;
  }
  shownOnce_ = true;
  // The focus goes to the first control of the tab order, which selects it
  // while its group has no selection.
  if (QWidget* first = control("Option2", 0)) {
    first->setFocus(Qt::TabFocusReason);
  }
  form_.shown();
}

}  // namespace delaysub::window
