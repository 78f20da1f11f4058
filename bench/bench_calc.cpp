// trb_bench FILE [--steps] [--workers N,M,...]: times a whole TRB calculation on FILE (every
// selected plot), once for every number of threads given (default: the machine's), then the
// balance kernel alone: the yearly TRB update over the rows of the input query and the organic
// inputs, both read once into memory, with no database writes. Prints plot-years per second of
// both and their ratio, the kernel's pool sub-steps per second and the calculation's peak
// resident memory. --steps also prints the time spent up to every line of the message list and
// the peak resident memory up to it. With several numbers of threads the runs follow each other
// on the same file, and each is split into the preparation (up to the walk's "trb running") and
// the walk, with its speed-up over the first run.
//
// The kernel repeats the walk of the balance (start values, gap check, yearly update) so that
// its last simulated content of every plot can be checked against trb_driver.sim_last of the
// calculation: the two must agree to the last bit, or the kernel measured something else.
//
// Last, the floor that SQLite itself sets: as many rows as the first run added to the database
// (two whole numbers and six real numbers each, about the width of the work tables) are written
// into a scratch file beside FILE in one transaction and read back once. The calculation must at
// least write its work and result tables, one connection at a time, so the writing time bounds
// the ratio of calculation to kernel from below. The share of the first run that
// the preparation takes before the walk starts bounds the speed-up on n threads from above. Run it
// on a fresh file from trb_gen: a file calculated before adds no rows.
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTextStream>
#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/engine/balance.h"
#include "core/engine/calculation.h"
#include "core/engine/pools.h"
#include "sqlite_floor.h"

