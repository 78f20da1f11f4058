// trb_bench_browser FILE: times what the experiment browser does on FILE: building the tree and
// loading a clicked plot (site, management, measurements, yearly results). A database without
// results (as trb_gen makes it) first gets synthetic ones, one rs_table and one trb_nresult row
// per plot and year of its management, so that both reads see a database after a run.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <vector>

#include "core/browser/browser_service.h"
#include "core/db/database.h"

namespace {

QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

void addResultsIfNone(trb::db::Database& db) {
  if (db.scalar(QStringLiteral("select count(*) from rs_table")).toLongLong() > 0) return;
  QElapsedTimer t;
  t.start();
  trb::db::Transaction tx(db);
  db.runNative(QStringLiteral(
      "INSERT INTO rs_table (FL_ID, M_IX, YEAR_, YEAR_NUM, MEAS_VALUE, SIM_value) "
      "SELECT FL_ID, -7, year, year - (SELECT min(year) FROM cultivation c2 "
      "WHERE c2.FL_ID = cultivation.FL_ID), -99, 1.5 FROM cultivation GROUP BY FL_ID, year;"
      "DELETE FROM trb_nresult;"
      "INSERT INTO trb_nresult (FL_ID, year, n_m_om, n_ops, C_ops, c_som, c_inert, n_org, n_som, "
      "c_mic, c_rep, bat) SELECT FL_ID, year, 80.123, 120.5, 1400.25, 52000.75, 20000, 5200.5, "
      "4800.25, 300, 1200.125, 30.5 FROM cultivation GROUP BY FL_ID, year"));
  tx.commit();
  out() << "synthetic results added in " << t.elapsed() << " ms\n";
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc < 2) {
    QTextStream(stderr) << "usage: trb_bench_browser FILE\n";
    return 2;
  }
  try {
    trb::db::Database db = trb::db::Database::open(QString::fromLocal8Bit(argv[1]));
    addResultsIfNone(db);
    trb::browser::ensureBrowserIndexes(db);

    QElapsedTimer t;
    // The tree: three queries, whatever the number of plots.
    std::vector<qint64> treeMs;
    QList<trb::browser::ExperimentNode> tree;
    for (int i = 0; i < 3; ++i) {
      t.start();
      tree = trb::browser::readTree(db);
      treeMs.push_back(t.elapsed());
    }
    qlonglong plots = 0;
    for (const auto& e : tree) plots += e.plots.size();

    // A click on a plot: spread over the whole key range.
    const qlonglong maxKey =
        db.scalar(QStringLiteral("select max(FL_ID) from field_description")).toLongLong();
    std::vector<double> loadMs;
    qlonglong rows = 0;
    for (int i = 1; i <= 21; ++i) {
      const qlonglong key = std::max<qlonglong>(1, maxKey * i / 22);
      t.start();
      const trb::browser::PlotView v = trb::browser::loadPlot(db, key);
      loadMs.push_back(t.nsecsElapsed() / 1e6);
      rows += v.management.size() + v.measurements.size() + v.yearlyResults.size();
    }
    std::sort(loadMs.begin(), loadMs.end());

    out() << "tree: " << tree.size() << " experiments, " << plots << " plot nodes; first "
          << treeMs[0] << " ms, best " << *std::min_element(treeMs.begin(), treeMs.end())
          << " ms (goal < 1000 ms)\n";
    out() << "plot click: " << loadMs.size() << " plots, " << rows / qlonglong(loadMs.size())
          << " list rows each; median " << QString::number(loadMs[loadMs.size() / 2], 'f', 1)
          << " ms, slowest " << QString::number(loadMs.back(), 'f', 1) << " ms (goal < 100 ms)\n";
  } catch (const std::exception& e) {
    QTextStream(stderr) << e.what() << "\n";
    return 1;
  }
  return 0;
}
