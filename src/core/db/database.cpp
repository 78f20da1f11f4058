#include "core/db/database.h"

#include <sqlite3.h>

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

#include "core/db/dialect.h"
#include "core/db/functions.h"

namespace trb::db {

FailureCause failureCause(int engineCode) {
  switch (engineCode & 0xff) {
    case SQLITE_BUSY:  // another connection holds the lock past the busy timeout
      return FailureCause::Locked;
    case SQLITE_READONLY:
      return FailureCause::ReadOnly;
    case SQLITE_FULL:
      return FailureCause::DiskFull;
    case SQLITE_NOTADB:
      return FailureCause::NotADatabase;
    case SQLITE_CORRUPT:
      return FailureCause::Damaged;
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
      return FailureCause::Io;
    default:
      // SQLITE_LOCKED is a conflict inside this connection (a table read while it is dropped),
      // a fault of the statements, not of the file
      return FailureCause::Other;
  }
}

QString causeText(FailureCause cause, const QString& path) {
  const QString file = QDir::toNativeSeparators(path);
  switch (cause) {
    case FailureCause::Other:
      break;
    case FailureCause::Locked:
      return QCoreApplication::translate("trb::db", "The database %1 is locked by another program")
          .arg(file);
    case FailureCause::ReadOnly:
      return QCoreApplication::translate("trb::db", "The database %1 is read-only").arg(file);
    case FailureCause::DiskFull:
      return QCoreApplication::translate("trb::db", "The disk of the database %1 is full")
          .arg(file);
    case FailureCause::NotADatabase:
      return QCoreApplication::translate("trb::db", "The file %1 is not a trb database").arg(file);
    case FailureCause::Damaged:
      return QCoreApplication::translate("trb::db", "The database %1 is damaged").arg(file);
    case FailureCause::Io:
      return QCoreApplication::translate("trb::db", "The database %1 cannot be read or written")
          .arg(file);
  }
  return QString();
}

DbError::DbError(const QString& statement, const QString& engineMessage, FailureCause cause)
    : trb::Error(engineMessage, QString(), statement), cause_(cause) {}

namespace {

QAtomicInt connectionCounter;

class LiveSchema : public dialect::Schema {
 public:
  explicit LiveSchema(sqlite3* h) : h_(h) {}

  QList<dialect::ColumnInfo> tableColumns(const QString& table) override {
    QList<dialect::ColumnInfo> out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h_,
                           "SELECT name, type, pk > 0, dflt_value IS NOT NULL "
                           "FROM pragma_table_info(?1)",
                           -1, &st, nullptr) != SQLITE_OK)
      return out;
    const QByteArray t = table.toUtf8();
    sqlite3_bind_text(st, 1, t.constData(), t.size(), SQLITE_TRANSIENT);
    while (sqlite3_step(st) == SQLITE_ROW) {
      out.append({QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                  QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))),
                  sqlite3_column_int(st, 2) != 0, sqlite3_column_int(st, 3) != 0});
    }
    sqlite3_finalize(st);
    return out;
  }

  QList<dialect::ColumnInfo> resultColumns(const QString& nativeSelect) override {
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = nativeSelect.toUtf8();
    if (sqlite3_prepare_v2(h_, sql.constData(), sql.size(), &st, nullptr) != SQLITE_OK) {
      throw std::runtime_error(sqlite3_errmsg(h_));
    }
    QList<dialect::ColumnInfo> out;
    const int n = sqlite3_column_count(st);
    for (int i = 0; i < n; ++i) {
      const char* decl = sqlite3_column_decltype(st, i);
      out.append({QString::fromUtf8(sqlite3_column_name(st, i)),
                  decl ? QString::fromUtf8(decl) : QString()});
    }
    sqlite3_finalize(st);
    return out;
  }

  QStringList attachedDatabases() override {
    QStringList out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(h_, "SELECT name FROM pragma_database_list WHERE seq > 1", -1, &st,
                           nullptr) != SQLITE_OK)
      return out;
    while (sqlite3_step(st) == SQLITE_ROW)
      out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return out;
  }

 private:
  sqlite3* h_;
};

bool looksLikeSqlite(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = f.read(16);
  return head.isEmpty() || head == QByteArray("SQLite format 3\0", 16);
}

// Why an existing path cannot be read as a file; empty when it can.
QString unreadableReason(const QString& path) {
  const QFileInfo fi(path);
  if (fi.isDir()) return QStringLiteral("it is a folder");
  QFile f(path);
  if (f.open(QIODevice::ReadOnly)) return QString();
  if (f.error() == QFileDevice::OpenError && !fi.isReadable())
    return QStringLiteral("permission denied");
  return f.errorString();
}

