#include "core/app/odbc_source.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>
#include <QStringList>
#include <QTextStream>

#include "core/base/error.h"

namespace trb::app {

QString odbcIniPath() {
  const QString env = qEnvironmentVariable("ODBCINI");
  return env.isEmpty() ? QDir::home().filePath(QStringLiteral(".odbc.ini")) : env;
}

namespace {

[[noreturn]] void fail(const QString& text) {
  throw trb::Error(text, QStringLiteral("ODBC error"));
}

QString sectionName(const QString& line) {
  const QString t = line.trimmed();
  if (!t.startsWith(u'[')) return QString();
  const qsizetype close = t.indexOf(u']');
  return close > 0 ? t.mid(1, close - 1).trimmed() : QString();
}

QString keyName(const QString& line) {
  const QString t = line.trimmed();
  if (t.startsWith(u';') || t.startsWith(u'#')) return QString();
  const qsizetype eq = t.indexOf(u'=');
  return eq > 0 ? t.left(eq).trimmed() : QString();
}

#ifndef Q_OS_WIN
// Sets the values in the section dsn: an existing line is replaced, a missing one added after the
// section's last non-blank line. False when there is no such section.
bool setSectionValues(QStringList& lines, const QString& dsn,
                      const QList<QPair<QString, QString>>& values) {
  qsizetype begin = -1, end = lines.size();
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString s = sectionName(lines[i]);
    if (s.isEmpty()) continue;
    if (begin >= 0) {
      end = i;
      break;
    }
    if (s.compare(dsn, Qt::CaseInsensitive) == 0) begin = i;
  }
  if (begin < 0) return false;

  for (const auto& [name, value] : values) {
    const QString line = name + QStringLiteral("=") + value;
    qsizetype found = -1;
    for (qsizetype i = begin + 1; i < end; ++i)
      if (keyName(lines[i]).compare(name, Qt::CaseInsensitive) == 0) found = i;
    if (found >= 0) {
      lines[found] = line;
    } else {
      qsizetype at = end;
      while (at > begin + 1 && lines[at - 1].trimmed().isEmpty()) --at;
      lines.insert(at, line);
      ++end;
    }
  }
  return true;
}

void writeLines(const QString& path, const QStringList& lines) {
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Text))
    fail(QStringLiteral("%1 cannot be written").arg(path));
  out.write((lines.join(u'\n') + u'\n').toUtf8());
  if (!out.commit()) fail(QStringLiteral("%1 cannot be written").arg(path));
}
#endif

}  // namespace

void setOdbcDatabase(const QString& databasePath, const QString& dsn) {
#ifdef Q_OS_WIN
  QSettings key(QStringLiteral("HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI\\") + dsn,
                QSettings::NativeFormat);
  if (key.childKeys().isEmpty()) fail(QStringLiteral("the data source %1 does not exist").arg(dsn));
  key.setValue(QStringLiteral("DBQ"), databasePath);
  key.sync();
  if (key.status() != QSettings::NoError)
    fail(QStringLiteral("the data source %1 cannot be written").arg(dsn));
#else
  // Edited line by line: the file belongs to the user and to other programs, so comments, order
  // and the other data sources stay exactly as they are.
  const QString path = odbcIniPath();
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
    fail(QStringLiteral("%1 cannot be read").arg(path));
  QStringList lines = QString::fromUtf8(in.readAll()).split(u'\n');
  in.close();
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  if (!setSectionValues(lines, dsn,
                        {{QStringLiteral("DBQ"), databasePath},
                         {QStringLiteral("Database"), databasePath},
                         {QStringLiteral("StepAPI"), QStringLiteral("1")}}))
    fail(QStringLiteral("the data source %1 does not exist").arg(dsn));
  writeLines(path, lines);
#endif
}

void addOdbcSource(const QString& databasePath, const QString& dsn) {
#ifdef Q_OS_WIN
  (void)databasePath;
  fail(odbcSourceHint(dsn));
#else
  const QString path = odbcIniPath();
  QStringList lines;
  QFile in(path);
  if (in.exists()) {
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text))
      fail(QStringLiteral("%1 cannot be read").arg(path));
    lines = QString::fromUtf8(in.readAll()).split(u'\n');
    in.close();
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  }
  const QList<QPair<QString, QString>> values{{QStringLiteral("DBQ"), databasePath},
                                              {QStringLiteral("Database"), databasePath},
                                              {QStringLiteral("StepAPI"), QStringLiteral("1")}};
  if (!setSectionValues(lines, dsn, values)) {
    if (!lines.isEmpty() && !lines.last().trimmed().isEmpty()) lines << QString();
    lines << u'[' + dsn + u']' << QStringLiteral("Description=trb database for R")
          << QStringLiteral("Driver=SQLite3");
    for (const auto& [name, value] : values) lines << name + u'=' + value;
  }
  writeLines(path, lines);
#endif
}

QString odbcSourceHint(const QString& dsn) {
#ifdef Q_OS_WIN
  return QStringLiteral("Please add %1 as MS-ACCESS user-datasource for ODBC").arg(dsn);
#else
  return QStringLiteral(
             "Please add %1 as a user data source of the SQLite ODBC driver (Driver=SQLite3, "
             "StepAPI=1) to %2.")
      .arg(dsn, QDir::toNativeSeparators(odbcIniPath()));
#endif
}

}  // namespace trb::app
