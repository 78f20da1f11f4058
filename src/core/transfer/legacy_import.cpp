#include "core/transfer/legacy_import.h"

#include <fcntl.h>
#include <glib.h>  // before mdbtools.h, which would include it inside extern "C"
#include <limits.h>
#include <malloc.h>
#include <mdbtools.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryFile>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/db/database.h"
#include "core/db/dialect.h"

namespace trb::transfer {

namespace {

namespace dl = trb::db::dialect;

// A table that cannot be brought over; the text is the reason.
struct TableFailure : std::runtime_error {
  TableFailure(const QString& reason, bool isConstraint = false)
      : std::runtime_error(reason.toStdString()), constraint(isConstraint) {}
  bool constraint;
};

QString quoted(const QString& name) {
  QString q = name;
  q.replace(u'"', QStringLiteral("\"\""));
  return u'"' + q + u'"';
}

// ---- the Access file ---------------------------------------------------------------------------

struct FileShape {
  int version = 0;  // libmdb's numbering: 0 Jet 3, 1 Jet 4, 2 and up ACE
  qint64 pages = 0;
};

// Checks signature and size before libmdb sees the file: libmdb opens nearly anything, and on a
// file cut off inside a page it can run away.
FileShape checkFile(const QString& path) {
  QFile f(path);
  if (!f.exists()) throw ImportError(QStringLiteral("The file %1 does not exist.").arg(path));
  if (!f.open(QIODevice::ReadOnly))
    throw ImportError(QStringLiteral("The file %1 cannot be read: %2").arg(path, f.errorString()));
  const QByteArray head = f.read(0x20);
  const bool access = head.size() == 0x20 && head.left(4) == QByteArray("\x00\x01\x00\x00", 4) &&
                      (head.mid(4, 16) == QByteArray("Standard Jet DB\0", 16) ||
                       head.mid(4, 16) == QByteArray("Standard ACE DB\0", 16));
  if (!access)
    throw ImportError(QStringLiteral("The file %1 is not an Access database.").arg(path));
  FileShape s;
  s.version = static_cast<unsigned char>(head.at(0x14));
  const qint64 pageSize = s.version == MDB_VER_JET3 ? 2048 : 4096;
  const qint64 size = f.size();
  if (size < 3 * pageSize || size % pageSize != 0)
    throw ImportError(QStringLiteral("The file %1 is truncated or damaged: its size (%2 bytes) "
                                     "does not make whole database pages.")
                          .arg(path)
                          .arg(size));
  s.pages = size / pageSize;
  return s;
}

QString formatName(int version) {
  switch (version) {
    case MDB_VER_JET3:
      return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
      return QStringLiteral("Jet 4");
    case MDB_VER_ACCDB_2007:
      return QStringLiteral("ACE 12");
    case MDB_VER_ACCDB_2010:
      return QStringLiteral("ACE 14");
    case MDB_VER_ACCDB_2013:
      return QStringLiteral("ACE 15");
    case MDB_VER_ACCDB_2016:
      return QStringLiteral("ACE 16");
    case MDB_VER_ACCDB_2019:
      return QStringLiteral("ACE 17");
    default:
      return QStringLiteral("Access (version %1)").arg(version);
  }
}

struct MdbCloser {
  void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableFreer {
  void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using MdbPtr = std::unique_ptr<MdbHandle, MdbCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

// A string that libmdb allocated.
struct GText {
  char* p;
  explicit GText(char* s) : p(s) {}
  ~GText() { g_free(p); }
  GText(const GText&) = delete;
  GText& operator=(const GText&) = delete;
};

MdbColumn* columnAt(MdbTableDef* t, unsigned i) {
  return static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i));
}

QString columnName(const MdbColumn* c) {
  return QString::fromUtf8(c->name);
}

QString declaredType(int colType) {
  switch (colType) {
    case MDB_BOOL:
      return QString::fromLatin1(dl::kYesNo);
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX:
      return QString::fromLatin1(dl::kInteger);
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC:
      return QString::fromLatin1(dl::kReal);
    case MDB_DATETIME:
      return QString::fromLatin1(dl::kDate);
    case MDB_BINARY:
    case MDB_OLE:
      return QStringLiteral("BLOB");
    default:  // text, memo, replication id and whatever newer files hold, as libmdb writes it
      return QStringLiteral("TEXT COLLATE NOCASE");
  }
}

struct IndexDef {
  QString name;
  bool primary = false;
  bool unique = false;
  QStringList columns;  // quoted, with DESC where the file says so
  QStringList plainColumns;
};

QList<IndexDef> indexesOf(MdbTableDef* t) {
  QList<IndexDef> out;
  if (!t->indices) return out;
  for (unsigned i = 0; i < t->indices->len; ++i) {
    const auto* idx = static_cast<MdbIndex*>(g_ptr_array_index(t->indices, i));
    if (idx->index_type == 2) continue;  // the far side of a relationship, not an index of its own
    IndexDef d;
    d.name = QString::fromUtf8(idx->name);
    d.primary = idx->index_type == 1;
    d.unique = (idx->flags & MDB_IDX_UNIQUE) != 0;
    bool ok = idx->num_keys > 0;
    for (unsigned k = 0; k < idx->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
      const int colNum = idx->key_col_num[k] - 1;  // 1-based in the file
      if (colNum < 0 || colNum >= static_cast<int>(t->num_cols)) {
        ok = false;
        break;
      }
      const QString name = columnName(columnAt(t, colNum));
      d.plainColumns << name;
      d.columns << quoted(name) +
                       (idx->key_col_order[k] == MDB_DESC ? QStringLiteral(" DESC") : QString());
    }
    if (ok) out << d;
  }
  return out;
}

// Whether a memo or OLE value points to a page that the file does not have.
bool pointsPastEnd(MdbHandle* mdb, const MdbField& f, qint64 pages) {
  const auto head = static_cast<quint32>(mdb_get_int32(mdb->pg_buf, f.start));
  if (head & 0x80000000u) return false;  // held in the row itself
  const auto where = static_cast<quint32>(mdb_get_int32(mdb->pg_buf, f.start + 4));
  return (where >> 8) >= pages;
}

quint32 longValueLength(MdbHandle* mdb, const MdbField& f) {
  return static_cast<quint32>(mdb_get_int32(mdb->pg_buf, f.start)) & 0x3fffffffu;
}

struct Progress {
  trb::Feedback* feedback = nullptr;
  qint64 done = 0;
  qint64 total = 0;
  // Every thousand rows and at the end of a table: the progress, and a stop request.
  void step(qint64 n, bool force) {
    done += n;
    if (!feedback || !(force || done % 1000 == 0)) return;
    feedback->setProgress(done, total);
    feedback->throwIfCanceled(QStringLiteral("The import was stopped."));
  }
};

struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};

class TableCopy {
 public:
  TableCopy(MdbHandle* mdb, const FileShape& shape, MdbTableDef* t, trb::db::Database& db,
            Progress& progress)
      : mdb_(mdb), shape_(shape), t_(t), db_(db), progress_(progress) {}

