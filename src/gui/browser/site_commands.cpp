#include "gui/browser/site_commands.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidgetItemIterator>

#include "core/app/session.h"
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

SiteCommands::SiteCommands(BrowserWindow& window, trb::app::Session& session)
    : QObject(&window), w_(window), session_(session), db_(session.db()) {
  setObjectName(QStringLiteral("siteCommands"));
  trb::db::Database& db = session.db();
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
  // "delete active plot" acts on the plot the menu was opened on, or from a "plots" node on the
  // loaded plot when it belongs to that experiment: without one there is nothing to delete
  connect(m.plots, &QMenu::aboutToShow, this,
          [this] { w_.tree->menus.deletePlot->setEnabled(enabled_ && plotToDelete() != -99); });
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

qlonglong SiteCommands::plotToDelete() const {
  const QTreeWidgetItem* item = w_.tree->activeItem();
  if (!item) return -99;
  if (PlotTree::kindOf(item) == PlotTree::Kind::Plot) return PlotTree::record(item).snr;
  if (PlotTree::kindOf(item) != PlotTree::Kind::Plots || w_.snr == -99) return -99;
  return w_.loadedPlot.dbName == PlotTree::locationOf(item) ? w_.snr : -99;
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
    session_.createExperiment(newExperimentDialog->shortName());
  } catch (const std::exception& e) {
    report(e, newExperimentDialog->windowTitle());
    return;
  }
  w_.reload();  // the window shown anew: choosers refilled, tree rebuilt
}

void SiteCommands::addPlot() {
  QTreeWidgetItem* plots = pressedNode(static_cast<int>(PlotTree::Kind::Plots));
  if (busy() || !plots) return;
  QString code = PlotTree::codeOf(plots);
  QString herkunft;
  if (plots->childCount() > 0) {
    // the first plot gives its code, and its source once it has been loaded since the rebuild
    const PlotRecord first = PlotTree::record(plots->child(0));
    code = first.vcode;
    herkunft = first.herkunft;
  }
  try {
    session_.addPlot(PlotTree::locationOf(plots), code, herkunft);
  } catch (const std::exception& e) {
    report(e);
  }
}

void SiteCommands::deletePlot() {
  const qlonglong key = plotToDelete();
  if (busy() || key == -99) return;
  // the question names the plot as the tree shows it: experiment and plot name with its key
  QString named = QString::number(key);
  try {
    const trb::browser::PlotView view = trb::browser::loadPlot(db_, key);
    if (view.found)
      named = QStringLiteral("%1 \"%2\" (%3 <%4>)")
                  .arg(key)
                  .arg(view.site.siteDescription, view.site.location, view.site.vcode);
  } catch (const std::exception&) {
    // the key alone names it
  }
  const auto answer =
      QMessageBox::question(&w_, tr(" Confirm Delete"),
                            tr(" Do you really want to delete ALL data of plot %1 ?").arg(named),
                            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
  if (answer != QMessageBox::Yes) return;
  try {
    session_.deletePlot(key);
  } catch (const std::exception& e) {
    report(e, tr(" Confirm Delete"));
  }
}

void SiteCommands::deleteExperiment() {
  QTreeWidgetItem* node = pressedNode(static_cast<int>(PlotTree::Kind::Experiment));
  if (busy() || !node) return;
  const QString label = node->text(0);
  if (!deleteExperimentDialog->confirm(label)) return;
  try {
    session_.deleteExperiment(PlotTree::locationOf(node), PlotTree::codeOf(node));
  } catch (const std::exception& e) {
    report(e, deleteExperimentDialog->windowTitle());
  }
}

void SiteCommands::shiftExperimentId() {
  QTreeWidgetItem* node = pressedNode(static_cast<int>(PlotTree::Kind::Experiment));
  if (busy() || !node) return;
  try {
    const int code = trb::sites::numeric_experiment_code(PlotTree::codeOf(node));
    const trb::sites::ExperimentRow row = trb::sites::read_experiment(db_, code);
    const QString location = row.found ? row.location : PlotTree::locationOf(node);
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
  session_.notifyKeysShifted();
}

void SiteCommands::shiftPlotKeys() {
  if (busy() || w_.slvDb.isEmpty()) return;
  const QString location = w_.slvDb;
  if (shiftPlotsDialog->shift(location) == 0) return;
  // the browser forgets the loaded plot when its key was among the shifted ones
  session_.notifyKeysShifted();
}

}  // namespace trb::gui
