// A complete calculation of the simulator, driven alike by its window and by trbsim: the run
// settings and command-line switches, the preparation of the chosen balance method, the balance,
// the assessment summary, the query files before and after, and the report file.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/base/feedback.h"
#include "core/engine/assessment.h"
#include "core/settings/run_settings.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

using trb::settings::RunSettings;
using trb::settings::SimSwitches;

// Reports through its feedback: every line of the message list (info), the problems a user must
// see at once (report: a missing start value, the reason the calculation stopped), the progress
// of the long steps; the feedback's cancel stops the calculation at its next check (between
// steps, plots and years). The comparison has an observer of its own, called after every pair.
class Calculation {
 public:
  using PairObserver = std::function<void(const Assessment&)>;

  RunSettings settings;
  SimSwitches switches;
  int z_anf = -99;  // loop-back start year and passes, set by the browser
  int z_cnt = 0;
  bool running = false;
  bool assessment = false;
  QStringList messages;  // the message list of the last calculation
  QString stopReason;    // why the last calculation stopped, empty when it finished
  QString reportFile = QStringLiteral("trb_report.txt");  // written in the current folder
  Assessment last;                                        // accumulators of the last run
  int plotsSelected = 0;    // plots of the last run's walk, those it calculated and those whose
  int plotsCalculated = 0;  // results it replaced (calculated or cleared for missing data)
  int plotsWritten = 0;
  QString reportError;  // why the report file could not be written; empty when it was
  // The last run's balance began: from then on plots get new results one by one, and a stop
  // leaves the plots not reached with those of an earlier run.
  bool walkStarted = false;

  explicit Calculation(trb::Feedback& feedback, PairObserver onPair = {})
      : feedback_(feedback), onPair_(std::move(onPair)) {}

  // Runs one calculation on the database of the settings. Returns true when it finished ("job
  // finished"); false when it stopped (stopReason says why). running is false afterwards. A stop
  // asked before the run got going still holds; the feedback's stop request is withdrawn when the
  // run ends. A stop during the preparation ends its statement and leaves the result tables as
  // they were; during the balance it keeps the plots completed (see run_balance). The report
  // file is written in every case; reportError says when it could not be.
  bool calculate();

  // The query files before a calculation (and before the site list is shown).
  void run_preprocessing(trb::db::Database& db);
  void run_postprocessing(trb::db::Database& db);

 private:
  class RunFeedback;
  void log(const QString& line);
  void runQueryFiles(trb::db::Database& db, bool pre);
  void prepareRun(trb::db::Database& db);
  void finishRun();
  trb::Feedback& feedback_;
  PairObserver onPair_;
};

}  // namespace trb::engine
