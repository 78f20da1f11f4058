// Running R in batch mode: the command line every R run shares, the start profile that lets
// RODBC scripts read a trb database through the SQLite ODBC driver, and the pictures a script
// names.
#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "core/external/launcher.h"

namespace trb::external {

// A path as one part of a command line: in double quotes when it holds a blank.
QString quotedPath(const QString& path);

// "CMD BATCH --slave " + script + " " + result: R runs the script and writes its console output
// to the result file.
QString rBatchParameters(const QString& scriptPath, const QString& resultPath);

// The text of trb's R start profile. It first runs the user's own profile (the file named by
// R_PROFILE_USER when it was set, else .Rprofile in the working folder, else in the home folder),
// then makes believeNRows = FALSE and rows_at_time = 1 the defaults of RODBC's
// odbcDriverConnect (and so of odbcConnect): the SQLite ODBC driver reports no row counts, and
// with RODBC's own defaults every query would return no rows. It also makes the columns of
// sqlQuery's result take the spelling the query gives them (R tells names apart by case, SQLite
// answers with the table's spelling).
QString rProfileText();

// Writes the profile to trb's data folder (rewritten when it differs) and returns its path; empty
// when it cannot be written, R then starts without it.
QString writeRProfile();

// The caller's environment with R_PROFILE_USER set to profilePath; the user's own setting moves
// to TRB_R_PROFILE_USER, where the profile finds it.
QProcessEnvironment rEnvironment(
    const QString& profilePath,
    QProcessEnvironment base = QProcessEnvironment::systemEnvironment());

// One R run: program rCall in folder, script and result file relative to it (or absolute). R's
// batch script on Linux splits file names at blanks: the folder may hold blanks, these names not.
struct RRun {
  QString rCall;
  QString folder;
  QString script;
  QString result;
  ShowType showType = ShowType::ShowNormal;
};

// Prepares the launcher for the run (program, folder, parameters, window state, profile) and
// starts it; returns at once. The launcher's resultCode() tells whether R started.
void startR(Launcher& launcher, const RRun& run);

// Starts R and waits for its end: for a job's worker thread. Throws trb::Error when R cannot be
// started ("R cannot be started: ..." with the system's reason).
void runR(const RRun& run);

// The picture files a script names: in every line the first double-quoted name that ends in .wmf,
// .png, .svg, .jpg or .pdf (any case), taken from the character after its opening quote up to and
// including the extension. A name without its closing quote is not taken.
QStringList pictureNames(const QString& scriptText);

}  // namespace trb::external
