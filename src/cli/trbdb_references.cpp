// trbdb ris-import: references from a tagged bibliography file without a window.
#include <QTextStream>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/db/database.h"
#include "core/references/ris_import.h"

namespace trb::cli {

int cmdRisImport(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  if (args.size() != 2) {
    err << "usage: trbdb ris-import FILE REFERENCES.ris\n"
           "  stores the records of a RIS file in referenzen, as the control table RiS_import\n"
           "  says, all in one transaction; prints why records were not stored and \"n of m\n"
           "  records stored\". Exit status 0 when every record was stored, 1 otherwise.\n";
    return 2;
  }
  try {
    const QStringList lines = trb::references::read_ris_file(args.at(1));
    ConsoleFeedback opening(QStringLiteral("rows"));
    trb::db::Database db = trb::app::open_database(args.at(0), opening);
    opening.endProgress();
    trb::Feedback quiet;  // the result is printed below, once
    const auto result = trb::references::import_ris(db, lines, quiet, false);
    for (const QString& line : result.notes) err << line << "\n";
    for (const QString& line : result.notStored) err << line << "\n";
    err.flush();
    out << result.lines.constLast() << "\n";  // "n of m records stored"
    out.flush();
    return result.stored == result.records ? 0 : 1;
  } catch (const trb::Error& e) {
    out.flush();
    printError(QStringLiteral("trbdb ris-import: ") + args.at(0), e);
    return 1;
  }
}

}  // namespace trb::cli
