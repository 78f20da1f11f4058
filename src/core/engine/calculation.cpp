#include "core/engine/calculation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/balance.h"
#include "core/engine/bat.h"
#include "core/engine/calc_stop.h"
#include "core/engine/crep.h"
#include "core/engine/humus.h"
#include "core/engine/inputs.h"
#include "core/engine/slvptf.h"
#include "core/engine/soil_table.h"
#include "core/engine/work_tables.h"

namespace trb::engine {

// The calculation's own lines go into its message list (and the report file) as they pass on to
// the caller's feedback; everything else passes straight through.
class Calculation::RunFeedback : public trb::Feedback {
 public:
  RunFeedback(QStringList& messages, trb::Feedback& outer) : messages_(messages), outer_(outer) {}
  void pushLine(Level level, const QString& line) override {
    messages_ << line;
    outer_.pushLine(level, line);
  }
  void setProgress(qint64 pos, qint64 count) override { outer_.setProgress(pos, count); }
  void report(const trb::Error& error) override { outer_.report(error); }
  void cancel() override { outer_.cancel(); }
  bool isCanceled() const override { return outer_.isCanceled(); }
  void resetCanceled() override { outer_.resetCanceled(); }

 private:
  QStringList& messages_;
  trb::Feedback& outer_;
};

void Calculation::log(const QString& line) {
  messages << line;
  feedback_.info(line);
}

void Calculation::runQueryFiles(trb::db::Database& db, bool pre) {
  const bool on = pre ? switches.preprocessing : switches.post_processing;
  if (!on) return;
  const int n = pre ? switches.pre_n : switches.pst_n;
  const auto& files = pre ? switches.pre_proc_arr : switches.pst_proc_arr;
  for (int k = 1; k <= n; ++k) {
    const QString name = files[k];
    if (name.isEmpty() || !QFileInfo::exists(name)) continue;  // missing files are skipped
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly))
      throw CalcStop(QStringLiteral("cannot read the query file %1").arg(name),
                     QStringLiteral("ERROR"));
    const int count = db.execute(QString::fromUtf8(f.readAll()).trimmed());
    log((pre ? QStringLiteral("preprocessing :") : QStringLiteral("postprocessing :")) + name +
        QStringLiteral("=>") + QString::number(count));
  }
}

void Calculation::run_preprocessing(trb::db::Database& db) {
  runQueryFiles(db, true);
}
void Calculation::run_postprocessing(trb::db::Database& db) {
  runQueryFiles(db, false);
}

// The comparison rows of the selected plots start afresh from their measured soil carbon; the
// walk replaces them plot by plot with its results, so nothing is removed here.
void Calculation::prepareRun(trb::db::Database& db) {
  log(QStringLiteral("new recs in RS_TABLE :") + QString::number(fresh_comparison_row_count(db)));
}