  // Creates and fills the table; returns the rows. withKey: the file's primary key is declared.
  qint64 run(bool withKey, const QList<IndexDef>& indexes, QStringList* notes,
             QSet<QString>* usedNames) {
    const QString table = QString::fromUtf8(t_->name);
    const IndexDef* key = nullptr;
    for (const auto& d : indexes)
      if (d.primary) key = &d;
    if (!withKey) key = nullptr;

    QStringList defs;
    bool keyInline = false;
    for (unsigned i = 0; i < t_->num_cols; ++i) {
      const MdbColumn* c = columnAt(t_, i);
      QString def = quoted(columnName(c)) + u' ' + declaredType(c->col_type);
      // An autonumber key keeps numbering new rows.
      if (key && key->plainColumns.size() == 1 &&
          key->plainColumns.first().compare(columnName(c), Qt::CaseInsensitive) == 0 &&
          c->is_long_auto && declaredType(c->col_type) == QLatin1String(dl::kInteger)) {
        def += QStringLiteral(" PRIMARY KEY AUTOINCREMENT");
        keyInline = true;
      }
      defs << def;
    }
    if (key && !keyInline)
      defs << QStringLiteral("PRIMARY KEY (") + key->columns.join(QStringLiteral(", ")) + u')';
    db_.runNative(QStringLiteral("CREATE TABLE ") + quoted(table) + QStringLiteral(" (") +
                  defs.join(QStringLiteral(", ")) + QStringLiteral(")"));

    Statement ins;
    QStringList marks;
    for (unsigned i = 0; i < t_->num_cols; ++i) marks << QStringLiteral("?");
    const QByteArray insSql = (QStringLiteral("INSERT INTO ") + quoted(table) +
                               QStringLiteral(" VALUES (") + marks.join(u',') + u')')
                                  .toUtf8();
    if (sqlite3_prepare_v2(db_.handle(), insSql.constData(), -1, &ins.st, nullptr) != SQLITE_OK)
      throw TableFailure(QString::fromUtf8(sqlite3_errmsg(db_.handle())));

    // OLE values are read in chunks into the bound buffer of their column.
    std::vector<std::vector<char>> oleBuffers;
    std::vector<int> oleLens(t_->num_cols, 0);
    for (unsigned i = 0; i < t_->num_cols; ++i) {
      if (columnAt(t_, i)->col_type != MDB_OLE) continue;
      oleBuffers.emplace_back(mdb_->bind_size + 1);
      mdb_bind_column(t_, static_cast<int>(i) + 1, oleBuffers.back().data(), &oleLens[i]);
    }

    qint64 rows = 0;
    mdb_rewind_table(t_);
    while (mdb_fetch_row(t_)) {
      copyRow(ins.st);
      ++rows;
      progress_.step(1, false);
    }
    for (unsigned i = 0; i < t_->num_cols; ++i) columnAt(t_, i)->bind_ptr = nullptr;
    if (rows != static_cast<qint64>(t_->num_rows))
      throw TableFailure(QStringLiteral("only %1 of its %2 rows can be read; the file is damaged")
                             .arg(rows)
                             .arg(t_->num_rows));
    for (const QString& n : std::as_const(outOfRange_))
      *notes << QStringLiteral("%1.%2: dates outside the years 100 to 9999 kept as day numbers")
                    .arg(table, n);

    // Further indexes; a primary key that did not hold stays as a plain index.
    for (const auto& d : indexes) {
      if (d.primary && withKey) continue;
      QString name = d.name;
      for (int n = 1; usedNames->contains(name.toLower()); ++n)
        name =
            n == 1 ? table + u'_' + d.name : QStringLiteral("%1_%2_%3").arg(table, d.name).arg(n);
      const QString sql =
          QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
              .arg(d.unique && !d.primary ? QStringLiteral("UNIQUE ") : QString(), quoted(name),
                   quoted(table), d.columns.join(QStringLiteral(", ")));
      try {
        db_.runNative(sql);
        usedNames->insert(name.toLower());
      } catch (const trb::db::DbError& e) {
        *notes << QStringLiteral("%1: index %2 left out: %3").arg(table, d.name, e.engineMessage());
      }
    }
    return rows;
  }

