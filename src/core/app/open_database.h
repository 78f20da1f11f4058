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
// db.path(). Throws trb::Error when the file cannot be imported or opened.
trb::db::Database open_database(const QString& path, trb::Feedback& feedback);

}  // namespace trb::app
