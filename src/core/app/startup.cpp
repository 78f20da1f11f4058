#include "core/app/startup.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include "core/db/database.h"
#include "core/settings/settings.h"

namespace trb::app {

using trb::settings::readInt;
using trb::settings::readText;
using trb::settings::writeText;

QString connectionString(const QString& provider, const QString& databasePath) {
  return provider + QStringLiteral(";User ID=Admin;Data Source=") + databasePath +
         QStringLiteral(" ") +
         QStringLiteral(
             ";Mode=Share Deny None;Jet OLEDB:System database=\"\";Jet OLEDB:Registry "
             "Path=\"\";Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=4;Jet "
             "OLEDB:Database Locking Mode=0;Jet OLEDB:Global Partial Bulk Ops=2;Jet "
             "OLEDB:Global Bulk Transactions=1;") +
         QStringLiteral("Extended Properties=\"\";") +
         QStringLiteral(
             "Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;Jet "
             "OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;Jet "
             "OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False");
}

ConnectionItems parseConnectionString(const QString& text) {
  ConnectionItems out;
  const QString all = text + u';';
  qsizetype start = 0;
  while (start < all.size()) {
    const qsizetype end = all.indexOf(u';', start);
    const QString item = all.mid(start, end - start + 1);  // keeps its ";"
    start = end + 1;
    if (item.contains(QStringLiteral("Data Source="), Qt::CaseInsensitive)) {
      const QString value = item.mid(item.indexOf(u'=') + 1).chopped(1);
      // The composed string puts a blank after the path; a file system that keeps trailing
      // blanks in names would otherwise look for another file.
      out.databasePath = value.trimmed();
    } else if (item.contains(QStringLiteral("Provider="))) {
      out.provider = item;
    }
  }
  return out;
}

QString startFilePath(const QString& programFile) {
  const QFileInfo fi(programFile);
  return fi.dir().filePath(fi.completeBaseName() + QStringLiteral(".ini"));
}

QString startFileLanguage(const QString& iniPath) {
  QString lang = QStringLiteral("D");
  QFile f(iniPath);
  if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return lang;
  QTextStream in(&f);
  bool inSetup = false;
  while (!in.atEnd()) {
    const QString line = in.readLine().trimmed();
    if (line.startsWith(u'[')) {
      const qsizetype close = line.indexOf(u']');
      inSetup =
          close > 0 &&
          line.mid(1, close - 1).trimmed().compare(QStringLiteral("SETUP"), Qt::CaseInsensitive) ==
              0;
      continue;
    }
    if (!inSetup || line.startsWith(u';')) continue;
    const qsizetype eq = line.indexOf(u'=');
    if (eq > 0 &&
        line.left(eq).trimmed().compare(QStringLiteral("lang"), Qt::CaseInsensitive) == 0) {
      return line.mid(eq + 1).trimmed();
    }
  }
  return lang;
}

QString commandLineDatabase(const QStringList& args, const QString& current) {
  QString path = current;
  for (const QString& a : args) {
    if (a.startsWith(QStringLiteral("DB="))) path = a.mid(3);
  }
  return path;
}

bool hasGoArgument(const QStringList& args) {
  return args.contains(QStringLiteral("go"));
}

MainStart decideStartup(QSettings& store, const QString& startLanguage, const QStringList& args,
                        const QString& defaultDatabase, const QString& workingFolder) {
  MainStart m;
  m.captionLanguage = startLanguage;
  m.language = startLanguage;
  m.power = startLanguage != u"D";
  m.fullCommands = m.power;
  m.provider = QString::fromLatin1(kDefaultProvider);
  m.databasePath = commandLineDatabase(args);

  if (trb::settings::storeExists(store)) {
    if (m.databasePath == u"?") m.databasePath = readText(store, trb::settings::keys::database);
    m.programPath = readText(store, trb::settings::keys::ppath);
    const QString provider = readText(store, trb::settings::keys::provider);
    if (!provider.isEmpty()) m.provider = provider;
    m.language = readText(store, trb::settings::keys::language);
    if (m.language.isEmpty()) m.language = QStringLiteral("e");
    int power = 0;
    m.power = readInt(store, trb::settings::keys::power, power) ? power != 0 : true;
  } else {
    // First start: language and power stay as decided for this run. A database named on the
    // command line is still the one to open.
    m.firstStart = true;
    trb::settings::writeFirstStartDefaults(store, defaultDatabase, workingFolder);
    if (m.databasePath == u"?") m.databasePath = defaultDatabase;
    m.programPath = workingFolder;
  }
  m.askForDatabase = !QFileInfo(m.databasePath).isFile();
  if (m.language == u"D") m.power = false;
  return m;
}

void storeDatabase(QSettings& store, const QString& databasePath) {
  writeText(store, trb::settings::keys::database, databasePath);
}

void storeConnectionItems(QSettings& store, const ConnectionItems& items) {
  if (items.databasePath) writeText(store, trb::settings::keys::database, *items.databasePath);
  if (items.provider) writeText(store, trb::settings::keys::provider, *items.provider);
}

bool upgrade_area(trb::db::Database& db) {
  if (db.hasColumn(QStringLiteral("field_description"), QStringLiteral("area"))) return false;
  trb::db::Transaction tx(db);
  db.execute(QStringLiteral("alter table field_description add area float"));
  db.execute(QStringLiteral("update field_description set area=-99"));
  tx.commit();
  return true;
}

bool switchParameterLanguage(trb::db::Database& db, const QString& language) {
  if (!db.hasColumn(QStringLiteral("SLVPFLAN"), QStringLiteral("NAME_en"))) return false;
  QStringList statements;
  const QString upper = language.toUpper();
  if (upper == u"D") {
    statements = {QStringLiteral(" update slvpflan set name=name_de"),
                  QStringLiteral(" update slvopspa set name=name_de"),
                  QStringLiteral(" update slvaKtion set [action]=action_de"),
                  QStringLiteral(" update slvaKtion set def_intensity=def_intensity_de")};
  } else if (upper == u"E") {
    statements = {QStringLiteral(" update slvpflan set name=name_en"),
                  QStringLiteral(" update slvopspa set name=name_en"),
                  QStringLiteral(" update slvaktion set [action]=action_en"),
                  QStringLiteral(" update slvaktion set def_intensity=def_intensity_en")};
  } else {
    return false;
  }
  // A switch that stopped half-way would leave crops in one language and actions in another.
  trb::db::Transaction tx(db);
  for (const QString& sql : statements) db.execute(sql);
  tx.commit();
  return true;
}

}  // namespace trb::app
