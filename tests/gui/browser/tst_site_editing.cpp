// Keeping experiments and plots from the browser as a user does it, on a copy of the demo
// database: "Basic-Info" with its choosers, the simple soil description, and the tree menus that
// create, add, delete and renumber experiments and plots.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QtTest>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/delete_experiment_dialog.h"
#include "gui/browser/experiment_id_dialog.h"
#include "gui/browser/list_pages.h"
#include "gui/browser/new_experiment_dialog.h"
#include "gui/browser/repeat_controls.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/selection_panel.h"
#include "gui/browser/shift_plots_dialog.h"
#include "gui/browser/simple_soil_dialog.h"
#include "gui/browser/site_commands.h"
#include "gui/browser/site_page.h"
#include "gui/guitest.h"

using trb::gui::BrowserWindow;
using trb::gui::PlotTree;

namespace {

QTreeWidgetItem* node(PlotTree* tree, const QString& label) {
  const auto found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

QTreeWidgetItem* plotsOf(PlotTree* tree, const QString& experimentLabel) {
  QTreeWidgetItem* e = node(tree, experimentLabel);
  return e ? e->child(e->childCount() - 1) : nullptr;
}

QStringList plotLabels(PlotTree* tree, const QString& experimentLabel) {
  QStringList out;
  if (QTreeWidgetItem* p = plotsOf(tree, experimentLabel))
    for (int i = 0; i < p->childCount(); ++i) out << p->child(i)->text(0);
  return out;
}

void press(PlotTree* tree, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton) {
  QVERIFY(item);
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), button, Qt::NoModifier, tree->visualItemRect(item).center());
}

// A right press on the node, then a click on the entry of the menu that opens.
void choose(PlotTree* tree, QTreeWidgetItem* item, QAction* action) {
  press(tree, item, Qt::RightButton);
  auto* menu = qobject_cast<QMenu*>(action->parent());
  QVERIFY(menu);
  QTRY_VERIFY(menu->isVisible());
  QVERIFY2(action->isEnabled(), qPrintable(action->text()));
  QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
}

void type(QLineEdit* e, const QString& text) {
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Backspace);
  QTest::keyClicks(e, text);
}

// The message box the error reporter opened over parent; its text, after closing it.
QString takeErrorBox(QWidget* parent) {
  auto* box = parent->findChild<QMessageBox*>(QStringLiteral("errorBox"));
  if (!box) return QStringLiteral("(no message)");
  const QString text = box->windowTitle() + u'|' + box->text();
  box->setObjectName(QString());
  box->close();
  return text;
}

const QString kKleinhausen = QStringLiteral("Kleinhausen   <1>");
const QString kHeidmoor = QStringLiteral("Heidmoor   <2>");

}  // namespace

