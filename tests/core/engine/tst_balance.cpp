// The yearly balance: the TRB turnover against the worked example, and the walk over plots and
// years (start values, gaps, loop-back, comparison rows) on small input tables.
#include <QSqlQuery>
#include <QtTest>

#include "core/engine/balance.h"
#include "testutil.h"

using trb::engine::BalanceContext;
using trb::engine::PlotState;
using trb::engine::TrbMethod;
using trb::test::TempDb;

namespace {

qint64 r64(long double x) {
  return qRound64(static_cast<double>(x));
}

// Start values of the worked example: Corg 1.2 %, cif 0.3, BD 1.5, no stones.
PlotState workedStart() {
  PlotState st;
  st.corg = 1.2;
  st.cif = 0.3;
  st.bd = 1.5;
  st.I = 16200;
  st.C_dec = 37800;
  return st;
}

// The input tables of the TRB walk, built directly: one row per plot and year in crep_year,
// the soil row in tmp_soil_prop and the BAT in tmp_bat. Plots are selected.
struct WalkDb {
  TempDb t{QStringLiteral("schema")};
  WalkDb() {
    t.db.runNative(QStringLiteral(
        "CREATE TABLE crep_year (FL_ID INTEGER, year_0 INTEGER, Crep REAL, n INTEGER, "
        "year_1 INTEGER, Corg REAL, Norg REAL);"
        "CREATE TABLE tmp_soil_prop (FL_ID INTEGER, soil_ID INTEGER, cif REAL, BD REAL, "
        "skelett REAL, FAT REAL);"
        "CREATE TABLE tmp_bat (FL_ID INTEGER, year_0 INTEGER, BAT REAL);"
        "CREATE TABLE opstab (FL_ID INTEGER, year_ INTEGER, NAME_ TEXT, COPS REAL, ctype TEXT, "
        "K REAL, ETA REAL, CNR REAL, cnr_alt REAL, item_ix INTEGER);"
        "DELETE FROM rs_table; DELETE FROM trb_nresult; DELETE FROM trb_zbv; "
        "DELETE FROM measurements;"));
  }
  // A plot with years first..last (skipping the listed gaps); the start values in startYear.
  void plot(int fl, int first, int last, int startYear, double bat = 30.05,
            const QList<int>& gaps = {}, const QString& comment = QString(), double fat = 20) {
    auto& db = t.db;
    db.execute(QStringLiteral("delete from field_description where fl_id=?"), {fl});
    db.execute(QStringLiteral("delete from site_state where fl_id=?"), {fl});
    db.execute(QStringLiteral("INSERT INTO field_description (FL_ID, versuch_code, Location, "
                              "site_description, comment, soil_ID, climate_ID, mw_bat, area) "
                              "VALUES (?, 'T', 'Test', 'plot', ?, 0, 0, 30, -99)"),
               {fl, comment});
    db.execute(QStringLiteral("INSERT INTO site_state VALUES (?, 1, 0)"), {fl});
    db.execute(QStringLiteral("INSERT INTO tmp_soil_prop VALUES (?, 0, 0.3, 1.5, 0, ?)"),
               {fl, fat});
    for (int y = first; y <= last; ++y) {
      if (gaps.contains(y)) continue;
      const bool start = y == startYear;
      db.execute(QStringLiteral("INSERT INTO crep_year VALUES (?, ?, 0, 1, ?, ?, ?)"),
                 {fl, y, y + 1, start ? 1.2 : -99.9999, start ? 0.12 : -99.9999});
      db.execute(QStringLiteral("INSERT INTO tmp_bat VALUES (?, ?, ?)"), {fl, y, bat});
    }
  }
  // A soil carbon sample: the walk brings it into rs_table for the comparison.
  void measurement(int fl, int year, int yearNum, double value) {
    t.db.execute(QStringLiteral("INSERT INTO measurements (FL_ID, M_IX, year, year_number, "
                                "meas_value) VALUES (?, 7, ?, ?, ?)"),
                 {fl, year, yearNum, value});
  }
  int count(const QString& sql, const QVariantList& binds = {}) {
    return t.db.scalar(sql, binds).toInt();
  }
};

}  // namespace

