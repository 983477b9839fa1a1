// Text between the form, which holds UTF-8 in std::string, and Qt's QString:
// every conversion of the Qt side goes through these.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace delaysub::window {

inline QString toQt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string fromQt(const QString& text) {
  return text.toStdString();  // UTF-8
}

// Multi-line texts hold CR LF between lines; the widgets hold LF.
inline QString toWidgetLines(std::string_view text) {
  QString lines = toQt(text);
  lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return lines;
}

inline std::string fromWidgetLines(QString text) {
  text.replace(QChar('\n'), QStringLiteral("\r\n"));
  return fromQt(text);
}

}  // namespace delaysub::window
