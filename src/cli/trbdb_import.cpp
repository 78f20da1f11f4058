// trbdb import: a legacy Access database (.mdb, .accdb) into a SQLite file of this program.
#include <QFileInfo>
#include <QTextStream>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/transfer/legacy_import.h"

namespace trb::cli {

int cmdImport(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QStringList files;
  bool force = false;
  for (const QString& a : args) {
    if (a == u"--force")
      force = true;
    else if (a.startsWith(u"--"))
      files << QString();  // unknown option: fall through to the usage text
    else
      files << a;
  }
  if (files.isEmpty() || files.size() > 2 || files.contains(QString())) {
    err << "usage: trbdb import FILE.mdb [OUT.sqlite] [--force]\n"
           "  imports every table of an Access database (.mdb, .accdb) into a SQLite file;\n"
           "  OUT defaults to FILE with .sqlite in place of its extension. --force replaces an\n"
           "  existing OUT.\n";
    return 2;
  }
  const QString source = files.at(0);
  const QString target =
      files.size() > 1 ? files.at(1) : trb::transfer::defaultImportTarget(source);
  if (QFileInfo::exists(target) && !force) {
    err << "trbdb import: " << target << " exists already; use --force to replace it\n";
    return 1;
  }

  ConsoleFeedback feedback(QStringLiteral("rows"));
  trb::transfer::ImportResult r;
  try {
    r = trb::transfer::importLegacy(source, target, force, feedback);
  } catch (const trb::Error& e) {
    feedback.endProgress();
    printError(QStringLiteral("trbdb import"), e);
    return 1;
  }
  feedback.endProgress();

  out << "imported " << source << " (" << r.format << ") into " << r.target << "\n";
  for (const auto& t : r.tables) {
    if (t.error.isEmpty())
      out << "  " << t.name << ": " << t.rows << " rows\n";
    else
      out << "  " << t.name << ": NOT IMPORTED: " << t.error << "\n";
  }
  for (const QString& n : r.notes) out << "  note: " << n << "\n";
  const int done = static_cast<int>(r.tables.size() - r.failedTables().size());
  out << done << (done == 1 ? " table, " : " tables, ") << r.rows() << " rows\n";
  for (const QString& l : r.gaps.lines()) out << "schema check: " << l << "\n";
  out.flush();
  if (!r.complete()) {
    err << "trbdb import: " << r.failedTables().size()
        << " table(s) could not be read: " << r.failedTables().join(QStringLiteral(", ")) << "\n";
    return 1;
  }
  return 0;
}

}  // namespace trb::cli