class TstBalance : public QObject {
  Q_OBJECT

 private slots:
  void workedFirstYear() {
    PlotState st = workedStart();
    const auto f = trb::engine::year_step(st, true, 0, 30.05L);
    QCOMPARE(r64(st.A * 10), 84086LL);
    QCOMPARE(r64(st.S * 10), 278644LL);
    QCOMPARE(r64(st.C_dec * 10), 362729LL);
    QCOMPARE(r64(f.cmin * 10), 15271LL);
    TRB_COMPARE_NEAR(f.cmin, 37800 - st.C_dec, 1e-6);
    QCOMPARE(r64(f.nmin * 100), 17965LL);
  }

  void activeShareAtStart_data() {
    QTest::addColumn<double>("nonBal");
    QTest::addColumn<double>("A");
    QTest::newRow("equilibrium") << 0.0 << 37800.0 * 16 / 61;
    QTest::newRow("half above") << 0.5 << 1.5 * 37800.0 * 16 / 61;
    QTest::newRow("-1 gives 0") << -1.0 << 0.0;
    QTest::newRow("below -1 gives 0") << -3.0 << 0.0;
    QTest::newRow("capped at C_dec") << 5.0 << 37800.0;
  }
  void activeShareAtStart() {
    QFETCH(double, nonBal);
    QFETCH(double, A);
    PlotState st = workedStart();
    // BAT 0: nothing turns over, but the pools are set in the first year
    trb::engine::year_step(st, true, nonBal, 0);
    TRB_COMPARE_NEAR(st.A, A, 1e-6);
    TRB_COMPARE_NEAR(st.S, (37800.0 - A), 1e-6);
  }

  void subStepsAddUp() {
    // 0.25 is two steps of 0.1 and one of 0.05: the same as stepping 0.1, 0.1, 0.05 by hand
    PlotState a = workedStart(), b = workedStart();
    trb::engine::year_step(a, true, 0, 0.25L);
    trb::engine::year_step(b, true, 0, 0.1L);
    trb::engine::year_step(b, false, 0, 0.1L);
    trb::engine::year_step(b, false, 0, 0.05L);
    TRB_COMPARE_NEAR(a.A, b.A, 1e-9);
    TRB_COMPARE_NEAR(a.S, b.S, 1e-9);
  }

  void notillFactor_data() {
    QTest::addColumn<double>("fat");
    QTest::addColumn<double>("factor");
    QTest::addColumn<bool>("clamped");
    QTest::newRow("fat 20") << 20.0 << 0.231 << false;
    QTest::newRow("x = 0") << 1.4586 / 0.2844 << 2.0 / 9 << false;
    QTest::newRow("fat below 5.13") << 2.0 << 2.0 / 9 << true;
    QTest::newRow("very large fat") << 1e9 << 1.0 / 3 << false;
  }
  void notillFactor() {
    QFETCH(double, fat);
    QFETCH(double, factor);
    QFETCH(bool, clamped);
    bool c = false;
    const double f = static_cast<double>(trb::engine::notill_bat(1.0L, fat, &c));
    QVERIFY2(qAbs(f - factor) < 1e-3, qPrintable(QString::number(f)));
    QVERIFY(std::isfinite(f));
    QCOMPARE(c, clamped);
  }

