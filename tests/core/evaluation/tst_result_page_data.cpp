// What the result pages read: the comparison of a small hand-checked plot with its statistics
// lines and chart, the yearly carbon fluxes cut by Int, the yearly outputs with their mean,
// minimum and maximum, the nitrogen balance of one plot, and the mean biologically active time
// stored after a run.
#include <QLocale>
#include <QtTest>
#include <algorithm>

#include "core/evaluation/result_pages.h"
#include "testutil.h"

using trb::evaluation::ResultKind;
using trb::evaluation::ResultPageData;

namespace {

// The number after the label of a statistics line, read in the locale it was written in.
double numberAfter(const QString& line, const QString& label, const QLocale& locale = QLocale()) {
  bool ok = false;
  const double v = locale.toDouble(line.mid(label.size()).trimmed(), &ok);
  return ok ? v : qQNaN();
}

// The points of a series in year order, each once.
QList<QPointF> distinct(QList<QPointF> points) {
  const auto less = [](const QPointF& a, const QPointF& b) {
    return a.x() != b.x() ? a.x() < b.x() : a.y() < b.y();
  };
  std::sort(points.begin(), points.end(), less);
  points.erase(std::unique(points.begin(), points.end()), points.end());
  return points;
}

void insertCarbon(trb::db::Database& db, qlonglong plot, int yearNum, int year, int mix, double obs,
                  double sim) {
  db.execute(QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_, YEAR_NUM, MEAS_VALUE, "
                            "SIM_value) values (?, ?, ?, ?, ?, ?)"),
             {plot, mix, year, yearNum, obs, sim});
}

}  // namespace

