#include "core/app/session.h"

#include "core/app/open_database.h"
#include "core/engine/run_selection.h"
#include "core/evaluation/nbalance.h"
#include "core/evaluation/result_pages.h"
#include "core/settings/settings.h"
#include "core/sites/experiments.h"

namespace trb::app {

Session::Session(QObject* parent) : QObject(parent) {}

Session::~Session() {
  // the jobs' workers end before the connection goes
  jobs_.stopAll();
}

// --- Database -----------------------------------------------------------------------------------

void Session::openDatabase(trb::Feedback& feedback) {
  emit databaseAboutToChange();
  db_.close();
  try {
    db_ = open_database(databasePath_, feedback);
  } catch (...) {
    emit databaseChanged();
    throw;
  }
  emit databaseChanged();
}

void Session::changeDatabase(const QString& path, trb::Feedback& feedback) {
  databasePath_ = path;
  openDatabase(feedback);
}

void Session::closeDatabase() {
  emit databaseAboutToChange();
  db_.close();
  emit databaseChanged();
}

// --- Settings -----------------------------------------------------------------------------------

QString Session::text(const QString& name) const {
  return trb::settings::readText(*trb::settings::openStore(), name);
}

std::optional<int> Session::integer(const QString& name) const {
  int value = 0;
  if (!trb::settings::readInt(*trb::settings::openStore(), name, value)) return std::nullopt;
  return value;
}

bool Session::contains(const QString& name) const {
  return trb::settings::openStore()->contains(name);
}

void Session::setText(const QString& name, const QString& value) {
  {
    auto store = trb::settings::openStore();
    if (store->contains(name) && trb::settings::readText(*store, name) == value) return;
    trb::settings::writeText(*store, name, value);
  }
  emit settingChanged(name);
}

void Session::setInteger(const QString& name, int value) {
  {
    auto store = trb::settings::openStore();
    int old = 0;
    if (trb::settings::readInt(*store, name, old) && old == value) return;
    trb::settings::writeInt(*store, name, value);
  }
  emit settingChanged(name);
}

// --- Workflows ----------------------------------------------------------------------------------

void Session::requestRun(const RunRequest& request) {
  pending_ = request;
  emit runRequested(request);
}

void Session::runSelectedPlots(const QList<qlonglong>& plots, int firstYear, int repeat) {
  if (pending_) throw trb::Error(tr("A calculation is already running."));
  trb::engine::selectPlotsForRun(db_, plots);
  RunRequest r;
  r.firstYear = firstYear;
  r.repeat = repeat;
  requestRun(r);
}

void Session::runPlot(qlonglong flId, int firstYear, int repeat, bool untilClosed) {
  if (pending_) throw trb::Error(tr("A calculation is already running."));
  trb::engine::selectPlotsForRun(db_, {flId});
  RunRequest r;
  r.plot = flId;
  r.firstYear = firstYear;
  r.repeat = repeat;
  r.untilClosed = untilClosed;
  requestRun(r);
}

void Session::runBatch() {
  RunRequest r;
  r.batch = true;
  requestRun(r);
}

void Session::endRun(RunReport report) {
  if (!pending_) return;
  report.request = *pending_;
  pending_.reset();
  const qlonglong plot = report.request.plot;
  if (plot != -99 && db_.isOpen()) {
    // the plot's mean biologically active time, and without repetition its nitrogen balance
    try {
      report.meanBat = trb::evaluation::store_mean_bat(db_, plot);
    } catch (const trb::Error& e) {
      report.problems << e;
    }
    if (report.request.repeat == 0) {
      try {
        trb::evaluation::do_balance(db_, QString::number(plot));
        report.nBalance = true;
      } catch (const trb::Error& e) {
        report.problems << e;
      } catch (const std::exception& e) {
        report.problems << trb::Error(QString::fromUtf8(e.what()));
      }
    }
  }
  emit runEnded(report);
}

qlonglong Session::addPlot(const QString& location, const QString& code, const QString& herkunft) {
  const qlonglong key = trb::sites::add_plot(db_, location, code, herkunft);
  emit structureChanged();
  return key;
}

void Session::deletePlot(qlonglong flId) {
  trb::sites::delete_plot(db_, flId);
  emit plotDeleted(flId);
  emit structureChanged();
}

void Session::createExperiment(const QString& shortName) {
  trb::sites::create_experiment(db_, shortName);
  emit structureChanged();
}

void Session::deleteExperiment(const QString& location, const QString& code) {
  trb::sites::delete_experiment(db_, location, code);
  emit structureChanged();
}

void Session::notifyKeysShifted() {
  emit structureChanged();
}

}  // namespace trb::app