 private:
  void copyRow(sqlite3_stmt* st) {
    // The row just fetched, taken apart again for its null flags and raw values.
    int start = 0;
    size_t size = 0;
    if (mdb_find_row(mdb_, static_cast<int>(t_->cur_row) - 1, &start, &size) != 0)
      throw TableFailure(QStringLiteral("a row cannot be located; the file is damaged"));
    MdbField fields[MDB_MAX_COLS];
    const int count = mdb_crack_row(t_, start & 0x1fff, size, fields);
    if (count < static_cast<int>(t_->num_cols))
      throw TableFailure(QStringLiteral("a row cannot be read; the file is damaged"));
    // The fields come in column order, each naming its column.
    int where[MDB_MAX_COLS];
    for (unsigned i = 0; i < t_->num_cols; ++i) where[i] = static_cast<int>(i);
    for (int k = 0; k < count; ++k)
      if (fields[k].colnum >= 0 && fields[k].colnum < static_cast<int>(t_->num_cols))
        where[fields[k].colnum] = k;

    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    std::vector<unsigned> oleColumns;
    for (unsigned i = 0; i < t_->num_cols; ++i) {
      MdbColumn* c = columnAt(t_, i);
      const MdbField& f =
          fields[where[c->col_num >= 0 && c->col_num < static_cast<int>(t_->num_cols)
                           ? c->col_num
                           : static_cast<int>(i)]];
      const int p = static_cast<int>(i) + 1;
      // A yes/no value is the null flag itself: set means no.
      if (c->col_type == MDB_BOOL) {
        sqlite3_bind_int(st, p, f.is_null ? 0 : -1);
        continue;
      }
      if (f.is_null) continue;  // stays NULL
      switch (c->col_type) {
        case MDB_FLOAT:
          sqlite3_bind_double(st, p, singleAsDouble(mdb_get_single(mdb_->pg_buf, f.start)));
          break;
        case MDB_DOUBLE:
          sqlite3_bind_double(st, p, mdb_get_double(mdb_->pg_buf, f.start));
          break;
        case MDB_DATETIME: {
          const double days = mdb_get_double(mdb_->pg_buf, f.start);
          const QByteArray text = accessDateText(days).toUtf8();
          if (text.isEmpty()) {
            sqlite3_bind_double(st, p, days);
            if (!outOfRange_.contains(columnName(c))) outOfRange_ << columnName(c);
          } else {
            sqlite3_bind_text(st, p, text.constData(), text.size(), SQLITE_TRANSIENT);
          }
          break;
        }
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
        case MDB_COMPLEX: {
          GText s(mdb_col_to_string(mdb_, mdb_->pg_buf, f.start, c->col_type, f.siz));
          bool ok = false;
          const qlonglong v = s.p ? QByteArray(s.p).trimmed().toLongLong(&ok) : 0;
          if (!ok) throw unreadable(c);
          sqlite3_bind_int64(st, p, v);
          break;
        }
        case MDB_MONEY:
        case MDB_NUMERIC: {
          GText s(c->col_type == MDB_NUMERIC
                      ? mdb_numeric_to_string(mdb_, f.start, c->col_scale, c->col_prec)
                      : mdb_col_to_string(mdb_, mdb_->pg_buf, f.start, c->col_type, f.siz));
          bool ok = false;
          const double v = s.p ? QByteArray(s.p).trimmed().toDouble(&ok) : 0;
          if (!ok) throw unreadable(c);
          sqlite3_bind_double(st, p, v);
          break;
        }
        case MDB_BINARY:
          sqlite3_bind_blob(st, p, mdb_->pg_buf + f.start, f.siz, SQLITE_TRANSIENT);
          break;
        case MDB_OLE:
          if (f.siz == 0) {  // zero length, not null
            sqlite3_bind_zeroblob(st, p, 0);
            break;
          }
          if (f.siz < MDB_MEMO_OVERHEAD) throw unreadable(c);
          if (pointsPastEnd(mdb_, f, shape_.pages)) throw pastEnd(c);
          oleColumns.push_back(i);
          oleHeads_[i] =
              QByteArray(reinterpret_cast<const char*>(mdb_->pg_buf + f.start), MDB_MEMO_OVERHEAD);
          break;
        case MDB_MEMO: {
          if (f.siz == 0) {  // zero length, not null
            sqlite3_bind_text(st, p, "", 0, SQLITE_STATIC);
            break;
          }
          if (f.siz < MDB_MEMO_OVERHEAD) throw unreadable(c);
          if (pointsPastEnd(mdb_, f, shape_.pages)) throw pastEnd(c);
          const quint32 length = longValueLength(mdb_, f);
          GText s(mdb_col_to_string(mdb_, mdb_->pg_buf, f.start, c->col_type, f.siz));
          if (!s.p || (length > 0 && !*s.p)) throw unreadable(c);
          sqlite3_bind_text(st, p, s.p, -1, SQLITE_TRANSIENT);
          break;
        }
        default: {  // text, replication id, newer types: as libmdb writes them
          GText s(mdb_col_to_string(mdb_, mdb_->pg_buf, f.start, c->col_type, f.siz));
          if (!s.p && f.siz > 0) throw unreadable(c);
          sqlite3_bind_text(st, p, s.p ? s.p : "", -1, SQLITE_TRANSIENT);
          break;
        }
      }
    }
    // Long values last: reading them moves through other pages.
    for (unsigned i : oleColumns) {
      MdbColumn* c = columnAt(t_, i);
      QByteArray head = oleHeads_[i];
      const quint32 expected = static_cast<quint32>(mdb_get_int32(head.data(), 0)) & 0x3fffffffu;
      QByteArray data;
      size_t n = mdb_ole_read(mdb_, c, head.data(), mdb_->bind_size);
      while (n > 0) {
        data.append(static_cast<const char*>(c->bind_ptr), static_cast<qsizetype>(n));
        n = mdb_ole_read_next(mdb_, c, head.data());
      }
      if (static_cast<quint32>(data.size()) != expected) throw unreadable(c);
      sqlite3_bind_blob(st, static_cast<int>(i) + 1, data.constData(), data.size(),
                        SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
      throw TableFailure(QString::fromUtf8(sqlite3_errmsg(db_.handle())),
                         (rc & 0xff) == SQLITE_CONSTRAINT);
  }

  TableFailure unreadable(const MdbColumn* c) const {
    return TableFailure(QStringLiteral("a value of column %1 cannot be read; the file is damaged")
                            .arg(columnName(c)));
  }
  TableFailure pastEnd(const MdbColumn* c) const {
    return TableFailure(
        QStringLiteral("a value of column %1 lies beyond the end of the file; the file is "
                       "truncated")
            .arg(columnName(c)));
  }

  MdbHandle* mdb_;
  const FileShape& shape_;
  MdbTableDef* t_;
  trb::db::Database& db_;
  Progress& progress_;
  QStringList outOfRange_;
  QHash<unsigned, QByteArray> oleHeads_;
};

void bindNothing(MdbTableDef* t) {
  for (unsigned i = 0; i < t->num_cols; ++i) columnAt(t, i)->bind_ptr = nullptr;
}

bool catalogComplete(MdbHandle* mdb) {
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (qstrcmp(e->object_name, "MSysObjects") != 0) continue;
    TablePtr t(mdb_read_table(e));
    if (!t || !mdb_read_columns(t.get())) return false;
    mdb_rewind_table(t.get());
    unsigned rows = 0;
    while (mdb_fetch_row(t.get())) ++rows;
    return rows == t->num_rows;
  }
  return false;
}

// The tables of an in-memory database built from the bundled schema, with their columns.
QList<QPair<QString, QStringList>> bundledSchema(bool* known) {
  QList<QPair<QString, QStringList>> out;
  *known = false;
  const QByteArray sql = trb::db::bundledSql(QStringLiteral("schema.sql")).toUtf8();
  sqlite3* mem = nullptr;
  if (sqlite3_open(":memory:", &mem) != SQLITE_OK) {
    sqlite3_close(mem);
    return out;
  }
  if (sqlite3_exec(mem, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(mem,
                       "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                       "WHERE m.type = 'table' AND m.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                       "ORDER BY m.name, p.cid",
                       -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
      const QString table =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
      const QString col =
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
      if (out.isEmpty() || out.last().first != table) out.append({table, {}});
      out.last().second << col;
    }
    sqlite3_finalize(st);
    *known = !out.isEmpty();
  }
  sqlite3_close(mem);
  return out;
}

// Removes the temporary files (and their journals) of imports into `target` whose process has
// ended without removing them: a killed import.
static void removeAbandonedParts(const QFileInfo& target) {
  const QDir folder(target.absolutePath());
  const QString prefix = u'.' + target.fileName() + u'.';
  const QStringList parts = folder.entryList({prefix + QStringLiteral("*.part")},
                                             QDir::Files | QDir::Hidden | QDir::System);
  for (const QString& name : parts) {
    const QStringList fields = name.mid(prefix.size()).split(u'.');
    bool ok = false;
    const qint64 owner = fields.size() == 3 ? fields.at(0).toLongLong(&ok) : 0;
    if (!ok || owner <= 0) continue;
    if (::kill(static_cast<pid_t>(owner), 0) == 0 || errno != ESRCH) continue;
    QFile::remove(folder.filePath(name));
    QFile::remove(folder.filePath(name + QStringLiteral("-journal")));
  }
}

QString backupName(const QString& target) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  QString name = target + u'.' + stamp + QStringLiteral(".bak");
  for (int n = 2; QFileInfo::exists(name); ++n)
    name = target + u'.' + stamp + u'-' + QString::number(n) + QStringLiteral(".bak");
  return name;
}

}  // namespace

// ---- public
// --------------------------------------------------------------------------------------

QStringList SchemaGaps::lines() const {
  QStringList out;
  if (!schemaKnown)
    out << QStringLiteral("no trb schema to compare with");
  else if (missingTables.isEmpty() && missingColumns.isEmpty())
    out << QStringLiteral("every trb table and column is there");
  if (!missingTables.isEmpty())
    out << QStringLiteral("missing tables: ") + missingTables.join(QStringLiteral(", "));
  if (!missingColumns.isEmpty())
    out << QStringLiteral("missing columns: ") + missingColumns.join(QStringLiteral(", "));
  if (areaMissing)
    out << QStringLiteral(
        "field_description has no column area; it is added (filled with -99) when the database "
        "is opened");
  return out;
}

qint64 ImportResult::rows() const {
  qint64 n = 0;
  for (const auto& t : tables) n += t.rows;
  return n;
}

QStringList ImportResult::failedTables() const {
  QStringList out;
  for (const auto& t : tables)
    if (!t.error.isEmpty()) out << t.name;
  return out;
}

bool isLegacyDatabase(const QString& path) {
  const QString suffix = QFileInfo(path).suffix();
  return suffix.compare(QLatin1String("mdb"), Qt::CaseInsensitive) == 0 ||
         suffix.compare(QLatin1String("accdb"), Qt::CaseInsensitive) == 0;
}

QString defaultImportTarget(const QString& source) {
  const QFileInfo fi(source);
  if (fi.suffix().isEmpty()) return source + QStringLiteral(".sqlite");
  return source.left(source.size() - fi.suffix().size()) + QStringLiteral("sqlite");
}

QString accessDateText(double days) {
  // Access accepts 100-01-01 (-657434) to 9999-12-31 (2958465, up to the last second).
  if (!std::isfinite(days) || days < -657434.0 || days >= 2958466.0) return QString();
  const double whole = std::trunc(days);
  qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
  qint64 day = static_cast<qint64>(whole);
  if (seconds >= 86400) {  // rounds up to midnight of the next calendar day
    seconds -= 86400;
    day += 1;
  }
  const QDate d = QDate(1899, 12, 30).addDays(day);
  if (d.year() > 9999) return QString();
  return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                           static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60),
                           static_cast<int>(seconds % 60));
}