// What the connection lets statements do beyond reading and writing the tables of its file.
struct AuthState {
  bool ownAttach = false;  // the layer attaches the target of a make-table query into a file
  bool ownPragma = false;  // the layer sets how the connection writes (scratch file, cache spill)
};

// The pragmas a statement may run: the structure of tables and indexes (as the Qt driver and the
// browser read it), read-only state, and the two settings the layer makes when it opens a file.
bool allowedPragma(const char* name, const char* value) {
  static const QSet<QByteArray> structure = {"table_info",      "table_xinfo", "index_list",
                                             "index_info",      "index_xinfo", "foreign_key_list",
                                             "integrity_check", "quick_check"};
  static const QSet<QByteArray> state = {
      "database_list", "collation_list", "page_count",   "page_size", "freelist_count",
      "user_version",  "schema_version", "data_version", "encoding",  "foreign_keys"};
  static const QSet<QByteArray> settings = {"cache_size", "temp_store"};
  if (!name) return false;
  const QByteArray n = QByteArray(name).toLower();
  return structure.contains(n) || settings.contains(n) || (state.contains(n) && !value);
}

int authorize(void* data, int action, const char* a1, const char* a2, const char*, const char*) {
  const auto* st = static_cast<const AuthState*>(data);
  switch (action) {
    case SQLITE_ATTACH:
      return st->ownAttach ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_PRAGMA:
      return st->ownPragma || allowedPragma(a1, a2) ? SQLITE_OK : SQLITE_DENY;
    case SQLITE_FUNCTION: {
      // extension loading, native pointers, huge blobs: nothing a statement here needs
      static const QSet<QByteArray> denied = {"load_extension", "fts3_tokenizer", "zeroblob"};
      return a2 && denied.contains(QByteArray(a2).toLower()) ? SQLITE_DENY : SQLITE_OK;
    }
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_VTABLE:
      return SQLITE_DENY;
    default:
      return SQLITE_OK;
  }
}

// The second wall behind the translator, on every connection.
void harden(sqlite3* h, AuthState* state) {
  sqlite3_db_config(h, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
  sqlite3_db_config(h, SQLITE_DBCONFIG_ENABLE_FTS3_TOKENIZER, 0, nullptr);
  sqlite3_set_authorizer(h, authorize, state);
}

// The error of a failed engine call on the database file `file` (this connection's, or one it
// attaches), its cause named first.
DbError attachError(const QString& statement, int engineCode, const QString& engineMessage,
                    const QString& file) {
  const FailureCause cause = failureCause(engineCode);
  if (cause == FailureCause::Other) return DbError(statement, engineMessage);
  return DbError(statement, causeText(cause, file) + QStringLiteral(" (") + engineMessage + u')',
                 cause);
}

// The engine's code of a failed query (as the driver gives it, else the connection's last).
int failureCode(const QSqlQuery& q, sqlite3* h) {
  bool ok = false;
  const int code = q.lastError().nativeErrorCode().toInt(&ok);
  return ok && code != 0 ? code : (h ? sqlite3_extended_errcode(h) : SQLITE_ERROR);
}

void bindAll(QSqlQuery& q, const QVariantList& binds) {
  for (int i = 0; i < binds.size(); ++i) {
    QVariant v = binds.at(i);
    // Yes/no is -1/0 in this database, also when a caller binds a bool.
    if (v.typeId() == QMetaType::Bool) v = v.toBool() ? -1 : 0;
    q.bindValue(i, v);
  }
}

const QRegularExpression& plainName() {
  static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
  return re;
}

}  // namespace

struct Database::Cache {
  AuthState auth;
  // Files attached by attachFile: schema name by absolute path.
  QHash<QString, QString> attachedFiles;
  std::function<bool()> progress;
  QHash<QString, dialect::Translation> translations;
  QSet<Statement*> statements;  // prepared natively; finalized when the connection closes
};

Database::~Database() {
  close();
}

DbError Database::engineError(const QString& statement, int engineCode,
                              const QString& engineMessage) const {
  return attachError(statement, engineCode, engineMessage, path_);
}

bool Database::isReadOnly() const {
  return handle_ && sqlite3_db_readonly(handle_, "main") == 1;
}

Database::Database(Database&& other) noexcept {
  *this = std::move(other);
}

Database& Database::operator=(Database&& other) noexcept {
  if (this != &other) {
    close();
    name_ = std::exchange(other.name_, QString());
    path_ = std::exchange(other.path_, QString());
    handle_ = std::exchange(other.handle_, nullptr);
    depth_ = std::exchange(other.depth_, 0);
    cache_ = std::exchange(other.cache_, nullptr);
    if (cache_)
      for (Statement* st : std::as_const(cache_->statements)) st->db_ = this;
  }
  return *this;
}

