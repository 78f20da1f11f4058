// Import of tagged bibliography files (RIS, as reference managers export them) into the
// literature table. The control table RiS_import says which tag fills which column of referenzen,
// where a value is cut off, what joins repeated values, and which tag ends a record.
#pragma once

#include <QString>
#include <QStringList>

namespace trb {
class Feedback;
}
namespace trb::db {
class Database;
}

namespace trb::references {

// The lines of a RIS file: UTF-8 (with or without byte-order mark) or, when the bytes are not
// valid UTF-8, Latin-1. Throws trb::Error naming the file when it cannot be read.
QStringList read_ris_file(const QString& path);

struct RisImportResult {
  int stored = 0;
  // What the import window lists: the slots of every ended record, one line each (empty ones
  // included), then the summary lines.
  QStringList lines;
  // One line per record that could not be stored, with the reason.
  QStringList notStored;
};

// Imports the records of lines. A record is stored when its end tag comes; a record that cannot
// be stored is reported and the import goes on with the next one. Each record is stored on its
// own, so a failure leaves the records before it in place.
RisImportResult import_ris(db::Database& db, const QStringList& lines, Feedback& feedback);

}  // namespace trb::references