double singleAsDouble(float value) {
  if (!std::isfinite(value)) return value;
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, value);
  double out = value;
  std::from_chars(buf, r.ptr, out);
  return out;
}

SchemaGaps checkSchema(trb::db::Database& db) {
  SchemaGaps g;
  const auto schema = bundledSchema(&g.schemaKnown);
  for (const auto& [table, cols] : schema) {
    if (!db.hasTable(table)) {
      g.missingTables << table;
      continue;
    }
    const QStringList have = db.columns(table);
    for (const QString& c : cols) {
      if (have.contains(c, Qt::CaseInsensitive)) continue;
      if (table.compare(QLatin1String("field_description"), Qt::CaseInsensitive) == 0 &&
          c.compare(QLatin1String("area"), Qt::CaseInsensitive) == 0)
        continue;  // reported as areaMissing
      g.missingColumns << table + u'.' + c;
    }
  }
  g.areaMissing = db.hasTable(QStringLiteral("field_description")) &&
                  !db.hasColumn(QStringLiteral("field_description"), QStringLiteral("area"));
  return g;
}

ImportResult importLegacy(const QString& source, const QString& target, bool overwrite) {
  trb::Feedback silent;
  return importLegacy(source, target, overwrite, silent);
}

namespace {

// Reads the Access file and writes its tables into the SQLite file `file` (empty, existing).
// Runs in the child process of importLegacy.
ImportResult copyTables(const QString& source, const QString& file, const FileShape& shape,
                        ImportResult result, trb::Feedback& feedback) {
  MdbPtr mdb(mdb_open(QFile::encodeName(source).constData(), MDB_NOFLAGS));
  if (!mdb)
    throw ImportError(
        QStringLiteral("The file %1 cannot be opened as an Access database.").arg(source));
  if (!mdb_read_catalog(mdb.get(), MDB_ANY))
    throw ImportError(
        QStringLiteral("The list of tables in %1 cannot be read; the file is damaged.")
            .arg(source));

  // A file cut off at a page boundary reads as one with fewer objects: the system table that lists
  // them must have all its rows.
  if (!catalogComplete(mdb.get()))
    throw ImportError(
        QStringLiteral("The list of tables in %1 is incomplete; the file is truncated or damaged.")
            .arg(source));

  // The user tables with their definitions, read first for the row total.
  struct Source {
    QString name;
    TablePtr table;
    QString error;
  };
  std::vector<Source> sources;
  QSet<QString> usedNames;
  Progress prog;
  prog.feedback = &feedback;
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    const QString name = QString::fromUtf8(e->object_name);
    if (e->object_type == MDB_LINKED_TABLE) {
      result.notes << QStringLiteral("%1: a linked table, left out (its rows live in another file)")
                          .arg(name);
      continue;
    }
    if (e->object_type != MDB_TABLE || !mdb_is_user_table(e)) continue;
    Source s;
    s.name = name;
    usedNames.insert(name.toLower());
    s.table.reset(mdb_read_table(e));
    if (!s.table)
      s.error = QStringLiteral("its definition cannot be read");
    else if (!mdb_read_columns(s.table.get()))
      s.error = QStringLiteral("its columns cannot be read");
    else if (s.table->num_cols > MDB_MAX_COLS)
      s.error = QStringLiteral("it has more columns than can be read");
    else {
      mdb_read_indices(s.table.get());
      prog.total += s.table->num_rows;
    }
    sources.push_back(std::move(s));
  }