Database Database::open(const QString& path) {
  Database db;
  db.attach(path, true);
  return db;
}

Database Database::create(const QString& path) {
  Database db;
  db.attach(path, false);
  return db;
}

void Database::attach(const QString& path, bool mustExist) {
  const QFileInfo fi(path);
  if (mustExist && !fi.exists())
    throw DbError(QString(), QCoreApplication::translate("trb::db",
                                                         "The database file %1 does "
                                                         "not exist.")
                                 .arg(path));
  if (fi.exists()) {
    const QString reason = unreadableReason(path);
    if (!reason.isEmpty())
      throw DbError(QString(),
                    QStringLiteral("The file %1 cannot be opened: %2.").arg(path, reason));
    if (!looksLikeSqlite(path))
      throw DbError(
          QString(),
          QCoreApplication::translate("trb::db", "The file %1 is not a trb database.").arg(path));
  }
  name_ = QStringLiteral("trb_%1").arg(connectionCounter.fetchAndAddRelaxed(1));
  path_ = fi.absoluteFilePath();
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
    db.setDatabaseName(path_);
    if (!db.open()) {
      const QString msg = db.lastError().text();
      db = QSqlDatabase();
      QSqlDatabase::removeDatabase(name_);
      name_.clear();
      throw DbError(QString(), QStringLiteral("Cannot open %1: %2").arg(path, msg));
    }
    const QVariant h = db.driver()->handle();
    if (h.isValid() && qstrcmp(h.typeName(), "sqlite3*") == 0)
      handle_ = *static_cast<sqlite3* const*>(h.constData());
  }
  if (!handle_) {
    close();
    throw DbError(QString(), QStringLiteral("The SQLite driver gives no native handle."));
  }
  cache_ = new Cache;
  registerAccessFunctions(handle_);
  harden(handle_, &cache_->auth);
  // A calculation rewrites work tables of several hundred thousand rows inside one transaction:
  // a page cache of 2 MB would spill dirty pages to the file. The cache grows only as far as the
  // file needs it; large sorts go to temporary files, so that the memory of a calculation stays
  // bounded however large the database grows (a sort holds up to the cache size in memory).
  // SQLite's sorter threads (PRAGMA threads) stay off: with helper threads the sorter orders the
  // rows of a group by their whole record instead of in the order they arrive, so a sum over a
  // group of a spilled sort can change in its last bits.
  const QByteArray cache = "PRAGMA cache_size = -" + QByteArray::number(kPageCacheKib);
  sqlite3_exec(handle_, cache.constData(), nullptr, nullptr, nullptr);
  // A file that merely has the name of a database fails here, before anything is written.
  char* err = nullptr;
  if (sqlite3_exec(handle_, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, &err) !=
      SQLITE_OK) {
    const QString msg = QString::fromUtf8(err ? err : "unknown error");
    const int code = sqlite3_extended_errcode(handle_);
    sqlite3_free(err);
    close();
    // a file that is not a database is named as such whatever the engine calls it
    const FailureCause cause =
        failureCause(code) == FailureCause::Other ? FailureCause::NotADatabase : failureCause(code);
    throw DbError(QString(), causeText(cause, path) + QStringLiteral(" (") + msg + u')', cause);
  }
}

QSqlDatabase Database::qt() const {
  return QSqlDatabase::database(name_, false);
}

void Database::close() {
  if (name_.isEmpty()) return;
  if (handle_) sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
  if (cache_) {
    const QSet<Statement*> open = cache_->statements;
    for (Statement* st : open) st->release();
  }
  {
    QSqlDatabase db = QSqlDatabase::database(name_, false);
    if (db.isOpen()) db.close();
  }
  QSqlDatabase::removeDatabase(name_);
  name_.clear();
  handle_ = nullptr;
  depth_ = 0;
  delete cache_;
  cache_ = nullptr;
}

void Database::forgetSchemaCache() {
  if (cache_) cache_->translations.clear();
}

QStringList Database::translate(const QString& sql) {
  auto it = cache_->translations.constFind(sql);
  if (it != cache_->translations.constEnd()) return it->statements;
  LiveSchema schema(handle_);
  try {
    const dialect::Translation t = dialect::translate(sql, schema);
    if (!t.changesSchema && t.attachFile.isEmpty()) cache_->translations.insert(sql, t);
    return t.statements;
  } catch (const std::exception& e) {
    throw DbError(sql, QString::fromUtf8(e.what()));
  }
}

