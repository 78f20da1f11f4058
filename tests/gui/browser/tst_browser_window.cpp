// The experiment browser as a user meets it on a copy of the demo database: the tree and its
// icons, a plot click, the page rules, choosing plots for a run, the files view's filter and the
// German captions.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlTableModel>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "core/app/session.h"
#include "core/browser/browser_service.h"
#include "core/browser/files_view.h"
#include "core/db/database.h"
#include "core/engine/run_selection.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/files_view.h"
#include "gui/browser/list_pages.h"
#include "gui/browser/phase_dialog.h"
#include "gui/browser/repeat_controls.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/selection_panel.h"
#include "gui/browser/site_page.h"
#include "gui/browser/tree_icons.h"
#include "gui/guitest.h"
#include "gui/simulator/simulator_window.h"

using trb::gui::BrowserWindow;
using trb::gui::PlotTree;
namespace Page = trb::gui::Page;
namespace TreeImage = trb::gui::TreeImage;

namespace {

QTreeWidgetItem* node(PlotTree* tree, const QString& label) {
  const auto found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

// A mouse press on a node as the user does it: the node scrolled into view first.
void press(PlotTree* tree, QTreeWidgetItem* item, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QVERIFY(item);
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), button, modifiers, tree->visualItemRect(item).center());
}

QStringList column(const QAbstractItemModel* m, int c) {
  QStringList out;
  for (int r = 0; r < m->rowCount(); ++r) out << m->index(r, c).data().toString();
  return out;
}

const QString kControl = QStringLiteral("Kontrolle (ohne Düngung)");
const QString kMineral = QStringLiteral("mineralisch N");
const QString kManure = QStringLiteral("Stallmist");

}  // namespace

class TestBrowserWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;
  trb::app::Session session_;  // the database the windows work on
  trb::db::Database& db_ = session_.db();
  QString message_;  // text of the last message box answered

  std::unique_ptr<BrowserWindow> openBrowser(bool power = true) {
    auto w = std::make_unique<BrowserWindow>(session_, power);
    session_.setDatabasePath(demo_);
    w->show();
    return w;
  }

  QList<qlonglong> flagged() { return trb::engine::plotsSelectedForRun(db_); }

 private slots:
  void init() {
    db_.close();
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
    auto store = trb::settings::openStore();
    store->clear();
    trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
    trb::settings::writeInt(*store, QStringLiteral("recalc_bat"), 0);
    store->sync();
    db_ = trb::db::Database::open(demo_);
  }
  void cleanup() { db_.close(); }

  void treeShowsEveryExperimentAndPlot() {
    auto w = openBrowser();
    PlotTree* t = w->tree;
    QCOMPARE(w->windowTitle(), QStringLiteral("demo.sqlite"));
    QCOMPARE(w->recordMode, QStringLiteral("LOC"));
    QCOMPARE(t->topLevelItemCount(), 1);
    QTreeWidgetItem* root = t->topLevelItem(0);
    QCOMPARE(root->text(0), QStringLiteral("demo.sqlite"));
    QCOMPARE(PlotTree::imageIndex(root), TreeImage::RootOpen);
    QCOMPARE(root->childCount(), 2);
    for (const auto& [label, plots] : {std::pair{QStringLiteral("Kleinhausen   <1>"), 5},
                                       std::pair{QStringLiteral("Heidmoor   <2>"), 5}}) {
      QTreeWidgetItem* exp = node(t, label);
      QVERIFY2(exp, qPrintable(label));
      // power mode: "files" and "plots"; the demo's experiments have references
      QCOMPARE(exp->childCount(), 2);
      QCOMPARE(exp->child(0)->text(0), QStringLiteral("files"));
      QCOMPARE(PlotTree::imageIndex(exp), TreeImage::ExperimentWithReferences);
      QCOMPARE(exp->child(1)->childCount(), plots);
      // without results every plot shows the plain picture
      for (int i = 0; i < plots; ++i)
        QCOMPARE(PlotTree::imageIndex(exp->child(1)->child(i)), TreeImage::PlotWithoutResults);
    }
    // expanding raises an even index by one, collapsing lowers by one
    QTreeWidgetItem* exp = node(t, QStringLiteral("Heidmoor   <2>"));
    QTreeWidgetItem* plots = exp->child(1);
    QCOMPARE(PlotTree::imageIndex(plots), TreeImage::Plots);
    exp->setExpanded(true);
    QCOMPARE(PlotTree::imageIndex(exp), 19);
    plots->setExpanded(true);
    QCOMPARE(PlotTree::imageIndex(plots), TreeImage::PlotsOpen);
    exp->setExpanded(false);
    QCOMPARE(PlotTree::imageIndex(exp), 18);
    exp->setExpanded(true);
    QCOMPARE(PlotTree::imageIndex(exp), 19);
    QCOMPARE(w->recs, 10);
    // every index the tree uses has a picture of its own
    for (int i : {0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 18, 19})
      QVERIFY(!trb::gui::treeIcon(i).isNull());
  }

  void rootLabel_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("label");
    const QString f35 = QStringLiteral("abcdefghijklmnopqrstuvwxyz_.sqlite");  // 34 + 1
    QTest::newRow("35 characters") << f35 + u'x' << f35 + u'x';
    QTest::newRow("36 characters")
        << f35 + QStringLiteral("xy") << QStringLiteral("abcdefghijklmnop...uvwxyz_.sqlitexy");
  }
  void rootLabel() {
    QFETCH(QString, file);
    QFETCH(QString, label);
    session_.setDatabasePath(user_.path(file));
    auto w = std::make_unique<BrowserWindow>(session_, true);
    w->show();
    QCOMPARE(w->tree->topLevelItem(0)->text(0), label);
    QCOMPARE(w->windowTitle(), file);
  }

  void plotClickShowsSiteListsAndMarker() {
    auto w = openBrowser();
    PlotTree* t = w->tree;
    QTreeWidgetItem* plot = node(t, kMineral);
    press(t, plot);
    QCOMPARE(w->areas->currentWidget(), static_cast<QWidget*>(w->pages));
    QCOMPARE(w->pages->currentIndex(), Page::BasicInfo);
    QVERIFY(PlotTree::isMarked(plot));
    QCOMPARE(w->snr, 2);
    QCOMPARE(w->loadedPlot.herkunft, QStringLiteral("P2"));
    QCOMPARE(w->loadedPlot.dbName, QStringLiteral("Kleinhausen"));
    trb::gui::SitePage* s = w->sitePage;
    QCOMPARE(s->plotEdit->text(), kMineral);
    QCOMPARE(s->sourceEdit->text(), QStringLiteral("P2"));
    QCOMPARE(s->stateEdit->text(), QStringLiteral("FB 12"));
    QCOMPARE(s->flIdEdit->text(), QStringLiteral("2"));
    QCOMPARE(s->batEdit->text(), QLocale().toString(28.5));
    QCOMPARE(s->firstYearEdit->text(), QStringLiteral("1980"));
    QCOMPARE(s->repeatControls->fromEdit->text(), QStringLiteral("1980"));
    QCOMPARE(w->selectionPanel->repeatControls->fromEdit->text(), QStringLiteral("1980"));
    QCOMPARE(s->weatherBox->currentData().toLongLong(), 0);
    QCOMPARE(s->soilBox->currentData().toLongLong(), 1);
    QVERIFY(s->weatherBox->currentText() != QStringLiteral("-?-"));
    // the lists of the plot under the node's label
    QCOMPARE(w->managementPage->heading->text(), kMineral);
    const QAbstractItemModel* mm = w->managementPage->grid->model();
    QCOMPARE(mm->rowCount(),
             db_.scalar(QStringLiteral("select count(*) from cultivation where fl_id=2")).toInt());
    QCOMPARE(mm->headerData(1, Qt::Horizontal).toString(), QStringLiteral("ACTION"));
    QVERIFY(!column(mm, 1).contains(QString()));  // every code has its action name
    QVERIFY(!column(mm, 2).contains(QStringLiteral("?")));
    const QAbstractItemModel* om = w->observationPage->grid->model();
    QCOMPARE(om->rowCount(),
             db_.scalar(QStringLiteral("select count(*) from measurements where fl_id=2")).toInt());
    QCOMPARE(om->headerData(3, Qt::Horizontal).toString(), QStringLiteral("y_nr"));
    QVERIFY(!w->pages->isTabEnabled(Page::CDynamics));
    QVERIFY(!w->pages->isTabVisible(Page::Turnover) && !w->pages->isTabVisible(Page::NBalance));
    QVERIFY(w->pages->isTabVisible(Page::MiscResults));
    // the next press takes the marker to the other node
    QTreeWidgetItem* other = node(t, kManure);
    press(t, other);
    QVERIFY(!PlotTree::isMarked(plot) && PlotTree::isMarked(other));
    QCOMPARE(w->sitePage->sourceEdit->text(), QStringLiteral("P3"));
    // the tree itself never selects
    QVERIFY(t->selectedItems().isEmpty());
    // an experiment click names the experiment the commands act on
    press(t, node(t, QStringLiteral("Heidmoor   <2>")));
    QCOMPARE(w->slvDb, QStringLiteral("Heidmoor"));
    QCOMPARE(w->managementPage->heading->text(), QStringLiteral("Heidmoor   <2>"));
    // found by its key, as after a run
    QVERIFY(w->clickOnPlot(3, QStringLiteral("Kleinhausen")));
    QCOMPARE(w->snr, 3);
    QCOMPARE(w->sitePage->plotEdit->text(), kManure);
    QVERIFY(!w->clickOnPlot(999, QStringLiteral("Kleinhausen")));
    trb::test::screenshot(w.get(), QStringLiteral("browser_plot"));
    w->pages->setCurrentIndex(Page::Management);
    trb::test::screenshot(w.get(), QStringLiteral("browser_management"));
    w->pages->setCurrentIndex(Page::Observation);
    trb::test::screenshot(w.get(), QStringLiteral("browser_observation"));
  }

  void resultIconsFollowRebuild() {
    db_.execute(
        QStringLiteral("insert into rs_table (fl_id, m_ix, year_num, year_, meas_value, sim_value) "
                       "values (2, 7, 0, 1980, 1.1, 1.0)"));
    auto w = openBrowser();
    QCOMPARE(PlotTree::imageIndex(node(w->tree, kMineral)), TreeImage::PlotWithResults);
    QCOMPARE(PlotTree::imageIndex(node(w->tree, kControl)), TreeImage::PlotWithoutResults);
    db_.execute(QStringLiteral("delete from rs_table"));
    w->rebuildTree(0);
    QCOMPARE(PlotTree::imageIndex(node(w->tree, kMineral)), TreeImage::PlotWithoutResults);
  }

  void updateStatisticsStoresThePlotsWithResults() {
    for (int year = 1980; year <= 1984; ++year)
      db_.execute(QStringLiteral("insert into rs_table (fl_id, m_ix, year_num, year_, meas_value, "
                                 "sim_value) values (2, 7, ?, ?, ?, ?)"),
                  {year - 1980, year, 1.0 + 0.01 * (year % 3), 1.0 + 0.01 * (year % 2)});
    auto w = openBrowser();
    trb::test::answerModal<trb::gui::PhaseDialog>([](trb::gui::PhaseDialog* d) {
      d->lateButton->click();
      d->findChild<QPushButton*>(QStringLiteral("continueButton"))->click();
    });
    w->tree->menus.updateStatistics->trigger();
    QCOMPARE(w->phaseSelect, 2);
    // the statistics run as a job; the tree is rebuilt when it has ended
    QTRY_VERIFY(w->tree->isEnabled() && node(w->tree, kMineral));
    QCOMPARE(db_.scalar(QStringLiteral("select count(*) from trb_stat_corg where fl_id=2")).toInt(),
             1);
    QCOMPARE(PlotTree::imageIndex(node(w->tree, kMineral)), TreeImage::PlotWithResults);
  }

  void pageAfterClick_data() {
    QTest::addColumn<bool>("shift");
    QTest::addColumn<bool>("samePlot");
    QTest::addColumn<int>("page");
    QTest::newRow("other plot") << false << false << int(Page::BasicInfo);
    QTest::newRow("other plot, Shift") << true << false << int(Page::Observation);
    QTest::newRow("same plot") << false << true << int(Page::BasicInfo);
    QTest::newRow("same plot, Shift") << true << true << int(Page::Observation);
  }
  void pageAfterClick() {
    QFETCH(bool, shift);
    QFETCH(bool, samePlot);
    QFETCH(int, page);
    auto w = openBrowser();
    press(w->tree, node(w->tree, kControl));
    w->pages->setCurrentIndex(Page::Observation);
    press(w->tree, node(w->tree, samePlot ? kControl : kMineral), Qt::LeftButton,
          shift ? Qt::ShiftModifier : Qt::NoModifier);
    QCOMPARE(w->pages->currentIndex(), page);
  }

  void firstYear_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("firstYear");
    QTest::newRow("initial value") << QString() << "1980";
    QTest::newRow("none") << "delete from measurements where fl_id=1 and year_number=0"
                          << "-99";
    QTest::newRow("set-aside initial value first")
        << "insert into measurements (meas_id, fl_id, m_ix, meas_value, year, month, day, "
           "year_number) values (9999, 1, 7, 0.9, 1975, 1, 1, -99)"
        << "1980";
  }
  void firstYear() {
    QFETCH(QString, change);
    QFETCH(QString, firstYear);
    if (!change.isEmpty()) db_.execute(change);
    auto w = openBrowser();
    press(w->tree, node(w->tree, kControl));
    QCOMPARE(w->sitePage->firstYearEdit->text(), firstYear);
  }

  void selectionRun_data() {
    QTest::addColumn<QStringList>("check");  // plot keys checked in the list
    QTest::addColumn<QList<qlonglong>>("flags");
    QTest::newRow("nothing checked") << QStringList() << QList<qlonglong>();
    QTest::newRow("two plots") << QStringList{"2", "7"} << QList<qlonglong>{2, 7};
  }
  void selectionRun() {
    QFETCH(QStringList, check);
    QFETCH(QList<qlonglong>, flags);
    QDir::setCurrent(user_.dir.path());  // the simulator writes trb_report.txt
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser();
    // "database simulation" from the root's menu
    press(w->tree, w->tree->topLevelItem(0), Qt::RightButton);
    QTRY_VERIFY(w->tree->menus.root->isVisible());
    trb::test::screenshot(w->tree->menus.root, QStringLiteral("browser_root_menu"));
    w->tree->menus.databaseSimulation->trigger();
    w->tree->menus.root->close();
    QCOMPARE(w->areas->currentWidget(), static_cast<QWidget*>(w->selectionPanel));
    trb::gui::SelectionPanel* p = w->selectionPanel;
    QCOMPARE(p->heading->text(), QStringLiteral("choose plots for simulation"));
    QCOMPARE(p->list->count(), 10);
    QCOMPARE(p->repeatControls->fromEdit->text(), QStringLiteral("-99"));
    trb::test::screenshot(w.get(), QStringLiteral("browser_selection"));
    // all, invert: nothing; then the wanted ones
    p->allButton->click();
    QCOMPARE(p->checkedPlots().size(), 10);
    p->invertButton->click();
    QVERIFY(p->checkedPlots().isEmpty());
    for (int i = 0; i < p->list->count(); ++i) {
      const qlonglong key = p->list->item(i)->data(Qt::UserRole).toLongLong();
      if (check.contains(QString::number(key))) p->list->item(i)->setCheckState(Qt::Checked);
    }
    bool sawCalculation = false;
    bool writesDisabled = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      if (sim.isVisible()) {
        sawCalculation |= sim.calculating();
        writesDisabled |= !p->runButton->isEnabled();
      }
    });
    watch.start(5);
    QSignalSpy ended(&session_, &trb::app::Session::runEnded);
    p->runButton->click();
    QVERIFY(ended.wait(120000));
    watch.stop();
    QVERIFY(sawCalculation);
    QVERIFY(writesDisabled);
    QVERIFY(!sim.calculating() && !sim.isVisible());
    QVERIFY(p->runButton->isEnabled());
    QCOMPARE(flagged(), flags);
    // the tree was rebuilt: the calculated plots now have results
    for (qlonglong fl : flags) {
      const QString label =
          db_.scalar(QStringLiteral("select site_description from field_description where fl_id=?"),
                     {fl})
              .toString();
      QCOMPARE(PlotTree::imageIndex(node(w->tree, label)), TreeImage::PlotWithResults);
    }
    QVERIFY(PlotTree::isMarked(w->tree->topLevelItem(0)));
  }

  // A "from" that is no whole number stops the run before anything changes.
  void selectionRunRefusesBadYear() {
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser();
    const QList<qlonglong> before = flagged();
    w->showDatabaseSelection();
    w->selectionPanel->list->item(0)->setCheckState(Qt::Checked);
    w->selectionPanel->repeatControls->fromEdit->setText(QStringLiteral("19x5"));
    message_.clear();
    trb::test::answerModal<QMessageBox>([this](QMessageBox* box) {
      message_ = box->text();
      box->accept();
    });
    w->selectionPanel->runButton->click();
    QVERIFY(message_.contains(QStringLiteral("19x5")));
    QVERIFY(!sim.isVisible());
    QCOMPARE(flagged(), before);
  }

  void phaseDialogReturnsChoice_data() {
    QTest::addColumn<int>("choice");
    QTest::newRow("all records") << 0;
    QTest::newRow("early years") << 1;
    QTest::newRow("late years") << 2;
  }
  void phaseDialogReturnsChoice() {
    QFETCH(int, choice);
    trb::gui::PhaseDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("select temporal phase for statistics"));
    trb::test::answerModal<trb::gui::PhaseDialog>([choice](trb::gui::PhaseDialog* d) {
      QCOMPARE(d->phase(), 0);  // the first choice is set on every showing
      QRadioButton* buttons[] = {d->allButton, d->earlyButton, d->lateButton};
      buttons[choice]->click();
      d->findChild<QPushButton*>(QStringLiteral("continueButton"))->click();
    });
    dialog.earlyButton->setChecked(true);
    QCOMPARE(dialog.choose(), choice);
  }

  void experimentSelectionListsItsPlots() {
    auto w = openBrowser();
    press(w->tree, node(w->tree, QStringLiteral("Heidmoor   <2>")), Qt::RightButton);
    QTRY_VERIFY(w->tree->menus.experiment->isVisible());
    QCOMPARE(w->slvDb, QStringLiteral("Heidmoor"));
    w->tree->menus.experimentSimulation->trigger();
    w->tree->menus.experiment->close();
    QCOMPARE(w->selectionPanel->heading->text(), QStringLiteral("Heidmoor"));
    QCOMPARE(w->selectionPanel->list->count(), 5);
    QVERIFY(w->selectionPanel->list->item(0)->text().contains(QStringLiteral("===>")));
  }

  void filesViewFilter() {
    auto w = openBrowser();
    press(w->tree, node(w->tree, QStringLiteral("Kleinhausen   <1>"))->child(0));
    trb::gui::FilesView* f = w->filesView;
    QCOMPARE(w->areas->currentWidget(), static_cast<QWidget*>(f));
    QCOMPARE(f->plots()->rowCount(), 5);
    QCOMPARE(f->conditionEdit->text(), QStringLiteral("1=1"));
    // a plot row restricts the lower grids
    f->plotGrid->setCurrentIndex(f->plots()->index(0, 0));
    QCOMPARE(f->management()->filter(), QStringLiteral("fl_id=1"));
    trb::test::screenshot(w.get(), QStringLiteral("browser_files"));
    f->lowerPages->setCurrentWidget(f->observationGrid);
    const int measured = f->observations()->rowCount();
    // applied twice, the plot restriction stays once
    f->conditionEdit->selectAll();
    QTest::keyClicks(f->conditionEdit, QStringLiteral("m_ix=7"));
    // any message box is answered and its text kept
    message_.clear();
    auto answer = [this] {
      trb::test::answerModal<QMessageBox>(
          [this](QMessageBox* box) {
            message_ = box->text();
            box->accept();
          },
          2000);
    };
    answer();
    f->applyBox->setChecked(true);
    QVERIFY2(f->observations()->filter().startsWith(QStringLiteral("(fl_id=1) and (")),
             qPrintable(f->observations()->filter()));
    QVERIFY(f->observations()->rowCount() < measured);
    f->conditionEdit->selectAll();
    QTest::keyClicks(f->conditionEdit, QStringLiteral("year>1990"));
    QVERIFY(!f->applyBox->isChecked());  // editing the condition unchecks
    answer();
    f->applyBox->setChecked(true);
    QVERIFY2(message_.isEmpty(), qPrintable(message_));
    const QString applied = f->observations()->filter();
    QVERIFY2(applied.startsWith(QStringLiteral("((fl_id=1) ) and (")) &&
                 applied.count(QStringLiteral("fl_id")) == 1 &&
                 applied.contains(QStringLiteral("1990")),
             qPrintable(applied));
    // a second statement is refused: a message, nothing runs, the filter stays
    const int before = db_.scalar(QStringLiteral("select count(*) from measurements")).toInt();
    f->conditionEdit->selectAll();
    QTest::keyClicks(f->conditionEdit, QStringLiteral("1=1; delete from measurements"));
    answer();
    f->applyBox->setChecked(true);
    QVERIFY(!message_.isEmpty());
    QVERIFY(!f->applyBox->isChecked());
    QCOMPARE(f->observations()->filter(), applied);
    QCOMPARE(db_.scalar(QStringLiteral("select count(*) from measurements")).toInt(), before);
    // reopening the upper grid clears "apply filter"
    f->conditionEdit->selectAll();
    QTest::keyClicks(f->conditionEdit, QStringLiteral("m_ix=0"));
    f->applyBox->setChecked(true);
    QVERIFY(f->applyBox->isChecked());
    press(w->tree, node(w->tree, QStringLiteral("Kleinhausen   <1>"))->child(0));
    QVERIFY(!f->applyBox->isChecked());
  }

  void germanCaptionsWithoutPowerItems() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    auto w = openBrowser(false);
    QStringList tabs;
    for (int i = 0; i < w->pages->count(); ++i) tabs << w->pages->tabText(i);
    QCOMPARE(tabs, (QStringList{"Standortdaten", "Bewirtschaftung", "Messwerte", "Ergebnisse: Corg",
                                "Ergebnisse: Nt", "Ergebnisse: Cmic", "weitere Ergebnisse",
                                "Humusbilanz", "N-Bilanz"}));
    QVERIFY(!w->pages->isTabVisible(Page::MiscResults));
    QCOMPARE(w->endButton->text(), QStringLiteral("Ende"));
    QCOMPARE(w->sitePage->runButton->text(), QStringLiteral("Modell_Start"));
    QVERIFY(!w->sitePage->referencesButton->isVisibleTo(w->sitePage));
    QCOMPARE(w->selectionPanel->runButton->text(), QStringLiteral("Modellstart für Auswahl"));
    QCOMPARE(w->selectionPanel->allButton->text(), QStringLiteral("alles"));
    QCOMPARE(w->selectionPanel->noneButton->text(), QStringLiteral("nichts"));
    QCOMPARE(w->selectionPanel->invertButton->text(), QStringLiteral("invers"));
    QCOMPARE(w->managementPage->grid->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("Datum"));
    // no "Tabellen" node; the plots node in German
    QTreeWidgetItem* exp = node(w->tree, QStringLiteral("Kleinhausen   <1>"));
    QCOMPARE(exp->childCount(), 1);
    QCOMPARE(exp->child(0)->text(0), QStringLiteral("Schläge"));
    auto visibleTexts = [](QMenu* m) {
      QStringList out;
      for (QAction* a : m->actions())
        if (a->isVisible()) out << a->text();
      return out;
    };
    const auto& menus = w->tree->menus;
    QCOMPARE(visibleTexts(menus.experiment), (QStringList{"Betrieb löschen", "Betrieb rechnen"}));
    QCOMPARE(visibleTexts(menus.root),
             (QStringList{"neuer Betrieb", "Datenbank rechnen", "Bericht: Standorte"}));
    QCOMPARE(visibleTexts(menus.plots),
             (QStringList{"neue Fläche anlegen", "akt. Fläche löschen"}));
    press(w->tree, node(w->tree, QStringLiteral("Kleinhausen   <1>")), Qt::RightButton);
    QTRY_VERIFY(menus.experiment->isVisible());
    trb::test::screenshot(menus.experiment, QStringLiteral("browser_experiment_menu_de"));
    menus.experiment->close();
    press(w->tree, node(w->tree, kControl));
    trb::test::screenshot(w.get(), QStringLiteral("browser_plot_de"));
    w->pages->setCurrentIndex(Page::Management);
    trb::test::screenshot(w.get(), QStringLiteral("browser_management_de"));
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }

  void endFollowsPowerMode() {
    auto w = openBrowser(true);
    w->endButton->click();
    QVERIFY(!w->isVisible());
    // outside power mode "End" closes the main window
    QWidget main;
    main.show();
    auto compact = openBrowser(false);
    compact->setMainWindow(&main);
    compact->endButton->click();
    QVERIFY(!main.isVisible());
  }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browser_window.moc"
