// Shared helpers of the tests: temporary databases built from the bundled SQL files.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
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

}  // namespace trb::test