int Database::runTranslated(const QString& original, const QStringList& native,
                            const QVariantList& binds, QSqlQuery* keep) {
  int changes = 0;
  for (int i = 0; i < native.size(); ++i) {
    QSqlQuery q(qt());
    q.setForwardOnly(true);
    const bool last = i == native.size() - 1;
    if (!q.prepare(native.at(i)))
      throw engineError(original, failureCode(q, handle_), q.lastError().databaseText());
    if (last) bindAll(q, binds);
    const sqlite3_int64 before = sqlite3_total_changes64(handle_);
    if (!q.exec())
      throw engineError(original, failureCode(q, handle_), q.lastError().databaseText());
    if (last) {
      // a statement that changes no row (DROP, CREATE) leaves the count of the one before it
      const bool changed = sqlite3_total_changes64(handle_) != before;
      changes = q.isSelect() || !changed ? 0 : q.numRowsAffected();
      if (keep) *keep = std::move(q);
    }
  }
  return changes;
}

int Database::execute(const QString& sql, const QVariantList& binds) {
  if (!isOpen()) throw DbError(sql, QStringLiteral("The database is not open."));
  LiveSchema schema(handle_);
  dialect::Translation t;
  auto it = cache_->translations.constFind(sql);
  if (it != cache_->translations.constEnd()) {
    t = *it;
  } else {
    try {
      t = dialect::translate(sql, schema);
    } catch (const std::exception& e) {
      throw DbError(sql, QString::fromUtf8(e.what()));
    }
    if (!t.changesSchema && t.attachFile.isEmpty()) cache_->translations.insert(sql, t);
  }
  if (t.changesSchema) forgetSchemaCache();
  if (!t.attachFile.isEmpty()) {
    const QString schemaName =
        cache_->attachedFiles.value(QFileInfo(t.attachFile).absoluteFilePath());
    if (!schemaName.isEmpty()) {
      // attached before the transaction began: the make-table is part of it
      QStringList native = t.statements;
      for (QString& st : native)
        st.replace(QStringLiteral("[trb_target]."), u'"' + schemaName + QStringLiteral("\"."));
      Transaction tx(*this);
      const int n = runTranslated(sql, native, binds, nullptr);
      tx.commit();
      return n;
    }
    if (depth_ > 0)
      throw DbError(sql, QStringLiteral("A make-table query into another file cannot run inside "
                                        "a transaction."));
    const TargetFile target(t.attachFile, sql);
    QSqlQuery a(qt());
    cache_->auth.ownAttach = true;
    a.prepare(QStringLiteral("ATTACH DATABASE ? AS trb_target"));
    a.addBindValue(t.attachFile);
    const bool attached = a.exec();
    cache_->auth.ownAttach = false;
    if (!attached) {
      const DbError e =
          attachError(sql, failureCode(a, handle_), a.lastError().databaseText(), t.attachFile);
      target.removeCreated();
      throw e;
    }
    int n = 0;
    try {
      begin();
      n = runTranslated(sql, t.statements, binds, nullptr);
      commit();
    } catch (...) {
      if (depth_ > 0) rollback();
      QSqlQuery(qt()).exec(QStringLiteral("DETACH DATABASE trb_target"));
      target.removeCreated();
      throw;
    }
    QSqlQuery(qt()).exec(QStringLiteral("DETACH DATABASE trb_target"));
    return n;
  }
  if (t.statements.size() == 1) return runTranslated(sql, t.statements, binds, nullptr);
  // Several native statements (a make-table query): all or nothing.
  Transaction tx(*this);
  const int n = runTranslated(sql, t.statements, binds, nullptr);
  tx.commit();
  return n;
}

QSqlQuery Database::query(const QString& sql, const QVariantList& binds) {
  if (!isOpen()) throw DbError(sql, QStringLiteral("The database is not open."));
  const QStringList native = translate(sql);
  if (native.size() != 1) throw DbError(sql, QStringLiteral("Only a single query can be opened."));
  QSqlQuery q(qt());
  runTranslated(sql, native, binds, &q);
  return q;
}

QVariant Database::scalar(const QString& sql, const QVariantList& binds) {
  QSqlQuery q = query(sql, binds);
  if (q.next()) return q.value(0);
  return QVariant();
}

void Database::dropTable(const QString& table) {
  try {
    execute(QStringLiteral("drop table ") + table);
  } catch (const DbError& e) {
    // A work table that does not exist yet: nothing to drop. A file that cannot be written says
    // so here rather than through the make-table that follows.
    if (e.cause() != FailureCause::Other) throw;
  }
  forgetSchemaCache();
}

