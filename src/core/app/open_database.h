// Opening the database a user names, whatever its kind: the one way the main window, the simulator
// window, trbsim and trbdb open a database file.
#pragma once

#include <QString>

#include "core/db/database.h"

namespace trb {
class Feedback;
}

namespace trb::app {

// Opens the database at path. A SQLite file opens as it is. An Access file (.mdb, .accdb) is
// worked on as the SQLite file beside it, imported first when there is none or it is older than
// the Access file; what was done (imported, reused, tables that could not be read) goes to the
// feedback as information lines, the import's progress as its progress. The opened file is
// db.path(). Throws trb::Error when the file cannot be imported or opened, and a DbError with the
// cause NotADatabase for a SQLite file without the plots table (an empty file, another program's
// database). A file that can only be read opens as well (db.isReadOnly()): a command that writes
// says so first with require_writable.
trb::db::Database open_database(const QString& path, trb::Feedback& feedback);

// The sentence that says a database file is read-only, naming it.
QString read_only_note(const QString& path);
// Throws a DbError with the cause ReadOnly and read_only_note when the database cannot be written:
// the one message of a command that would write, before it starts.
void require_writable(const trb::db::Database& db);

}  // namespace trb::app