  // the list of tables is read: the rows follow (the parent's patience is longer from here on)
  feedback.setProgress(0, prog.total);
  {
    trb::db::Database db = trb::db::Database::create(file);
    trb::db::Transaction all(db);
    for (auto& s : sources) {
      TableImport ti;
      ti.name = s.name;
      if (!s.error.isEmpty()) {
        ti.error = s.error;
        result.tables << ti;
        continue;
      }
      const QList<IndexDef> indexes = indexesOf(s.table.get());
      const bool hasKey =
          std::any_of(indexes.begin(), indexes.end(), [](const IndexDef& d) { return d.primary; });
      const qint64 before = prog.done;
      for (bool withKey : {true, false}) {
        if (!withKey && !hasKey) break;
        QStringList notes;
        QSet<QString> names = usedNames;
        try {
          trb::db::Transaction one(db);
          TableCopy copy(mdb.get(), shape, s.table.get(), db, prog);
          ti.rows = copy.run(withKey, indexes, &notes, &names);
          one.commit();
          ti.error.clear();
          if (!withKey)
            notes.prepend(QStringLiteral("%1: primary key left out: its values are not unique "
                                         "here")
                              .arg(s.name));
          result.notes << notes;
          usedNames = names;
          break;
        } catch (const TableFailure& f) {
          bindNothing(s.table.get());
          ti.error = QString::fromUtf8(f.what());
          prog.done = before;
          if (!f.constraint) break;  // only a key that does not hold is worth a second try
        } catch (const trb::db::DbError& e) {
          bindNothing(s.table.get());
          ti.error = e.engineMessage();
          prog.done = before;
          break;
        }
      }
      if (!ti.error.isEmpty()) prog.done = before + s.table->num_rows;  // counted as done
      prog.step(0, true);
      result.tables << ti;
    }
    if (!result.tables.isEmpty() && result.failedTables().size() == result.tables.size()) {
      QStringList reasons;
      for (const auto& t : result.tables) reasons << t.name + QStringLiteral(": ") + t.error;
      throw ImportError(QStringLiteral("No table of %1 can be read.\n").arg(source) +
                        reasons.join(u'\n'));
    }
    result.gaps = checkSchema(db);
    all.commit();
  }
  feedback.setProgress(prog.total, prog.total);
  return result;
}

