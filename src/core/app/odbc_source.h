// The ODBC user data source T_R_B, through which R scripts reach the open database. The program
// keeps its database path current but never creates the data source: that is the user's step.
#pragma once

#include <QString>

namespace trb::app {

inline constexpr const char* kOdbcSource = "T_R_B";

// The user's ODBC configuration file: $ODBCINI when set, else ~/.odbc.ini (unixODBC).
QString odbcIniPath();

// Sets the database path of the user data source dsn: the value DBQ, and on unixODBC also
// Database, which the SQLite driver reads. Throws trb::Error (caption "ODBC error") with the
// reason when the data source does not exist or its configuration cannot be written; nothing is
// changed then.
void setOdbcDatabase(const QString& databasePath,
                     const QString& dsn = QString::fromLatin1(kOdbcSource));

}  // namespace trb::app
