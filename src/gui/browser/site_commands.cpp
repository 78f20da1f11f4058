#include "gui/browser/site_commands.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidgetItemIterator>

#include "core/base/error.h"
#include "core/browser/browser_service.h"
#include "core/db/database.h"
#include "core/sites/experiments.h"
#include "core/sites/site_description.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/delete_experiment_dialog.h"
#include "gui/browser/experiment_id_dialog.h"
#include "gui/browser/new_experiment_dialog.h"
#include "gui/browser/shift_plots_dialog.h"
#include "gui/browser/simple_soil_dialog.h"
#include "gui/browser/site_page.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

SiteCommands::SiteCommands(BrowserWindow& window, trb::db::Database& db)
    : QObject(&window), w_(window), db_(db) {
  setObjectName(QStringLiteral("siteCommands"));
  soilDialog = new SimpleSoilDialog(db, &window);
  newExperimentDialog = new NewExperimentDialog(&window);
  deleteExperimentDialog = new DeleteExperimentDialog(&window);
  experimentIdDialog = new ExperimentIdDialog(db, &window);
  shiftPlotsDialog = new ShiftPlotsDialog(db, &window);

  SitePage* page = w_.sitePage;
  connect(page, &SitePage::saveRequested, this, &SiteCommands::saveSite);
  connect(page, &SitePage::simpleSoilRequested, this, &SiteCommands::editSimpleSoil);

  PlotTree::Menus& m = w_.tree->menus;
  connect(m.createExperiment, &QAction::triggered, this, &SiteCommands::createExperiment);
  connect(m.addPlot, &QAction::triggered, this, &SiteCommands::addPlot);
  connect(m.deletePlot, &QAction::triggered, this, &SiteCommands::deletePlot);
  connect(m.deleteExperiment, &QAction::triggered, this, &SiteCommands::deleteExperiment);
  connect(m.shiftExperimentId, &QAction::triggered, this, &SiteCommands::shiftExperimentId);
  connect(m.shiftPlotIds, &QAction::triggered, this, &SiteCommands::shiftPlotKeys);
  setEnabled(true);
  // "delete active plot" acts on the loaded plot: without one there is nothing to delete
  connect(m.plots, &QMenu::aboutToShow, this,
          [this] { w_.tree->menus.deletePlot->setEnabled(enabled_ && w_.snr != -99); });
}

void SiteCommands::setEnabled(bool on) {
  enabled_ = on;
  PlotTree::Menus& m = w_.tree->menus;
  for (QAction* a : {m.createExperiment, m.addPlot, m.deletePlot, m.deleteExperiment,
                     m.shiftExperimentId, m.shiftPlotIds})
    a->setEnabled(on);
  w_.sitePage->updateButton->setEnabled(on && w_.sitePage->plotKey() != -99);
}

bool SiteCommands::busy() const {
  return !enabled_ || w_.calculationRunning() || !db_.isOpen();
}

void SiteCommands::report(const std::exception& e, const QString& caption) {
  ErrorReporter::report(&w_, e, caption.isEmpty() ? w_.windowTitle() : caption);
}

QTreeWidgetItem* SiteCommands::pressedNode(int kind) const {
  QTreeWidgetItem* item = w_.tree->activeItem();
  return item && static_cast<int>(PlotTree::kindOf(item)) == kind ? item : nullptr;
}

// --- "Basic-Info" -------------------------------------------------------------------------------

bool SiteCommands::saveSite() {
  SitePage* p = w_.sitePage;
  // the page must show the loaded plot (a plot deleted behind the tree's back shows none)
  const qlonglong key = w_.snr;
  if (busy() || key == -99 || p->plotKey() != key) return false;
  trb::sites::SiteEdit e;
  e.flId = key;
  e.plot = p->plotEdit->text();
  e.source = p->sourceEdit->text();
  e.state = p->stateEdit->text();
  e.area = p->areaEdit->text();
  e.bat = p->batEdit->text();
  e.climateId = p->weatherBox->currentIndex() < 0 ? -99 : p->weatherBox->currentData().toLongLong();
  e.soilId = p->soilBox->currentIndex() < 0 ? -99 : p->soilBox->currentData().toLongLong();
  try {
    trb::sites::save_site_description(db_, e);
  } catch (const std::exception& err) {
    report(err, tr("update changes"));
    return false;
  }
  // every node of the plot takes the new name (two codes on one location list it twice)
  for (QTreeWidgetItemIterator it(w_.tree); *it; ++it) {
    if (PlotTree::kindOf(*it) == PlotTree::Kind::Plot && PlotTree::record(*it).snr == key)
      (*it)->setText(0, trb::sites::plot_label((*it)->text(0), e.plot));
  }
  w_.loadedPlot.herkunft = e.source;
  return true;
}