class TestSiteEditing : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;
  trb::app::Session session_;  // the database the windows work on
  trb::db::Database& db_ = session_.db();

  std::unique_ptr<BrowserWindow> openBrowser(bool power = true) {
    auto w = std::make_unique<BrowserWindow>(session_, power);
    session_.setDatabasePath(demo_);
    w->show();
    return w;
  }

  QVariant value(const QString& sql, const QVariantList& binds = {}) {
    return db_.scalar(sql, binds);
  }

 private slots:
  void init() {
    db_.close();
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
    auto store = trb::settings::openStore();
    store->clear();
    trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
    store->sync();
    db_ = trb::db::Database::open(demo_);
  }
  void cleanup() {
    QLocale::setDefault(QLocale::c());
    db_.close();
  }

  void basicInfoSavesWhatIsTyped() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto w = openBrowser();
    trb::gui::SitePage* p = w->sitePage;
    QVERIFY(p->plotEdit->isReadOnly());  // nothing loaded yet
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    QCOMPARE(p->flIdEdit->text(), QStringLiteral("3"));
    QCOMPARE(p->areaEdit->text(), QStringLiteral("0,0288"));
    QVERIFY(p->updateButton->isEnabled());
    QVERIFY(p->printButton->isEnabled());  // the browser prints the site description

    type(p->plotEdit, QStringLiteral("Stallmist \"alt\" O'Neil"));
    type(p->stateEdit, QString());
    type(p->areaEdit, QStringLiteral("12,5"));
    QTest::mouseClick(p->updateButton, Qt::LeftButton);
    QCOMPARE(value(QStringLiteral("select site_description from field_description where fl_id=3"))
                 .toString(),
             QStringLiteral("Stallmist \"alt\" O'Neil"));
    QCOMPARE(
        value(QStringLiteral("select comment from field_description where fl_id=3")).toString(),
        QStringLiteral("?"));
    QCOMPARE(value(QStringLiteral("select area from field_description where fl_id=3")).toDouble(),
             12.5);
    QCOMPARE(value(QStringLiteral("select mw_bat from field_description where fl_id=3")).toDouble(),
             28.5);
    QVERIFY(node(w->tree, QStringLiteral("Stallmist \"alt\" O'Neil")));
    trb::test::screenshot(w.get(), QStringLiteral("site_basic_info"));

    // an area that is no number is refused by name; nothing is saved
    type(p->areaEdit, QStringLiteral("12.5"));
    type(p->sourceEdit, QStringLiteral("P99"));
    QTest::mouseClick(p->updateButton, Qt::LeftButton);
    QVERIFY(takeErrorBox(w.get()).contains(QStringLiteral("area")));
    QCOMPARE(
        value(QStringLiteral("select herkunft from field_description where fl_id=3")).toString(),
        QStringLiteral("P3"));

    // choosing another station saves at once, with the other fields as they stand
    type(p->areaEdit, QStringLiteral("1"));
    QCOMPARE(p->weatherBox->currentText(), QStringLiteral("Kleinhausen"));
    p->weatherBox->setFocus();
    QTest::keyClick(p->weatherBox, Qt::Key_Down);
    QCOMPARE(p->weatherBox->currentText(), QStringLiteral("Heidmoor"));
    QCOMPARE(
        value(QStringLiteral("select climate_id from field_description where fl_id=3")).toInt(), 1);
    QCOMPARE(
        value(QStringLiteral("select herkunft from field_description where fl_id=3")).toString(),
        QStringLiteral("P99"));
  }

  void simpleSoilDescription() {
    auto w = openBrowser();
    trb::gui::SitePage* p = w->sitePage;
    press(w->tree, node(w->tree, QStringLiteral("mineralisch N")));
    p->soilBox->setFocus();
    QTest::keyClick(p->soilBox, Qt::Key_Home);  // "-?-", saved at once
    QCOMPARE(value(QStringLiteral("select soil_id from field_description where fl_id=2")).toInt(),
             -99);

    // a new soil: the required fields are marked until they are given; a taken name gets "1"
    QStringList seen;
    trb::test::answerModal<trb::gui::SimpleSoilDialog>([&seen](trb::gui::SimpleSoilDialog* d) {
      seen << d->nameEdit->text() << d->gravelEdit->text() << d->clayEdit->text()
           << d->siltEdit->text() << d->typeBox->currentText();
      QTest::mouseClick(d->saveButton, Qt::LeftButton);
      seen << takeErrorBox(d);
      const QColor marked(192, 220, 192);
      seen << QString::number(d->nameEdit->palette().color(QPalette::Base) == marked)
           << QString::number(d->clayEdit->palette().color(QPalette::Base) == marked)
           << QString::number(d->typeBox->styleSheet().contains(marked.name()))
           << QString::number(d->siltEdit->palette().color(QPalette::Base) == marked);
      trb::test::screenshot(d, QStringLiteral("site_simple_soil"));
      type(d->nameEdit, QStringLiteral("Heidmoor Sand-Braunerde"));
      d->typeBox->setCurrentText(QStringLiteral("lS"));
      type(d->clayEdit, QStringLiteral("7"));
      QTest::mouseClick(d->saveButton, Qt::LeftButton);
    });
    QTest::mouseDClick(p->soilBox, Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"-?-", "0", "?", "-99", "?",
                                "Satz kann nicht gespeichert werden|Bitte alle Pflicht-Daten "
                                "eingeben !",
                                "1", "1", "1", "0"}));
    QCOMPARE(p->soilBox->currentText(), QStringLiteral("Heidmoor Sand-Braunerde1"));
    QCOMPARE(value(QStringLiteral("select soil_id from field_description where fl_id=2")).toInt(),
             4);
    QCOMPARE(value(QStringLiteral("select BA_RBS from soilproperties where soil_id=4")).toString(),
             QStringLiteral("lS"));

    // an existing soil: the name stays, "esc" keeps it; "delete this soil" leaves "-?-"
    trb::test::answerModal<trb::gui::SimpleSoilDialog>([&seen](trb::gui::SimpleSoilDialog* d) {
      seen = {QString::number(d->nameEdit->isReadOnly()), d->clayEdit->text()};
      QTest::mouseClick(d->escButton, Qt::LeftButton);
    });
    QTest::mouseDClick(p->soilLabel, Qt::LeftButton);
    QCOMPARE(seen, (QStringList{"1", "7"}));
    QCOMPARE(p->soilBox->currentText(), QStringLiteral("Heidmoor Sand-Braunerde1"));
    trb::test::answerModal<trb::gui::SimpleSoilDialog>(
        [](trb::gui::SimpleSoilDialog* d) { QTest::mouseClick(d->deleteButton, Qt::LeftButton); });
    QTest::mouseDClick(p->soilBox, Qt::LeftButton);
    QCOMPARE(p->soilBox->currentText(), QStringLiteral("-?-"));
    QCOMPARE(value(QStringLiteral("select count(*) from soilproperties where soil_id=4")).toInt(),
             0);
    QCOMPARE(value(QStringLiteral("select soil_id from field_description where fl_id=2")).toInt(),
             -99);
  }

  void createExperimentAndAddPlots() {
    auto w = openBrowser();
    const auto& m = w->tree->menus;
    QString shownCode;
    trb::test::answerModal<trb::gui::NewExperimentDialog>(
        [&shownCode](trb::gui::NewExperimentDialog* d) {
          shownCode = d->codeEdit->text();
          QTest::keyClicks(d->nameEdit, QStringLiteral("Neuhof"));
          QTest::mouseClick(d->okButton, Qt::LeftButton);
        });
    choose(w->tree, w->tree->topLevelItem(0), m.createExperiment);
    QCOMPARE(shownCode, QStringLiteral("3"));
    QCOMPARE(plotLabels(w->tree, QStringLiteral("Neuhof   <3>")), QStringList{"-"});

    // right after a rebuild the first plot's source is not known: "??"
    choose(w->tree, plotsOf(w->tree, kHeidmoor), m.addPlot);
    QCOMPARE(plotLabels(w->tree, kHeidmoor).size(), 6);
    QCOMPARE(
        value(QStringLiteral("select herkunft from field_description where fl_id=12")).toString(),
        QStringLiteral("??"));
    QCOMPARE(value(QStringLiteral("select versuch_code from field_description where fl_id=12"))
                 .toString(),
             QStringLiteral("2"));
    // once the first plot is loaded, the new plot takes its source
    press(w->tree, plotsOf(w->tree, kHeidmoor)->child(0));
    choose(w->tree, plotsOf(w->tree, kHeidmoor), m.addPlot);
    QCOMPARE(
        value(QStringLiteral("select herkunft from field_description where fl_id=13")).toString(),
        QStringLiteral("B1"));
    QCOMPARE(value(QStringLiteral("select count(*) from site_state where fl_id=13")).toInt(), 1);
  }

  void deletePlotAndExperiment() {
    auto w = openBrowser();
    const auto& m = w->tree->menus;
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    QString asked;
    trb::test::answerModal<QMessageBox>([&asked](QMessageBox* box) {
      asked = box->windowTitle() + u'|' + box->text();
      box->button(QMessageBox::No)->click();
    });
    choose(w->tree, plotsOf(w->tree, kKleinhausen), m.deletePlot);
    QCOMPARE(asked, QStringLiteral(" Confirm Delete| Do you really want to delete ALL data of plot "
                                   "3 \"Stallmist\" (Kleinhausen <1>) ?"));
    QVERIFY(node(w->tree, QStringLiteral("Stallmist")));
    trb::test::answerModal<QMessageBox>(
        [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    choose(w->tree, plotsOf(w->tree, kKleinhausen), m.deletePlot);
    QVERIFY(!node(w->tree, QStringLiteral("Stallmist")));
    QCOMPARE(plotLabels(w->tree, kKleinhausen).size(), 4);
    QCOMPARE(w->snr, -99);
    QCOMPARE(w->areas->currentWidget(), w->progressPanel);
    for (const char* t :
         {"field_description", "cultivation", "measurements", "site_state", "key2ref2fl"})
      QCOMPARE(value(QStringLiteral("select count(*) from %1 where fl_id=3").arg(t)).toInt(), 0);
    // without a loaded plot there is nothing to delete
    press(w->tree, plotsOf(w->tree, kKleinhausen), Qt::RightButton);
    QTRY_VERIFY(m.plots->isVisible());
    QVERIFY(!m.deletePlot->isEnabled());
    m.plots->close();

    // "ATTENTION !": "esc" keeps the experiment, "delete" removes it with its plots
    for (const bool confirm : {false, true}) {
      asked.clear();
      trb::test::answerModal<trb::gui::DeleteExperimentDialog>(
          [&asked, confirm](trb::gui::DeleteExperimentDialog* d) {
            asked = d->windowTitle() + u'|' + d->textLabel->text();
            trb::test::screenshot(d, QStringLiteral("site_delete_experiment"));
            QTest::mouseClick(confirm ? d->deleteButton : d->escButton, Qt::LeftButton);
          });
      choose(w->tree, node(w->tree, kHeidmoor), m.deleteExperiment);
      QCOMPARE(asked, QStringLiteral("ATTENTION !|Heidmoor   <2>: The Folder will be deleted!"));
      QCOMPARE(node(w->tree, kHeidmoor) == nullptr, confirm);
    }
    QCOMPARE(value(QStringLiteral("select count(*) from field_description")).toInt(), 4);
    QCOMPARE(value(QStringLiteral("select count(*) from experiments")).toInt(), 1);
  }

  // "delete active plot" acts on the node its menu was opened on: a plot node of another
  // experiment deletes that plot, and the question names it with its experiment; the "plots" node
  // of an experiment the loaded plot does not belong to offers nothing to delete.
  void deleteActsOnTheNodeOfTheMenu() {
    auto w = openBrowser();
    const auto& m = w->tree->menus;
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    QCOMPARE(w->snr, 3);
    press(w->tree, plotsOf(w->tree, kHeidmoor), Qt::RightButton);
    QTRY_VERIFY(m.plots->isVisible());
    QVERIFY(!m.deletePlot->isEnabled());
    m.plots->close();

    QTreeWidgetItem* target = plotsOf(w->tree, kHeidmoor)->child(0);
    const qlonglong key = PlotTree::record(target).snr;
    const QString name = target->text(0);
    QString asked;
    trb::test::answerModal<QMessageBox>([&asked](QMessageBox* box) {
      asked = box->text();
      box->button(QMessageBox::Yes)->click();
    });
    choose(w->tree, target, m.deletePlot);
    QCOMPARE(asked, QStringLiteral(" Do you really want to delete ALL data of plot %1 \"%2\" "
                                   "(Heidmoor <2>) ?")
                        .arg(key)
                        .arg(name));
    QCOMPARE(value(QStringLiteral("select count(*) from field_description where fl_id=?"), {key})
                 .toInt(),
             0);
    QVERIFY(!plotLabels(w->tree, kHeidmoor).contains(name));
    // the plot in the pages is the one loaded before
    QCOMPARE(w->snr, 3);
    QCOMPARE(w->sitePage->plotKey(), 3);
    QCOMPARE(value(QStringLiteral("select count(*) from field_description where fl_id=3")).toInt(),
             1);
  }

  // After the loaded plot was deleted nothing of it stays: its lists are empty, and the selection
  // panel of another experiment starts without its "from".
  void deleteClearsTheDeletedPlot() {
    auto w = openBrowser();
    const auto& m = w->tree->menus;
    press(w->tree, node(w->tree, QStringLiteral("Kontrolle (ohne Düngung)")));
    const QString from = w->selectionPanel->repeatControls->fromEdit->text();
    QVERIFY(from != u"-99");
    QVERIFY(w->observationPage->grid->model()->rowCount() > 0);
    QVERIFY(w->managementPage->grid->model()->rowCount() > 0);
    trb::test::answerModal<QMessageBox>(
        [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    choose(w->tree, plotsOf(w->tree, kKleinhausen), m.deletePlot);
    QCOMPARE(w->snr, -99);
    QCOMPARE(w->sitePage->plotKey(), -99);
    QCOMPARE(w->observationPage->grid->model()->rowCount(), 0);
    QCOMPARE(w->managementPage->grid->model()->rowCount(), 0);
    QVERIFY(!w->carbonPage->hasRows());
    choose(w->tree, node(w->tree, kHeidmoor), m.experimentSimulation);
    QCOMPARE(w->selectionPanel->heading->text(), QStringLiteral("Heidmoor"));
    QCOMPARE(w->selectionPanel->repeatControls->fromEdit->text(), QStringLiteral("-99"));
  }

  void shiftExperimentId() {
    // a code that is no positive whole number cannot be shifted
    db_.execute(QStringLiteral(
        "insert into field_description (fl_id, location, versuch_code) values (50, 'Altfeld', 'A1')"));
    auto w = openBrowser();
    const auto& m = w->tree->menus;
    choose(w->tree, node(w->tree, QStringLiteral("Altfeld   <A1>")), m.shiftExperimentId);
    QCOMPARE(takeErrorBox(w.get()),
             QStringLiteral("background adaptation impossible|please change the data manually in "
                            "the database"));

    QStringList seen;
    trb::test::answerModal<trb::gui::ExperimentIdDialog>([&seen](trb::gui::ExperimentIdDialog* d) {
      seen << d->oldLocationEdit->text() << d->oldIdEdit->text() << d->newIdEdit->text();
      type(d->newIdEdit, QStringLiteral("1"));  // Kleinhausen's
      QTest::mouseClick(d->adaptButton, Qt::LeftButton);
      seen << takeErrorBox(d);
      QTest::mouseClick(d->newIdButton, Qt::LeftButton);
      seen << d->newIdEdit->text();
      type(d->newLocationEdit, QStringLiteral("Heidmoor-Ost"));
      trb::test::screenshot(d, QStringLiteral("site_experiment_id"));
      QTest::mouseClick(d->adaptButton, Qt::LeftButton);
    });
    choose(w->tree, node(w->tree, kHeidmoor), m.shiftExperimentId);
    QCOMPARE(seen,
             (QStringList{"Heidmoor", "2", "2",
                          "adapt experiment ID|The ID 1 belongs to another experiment.", "3"}));
    QVERIFY(!node(w->tree, kHeidmoor));
    QCOMPARE(plotLabels(w->tree, QStringLiteral("Heidmoor-Ost   <3>")).size(), 5);
    QCOMPARE(value(QStringLiteral("select location from experiments where vcode='3'")).toString(),
             QStringLiteral("Heidmoor-Ost"));
    QCOMPARE(
        value(QStringLiteral("select count(*) from ref2vcode where versuchs_code='3'")).toInt(), 1);
  }

  void shiftPlotKeys() {
    auto w = openBrowser();
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    QStringList seen;
    trb::test::answerModal<trb::gui::ShiftPlotsDialog>([&seen](trb::gui::ShiftPlotsDialog* d) {
      auto state = [d] {
        return d->minEdit->text() + u'-' + d->maxEdit->text() + u' ' + d->countLabel->text() +
               (d->adaptButton->isEnabled() ? QStringLiteral(" [adapt]") : QString());
      };
      seen << d->locationLabel->text() << d->offsetEdit->text() << state();
      type(d->offsetEdit, QStringLiteral("5"));  // onto Heidmoor's plots 6..10
      seen << state();
      type(d->offsetEdit, QStringLiteral("100"));
      trb::test::screenshot(d, QStringLiteral("site_shift_plots"));
      QTest::mouseClick(d->adaptButton, Qt::LeftButton);
      seen << state();  // the dialog stays with the new range
      QTest::mouseClick(d->closeButton, Qt::LeftButton);
    });
    choose(w->tree, node(w->tree, kKleinhausen), w->tree->menus.shiftPlotIds);
    QCOMPARE(seen,
             (QStringList{
                 "Kleinhausen", "100",
                 "1-5 0 records in destination range ! press ok to start transfer [adapt]",
                 "1-5 5 records in destination range !",
                 "101-105 0 records in destination range ! press ok to start transfer [adapt]"}));
    QCOMPARE(value(QStringLiteral("select count(*) from field_description where fl_id between 101 "
                                  "and 105 and location='Kleinhausen'"))
                 .toInt(),
             5);
    QCOMPARE(
        value(QStringLiteral("select count(*) from site_state where fl_id between 101 and 105"))
            .toInt(),
        5);
    // the tree carries the new keys; the shifted plot that was loaded is forgotten
    QCOMPARE(w->snr, -99);
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    QCOMPARE(w->sitePage->flIdEdit->text(), QStringLiteral("103"));
  }

  void otherWindowsAreAskedThroughSignals() {
    auto w = openBrowser();
    trb::gui::SitePage* p = w->sitePage;
    QList<qlonglong> stations, soilEditor, reports, plotReferences;
    QStringList experimentReferences;
    int parameterEditor = 0;
    connect(p, &trb::gui::SitePage::weatherRequested, this, [&](qlonglong k) { stations << k; });
    connect(p, &trb::gui::SitePage::soilEditorRequested, this,
            [&](qlonglong k) { soilEditor << k; });
    connect(p, &trb::gui::SitePage::siteReportRequested, this, [&](qlonglong k) { reports << k; });
    connect(p, &trb::gui::SitePage::referencesRequested, this,
            [&](qlonglong k) { plotReferences << k; });
    connect(p, &trb::gui::SitePage::parameterEditorRequested, this, [&] { ++parameterEditor; });
    connect(w->tree, &PlotTree::referencesRequested, this,
            [&](const QString& location) { experimentReferences << location; });

    press(w->tree, node(w->tree, QStringLiteral("Fruchtfolge mit Beregnung")));
    QTest::mouseDClick(p->weatherBox, Qt::LeftButton);
    QTest::mouseDClick(p->soilBox, Qt::LeftButton);  // power mode: the parameter editor
    QTest::mousePress(p->soilBox, Qt::RightButton);
    // the browser's own report opens its preview as well
    trb::test::answerModal<QPrintPreviewDialog>([](QPrintPreviewDialog* d) { d->reject(); });
    QTest::mouseClick(p->printButton, Qt::LeftButton);
    QTest::mouseClick(p->referencesButton, Qt::LeftButton);
    choose(w->tree, node(w->tree, kHeidmoor), w->tree->menus.showReferences);
    QCOMPARE(stations, QList<qlonglong>{1});
    QCOMPARE(soilEditor, QList<qlonglong>{2});
    QCOMPARE(parameterEditor, 1);
    QCOMPARE(reports, QList<qlonglong>{7});
    QCOMPARE(plotReferences, QList<qlonglong>{7});
    QCOMPARE(experimentReferences, QStringList{"Heidmoor"});

    // after the climate window: the chooser refilled, the station chosen and saved
    db_.execute(QStringLiteral(
        "insert into climate_station (climate_ID, station) values (5, 'Heidmoor Nord')"));
    w->siteCommands->stationEdited(5);
    QCOMPARE(p->weatherBox->currentText(), QStringLiteral("Heidmoor Nord"));
    QCOMPARE(
        value(QStringLiteral("select climate_id from field_description where fl_id=7")).toInt(), 5);
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    auto w = openBrowser(false);
    trb::gui::SiteCommands* c = w->siteCommands;
    QCOMPARE(c->soilDialog->windowTitle(), QStringLiteral("Bodendaten"));
    QCOMPARE(c->soilDialog->saveButton->text(), QStringLiteral("Satz Speichern"));
    QCOMPARE(c->soilDialog->escButton->text(), QStringLiteral("Abbruch"));
    QCOMPARE(c->soilDialog->deleteButton->text(), QStringLiteral("Satz Löschen"));
    QCOMPARE(c->newExperimentDialog->windowTitle(), QStringLiteral("Neuen Betrieb anlegen"));
    QCOMPARE(c->deleteExperimentDialog->windowTitle(), QStringLiteral("ACHTUNG !"));
    QCOMPARE(c->deleteExperimentDialog->deleteButton->text(), QStringLiteral("Löschen"));
    QCOMPARE(w->sitePage->updateButton->text(), QStringLiteral("Änderung Speichern"));
    QString asked;
    trb::test::answerModal<trb::gui::DeleteExperimentDialog>(
        [&asked](trb::gui::DeleteExperimentDialog* d) {
          asked = d->textLabel->text();
          QTest::mouseClick(d->escButton, Qt::LeftButton);
        });
    choose(w->tree, node(w->tree, kHeidmoor), w->tree->menus.deleteExperiment);
    QCOMPARE(asked, QStringLiteral("Heidmoor   <2>: Der Betrieb wird mit allen Daten gelöscht !"));
    press(w->tree, node(w->tree, QStringLiteral("Stallmist")));
    trb::test::answerModal<trb::gui::SimpleSoilDialog>([](trb::gui::SimpleSoilDialog* d) {
      trb::test::screenshot(d, QStringLiteral("site_simple_soil_de"));
      QTest::mouseClick(d->escButton, Qt::LeftButton);
    });
    QTest::mouseDClick(w->sitePage->soilBox, Qt::LeftButton);
    trb::test::screenshot(w.get(), QStringLiteral("site_basic_info_de"));
    w->resize(640, 420);
    trb::test::screenshot(w.get(), QStringLiteral("site_basic_info_small"));
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }
};

QTEST_MAIN(TestSiteEditing)
#include "tst_site_editing.moc"
