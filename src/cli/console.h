// Standard output and standard error of the command-line programs, as text streams.
#pragma once

#include <QTextStream>

namespace trb::cli {

inline QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

inline QTextStream& err() {
  static QTextStream s(stderr);
  return s;
}

}  // namespace trb::cli