// ---- the child process -------------------------------------------------------------------------
//
// libmdb trusts the file: on a damaged catalog it can loop for ever, printing a warning per round
// and allocating as it goes. The tables are therefore read in a child process under a memory
// limit, with its output captured; the parent forwards the progress and ends the child when it
// stops making progress, when a stop is asked for, or when it outgrows its output allowance.

constexpr char kProgress = 'P', kResult = 'R', kFailure = 'F';
constexpr int kResourceExit = 3;     // the child ran out of memory
constexpr int kCatalogSeconds = 15;  // until the child has read the list of tables
constexpr int kQuietSeconds = 120;   // longest time without progress while rows are copied
constexpr qint64 kMaxMessages = qint64(64) << 20;
constexpr qsizetype kKeptOutput = 2048;

bool writeAll(int fd, const char* data, qsizetype size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size_t(size));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= n;
  }
  return true;
}

void sendRecord(int fd, char kind, const QByteArray& payload) {
  QByteArray rec;
  rec.reserve(payload.size() + 5);
  rec.append(kind);
  const quint32 n = quint32(payload.size());
  rec.append(reinterpret_cast<const char*>(&n), 4);
  rec.append(payload);
  writeAll(fd, rec.constData(), rec.size());
}

QByteArray encode(const ImportResult& r) {
  QByteArray b;
  QDataStream d(&b, QIODevice::WriteOnly);
  d << r.format << qint32(r.tables.size());
  for (const TableImport& t : r.tables) d << t.name << t.rows << t.error;
  d << r.notes << r.gaps.schemaKnown << r.gaps.missingTables << r.gaps.missingColumns
    << r.gaps.areaMissing;
  return b;
}

void decode(const QByteArray& b, ImportResult& r) {
  QDataStream d(b);
  qint32 n = 0;
  d >> r.format >> n;
  for (qint32 i = 0; i < n && d.status() == QDataStream::Ok; ++i) {
    TableImport t;
    d >> t.name >> t.rows >> t.error;
    r.tables << t;
  }
  d >> r.notes >> r.gaps.schemaKnown >> r.gaps.missingTables >> r.gaps.missingColumns >>
      r.gaps.areaMissing;
}

