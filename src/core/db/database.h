// The one way into the database file: an SQLite file that speaks the Access dialect.
//
// Every statement passes through the dialect translator (dialect.h) before SQLite sees it, so the
// system's statements keep their original wording. Values a user typed are bound as parameters
// (positional "?" or named ":name"), never pasted into the text.
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

#include "core/base/error.h"

struct sqlite3;
struct sqlite3_stmt;

namespace trb::db {

namespace dialect {
struct ColumnInfo;
}

// What a failure of the engine says about its cause beyond the statement: the file locked by
// another program, a read-only file, a full disk, a file that is no database or a damaged one, a
// failure to read or write the file. Other is a fault of the statement itself.
enum class FailureCause { Other, Locked, ReadOnly, DiskFull, NotADatabase, Damaged, Io };

// The cause of an SQLite result code (primary or extended).
FailureCause failureCause(int engineCode);
// The sentence that names a cause for the database file path, in the caption language; empty for
// Other.
QString causeText(FailureCause cause, const QString& path);

// A failed statement: the engine's message (message()) and the text as the caller wrote it
// (statement(), empty when no statement was involved, as in opening a file). A failure of the file
// rather than of the statement (cause() not Other) names its cause first, the engine's words
// after it in parentheses.
class DbError : public trb::Error {
 public:
  DbError(const QString& statement, const QString& engineMessage,
          FailureCause cause = FailureCause::Other);
  QString engineMessage() const { return message(); }
  FailureCause cause() const { return cause_; }

 private:
  FailureCause cause_ = FailureCause::Other;
};

class Database;

// A statement translated and prepared once, executed many times with new values: the writer of
// row-by-row results. It binds its values straight to the engine, the way the Qt driver would.
// Closing its Database finalizes it; exec then fails.
class Statement {
 public:
  Statement(Database& db, const QString& sql);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  // Binds the values in order and executes; returns rows affected.
  int exec(const QVariantList& binds);

  // Typed binding for writers of many rows, without a QVariant per value: bind every position
  // (counted from 1), then run(). Each binds exactly what exec binds for the same value in a
  // QVariant (bindVariant: any value, as exec binds it).
  void bindNull(int pos);
  void bindDouble(int pos, double value);
  void bindInt(int pos, qlonglong value);
  void bindVariant(int pos, const QVariant& value);
  // Executes with the values bound since the last run (they stay bound); returns rows affected.
  int run();

 private:
  friend class Database;
  friend class Reader;
  void release();
  void checkBind(int rc);
  QString sql_;
  Database* db_ = nullptr;
  sqlite3_stmt* st_ = nullptr;
};

// A query read row by row straight from the engine: the bulk reads of a calculation (hundreds of
// thousands of rows), where QSqlQuery's work per value would dominate. Every accessor gives
// exactly what QSqlQuery::value(i) and its conversion would; an absent column (-1) reads as
// empty. Closing the Database ends the reading.
class Reader {
 public:
  Reader(Database& db, const QString& sql, const QVariantList& binds = {});
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;
  bool next();
  // Starts the same query again with new values, without translating and preparing it anew: the
  // read of one plot after the other.
  void rebind(const QVariantList& binds);
  // Position of a result column, without regard to case; -1 when there is none.
  int indexOf(const QString& column) const;
  int columnCount() const;
  QString columnName(int i) const;
  bool isNull(int i) const;
  QVariant value(int i) const;
  double toDouble(int i) const;
  qlonglong toLongLong(int i) const;
  QString toString(int i) const;

 private:
  int type(int i) const;
  Statement st_;
  bool done_ = false;  // past the last row: stays there
};

// The page cache of a connection, in KiB (see Database::open).
inline constexpr int kPageCacheKib = 65536;

class Database {
 public:
  Database() = default;
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  Database(Database&& other) noexcept;
  Database& operator=(Database&& other) noexcept;

  // Opens an existing database file; throws DbError naming the file when it is missing or not a
  // database.
  static Database open(const QString& path);
  // Creates a new, empty database file (an existing file is opened as it is).
  static Database create(const QString& path);

  bool isOpen() const { return !name_.isEmpty(); }
  QString path() const { return path_; }
  // Whether the file could be opened for reading only (its permissions, a read-only medium):
  // every write then fails with the cause ReadOnly.
  bool isReadOnly() const;
  QSqlDatabase qt() const;
  sqlite3* handle() const { return handle_; }
  void close();

