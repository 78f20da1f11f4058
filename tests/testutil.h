// Shared helpers of the tests: temporary databases built from the bundled SQL files.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <memory>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"

namespace trb::test {

// A database in a temporary folder, removed with the object.
struct TempDb {
  std::unique_ptr<QTemporaryDir> dir = std::make_unique<QTemporaryDir>();
  trb::db::Database db;
  QString path;

  // kind: "empty" (no tables), "schema" (tables and default parameters), "demo" (with the demo
  // experiment).
  explicit TempDb(const QString& kind = QStringLiteral("schema")) {
    path = dir->filePath(QStringLiteral("test.sqlite"));
    db = trb::db::Database::create(path);
    if (kind != u"empty") trb::db::createTrbDatabase(db, kind == u"demo");
  }
};

// A feedback that keeps what it is told: the lines, the reported problems as "caption:text" and
// the progress calls.
struct RecordingFeedback : trb::Feedback {
  QStringList lines;
  QStringList problems;
  QList<QPair<qint64, qint64>> progress;
  void pushLine(Level, const QString& line) override { lines << line; }
  void report(const trb::Error& e) override { problems << e.caption() + u':' + e.text(); }
  void setProgress(qint64 pos, qint64 count) override { progress << qMakePair(pos, count); }
};

inline QString sharedFixture(const QString& name) {
  return QDir(QStringLiteral(TRB_SHARED_FIXTURES)).filePath(name);
}

// Every user table of a database file: its definition, then its rows in rowid order, each value
// with its type, one line per row; for comparing two runs that must leave the same tables (the
// times of the run log aside).
inline QStringList dump(const QString& path) {
  trb::db::Database db = trb::db::Database::open(path);
  QStringList tables = db.userTables();
  tables.sort(Qt::CaseInsensitive);
  QStringList rows;
  for (const QString& table : tables) {
    rows << table + u'|' +
                db.scalar(QStringLiteral("select sql from sqlite_master where name = ?"), {table})
                    .toString();
    QSqlQuery q = db.query(QStringLiteral("select rowid, * from [%1] order by rowid").arg(table));
    // the times of the run log are the one thing two equal runs differ in
    const bool runLog = table.compare(QStringLiteral("trb_run"), Qt::CaseInsensitive) == 0;
    while (q.next()) {
      QStringList cells{table};
      for (int i = 0; i < q.record().count(); ++i) {
        const QString column = q.record().fieldName(i);
        if (runLog && (column == u"started" || column == u"ended"))
          cells << QStringLiteral("time");
        else
          cells << QString::fromLatin1(q.value(i).typeName()) + u':' + q.value(i).toString();
      }
      rows << cells.join(u'|');
    }
  }
  return rows;
}

#ifdef TRB_GEN
// A synthetic database of the benchmark's generator in dir: plots x years; empty when the
// generator fails.
inline QString synthetic(const QTemporaryDir& dir, int plots, int years) {
  const QString path = dir.filePath(QStringLiteral("synthetic-%1x%2.sqlite").arg(plots).arg(years));
  if (QFile::exists(path)) return path;
  QProcess gen;
  gen.start(QStringLiteral(TRB_GEN), {QString::number(plots), QString::number(years), path});
  if (!gen.waitForFinished(120000) || gen.exitCode() != 0) return QString();
  return path;
}
#endif

}  // namespace trb::test

// Passes when actual lies within tolerance of expected; a failure names the expression and prints
// both values in full and the tolerance.
#define TRB_COMPARE_NEAR(actual, expected, tolerance)                     \
  do {                                                                    \
    const double trbActual_ = static_cast<double>(actual);                \
    const double trbExpected_ = static_cast<double>(expected);            \
    const double trbTolerance_ = static_cast<double>(tolerance);          \
    QVERIFY2(std::fabs(trbActual_ - trbExpected_) <= trbTolerance_,       \
             qPrintable(QStringLiteral("%1 is %2, expected %3 within %4") \
                            .arg(QStringLiteral(#actual))                 \
                            .arg(trbActual_, 0, 'g', 17)                  \
                            .arg(trbExpected_, 0, 'g', 17)                \
                            .arg(trbTolerance_, 0, 'g', 3)));             \
  } while (0)

// Fails the current test with a message when a shared fixture is missing, instead of letting the
// test stop on an exception thrown by it; for init() or the top of a test function.
#define TRB_REQUIRE_SHARED_FIXTURE(name)                                                      \
  do {                                                                                        \
    const QString trbFixture_ = trb::test::sharedFixture(QStringLiteral(name));               \
    if (!QFileInfo::exists(trbFixture_))                                                      \
      QFAIL(qPrintable(QStringLiteral("the shared fixture %1 is missing").arg(trbFixture_))); \
  } while (0)
