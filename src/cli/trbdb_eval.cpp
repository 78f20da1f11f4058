// trbdb stats and trbdb nbalance: the statistics tables and the nitrogen balance without a window.
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <stdexcept>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/evaluation/nbalance.h"
#include "core/evaluation/statistics.h"
#include "core/settings/run_settings.h"
#include "core/settings/settings.h"

namespace trb::cli {

namespace {

void printTable(QTextStream& out, trb::db::Database& db, const QString& table) {
  QSqlQuery q = db.query(QStringLiteral("  SELECT * from ") + table);
  const QSqlRecord rec = q.record();
  QStringList head;
  for (int i = 0; i < rec.count(); ++i) head << rec.fieldName(i);
  out << table << ":\n" << head.join(u'\t') << "\n";
  while (q.next()) {
    QStringList row;
    for (int i = 0; i < rec.count(); ++i) {
      const QVariant v = q.value(i);
      row << (v.isNull()                        ? QString()
              : v.typeId() == QMetaType::Double ? trb::sql_float(v.toDouble())
                                                : v.toString());
    }
    out << row.join(u'\t') << "\n";
  }
}

}  // namespace

int cmdStats(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QString file;
  int phase = 0;
  bool bad = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args.at(i);
    if (a == u"--phase" && i + 1 < args.size()) {
      const QString p = args.at(++i);
      bad = bad || (p != u"0" && p != u"1" && p != u"2");
      phase = p.toInt();
    } else if (!a.startsWith(u"--") && file.isEmpty()) {
      file = a;
    } else {
      bad = true;
    }
  }
  if (file.isEmpty() || bad) {
    err << "usage: trbdb stats FILE [--phase 0|1|2]\n"
           "  recreates trb_stat_corg and trb_stat_nt and stores the statistics of every plot\n"
           "  with results; phase 0 all records, 1 early years, 2 late years.\n";
    return 2;
  }
  try {
    ConsoleFeedback opening(QStringLiteral("rows"));
    trb::db::Database db = trb::app::open_database(file, opening);
    opening.endProgress();
    const int plots = trb::evaluation::update_statistics(db, phase);
    out << "stored the statistics of " << plots << " plots (phase " << phase
        << ") in trb_stat_corg and trb_stat_nt\n";
  } catch (const trb::Error& e) {
    out.flush();
    printError(QStringLiteral("trbdb stats: ") + file, e);
    return 1;
  } catch (const std::invalid_argument& e) {
    err << "trbdb stats: " << file << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}

int cmdNbalance(const QStringList& args) {
  QTextStream out(stdout);
  QTextStream err(stderr);
  QString file, plot = QStringLiteral("*");
  QString first = QStringLiteral("0"), last = QStringLiteral("3000");
  QString low = QStringLiteral("0"), high = QStringLiteral("3000");
  int workers = -1;
  bool bad = false;
  for (int i = 0; i < args.size(); ++i) {
    const QString& a = args.at(i);
    if (a == u"--plot" && i + 1 < args.size()) {
      plot = args.at(++i);
    } else if (a == u"--years" && i + 2 < args.size()) {
      first = args.at(++i);
      last = args.at(++i);
    } else if (a == u"--ndng" && i + 2 < args.size()) {
      low = args.at(++i);
      high = args.at(++i);
    } else if (a == u"--workers" && i + 1 < args.size()) {
      bool ok = false;
      workers = args.at(++i).toInt(&ok);
      bad = bad || !ok || workers < 0 || workers > trb::settings::kMaxWorkers;
    } else if (!a.startsWith(u"--") && file.isEmpty()) {
      file = a;
    } else {
      bad = true;
    }
  }
  if (file.isEmpty() || bad) {
    err << "usage: trbdb nbalance FILE [--plot ID] [--years FIRST LAST] [--ndng LOW HIGH]\n"
           "                     [--workers N]\n"
           "  the nitrogen balance of all plots (or of one plot: per year) into trb_n_bilanz,\n"
           "  trb_nsaldo, nmin_saldo and, for all plots, NT_saldo; prints nmin_saldo.\n"
           "  The year and mineral-N ranges apply to all plots only. --workers 1 runs it on\n"
           "  one thread, 0 on the machine's cores; without it the setting \"workers\" holds.\n";
    return 2;
  }
  try {
    const auto filter = trb::evaluation::NBalanceFilter::parse(first, last, low, high);
    ConsoleFeedback opening(QStringLiteral("rows"));
    trb::db::Database db = trb::app::open_database(file, opening);
    opening.endProgress();
    trb::settings::SimSwitches switches;
    switches.workers = workers;
    const int threads =
        trb::settings::RunSettings::read(*trb::settings::openStore(), switches).workerThreads();
    trb::Feedback silent;
    trb::evaluation::do_balance(db, plot, filter, silent, threads);
    printTable(out, db, QStringLiteral("nmin_saldo"));
  } catch (const trb::Error& e) {
    out.flush();
    printError(QStringLiteral("trbdb nbalance: ") + file, e);
    return 1;
  } catch (const std::invalid_argument& e) {
    err << "trbdb nbalance: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace trb::cli
