// trbdb fit-start and trbdb steady-state: the start state of plots in the TRB balance without a
// window. Both print one tab-separated line per plot under a header line, a refused plot on
// standard error, and end with 1 when any plot was refused.
#include <optional>

#include "cli/console.h"
#include "cli/trbdb_commands.h"
#include "core/app/open_database.h"
#include "core/base/error.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/start_state.h"
#include "core/settings/run_settings.h"
#include "core/settings/settings.h"

namespace trb::cli {

namespace {

using trb::engine::PlotOutcome;

// The arguments both commands share: FILE, --plots ID,... and --workers N.
struct StartStateArgs {
  QString file;
  QList<qlonglong> plots;
  int workers = -1;  // the setting "workers"
  bool write = false;
  trb::engine::YearSpan span;
};

// The arguments of a command that takes --write or --years as said; nullopt when they do not
// read.
std::optional<StartStateArgs> parse(const QStringList& args, bool takesWrite, bool takesYears) {
  StartStateArgs a;
  bool bad = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args.at(i);
    if (arg == u"--plots" && i + 1 < args.size()) {
      for (const QString& p : args.at(++i).split(u',', Qt::SkipEmptyParts)) {
        bool ok = false;
        a.plots << p.trimmed().toLongLong(&ok);
        bad = bad || !ok;
      }
    } else if (arg == u"--workers" && i + 1 < args.size()) {
      bool ok = false;
      a.workers = args.at(++i).toInt(&ok);
      bad = bad || !ok || a.workers < 0 || a.workers > trb::settings::kMaxWorkers;
    } else if (takesWrite && arg == u"--write") {
      a.write = true;
    } else if (takesYears && arg == u"--years" && i + 1 < args.size()) {
      const QStringList span = args.at(++i).split(u'-');
      bool okFrom = false, okTo = false;
      if (span.size() == 2) {
        a.span.from = span[0].trimmed().toLongLong(&okFrom);
        a.span.to = span[1].trimmed().toLongLong(&okTo);
      }
      bad = bad || !okFrom || !okTo;
    } else if (!arg.startsWith(u"--") && a.file.isEmpty()) {
      a.file = arg;
    } else {
      bad = true;
    }
  }
  if (bad || a.file.isEmpty() || a.plots.isEmpty()) return std::nullopt;
  return a;
}

// A number for the console: rounded, with a decimal point.
QString num(double x, int decimals) {
  return trb::sql_float(trb::round_to(x, decimals));
}

// The database, the run settings and the preparation of both commands, then run(); a refused
// plot on standard error. Returns the exit code.
template <typename T, typename Run, typename Print>
int runCommand(const QString& name, const StartStateArgs& a, Run run, Print print) {
  try {
    ConsoleFeedback opening(QStringLiteral("rows"));
    trb::db::Database db = trb::app::open_database(a.file, opening);
    opening.endProgress();
    trb::settings::SimSwitches switches;
    switches.workers = a.workers;
    const trb::settings::RunSettings settings =
        trb::settings::RunSettings::read(*trb::settings::openStore(), switches);
    const trb::engine::PreparationSettings prep = trb::engine::preparation_settings(db, settings);
    ConsoleFeedback feedback;
    const std::vector<PlotOutcome<T>> outcomes = run(db, prep, settings.workerThreads(), feedback);
    bool refused = false;
    for (const PlotOutcome<T>& o : outcomes) {
      if (o.result) {
        print(*o.result);
      } else {
        refused = true;
        out().flush();
        err() << "trbdb " << name << ": " << o.refusal << "\n";
        err().flush();
      }
    }
    return refused ? 1 : 0;
  } catch (const trb::Error& e) {
    out().flush();
    printError(QStringLiteral("trbdb ") + name + QStringLiteral(": ") + a.file, e);
    return 1;
  }
}

}  // namespace

int cmdFitStart(const QStringList& args) {
  const std::optional<StartStateArgs> a = parse(args, true, false);
  if (!a) {
    err() << "usage: trbdb fit-start FILE --plots ID,... [--write] [--workers N]\n"
             "  fits each plot's start deviation of the active pool (non_bal, measurement kind\n"
             "  -1) to its measured soil carbon; prints FL_ID, the fitted value, the RMSE with\n"
             "  the stored and with the fitted value, the pairs, and \"on bound\" when the value\n"
             "  is an end of the range -1 .. 2.8125. --write stores the fitted values.\n";
    return 2;
  }
  out() << "FL_ID\tnon_bal\tRMSE before\tRMSE after\tpairs\n";
  return runCommand<trb::engine::NonBalFit>(
      QStringLiteral("fit-start"), *a,
      [&](trb::db::Database& db, const trb::engine::PreparationSettings& prep, int workers,
          trb::Feedback& feedback) {
        return trb::engine::fit_start_plots(db, a->plots, prep, workers, a->write, feedback);
      },
      [](const trb::engine::NonBalFit& f) {
        out() << f.plot << '\t' << num(f.nonBal, 6) << '\t' << num(f.rmseBefore, 6) << '\t'
              << num(f.rmseAfter, 6) << '\t' << f.pairs << (f.onBound ? "\ton bound" : "") << "\n";
      });
}

int cmdSteadyState(const QStringList& args) {
  const std::optional<StartStateArgs> a = parse(args, false, true);
  if (!a) {
    err() << "usage: trbdb steady-state FILE --plots ID,... [--years FROM-TO] [--workers N]\n"
             "  repeats each plot's management years (all, or FROM-TO) until its soil carbon\n"
             "  changes by less than 1e-6 of it per cycle; prints FL_ID, the years repeated, the\n"
             "  cycles, the level in % and t C/ha, the start value in % and t C/ha and the\n"
             "  start value less the level in % and t C/ha.\n";
    return 2;
  }
  out() << "FL_ID\tyears\tcycles\tlevel %\tlevel t C/ha\tstart %\tstart t C/ha\t"
           "start-level %\tstart-level t C/ha\n";
  return runCommand<trb::engine::SustainedLevel>(
      QStringLiteral("steady-state"), *a,
      [&](trb::db::Database& db, const trb::engine::PreparationSettings& prep, int workers,
          trb::Feedback& feedback) {
        return trb::engine::sustained_levels(db, a->plots, a->span, prep, workers, feedback);
      },
      [](const trb::engine::SustainedLevel& s) {
        out() << s.plot << '\t' << s.from << '-' << s.to << '\t' << s.cycles << '\t'
              << num(s.level, 6) << '\t' << num(s.levelStock, 3) << '\t' << num(s.start, 6) << '\t'
              << num(s.startStock, 3) << '\t' << num(s.start - s.level, 6) << '\t'
              << num(s.startStock - s.levelStock, 3)
              << (s.converged ? "" : "\tno convergence within 10000 cycles") << "\n";
      });
}

}  // namespace trb::cli