// The child's feedback: progress over the pipe. A stop is the parent's to carry out.
class PipeFeedback : public trb::Feedback {
 public:
  explicit PipeFeedback(int fd) : fd_(fd) {}
  void setProgress(qint64 pos, qint64 count) override {
    QByteArray b;
    QDataStream(&b, QIODevice::WriteOnly) << pos << count;
    sendRecord(fd_, kProgress, b);
  }

 private:
  int fd_;
};

void limitMemory() {
#if defined(__SANITIZE_ADDRESS__)
  constexpr bool sanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  constexpr bool sanitized = true;
#else
  constexpr bool sanitized = false;
#endif
#else
  constexpr bool sanitized = false;
#endif
  if (sanitized) return;  // the sanitizer reserves its shadow memory as address space
  // the address space the process has now (the parent's libraries), and 1 GiB for the work
  long pages = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
  const struct rlimit rl = {limit, limit};
  setrlimit(RLIMIT_AS, &rl);
}

[[noreturn]] void runChild(int resultFd, int outFd, const QString& source, const QString& file,
                           const FileShape& shape, const ImportResult& start) {
  ::dup2(outFd, STDOUT_FILENO);
  ::dup2(outFd, STDERR_FILENO);
  ::close(outFd);
  limitMemory();
  // libmdb reads memory it never wrote on some damaged files: make fresh allocations zero, as in
  // a new process, so that a file is read the same way whatever the parent did before
  mallopt(M_PERTURB, 0xff);
  int code = 0;
  try {
    PipeFeedback fb(resultFd);
    const ImportResult r = copyTables(source, file, shape, start, fb);
    sendRecord(resultFd, kResult, encode(r));
  } catch (const std::bad_alloc&) {
    code = kResourceExit;
  } catch (const trb::db::DbError& e) {
    // the new file cannot be written (a full disk, a name the system refuses)
    sendRecord(resultFd, kFailure,
               QStringLiteral("Cannot write %1: %2").arg(start.target, e.message()).toUtf8());
  } catch (const trb::Error& e) {
    sendRecord(resultFd, kFailure, e.message().toUtf8());
  } catch (const std::exception& e) {
    sendRecord(resultFd, kFailure, QByteArray(e.what()));
  }
  ::close(resultFd);
  ::_exit(code);
}

QString damaged(const QString& source, const QByteArray& output) {
  QString msg = QStringLiteral(
                    "The file %1 cannot be imported: the file is damaged or not an "
                    "Access database.")
                    .arg(source);
  const QByteArray first = output.left(output.indexOf('\n')).trimmed();
  if (!first.isEmpty()) msg += QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(first));
  return msg;
}

// Runs copyTables in a child process and waits for it; throws ImportError or trb::Canceled.
ImportResult copyTablesIsolated(const QString& source, const QString& file, const FileShape& shape,
                                const ImportResult& start, trb::Feedback& feedback) {
  int results[2], output[2];
  if (::pipe2(results, O_CLOEXEC) != 0)
    throw ImportError(
        QStringLiteral("Cannot start reading %1: %2").arg(source, qt_error_string(errno)));
  if (::pipe2(output, O_CLOEXEC) != 0) {
    ::close(results[0]);
    ::close(results[1]);
    throw ImportError(
        QStringLiteral("Cannot start reading %1: %2").arg(source, qt_error_string(errno)));
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(results[0]);
    ::close(output[0]);
    runChild(results[1], output[1], source, file, shape, start);
  }
  ::close(results[1]);
  ::close(output[1]);
  if (pid < 0) {
    ::close(results[0]);
    ::close(output[0]);
    throw ImportError(
        QStringLiteral("Cannot start reading %1: %2").arg(source, qt_error_string(errno)));
  }

  QByteArray buffer, kept;
  qint64 outputSeen = 0;
  bool gotResult = false, gotProgress = false, stopped = false, runaway = false;
  QString failure;
  ImportResult result = start;
  QElapsedTimer quiet;
  quiet.start();
  struct pollfd fds[2] = {{results[0], POLLIN, 0}, {output[0], POLLIN, 0}};
  char chunk[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    const int ready = ::poll(fds, 2, 100);
    if (ready < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        continue;
      }
      if (i == 1) {
        outputSeen += n;
        if (kept.size() < kKeptOutput)
          kept.append(chunk, qMin<qsizetype>(n, kKeptOutput - kept.size()));
        continue;
      }
      buffer.append(chunk, n);
      while (buffer.size() >= 5) {
        quint32 len;
        std::memcpy(&len, buffer.constData() + 1, 4);
        if (buffer.size() < qsizetype(len) + 5) break;
        const char kind = buffer.at(0);
        const QByteArray payload = buffer.mid(5, len);
        buffer.remove(0, len + 5);
        if (kind == kProgress) {
          qint64 pos = 0, count = 0;
          QDataStream(payload) >> pos >> count;
          feedback.setProgress(pos, count);
          gotProgress = true;
          quiet.restart();
        } else if (kind == kResult) {
          decode(payload, result);
          gotResult = true;
        } else if (kind == kFailure) {
          failure = QString::fromUtf8(payload);
        }
      }
    }
    if (feedback.isCanceled()) stopped = true;
    // a child that prints on and on, or falls silent, is running away in the library
    if (outputSeen > kMaxMessages ||
        quiet.elapsed() > 1000 * (gotProgress ? kQuietSeconds : kCatalogSeconds))
      runaway = true;
    if (stopped || runaway) {
      ::kill(pid, SIGKILL);
      break;
    }
  }
  for (const pollfd& f : fds)
    if (f.fd >= 0) ::close(f.fd);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (stopped) throw trb::Canceled(QStringLiteral("The import was stopped."));
  const bool clean = !runaway && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (clean && gotResult) return result;
  if (clean && !failure.isEmpty()) throw ImportError(failure);
  throw ImportError(damaged(source, kept));
}

}  // namespace