namespace {

using namespace trb::engine;

QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

struct KernelRow {
  qlonglong fl_id, year;
  double corg, norg, cif, bd, sk, bat, fat;
  bool notill;
};

struct KernelInput {
  std::vector<KernelRow> rows;
  OpsInputTable ops;
  QHash<qlonglong, double> nonBal;
};

double num(const QVariant& v, double missing) {
  return v.isNull() ? missing : v.toDouble();
}

KernelInput read_kernel_input(trb::db::Database& db) {
  KernelInput in;
  QSqlQuery q = db.query(TrbMethod().input_query());
  const QSqlRecord rec = q.record();
  auto col = [&](const char* name) { return rec.indexOf(QLatin1String(name)); };
  const int iFl = col("FL_ID"), iYear = col("year_0"), iCorg = col("corg"), iNorg = col("norg"),
            iCif = col("cif"), iBd = col("BD"), iSk = col("skelett"), iBat = col("BAT"),
            iFat = col("fat"), iComment = col("comment");
  while (q.next()) {
    in.rows.push_back({q.value(iFl).toLongLong(), q.value(iYear).toLongLong(),
                       num(q.value(iCorg), -99), num(q.value(iNorg), -99), num(q.value(iCif), -99),
                       num(q.value(iBd), -99), num(q.value(iSk), 0), num(q.value(iBat), 0),
                       num(q.value(iFat), -99),
                       q.value(iComment).toString().toUpper().contains(u"NOTILL")});
  }
  in.ops.load(db);
  QSqlQuery nb = db.query(
      QStringLiteral("select fl_id, meas_value from measurements where m_ix=-1 order by meas_id"));
  while (nb.next())
    if (!in.nonBal.contains(nb.value(0).toLongLong()))
      in.nonBal.insert(nb.value(0).toLongLong(), nb.value(1).toDouble());
  return in;
}

struct KernelResult {
  long long plotYears = 0;
  long long poolSubSteps = 0;        // pools turned over times sub-steps, over all years
  QHash<qlonglong, double> simLast;  // last simulated content of every plot
  long double checksum = 0;          // keeps the yearly outputs alive
};

// The sub-steps of a year with biologically active time bat, as year_step makes them.
long long sub_steps(long double bat) {
  if (bat == 0) return 0;
  const long double n = std::floor(bat / kSubStep);
  const long double r = bat - n * kSubStep;
  return static_cast<long long>(n) + (r > 0 ? 1 : 0);
}

// The yearly TRB update of every plot, one pass, in memory.
KernelResult run_kernel(KernelInput& in) {
  KernelResult res;
  const auto& rows = in.rows;
  const size_t count = rows.size();
  size_t i = 0;
  while (i < count) {
    const qlonglong P = rows[i].fl_id;
    while (i < count && rows[i].corg < 0) ++i;
    bool valid = i < count && rows[i].fl_id == P;
    if (valid) {
      const KernelRow& r = rows[i];
      valid = r.corg > 0 && r.cif > 0 && r.bd > 0;
    }
    if (!valid) {
      while (i < count && rows[i].fl_id == P) ++i;
      continue;
    }
    PlotState st;
    const KernelRow& r0 = rows[i];
    st.fl_id = P;
    st.norg = r0.norg;
    st.corg = r0.corg;
    st.cif = r0.cif;
    st.bd = r0.bd;
    st.sk = r0.sk;
    derive_start_values(st);
    st.non_bal = in.nonBal.value(P, 0.0);
    st.pools.clear();
    qlonglong prev = r0.year - 1;
    while (i < count && rows[i].fl_id == P) {
      const KernelRow& r = rows[i];
      if (r.year - prev != 1) {
        while (i < count && rows[i].fl_id == P) ++i;
        break;
      }
      const long double D = in.ops.year_input(st.pools, P, r.year);
      st.notill = r.notill;
      const TrbYear y = trb_year(st, D, r.bat, r.fat);
      res.poolSubSteps += static_cast<long long>(st.pools.pools().size()) * sub_steps(y.bat);
      res.checksum += y.f.nmin + st.pools.nitrogen() + st.pools.carbon() + y.n_som + y.c_mic +
                      y.f.cmin + y.f.cmin_ops;
      st.years_done += 1;
      st.sim_last = static_cast<double>(simulated_content(st));
      ++res.plotYears;
      ++i;
      prev = r.year;
    }
    res.simLast.insert(P, st.sim_last);
  }
  return res;
}

double rate(long long n, qint64 ns) {
  return ns > 0 ? n / (ns / 1e9) : 0;
}

using trb::bench::cpuNs;

// The rows of every table of FILE, by table.
QHash<QString, long long> table_rows(const QString& file) {
  QHash<QString, long long> rows;
  trb::db::Database db = trb::db::Database::open(file);
  QStringList tables;
  {
    QSqlQuery q = db.query(QStringLiteral("select name from sqlite_master where type='table'"));
    while (q.next()) tables << q.value(0).toString();
  }
  for (const QString& t : tables)
    rows.insert(t, db.scalar(QStringLiteral("select count(*) from [%1]").arg(t)).toLongLong());
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTextStream err(stderr);
  QStringList args = app.arguments().mid(1);
  const bool steps = args.removeAll(QStringLiteral("--steps")) > 0;
  QList<int> workerCounts{0};
  const qsizetype w = args.indexOf(QStringLiteral("--workers"));
  if (w >= 0 && w + 1 < args.size()) {
    workerCounts.clear();
    for (const QString& n : args[w + 1].split(u',', Qt::SkipEmptyParts)) workerCounts << n.toInt();
    args.remove(w, 2);
  }
  if (args.size() != 1 || !QFileInfo::exists(args[0]) || workerCounts.isEmpty()) {
    err << "usage: trb_bench FILE [--steps] [--workers N,M,...]   (FILE from trb_gen; its "
           "results are overwritten; 0 threads: one per core)\n";
    return 2;
  }
  const QString file = QFileInfo(args[0]).absoluteFilePath();

  // The whole calculation, with the default settings and without the user's settings store.
  QElapsedTimer clock;
  qint64 lastStep = 0;
  // --steps: every line with the time up to it; problems to standard error.
  struct StepTimes : trb::Feedback {
    QElapsedTimer& clock;
    qint64& lastStep;
    bool steps;
    QTextStream& err;
    StepTimes(QElapsedTimer& c, qint64& l, bool s, QTextStream& e)
        : clock(c), lastStep(l), steps(s), err(e) {}
    qint64 walkStart = 0, walkCpu = 0, walkThreadCpu = 0;
    void pushLine(Level, const QString& line) override {
      const qint64 now = clock.nsecsElapsed();
      if (line == u"trb running") {
        walkStart = now;
        walkCpu = cpuNs();
        walkThreadCpu = cpuNs(CLOCK_THREAD_CPUTIME_ID);
      }
      if (!steps) return;
      rusage usage{};
      getrusage(RUSAGE_SELF, &usage);
      out() << QString::asprintf("%9.3f s %+8.3f s %6.0f MB  ", now / 1e9, (now - lastStep) / 1e9,
                                 usage.ru_maxrss / 1024.0)
            << line << '\n';
      out().flush();
      lastStep = now;
    }
    void report(const trb::Error& e) override { err << e.caption() << ": " << e.text() << '\n'; }
  } feedback(clock, lastStep, steps, err);
  qint64 calcNs = 0, calcCpu = 0, cpu0 = 0;
  qint64 firstWalkNs = 0, firstNs = 0, firstPrepNs = 0;
  const QHash<QString, long long> rowsBefore = table_rows(file);
  long long rowsAdded = -1;
  int threads = 1;
  for (int workers : workerCounts) {
    Calculation calc(feedback);
    calc.settings.database = file;
    calc.settings.workers = workers;
    calc.reportFile = file + QStringLiteral(".report.txt");
    clock.start();
    lastStep = 0;
    cpu0 = cpuNs();
    const bool finished = calc.calculate();
    calcNs = clock.nsecsElapsed();
    calcCpu = cpuNs() - cpu0;
    if (!finished) {
      err << "trb_bench: the calculation stopped: " << calc.stopReason << '\n';
      return 1;
    }
    const qint64 walkNs = calcNs - feedback.walkStart;
    // the walk's processor time, and that of this thread (reading and writing) in it: on n free
    // cores the walk takes at least the larger of this thread's part and the whole over n
    const qint64 walkCpu = cpuNs() - feedback.walkCpu;
    const qint64 walkThreadCpu = cpuNs(CLOCK_THREAD_CPUTIME_ID) - feedback.walkThreadCpu;
    if (firstNs == 0) {
      firstNs = calcNs;
      firstWalkNs = walkNs;
      firstPrepNs = feedback.walkStart;
      rowsAdded = 0;
      const QHash<QString, long long> after = table_rows(file);
      for (auto it = after.constBegin(); it != after.constEnd(); ++it)
        rowsAdded += std::max(0LL, it.value() - rowsBefore.value(it.key()));
    }
    threads = std::max(threads, calc.settings.workerThreads());
    out() << QString::asprintf(
        "threads %d: calculation %.3f s (processor %.3f s) = preparation %.3f s + walk %.3f s; "
        "speed-up over the first run: calculation %.2f, walk %.2f\n",
        calc.settings.workerThreads(), calcNs / 1e9, calcCpu / 1e9, feedback.walkStart / 1e9,
        walkNs / 1e9, double(firstNs) / calcNs, double(firstWalkNs) / walkNs);
    out() << QString::asprintf(
        "          walk processor %.3f s, of it the walk's own thread %.3f s (reading, writing; "
        "with 1 thread also computing)\n",
        walkCpu / 1e9, walkThreadCpu / 1e9);
    out().flush();
  }
  if (workerCounts.size() > 1 && rowsAdded > 0)
    out() << "          (the first run started on a fresh file; every later run first dropped the "
             "tables of the run before it, which takes time: compare two later runs, as the last "
             "two of --workers 1,2,1,2)\n";
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const long calcPeakKb = usage.ru_maxrss;  // the calculation's peak, before the kernel reads

  trb::db::Database db = trb::db::Database::open(file);
  const long long calcYears =
      db.scalar(QStringLiteral("select count(*) from trb_nresult")).toLongLong();
  QHash<qlonglong, double> driverSim;
  {
    QSqlQuery q = db.query(QStringLiteral("select fl_id, sim_last from trb_driver"));
    while (q.next()) driverSim.insert(q.value(0).toLongLong(), q.value(1).toDouble());
  }

  // The kernel alone: inputs read once (not timed), then the yearly update.
  KernelInput in = read_kernel_input(db);
  clock.restart();
  cpu0 = cpuNs();
  const KernelResult kernel = run_kernel(in);
  const qint64 kernelNs = clock.nsecsElapsed(), kernelCpu = cpuNs() - cpu0;

  int disagree = 0;
  for (auto it = kernel.simLast.constBegin(); it != kernel.simLast.constEnd(); ++it)
    if (!driverSim.contains(it.key()) || driverSim.value(it.key()) != it.value()) ++disagree;

  const double calcRate = rate(calcYears, calcNs), kernelRate = rate(kernel.plotYears, kernelNs);
  out() << QString::asprintf(
               "calculation: %lld plot-years in %.3f s = %.0f plot-years/s (processor %.3f s)\n",
               calcYears, calcNs / 1e9, calcRate, calcCpu / 1e9)
        << QString::asprintf(
               "kernel:      %lld plot-years in %.3f s = %.0f plot-years/s (processor %.3f s)\n",
               kernel.plotYears, kernelNs / 1e9, kernelRate, kernelCpu / 1e9)
        << QString::asprintf(
               "kernel:      %lld pool sub-steps = %.3g pool sub-steps/s (processor %.3g/s)\n",
               kernel.poolSubSteps, rate(kernel.poolSubSteps, kernelNs),
               rate(kernel.poolSubSteps, kernelCpu))
        << QString::asprintf("peak resident memory of the calculation: %.0f MB\n",
                             calcPeakKb / 1024.0)
        << QString::asprintf("ratio (calculation time / kernel time): %.2f (processor %.2f)\n",
                             calcRate > 0 ? kernelRate / calcRate : 0.0,
                             kernelCpu > 0 ? double(calcCpu) / kernelCpu : 0.0)
        << QString::asprintf(
               "plots: %lld in the calculation, %lld in the kernel; last contents "
               "that differ: %d\n",
               static_cast<long long>(driverSim.size()),
               static_cast<long long>(kernel.simLast.size()), disagree)
        << QString::asprintf("(checksum %.6Lg)\n", kernel.checksum);
  out().flush();

  const trb::bench::Floor floor =
      trb::bench::sqlite_floor(file + QStringLiteral(".floor.sqlite"), rowsAdded);
  if (floor.ok && kernelCpu > 0) {
    // only the writing counts towards the bound: the walk reads back a part of these rows only
    const double k = kernelCpu / 1e9;
    out() << QString::asprintf(
        "floor:       SQLite alone writes the %lld rows the calculation added in %.3f s "
        "(processor): calculation / kernel cannot go below %.2f (processor); reading them all "
        "back would take %.3f s more\n",
        rowsAdded, floor.writeCpu, (k + floor.writeCpu) / k, floor.readCpu);
  } else {
    out() << "floor:       not measured (the calculation added no rows: use a fresh file)\n";
  }
  // Amdahl: the preparation runs on one connection before the walk starts
  const int n = std::max(threads, 2);
  const double t1 = firstNs / 1e9, prep = firstPrepNs / 1e9;
  out() << QString::asprintf(
      "preparation: %.3f s of the first run's %.3f s come before the walk, on one thread: on %d "
      "threads the calculation cannot be more than %.2f times as fast\n",
      prep, t1, n, t1 / (prep + (t1 - prep) / n));
  out().flush();
  return disagree == 0 && calcYears == kernel.plotYears ? 0 : 1;
}
