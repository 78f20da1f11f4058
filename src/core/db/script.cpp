#include "core/db/script.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlRecord>
#include <QSqlResult>
#include <memory>

#include "core/db/dialect.h"

namespace trb::db {

QList<Batch> splitBatches(const QString& script) {
  static const QRegularExpression goLine(QStringLiteral("^\\s*go\\s*$"),
                                         QRegularExpression::CaseInsensitiveOption);
  QList<Batch> out;
  const QStringList lines = script.split(u'\n');
  Batch cur;
  cur.firstLine = 1;
  auto flush = [&](int nextLine) {
    if (!cur.text.trimmed().isEmpty()) out.append(cur);
    cur = Batch{QString(), nextLine};
  };
  for (int i = 0; i < lines.size(); ++i) {
    QString line = lines.at(i);
    if (line.endsWith(u'\r')) line.chop(1);
    if (goLine.match(line).hasMatch()) {
      flush(i + 2);
      continue;
    }
    if (cur.text.isEmpty() && line.trimmed().isEmpty()) {
      cur.firstLine = i + 2;
      continue;
    }
    cur.text += line + u'\n';
  }
  flush(lines.size() + 1);
  return out;
}

bool returnsRows(const QString& batch) {
  static const QRegularExpression head(QStringLiteral("^\\s*\\(*\\s*(select|transform)\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression into(QStringLiteral("\\binto\\b"),
                                       QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression comments(QStringLiteral("--[^\n]*"));
  QString text = batch;
  text.replace(comments, QString());
  if (!head.match(text).hasMatch()) return false;
  // A make-table query changes the database; a quoted "into" inside a text does not count, but
  // the translator decides in the end: this only picks how results are reported.
  QString bare = text;
  static const QRegularExpression strings(QStringLiteral("\"[^\"]*\"|'[^']*'|\\[[^\\]]*\\]"));
  bare.replace(strings, QStringLiteral(" "));
  return !into.match(bare).hasMatch();
}

void runScript(Database& db, const QString& script, const ScriptSink& sink) {
  const QList<Batch> batches = splitBatches(script);
  // the files the script's make-table queries write into; a failed script removes those it made
  std::vector<TargetFile> targets;
  try {
    // The files are attached before the transaction begins, so that their tables are created
    // inside it: the script commits or changes nothing as a whole.
    std::vector<std::unique_ptr<AttachedFile>> files;
    QStringList seen;
    for (const Batch& b : batches) {
      const QString file = dialect::makeTableFile(b.text);
      if (file.isEmpty()) continue;
      const QString path = QFileInfo(file).absoluteFilePath();
      if (seen.contains(path)) continue;
      seen << path;
      targets.emplace_back(file, b.text);
      files.push_back(std::make_unique<AttachedFile>(
          db, file, QStringLiteral("trb_file%1").arg(files.size() + 1)));
    }
    Transaction tx(db);
    for (const Batch& b : batches) {
      if (returnsRows(b.text)) {
        QSqlQuery q = db.query(b.text);
        if (sink.rows) sink.rows(b, q);
      } else {
        const int n = db.execute(b.text);
        if (sink.changes) sink.changes(b, n);
      }
    }
    tx.commit();
  } catch (...) {
    // rolled back and detached by now
    for (const TargetFile& t : targets) t.removeCreated();
    throw;
  }
}

QStringList columnNames(const QSqlQuery& q) {
  QStringList out;
  const QVariant h = q.result() ? q.result()->handle() : QVariant();
  if (h.isValid() && qstrcmp(h.typeName(), "sqlite3_stmt*") == 0) {
    sqlite3_stmt* st = *static_cast<sqlite3_stmt* const*>(h.constData());
    if (st) {
      for (int i = 0; i < sqlite3_column_count(st); ++i)
        out << QString::fromUtf8(sqlite3_column_name(st, i));
      return out;
    }
  }
  const QSqlRecord rec = q.record();
  for (int i = 0; i < rec.count(); ++i) out << rec.fieldName(i);
  return out;
}

}  // namespace trb::db
