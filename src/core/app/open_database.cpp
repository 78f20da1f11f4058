#include "core/app/open_database.h"

#include <QCoreApplication>
#include <QDir>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/transfer/legacy_import.h"

namespace trb::app {

trb::db::Database open_database(const QString& path, trb::Feedback& feedback) {
  QString note;
  const QString file = trb::transfer::sqlitePathFor(path, feedback, &note);
  feedback.setProgress(0, 0);
  for (const QString& line : note.split(u'\n', Qt::SkipEmptyParts)) feedback.info(line);
  trb::db::Database db = trb::db::Database::open(file);
  // An empty file or another program's SQLite file would fail later with a message about some
  // table; an Access file is taken as its import made it.
  if (file == path && !db.hasTable(QStringLiteral("field_description"))) {
    db.close();
    throw trb::db::DbError(
        QString(),
        QCoreApplication::translate("trb::db", "The file %1 is not a trb database.")
            .arg(QDir::toNativeSeparators(path)),
        trb::db::FailureCause::NotADatabase);
  }
  return db;
}

QString read_only_note(const QString& path) {
  return QCoreApplication::translate("trb::db",
                                     "The database %1 is read-only: it can be read, but nothing "
                                     "can be stored in it.")
      .arg(QDir::toNativeSeparators(path));
}

void require_writable(const trb::db::Database& db) {
  if (db.isReadOnly())
    throw trb::db::DbError(QString(), read_only_note(db.path()), trb::db::FailureCause::ReadOnly);
}

}  // namespace trb::app
