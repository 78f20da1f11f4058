#include "core/external/r_scripts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>

#include "core/base/error.h"
#include "core/db/database.h"

namespace trb::external {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::external", text);
}

QString readTextFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw trb::Error(
        tr("%1 cannot be read: %2").arg(QDir::toNativeSeparators(path), f.errorString()),
        tr("file not found"));
  return QString::fromUtf8(f.readAll());
}

void writeTextFile(const QString& path, const QString& text) {
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit())
    throw trb::Error(
        tr("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), out.errorString()));
}

}  // namespace

QList<StoredScript> readStoredScripts(trb::db::Database& db) {
  QList<StoredScript> out;
  const QString table = QStringLiteral("r_stat_res");
  if (!db.hasTable(table)) return out;
  const bool named = db.hasColumn(table, QStringLiteral("r_script"));
  QSqlQuery q = db.query(named ? QStringLiteral("select r_script, source from r_stat_res")
                               : QStringLiteral("select source from r_stat_res"));
  int row = 0;
  while (q.next()) {
    ++row;
    StoredScript s;
    s.name = named ? q.value(0).toString().trimmed() : QStringLiteral("r_stat_res%1").arg(row);
    s.source = q.value(named ? 1 : 0).toString();
    if (!s.name.isEmpty()) out << s;
  }
  return out;
}

QStringList writeOutStoredScripts(const QList<StoredScript>& scripts, const QString& folder) {
  QStringList names;
  const QDir dir(folder);
  for (qsizetype i = scripts.size() - 1; i >= 0; --i) {
    const QString name = scripts[i].name + QStringLiteral(".r");
    const QString path = dir.filePath(name);
    if (!QFileInfo::exists(path)) writeTextFile(path, scripts[i].source);
    names << name;
  }
  return names;
}

QString spezRScriptText(const QString& databasePath, const QString& userScript) {
  QString path = databasePath;
  path.replace(u'\\', u'/');
  // StepAPI=1: without it the driver fails to close the channel after a query
  return QStringLiteral("library(RODBC)\n") +
         QStringLiteral(" ch<-odbcDriverConnect(\"Driver=SQLite3;Database=") + path +
         QStringLiteral(";StepAPI=1\")\n") + userScript;
}

void writeSpezRScript(const QString& folder, const QString& databasePath,
                      const QString& userRScript) {
  const QString text = spezRScriptText(databasePath, readTextFile(userRScript));
  writeTextFile(QDir(folder).filePath(QString::fromLatin1(kSpezRScript)), text);
}

void copySpezSqlScript(const QString& sqlScript, const QString& folder) {
  writeTextFile(QDir(folder).filePath(QString::fromLatin1(kSpezSqlCopy)), readTextFile(sqlScript));
}

QList<PlotStatement> plotStatements(const QString& script, qlonglong flId) {
  QList<PlotStatement> out;
  const QString key = QString::number(flId);
  PlotStatement cur;
  const QStringList lines = script.split(u'\n');
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines[i];
    if (line.endsWith(u'\r')) line.chop(1);
    if (line.trimmed().compare(QStringLiteral("go"), Qt::CaseInsensitive) == 0) {
      if (!cur.text.trimmed().isEmpty()) out << cur;
      cur = PlotStatement{};
      cur.firstLine = i + 2;
      continue;
    }
    const qsizetype at = line.indexOf(QStringLiteral("#fl_id"), 0, Qt::CaseInsensitive);
    if (at >= 0) line.replace(at, 6, key);
    if (line.contains(QStringLiteral("drop"))) cur.drop = true;
    if (cur.text.isEmpty() && line.trimmed().isEmpty()) {
      cur.firstLine = i + 2;
      continue;
    }
    cur.text += line + u'\n';
  }
  return out;
}

void ensureData4r(trb::db::Database& db) {
  if (db.hasTable(QStringLiteral("data4r"))) return;
  db.execute(QStringLiteral("SELECT slvpflan.NAME INTO data4r FROM slvpflan"));
}

void runPlotStatements(trb::db::Database& db, const QString& script, qlonglong flId) {
  for (const PlotStatement& s : plotStatements(script, flId)) {
    try {
      db.execute(s.text);
    } catch (const trb::db::DbError&) {
      if (!s.drop) throw;
    }
  }
}

}  // namespace trb::external
