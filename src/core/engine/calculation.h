// A complete calculation of the simulator, driven alike by its window and by trbsim: the run
// settings and command-line switches, the preparation of the chosen balance method, the balance,
// the assessment summary, the query files before and after, and the report file.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

#include "core/engine/assessment.h"
#include "core/settings/run_settings.h"
#include "core/settings/settings_table.h"

namespace trb::db {
class Database;
}

namespace trb::engine {

using trb::settings::RunSettings;
using trb::settings::SimSwitches;

// The balance methods, as the settings table allows them.
inline QStringList methods() {
  return trb::settings::setting(trb::settings::keys::methode).choiceValues();
}

class Calculation {
 public:
  struct Callbacks {
    std::function<void(const QString&)> log;                       // a line of the message list
    std::function<void(const QString&, const QString&)> message;   // text, caption: a message box
    std::function<void(int pos, int count)> progress;              // count -1 hides the bar
    std::function<void(const Assessment&)> histogram;
  };

  RunSettings settings;
  SimSwitches switches;
  int z_anf = -99;  // loop-back start year and passes, set by the browser
  int z_cnt = 0;
  bool running = false;
  bool assessment = false;
  QStringList messages;          // the message list of the last calculation
  QString stopReason;            // why the last calculation stopped, empty when it finished
  QString reportFile = QStringLiteral("trb_report.txt");  // written in the current folder
  Assessment last;               // accumulators of the last run

  explicit Calculation(Callbacks cb = {}) : cb_(std::move(cb)) {}

  // Runs one calculation on the database of the settings. Returns true when it finished ("job
  // finished"); false when it stopped (stopReason says why). running is false afterwards.
  bool calculate();

  // Asks a running calculation to stop at its next check (between steps, plots and years); safe
  // to call from another thread.
  void requestStop() { stop_ = true; }

  // The query files before a calculation (and before the site list is shown).
  void run_preprocessing(trb::db::Database& db);
  void run_postprocessing(trb::db::Database& db);

 private:
  void log(const QString& line);
  void runQueryFiles(trb::db::Database& db, bool pre);
  void checkStop();
  Callbacks cb_;
  std::atomic<bool> stop_{false};
};

}  // namespace trb::engine