  // The worked year through the walk: the result rows and the comparison row.
  void walkWritesResults() {
    WalkDb w;
    w.plot(1, 1990, 1990, 1990);
    trb::test::RecordingFeedback fb;
    BalanceContext ctx(fb);
    const QStringList& lines = fb.lines;
    TrbMethod m;
    const auto out = trb::engine::run_balance(w.t.db, m, ctx);
    QVERIFY(out.finished);
    QSqlQuery q = w.t.db.query(QStringLiteral("select * from trb_nresult"));
    QVERIFY(q.next());
    QCOMPARE(q.value(QStringLiteral("year")).toInt(), 1990);
    QCOMPARE(qRound64(q.value(QStringLiteral("c_som")).toDouble() * 10), 524729LL);
    QCOMPARE(qRound64(q.value(QStringLiteral("n_org")).toDouble() * 10), 52203LL);
    QCOMPARE(qRound64(q.value(QStringLiteral("n_som")).toDouble() * 1e5), 11601LL);
    QCOMPARE(qRound64(q.value(QStringLiteral("c_mic")).toDouble() * 10), 6054LL);
    QCOMPARE(
        w.t.db.scalar(QStringLiteral("select SIM_value from rs_table where M_IX=-7")).toDouble(),
        1.1661);
    QSqlQuery d = w.t.db.query(QStringLiteral("select * from trb_driver"));
    QVERIFY(d.next());
    QCOMPARE(d.value(QStringLiteral("c_start")).toDouble(), 37800.0);
    QCOMPARE(d.value(QStringLiteral("meas_last")).toDouble(), -99.0);
    QCOMPARE(d.value(QStringLiteral("year_num")).toInt(), 1);
    // the fixture has no climate station, so the plot is not in the site list
    QCOMPARE(lines,
             (QStringList{QStringLiteral("trb running"), QStringLiteral("FL_ID not found =>1")}));
  }

  void walkCases() {
    WalkDb w;
    // plot 1 starts in its third year; plot 2 has a gap in 1993; plot 3 has no start value
    w.plot(1, 1990, 1995, 1992);
    w.plot(2, 1990, 1996, 1990, 30.05, {1993});
    w.plot(3, 1990, 1992, 0);
    w.measurement(1, 1994, 3, 1.1);
    w.measurement(1, 1994, 3, 1.3);  // two samples of one year: both compared
    w.measurement(1, 1990, 1, 1.5);  // before the start: not compared
    trb::test::RecordingFeedback fb;
    BalanceContext ctx(fb);
    const QStringList &lines = fb.lines, &boxes = fb.problems;
    TrbMethod m;
    const auto out = trb::engine::run_balance(w.t.db, m, ctx);
    QVERIFY(out.finished);
    QCOMPARE(out.assessment.n(), 2);
    // plot 1: YEAR_NUM starts at 1 in 1992
    QCOMPARE(w.count(QStringLiteral("select min(year) from trb_nresult where fl_id=1")), 1992);
    QCOMPARE(w.count(QStringLiteral("select year_num from trb_driver where fl_id=1")), 4);
    QCOMPARE(w.count(QStringLiteral("select count(*) from rs_table where fl_id=1 and sim_value>0")),
             5);
    QCOMPARE(w.count(QStringLiteral("select sim_value from rs_table where fl_id=1 and year_=1990")),
             -99);
    // plot 2: simulated up to the gap; its driver row is written
    QVERIFY(lines.contains(QStringLiteral("fl_id2: missed year in management:1993")));
    QCOMPARE(w.count(QStringLiteral("select max(year) from trb_nresult where fl_id=2")), 1992);
    QCOMPARE(w.count(QStringLiteral("select count(*) from trb_driver where fl_id=2")), 1);
    // plot 3: reported and skipped
    QVERIFY(lines.contains(QStringLiteral("missing data for FL_ID3")));
    QVERIFY(boxes.contains(QStringLiteral("ERROR:missing data for FL_ID3")));
    QCOMPARE(w.count(QStringLiteral("select count(*) from trb_driver where fl_id=3")), 0);
    // all plots are in the site list of the fixture? no station rows: each is reported
    QVERIFY(lines.contains(QStringLiteral("FL_ID not found =>1")));
  }

