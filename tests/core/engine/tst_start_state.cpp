// The start state of a plot: the in-memory pass against an ordinary calculation, the fit of the
// start deviation on plots made with a known one, the sustained level against a long loop-back
// run, and the refusals.
#include <QSettings>
#include <QSqlQuery>
#include <QtTest>
#include <atomic>

#include "core/db/numbers.h"
#include "core/engine/calculation.h"
#include "core/engine/run_selection.h"
#include "core/engine/start_state.h"
#include "testutil.h"

using trb::engine::Calculation;
using trb::engine::RunSettings;
using trb::engine::SimSwitches;
using trb::engine::StartStateInputs;
using trb::test::TempDb;

class TstStartState : public QObject {
  Q_OBJECT

  QTemporaryDir cwd_;

  RunSettings settings(const QString& path) {
    QSettings none(cwd_.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    RunSettings s = RunSettings::read(none, SimSwitches());
    s.database = path;
    return s;
  }

  // An ordinary calculation of the plot alone, with loop-back passes as given.
  void calculate(TempDb& t, qlonglong plot, int zAnf = -99, int zCnt = 0) {
    trb::engine::selectPlotsForRun(t.db, {plot});
    trb::test::RecordingFeedback fb;
    Calculation c(fb);
    c.settings = settings(t.path);
    c.z_anf = zAnf;
    c.z_cnt = zCnt;
    QVERIFY2(c.calculate(), qPrintable(fb.lines.join(u'\n')));
  }

  StartStateInputs inputs(TempDb& t, qlonglong plot) {
    trb::Feedback silent;
    auto in = trb::engine::read_start_state_inputs(
        t.db, {plot}, trb::engine::preparation_settings(t.db, settings(t.path)), silent);
    return in.front();
  }

  // The plot's stored start deviation set to nonBal (the row inserted or replaced).
  static void setNonBal(TempDb& t, qlonglong plot, double nonBal) {
    trb::engine::write_start_deviation(t.db, plot, nonBal);
  }

  // The simulated soil carbon stock of every year of the plot's last calculation.
  static QList<double> stocks(TempDb& t, qlonglong plot) {
    QList<double> v;
    QSqlQuery q = t.db.query(
        QStringLiteral("select c_som from trb_nresult where fl_id=? order by rowid"), {plot});
    while (q.next()) v << q.value(0).toDouble();
    return v;
  }

 private slots:
  void initTestCase() { QDir::setCurrent(cwd_.path()); }

  // The pass in memory gives every year's stock of an ordinary calculation to the last bit, and
  // its content where the calculation compares a measurement; reading the inputs changes nothing.
  void passEqualsCalculation_data() {
    QTest::addColumn<qlonglong>("plot");
    QTest::addColumn<double>("nonBal");
    QTest::newRow("loess, stored value") << 1LL << -0.1;
    QTest::newRow("loess, manure") << 3LL << 0.7;
    QTest::newRow("sand, active pool empty") << 6LL << -1.0;
    QTest::newRow("no-tillage, beyond the range") << 9LL << 5.0;
  }
  void passEqualsCalculation() {
    QFETCH(qlonglong, plot);
    QFETCH(double, nonBal);
    TempDb t(QStringLiteral("demo"));
    setNonBal(t, plot, nonBal);
    calculate(t, plot);
    const QStringList before = trb::test::dump(t.path);
    const StartStateInputs in = inputs(t, plot);
    QCOMPARE(trb::test::dump(t.path), before);
    QCOMPARE(in.storedNonBal, nonBal);

    const auto pass = trb::engine::simulate_pass(in, nonBal);
    const QList<double> calc = stocks(t, plot);
    QVERIFY(calc.size() > 20);
    QCOMPARE(qsizetype(pass.size()), calc.size());
    for (qsizetype k = 0; k < calc.size(); ++k) QCOMPARE(pass[size_t(k)].stock, calc[k]);
    QSqlQuery q =
        t.db.query(QStringLiteral("select YEAR_, YEAR_NUM, SIM_VALUE from rs_table where fl_id=? "
                                  "and m_ix=7 and sim_value > 0"),
                   {plot});
    int compared = 0;
    while (q.next()) {
      const auto& y = pass[size_t(q.value(1).toLongLong() - 1)];
      QCOMPARE(y.year, q.value(0).toLongLong());
      QCOMPARE(trb::round_to(y.content, 4), q.value(2).toDouble());
      ++compared;
    }
    QVERIFY(compared > 5);
  }

  // Plots made with a known start deviation: its simulated carbon becomes the measurements and
  // its kind -1 row goes. The fit finds the value inside the range, and an end of the range for a
  // value beyond it.
  void fitRecoversKnownValue_data() {
    QTest::addColumn<qlonglong>("plot");
    QTest::addColumn<double>("made");
    QTest::addColumn<double>("expected");
    QTest::addColumn<bool>("onBound");
    QTest::newRow("loess") << 1LL << 0.35 << 0.35 << false;
    QTest::newRow("sand with slurry") << 8LL << 1.8 << 1.8 << false;
    QTest::newRow("no-tillage") << 9LL << -0.6 << -0.6 << false;
    QTest::newRow("beyond the top") << 3LL << 3.5 << trb::engine::kNonBalHighest << true;
    QTest::newRow("the bottom") << 2LL << -1.0 << -1.0 << true;
  }
  void fitRecoversKnownValue() {
    QFETCH(qlonglong, plot);
    QFETCH(double, made);
    QFETCH(double, expected);
    QFETCH(bool, onBound);
    TempDb t(QStringLiteral("demo"));
    setNonBal(t, plot, made);
    calculate(t, plot);
    const double bd =
        t.db.scalar(QStringLiteral("select BD from tmp_soil_prop where fl_id=?"), {plot})
            .toDouble();
    const double sk =
        t.db.scalar(QStringLiteral("select skelett from tmp_soil_prop where fl_id=?"), {plot})
            .toDouble();
    const QList<double> stock = stocks(t, plot);
    const qlonglong first = t.db.scalar(QStringLiteral("select min(year) from trb_nresult where "
                                                       "fl_id=?"),
                                        {plot})
                                .toLongLong();
    t.db.execute(QStringLiteral("delete from measurements where fl_id=? and m_ix in (-1, 7) and "
                                "year_number>0"),
                 {plot});
    t.db.execute(QStringLiteral("delete from measurements where fl_id=? and m_ix=-1"), {plot});
    for (qsizetype k = 2; k < stock.size(); k += 3)
      t.db.execute(QStringLiteral("insert into measurements (fl_id, m_ix, meas_value, [year], "
                                  "[month], [day], year_number) values (?, 7, ?, ?, 9, 1, ?)"),
                   {plot, stock[k] / (bd * 30000) / (1 - sk), first + k, k + 1});

    trb::Feedback silent;
    const trb::engine::NonBalFit fit = trb::engine::fit_non_bal(inputs(t, plot), silent);
    QVERIFY2(std::abs(fit.nonBal - expected) < 1e-4,
             qPrintable(QStringLiteral("fitted %1, made %2").arg(fit.nonBal).arg(made)));
    QCOMPARE(fit.onBound, onBound);
    QCOMPARE(fit.storedNonBal, 0.0);
    QCOMPARE(fit.pairs, int((stock.size() - 2 + 2) / 3));
    QVERIFY(fit.rmseAfter < 1e-6);
    QVERIFY(fit.rmseBefore > 1e-3);
    QCOMPARE(int(fit.curve.size()), trb::engine::kNonBalScanPoints);
    QCOMPARE(fit.curve.front().nonBal, -1.0);
    QCOMPARE(fit.curve.back().nonBal, trb::engine::kNonBalHighest);
  }

  // The level equals the last content of a calculation that loops back over the same years as
  // often as the level took cycles; the cycles before changed by more than the tolerance.
  void levelEqualsLongRun_data() {
    QTest::addColumn<qlonglong>("plot");
    QTest::addColumn<int>("from");  // 0: all years
    QTest::newRow("loess, all years") << 1LL << 0;
    QTest::newRow("manure, from 1995") << 3LL << 1995;
    QTest::newRow("no-tillage, all years") << 9LL << 0;
  }
  void levelEqualsLongRun() {
    QFETCH(qlonglong, plot);
    QFETCH(int, from);
    TempDb t(QStringLiteral("demo"));
    trb::engine::YearSpan span;
    if (from > 0) span.from = from;
    trb::Feedback silent;
    const auto s = trb::engine::sustained_level(inputs(t, plot), span, silent);
    QVERIFY(s.converged);
    QCOMPARE(int(s.levels.size()), s.cycles);
    QVERIFY(s.cycles > 2);
    const auto& l = s.levels;
    QVERIFY(std::abs(l[l.size() - 1] - l[l.size() - 2]) <= 1e-6 * l[l.size() - 2]);
    QVERIFY(std::abs(l[l.size() - 2] - l[l.size() - 3]) > 1e-6 * l[l.size() - 3]);
    QCOMPARE(s.start, t.db.scalar(QStringLiteral("select meas_value from measurements where "
                                                 "fl_id=? and m_ix=7 and year_number=0"),
                                  {plot})
                          .toDouble());

    calculate(t, plot, int(s.from), s.cycles - 1);
    QCOMPARE(t.db.scalar(QStringLiteral("select sim_last from trb_driver where fl_id=?"), {plot})
                 .toDouble(),
             s.level);
    QCOMPARE(stocks(t, plot).last() / 1000, s.levelStock);
  }

  // Refused plots, with the reason; the batch keeps the refusal beside the other plots' results
  // and writes only theirs.
  void refusals_data() {
    QTest::addColumn<QString>("sql");    // run on plot 1 before
    QTest::addColumn<QString>("fit");    // the fit's refusal
    QTest::addColumn<QString>("level");  // the level's, empty: none
    QTest::newRow("no pairs") << "delete from measurements where fl_id=1 and m_ix=7 and "
                                 "year_number>0"
                              << "0 measured soil carbon contents" << QString();
    QTest::newRow("one pair") << "delete from measurements where fl_id=1 and m_ix=7 and "
                                 "year_number>4"
                              << "1 measured soil carbon contents" << QString();
    QTest::newRow("no initial value")
        << "delete from measurements where fl_id=1 and m_ix=7 and year_number=0"
        << "no carbon initial value"
        << "no carbon initial value";
    QTest::newRow("no such plot") << "delete from field_description where fl_id=1"
                                  << "no such plot"
                                  << "no such plot";
    QTest::newRow("no soil profile") << "delete from soilproperties where soil_ID=1"
                                     << "no management years"
                                     << "no management years";
  }
  void refusals() {
    QFETCH(QString, sql);
    QFETCH(QString, fit);
    QFETCH(QString, level);
    TempDb t(QStringLiteral("demo"));
    t.db.execute(sql);
    const auto prep = trb::engine::preparation_settings(t.db, settings(t.path));
    trb::Feedback silent;
    const auto fits = trb::engine::fit_start_plots(t.db, {1, 6}, prep, 2, true, silent);
    QCOMPARE(fits.size(), size_t(2));
    QCOMPARE(fits[0].plot, 1LL);
    QVERIFY(!fits[0].result);
    QVERIFY2(fits[0].refusal.contains(fit), qPrintable(fits[0].refusal));
    QVERIFY(fits[0].refusal.startsWith(QStringLiteral("FL_ID 1: ")));
    // the other plot is fitted and written; the refused one keeps its value
    QVERIFY(fits[1].result);
    QCOMPARE(t.db.scalar(QStringLiteral("select meas_value from measurements where fl_id=6 and "
                                        "m_ix=-1"))
                 .toDouble(),
             fits[1].result->nonBal);
    QCOMPARE(t.db.scalar(QStringLiteral("select count(*) from measurements where fl_id=1 and "
                                        "m_ix=-1 and meas_value=-0.1"))
                 .toInt(),
             1);

    const auto levels = trb::engine::sustained_levels(t.db, {1}, {}, prep, 1, silent);
    QCOMPARE(bool(levels[0].result), level.isEmpty());
    if (!level.isEmpty())
      QVERIFY2(levels[0].refusal.contains(level), qPrintable(levels[0].refusal));
  }

  // A stop asked for while the plots are fitted ends the batch, and nothing is written.
  void stopWritesNothing() {
    TempDb t(QStringLiteral("demo"));
    struct StopLater : trb::Feedback {
      mutable std::atomic<int> asked{0};
      bool isCanceled() const override { return ++asked > 150; }
    } stop;
    const auto prep = trb::engine::preparation_settings(t.db, settings(t.path));
    const QStringList before = trb::test::dump(t.path);
    QVERIFY_THROWS_EXCEPTION(trb::Canceled,
                             trb::engine::fit_start_plots(t.db, {1, 2, 3}, prep, 1, true, stop));
    QVERIFY(stop.asked > 150);
    QCOMPARE(trb::test::dump(t.path), before);
  }

  // A span outside the simulated years, or backwards, is refused.
  void levelRefusesSpan_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::newRow("before the start") << 1970 << 1990;
    QTest::newRow("after the end") << 1990 << 2100;
    QTest::newRow("backwards") << 1995 << 1990;
  }
  void levelRefusesSpan() {
    QFETCH(int, from);
    QFETCH(int, to);
    TempDb t(QStringLiteral("demo"));
    trb::Feedback silent;
    trb::engine::YearSpan span{from, to};
    QVERIFY_THROWS_EXCEPTION(trb::engine::StartStateRefused,
                             trb::engine::sustained_level(inputs(t, 1), span, silent));
  }

