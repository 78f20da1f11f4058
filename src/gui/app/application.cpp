#include "gui/app/application.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include "core/base/version.h"
#include "gui/app/settings_dialog.h"
#include "gui/app/update_check_window.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/site_commands.h"
#include "gui/browser/site_page.h"
#include "gui/climate/climate_window.h"
#include "gui/parameters/parameter_editor.h"
#include "gui/references/reference_list_window.h"
#include "gui/simulator/simulator_window.h"
#include "gui/sqlmodule/sql_window.h"
#include "gui/transfer/transfer_window.h"

namespace trb::gui {

Windows::Windows(const StartOptions& options) {
  session = std::make_unique<trb::app::Session>();
  main = std::make_unique<MainWindow>(*session, options);
  settings = std::make_unique<SettingsDialog>();
  simulator = std::make_unique<SimulatorWindow>(*session);
  simulator->setArguments(options.args);
  main->setWindows(settings.get(), simulator.get());
  // German captions never come with the power-mode items
  const bool browserPower = session->power() && session->captionLanguage() != u"D";
  browser = std::make_unique<BrowserWindow>(*session, browserPower);
  browser->setMainWindow(main.get());
  main->setBrowser(browser.get());
  trb::db::Database& db = session->db();
  climate = std::make_unique<ClimateWindow>(db, session->power());
  parameters = std::make_unique<ParameterEditor>(db);
  main->setDataWindows(climate.get(), parameters.get());
  transfer = std::make_unique<TransferWindow>(db);
  sql = std::make_unique<SqlWindow>(db);
  main->setDataTools(transfer.get(), sql.get());
  // a double click on the status bar
  QObject::connect(main.get(), &MainWindow::updateCheckRequested, main.get(), [this] {
    if (!updateCheck)
      updateCheck = std::make_unique<UpdateCheckWindow>(*session, main->currentversion,
                                                        main->start().programPath, main.get());
    updateCheck->show();
    updateCheck->raise();
  });
  // "Basic-Info": the station of the plot edited in the climate window, modally; the browser then
  // chooses the station whose name the window's field holds and saves the site description
  QObject::connect(
      browser->sitePage, &SitePage::weatherRequested, browser.get(), [this](qlonglong station) {
        SitePage* page = browser->sitePage;
        const QString name = climate->editStation(int(station), page->weatherBox->currentText());
        browser->refreshStations();
        const int i = page->weatherBox->findText(name);
        browser->siteCommands->stationEdited(i >= 0 ? page->weatherBox->itemData(i).toLongLong()
                                                    : -99);
      });
  // the soil of the plot in the parameter editor (power mode), and the editor itself
  QObject::connect(browser->sitePage, &SitePage::soilEditorRequested, browser.get(),
                   [this](qlonglong soil) {
                     parameters->showModeless(session->db().userTables());
                     parameters->showSoilProfile(int(soil));
                   });
  QObject::connect(browser->sitePage, &SitePage::parameterEditorRequested, browser.get(),
                   [this] { parameters->showModeless(session->db().userTables()); });
  // "show references" of a plot ("Basic-Info") and of an experiment (tree menu)
  QObject::connect(browser->sitePage, &SitePage::referencesRequested, browser.get(),
                   [this](qlonglong plot) {
                     referenceList().showPlot(plot, browser->sitePage->plotEdit->text());
                   });
  QObject::connect(browser->tree, &PlotTree::referencesRequested, browser.get(),
                   [this](const QString& location) { referenceList().showExperiment(location); });
}

ReferenceListWindow& Windows::referenceList() {
  if (!references) {
    references = std::make_unique<ReferenceListWindow>(session->db(), browser.get());
    references->askSetting = [this](const QString& key) { main->askAndStoreSetting(key); };
    // the experiment icons follow the links
    QObject::connect(references.get(), &ReferenceListWindow::relationsChanged, browser.get(),
                     [this] { browser->rebuildTree(); });
  }
  return *references;
}

Windows::~Windows() {
  // the jobs' workers must end before the windows go
  if (session) session->jobs().stopAll();
  updateCheck.reset();
  references.reset();
  // the browser's grids and the SQL module's result hold statements on the shared connection
  sql.reset();
  transfer.reset();
  browser.reset();
  parameters.reset();
  climate.reset();
  simulator.reset();
  main.reset();
}

int runApplication() {
  QApplication::setApplicationName(QStringLiteral("trb"));
  QApplication::setApplicationDisplayName(QStringLiteral("trb"));
  QApplication::setApplicationVersion(trb::programVersion());
  Windows windows(StartOptions::fromApplication());
  windows.main->show();
  const int code = QApplication::exec();
  return code != 0 ? code : windows.main->batchExitCode();
}

}  // namespace trb::gui
