#include "core/references/ris_import.h"

#include <QFile>
#include <QObject>
#include <QStringDecoder>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"

namespace trb::references {

namespace {

// The record buffer holds one slot per column of referenzen, in table order.
constexpr int kSlots = 15;

struct TagRule {
  QString attribute;
  QString destination;
  QString cutAt;
  QString connector;
};

QHash<QString, TagRule> read_rules(db::Database& db) {
  QHash<QString, TagRule> rules;
  db::Reader r(
      db, QStringLiteral("SELECT tag, attribute, destination, cut_at, connector FROM RiS_import"));
  while (r.next()) {
    // the tag is looked up whole, without regard to case like the table's key
    rules.insert(
        r.toString(0).trimmed().toUpper(),
        TagRule{r.toString(1).trimmed(), r.toString(2).trimmed(), r.toString(3), r.toString(4)});
  }
  return rules;
}

QString describe(const QStringList& buffer, const QStringList& columns) {
  // a record is named by its author and title where it has them
  QStringList parts;
  for (const char* name : {"Autor", "Jahr", "Titel"}) {
    const int k = columns.indexOf(QString::fromLatin1(name));
    if (k >= 0 && k < buffer.size() && !buffer[k].isEmpty()) parts << buffer[k].left(60);
  }
  return parts.isEmpty() ? QObject::tr("(no author, year or title)")
                         : parts.join(QStringLiteral(", "));
}

}  // namespace

QStringList read_ris_file(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw Error(QObject::tr("The file %1 cannot be read: %2").arg(path, f.errorString()));
  QByteArray bytes = f.readAll();
  QString text;
  if (bytes.startsWith("\xEF\xBB\xBF")) {
    text = QString::fromUtf8(bytes.mid(3));
  } else {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    text = utf8(bytes);
    if (utf8.hasError()) text = QString::fromLatin1(bytes);
  }
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

RisImportResult import_ris(db::Database& db, const QStringList& lines, Feedback& feedback) {
  RisImportResult result;
  const QHash<QString, TagRule> rules = read_rules(db);
  const QStringList columns = db.columns(QStringLiteral("referenzen"));
  if (columns.size() > kSlots)
    throw Error(QObject::tr("The table referenzen has %1 columns; the import fills at most %2.")
                    .arg(columns.size())
                    .arg(kSlots));
  QStringList buffer(kSlots);
  int records = 0;

  auto flush = [&] {
    ++records;
    for (const QString& s : buffer) result.lines << s;
    QStringList names;
    QVariantList values;
    for (int k = 0; k < columns.size(); ++k) {
      if (buffer[k].isEmpty()) continue;
      names << columns[k];
      values << buffer[k];
    }
    try {
      if (names.isEmpty()) throw Error(QObject::tr("the record is empty"));
      QStringList marks;
      for (int i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
      db.execute(QStringLiteral("INSERT INTO referenzen (%1) VALUES (%2)")
                     .arg(names.join(u','), marks.join(u',')),
                 values);
      ++result.stored;
    } catch (const Error& e) {
      const QString line = QObject::tr("record %1 (%2) not stored: %3")
                               .arg(records)
                               .arg(describe(buffer, columns), e.message());
      result.notStored << line;
      feedback.warning(line);
    }
    buffer = QStringList(kSlots);
  };

  for (const QString& line : lines) {
    const int dash = line.indexOf(u'-');
    if (dash < 0) continue;
    const QString tag = line.left(dash).trimmed().toUpper();
    QString value = line.mid(dash + 1).trimmed();
    const auto rule = rules.constFind(tag);
    if (rule == rules.cend()) continue;
    if (rule->attribute.compare(QStringLiteral("FLUSH"), Qt::CaseInsensitive) == 0) flush();
    if (rule->destination.compare(QStringLiteral("referenzen"), Qt::CaseInsensitive) != 0) continue;
    int k = -1;
    for (int i = 0; i < columns.size(); ++i)
      if (columns[i].compare(rule->attribute, Qt::CaseInsensitive) == 0) k = i;
    if (k < 0) continue;
    const QString cut = rule->cutAt.trimmed();
    if (!cut.isEmpty() && value.contains(cut)) value = value.left(value.indexOf(cut));
    if (buffer[k].isEmpty())
      buffer[k] = value;
    else
      buffer[k] += rule->connector.trimmed() + QStringLiteral(" ") + value;
  }
  const QString summary = QObject::tr("%1 records stored").arg(result.stored);
  result.lines << summary << result.notStored;
  feedback.info(summary);
  return result;
}

}  // namespace trb::references
