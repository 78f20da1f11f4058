// trb_bench_transfer SOURCE DESTINATION: copies every plot of SOURCE (made by trb_gen) into
// DESTINATION (a new database with schema and default parameters, made here), without the key
// check, and prints the time it took.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include "core/base/feedback.h"
#include "core/db/database.h"
#include "core/transfer/plot_transfer.h"

namespace {

struct NoQuestions : trb::transfer::TransferQuestions {
  bool addPlotsToExistingExperiment(const QString&) override { return true; }
  void reviewKeyCheck(trb::transfer::PlotTransfer&, const trb::transfer::KeyCheck&) override {}
  bool continueWithPlot(int, int) override { return true; }
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  const QStringList args = app.arguments().mid(1);
  if (args.size() != 2) {
    out << "usage: trb_bench_transfer SOURCE DESTINATION\n";
    return 2;
  }
  QFile::remove(args.at(1));
  QFile::remove(args.at(1) + QStringLiteral(".bak"));
  try {
    {
      trb::db::Database dst = trb::db::Database::create(args.at(1));
      trb::db::createTrbDatabase(dst, false);
    }
    trb::db::Database src = trb::db::Database::open(args.at(0));
    QList<int> plots;
    for (const auto& p : trb::transfer::transfer_plots(src)) plots << p.flId;
    const qlonglong rows =
        src.scalar(QStringLiteral("select count(*) from cultivation")).toLongLong() +
        src.scalar(QStringLiteral("select count(*) from measurements")).toLongLong();
    trb::transfer::PlotTransfer transfer(src);
    QElapsedTimer clock;
    clock.start();
    transfer.selectDestination(args.at(1));
    NoQuestions answers;
    trb::Feedback quiet;
    const auto result = transfer.transfer(plots, false, answers, quiet);
    const double seconds = clock.nsecsElapsed() / 1e9;
    out << result.copied.size() << " of " << plots.size() << " plots (" << rows
        << " management and measurement rows) transferred in " << QString::number(seconds, 'f', 2)
        << " s\n";
    return result.copied.size() == plots.size() ? 0 : 1;
  } catch (const std::exception& e) {
    out << "failed: " << e.what() << "\n";
    return 1;
  }
}
