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

// The lines of a RIS file. A file with a byte-order mark is read in that encoding (UTF-8 or
// UTF-16); otherwise each line on its own: as UTF-8 where it is valid UTF-8, else as Windows-1252
// (Latin-1 with the typographic quotes and dashes of that code page). Throws trb::Error naming the
// file when it cannot be read, is empty or holds binary data.
QStringList read_ris_file(const QString& path);

struct RisImportResult {
  int stored = 0;
  int records = 0;  // every record of the file, stored or not
  // What the import window lists: the slots of every ended record, one line each (empty ones
  // included; only when asked for), the notes on records (ended without the end tag, not stored),
  // and the closing line "n of m records stored".
  QStringList lines;
  // One line per record that was not stored, with its position and the reason.
  QStringList notStored;
  // Records taken as ended without their end tag (by the next TY or the end of the file).
  QStringList notes;
};

// Imports the records of lines in one transaction: all of them or, when the import fails, none.
// A record ends with its end tag, with the next TY (the start of a new record) or with the end of
// the lines. A record without author, title and year is not stored, nor one equal to a stored
// reference (same authors, year and title, or the same DOI where referenzen keeps one). Throws
// trb::Error when the lines hold no record at all. slotLines: list the slots of every record in
// the result's lines, as the import window shows them.
RisImportResult import_ris(db::Database& db, const QStringList& lines, Feedback& feedback,
                           bool slotLines = true);

}  // namespace trb::references