void Database::runNative(const QString& script) {
  forgetSchemaCache();
  const QByteArray text = script.toUtf8();
  const char* tail = text.constData();
  while (tail && *tail) {
    sqlite3_stmt* st = nullptr;
    const char* next = nullptr;
    if (sqlite3_prepare_v2(handle_, tail, -1, &st, &next) != SQLITE_OK) {
      const QString stmt = QString::fromUtf8(tail, next && next > tail ? next - tail : 200);
      throw engineError(stmt, sqlite3_extended_errcode(handle_),
                        QString::fromUtf8(sqlite3_errmsg(handle_)));
    }
    if (st) {
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      }
      if (rc != SQLITE_DONE) {
        const QString stmt = QString::fromUtf8(sqlite3_sql(st));
        const QString msg = QString::fromUtf8(sqlite3_errmsg(handle_));
        const int code = sqlite3_extended_errcode(handle_);
        sqlite3_finalize(st);
        throw engineError(stmt, code, msg);
      }
      sqlite3_finalize(st);
    }
    tail = next;
  }
}

void Database::attachFile(const QString& path, const QString& schemaName) {
  if (!isOpen()) throw DbError(QString(), QStringLiteral("The database is not open."));
  if (!plainName().match(schemaName).hasMatch())
    throw DbError(schemaName, QStringLiteral("not a database name"));
  QSqlQuery a(qt());
  cache_->auth.ownAttach = true;
  a.prepare(QStringLiteral("ATTACH DATABASE ? AS ") + schemaName);
  a.addBindValue(path);
  const bool attached = a.exec();
  cache_->auth.ownAttach = false;
  if (!attached)
    throw attachError(path, failureCode(a, handle_), a.lastError().databaseText(), path);
  cache_->attachedFiles.insert(QFileInfo(path).absoluteFilePath(), schemaName);
  forgetSchemaCache();
}

void Database::detachFile(const QString& schemaName) {
  if (!isOpen() || !plainName().match(schemaName).hasMatch()) return;
  QSqlQuery(qt()).exec(QStringLiteral("DETACH DATABASE ") + schemaName);
  for (auto it = cache_->attachedFiles.begin(); it != cache_->attachedFiles.end();) {
    if (it.value().compare(schemaName, Qt::CaseInsensitive) == 0)
      it = cache_->attachedFiles.erase(it);
    else
      ++it;
  }
  forgetSchemaCache();
}

void Database::runOwnPragmas(const char* pragmas) {
  if (!isOpen()) throw DbError(QString(), QStringLiteral("The database is not open."));
  cache_->auth.ownPragma = true;
  char* err = nullptr;
  const int rc = sqlite3_exec(handle_, pragmas, nullptr, nullptr, &err);
  cache_->auth.ownPragma = false;
  if (rc != SQLITE_OK) {
    const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(handle_));
    sqlite3_free(err);
    throw engineError(QString::fromUtf8(pragmas), rc, msg);
  }
}

void Database::makeScratch() {
  runOwnPragmas("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF");
}

void Database::setCacheSpill(bool on) {
  runOwnPragmas(on ? "PRAGMA cache_spill = ON" : "PRAGMA cache_spill = OFF");
}

void Database::copyTable(const QString& schemaName, const QString& table) {
  if (!isOpen()) throw DbError(QString(), QStringLiteral("The database is not open."));
  if (!plainName().match(schemaName).hasMatch())
    throw DbError(schemaName, QStringLiteral("not a database name"));
  if (!plainName().match(table).hasMatch())
    throw DbError(table, QStringLiteral("not a table name"));
  // the table's definition as its file holds it, so that the copy has the same column types
  const QString find = QStringLiteral(
                           "SELECT sql FROM %1.sqlite_master WHERE type = 'table' AND "
                           "name = ?1 COLLATE NOCASE")
                           .arg(schemaName);
  QString create;
  {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(handle_, find.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK)
      throw DbError(find, QString::fromUtf8(sqlite3_errmsg(handle_)));
    const QByteArray name = table.toUtf8();
    sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
    if (sqlite3_step(st) == SQLITE_ROW)
      create = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
  }
  if (!create.startsWith(QStringLiteral("CREATE TABLE "), Qt::CaseInsensitive))
    throw DbError(find, QStringLiteral("no table %1 in %2").arg(table, schemaName));
  // "CREATE TABLE name" without a schema makes it in the main file
  runNative(
      QStringLiteral("DROP TABLE IF EXISTS main.%1;\n%2;\nINSERT INTO main.%1 SELECT * FROM %3.%1")
          .arg(table, create, schemaName));
}

void Database::interrupt() {
  if (handle_) sqlite3_interrupt(handle_);
}

namespace {
int onProgress(void* data) {
  const auto* f = static_cast<const std::function<bool()>*>(data);
  return (*f)() ? 1 : 0;
}
}  // namespace

void Database::setProgressHandler(std::function<bool()> handler, int instructions) {
  if (!handle_) return;
  cache_->progress = std::move(handler);
  if (cache_->progress)
    sqlite3_progress_handler(handle_, instructions, onProgress, &cache_->progress);
  else
    sqlite3_progress_handler(handle_, 0, nullptr, nullptr);
}

