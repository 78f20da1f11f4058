// Shared helpers of the tests: temporary databases built from the bundled SQL files.
#pragma once

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

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

inline QString sharedFixture(const QString& name) {
  return QDir(QStringLiteral(TRB_SHARED_FIXTURES)).filePath(name);
}

}  // namespace trb::test
