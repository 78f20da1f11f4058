// Free SQL scripts on the open database: batches separated by "go" lines, the rule that tells a
// batch that changes data from a query, "$" parameters, the history of the last scripts and the
// result of a query read as far as it is looked at.
#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>

#include "core/db/database.h"
#include "core/transfer/spreadsheet_export.h"

namespace trb {
class Feedback;
}

namespace trb::sqlmodule {

struct ScriptBatch {
  QString text;
  int firstLine = 1;
  bool ignoreErrors = false;  // a line of it contains "drop": its errors do not stop the script
  bool changesData = false;   // run as a command; otherwise opened as a query
};

// The batches of a script: lines that read "go" end a batch.
QList<ScriptBatch> script_batches(const QString& script);

// The "data change" rule: the batch, lower-cased, contains "insert", "update", "delete", "into"
// or "drop".
bool changes_data(const QString& batch);

// The rows of a query, read from the database as far as they are asked for.
class ResultCursor {
 public:
  ResultCursor(db::Database& db, const QString& sql);
  ~ResultCursor();
  ResultCursor(const ResultCursor&) = delete;
  ResultCursor& operator=(const ResultCursor&) = delete;

  QStringList columns() const { return columns_; }
  int rowCount() const { return int(rows_.size()); }
  const QVariantList& row(int i) const { return rows_.at(i); }
  bool atEnd() const { return !reader_; }
  // Reads up to n more rows; returns how many came.
  int fetchMore(int n);
  // Reads the rest, at most up to limit rows in all, and ends the reading (the statement no
  // longer holds the tables it reads). True when every row was read.
  bool finish(int limit);

 private:
  std::unique_ptr<db::Reader> reader_;
  QStringList columns_;
  QList<QVariantList> rows_;
};

// The result of a script run.
struct RunOutcome {
  int batches = 0;                       // batches run
  bool dataChange = false;               // the "data change" flag of the last batch run
  std::unique_ptr<ResultCursor> result;  // the last query's rows; empty when no batch was a query
  bool resultCut = false;  // a query followed by other batches keeps only its first rows
};

// Runs the script's batches in order, each on its own: a failing batch that is not drop-marked
// throws trb::Error naming the batch, its first line and the database's message, and the batches
// before it stay done; so does a stop asked through the feedback (between batches) or through
// db.interrupt() (inside one).
RunOutcome run_script(db::Database& db, const QString& script, Feedback& feedback);

// Rows kept of a query result that is followed by other batches.
inline constexpr int kKeptRows = 100000;

// --- parameters

inline constexpr int kMaxParameters = 10;

// The "$" tokens of a script: "$" and the letters, digits and underscores after it.
QStringList parameter_tokens(const QString& script);
// names extended by the tokens of script that it does not hold yet (without regard to case), up to
// kMaxParameters names.
QStringList collect_parameters(const QString& script, const QStringList& names);
// Every token that is one of the names (without regard to case) replaced by its value.
QString substitute_parameters(const QString& script,
                              const QList<QPair<QString, QString>>& parameters);

// --- history

class ScriptHistory {
 public:
  static constexpr int kSlots = 10;
  // Stores a script in the next slot; when all are taken the oldest goes.
  void store(const QString& script);
  int current() const { return current_; }  // 1 .. 10, 0 before the first script
  int size() const { return int(slots_.size()); }
  std::optional<QString> previous();
  std::optional<QString> next();
  QString at(int slot) const { return slots_.value(slot - 1); }

 private:
  QStringList slots_;
  int current_ = 0;
};

// --- files and export

QString load_script(const QString& path);
void save_script(const QString& path, const QString& script);

// The whole result as a sheet: the titles and every row (read to the end).
transfer::Sheet result_sheet(ResultCursor& cursor);

}  // namespace trb::sqlmodule
