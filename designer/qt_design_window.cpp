#include "designer/qt_design_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHash>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStaticText>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <span>
#include <vector>

#include "core/lists.h"

namespace delaysub::designer {

namespace {

template <std::size_t N>
QComboBox* choiceList(QWidget* parent, const char* name,
                      const std::array<std::string_view, N>& captions) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QLatin1String(name));
  for (std::string_view caption : captions) {
    list->addItem(toQt(caption));
  }
  list->setFocusPolicy(Qt::StrongFocus);
  return list;
}

// An editable list that keeps what is typed as typed: no item is added, and
// leaving it never picks the item that matches the text.
template <std::size_t N>
QComboBox* editableList(QWidget* parent, const char* name,
                        const std::array<std::string_view, N>& items, const QString& text) {
  QComboBox* list = choiceList(parent, name, items);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  list->setCompleter(nullptr);
  QObject::disconnect(list->lineEdit(), &QLineEdit::editingFinished, list, nullptr);
  list->setEditText(text);
  return list;
}

// The caption before a control; it names the control for screen readers.
QLabel* caption(QWidget* parent, const char* text, QWidget* buddy) {
  auto* label = new QLabel(QString::fromUtf8(text), parent);
  label->setBuddy(buddy);
  return label;
}

QLineEdit* numberBox(QWidget* parent, const char* name, const std::string& text) {
  auto* box = new QLineEdit(toQt(text), parent);
  box->setObjectName(QLatin1String(name));
  const QFontMetrics metrics(box->font());
  box->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000000000")));
  return box;
}

// A cell as one line of text over the style's own item panel (selection,
// focus). The style lays an item's text out twice and elides it through a
// third layout at every paint; here each text is shaped once, kept while the
// font stays, and drawn from what was kept. A table repaints most of its
// cells at every key, and the unchanged ones far more often than they change.
class CellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem cell(option);
    initStyleOption(&cell, index);
    const QWidget* widget = cell.widget;
    const QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    const QString text = cell.text;
    cell.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
    const QPalette::ColorGroup group =
        (cell.state & QStyle::State_Enabled) == 0  ? QPalette::Disabled
        : (cell.state & QStyle::State_Active) == 0 ? QPalette::Inactive
                                                   : QPalette::Normal;
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect room = cell.rect.adjusted(margin, 0, -margin, 0);
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(group, (cell.state & QStyle::State_Selected) != 0
                                                  ? QPalette::HighlightedText
                                                  : QPalette::Text));
    const QStaticText& shaped = shapedText(text, cell.font);
    const QSizeF size = shaped.size();
    if (size.width() <= room.width()) {
      const QRect place =
          QStyle::alignedRect(cell.direction, cell.displayAlignment, size.toSize(), room);
      painter->drawStaticText(place.topLeft(), shaped);
    } else {
      // A column made narrower than its text by hand: the text ends in "…".
      const QFontMetrics metrics(cell.font);
      painter->drawText(room, static_cast<int>(cell.displayAlignment) | Qt::TextSingleLine,
                        metrics.elidedText(text, Qt::ElideRight, room.width()));
    }
    painter->restore();
  }

 private:
  // At most this many texts are kept; then the store starts afresh.
  static constexpr qsizetype kKept = 1024;

  const QStaticText& shapedText(const QString& text, const QFont& font) const {
    if (font != font_) {
      kept_.clear();
      font_ = font;
    }
    auto found = kept_.find(text);
    if (found == kept_.end()) {
      if (kept_.size() >= kKept) {
        kept_.clear();
      }
      QStaticText shaped(text);
      shaped.setTextFormat(Qt::PlainText);
      shaped.setPerformanceHint(QStaticText::AggressiveCaching);
      shaped.prepare(QTransform(), font);
      found = kept_.insert(text, shaped);
    }
    return *found;
  }

  mutable QHash<QString, QStaticText> kept_;
  mutable QFont font_;
};

// Gives a table's last column the room the other columns leave, and at
// least the width of its texts. (A header that stretches its last section
// does not stretch it again when the other columns are fitted: the last one
// stays too narrow, or too wide and the table scrolls sideways.)
void fillLastColumn(QTableWidget* table) {
  QHeaderView* header = table->horizontalHeader();
  const int last = header->count() - 1;
  if (last < 0) {
    return;
  }
  const QAbstractItemView* view = table;  // where sizeHintForColumn is public
  const int needed = std::max(view->sizeHintForColumn(last), header->sectionSizeHint(last));
  const int room = table->viewport()->width() - header->sectionPosition(last);
  header->resizeSection(last, std::max(needed, room));
}