class TestResultPages : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() { QLocale::setDefault(QLocale::c()); }

  // Three admitted pairs (O 1.0 1.2 1.4, S 1.1 1.1 1.3), the initial value and a simulated year
  // without a measurement: the grid has every row, the statistics count the three, the line
  // takes the year without measurement, and every line is the hand-computed value.
  void carbonPageOfAHandCheckedPlot() {
    trb::test::TempDb t;
    insertCarbon(t.db, 1, 0, 2000, 7, 1.0, 1.0);
    insertCarbon(t.db, 1, 1, 2001, 7, 1.0, 1.1);
    insertCarbon(t.db, 1, 2, 2002, -7, -99, 1.15);
    insertCarbon(t.db, 1, 3, 2003, 7, 1.2, 1.1);
    insertCarbon(t.db, 1, 5, 2005, 7, 1.4, 1.3);
    insertCarbon(t.db, 2, 1, 2001, 7, 9.0, 9.0);  // another plot

    const ResultPageData p = trb::evaluation::read_result_page(t.db, 1, ResultKind::Carbon);
    QCOMPARE(p.columns, (QStringList{"N", "YEAR_", "MEAS_VALUE", "SIM_VALUE"}));
    QCOMPARE(p.rows.size(), 5);
    QCOMPARE(p.rows[2], (QVariantList{2, 2002, -99.0, 1.15}));

    const QList<QPair<QString, double>> expected = {
        {" N         =", 3},
        {" mean error=", 1.0 / 30},
        {" rel.err[%]=", 100.0 / 36},
        {" E%        =", (-0.1 + 0.1 / 1.2 + 0.1 / 1.4) * 100 / 3},
        {" RMSE      =", 0.1},
        {" RMSE%     =", 0.1 * 100 / 1.2},
        {" efficiency=", 0.625},
        {" s  =", std::sqrt(0.04 / 3)},
        {" smw=", std::sqrt(0.04 / 9)},
        {"        no significant bias detected", qQNaN()},
        {"critical r value =", 12.71 / std::sqrt(12.71 * 12.71 + 1)},
        {" corr.(obs~sim) r=", std::sqrt(3.0) / 2},
        {" corr.(dif~ t } r=", std::sqrt(3.0) / 2},
        {"squared bias=", 1.0 / 900},
        {"       (", 100.0 / 9},
        {"nonunity slp=", 0.02 / 3},
        {"       (", 200.0 / 3},
        {"lack of corr=", 0.02 / 9},
        {"       (", 200.0 / 9},
    };
    QCOMPARE(p.statistics.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
      const auto& [label, value] = expected[i];
      QString line = p.statistics[i];
      QVERIFY2(line.startsWith(label), qPrintable(line));
      if (qIsNaN(value)) {
        QCOMPARE(line, label);
        continue;
      }
      if (line.endsWith(u"%)")) line.chop(2);
      TRB_COMPARE_NEAR(numberAfter(line, label), value, 1e-9 * std::max(1.0, std::fabs(value)));
    }

    // the line over every simulated year, the observations of the admitted years
    QCOMPARE(p.chart.simulated.size(), 4);
    QCOMPARE(p.chart.simulated[1], QPointF(2002, 1.15));
    QCOMPARE(p.chart.observed.size(), 11);
    // the first observation of a year goes to every series (the first one twice)
    for (const QList<QPointF>& series : p.chart.observed)
      QCOMPARE(distinct(series), (QList<QPointF>{{2001, 1.0}, {2003, 1.2}, {2005, 1.4}}));
    QCOMPARE(p.chart.yMin, 1.0);
    QCOMPARE(p.chart.yMax, 1.4);
    QCOMPARE(p.chart.xMin, 2001);
    QCOMPARE(p.chart.xMax, 2005);
    QCOMPARE(p.chart.yTitle, QStringLiteral("Corg [%]"));
  }

  // Observations without variance: the efficiency has no value (-9999) and the correlations none.
  void carbonPageWithoutVariance() {
    trb::test::TempDb t;
    insertCarbon(t.db, 1, 1, 2001, 7, 1.5, 1.1);
    insertCarbon(t.db, 1, 2, 2002, 7, 1.5, 1.3);
    insertCarbon(t.db, 1, 3, 2003, 7, 1.5, 1.2);
    const QStringList lines =
        trb::evaluation::read_result_page(t.db, 1, ResultKind::Carbon).statistics;
    QVERIFY(lines.contains(QStringLiteral(" efficiency=-9999")));
    QVERIFY(lines.contains(QStringLiteral(" error in r calculation ")));
    QVERIFY(!lines.join(u'|').contains(QStringLiteral("corr.")));
  }

  // A plot without results: every page empty, the titles still there.
  void pagesOfAPlotWithoutResults() {
    trb::test::TempDb t;
    const auto pages = trb::evaluation::read_comparison_pages(t.db, 1);
    QVERIFY(pages.carbon.rows.isEmpty() && pages.carbon.statistics.isEmpty());
    QVERIFY(pages.nitrogen.rows.isEmpty() && pages.microbial.rows.isEmpty());
    QCOMPARE(pages.microbial.chart.title, QStringLiteral("dynamics of microbial Biomass"));
    for (ResultKind k : {ResultKind::Turnover, ResultKind::NBalance, ResultKind::MiscResults})
      QVERIFY(trb::evaluation::read_result_page(t.db, 1, k).rows.isEmpty());
  }

  // Every flux is the yearly sum cut down to one decimal: 123.46 gives 123.4, -0.06 gives -0.1.
  void turnoverValuesAreCut_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<double>("first");   // year 2000
    QTest::addColumn<double>("second");  // year 2001
    QTest::newRow("SOM gain") << 1 << 123.4 << 0.0;
    QTest::newRow("SOM loss") << 2 << 0.0 << 0.0;
    QTest::newRow("saldo") << 3 << 123.4 << -0.1;
    QTest::newRow("CO2 prod.") << 4 << 0.0 << 0.0;
    QTest::newRow("soil C storage") << 5 << 12.3 << 0.0;
  }
  void turnoverValuesAreCut() {
    QFETCH(int, column);
    QFETCH(double, first);
    QFETCH(double, second);
    trb::test::TempDb t;
    const QString insert = QStringLiteral(
        "insert into trb_zbv (fl_id, year_, C_min_total, c_min_fom, C_rep_flx, C_fom, c_som) "
        "values (?, ?, ?, ?, ?, ?, ?)");
    // two rows in 2000 add up to 123.46
    t.db.execute(insert, {1, 2000, 0.0, 0.0, 100.0, 12000.0, 300.0});
    t.db.execute(insert, {1, 2000, 0.0, 0.0, 23.46, 0.0, 45.0});
    t.db.execute(insert, {1, 2001, 0.06, 0.06, 0.0, 0.0, 0.0});
    t.db.execute(insert, {1, 2001, 0.0, -0.06, 0.0, 0.0, 0.0});
    t.db.execute(insert, {2, 2000, 5.0, 5.0, 5.0, 5.0, 5.0});

    const ResultPageData p = trb::evaluation::read_result_page(t.db, 1, ResultKind::Turnover);
    QCOMPARE(p.columns.size(), 6);
    QCOMPARE(p.rows.size(), 2);
    TRB_COMPARE_NEAR(p.rows[0][column].toDouble(), first, 1e-12);
    TRB_COMPARE_NEAR(p.rows[1][column].toDouble(), second, 1e-12);
  }

  // The chooser picks the plotted column and the value axis' title.
  void turnoverChoices() {
    trb::test::TempDb t;
    t.db.execute(
        QStringLiteral("insert into trb_zbv (fl_id, year_, C_min_total, c_min_fom, "
                       "C_rep_flx, C_fom, c_som) values (1, 2000, 50, 10, 80, 20000, 0)"));
    const QList<double> expected = {80, 40, 50, 20, 40};  // gain, loss, CO2, storage, saldo
    for (int choice = 0; choice < expected.size(); ++choice) {
      const ResultPageData p =
          trb::evaluation::read_result_page(t.db, 1, ResultKind::Turnover, choice);
      QCOMPARE(p.chart.simulated, QList<QPointF>{QPointF(2000, expected[choice])});
      QCOMPARE(p.chart.yTitle, choice == 3 ? QStringLiteral("C-storage(top soil) [t/ha]")
                                           : QStringLiteral("annual C-flux [kg/ha]"));
    }
  }

  // misc.results: the chosen column as a line with its mean, minimum and maximum; soil nitrogen
  // adds the measured values as points.
  void miscResults() {
    trb::test::TempDb t;
    const QString insert = QStringLiteral(
        "insert into trb_nresult (FL_ID, year, n_m_om, n_ops, C_ops, c_som, n_org, n_som, c_mic, "
        "c_rep, bat) values (1, ?, 0, 0, 0, 1000, 100, ?, 0, 0, ?)");
    t.db.execute(insert, {2000, 0.25, 10.0});
    t.db.execute(insert, {2001, 0.5, 20.0});
    t.db.execute(insert, {2002, 0.75, 30.5});
    t.db.execute(
        QStringLiteral("insert into measurements (FL_ID, M_IX, day, month, year, "
                       "year_number, meas_value) values (1, 0, 1, 3, 2001, 1, 0.2)"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    const ResultPageData bat =
        trb::evaluation::read_result_page(t.db, 1, ResultKind::MiscResults, 8);
    QCOMPARE(bat.chart.simulated.size(), 3);
    QCOMPARE(bat.statistics, (QStringList{"Mean=20,1666666666667", "Min=10", "Max=30,5"}));
    QVERIFY(bat.chart.observed.isEmpty());

    const ResultPageData nsom =
        trb::evaluation::read_result_page(t.db, 1, ResultKind::MiscResults, 6);
    QCOMPARE(nsom.chart.observed, QList<QList<QPointF>>{{QPointF(2001, 0.2)}});
    QCOMPARE(nsom.statistics.value(0), QStringLiteral("Mean=0,5"));
  }

  // The mean over the plot's years rounded to one decimal, ties to even; stored with a decimal
  // point whatever the locale; a plot without rows shows "?" and keeps its stored value.
  void meanBat_data() {
    QTest::addColumn<QList<double>>("bats");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<double>("stored");
    QTest::newRow("12.25 down to even") << QList<double>{12.0, 12.5} << "12,2" << 12.2;
    QTest::newRow("12.75 up to even") << QList<double>{12.5, 13.0} << "12,8" << 12.8;
    QTest::newRow("whole") << QList<double>{30.0} << "30" << 30.0;
    QTest::newRow("no row of the plot") << QList<double>{} << "?" << 28.5;
  }
  void meanBat() {
    QFETCH(QList<double>, bats);
    QFETCH(QString, shown);
    QFETCH(double, stored);
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.runNative(
        QStringLiteral("create table tmp_bat (FL_ID integer, year_0 integer, BAT real);"
                       "insert into tmp_bat values (2, 1990, 99);"));
    for (int i = 0; i < bats.size(); ++i)
      t.db.execute(QStringLiteral("insert into tmp_bat values (1, ?, ?)"), {1990 + i, bats[i]});
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(trb::evaluation::store_mean_bat(t.db, 1), shown);
    const QVariant v =
        t.db.scalar(QStringLiteral("select mw_bat from field_description where "
                                   "fl_id=1"));
    QCOMPARE(v.typeId(), QMetaType::Double);
    QCOMPARE(v.toDouble(), stored);
  }
};

QTEST_GUILESS_MAIN(TestResultPages)
#include "tst_result_page_data.moc"
