#include "core/app/open_database.h"

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "core/transfer/legacy_import.h"

namespace trb::app {

trb::db::Database open_database(const QString& path, trb::Feedback& feedback) {
  QString note;
  const QString file = trb::transfer::sqlitePathFor(path, feedback, &note);
  feedback.setProgress(0, 0);
  for (const QString& line : note.split(u'\n', Qt::SkipEmptyParts)) feedback.info(line);
  return trb::db::Database::open(file);
}

}  // namespace trb::app