// Fills the last column again when the table's view changes its size.
class LastColumnFiller : public QObject {
 public:
  explicit LastColumnFiller(QTableWidget* table) : QObject(table), table_(table) {}

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    if (event->type() == QEvent::Resize) {
      fillLastColumn(table_);
    }
    return false;
  }

 private:
  QTableWidget* table_;
};

QTableWidget* choiceTable(QWidget* parent, const char* name, const QString& what,
                          std::span<const std::string_view> columns) {
  auto* table = new QTableWidget(0, static_cast<int>(columns.size()), parent);
  table->setObjectName(QLatin1String(name));
  table->setAccessibleName(what);
  QStringList headers;
  for (std::string_view column : columns) {
    headers << toQt(column);
  }
  table->setHorizontalHeaderLabels(headers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setTabKeyNavigation(false);
  table->setItemDelegate(new CellDelegate(table));
  table->verticalHeader()->hide();
  // Fitted to the texts when they change, not measured again on every paint;
  // the last column fills the rest (fillLastColumn), also when the table is
  // resized.
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table->viewport()->installEventFilter(new LastColumnFiller(table));
  // The header does not follow the selection: the whole row is selected, so
  // it would mark every column, and paint itself anew whenever the row
  // changes. (The header is not clickable: a click selects no column.)
  QHeaderView* header = table->horizontalHeader();
  header->setHighlightSections(false);
  header->setSectionsClickable(false);
  header->setSelectionModel(new QItemSelectionModel(table->model(), header));
  const QFontMetrics metrics(table->font());
  table->setMinimumHeight(metrics.lineSpacing() * 7);
  return table;
}

}  // namespace

QString DesignWindow::title() {
  return QStringLiteral("设计工具");
}

DesignWindow::DesignWindow(const Start& start, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(start.crystal.toStdString(), start.chip) {
  setObjectName(QStringLiteral("designWindow"));
  setWindowTitle(title());
  chipFirst_ = !model_.chip().has_value();
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(buildTop());
  pages_ = new QTabWidget(this);
  pages_->setObjectName(QStringLiteral("pages"));
  pages_->setAccessibleName(QStringLiteral("设计页"));
  pages_->addTab(buildDelayPage(), QStringLiteral("延时代码"));
  pages_->addTab(buildTimerPage(), QStringLiteral("定时器"));
  pages_->addTab(buildUartPage(), QStringLiteral("串口波特率"));
  layout->addWidget(pages_, 1);
  // Every page is inside the window now: the chain holds.
  buildTabOrder();
  refresh();
  resize(sizeHint());
}

QWidget* DesignWindow::buildTop() {
  auto* top = new QWidget(this);
  auto* grid = new QGridLayout(top);
  grid->setContentsMargins(0, 0, 0, 0);
  chip_ = new QComboBox(top);
  chip_->setObjectName(QStringLiteral("chip"));
  chip_->setPlaceholderText(QStringLiteral("请选择芯片"));
  for (const ChipChoice& choice : chipChoices()) {
    chip_->addItem(toQt(choice.caption));
  }
  chip_->setCurrentIndex(model_.chip() ? static_cast<int>(*model_.chip()) : -1);
  crystal_ = editableList(top, "crystal", core::kCrystalList, toQt(model_.crystal()));
  grid->addWidget(caption(top, "芯片(&P)：", chip_), 0, 0);
  grid->addWidget(chip_, 0, 1);
  grid->addWidget(caption(top, "晶振(&F)：", crystal_), 0, 2);
  grid->addWidget(crystal_, 0, 3);
  grid->setColumnStretch(1, 3);
  grid->setColumnStretch(3, 1);
  connect(chip_, &QComboBox::currentIndexChanged, this, [this](int index) {
    model_.setChip(index < 0 ? std::nullopt : std::optional<std::size_t>(index));
    refresh();
  });
  connect(crystal_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    model_.setCrystal(text.toStdString());
    refresh();
  });
  return top;
}

