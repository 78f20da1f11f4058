// The scripts of the R analyses: the stored scripts of a database (table r_stat_res) written out
// as files, and the pieces of the per-plot run (an SQL script and an R script once for every
// simulated plot, the plot's data handed over in the table data4r).
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace trb::db {
class Database;
}

namespace trb::external {

// --- Stored scripts ---------------------------------------------------------------------------

struct StoredScript {
  QString name;    // r_script: the file name without ".r"
  QString source;  // the script text
};

// The rows of r_stat_res in table order; none when the table is missing. A table without the
// column r_script (older databases kept only the text) names its scripts "r_stat_res<row>".
QList<StoredScript> readStoredScripts(trb::db::Database& db);

// Writes each stored script to folder as name + ".r" unless that file exists (an edited file wins
// over the stored text). Returns the file names from the last row to the first: the chooser's
// order, whose last entry (the first row) is the one to select. Throws trb::Error when a file
// cannot be written.
QStringList writeOutStoredScripts(const QList<StoredScript>& scripts, const QString& folder);

// --- The per-plot run -------------------------------------------------------------------------

inline constexpr const char* kSpezRScript = "spez100.r";
inline constexpr const char* kSpezSqlCopy = "spez100sql.txt";

// The generated R script: "library(RODBC)", the connection to the database file through the
// SQLite ODBC driver (backslashes of the path as forward slashes), then the user's script
// unchanged.
QString spezRScriptText(const QString& databasePath, const QString& userScript);

// Writes folder/spez100.r from the user's R script userRScript. Throws trb::Error when the user's
// script cannot be read or the file cannot be written.
void writeSpezRScript(const QString& folder, const QString& databasePath,
                      const QString& userRScript);

// Copies the user's SQL script to folder/spez100sql.txt, replacing an older copy. Throws
// trb::Error when it cannot.
void copySpezSqlScript(const QString& sqlScript, const QString& folder);

// One statement of the SQL script for a plot.
struct PlotStatement {
  QString text;
  bool drop = false;  // a line of it holds "drop": its failure is ignored
  int firstLine = 1;
};

// The statements of the SQL script for plot flId: lines up to a line "go" (trimmed, any case)
// make one statement, each with its first "#fl_id" replaced by the key; text after the last "go"
// is not run.
QList<PlotStatement> plotStatements(const QString& script, qlonglong flId);

// Creates data4r from the crop names when it does not exist yet.
void ensureData4r(trb::db::Database& db);

// Runs the statements for plot flId one by one (each stands on its own: R reads what they wrote).
// A failing drop is ignored; any other failure throws trb::db::DbError and ends the run there.
void runPlotStatements(trb::db::Database& db, const QString& script, qlonglong flId);

}  // namespace trb::external
