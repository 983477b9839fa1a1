#include "designer/qt_design_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <span>

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
  table->verticalHeader()->hide();
  // Fitted to the texts when they change, not measured again on every paint.
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  table->horizontalHeader()->setStretchLastSection(true);
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
  showTable(timerTable_, model_.timerTable());
  showCode(timerCode_, model_.timer());
}

void DesignWindow::readUart() {
  UartInputs in;
  in.baud = baud_->currentText().toStdString();
  in.language = static_cast<Language>(uartLanguage_->currentIndex());
  model_.setUart(in);
  showTable(uartTable_, model_.uartTable());
  showCode(uartCode_, model_.uart());
}

void DesignWindow::refresh() {
  showCode(delayCode_, model_.delay());
  showTable(timerTable_, model_.timerTable());
  showCode(timerCode_, model_.timer());
  showTable(uartTable_, model_.uartTable());
  showCode(uartCode_, model_.uart());
}

void DesignWindow::showTable(QTableWidget* table, const ChoiceTable& choices) {
  // The model already shows the selected row's code: the table follows it
  // without telling it again.
  const QSignalBlocker blocker(table);
  const int rows = static_cast<int>(choices.rows.size());
  // Whether the columns need fitting to their texts again: where rows or
  // items come or go, or a text changed its length.
  bool refit = table->rowCount() != rows;
  table->setRowCount(rows);
  for (int r = 0; r < rows; ++r) {
    const auto& cells = choices.rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < table->columnCount(); ++c) {
      QString text = toQt(cells[static_cast<std::size_t>(c)]);
      if (c == 0 && choices.best && *choices.best == static_cast<std::size_t>(r)) {
        text += QStringLiteral("（最佳）");
      }
      QTableWidgetItem* item = table->item(r, c);
      if (item == nullptr) {
        table->setItem(r, c, new QTableWidgetItem(text));
        refit = true;
      } else if (item->text() != text) {
        refit = refit || item->text().size() != text.size();
        item->setText(text);
      }
    }
  }
  if (choices.selected) {
    table->setCurrentCell(static_cast<int>(*choices.selected), 0);
  } else {
    table->clearSelection();
  }
  // Every column fitted anew when any text changed its length: fitting only
  // that column leaves the stretched last one too wide, and the table scrolls.
  if (refit) {
    table->resizeColumnsToContents();
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