TargetFile::TargetFile(const QString& path, const QString& sql) : path_(path) {
  const QFileInfo info(path);
  existed_ = info.exists();
  if (existed_ && !info.isFile())
    throw DbError(sql, QStringLiteral("%1 is not a database file.").arg(path));
}

void TargetFile::removeCreated() const {
  if (existed_) return;
  for (const char* suffix : {"", "-journal", "-wal", "-shm"})
    QFile::remove(path_ + QLatin1String(suffix));
}

AttachedFile::AttachedFile(Database& db, const QString& path, const QString& schemaName)
    : db_(db), name_(schemaName) {
  db_.attachFile(path, schemaName);
}

AttachedFile::~AttachedFile() {
  db_.detachFile(name_);
}

bool Database::hasTable(const QString& table) const {
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(handle_,
                     "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND "
                     "name = ?1 COLLATE NOCASE",
                     -1, &st, nullptr);
  const QByteArray t = table.toUtf8();
  sqlite3_bind_text(st, 1, t.constData(), t.size(), SQLITE_TRANSIENT);
  const bool found = sqlite3_step(st) == SQLITE_ROW;
  sqlite3_finalize(st);
  return found;
}

QStringList Database::columns(const QString& table) const {
  QStringList out;
  for (const auto& c : columnInfo(table)) out << c.name;
  return out;
}

QList<dialect::ColumnInfo> Database::columnInfo(const QString& table) const {
  LiveSchema schema(handle_);
  return schema.tableColumns(table);
}

qlonglong Database::lastInsertRowid() const {
  return handle_ ? qlonglong(sqlite3_last_insert_rowid(handle_)) : 0;
}

bool Database::hasColumn(const QString& table, const QString& column) const {
  return columns(table).contains(column, Qt::CaseInsensitive);
}

QStringList Database::userTables() const {
  QStringList out;
  sqlite3_stmt* st = nullptr;
  sqlite3_prepare_v2(handle_,
                     "SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE "
                     "'sqlite\\_%' ESCAPE '\\'",
                     -1, &st, nullptr);
  while (sqlite3_step(st) == SQLITE_ROW)
    out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
  sqlite3_finalize(st);
  std::sort(out.begin(), out.end(), [](const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  });
  return out;
}

int Database::getKey(const QString& table, const QString& keyField) {
  if (!plainName().match(table).hasMatch() || !plainName().match(keyField).hasMatch())
    throw DbError(table + u'.' + keyField, QStringLiteral("not a table or column name"));
  const QVariant v = scalar(QStringLiteral(" select max(") + keyField +
                            QStringLiteral(")+1 as newkey from ") + table);
  return v.isNull() ? 0 : v.toInt();
}

void Database::begin() {
  QSqlQuery q(qt());
  const QString sql =
      depth_ == 0 ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT trb_sp%1").arg(depth_);
  if (!q.exec(sql)) throw engineError(sql, failureCode(q, handle_), q.lastError().databaseText());
  ++depth_;
}

void Database::commit() {
  if (depth_ == 0) return;
  --depth_;
  QSqlQuery q(qt());
  const QString sql = depth_ == 0 ? QStringLiteral("COMMIT")
                                  : QStringLiteral("RELEASE SAVEPOINT trb_sp%1").arg(depth_);
  if (!q.exec(sql)) throw engineError(sql, failureCode(q, handle_), q.lastError().databaseText());
}

void Database::rollback() {
  if (depth_ == 0) return;
  --depth_;
  QSqlQuery q(qt());
  if (depth_ == 0) {
    q.exec(QStringLiteral("ROLLBACK"));
  } else {
    q.exec(QStringLiteral("ROLLBACK TO SAVEPOINT trb_sp%1").arg(depth_));
    q.exec(QStringLiteral("RELEASE SAVEPOINT trb_sp%1").arg(depth_));
  }
  forgetSchemaCache();
}

Transaction::~Transaction() {
  if (!done_) db_.rollback();
}

void Transaction::commit() {
  db_.commit();
  done_ = true;
}

Statement::Statement(Database& db, const QString& sql) : sql_(sql) {
  if (!db.isOpen()) throw DbError(sql, QStringLiteral("The database is not open."));
  const QStringList native = db.translate(sql);
  if (native.size() != 1)
    throw DbError(sql, QStringLiteral("Only a single statement can be prepared."));
  const QByteArray text = native.first().toUtf8();
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(db.handle_, text.constData(), int(text.size()), &st_, &tail) !=
      SQLITE_OK) {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db.handle_));
    const int code = sqlite3_extended_errcode(db.handle_);
    sqlite3_finalize(st_);
    st_ = nullptr;
    throw db.engineError(sql, code, msg);
  }
  if (tail && !QByteArrayView(tail).trimmed().isEmpty()) {
    sqlite3_finalize(st_);
    st_ = nullptr;
    throw DbError(sql, QStringLiteral("Unable to execute multiple statements at a time"));
  }
  db_ = &db;
  db.cache_->statements.insert(this);
}

