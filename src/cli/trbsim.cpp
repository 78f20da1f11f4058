// trbsim: the simulator without a window. Takes the simulator's switches (DB=path, go, M=, SC=,
// I=, BAT0/BAT1, new_bat, ERR_P, PPQn=, POQn=, nw, WORKERS=), prints the message list as it grows,
// writes trb_report.txt and exits 0 when the calculation finished. SIGTERM, SIGINT and SIGHUP stop
// the calculation as the stop command does; a second one ends the program at once. Exits 1 when
// the calculation stopped or failed, or its report or standard output could not be written.
#include <QCoreApplication>
#include <QTextStream>

#include "cli/console.h"
#include "core/app/open_database.h"
#include "core/app/stop_signals.h"
#include "core/base/version.h"
#include "core/db/database.h"
#include "core/engine/calculation.h"
#include "core/engine/run_log.h"
#include "core/engine/simulator_service.h"
#include "core/settings/settings.h"

using trb::cli::err;
using trb::cli::out;

namespace {

// The console's feedback, stopped also by a signal, and knowing what it has reported already.
class SimFeedback : public trb::cli::ConsoleFeedback {
 public:
  bool isCanceled() const override {
    return ConsoleFeedback::isCanceled() || trb::app::stop_signal() != 0;
  }
  void report(const trb::Error& error) override {
    reported_ << error.text();
    ConsoleFeedback::report(error);
  }
  bool reported(const QString& text) const { return reported_.contains(text); }

 private:
  QStringList reported_;
};

// --select ID,ID,... or --select-all: marks the plots of the run before it starts. Throws
// trb::Error for an id that is not a number or when the database fails.
void selectPlots(trb::engine::SimulatorService& service, const QString& spec) {
  if (spec == u"all") {
    service.selectAllPlots();
    return;
  }
  QList<qlonglong> plots;
  for (const QString& id : spec.split(u',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const qlonglong fl = id.trimmed().toLongLong(&ok);
    if (!ok) throw trb::Error(QStringLiteral("--select: \"%1\" is not a plot number").arg(id));
    plots << fl;
  }
  service.selectPlots(plots);
}

// The program without its end: the exit status.
int run(QCoreApplication& app) {
  QStringList args = app.arguments().mid(1);
  if (args.contains(QStringLiteral("--version"))) {
    out() << "trbsim " << trb::programVersion() << "\n";
    out().flush();
    return 0;
  }
  if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
    out()
        << "usage: trbsim [DB=path] [go] [M=TRB|LUFA|KOLBE|NULL] [SC=RBS|KA4] [I=-1|0|1]\n"
           "              [BAT0|BAT1] [new_bat] [ERR_P[run id]] [PPQn=file.sql] [POQn=file.sql]\n"
           "              [WORKERS=n] [--select ID,ID,...|--select-all]\n"
           "       trbsim --version\n"
           "WORKERS=n computes the plots on n threads (0: one per core, 1: one thread; the\n"
           "results are the same); without it the setting \"workers\" holds.\n"
           "Without \"go\" it shows the settings and the selected plots and calculates nothing.\n";
    out().flush();
    return 0;
  }
  QString select;
  for (qsizetype i = 0; i < args.size(); ++i) {
    if (args[i] == u"--select-all") {
      select = QStringLiteral("all");
      args.removeAt(i--);
    } else if (args[i] == u"--select" && i + 1 < args.size()) {
      select = args[i + 1];
      args.remove(i, 2);
      --i;
    } else if (args[i].startsWith(QStringLiteral("--select="))) {
      select = args[i].mid(9);
      args.removeAt(i--);
    }
  }

  SimFeedback feedback;
  trb::engine::Calculation calc(feedback);
  calc.switches = trb::engine::SimSwitches::parse(args);
  {
    auto store = trb::settings::openStore();
    calc.settings = trb::engine::RunSettings::read(*store, calc.switches);
  }
  // an Access file is worked on as the SQLite file beside it, imported on first use
  trb::db::Database db;
  try {
    trb::cli::ConsoleFeedback opening(QStringLiteral("rows"));
    db = trb::app::open_database(calc.settings.database, opening);
    opening.endProgress();
  } catch (const trb::Error& e) {
    trb::cli::printError(QStringLiteral("trbsim"), e);
    return 1;
  }
  calc.settings.database = db.path();
  out() << "database: " << calc.settings.database << '\n';
  trb::engine::SimulatorService service(db);
  if (!select.isEmpty()) {
    try {
      selectPlots(service, select);
    } catch (const trb::Error& e) {
      trb::cli::printError(QStringLiteral("trbsim"), e);
      return 1;
    }
  }

  // how the last run ended, when it did not finish
  qlonglong lastRunId = 0;
  try {
    if (const auto last = service.lastRun()) {
      lastRunId = last->runId;
      if (!last->finished()) out() << last->describe() << '\n';
    }
  } catch (const trb::Error& e) {
    trb::cli::printError(QStringLiteral("trbsim"), e);
    return 1;
  }

  if (!calc.switches.auto_mode) {
    for (const QString& line : calc.settings.report()) out() << line << '\n';
    try {
      calc.run_preprocessing(db);
      out() << "selected plots:\n";
      for (const trb::engine::SiteRow& r : service.selectedSites())
        out() << QStringList{QString::number(r.flId), r.siteDescription, r.location, r.station,
                             r.profile}
                     .join(u'\t')
              << '\n';
    } catch (const trb::Error& e) {
      trb::cli::printError(QStringLiteral("trbsim"), e);
      return 1;
    }
    out() << "(no calculation without \"go\")\n";
    return 0;
  }
  // a calculation needs a database it can write
  try {
    trb::app::require_writable(db);
  } catch (const trb::Error& e) {
    trb::cli::printError(QStringLiteral("trbsim"), e);
    return 1;
  }
  db.close();  // the calculation opens its own connection

  const bool ok = calc.calculate();
  out().flush();
  if (!ok) {
    QString line = QStringLiteral("trbsim: the calculation stopped");
    if (!feedback.reported(calc.stopReason)) line += QStringLiteral(": ") + calc.stopReason;
    if (const int sig = trb::app::stop_signal())
      line += QStringLiteral(" (%1)").arg(trb::app::signal_name(sig));
    // a stopped balance kept the plots it completed, and its record says how many
    try {
      trb::db::Database after = trb::db::Database::open(calc.settings.database);
      const auto record = trb::engine::last_run(after);
      if (record && record->runId > lastRunId) line += QStringLiteral("; ") + record->describe();
    } catch (const trb::Error&) {
      // the stop line stands without it
    }
    err() << line << '\n';
    return 1;
  }
  return calc.reportError.isEmpty() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  trb::app::catch_stop_signals();
  return trb::cli::finishOutput(QStringLiteral("trbsim"), run(app));
}
