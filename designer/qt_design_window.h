// The design window 设计工具 on Qt widgets: the chip and the crystal at the
// top, then three pages (延时代码, 定时器, 串口波特率), each with its inputs,
// a table where there are choices, and the code to copy. Every edit goes to
// the model (design_model.h) at once and the page shows what it holds.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>

#include "designer/design_model.h"
#include "designer/qt_code_pane.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTabWidget;
class QTableWidget;

namespace delaysub::designer {

// What the window starts with: the crystal as the user writes it and the
// chip (an index into chipChoices()), or none, when the chip list gets the
// focus.
struct DesignStart {
  QString crystal = QStringLiteral("12 MHz");
  std::optional<std::size_t> chip = std::size_t{0};
};

class DesignWindow : public QWidget {
  Q_OBJECT

 public:
  using Start = DesignStart;
  explicit DesignWindow(const Start& start = Start(), QWidget* parent = nullptr);

  const DesignModel& model() const { return model_; }
  QTabWidget* pages() const { return pages_; }

  // The window's title, 设计工具.
  static QString title();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* buildTop();
  QWidget* buildDelayPage();
  QWidget* buildTimerPage();
  QWidget* buildUartPage();
  void buildTabOrder();

  void readDelay();
  void readTimer();
  void readUart();
  void refresh();
  // How a table's columns follow its new texts: fitted anew to them (another
  // chip or crystal), or only widened where a text needs it (a key in the
  // page's input).
  enum class Fit { anew, widen };
  void showTable(QTableWidget* table, const ChoiceTable& choices, Fit fit);

  DesignModel model_;
  bool chipFirst_ = false;
  bool shownOnce_ = false;
  QComboBox* chip_ = nullptr;
  QComboBox* crystal_ = nullptr;
  QTabWidget* pages_ = nullptr;
  // 延时代码
  QLineEdit* delayTime_ = nullptr;
  QComboBox* delayUnit_ = nullptr;
  QComboBox* rounding_ = nullptr;
  QComboBox* form_ = nullptr;
  QCheckBox* save_ = nullptr;
  QComboBox* delayLanguage_ = nullptr;
  CodePane delayCode_;
  // 定时器
  QLineEdit* period_ = nullptr;
  QComboBox* periodUnit_ = nullptr;
  QComboBox* timerLanguage_ = nullptr;
  QTableWidget* timerTable_ = nullptr;
  CodePane timerCode_;
  // 串口波特率
  QComboBox* baud_ = nullptr;
  QComboBox* uartLanguage_ = nullptr;
  QTableWidget* uartTable_ = nullptr;
  CodePane uartCode_;
};

}  // namespace delaysub::designer
