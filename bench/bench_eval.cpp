// trb_bench_eval FILE [--steps] [--workers N]: times 'Update-Statistics' over all plots (all
// records) and the nitrogen balance of all plots on a calculated database, and prints both times
// (wall time, with the processor time beside it). --steps also prints the wall and processor time
// of every step of the balance. --workers gives the balance its threads (1 when not given). The
// file is changed as the two commands change it: the statistics tables and the balance tables are
// recreated. Last, SQLite alone writes as many rows as the balance wrote into a scratch file beside
// FILE and reads them back: the floor under the balance's time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <ctime>
#include <functional>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/evaluation/nbalance.h"
#include "core/evaluation/statistics.h"
#include "sqlite_floor.h"

namespace {

using trb::bench::cpuNs;

// Prints the processor time of each step of a multi-step command as the next one begins.
class StepTimes : public trb::Feedback {
 public:
  StepTimes(QTextStream& out, bool print) : out_(out), print_(print) {}
  void setProgress(qint64 pos, qint64 count) override {
    if (!print_ || count <= 0) return;
    const qint64 step = pos / trb::MultiStepFeedback::kStepUnits;
    if (step == step_ && pos < count) return;
    finishStep();
    step_ = step;
    if (pos >= count) step_ = -1;
  }
  void start() {
    step_ = 0;
    cpu_ = cpuNs();
    wall_.start();
  }
  void finishStep() {
    if (!print_ || step_ < 0) return;
    const qint64 now = cpuNs();
    out_ << QStringLiteral("  step %1: %2 s (processor %3 s)\n")
                .arg(step_ + 1, 2)
                .arg(wall_.restart() / 1e3, 0, 'f', 3)
                .arg((now - cpu_) / 1e9, 0, 'f', 3);
    out_.flush();
    cpu_ = now;
  }

 private:
  QTextStream& out_;
  bool print_;
  qint64 step_ = -1;
  qint64 cpu_ = 0;
  QElapsedTimer wall_;
};

// Runs run, prints its wall and processor time and returns the processor seconds.
double timed(QTextStream& out, const QString& what, const std::function<void()>& run) {
  QElapsedTimer clock;
  clock.start();
  const qint64 cpu0 = cpuNs();
  run();
  const double cpu = (cpuNs() - cpu0) / 1e9;
  out << what
      << QStringLiteral(": %1 s (processor %2 s)\n")
             .arg(clock.nsecsElapsed() / 1e9, 0, 'f', 3)
             .arg(cpu, 0, 'f', 3);
  out.flush();
  return cpu;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream out(stdout);
  QTextStream err(stderr);
  const QStringList args = app.arguments().mid(1);
  const bool steps = args.contains(QStringLiteral("--steps"));
  QString file;
  int threads = 1;
  bool bad = false;
  for (int i = 0; i < args.size(); ++i) {
    if (args.at(i) == u"--workers" && i + 1 < args.size())
      threads = args.at(++i).toInt(&bad), bad = !bad || threads < 1;
    else if (!args.at(i).startsWith(u"--"))
      file = args.at(i);
  }
  if (file.isEmpty() || bad) {
    err << "usage: trb_bench_eval FILE [--steps] [--workers N]\n"
           "  times Update-Statistics (all records) and the nitrogen balance of all plots on a\n"
           "  calculated database; FILE keeps the recreated tables.\n";
    return 2;
  }
  try {
    trb::db::Database db = trb::db::Database::open(file);
    int plots = 0;
    timed(out, QStringLiteral("Update-Statistics"),
          [&] { plots = trb::evaluation::update_statistics(db, 0); });
    out << "  plots with results: " << plots << "\n";
    StepTimes feedback(out, steps);
    const double balanceCpu = timed(out, QStringLiteral("nitrogen balance"), [&] {
      feedback.start();
      trb::evaluation::do_balance(db, QStringLiteral("*"), {}, feedback, threads);
      feedback.finishStep();
    });
    out << "  rows of trb_n_bilanz: "
        << db.scalar(QStringLiteral("select count(*) from trb_n_bilanz")).toLongLong() << "\n";
    long long written = 0;
    for (const char* table :
         {"trb_n_bilanz", "nbil_n_dng", "nbil_n_entzug", "nbil_n_saat", "nbil_ewr", "nbil_orgd",
          "nbil_kopp", "nbil_nleg", "trb_nsaldo", "nmin_saldo", "NT_saldo", "tmp_ndeposit"})
      if (db.hasTable(QLatin1String(table)))
        written += db.scalar(QStringLiteral("select count(*) from [%1]").arg(QLatin1String(table)))
                       .toLongLong();
    const trb::bench::Floor floor =
        trb::bench::sqlite_floor(file + QStringLiteral(".floor.sqlite"), written);
    if (floor.ok)
      out << QStringLiteral(
                 "  floor: SQLite alone writes the %1 rows the balance wrote in %2 s and reads "
                 "them back in %3 s (processor); the balance took %4 times that\n")
                 .arg(written)
                 .arg(floor.writeCpu, 0, 'f', 3)
                 .arg(floor.readCpu, 0, 'f', 3)
                 .arg(balanceCpu / (floor.writeCpu + floor.readCpu), 0, 'f', 2);
  } catch (const trb::Error& e) {
    err << "trb_bench_eval: " << e.message() << "\n";
    return 1;
  }
  return 0;
}