ImportResult importLegacy(const QString& source, const QString& target, bool overwrite,
                          trb::Feedback& feedback) {
  ImportResult result;
  result.source = QFileInfo(source).absoluteFilePath();
  result.target = QFileInfo(target).absoluteFilePath();
  if (result.source == result.target)
    throw ImportError(QStringLiteral("The output %1 is the input itself.").arg(target));
  const FileShape shape = checkFile(source);
  result.format = formatName(shape.version);
  if (QFileInfo::exists(target) && !overwrite)
    throw ImportError(QStringLiteral("The file %1 exists already.").arg(target));

  // The new file under a temporary name in the target folder, with the importing process's id,
  // so that a later import can tell the leftovers of a killed one from a running one's file.
  const QFileInfo tfi(result.target);
  removeAbandonedParts(tfi);
  const QString pid = QString::number(::getpid());
  QTemporaryFile tmp(tfi.absolutePath() + QStringLiteral("/.") + tfi.fileName() + u'.' + pid +
                     QStringLiteral(".XXXXXX.part"));
  // the temporary name is the target's and 15 characters more besides the process id
  if (QFile::encodeName(tfi.fileName()).size() + 15 + pid.size() > NAME_MAX)
    throw ImportError(QStringLiteral("Cannot write %1: the file name is too long.").arg(target));
  if (!tmp.open() || tmp.fileName().isEmpty())
    throw ImportError(QStringLiteral("Cannot write in the folder %1: %2")
                          .arg(tfi.absolutePath(), tmp.errorString()));
  tmp.close();
  QFile::setPermissions(tmp.fileName(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
  // a child ended half-way may leave its journal beside the file
  struct Journal {
    QString path;
    ~Journal() { QFile::remove(path); }
  } journal{tmp.fileName() + QStringLiteral("-journal")};
  result = copyTablesIsolated(source, tmp.fileName(), shape, result, feedback);
  std::error_code ec;
  std::filesystem::rename(QFile::encodeName(tmp.fileName()).toStdString(),
                          QFile::encodeName(result.target).toStdString(), ec);
  if (ec)
    throw ImportError(QStringLiteral("Cannot write %1: %2")
                          .arg(result.target, QString::fromStdString(ec.message())));
  tmp.setAutoRemove(false);
  return result;
}

QString sqlitePathFor(const QString& path, QString* note) {
  trb::Feedback silent;
  return sqlitePathFor(path, silent, note);
}

QString sqlitePathFor(const QString& path, trb::Feedback& feedback, QString* note) {
  if (note) note->clear();
  if (!isLegacyDatabase(path)) return path;
  const QFileInfo src(path);
  const QString target = defaultImportTarget(src.absoluteFilePath());
  const QFileInfo tgt(target);
  if (!src.exists()) {
    // The Access file is gone; the data lives on in the file imported from it.
    if (!tgt.exists()) throw ImportError(QStringLiteral("The file %1 does not exist.").arg(path));
    if (note)
      *note =
          QStringLiteral("Opening %1: %2 no longer exists.").arg(tgt.fileName(), src.fileName());
    return target;
  }
  if (tgt.exists() && tgt.lastModified() > src.lastModified()) {
    if (note)
      *note = QStringLiteral("Opening %1, imported earlier from %2 and newer than it.")
                  .arg(tgt.fileName(), src.fileName());
    return target;
  }
  // The older SQLite file may hold work done since the last import: keep it.
  QString backup;
  if (tgt.exists()) {
    backup = backupName(target);
    if (!QFile::rename(target, backup))
      throw ImportError(QStringLiteral("Cannot move the older %1 aside.").arg(target));
  }
  ImportResult r;
  try {
    r = importLegacy(src.absoluteFilePath(), target, false, feedback);
  } catch (...) {
    if (!backup.isEmpty()) QFile::rename(backup, target);
    throw;
  }
  if (note) {
    QStringList lines;
    lines << QStringLiteral("Imported %1 (%2) into %3: %4 tables, %5 rows.")
                 .arg(src.fileName(), r.format, tgt.fileName())
                 .arg(r.tables.size() - r.failedTables().size())
                 .arg(r.rows());
    for (const auto& t : r.tables)
      if (!t.error.isEmpty())
        lines << QStringLiteral("Table %1 could not be read: %2").arg(t.name, t.error);
    lines << r.notes;
    if (!backup.isEmpty())
      lines << QStringLiteral("The older %1 was kept as %2.")
                   .arg(tgt.fileName(), QFileInfo(backup).fileName());
    for (const QString& l : r.gaps.lines()) lines << QStringLiteral("Schema check: ") + l;
    *note = lines.join(u'\n');
  }
  return target;
}

}  // namespace trb::transfer