  // Writing replaces the first kind -1 row, or makes one on the date of the carbon initial
  // value; the plot's comparison rows go, nothing else changes.
  void writeStartDeviation() {
    TempDb t(QStringLiteral("demo"));
    calculate(t, 1);
    auto count = [&](const QString& sql) { return t.db.scalar(sql).toInt(); };
    const int otherRows = count(QStringLiteral("select count(*) from rs_table where fl_id<>1"));
    QVERIFY(count(QStringLiteral("select count(*) from rs_table where fl_id=1")) > 0);

    auto w = trb::engine::write_start_deviation(t.db, 1, 0.25);
    QVERIFY(!w.inserted);
    QCOMPARE(w.previous.value_or(0), -0.1);
    QCOMPARE(count(QStringLiteral("select count(*) from rs_table where fl_id=1")), 0);
    QCOMPARE(count(QStringLiteral("select count(*) from rs_table where fl_id<>1")), otherRows);

    t.db.execute(QStringLiteral("delete from measurements where m_ix=-1 and fl_id=1"));
    w = trb::engine::write_start_deviation(t.db, 1, -0.5);
    QVERIFY(w.inserted);
    QVERIFY(!w.previous);
    QSqlQuery q = t.db.query(QStringLiteral("select meas_value, [year], [month], [day], "
                                            "year_number from measurements where meas_id=?"),
                             {w.measId});
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), -0.5);
    QCOMPARE(q.value(1).toInt(), 1980);
    QCOMPARE(q.value(2).toInt(), 3);
    QCOMPARE(q.value(4).toInt(), 0);

    QVERIFY_THROWS_EXCEPTION(trb::engine::StartStateRefused,
                             trb::engine::write_start_deviation(t.db, 999, 0.1));
  }
};

QTEST_GUILESS_MAIN(TstStartState)
#include "tst_start_state.moc"
