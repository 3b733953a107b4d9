#pragma once
// The edge between the program's windows-1251 texts and Qt's strings.

#include <QString>
#include <string>
#include <string_view>

#include "core/Cp1251.h"

namespace kestrel::app {

inline QString toQString(std::string_view cp1251Text) {
  return QString::fromStdString(toUtf8(cp1251Text));
}

// A name the user typed or chose, as windows-1251 text; characters the code page lacks become
// a close letter or "?".
inline std::string fromQString(const QString& text) {
  return fromUtf8(text.toStdString()).value_or(std::string());
}

}  // namespace kestrel::app
