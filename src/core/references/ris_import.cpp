#include "core/references/ris_import.h"

#include <QFile>
#include <QHash>
#include <QObject>
#include <QStringDecoder>
#include <map>
#include <memory>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/db/database.h"

namespace trb::references {

namespace {

// The record buffer holds one slot per column of referenzen, in table order.
constexpr int kSlots = 15;

QString tr(const char* text) {
  return QObject::tr(text);
}

struct TagRule {
  bool flush = false;
  int slot = -1;  // the column of referenzen it fills; -1 for none
  QString cutAt;
  QString connector;
};

QHash<QString, TagRule> read_rules(db::Database& db, const QStringList& columns) {
  QHash<QString, TagRule> rules;
  db::Reader r(
      db, QStringLiteral("SELECT tag, attribute, destination, cut_at, connector FROM RiS_import"));
  while (r.next()) {
    TagRule rule;
    const QString attribute = r.toString(1).trimmed();
    rule.flush = attribute.compare(QStringLiteral("FLUSH"), Qt::CaseInsensitive) == 0;
    if (r.toString(2).trimmed().compare(QStringLiteral("referenzen"), Qt::CaseInsensitive) == 0)
      rule.slot = int(columns.indexOf(attribute, Qt::CaseInsensitive));
    rule.cutAt = r.toString(3).trimmed();
    rule.connector = r.toString(4).trimmed();
    // the tag is looked up whole, without regard to case like the table's key
    rules.insert(r.toString(0).trimmed().toUpper(), rule);
  }
  return rules;
}

// The characters Windows-1252 puts at 0x80..0x9F, where Latin-1 has control characters; the five
// positions it leaves free keep their code.
constexpr char16_t kCp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// A text never holds those control characters; where a line has them, they are the quotes and
// dashes of a Windows file (read as Latin-1, or converted to UTF-8 as if it were Latin-1).
void map_cp1252(QString& line) {
  for (QChar& c : line)
    if (c.unicode() >= 0x80 && c.unicode() <= 0x9F) c = QChar(kCp1252[c.unicode() - 0x80]);
}

QString decode_line(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  QString line = utf8(bytes);
  if (utf8.hasError()) line = QString::fromLatin1(bytes);
  return line;
}

QStringList split_lines(QString text) {
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
  QStringList lines = text.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QString key_of(const QString& value) {
  return value.trimmed().toCaseFolded();
}

}  // namespace

QStringList read_ris_file(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw Error(tr("The file %1 cannot be read: %2").arg(path, f.errorString()));
  const QByteArray bytes = f.readAll();
  if (bytes.trimmed().isEmpty()) throw Error(tr("The file %1 is empty.").arg(path));
  QStringList lines;
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                      : QStringDecoder::Utf16BE);
    lines = split_lines(utf16(bytes.mid(2)));
  } else {
    QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (body.contains('\0'))
      throw Error(tr("The file %1 is not a RIS file: it holds binary data.").arg(path));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString whole = utf8(body);
    if (!utf8.hasError()) {
      lines = split_lines(whole);
    } else {
      // a file put together from several sources: each line in its own encoding
      body.replace("\r\n", "\n").replace('\r', '\n');
      QList<QByteArray> raw = body.split('\n');
      if (!raw.isEmpty() && raw.last().isEmpty()) raw.removeLast();
      lines.reserve(raw.size());
      for (const QByteArray& line : std::as_const(raw)) lines << decode_line(line);
    }
  }
  for (QString& line : lines) map_cp1252(line);
  return lines;
}