void SiteCommands::stationEdited(qlonglong station) {
  w_.refreshStations();
  w_.sitePage->selectStation(station);
  saveSite();
}

void SiteCommands::soilEdited(qlonglong soil) {
  w_.refreshSoils();
  w_.sitePage->selectSoil(soil);
  saveSite();
}

void SiteCommands::editSimpleSoil(qlonglong soil) {
  if (busy()) return;
  const qlonglong chosen = soilDialog->edit(soil);
  soilEdited(chosen);
}

// --- Tree menus ---------------------------------------------------------------------------------

void SiteCommands::createExperiment() {
  if (busy()) return;
  try {
    if (!newExperimentDialog->ask(trb::sites::next_experiment_code(db_))) return;
    trb::sites::create_experiment(db_, newExperimentDialog->shortName());
  } catch (const std::exception& e) {
    report(e, newExperimentDialog->windowTitle());
    return;
  }
  w_.reload();  // the window shown anew: choosers refilled, tree rebuilt
}

void SiteCommands::addPlot() {
  QTreeWidgetItem* plots = pressedNode(static_cast<int>(PlotTree::Kind::Plots));
  if (busy() || !plots) return;
  const QString label = PlotTree::experimentLabelOf(plots);
  QString code = trb::browser::codeOf(label);
  QString herkunft;
  if (plots->childCount() > 0) {
    // the first plot gives its code, and its source once it has been loaded since the rebuild
    const PlotRecord first = PlotTree::record(plots->child(0));
    code = first.vcode;
    herkunft = first.herkunft;
  }
  try {
    trb::sites::add_plot(db_, w_.slvDb, code, herkunft);
  } catch (const std::exception& e) {
    report(e);
    return;
  }
  w_.rebuildTree(0);
}

void SiteCommands::deletePlot() {
  const qlonglong key = w_.snr;
  if (busy() || key == -99) return;
  const auto answer =
      QMessageBox::question(&w_, tr(" Confirm Delete"),
                            tr(" Do you really want to delete ALL data of plot %1 ?").arg(key),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  if (answer != QMessageBox::Yes) return;
  try {
    trb::sites::delete_plot(db_, key);
  } catch (const std::exception& e) {
    report(e, tr(" Confirm Delete"));
    return;
  }
  w_.forgetLoadedPlot();
  w_.rebuildTree(0);
}

void SiteCommands::deleteExperiment() {
  QTreeWidgetItem* node = pressedNode(static_cast<int>(PlotTree::Kind::Experiment));
  if (busy() || !node) return;
  const QString label = node->text(0);
  if (!deleteExperimentDialog->confirm(label)) return;
  try {
    trb::sites::delete_experiment(db_, trb::browser::locationOf(label),
                                  trb::browser::codeOf(label));
  } catch (const std::exception& e) {
    report(e, deleteExperimentDialog->windowTitle());
    return;
  }
  w_.forgetLoadedPlot();
  w_.rebuildTree(0);
}

void SiteCommands::shiftExperimentId() {
  QTreeWidgetItem* node = pressedNode(static_cast<int>(PlotTree::Kind::Experiment));
  if (busy() || !node) return;
  const QString label = node->text(0);
  try {
    const int code = trb::sites::numeric_experiment_code(trb::browser::codeOf(label));
    const trb::sites::ExperimentRow row = trb::sites::read_experiment(db_, code);
    const QString location = row.found ? row.location : trb::browser::locationOf(label);
    if (experimentIdDialog->adapt(code, location) && w_.snr != -99) {
      // the loaded plot now belongs to the experiment's new code and location
      const trb::browser::PlotView view = trb::browser::loadPlot(db_, w_.snr);
      if (view.found) {
        w_.loadedPlot.vcode = view.site.vcode;
        w_.loadedPlot.dbName = view.site.location;
      }
    }
  } catch (const std::exception& e) {
    report(e);
  }
  w_.rebuildTree(0);
}

void SiteCommands::shiftPlotKeys() {
  if (busy() || w_.slvDb.isEmpty()) return;
  const QString location = w_.slvDb;
  if (shiftPlotsDialog->shift(location) == 0) return;
  // the loaded plot's key is gone when it was among the shifted ones
  bool gone = true;
  try {
    gone = w_.snr == -99 || !trb::browser::loadPlot(db_, w_.snr).found;
  } catch (const std::exception&) {
  }
  if (gone) w_.forgetLoadedPlot();
  w_.rebuildTree(0);
}

}  // namespace trb::gui