QWidget* DesignWindow::buildDelayPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("delayPage"));
  auto* grid = new QGridLayout(page);
  const DelayInputs& in = model_.delayInputs();
  delayTime_ = numberBox(page, "delayTime", in.time);
  delayUnit_ = choiceList(page, "delayUnit", kUnitCaptions);
  delayUnit_->setCurrentIndex(static_cast<int>(in.unit));
  rounding_ = choiceList(page, "rounding", kRoundingCaptions);
  form_ = choiceList(page, "form", kFormCaptions);
  save_ = new QCheckBox(QStringLiteral("保存寄存器(&S)"), page);
  save_->setObjectName(QStringLiteral("save"));
  delayLanguage_ = choiceList(page, "delayLanguage", kLanguageCaptions);
  grid->addWidget(caption(page, "延时时间(&T)：", delayTime_), 0, 0);
  grid->addWidget(delayTime_, 0, 1);
  grid->addWidget(caption(page, "单位(&U)：", delayUnit_), 0, 2);
  grid->addWidget(delayUnit_, 0, 3);
  grid->addWidget(caption(page, "取整(&R)：", rounding_), 1, 0);
  grid->addWidget(rounding_, 1, 1);
  grid->addWidget(caption(page, "形式(&M)：", form_), 1, 2);
  grid->addWidget(form_, 1, 3);
  grid->addWidget(caption(page, "语言(&L)：", delayLanguage_), 2, 0);
  grid->addWidget(delayLanguage_, 2, 1);
  grid->addWidget(save_, 2, 3);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  delayCode_ = addCodePane(page, grid, 3, QStringLiteral("delay"), QStringLiteral("延时代码"));
  connect(delayTime_, &QLineEdit::textChanged, this, &DesignWindow::readDelay);
  for (QComboBox* list : {delayUnit_, rounding_, form_, delayLanguage_}) {
    connect(list, &QComboBox::currentIndexChanged, this, &DesignWindow::readDelay);
  }
  connect(save_, &QCheckBox::toggled, this, &DesignWindow::readDelay);
  return page;
}

QWidget* DesignWindow::buildTimerPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("timerPage"));
  auto* grid = new QGridLayout(page);
  const TimerInputs& in = model_.timerInputs();
  period_ = numberBox(page, "period", in.period);
  periodUnit_ = choiceList(page, "periodUnit", kUnitCaptions);
  periodUnit_->setCurrentIndex(static_cast<int>(in.unit));
  timerLanguage_ = choiceList(page, "timerLanguage", kLanguageCaptions);
  timerTable_ = choiceTable(page, "timerTable", QStringLiteral("定时器的各种选择"), kTimerColumns);
  grid->addWidget(caption(page, "定时周期(&T)：", period_), 0, 0);
  grid->addWidget(period_, 0, 1);
  grid->addWidget(caption(page, "单位(&U)：", periodUnit_), 0, 2);
  grid->addWidget(periodUnit_, 0, 3);
  grid->addWidget(caption(page, "语言(&L)：", timerLanguage_), 1, 0);
  grid->addWidget(timerLanguage_, 1, 1);
  grid->addWidget(timerTable_, 2, 0, 1, -1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  timerCode_ =
      addCodePane(page, grid, 3, QStringLiteral("timer"), QStringLiteral("定时器初始化代码"));
  connect(period_, &QLineEdit::textChanged, this, &DesignWindow::readTimer);
  for (QComboBox* list : {periodUnit_, timerLanguage_}) {
    connect(list, &QComboBox::currentIndexChanged, this, &DesignWindow::readTimer);
  }
  connect(timerTable_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0) {
      model_.selectTimerRow(static_cast<std::size_t>(row));
      showCode(timerCode_, model_.timer());
    }
  });
  return page;
}

QWidget* DesignWindow::buildUartPage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("uartPage"));
  auto* grid = new QGridLayout(page);
  const UartInputs& in = model_.uartInputs();
  baud_ = editableList(page, "baud", core::kBaudList, toQt(in.baud));
  uartLanguage_ = choiceList(page, "uartLanguage", kLanguageCaptions);
  uartTable_ = choiceTable(page, "uartTable", QStringLiteral("串口波特率的各种方式"), kUartColumns);
  grid->addWidget(caption(page, "波特率(&B)：", baud_), 0, 0);
  grid->addWidget(baud_, 0, 1);
  grid->addWidget(caption(page, "语言(&L)：", uartLanguage_), 0, 2);
  grid->addWidget(uartLanguage_, 0, 3);
  grid->addWidget(uartTable_, 1, 0, 1, -1);
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  uartCode_ = addCodePane(page, grid, 2, QStringLiteral("uart"), QStringLiteral("串口初始化代码"));
  connect(baud_, &QComboBox::editTextChanged, this, &DesignWindow::readUart);
  connect(uartLanguage_, &QComboBox::currentIndexChanged, this, &DesignWindow::readUart);
  connect(uartTable_, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0) {
      model_.selectUartRow(static_cast<std::size_t>(row));
      showCode(uartCode_, model_.uart());
    }
  });
  return page;
}

