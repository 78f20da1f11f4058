#include "core/app/open_database.h"

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/transfer/legacy_import.h"

namespace trb::app {

trb::db::Database open_database(const QString& path, trb::Feedback& feedback) {
  try {
    QString note;
    const QString file = trb::transfer::sqlitePathFor(
        path, [&feedback](qint64 done, qint64 total) { feedback.setProgress(done, total); },
        &note);
    feedback.setProgress(0, 0);
    for (const QString& line : note.split(u'\n', Qt::SkipEmptyParts)) feedback.info(line);
    return trb::db::Database::open(file);
  } catch (const trb::Error&) {
    throw;
  } catch (const std::exception& e) {
    // the import's and the database layer's own errors, until they are trb::Error themselves
    throw trb::Error(QString::fromUtf8(e.what()));
  }
}

}  // namespace trb::app