  void loopBack() {
    WalkDb w;
    w.plot(1, 1990, 1992, 1990);
    w.measurement(1, 1991, 2, 1.1);
    w.measurement(1, 1994, 5, 1.1);  // the same year of the second pass, other YEAR_NUM
    trb::test::RecordingFeedback fb;
    BalanceContext ctx(fb);
    ctx.z_anf = 1990;
    ctx.z_cnt = 2;
    TrbMethod m;
    const auto out = trb::engine::run_balance(w.t.db, m, ctx);
    QVERIFY(out.finished);
    QCOMPARE(w.count(QStringLiteral("select count(*) from trb_nresult")), 9);
    QCOMPARE(w.count(QStringLiteral("select max(year) from trb_nresult")), 1998);
    QCOMPARE(w.count(QStringLiteral("select year_num from trb_driver")), 9);
    QCOMPARE(w.count(QStringLiteral("select count(*) from trb_zbv where year_=1990")), 3);
    // the 1991 sample is matched in the first pass (YEAR_NUM 2); 1994 has YEAR_NUM 5 there
    QCOMPARE(out.assessment.n(), 2);

    ctx.z_anf = 1980;  // not among the plot's years: the balance ends
    fb.problems.clear();
    const QStringList& boxes = fb.problems;
    const auto bad = trb::engine::run_balance(w.t.db, m, ctx);
    QVERIFY(!bad.finished);
    QCOMPARE(boxes, (QStringList{QStringLiteral("cycling error:loopback not possible")}));
    // the plot keeps the results of the run before, whole
    QCOMPARE(w.count(QStringLiteral("select year_num from trb_driver")), 9);
    QCOMPARE(w.count(QStringLiteral("select count(*) from trb_nresult")), 9);
  }

  // trb_driver.bat_mean is the mean of the BAT as the years used it. By hand: plot 1 has BAT
  // 30.05, 20 and 40 in 1990 to 1992, mean (30.05 + 20 + 40) / 3 = 90.05 / 3 = 30.016667. Plot 2
  // is untilled with fat 22.7: x = (0.2844 * 22.7 - 1.4586) / 352 = 4.99728 / 352 = 0.0141968,
  // e = exp(2 sqrt(x)) = exp(0.238301) = 1.269091, factor (e + 1) / (3 (e + 2)) = 2.269091 /
  // 9.807273 = 0.231368, so its years of BAT 30 and 45 are used as 6.941 and 10.4116, mean 8.6763.
  void driverBatMean() {
    WalkDb w;
    w.plot(1, 1990, 1992, 1990);
    w.t.db.execute(QStringLiteral("update tmp_bat set BAT=20 where FL_ID=1 and year_0=1991"));
    w.t.db.execute(QStringLiteral("update tmp_bat set BAT=40 where FL_ID=1 and year_0=1992"));
    w.plot(2, 1990, 1991, 1990, 30, {}, QStringLiteral("a NoTill plot"), 22.7);
    w.t.db.execute(QStringLiteral("update tmp_bat set BAT=45 where FL_ID=2 and year_0=1991"));
    trb::test::RecordingFeedback fb;
    BalanceContext ctx(fb);
    TrbMethod m;
    QVERIFY(trb::engine::run_balance(w.t.db, m, ctx).finished);
    auto batMean = [&](int fl) {
      return w.t.db.scalar(QStringLiteral("select bat_mean from trb_driver where fl_id=?"), {fl})
          .toDouble();
    };
    TRB_COMPARE_NEAR(batMean(1), 30.016667, 1e-6);
    TRB_COMPARE_NEAR(batMean(2), 8.6763, 1e-4);
  }

  void emptySelection() {
    WalkDb w;
    trb::test::RecordingFeedback fb;
    BalanceContext ctx(fb);
    const QStringList& lines = fb.lines;
    TrbMethod m;
    QVERIFY(trb::engine::run_balance(w.t.db, m, ctx).finished);
    QCOMPARE(lines, (QStringList{QStringLiteral("trb running")}));
  }
};

QTEST_GUILESS_MAIN(TstBalance)
#include "tst_balance.moc"
