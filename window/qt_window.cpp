#include "window/qt_window.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>
#include <QProxyStyle>
#include <QStyleFactory>
#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

#include "window/qt_bind.h"
#include "window/qt_hints.h"
#include "window/qt_text.h"
#include "window/qt_widgets.h"
#include "window/qt_x11.h"

namespace delaysub::window {

namespace {

constexpr int px(int twips) {
  return twips / kTwipsPerPixel;
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
  form_.unsubscribe(*this);
  hints_.reset();
  delete tools_;  // it watches the boxes deleted below
  tools_ = nullptr;
  bindings_.clear();
  // The widgets' signals reach the form: the widgets go first.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void DelaySubWindow::addToolEntry(ToolEntry entry) {
  if (tools_ == nullptr) {
    tools_ = new ToolEntries(*this);
  }
  tools_->add(std::move(entry));
}

void DelaySubWindow::addToolEntries(QMenu& menu) const {
  if (tools_ != nullptr) {
    tools_->addTo(menu);
  }
}

QWidget* DelaySubWindow::control(std::string_view name, int index) const {
  const Control& owner = form_.control(name, index);
  const auto found = widgets_.find({&owner, index});
  if (found == widgets_.end()) {
    // An option group by itself (index -1) has no widget, nor has a control
    // whose widget is not built yet.
    throw std::out_of_range(std::string(name) + " has no widget of index " + std::to_string(index));
  }
  return found->second;
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
  Control& control = form_.control(row.name, row.index);
  widgets_.emplace(std::pair<const Control*, int>(&control, row.index), widget);
  switch (row.kind) {
    case Kind::Frame:
      bindings_.push_back(bindFrame(dynamic_cast<Frame&>(control), widget));
      break;
    case Kind::Label:
      bindings_.push_back(bindLabel(dynamic_cast<Label&>(control),
                                    static_cast<CaptionLabel*>(widget), row.flags & kAutoSize));
      break;
    case Kind::TextBox:
      bindings_.push_back(bindTextBox(dynamic_cast<TextBox&>(control), widget));
      break;
    case Kind::ComboBox:
      bindings_.push_back(
          bindComboBox(dynamic_cast<ComboBox&>(control), static_cast<QComboBox*>(widget)));
      break;
    case Kind::OptionButton:
      break;  // by group, in bindOptionGroups
  }
}

void DelaySubWindow::bindOptionGroups() {
  for (OptionGroup* group : {&form_.Option0, &form_.Option1, &form_.Option2}) {
    std::vector<OptionButton*> buttons;
    for (int i = 0; i < group->size(); ++i) {
      buttons.push_back(&widget<OptionButton>(group->name(), i));
    }
    bindings_.push_back(bindOptionGroup(*group, buttons, this));
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
  form_.subscribe(*this);
}

void DelaySubWindow::changed(const DelaySubForm& form) {
  const QString text = toQt(form.errorReport());
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
  control("Option2", 0)->setFocus(Qt::TabFocusReason);
  form_.shown();
}

}  // namespace delaysub::window
