// The program's version in the form the update check compares: year.a.b.c, four whole numbers.
// It is set once, as the project's VERSION in the top CMakeLists.txt.
#pragma once

#include <QString>

namespace trb {

inline QString programVersion() {
  return QStringLiteral(TRB_VERSION);
}

}  // namespace trb