bool Calculation::calculate() {
  running = true;
  assessment = false;
  messages.clear();
  stopReason.clear();
  last.reset();
  walkStarted = false;
  plotsSelected = 0;
  plotsCalculated = 0;
  bool finished = false;
  RunFeedback run(messages, feedback_);
  try {
    for (const QString& line : settings.report()) log(line);
    // an unknown method stops before anything is changed
    std::unique_ptr<BalanceMethod> method = make_balance_method(settings.methode);
    if (!method)
      throw CalcStop(QStringLiteral("unknown balance method \"%1\"; the methods are TRB, LUFA, "
                                    "KOLBE and NULL")
                         .arg(settings.methode),
                     QStringLiteral("ERROR"));
    // The progress covers the whole run: query files and comparison rows, the method's tables,
    // the balance.
    trb::MultiStepFeedback steps(3, run);
    steps.setCurrentStep(0);
    trb::db::Database db = trb::db::Database::open(settings.database);
    run_preprocessing(db);

    PreparationSettings prep;
    if (settings.recalc_bat) prep.wmz.read_prm4wmz(db);
    prepareRun(db);
    prep.soil.soil_scheme = settings.soil_scheme;
    prep.soil.hymode = settings.ptfmode;
    prep.soil.pf_fk = settings.pf_fk;
    prep.soil.pf_wp = settings.pf_wp;
    prep.soil.interpol = settings.interpol;
    prep.bat.recalc_bat = settings.recalc_bat;
    prep.bat.simple_version = settings.simple_version;
    steps.setCurrentStep(1);
    {
      // a stop also ends a long statement of the preparation, which changes no result table
      db.setProgressHandler([this] { return feedback_.isCanceled(); });
      struct EndHandler {
        trb::db::Database& db;
        ~EndHandler() { db.setProgressHandler({}); }
      } endHandler{db};
      method->prepare_tables(db, prep, steps);
    }

    steps.setCurrentStep(2);
    BalanceContext ctx(steps);
    ctx.histogram = onPair_;
    ctx.z_anf = z_anf;
    ctx.z_cnt = z_cnt;
    ctx.sim_prot = switches.sim_prot;
    ctx.run_id = switches.run_id;
    ctx.method = settings.methode;
    ctx.workers = settings.workerThreads();
    ctx.walk_started = [this](int plots) {
      walkStarted = true;
      plotsSelected = plots;
    };
    const BalanceOutcome outcome = run_balance(db, *method, ctx);
    if (outcome.non_finite) {
      // the walk met an infinity (an input so large that a product overflows) and left its plot
      // out: no such value stays behind in the work tables either
      const int rows = clear_infinite_work_values(db);
      log(QStringLiteral("values that are not finite numbers cleared in %1 rows of the work tables")
              .arg(rows));
    }
    last = outcome.assessment;
    plotsSelected = outcome.selected;
    plotsCalculated = outcome.calculated;
    plotsWritten = outcome.written;
    if (outcome.stopped) {
      stopReason = QStringLiteral("the calculation was stopped");
      log(QStringLiteral("calculation stopped: ") + stopReason);
    } else if (!outcome.finished) {
      stopReason = QStringLiteral("loopback not possible");
    } else if (outcome.selected > 0 && outcome.calculated == 0) {
      // every plot lacked usable data: a failure, not a finished job
      stopReason = QStringLiteral("no plot could be calculated");
      log(QStringLiteral("calculation stopped: ") + stopReason);
    } else {
      run_postprocessing(db);
      log(QStringLiteral("job finished"));
      assessment = true;
      finished = true;
    }
  } catch (const trb::Error& caught) {
    // a stop, a problem of the data or a failing statement: shown at once, and in the list; a
    // statement interrupted by the stop is the stop
    const bool interrupted = feedback_.isCanceled() && !dynamic_cast<const trb::Canceled*>(&caught);
    const trb::Error e = interrupted ? trb::Canceled(QStringLiteral("the calculation was stopped"),
                                                     QStringLiteral("trb"))
                                     : caught;
    stopReason = e.text();
    const QString caption = e.caption().isEmpty() ? QStringLiteral("ERROR") : e.caption();
    feedback_.report(trb::Error(e.message(), caption, e.statement()));
    log(QStringLiteral("calculation stopped: ") + e.text());
  }
  finishRun();
  return finished;
}

// The message list goes to the report file also when the calculation stopped, written under a
// temporary name and renamed: a link of the report's name is replaced, never followed. A report
// that cannot be written is said and kept in reportError.
void Calculation::finishRun() {
  reportError.clear();
  const QString report = QDir::current().filePath(reportFile);
  QTemporaryFile f(report + QStringLiteral(".XXXXXX"));
  bool written = f.open();
  if (written) {
    {
      QTextStream ts(&f);
      for (const QString& line : messages) ts << line << '\n';
      ts.flush();
      written = ts.status() == QTextStream::Ok;
    }
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    written = written && f.flush() &&
              std::rename(QFile::encodeName(f.fileName()).constData(),
                          QFile::encodeName(report).constData()) == 0;
    if (written) f.setAutoRemove(false);
  }
  if (!written) {
    const QString why = f.error() == QFileDevice::NoError
                            ? QString::fromLocal8Bit(std::strerror(errno))
                            : f.errorString();
    reportError = QStringLiteral("the report file %1 cannot be written: %2")
                      .arg(QDir::toNativeSeparators(report), why);
    feedback_.report(trb::Error(reportError, QStringLiteral("ERROR")));
  }
  feedback_.setProgress(0, 0);
  feedback_.resetCanceled();
  running = false;
}

}  // namespace trb::engine
