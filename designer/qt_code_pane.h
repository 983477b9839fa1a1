// The lower half of a page of the design window: the code box (monospaced,
// read-only, selectable), its 复制 button and the figures under it, or the
// sentence that stands for them.
#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include "designer/design_model.h"
#include "designer/line_diff.h"

class QLabel;
class QStyle;
class QTextCursor;
class QPushButton;
class QGridLayout;

namespace delaysub::designer {

// Ctrl+C copies the selection, or the whole code where nothing is selected.
class CodeBox : public QPlainTextEdit {
 public:
  explicit CodeBox(QWidget* parent);
  // The code as delaysub-calc prints it (LF line breaks).
  QString code() const { return code_; }
  void setCode(const QString& code);
  void copyAll() const;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Replaces the hunk's old lines in the document by its lines of after.
  void replaceLines(QTextCursor& cursor, const LineHunk& hunk, const QStringList& after);

  QString code_;
};

struct CodePane {
  CodeBox* box = nullptr;
  QPushButton* copy = nullptr;
  QLabel* figures = nullptr;
};

// Builds the pane into the layout from row on: the box over both columns,
// then the figures and the button. name prefixes the object names
// ("delay" -> delayCode, delayCopy, delayFigures); what is read out as the
// code box's name.
CodePane addCodePane(QWidget* page, QGridLayout* layout, int row, const QString& name,
                     const QString& what);
// Shows a page's code and figures.
void showCode(const CodePane& pane, const CodeView& view);

QString toQt(std::string_view text);

// The application's style for scroll bars, drawn in bands low enough that
// Qt fills each on this thread (a tall fill goes to its thread pool, which
// on two cores costs more than it saves); owner deletes it.
QStyle* bandedScrollBarStyle(QObject* owner);

}  // namespace delaysub::designer