RisImportResult import_ris(db::Database& db, const QStringList& lines, Feedback& feedback,
                           bool slotLines) {
  RisImportResult result;
  const QStringList columns = db.columns(QStringLiteral("referenzen"));
  if (columns.size() > kSlots)
    throw Error(tr("The table referenzen has %1 columns; the import fills at most %2.")
                    .arg(columns.size())
                    .arg(kSlots));
  const QHash<QString, TagRule> rules = read_rules(db, columns);
  auto slotOf = [&columns](const char* name) {
    return int(columns.indexOf(QString::fromLatin1(name), Qt::CaseInsensitive));
  };
  const int autor = slotOf("Autor"), jahr = slotOf("Jahr"), titel = slotOf("Titel");
  const int doi = slotOf("DOI"), litId = slotOf("lit_id");
  auto slot = [](const QStringList& buffer, int k) { return k < 0 ? QString() : buffer.at(k); };
  auto identity = [&](const QStringList& buffer) {
    return key_of(slot(buffer, autor)) + u'\x1f' + key_of(slot(buffer, jahr)) + u'\x1f' +
           key_of(slot(buffer, titel));
  };

  db::Transaction tx(db);
  // what is stored already, by authors, year and title and by DOI
  QHash<QString, qlonglong> known, knownDoi;
  {
    QStringList cols;
    for (int k : {litId, autor, jahr, titel, doi})
      cols << (k < 0 ? QStringLiteral("null") : columns.at(k));
    db::Reader r(db, QStringLiteral("SELECT %1 FROM referenzen").arg(cols.join(u',')));
    QStringList buffer(kSlots);
    while (r.next()) {
      for (int i : {1, 2, 3}) {
        const int k = i == 1 ? autor : i == 2 ? jahr : titel;
        if (k >= 0) buffer[k] = r.toString(i);
      }
      known.insert(identity(buffer), r.toLongLong(0));
      if (!r.isNull(4) && !r.toString(4).trimmed().isEmpty())
        knownDoi.insert(key_of(r.toString(4)), r.toLongLong(0));
    }
  }

  // one prepared statement per set of filled columns
  std::map<QString, std::unique_ptr<db::Statement>> inserts;
  QStringList buffer(kSlots);
  bool open = false;  // a tag of the record has come since the last end
  int firstLine = 0;
  auto describe = [&] {
    QStringList parts;
    for (int k : {autor, jahr, titel})
      if (!slot(buffer, k).isEmpty()) parts << slot(buffer, k).left(60);
    return parts.isEmpty() ? QString()
                           : QStringLiteral(" (%1)").arg(parts.join(QStringLiteral(", ")));
  };
  auto notStored = [&](const QString& line) {
    result.notStored << line;
    feedback.warning(line);
  };

  auto flush = [&] {
    ++result.records;
    if (slotLines)
      for (const QString& s : std::as_const(buffer)) result.lines << s;
    const QString record =
        tr("record %1 (line %2)%3").arg(result.records).arg(firstLine).arg(describe());
    const QString id = identity(buffer);
    const QString doiKey = key_of(slot(buffer, doi));
    QStringList names;
    QVariantList values;
    for (int k = 0; k < columns.size(); ++k) {
      if (buffer[k].isEmpty()) continue;
      names << columns[k];
      values << buffer[k];
    }
    if (slot(buffer, autor).isEmpty() && slot(buffer, jahr).isEmpty() &&
        slot(buffer, titel).isEmpty()) {
      notStored(names.isEmpty() ? tr("%1 not stored: it is empty").arg(record)
                                : tr("%1 not stored: it has no author, title or year").arg(record));
    } else if (known.contains(id)) {
      notStored(tr("%1 is already there as reference %2; not stored again")
                    .arg(record)
                    .arg(known.value(id)));
    } else if (!doiKey.isEmpty() && knownDoi.contains(doiKey)) {
      notStored(tr("%1 is already there as reference %2 (same DOI); not stored again")
                    .arg(record)
                    .arg(knownDoi.value(doiKey)));
    } else {
      try {
        const QString key = names.join(u',');
        auto& insert = inserts[key];
        if (!insert) {
          QStringList marks;
          for (int i = 0; i < names.size(); ++i) marks << QStringLiteral("?");
          insert = std::make_unique<db::Statement>(
              db,
              QStringLiteral("INSERT INTO referenzen (%1) VALUES (%2)").arg(key, marks.join(u',')));
        }
        insert->exec(values);
        ++result.stored;
        const qlonglong row = db.lastInsertRowid();
        known.insert(id, row);
        if (!doiKey.isEmpty()) knownDoi.insert(doiKey, row);
      } catch (const Error& e) {
        notStored(tr("%1 not stored: %2").arg(record, e.message()));
      }
    }
    buffer = QStringList(kSlots);
    open = false;
  };
  auto endedWithout = [&](const QString& why) {
    const QString note = tr("record %1 (line %2) has no end tag: %3")
                             .arg(result.records + 1)
                             .arg(firstLine)
                             .arg(why);
    result.notes << note;
    feedback.warning(note);
    flush();
  };

  for (int i = 0; i < lines.size(); ++i) {
    if (i % 4096 == 0) {
      feedback.setProgress(i, lines.size());
      feedback.throwIfCanceled(tr("The import was stopped; nothing of the file is stored."));
    }
    const QString& line = lines.at(i);
    const int dash = line.indexOf(u'-');
    if (dash < 0) continue;
    const QString tag = line.left(dash).trimmed().toUpper();
    const auto rule = rules.constFind(tag);
    if (rule == rules.cend()) continue;
    // a new record begins with its type, also where the one before lacks its end tag
    if (tag == u"TY" && open) endedWithout(tr("taken as ended by the TY of line %1").arg(i + 1));
    if (!open) firstLine = i + 1;
    if (rule->flush) {
      flush();
      continue;
    }
    open = true;
    if (rule->slot < 0) continue;
    QString value = line.mid(dash + 1).trimmed();
    if (!rule->cutAt.isEmpty() && value.contains(rule->cutAt))
      value = value.left(value.indexOf(rule->cutAt));
    QString& s = buffer[rule->slot];
    if (s.isEmpty())
      s = value;
    else
      s += rule->connector + u' ' + value;
  }
  if (open) endedWithout(tr("taken as ended by the end of the file"));
  feedback.setProgress(0, 0);
  if (result.records == 0)
    throw Error(
        tr("The file holds no RIS record: no line has a tag of the table RiS_import. "
           "Nothing was stored."));
  inserts.clear();
  tx.commit();

  const QString summary = tr("%1 of %2 records stored").arg(result.stored).arg(result.records);
  result.lines << result.notes << result.notStored << summary;
  feedback.info(summary);
  return result;
}

}  // namespace trb::references