Statement::~Statement() {
  release();
}

void Statement::release() {
  if (db_ && db_->cache_) db_->cache_->statements.remove(this);
  db_ = nullptr;
  sqlite3_finalize(st_);
  st_ = nullptr;
}

namespace {

// The Qt driver's notion of an empty value: bound as NULL.
bool isNullValue(const QVariant& v) {
  if (v.isNull()) return true;
  switch (v.typeId()) {
    case QMetaType::QString:
      return static_cast<const QString*>(v.constData())->isNull();
    case QMetaType::QByteArray:
      return static_cast<const QByteArray*>(v.constData())->isNull();
    case QMetaType::QDateTime:
      return !static_cast<const QDateTime*>(v.constData())->isValid();
    case QMetaType::QDate:
      return static_cast<const QDate*>(v.constData())->isNull();
    case QMetaType::QTime:
      return !static_cast<const QTime*>(v.constData())->isValid();
    default:
      return false;
  }
}

int bindText(sqlite3_stmt* st, int i, const QString& s) {
  return sqlite3_bind_text16(st, i, s.utf16(), int(s.size() * sizeof(QChar)), SQLITE_TRANSIENT);
}

// One value bound as the Qt SQLite driver binds it, so that a prepared writer stores exactly
// what a query with the same values would.
int bindValue(sqlite3_stmt* st, int i, const QVariant& v) {
  if (isNullValue(v)) return sqlite3_bind_null(st, i);
  switch (v.typeId()) {
    case QMetaType::Bool:
      return sqlite3_bind_int(st, i, v.toBool() ? -1 : 0);  // yes is -1
    case QMetaType::Int:
      return sqlite3_bind_int(st, i, v.toInt());
    case QMetaType::Double:
      return sqlite3_bind_double(st, i, v.toDouble());
    case QMetaType::UInt:
    case QMetaType::LongLong:
      return sqlite3_bind_int64(st, i, v.toLongLong());
    case QMetaType::QByteArray: {
      const QByteArray* b = static_cast<const QByteArray*>(v.constData());
      return sqlite3_bind_blob(st, i, b->constData(), int(b->size()), SQLITE_TRANSIENT);
    }
    case QMetaType::QDateTime:
      return bindText(st, i, v.toDateTime().toString(Qt::ISODateWithMs));
    case QMetaType::QTime:
      return bindText(st, i, v.toTime().toString(u"hh:mm:ss.zzz"));
    case QMetaType::QString:
      return bindText(st, i, *static_cast<const QString*>(v.constData()));
    default:
      return bindText(st, i, v.toString());
  }
}

}  // namespace

Reader::Reader(Database& db, const QString& sql, const QVariantList& binds) : st_(db, sql) {
  rebind(binds);
}

void Reader::rebind(const QVariantList& binds) {
  if (!st_.st_) throw DbError(st_.sql_, QStringLiteral("The database is not open."));
  sqlite3* h = sqlite3_db_handle(st_.st_);
  sqlite3_reset(st_.st_);
  done_ = false;
  if (binds.size() != sqlite3_bind_parameter_count(st_.st_))
    throw DbError(st_.sql_, QStringLiteral("Parameter count mismatch"));
  for (int i = 0; i < binds.size(); ++i) {
    if (bindValue(st_.st_, i + 1, binds.at(i)) != SQLITE_OK)
      throw DbError(st_.sql_, QString::fromUtf8(sqlite3_errmsg(h)));
  }
}

bool Reader::next() {
  if (!st_.st_ || done_) return false;
  const int rc = sqlite3_step(st_.st_);
  if (rc == SQLITE_ROW) return true;
  done_ = true;
  const QString msg = QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(st_.st_)));
  sqlite3_reset(st_.st_);  // the read ends here, also for an open transaction
  if (rc != SQLITE_DONE) {
    if (st_.db_) throw st_.db_->engineError(st_.sql_, rc, msg);
    throw DbError(st_.sql_, msg);
  }
  return false;
}

int Reader::indexOf(const QString& column) const {
  if (!st_.st_) return -1;
  const int n = sqlite3_column_count(st_.st_);
  for (int i = 0; i < n; ++i)
    if (column.compare(QString::fromUtf8(sqlite3_column_name(st_.st_, i)), Qt::CaseInsensitive) ==
        0)
      return i;
  return -1;
}

int Reader::columnCount() const {
  return st_.st_ ? sqlite3_column_count(st_.st_) : 0;
}

