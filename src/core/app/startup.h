// What the main window decides before and while it opens the database, without the window:
// the start file, the command line, the settings read at creation, the connection string, the
// schema upgrade and the language of the parameter names.
#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>
#include <optional>

namespace trb::db {
class Database;
}

namespace trb::app {

inline constexpr const char* kDefaultProvider = "Provider=Microsoft.Jet.OLEDB.4.0;";

// The connection string for a database file, composed exactly as the provider expects it
// (the doubled ";" after the provider and the blank after the path belong to the format).
QString connectionString(const QString& provider, const QString& databasePath);

// The items of a connection string the program keeps: the database path and the provider part
// (with its ";"). An item that is absent stays unset.
struct ConnectionItems {
  std::optional<QString> databasePath;
  std::optional<QString> provider;
};
// Parses a connection string as the connection editor returns it: items end at ";", the item
// with "Data Source=" (any case) gives the path, the item with "Provider=" the provider.
ConnectionItems parseConnectionString(const QString& text);

// The start file of a program: its path and name with the extension ".ini".
QString startFilePath(const QString& programFile);
// Key "lang" of section "SETUP" of the start file; "D" when the file, the section or the key is
// missing. Section and key names are matched without regard to case.
QString startFileLanguage(const QString& iniPath);

// The database path of the command line: every argument beginning with "DB=" sets it to the
// rest of the argument, the last one wins; current when there is none. args exclude the
// program itself.
QString commandLineDatabase(const QStringList& args, const QString& current = QStringLiteral("?"));
// True when an argument is exactly "go" (batch run).
bool hasGoArgument(const QStringList& args);

// The values the main window settles on at creation.
struct MainStart {
  QString captionLanguage;   // from the start file; "D" gives German captions
  bool fullCommands = true;  // false: the compact window without the power-mode commands
  QString language;          // governs the parameter names (switchParameterLanguage)
  bool power = true;         // governs the "show references" command of the browser
  QString provider;
  QString databasePath;
  QString programPath;
  bool firstStart = false;
  // No file exists at databasePath: the window asks for one and stores it (storeDatabase).
  bool askForDatabase = false;
};

// Decides the start values from the start file's language, the command line and the settings.
// On the first start (an empty store) the defaults are written, with defaultDatabase as the
// database and workingFolder as the program path.
MainStart decideStartup(QSettings& store, const QString& startLanguage, const QStringList& args,
                        const QString& defaultDatabase, const QString& workingFolder);

// Stores the database path the user chose.
void storeDatabase(QSettings& store, const QString& databasePath);
// Stores the items of an edited connection string that it holds.
void storeConnectionItems(QSettings& store, const ConnectionItems& items);

// Adds field_description.area (filled with -99) to a database that lacks it. Returns true when
// the column was added.
bool upgrade_area(trb::db::Database& db);

// Sets the parameter names (crops, organic substances, actions) to the language's column:
// "E"/"e" English, "D"/"d" German, any other letter nothing; nothing either when the database
// has no name_en column. All statements run in one transaction. Returns true when applied.
bool switchParameterLanguage(trb::db::Database& db, const QString& language);

}  // namespace trb::app