  // Executes one statement in the Access dialect; returns the rows affected (for a make-table
  // query "SELECT ... INTO t", the rows created).
  int execute(const QString& sql, const QVariantList& binds = {});
  // Runs a query in the Access dialect and returns it positioned before the first row.
  QSqlQuery query(const QString& sql, const QVariantList& binds = {});
  // One value of the first row, or an invalid QVariant when there is no row.
  QVariant scalar(const QString& sql, const QVariantList& binds = {});
  // Drops a table; the failure when it does not exist is ignored. A failure of the file (locked,
  // read-only, disk full, ...) is not: it throws, so that the next statement does not report a
  // misleading "already exists".
  void dropTable(const QString& table);
  // Runs plain SQLite text (schema and data files): statements separated by ";", no translation.
  void runNative(const QString& script);

  bool hasTable(const QString& table) const;
  bool hasColumn(const QString& table, const QString& column) const;
  QStringList columns(const QString& table) const;
  // The columns of a table in order with their declared types; empty when there is no such table.
  QList<dialect::ColumnInfo> columnInfo(const QString& table) const;
  // Rowid of the row the last INSERT on this connection added.
  qlonglong lastInsertRowid() const;
  // User tables, sorted without regard to case.
  QStringList userTables() const;
  // Largest value of keyField in table plus one; 0 for an empty table.
  int getKey(const QString& table, const QString& keyField);

  // Attaches another database file under schemaName, so that statements reach its tables as
  // "schemaName.table" (copies from one file into another in one statement and one transaction).
  // A make-table query into that file ("SELECT ... INTO t IN file") then writes through this
  // attachment and joins the transaction it runs in. Attached inside a transaction, the file can
  // be detached only after the transaction ends, once a statement has read it.
  void attachFile(const QString& path, const QString& schemaName);
  // Detaches it; nothing happens when it is not attached.
  void detachFile(const QString& schemaName);

  // Makes the main table `table` a copy of schemaName.table, replacing one of that name: the same
  // definition as that file holds it, the same rows in the same order with the same values.
  void copyTable(const QString& schemaName, const QString& table);

  // For a scratch file of this connection's own that nothing must survive: no rollback journal,
  // no waiting for the disk.
  void makeScratch();
  // Whether a transaction may write changed pages into the file before it commits (on when
  // opened). Off while another connection of this program reads the file, so that this one never
  // waits for that reader before its commit; the changed pages then stay in memory.
  void setCacheSpill(bool on);

  // Stops the statement running now (from any thread): it fails with "interrupted".
  void interrupt();
  // Calls handler every `instructions` steps of the engine while a statement runs; when it
  // returns true the statement is interrupted. An empty handler removes it.
  void setProgressHandler(std::function<bool()> handler, int instructions = 20000);

  // Transactions nest: the outermost one commits, inner ones are savepoints.
  void begin();
  void commit();
  void rollback();
  int transactionDepth() const { return depth_; }

  // The translation of a statement as SQLite receives it (one or more native statements).
  QStringList translate(const QString& sql);

 private:
  friend class Statement;
  friend class Reader;
  // The error of a failed engine call on this connection, its cause named from the engine's code.
  DbError engineError(const QString& statement, int engineCode, const QString& engineMessage) const;
  void attach(const QString& path, bool mustExist);
  void forgetSchemaCache();
  void runOwnPragmas(const char* pragmas);
  int runTranslated(const QString& original, const QStringList& native, const QVariantList& binds,
                    QSqlQuery* keep);

  QString name_;
  QString path_;
  sqlite3* handle_ = nullptr;
  int depth_ = 0;
  struct Cache;
  Cache* cache_ = nullptr;
};

// Commits at commit(); rolls back when it goes out of scope uncommitted (also on an exception).
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.begin(); }
  ~Transaction();
  void commit();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

 private:
  Database& db_;
  bool done_ = false;
};

// A database file attached for the lifetime of the object (see Database::attachFile).
// The file a make-table query writes into (IN "file"). A path that is there but no regular file
// is refused (SQLite would put its journal beside a device such as /dev/null); removeCreated()
// deletes the file and its journal when the query created them, after a failure.
class TargetFile {
 public:
  // Throws DbError naming sql when the path is no regular file.
  TargetFile(const QString& path, const QString& sql);
  void removeCreated() const;

 private:
  QString path_;
  bool existed_ = false;
};

class AttachedFile {
 public:
  AttachedFile(Database& db, const QString& path, const QString& schemaName);
  ~AttachedFile();
  AttachedFile(const AttachedFile&) = delete;
  AttachedFile& operator=(const AttachedFile&) = delete;

 private:
  Database& db_;
  QString name_;
};

// The bundled SQL files (schema, default parameters, demo experiment) as text.
QString bundledSql(const QString& name);
// Builds a new trb database: schema and default parameters, with the demo experiment if asked.
void createTrbDatabase(Database& db, bool withDemo);

}  // namespace trb::db
