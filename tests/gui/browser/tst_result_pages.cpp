// A user runs one demo plot from "Basic-Info" and reads its results: the mean biologically active
// time, "C-dynamics" with statistics and chart, the pages a run without repetition adds
// ("OM-turnover", "N-balance" with its chooser), and "==> xls" read back from the written file.
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScatterSeries>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QtTest>
#include <algorithm>
#include <cmath>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/db/numbers.h"
#include "core/engine/run_selection.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/plot_tree.h"
#include "gui/browser/repeat_controls.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/site_page.h"
#include "gui/guitest.h"
#include "gui/simulator/simulator_window.h"
#include "gui/widgets/result_chart.h"
#include "testutil.h"
#include "xlsx_read.h"

using trb::gui::BrowserWindow;
using trb::gui::PlotTree;
using trb::gui::ResultPage;
namespace Page = trb::gui::Page;

namespace {

const QString kControl = QStringLiteral("Kontrolle (ohne Düngung)");

void press(PlotTree* tree, const QString& label) {
  const auto found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
  QVERIFY(!found.isEmpty());
  QTreeWidgetItem* item = found.first();
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
  tree->scrollToItem(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                    tree->visualItemRect(item).center());
}

QList<QPointF> pointsOf(QAbstractSeries* s) {
  return static_cast<QXYSeries*>(s)->points();
}

// The number after the label of a statistics line, read in the user's locale.
double numberAfter(const QStringList& lines, const QString& label) {
  for (const QString& l : lines)
    if (l.startsWith(label)) return QLocale().toDouble(l.mid(label.size()));
  return qQNaN();
}

}  // namespace

class TestResultPagesWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;
  trb::app::Session session_;  // the database the windows work on
  trb::db::Database& db_ = session_.db();

  std::unique_ptr<BrowserWindow> openBrowser(bool power) {
    auto w = std::make_unique<BrowserWindow>(session_, power);
    session_.setDatabasePath(demo_);
    w->resize(1100, 760);
    w->show();
    return w;
  }

  // "model run (plot)" on the control plot; returns when the browser has shown the results. In
  // power mode the user closes the simulator window once the calculation has ended.
  void runControlPlot(BrowserWindow* w, trb::gui::SimulatorWindow& sim, int repeat,
                      bool* sawWait = nullptr) {
    press(w->tree, kControl);
    runLoadedPlot(w, sim, repeat, sawWait);
  }

  // "model run (plot)" on the plot loaded in the pages.
  void runLoadedPlot(BrowserWindow* w, trb::gui::SimulatorWindow& sim, int repeat,
                     bool* sawWait = nullptr) {
    w->sitePage->repeatControls->repeatBox->setValue(repeat);
    QMetaObject::Connection closer;
    bool closedByUser = false;
    if (w->power())
      closer = connect(&sim, &trb::gui::SimulatorWindow::calculationEnded, &sim, [&] {
        QTimer::singleShot(200, &sim, [&] {
          closedByUser = true;
          sim.close();
        });
      });
    bool calculating = false, disabled = false;
    QTimer watch;
    connect(&watch, &QTimer::timeout, [&] {
      if (!sim.isVisible()) return;
      calculating |= sim.calculating();
      disabled |= !w->sitePage->runButton->isEnabled();
    });
    watch.start(5);
    QSignalSpy ended(&session_, &trb::app::Session::runEnded);
    QTest::mouseClick(w->sitePage->runButton, Qt::LeftButton);
    QVERIFY(ended.wait(120000));
    watch.stop();
    disconnect(closer);
    // in power mode the browser waits until the user has read the messages and closed the window
    QCOMPARE(closedByUser, w->power());
    if (sawWait) *sawWait = calculating && disabled;
  }

 private slots:
  void init() {
    db_.close();
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
    QDir::setCurrent(user_.dir.path());  // the simulator writes trb_report.txt here
    auto store = trb::settings::openStore();
    store->clear();
    trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
    store->sync();
    db_ = trb::db::Database::open(demo_);
  }
  void cleanup() {
    db_.close();
    QLocale::setDefault(QLocale::c());
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }

  void singlePlotRun_data() {
    QTest::addColumn<bool>("power");
    QTest::addColumn<int>("repeat");
    QTest::addColumn<QString>("locale");
    // German captions as well
    QTest::newRow("power mode, no repetition, decimal comma") << true << 0 << "de_DE";
    QTest::newRow("power mode, repeated") << true << 2 << "C";
    QTest::newRow("plain, no repetition") << false << 0 << "C";
  }
  void singlePlotRun() {
    QFETCH(bool, power);
    QFETCH(int, repeat);
    QFETCH(QString, locale);
    QLocale::setDefault(QLocale(locale));
    if (locale == u"de_DE") trb::gui::setCaptionLanguage(QStringLiteral("D"));
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser(power);
    bool waited = false;
    runControlPlot(w.get(), sim, repeat, &waited);
    QVERIFY2(waited, "the simulator ran by itself while the run button was disabled");
    QVERIFY(!sim.isVisible() && !sim.calculating());
    QVERIFY(w->sitePage->runButton->isEnabled());
    QCOMPARE(trb::engine::plotsSelectedForRun(db_), QList<qlonglong>{1});
    QCOMPARE(w->sitePage->plotEdit->text(), kControl);  // the plot was reloaded

    // the mean biologically active time, shown in the user's format, stored as a number
    const double bat = trb::round_to(
        db_.scalar(QStringLiteral("select avg(BAT) from tmp_bat where fl_id=1")).toDouble(), 1);
    QCOMPARE(w->sitePage->batEdit->text(), trb::fmt_general(bat));
    QCOMPARE(
        db_.scalar(QStringLiteral("select mw_bat from field_description where fl_id=1")).toDouble(),
        bat);

    // C-dynamics: every carbon row in the grid; N, mean error and RMSE of the admitted pairs
    // computed here from rs_table
    QVERIFY(w->pages->isTabEnabled(Page::CDynamics));
    ResultPage* c = w->carbonPage;
    QCOMPARE(c->model->rowCount(),
             db_.scalar(QStringLiteral("select count(*) from rs_table where abs(m_ix)=7 and "
                                       "fl_id=1"))
                 .toInt());
    QSqlQuery q = db_.query(QStringLiteral(
        "select meas_value, sim_value from rs_table where m_ix=7 and fl_id=1 and year_num>0 and "
        "sim_value>0"));
    int n = 0;
    double d = 0, d2 = 0;
    while (q.next()) {
      const double diff = q.value(0).toDouble() - q.value(1).toDouble();
      ++n;
      d += diff;
      d2 += diff * diff;
    }
    QVERIFY(n >= 3);
    const QStringList lines = c->data().statistics;
    QCOMPARE(lines.value(0), QStringLiteral(" N         =") + QString::number(n));
    TRB_COMPARE_NEAR(numberAfter(lines, QStringLiteral(" mean error=")), d / n, 1e-12);
    TRB_COMPARE_NEAR(numberAfter(lines, QStringLiteral(" RMSE      =")), std::sqrt(d2 / n), 1e-12);
    QCOMPARE(lines.value(1).contains(u','), locale == u"de_DE");
    // outside power mode the list is not shown
    QCOMPARE(c->statistics->isVisibleTo(c), power);
    QCOMPARE(c->statistics->count(), int(lines.size()));
    // the chart: simulated line, the observations as points, the value axis to the tenth
    const QList<QAbstractSeries*> series = c->chart->series();
    QCOMPARE(series.size(), 12);
    QVERIFY(qobject_cast<QLineSeries*>(series[0]) && qobject_cast<QScatterSeries*>(series[1]));
    QList<double> years;  // one observation a year on the demo plot
    for (const QPointF& p : pointsOf(series[1])) years << p.x();
    std::sort(years.begin(), years.end());
    years.erase(std::unique(years.begin(), years.end()), years.end());
    QCOMPARE(years.size(), n);
    QVERIFY(pointsOf(series[0]).size() >= n);
    const auto& chart = c->chart->data();
    QCOMPARE(chart.yMin * 10, std::floor(chart.yMin * 10 + 1e-9));
    QVERIFY(w->pages->isTabVisible(Page::NDynamics));
    QVERIFY(w->pages->isTabVisible(Page::MicrobialBiomass));

    // only a run without repetition adds its carbon fluxes and nitrogen balance
    QCOMPARE(w->pages->isTabVisible(Page::Turnover), repeat == 0);
    QCOMPARE(w->pages->isTabVisible(Page::NBalance), repeat == 0);
    QCOMPARE(w->pages->currentIndex(), repeat == 0 ? Page::Turnover : Page::CDynamics);
    trb::test::screenshot(w.get(), QStringLiteral("results_after_run_") + QTest::currentDataTag());

    if (power) {
      // misc.results: soil nitrogen with the measured values as points; showing the page again
      // starts at the first entry
      ResultPage* misc = w->miscPage;
      w->pages->setCurrentIndex(Page::MiscResults);
      misc->chooser->setCurrentIndex(6);  // N_som
      QCOMPARE(misc->statistics->count(), 3);
      QVERIFY(misc->statistics->item(0)->text().startsWith(QStringLiteral("Mean=")));
      QCOMPARE(pointsOf(misc->chart->series()[0]).size(), misc->model->rowCount());
      QVERIFY(!pointsOf(misc->chart->series()[1]).isEmpty());
      trb::test::screenshot(w.get(), QStringLiteral("results_misc_") + QTest::currentDataTag());
      w->pages->setCurrentIndex(Page::CDynamics);
      w->pages->setCurrentIndex(Page::MiscResults);
      QCOMPARE(misc->chooser->currentIndex(), 0);
      QCOMPARE(misc->chart->series().size(), 1);
      w->pages->setCurrentIndex(repeat == 0 ? Page::Turnover : Page::CDynamics);
    }
    if (repeat != 0) return;
    QCOMPARE(w->turnoverPage->model->rowCount(),
             db_.scalar(QStringLiteral("select count(distinct year_) from trb_zbv where fl_id=1"))
                 .toInt());
    QCOMPARE(w->turnoverPage->chooser->currentIndex(), 0);

    // switching the N-balance choice replaces the curve
    w->pages->setCurrentIndex(Page::NBalance);
    ResultPage* nb = w->nBalancePage;
    const QList<QVariantList> rows = nb->data().rows;
    QVERIFY(!rows.isEmpty());
    const auto column = [&](int col) {
      QList<double> v;
      for (const QVariantList& r : rows) v << r[col].toDouble();
      return v;
    };
    const auto curve = [&] {
      QList<double> v;
      for (const QPointF& p : pointsOf(nb->chart->series()[0])) v << p.y();
      return v;
    };
    QCOMPARE(curve(), column(6));     // saldo
    nb->chooser->setCurrentIndex(5);  // crop uptake
    QCOMPARE(curve(), column(1));
    nb->chooser->setCurrentIndex(1);  // mineralisation
    QCOMPARE(curve(), column(3));
    trb::test::screenshot(w.get(), QStringLiteral("results_n_balance_") + QTest::currentDataTag());
  }

  // Two plots of one name (every new plot is called "-"): after the run the browser shows the
  // plot that was run, found by its key, and "update changes" writes into that plot only.
  void runShowsThePlotThatWasRun() {
    db_.execute(
        QStringLiteral("update field_description set site_description='-', mw_bat=null "
                       "where fl_id in (1, 2)"));
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser(false);
    QTreeWidgetItem* second = w->tree->findPlot(2);
    QVERIFY(second);
    QCOMPARE(second->text(0), QStringLiteral("-"));
    w->tree->scrollToItem(second);
    QTest::mouseClick(w->tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                      w->tree->visualItemRect(second).center());
    QCOMPARE(w->snr, 2);
    runLoadedPlot(w.get(), sim, 0);
    QCOMPARE(w->snr, 2);
    QCOMPARE(w->sitePage->flIdEdit->text(), QStringLiteral("2"));
    QCOMPARE(w->sitePage->plotKey(), 2);
    const QString mwBat = QStringLiteral("select mw_bat from field_description where fl_id=%1");
    QVERIFY(!db_.scalar(mwBat.arg(2)).isNull());
    QCOMPARE(w->sitePage->batEdit->text(), trb::fmt_general(db_.scalar(mwBat.arg(2)).toDouble()));
    QVERIFY(w->pages->isTabVisible(Page::Turnover));
    w->sitePage->updateButton->click();
    QVERIFY(db_.scalar(mwBat.arg(1)).isNull());  // the other "-" is untouched
  }

  // A "from" that is no whole number stops the run before anything changes.
  void badFromStopsTheRun() {
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser(true);
    press(w->tree, kControl);
    const QList<qlonglong> before = trb::engine::plotsSelectedForRun(db_);
    w->sitePage->repeatControls->fromEdit->setText(QStringLiteral("1980.5"));
    QString message;
    trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
      message = box->text();
      box->accept();
    });
    QTest::mouseClick(w->sitePage->runButton, Qt::LeftButton);
    QVERIFY(message.contains(QStringLiteral("1980.5")));
    QVERIFY(!sim.isVisible());
    QCOMPARE(trb::engine::plotsSelectedForRun(db_), before);
  }

  // "==> xls": the proposed name from location, plot and page; the file holds the titles and the
  // grid's numbers as numeric cells.
  void exportReadsBack() {
    trb::gui::SimulatorWindow sim(session_);
    auto w = openBrowser(false);
    runControlPlot(w.get(), sim, 0);
    for (ResultPage* page : {w->carbonPage, w->turnoverPage, w->nBalancePage}) {
      const QString target = user_.path(page->fileTag() + QStringLiteral(".xlsx"));
      QString proposed;
      trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
        proposed = d->selectedFiles().value(0);
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(target);
        static_cast<QDialog*>(d)->accept();
      });
      page->xlsButton->click();
      QCOMPARE(QFileInfo(proposed).fileName(), QStringLiteral("Kleinhausen_") + kControl + u'_' +
                                                   page->fileTag() + QStringLiteral(".xlsx"));
      const trb::test::XlsxSheet sheet = trb::test::readXlsx(target);
      QVERIFY(sheet.ok);
      const trb::evaluation::ResultPageData& data = page->data();
      QCOMPARE(sheet.rowCount(), int(data.rows.size()) + 1);
      QCOMPARE(sheet.at(QStringLiteral("A1")).text, data.columns.value(0));
      QCOMPARE(sheet.at(QStringLiteral("B1")).text, data.columns.value(1));
      QVERIFY(sheet.at(QStringLiteral("A2")).numeric && sheet.at(QStringLiteral("B2")).numeric);
      TRB_COMPARE_NEAR(sheet.at(QStringLiteral("B2")).text.toDouble(), data.rows[0][1].toDouble(),
                       1e-12);
      if (page == w->nBalancePage) {  // the crop's name stays text
        QVERIFY(!sheet.at(QStringLiteral("H2")).numeric);
        QCOMPARE(sheet.at(QStringLiteral("H2")).text, data.rows[0][7].toString());
      }
      if (auto* box = w->findChild<QMessageBox*>(QStringLiteral("sheetSavedBox"))) box->close();
    }
  }

  // The chart as the result report takes it: an SVG file and a picture of any size, drawn
  // without the widget being shown.
  void chartRendersForReports() {
    trb::evaluation::ChartData data;
    data.title = QStringLiteral("dynamics of microbial Biomass");
    data.yTitle = QStringLiteral("Cmic [ppm]");
    data.simulated = {{1990, 300}, {1995, 320}, {2000, 310}};
    data.observed = {{{1990, 290}, {2000, 330}}};
    data.yMin = 290;
    data.yMax = 330;
    data.xMin = 1990;
    data.xMax = 2000;
    trb::gui::ResultChart chart;
    chart.setData(data);
    QCOMPARE(chart.series().size(), 2);

    const QString svg = user_.path(QStringLiteral("plot1.svg"));
    QVERIFY(chart.saveSvg(svg, QSize(600, 400)));
    QFile f(svg);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    QVERIFY(text.contains("<svg") && text.contains("Cmic [ppm]"));
    QVERIFY(!chart.saveSvg(user_.path(QStringLiteral("missing/plot1.svg")), QSize(600, 400)));

    const QImage image = chart.toImage(QSize(320, 240));
    QCOMPARE(image.size(), QSize(320, 240));
    if (const QString shots = qEnvironmentVariable("TRB_SHOTS"); !shots.isEmpty())
      image.save(QDir(shots).filePath(QStringLiteral("result_chart_picture.png")));
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) red += image.pixel(x, y) == qRgb(255, 0, 0);
    QVERIFY2(red > 20, "the observations are drawn as red squares");
  }

  // German captions of the result pages and their choosers.
  void germanCaptions() {
    trb::test::TempDb t(QStringLiteral("empty"));
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    trb::gui::ResultPage turnover(t.db, trb::evaluation::ResultKind::Turnover, true);
    trb::gui::ResultPage carbon(t.db, trb::evaluation::ResultKind::Carbon, true);
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
    QCOMPARE(turnover.chooser->itemText(3), QStringLiteral("C-Vorrat (total) "));
    QCOMPARE(turnover.model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Jahr"));
    QCOMPARE(turnover.title->text(), QStringLiteral("Humusbilanz"));
    QCOMPARE(carbon.model->headerData(3, Qt::Horizontal).toString(), QStringLiteral("modelliert"));
    QCOMPARE(carbon.reportButton->text(), QStringLiteral("Ausgabe"));
  }
};

QTEST_MAIN(TestResultPagesWindow)
#include "tst_result_pages.moc"
