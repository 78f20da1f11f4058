// trbdb: the database tool. Creates trb databases, runs scripts in the Access dialect and imports
// legacy Access files.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSqlRecord>
#include <QTextStream>
#include <memory>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/base/version.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/db/script.h"

namespace trb::cli {

namespace {

int usage() {
  err()
      << "usage:\n"
         "  trbdb create FILE [--demo]      new database with schema and default parameters\n"
         "                                  (--demo adds the demo experiment)\n"
         "  trbdb sql FILE SCRIPT           run a script of batches separated by \"go\" lines\n"
         "                                  (in one transaction, SELECT ... INTO t IN \"file\" too)\n"
         "  trbdb transfer SRC DST --plots ID,ID,... [--copy-missing-parameters] [--no-key-check]\n"
         "                 [--keep-schema]  copy plots with their data into another database\n"
         "                                  (in one transaction; an older DST is brought up to date\n"
         "                                  first unless --keep-schema)\n"
         "  trbdb import FILE.mdb [OUT] [--force]\n"
         "                                  import a legacy Access database into SQLite\n"
         "  trbdb stats FILE [--phase 0|1|2]  store the statistics of every simulated plot\n"
         "  trbdb nbalance FILE [--plot ID] [--years FIRST LAST] [--ndng LOW HIGH]\n"
         "                                  nitrogen balance of all plots or of one\n"
         "  trbdb report FILE --experiment LOCATION [--out DIR] [--lang D|E]\n"
         "               [--parts management,observation,basics]\n"
         "  trbdb report FILE --sites | --references [--out DIR] [--lang D|E]\n"
         "                                  the PDF reports of an experiment, of the site\n"
         "                                  conditions or of the reference list\n"
         "  trbdb ris-import FILE REFS.ris  store the references of a RIS file\n"
         "  trbdb fit-start FILE --plots ID,... [--write]\n"
         "                                  fit the start deviation of the active pool\n"
         "  trbdb steady-state FILE --plots ID,... [--years FROM-TO]\n"
         "                                  the carbon level the management sustains\n"
         "  trbdb --version                 the program's version\n";
  err().flush();
  return 2;
}

QString cell(const QVariant& v) {
  if (v.isNull()) return QString();
  if (v.typeId() == QMetaType::Double) return trb::sql_float(v.toDouble());
  QString s = v.toString();
  s.replace(u'\t', u' ').replace(u'\n', u' ');
  return s;
}

}  // namespace

int cmdCreate(const QStringList& args) {
  if (args.isEmpty()) return usage();
  const QString file = args.first();
  const bool demo = args.contains(QStringLiteral("--demo"));
  if (QFileInfo::exists(file)) {
    err() << "trbdb create: " << file << " exists already; remove it first\n";
    return 1;
  }
  try {
    trb::db::Database db = trb::db::Database::create(file);
    trb::db::createTrbDatabase(db, demo);
    out() << "created " << file << " with " << db.userTables().size() << " tables"
          << (demo ? " and the demo experiment" : "") << "\n";
  } catch (const trb::db::DbError& e) {
    QFile::remove(file);
    printError(QStringLiteral("trbdb create: ") + file, e);
    return 1;
  }
  return 0;
}

int cmdSql(const QStringList& args) {
  if (args.size() < 2) return usage();
  QFile script(args.at(1));
  if (!script.open(QIODevice::ReadOnly)) {
    err() << "trbdb sql: cannot read the script " << args.at(1) << "\n";
    return 1;
  }
  const QString text = QString::fromUtf8(script.readAll());
  trb::db::Database db;
  try {
    ConsoleFeedback opening(QStringLiteral("rows"));
    db = trb::app::open_database(args.at(0), opening);
    opening.endProgress();
  } catch (const trb::Error& e) {
    printError(QStringLiteral("trbdb sql"), e);
    return 1;
  }
  try {
    trb::db::ScriptSink sink;
    sink.rows = [](const trb::db::Batch&, QSqlQuery& q) {
      const QStringList head = trb::db::columnNames(q);
      out() << head.join(u'\t') << "\n";
      while (q.next()) {
        QStringList row;
        for (int i = 0; i < head.size(); ++i) row << cell(q.value(i));
        out() << row.join(u'\t') << "\n";
      }
    };
    sink.changes = [](const trb::db::Batch&, int n) { out() << n << " rows affected\n"; };
    trb::db::runScript(db, text, sink);
  } catch (const trb::db::DbError& e) {
    printError(QStringLiteral("trbdb sql: ") + args.at(0) +
                   QStringLiteral(": the script failed and nothing was changed"),
               e);
    return 1;
  }
  return 0;
}

}  // namespace trb::cli

int main(int argc, char** argv) {
  // Reports lay out text, which needs the fonts of a graphical application; without a display
  // the offscreen platform serves.
  const bool report = argc > 1 && qstrcmp(argv[1], "report") == 0;
  if (report && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  std::unique_ptr<QCoreApplication> app = report ? std::make_unique<QGuiApplication>(argc, argv)
                                                 : std::make_unique<QCoreApplication>(argc, argv);
  QStringList args = app->arguments().mid(1);
  if (args.isEmpty()) return trb::cli::usage();
  if (args.first() == u"--version") {
    trb::cli::out() << "trbdb " << trb::programVersion() << "\n";
    trb::cli::out().flush();
    return 0;
  }
  const QString cmd = args.takeFirst();
  int rc;
  if (cmd == u"create")
    rc = trb::cli::cmdCreate(args);
  else if (cmd == u"sql")
    rc = trb::cli::cmdSql(args);
  else if (cmd == u"import")
    rc = trb::cli::cmdImport(args);
  else if (cmd == u"stats")
    rc = trb::cli::cmdStats(args);
  else if (cmd == u"transfer")
    rc = trb::cli::cmdTransfer(args);
  else if (cmd == u"nbalance")
    rc = trb::cli::cmdNbalance(args);
  else if (cmd == u"report")
    rc = trb::cli::cmdReport(args);
  else if (cmd == u"ris-import")
    rc = trb::cli::cmdRisImport(args);
  else if (cmd == u"fit-start")
    rc = trb::cli::cmdFitStart(args);
  else if (cmd == u"steady-state")
    rc = trb::cli::cmdSteadyState(args);
  else
    rc = trb::cli::usage();
  return trb::cli::finishOutput(QStringLiteral("trbdb"), rc);
}
