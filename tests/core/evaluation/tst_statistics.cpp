#include <QSettings>
#include <QSqlRecord>
#include <QtTest>
#include <cmath>

#include "core/db/database.h"
#include "core/engine/calculation.h"
#include "core/evaluation/statistics.h"
#include "testutil.h"

using trb::evaluation::StatSets;
using trb::evaluation::Tstat_set;

namespace {

struct Pair {
  int year;
  double o, s;
};
// Five pairs whose statistics were worked out independently with exact fractions.
const Pair kPairs[] = {{2001, 1.20, 1.25},
                       {2002, 1.35, 1.30},
                       {2003, 1.10, 1.18},
                       {2004, 1.50, 1.41},
                       {2005, 1.42, 1.47}};

Tstat_set knownSet() {
  Tstat_set set(QStringLiteral("trb_stat_corg"));
  set.reset(QStringLiteral("7"));
  for (const Pair& p : kPairs) set.add_pair(p.year, true, p.o, p.s);
  return set;
}

// The text after a label in the statistics lines; empty when the label is missing.
QString after(const QStringList& lines, const QString& label) {
  for (const QString& l : lines)
    if (l.startsWith(label)) return l.mid(label.size());
  return QString();
}

// Plot 7: the known pairs with an initial value and a year without measurement; plot 8: two
// pairs with equal simulated values, one observation 0; plot 9: fifteen years for the phases;
// plot 10: a single pair; plot 11: no results.
void buildPlots(trb::db::Database& db) {
  QString sql = QStringLiteral(
      "INSERT INTO field_description (FL_ID, versuch_code, Location, site_description, "
      "climate_ID) VALUES (7,'V','L','p7',0),(8,'V','L','p8',0),(9,'V','L','p9',0),"
      "(10,'V','L','p10',0),(11,'V','L','p11',0);"
      "INSERT INTO rs_table (FL_ID, M_IX, YEAR_, YEAR_NUM, MEAS_VALUE, SIM_value) VALUES "
      "(7,7,2000,0,1.3,1.3),(7,-7,2006,6,-99,1.5),(7,-7,2007,7,-99,-99)");
  int num = 1;
  for (const Pair& p : kPairs)
    sql += QStringLiteral(",(7,7,%1,%2,%3,%4)").arg(p.year).arg(num++).arg(p.o).arg(p.s);
  sql += QStringLiteral(",(8,7,2001,1,0,1.2),(8,7,2002,2,1.1,1.2),(10,7,2001,1,1.1,1.2)");
  for (int y = 0; y <= 15; ++y)
    sql += QStringLiteral(",(9,7,%1,%2,%3,%4)").arg(2000 + y).arg(y).arg(1 + y / 100.0).arg(1.05);
  sql += u';';
  for (int y = 0; y <= 15; ++y) {
    sql += QStringLiteral(
               "INSERT INTO measurements (FL_ID, M_IX, month, year, year_number, meas_value) "
               "VALUES (9,5,6,%1,%2,%3),(9,0,6,%1,%2,%4);"
               "INSERT INTO trb_nresult (FL_ID, year, c_mic, n_som) VALUES (9,%1,%5,%6);")
               .arg(2000 + y)
               .arg(y)
               .arg(300 + y)
               .arg(0.1 + y / 1000.0)
               .arg(310 - y)
               .arg(0.11);
  }
  db.runNative(sql);
}

}  // namespace