QString Reader::columnName(int i) const {
  if (!st_.st_ || i < 0 || i >= sqlite3_column_count(st_.st_)) return QString();
  return QString::fromUtf8(sqlite3_column_name(st_.st_, i));
}

int Reader::type(int i) const {
  if (!st_.st_ || i < 0 || i >= sqlite3_data_count(st_.st_)) return SQLITE_NULL;
  return sqlite3_column_type(st_.st_, i);
}

bool Reader::isNull(int i) const {
  return type(i) == SQLITE_NULL;
}

// The values as the Qt SQLite driver fetches them: integers as qlonglong, reals as double, empty
// as a null QString, blobs as QByteArray, everything else as text.
QVariant Reader::value(int i) const {
  switch (type(i)) {
    case SQLITE_NULL:
      return i < 0 ? QVariant() : QVariant(QMetaType::fromType<QString>());
    case SQLITE_INTEGER:
      return QVariant(qlonglong(sqlite3_column_int64(st_.st_, i)));
    case SQLITE_FLOAT:
      return QVariant(sqlite3_column_double(st_.st_, i));
    case SQLITE_BLOB:
      return QByteArray(static_cast<const char*>(sqlite3_column_blob(st_.st_, i)),
                        sqlite3_column_bytes(st_.st_, i));
    default:
      return toString(i);
  }
}

double Reader::toDouble(int i) const {
  switch (type(i)) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_INTEGER:
      return double(qlonglong(sqlite3_column_int64(st_.st_, i)));
    case SQLITE_FLOAT:
      return sqlite3_column_double(st_.st_, i);
    default:
      return value(i).toDouble();
  }
}

qlonglong Reader::toLongLong(int i) const {
  switch (type(i)) {
    case SQLITE_NULL:
      return 0;
    case SQLITE_INTEGER:
      return sqlite3_column_int64(st_.st_, i);
    default:
      return value(i).toLongLong();
  }
}

QString Reader::toString(int i) const {
  switch (type(i)) {
    case SQLITE_NULL:
      return QString();
    case SQLITE_TEXT:
      return QString(reinterpret_cast<const QChar*>(sqlite3_column_text16(st_.st_, i)),
                     sqlite3_column_bytes16(st_.st_, i) / int(sizeof(QChar)));
    default:
      return value(i).toString();
  }
}

int Statement::exec(const QVariantList& binds) {
  if (!st_) throw DbError(sql_, QStringLiteral("The database is not open."));
  sqlite3* h = sqlite3_db_handle(st_);
  sqlite3_reset(st_);
  if (binds.size() != sqlite3_bind_parameter_count(st_))
    throw DbError(sql_, QStringLiteral("Parameter count mismatch"));
  for (int i = 0; i < binds.size(); ++i) {
    if (bindValue(st_, i + 1, binds.at(i)) != SQLITE_OK)
      throw DbError(sql_, QString::fromUtf8(sqlite3_errmsg(h)));
  }
  return run();
}

void Statement::bindNull(int pos) {
  checkBind(sqlite3_bind_null(st_, pos));
}

void Statement::bindDouble(int pos, double value) {
  checkBind(sqlite3_bind_double(st_, pos, value));
}

void Statement::bindInt(int pos, qlonglong value) {
  checkBind(sqlite3_bind_int64(st_, pos, value));
}

void Statement::bindVariant(int pos, const QVariant& value) {
  checkBind(bindValue(st_, pos, value));
}

void Statement::checkBind(int rc) {
  if (!st_) throw DbError(sql_, QStringLiteral("The database is not open."));
  if (rc != SQLITE_OK)
    throw DbError(sql_, QString::fromUtf8(sqlite3_errmsg(sqlite3_db_handle(st_))));
}

int Statement::run() {
  if (!st_) throw DbError(sql_, QStringLiteral("The database is not open."));
  sqlite3* h = sqlite3_db_handle(st_);
  const int rc = sqlite3_step(st_);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(h));
    const int code = sqlite3_extended_errcode(h);
    sqlite3_reset(st_);
    if (db_) throw db_->engineError(sql_, code, msg);
    throw DbError(sql_, msg, failureCause(code));
  }
  const bool select = sqlite3_column_count(st_) > 0;
  sqlite3_reset(st_);  // no statement stays open across a commit
  return select ? 0 : sqlite3_changes(h);
}

QString bundledSql(const QString& name) {
  QFile f(QStringLiteral(":/data/") + name);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(f.readAll());
}

void createTrbDatabase(Database& db, bool withDemo) {
  Transaction tx(db);
  db.runNative(bundledSql(QStringLiteral("schema.sql")));
  db.runNative(bundledSql(QStringLiteral("parameters.sql")));
  if (withDemo) db.runNative(bundledSql(QStringLiteral("demo.sql")));
  tx.commit();
}

}  // namespace trb::db