void DesignWindow::buildTabOrder() {
  const QList<QWidget*> chain = {chip_,          crystal_,        pages_->tabBar(),
                                 delayTime_,     delayUnit_,      rounding_,
                                 form_,          delayLanguage_,  save_,
                                 delayCode_.box, delayCode_.copy, period_,
                                 periodUnit_,    timerLanguage_,  timerTable_,
                                 timerCode_.box, timerCode_.copy, baud_,
                                 uartLanguage_,  uartTable_,      uartCode_.box,
                                 uartCode_.copy};
  for (qsizetype i = 1; i < chain.size(); ++i) {
    setTabOrder(chain[i - 1], chain[i]);
  }
}

void DesignWindow::readDelay() {
  DelayInputs in;
  in.time = delayTime_->text().toStdString();
  in.unit = static_cast<TimeUnit>(delayUnit_->currentIndex());
  in.rounding = static_cast<Rounding>(rounding_->currentIndex());
  in.inlineCode = form_->currentIndex() == 1;
  in.save = save_->isChecked();
  in.language = static_cast<Language>(delayLanguage_->currentIndex());
  model_.setDelay(in);
  showCode(delayCode_, model_.delay());
}

void DesignWindow::readTimer() {
  TimerInputs in;
  in.period = period_->text().toStdString();
  in.unit = static_cast<TimeUnit>(periodUnit_->currentIndex());
  in.language = static_cast<Language>(timerLanguage_->currentIndex());
  model_.setTimer(in);
  showTable(timerTable_, model_.timerTable(), Fit::widen);
  showCode(timerCode_, model_.timer());
}

void DesignWindow::readUart() {
  UartInputs in;
  in.baud = baud_->currentText().toStdString();
  in.language = static_cast<Language>(uartLanguage_->currentIndex());
  model_.setUart(in);
  showTable(uartTable_, model_.uartTable(), Fit::widen);
  showCode(uartCode_, model_.uart());
}

void DesignWindow::refresh() {
  showCode(delayCode_, model_.delay());
  showTable(timerTable_, model_.timerTable(), Fit::anew);
  showCode(timerCode_, model_.timer());
  showTable(uartTable_, model_.uartTable(), Fit::anew);
  showCode(uartCode_, model_.uart());
}

void DesignWindow::showTable(QTableWidget* table, const ChoiceTable& choices, Fit fit) {
  // The model already shows the selected row's code: the table follows it
  // without telling it again.
  const QSignalBlocker blocker(table);
  const int rows = static_cast<int>(choices.rows.size());
  const int columns = table->columnCount();
  // Where rows come or go the columns are fitted anew; else only a column
  // whose text changed is measured, and widens when it needs to.
  bool anew = fit == Fit::anew || table->rowCount() != rows;
  std::vector<bool> changed(static_cast<std::size_t>(columns), false);
  table->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    const auto& cells = choices.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < columns; ++c) {
      QString text = toQt(cells[static_cast<std::size_t>(c)]);
      if (c == 0 && choices.best && *choices.best == static_cast<std::size_t>(r)) {
        text += QStringLiteral("（最佳）");
      }
      QTableWidgetItem* item = table->item(r, c);
      if (item == nullptr) {
        table->setItem(r, c, new QTableWidgetItem(text));
        anew = true;
      } else if (item->text() != text) {
        item->setText(text);
        changed[static_cast<std::size_t>(c)] = true;
      }
    }
  }
  if (choices.selected) {
    table->setCurrentCell(static_cast<int>(*choices.selected), 0);
  } else {
    table->clearSelection();
  }
  bool wider = anew;
  if (anew) {
    table->resizeColumnsToContents();
  } else {
    // While the user types, a column keeps its width or widens: the table
    // does not jump at every key, and no text is cut short.
    const QAbstractItemView* view = table;  // where sizeHintForColumn is public
    for (int c = 0; c + 1 < columns; ++c) {
      if (changed[static_cast<std::size_t>(c)]) {
        const int width = view->sizeHintForColumn(c);
        if (width > table->columnWidth(c)) {
          table->setColumnWidth(c, width);
          wider = true;
        }
      }
    }
  }
  if (wider) {
    fillLastColumn(table);
  }
}

void DesignWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) {
    return;
  }
  shownOnce_ = true;
  if (chipFirst_) {
    chip_->setFocus(Qt::OtherFocusReason);
  } else {
    delayTime_->setFocus(Qt::OtherFocusReason);
    delayTime_->selectAll();
  }
}

}  // namespace delaysub::designer