class TstStatistics : public QObject {
  Q_OBJECT
 private slots:
  void knownPairs_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<double>("expected");
    QTest::newRow("n") << " N         =" << 5.0;
    QTest::newRow("mean error") << " mean error=" << -0.008;
    QTest::newRow("relative error") << " rel.err[%]=" << -0.60882800608828;
    QTest::newRow("E%") << " E%        =" << -1.0513633992507232;
    QTest::newRow("RMSE") << " RMSE      =" << 0.066332495807108;
    QTest::newRow("RMSE%") << " RMSE%     =" << 5.048135145137595;
    QTest::newRow("efficiency") << " efficiency=" << 0.7922960725075529;
    QTest::newRow("s") << " s  =" << 0.07362064927722385;
    QTest::newRow("smw") << " smw=" << 0.03292415526630865;
    QTest::newRow("critical r") << "critical r value =" << 0.8783365276206914;
    QTest::newRow("r obs~sim") << " corr.(obs~sim) r=" << 0.9113209811388577;
    QTest::newRow("r dif~t") << " corr.(dif~ t } r=" << 0.08590735591751156;
    QTest::newRow("SB") << "squared bias=" << 6.4e-05;
    QTest::newRow("NU") << "nonunity slp=" << 0.0024552938066465255;
    QTest::newRow("LC") << "lack of corr=" << 0.0018807061933534743;
  }
  void knownPairs() {
    QFETCH(QString, label);
    QFETCH(double, expected);
    Tstat_set set = knownSet();
    set.show(QLocale::c());
    const QString text = after(set.lines(), label);
    QVERIFY2(!text.isEmpty(), qPrintable(label));
    QVERIFY2(std::fabs(text.toDouble() - expected) <= 1e-12 * std::max(1.0, std::fabs(expected)),
             qPrintable(label + text));
  }

  void showOrderAndDecomposition() {
    Tstat_set set = knownSet();
    set.show(QLocale::c());
    const QStringList& l = set.lines();
    QCOMPARE(l.size(), 19);
    QCOMPARE(l.at(0), QStringLiteral(" N         =5"));
    QCOMPARE(l.at(9), QStringLiteral("        no significant bias detected"));
    QCOMPARE(l.at(10).left(18), QStringLiteral("critical r value ="));
    QCOMPARE(l.at(13).left(13), QStringLiteral("squared bias="));
    // the three shares add up to 100, and SB + NU + LC is RMSE²
    double shares = 0;
    for (int i : {14, 16, 18}) {
      QVERIFY(l.at(i).startsWith(QStringLiteral("       (")) && l.at(i).endsWith(u"%)"));
      shares += l.at(i).mid(8).chopped(2).toDouble();
    }
    TRB_COMPARE_NEAR(shares, 100, 1e-9);
    QVERIFY(std::fabs(double(set.sb + set.nu + set.lc - set.rmse * set.rmse)) < 1e-15);
    TRB_COMPARE_NEAR(double(set.sb + set.nu + set.lc), 0.0044, 1e-15);
  }

  void rCrit_data() {
    QTest::addColumn<int>("n");
    QTest::addColumn<double>("expected");
    QTest::newRow("2") << 2 << -99.0;
    QTest::newRow("3") << 3 << 12.71 / std::sqrt(12.71 * 12.71 + 1);
    QTest::newRow("5") << 5 << 0.8783365276206914;
    QTest::newRow("61") << 61 << 2.001 / std::sqrt(2.001 * 2.001 + 59);
    QTest::newRow("62") << 62 << -99.0;
  }
  void rCrit() {
    QFETCH(int, n);
    QFETCH(double, expected);
    TRB_COMPARE_NEAR(trb::evaluation::r_crit(n), expected, 1e-14);
  }

  void twoPairsHaveNoCriticalLine() {
    Tstat_set set;
    set.reset(QStringLiteral("1"));
    set.add_pair(2001, true, 1.0, 1.1);
    set.add_pair(2002, true, 1.4, 1.2);
    set.show(QLocale::c());
    QVERIFY(after(set.lines(), QStringLiteral("critical r value =")).isEmpty());
    QVERIFY(!after(set.lines(), QStringLiteral(" corr.(obs~sim) r=")).isEmpty());
  }

  // Only pairs with a positive simulated value and the admitted flag count; every admitted
  // observation is plotted, every positive simulated value drawn on the line.
  void admission_data() {
    QTest::addColumn<bool>("admitted");
    QTest::addColumn<double>("sim");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("observations");
    QTest::addColumn<int>("line");
    QTest::newRow("measured") << true << 1.2 << 3 << 6 << 3;
    QTest::newRow("year without measurement") << false << 1.2 << 2 << 4 << 3;
    QTest::newRow("simulated 0") << true << 0.0 << 2 << 6 << 2;
    QTest::newRow("simulated negative") << true << -99.0 << 2 << 6 << 2;
  }
  void admission() {
    QFETCH(bool, admitted);
    QFETCH(double, sim);
    QFETCH(int, n);
    QFETCH(int, observations);
    QFETCH(int, line);
    Tstat_set set;
    set.reset(QStringLiteral("1"));
    set.add_pair(2001, true, 1.0, 1.1);
    set.add_pair(2002, admitted, 1.3, sim);
    set.add_pair(2003, true, 1.4, 1.2);
    QCOMPARE(set.n, n);
    QCOMPARE(set.chart().series[1].points.size(), observations);
    QCOMPARE(set.chart().series[0].points.size(), line);
    QVERIFY(set.chart().series[0].line && !set.chart().series[1].line);
    set.show(QLocale::c());
    QCOMPARE(after(set.lines(), QStringLiteral(" N         =")), QString::number(n));
  }

  void fewerThanTwoPairsShowNothing() {
    Tstat_set set;
    set.reset(QStringLiteral("1"));
    set.add_pair(2001, true, 1.0, 1.1);
    set.add_pair(2002, true, 1.3, 1.2);
    set.add_pair(2003, false, 1.6, 1.25);
    set.show(QLocale::c());
    QVERIFY(!set.lines().isEmpty());
    set.reset(QStringLiteral("1"));
    set.add_pair(2001, true, 1.0, 1.5);
    set.show(QLocale::c());
    QVERIFY(set.lines().isEmpty());
    // the chart is still given its ranges
    QCOMPARE(set.chart().value_min, 1.0);
    QCOMPARE(set.chart().value_max, 1.5);
    QCOMPARE(set.chart().year_min, 2001);
    QVERIFY(!set.chart().autoscale && !set.chart().suspended);
  }

  void observationsOfOneYear() {
    Tstat_set set;
    set.reset(QStringLiteral("1"));
    set.add_pair(2001, true, 1.0, 1.1);
    set.add_pair(2001, true, 2.0, 1.1);
    set.add_pair(2001, true, 3.0, 1.1);
    const auto ys = [&](int series) {
      QList<double> y;
      for (const QPointF& p : set.chart().series[size_t(series - 1)].points) y << p.y();
      return y;
    };
    QCOMPARE(ys(2), (QList<double>{1.0, 1.0}));
    QCOMPARE(ys(3), (QList<double>{1.0, 2.0}));
    QCOMPARE(ys(4), (QList<double>{1.0, 3.0}));
    for (int s = 5; s <= 12; ++s) QCOMPARE(ys(s), QList<double>{1.0});
    // beyond eleven, the rest of a year goes to the last series
    for (int i = 4; i <= 13; ++i) set.add_pair(2001, true, i, 1.1);
    QCOMPARE(ys(12), (QList<double>{1.0, 11.0, 12.0, 13.0}));
  }

  // A run of one plot prints the mean error, RMSE, s and smw that the plot's statistics show: both
  // take the pairs as rs_table keeps them.
  void runSummaryAgreesWithStatistics() {
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());  // the run's report file
    trb::test::TempDb t(QStringLiteral("demo"));
    const qlonglong plot =
        t.db.scalar(QStringLiteral("select min(FL_ID) from measurements where M_IX=7"))
            .toLongLong();
    t.db.execute(QStringLiteral("update site_state set status=iif(FL_ID=?, 1, 0)"), {plot});
    t.db.close();
    trb::Feedback silent;
    trb::engine::Calculation calc(silent);
    QSettings none(dir.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    calc.settings = trb::settings::RunSettings::read(none, calc.switches);
    calc.settings.database = t.path;
    QVERIFY2(calc.calculate(), qPrintable(calc.stopReason));
    t.db = trb::db::Database::open(t.path);
    StatSets sets;
    trb::evaluation::result_auswertung(t.db, sets, QString::number(plot), false, 0);
    const QStringList& stats = sets.corg.lines();
    QVERIFY2(!after(calc.messages, QStringLiteral(" mean error=")).isEmpty(),
             qPrintable(calc.messages.join(u'\n')));
    QCOMPARE(after(calc.messages, QStringLiteral(" N=")),
             after(stats, QStringLiteral(" N         =")));
    QCOMPARE(after(calc.messages, QStringLiteral(" mean error=")),
             after(stats, QStringLiteral(" mean error=")));
    QCOMPARE(after(calc.messages, QStringLiteral(" RMSE      =")),
             after(stats, QStringLiteral(" RMSE      =")));
    QCOMPARE(after(calc.messages, QStringLiteral(" s =")), after(stats, QStringLiteral(" s  =")));
    QCOMPARE(after(calc.messages, QStringLiteral(" smw=")), after(stats, QStringLiteral(" smw=")));
  }

  void storedRows() {
    trb::test::TempDb t(QStringLiteral("schema"));
    buildPlots(t.db);
    trb::evaluation::update_statistics(t.db, 0);
    QSqlQuery q = t.db.query(QStringLiteral("select * from trb_stat_corg where fl_id=7"));
    QVERIFY(q.next());
    const auto near = [&](const char* col, double expected) {
      const double v = q.value(QLatin1String(col)).toDouble();
      if (std::fabs(v - expected) > 1e-12 * std::max(1.0, std::fabs(expected)))
        qWarning() << col << v << expected;
      return std::fabs(v - expected) <= 1e-12 * std::max(1.0, std::fabs(expected));
    };
    QCOMPARE(q.value(QStringLiteral("n")).toInt(), 5);
    QVERIFY(near("med", -0.008));
    QVERIFY(near("rms", 0.066332495807108));
    QVERIFY(near("smw", 0.03292415526630865));
    QVERIFY(near("s", 0.07362064927722385));
    QVERIFY(near("rele", -0.60882800608828));
    QVERIFY(near("ef", 0.7922960725075529));
    QVERIFY(near("rmsprz", 5.048135145137595));
    QVERIFY(near("medprz", -1.0513633992507232));
    QVERIFY(near("r_krit", 0.8783365276206914));
    QVERIFY(near("r_sim", 0.9113209811388577));
    QVERIFY(near("r_dif", 0.08590735591751156));
    QVERIFY(near("SB", 6.4e-05));
    QVERIFY(near("NU", 0.0024552938066465255));
    QVERIFY(near("LC", 0.0018807061933534743));

    // one pair: N, RMS and MED only; no results: n 0; what a plot does not get is -99
    q = t.db.query(QStringLiteral("select n, med, smw, ef from trb_stat_corg where fl_id=10"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 1);
    TRB_COMPARE_NEAR(q.value(1).toDouble(), -0.1, 1e-12);
    QCOMPARE(q.value(2).toDouble(), -99.0);
    QCOMPARE(q.value(3).toDouble(), -99.0);
    q = t.db.query(
        QStringLiteral("select n, med, rms, ef, r_krit from trb_stat_corg where fl_id=11"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    for (int i = 1; i <= 4; ++i) QCOMPARE(q.value(i).toDouble(), -99.0);
    q = t.db.query(QStringLiteral("select n, rms from trb_stat_nt where fl_id=11"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 0);
    QCOMPARE(q.value(1).toDouble(), -99.0);

    // soil nitrogen goes to its own table, which has no decomposition columns
    q = t.db.query(QStringLiteral("select n from trb_stat_nt where fl_id=9"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 15);
    QVERIFY(!t.db.hasColumn(QStringLiteral("trb_stat_nt"), QStringLiteral("SB")));
  }

  // An observation of 0 and simulated values without variance: the measures that cannot be
  // computed are not available, the rest is there, and nothing infinite reaches the table.
  void degenerateData() {
    trb::test::TempDb t(QStringLiteral("schema"));
    buildPlots(t.db);
    trb::evaluation::update_statistics(t.db, 0);
    QSqlQuery q = t.db.query(QStringLiteral("select * from trb_stat_corg where fl_id=8"));
    QVERIFY(q.next());
    QCOMPARE(q.value(QStringLiteral("n")).toInt(), 2);
    TRB_COMPARE_NEAR(q.value(QStringLiteral("med")).toDouble(), -0.65, 1e-12);
    TRB_COMPARE_NEAR(q.value(QStringLiteral("rele")).toDouble(), -118.181818181818, 1e-9);
    QCOMPARE(q.value(QStringLiteral("medprz")).toDouble(), -99.0);
    for (const char* c : {"SB", "NU", "LC", "r_sim", "r_dif", "r_krit"})
      QCOMPARE(q.value(QLatin1String(c)).toDouble(), -99.0);
    for (int i = 0; i < q.record().count(); ++i) QVERIFY(std::isfinite(q.value(i).toDouble()));

    StatSets sets;
    trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("8"), false, 0);
    const QStringList& l = sets.corg.lines();
    QCOMPARE(after(l, QStringLiteral(" E%        =")), QStringLiteral("n.a."));
    QVERIFY(std::fabs(after(l, QStringLiteral(" rel.err[%]=")).toDouble() + 118.181818181818) <
            1e-9);
    QVERIFY(l.contains(QStringLiteral(" error in r calculation ")));
    QVERIFY(after(l, QStringLiteral("squared bias=")).isEmpty());

    // observations summing to 0: the relative measures are not available
    Tstat_set zero;
    zero.reset(QStringLiteral("1"));
    zero.add_pair(2001, true, 0.0, 1.0);
    zero.add_pair(2002, true, 0.0, 1.5);
    zero.show(QLocale::c());
    for (const char* label : {" rel.err[%]=", " E%        =", " RMSE%     ="})
      QCOMPARE(after(zero.lines(), QLatin1String(label)), QStringLiteral("n.a."));
    QCOMPARE(after(zero.lines(), QStringLiteral(" mean error=")), QStringLiteral("-1.25"));
  }

  void phase_data() {
    QTest::addColumn<int>("phase");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("firstYear");
    QTest::newRow("all records") << 0 << 15 << 2001;
    QTest::newRow("early years") << 1 << 7 << 2001;
    QTest::newRow("late years") << 2 << 8 << 2008;
    QTest::newRow("unknown phase") << 3 << 0 << 9999;
  }
  void phase() {
    QFETCH(int, phase);
    QFETCH(int, n);
    QFETCH(int, firstYear);
    trb::test::TempDb t(QStringLiteral("schema"));
    buildPlots(t.db);
    StatSets sets;
    const auto pages =
        trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("9"), false, phase);
    QVERIFY(pages.c_dynamics_enable && pages.micr_bm_visible && pages.n_dynamics_visible);
    for (const Tstat_set* s : {&sets.corg, &sets.mic, &sets.nt}) {
      QCOMPARE(s->n, n);
      QCOMPARE(s->min_year, firstYear);
    }
  }

  void pagesAndFinalValue() {
    trb::test::TempDb t(QStringLiteral("schema"));
    buildPlots(t.db);
    StatSets sets;
    trb::test::RecordingFeedback fb;
    auto pages = trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("7"), false, 0, fb);
    QCOMPARE(fb.progress, (QList<QPair<qint64, qint64>>{{1, 3}, {2, 3}, {3, 3}}));
    QVERIFY(pages.c_dynamics_enable);
    QVERIFY(!pages.micr_bm_visible && !pages.n_dynamics_visible);
    // the last simulated value other than -99
    QCOMPARE(pages.final_sim_carbon, QLocale().toString(1.5));
    pages = trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("11"), false, 0);
    QVERIFY(!pages.c_dynamics_enable);
    QVERIFY(pages.final_sim_carbon.isEmpty());
    QVERIFY_THROWS_EXCEPTION(
        std::invalid_argument,
        trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("7 or 1=1"), false, 0));
  }

  void decimalComma() {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    trb::test::TempDb t(QStringLiteral("schema"));
    buildPlots(t.db);
    StatSets sets;
    trb::evaluation::result_auswertung(t.db, sets, QStringLiteral("7"), false, 0);
    const QString me = after(sets.corg.lines(), QStringLiteral(" mean error="));
    QVERIFY2(me.startsWith(u"-0,00") && !me.contains(u'.'), qPrintable(me));
    TRB_COMPARE_NEAR(QLocale().toDouble(me), -0.008, 1e-15);
    trb::evaluation::update_statistics(t.db, 0);
    QLocale::setDefault(saved);
    const double med =
        t.db.scalar(QStringLiteral("select med from trb_stat_corg where fl_id=7")).toDouble();
    TRB_COMPARE_NEAR(med, -0.008, 1e-15);
    const double rms =
        t.db.scalar(QStringLiteral("select rms from trb_stat_corg where fl_id=7")).toDouble();
    TRB_COMPARE_NEAR(rms, 0.066332495807108, 1e-14);
  }
};

QTEST_GUILESS_MAIN(TstStatistics)
#include "tst_statistics.moc"
