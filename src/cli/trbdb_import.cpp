// trbdb import: a legacy Access database (.mdb, .accdb) into a SQLite file of this program.
#include <unistd.h>

#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

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

  // On a terminal the count runs in place; otherwise a line at every tenth.
  const bool tty = isatty(fileno(stderr));
  int lastTenth = -1;
  auto progress = [&](qint64 done, qint64 total) {
    if (total <= 0) return;
    if (tty) {
      err << "\r" << done << " of " << total << " rows" << Qt::flush;
      return;
    }
    const int tenth = static_cast<int>(done * 10 / total);
    if (tenth != lastTenth) {
      lastTenth = tenth;
      err << done << " of " << total << " rows\n" << Qt::flush;
    }
  };

  trb::transfer::ImportResult r;
  try {
    r = trb::transfer::importLegacy(source, target, force, progress);
  } catch (const trb::transfer::ImportError& e) {
    if (tty) err << "\n";
    err << "trbdb import: " << e.text() << "\n";
    return 1;
  }
  if (tty) err << "\n" << Qt::flush;

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
