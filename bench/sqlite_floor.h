// What the benchmarks share: processor time, and the floor that SQLite itself sets for a command
// that must write a number of rows: the same number of rows written by SQLite alone into a
// scratch file in one transaction with one prepared statement, then read back once.
#pragma once

#include <sqlite3.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <ctime>

#include "core/db/database.h"

namespace trb::bench {

// Processor time of this process (or of this thread), in nanoseconds: on a shared machine the
// wall time also holds the waits for a processor, this does not.
inline qint64 cpuNs(clockid_t clock = CLOCK_PROCESS_CPUTIME_ID) {
  timespec t{};
  clock_gettime(clock, &t);
  return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

struct Floor {
  double writeCpu = 0, readCpu = 0;  // seconds of processor time
  bool ok = false;
};

// rows rows of two whole numbers and six real numbers (about the width of the work tables)
// written into a new file at path in one transaction, then read back once; the file is removed.
inline Floor sqlite_floor(const QString& path, long long rows) {
  Floor f;
  QFile::remove(path);
  sqlite3* db = nullptr;
  const QByteArray name = QFile::encodeName(path);
  if (sqlite3_open(name.constData(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return f;
  }
  const QByteArray cache = "PRAGMA cache_size = -" + QByteArray::number(trb::db::kPageCacheKib);
  sqlite3_exec(db, cache.constData(), nullptr, nullptr, nullptr);
  sqlite3_exec(
      db, "create table t (a integer, b integer, c real, d real, e real, f real, g real, h real)",
      nullptr, nullptr, nullptr);
  qint64 cpu = cpuNs();
  sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(db, "insert into t values (?, ?, ?, ?, ?, ?, ?, ?)", -1, &st, nullptr);
  for (long long i = 0; i < rows; ++i) {
    sqlite3_bind_int64(st, 1, i / 50);
    sqlite3_bind_int64(st, 2, 1950 + i % 50);
    for (int c = 3; c <= 8; ++c) sqlite3_bind_double(st, c, double(i) * 0.37 + c * 1.1);
    sqlite3_step(st);
    sqlite3_reset(st);
  }
  sqlite3_finalize(st);
  f.ok = sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) == SQLITE_OK;
  f.writeCpu = (cpuNs() - cpu) / 1e9;
  cpu = cpuNs();
  double sum = 0;
  sqlite3_prepare_v2(db, "select * from t", -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int c = 0; c < 8; ++c) sum += sqlite3_column_double(st, c);
  sqlite3_finalize(st);
  f.readCpu = (cpuNs() - cpu) / 1e9;
  f.ok = f.ok && sum > 0;
  sqlite3_close(db);
  QFile::remove(path);
  return f;
}

}  // namespace trb::bench
