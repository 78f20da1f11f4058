#include <QTextStream>

#include "cli/trbdb_commands.h"

namespace trb::cli {

int cmdImport(const QStringList&) {
  QTextStream(stderr) << "trbdb import: not available yet\n";
  return 2;
}

}  // namespace trb::cli
