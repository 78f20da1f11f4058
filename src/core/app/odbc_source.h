// The ODBC user data source T_R_B, through which R scripts reach the open database. The program
// keeps its database path current; it creates the data source only when the user agrees.
#pragma once

#include <QString>

namespace trb::app {

inline constexpr const char* kOdbcSource = "T_R_B";

// The user's ODBC configuration file: $ODBCINI when set, else ~/.odbc.ini (unixODBC).
QString odbcIniPath();

// Sets the database path of the user data source dsn: the value DBQ, and on unixODBC also
// Database, which the SQLite driver reads, and StepAPI=1, without which the driver fails to close
// a connection after a query (R's odbcClose then stops the script). Throws trb::Error (caption
// "ODBC error") with the reason when the data source does not exist or its configuration cannot
// be written; nothing is changed then.
void setOdbcDatabase(const QString& databasePath,
                     const QString& dsn = QString::fromLatin1(kOdbcSource));

// Adds the user data source dsn to the user's ODBC file (created when missing): the SQLite ODBC
// driver on databasePath, with StepAPI=1. A data source that exists already only gets the path.
// Throws trb::Error (caption "ODBC error") when the file cannot be written. On Windows the data
// source is made in the ODBC administrator; there it throws.
void addOdbcSource(const QString& databasePath,
                   const QString& dsn = QString::fromLatin1(kOdbcSource));

// How to add the data source by hand on this platform.
QString odbcSourceHint(const QString& dsn = QString::fromLatin1(kOdbcSource));

}  // namespace trb::app
