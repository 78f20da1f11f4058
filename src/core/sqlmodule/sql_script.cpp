#include "core/sqlmodule/sql_script.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/script.h"

namespace trb::sqlmodule {

namespace {

QString tr(const char* text) {
  return QCoreApplication::translate("trb::sqlmodule", text);
}

const QString& caption() {
  static const QString c = QStringLiteral("SQL - module");
  return c;
}

}  // namespace

QList<ScriptBatch> script_batches(const QString& script) {
  QList<ScriptBatch> out;
  for (const db::Batch& b : db::splitBatches(script)) {
    ScriptBatch sb;
    sb.text = b.text;
    sb.firstLine = b.firstLine;
    sb.ignoreErrors = b.text.contains(QStringLiteral("drop"));
    sb.changesData = changes_data(b.text);
    out << sb;
  }
  return out;
}

bool changes_data(const QString& batch) {
  const QString t = batch.toLower();
  for (const char* w : {"insert", "update", "delete", "into", "drop"})
    if (t.contains(QLatin1String(w))) return true;
  return false;
}

ResultCursor::ResultCursor(db::Database& db, const QString& sql)
    : reader_(std::make_unique<db::Reader>(db, sql)) {
  for (int i = 0; i < reader_->columnCount(); ++i) columns_ << reader_->columnName(i);
}

ResultCursor::~ResultCursor() = default;

int ResultCursor::fetchMore(int n) {
  int got = 0;
  while (reader_ && got < n) {
    if (!reader_->next()) {
      reader_.reset();
      break;
    }
    QVariantList row;
    row.reserve(columns_.size());
    for (int i = 0; i < columns_.size(); ++i) row << reader_->value(i);
    rows_ << row;
    ++got;
  }
  return got;
}

bool ResultCursor::finish(int limit) {
  if (reader_ && rowCount() < limit) fetchMore(limit - rowCount());
  const bool all = !reader_ || !reader_->next();
  reader_.reset();
  return all;
}

namespace {

// What a failing batch leaves behind: the batches before it that changed the database stay
// applied, each batch runs on its own.
QString appliedBefore(const QStringList& applied) {
  if (applied.isEmpty()) return tr("No batch before it changed the database.");
  return tr("These batches ran before it and stay applied: %1.").arg(applied.join(tr(", ")));
}

}  // namespace

RunOutcome run_script(db::Database& db, const QString& script, Feedback& feedback) {
  RunOutcome out;
  QStringList applied;  // "batch n (line m)" of every batch that changed the database
  const QList<ScriptBatch> batches = script_batches(script);
  for (int i = 0; i < batches.size(); ++i) {
    const ScriptBatch& b = batches.at(i);
    if (feedback.isCanceled())
      throw trb::Canceled(tr("stopped before batch %1 (line %2); the batches before it are done")
                              .arg(i + 1)
                              .arg(b.firstLine),
                          caption());
    // an earlier result must not hold the tables this batch may change or drop
    if (out.result && !out.result->atEnd()) out.resultCut = !out.result->finish(kKeptRows);
    out.dataChange = b.changesData;
    try {
      if (b.changesData) {
        const int n = db.execute(b.text);
        feedback.info(
            tr("batch %1 (line %2): %3 rows affected").arg(i + 1).arg(b.firstLine).arg(n));
        applied << tr("batch %1 (line %2)").arg(i + 1).arg(b.firstLine);
      } else {
        auto cursor = std::make_unique<ResultCursor>(db, b.text);
        cursor->fetchMore(1);  // runs the query: its errors belong to this batch
        out.result = std::move(cursor);
        out.resultCut = false;
        feedback.info(tr("batch %1 (line %2): query opened").arg(i + 1).arg(b.firstLine));
      }
    } catch (const trb::Error& e) {
      if (feedback.isCanceled())
        throw trb::Canceled(tr("batch %1 (line %2) was stopped; the batches before it are done")
                                .arg(i + 1)
                                .arg(b.firstLine),
                            caption());
      if (b.ignoreErrors) {
        feedback.info(
            tr("batch %1 (line %2): %3 (ignored)").arg(i + 1).arg(b.firstLine).arg(e.message()));
        ++out.batches;
        continue;
      }
      throw trb::Error(tr("batch %1 (line %2) failed: %3\n%4")
                           .arg(i + 1)
                           .arg(b.firstLine)
                           .arg(e.message(), appliedBefore(applied)),
                       caption(), b.text.trimmed());
    }
    ++out.batches;
  }
  return out;
}

QStringList parameter_tokens(const QString& script) {
  static const QRegularExpression token(QStringLiteral("\\$[A-Za-z0-9_]*"));
  QStringList out;
  auto it = token.globalMatch(script);
  while (it.hasNext()) {
    const QString t = it.next().captured(0);
    if (t.size() > 1) out << t;
  }
  return out;
}

QStringList collect_parameters(const QString& script, const QStringList& names) {
  QStringList out = names;
  for (const QString& t : parameter_tokens(script)) {
    if (out.size() >= kMaxParameters) break;
    if (!out.contains(t, Qt::CaseInsensitive)) out << t;
  }
  return out;
}

QString substitute_parameters(const QString& script,
                              const QList<QPair<QString, QString>>& parameters) {
  QString out = script;
  for (const auto& [name, value] : parameters) {
    if (name.isEmpty()) continue;
    // the whole token only: "$year" leaves "$year2" alone
    const QRegularExpression re(
        QRegularExpression::escape(name) + QStringLiteral("(?![A-Za-z0-9_])"),
        QRegularExpression::CaseInsensitiveOption);
    QString replacement = value;
    replacement.replace(u'\\', QStringLiteral("\\\\"));
    out.replace(re, replacement);
  }
  return out;
}

void ScriptHistory::store(const QString& script) {
  if (slots_.size() >= kSlots) slots_.removeFirst();
  slots_ << script;
  current_ = int(slots_.size());
}

std::optional<QString> ScriptHistory::previous() {
  if (current_ <= 1) return std::nullopt;
  --current_;
  return slots_.at(current_ - 1);
}

std::optional<QString> ScriptHistory::next() {
  if (current_ >= slots_.size()) return std::nullopt;
  ++current_;
  return slots_.at(current_ - 1);
}

QString load_script(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw trb::Error(tr("The script %1 cannot be read: %2").arg(path, f.errorString()), caption());
  return QString::fromUtf8(f.readAll());
}

void save_script(const QString& path, const QString& script) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(script.toUtf8()) < 0 ||
      !f.flush())
    throw trb::Error(tr("The script %1 cannot be written: %2").arg(path, f.errorString()),
                     caption());
}

transfer::Sheet result_sheet(ResultCursor& cursor) {
  while (!cursor.atEnd()) cursor.fetchMore(4096);
  transfer::Sheet sheet;
  sheet.name = QStringLiteral("SQL");
  sheet.titles = cursor.columns();
  for (int i = 0; i < cursor.rowCount(); ++i) sheet.rows << cursor.row(i);
  return sheet;
}

}  // namespace trb::sqlmodule
