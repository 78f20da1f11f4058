// The humus balance methods LUFA, KOLBE and NULL: their tables, site groups, yearly updates and
// whole calculations on the demo experiments.
#include <QSettings>
#include <QtTest>

#include "core/engine/calculation.h"
#include "core/engine/humus.h"
#include "testutil.h"

using trb::engine::Calculation;
using trb::engine::RunSettings;
using trb::engine::SimSwitches;
using trb::test::TempDb;

namespace {

using Groups = QList<int>;

double num(TempDb& t, const QString& sql, const QVariantList& binds = {}) {
  return t.db.scalar(sql, binds).toDouble();
}

bool hasLine(const QStringList& lines, const QString& start) {
  return std::any_of(lines.begin(), lines.end(),
                     [&](const QString& l) { return l.startsWith(start); });
}

// Carbon stock of a content on the plot's soil, kg per hectare.
double stock(TempDb& t, qlonglong fl, double content) {
  const double bd = num(t, QStringLiteral("select BD from tmp_soil_prop where FL_ID=?"), {fl});
  const double sk = num(t, QStringLiteral("select skelett from tmp_soil_prop where FL_ID=?"), {fl});
  return content * bd * 30000 * (1 - sk);
}

}  // namespace

class TstHumus : public QObject {
  Q_OBJECT

  QTemporaryDir cwd_;

  // The demo experiments with the given plots selected, calculated with a method.
  bool run(TempDb& t, const QString& method, const QList<int>& plots, QStringList* lines,
           QString* why = nullptr) {
    t.db.execute(QStringLiteral("update site_state set status=0"));
    for (int fl : plots)
      t.db.execute(QStringLiteral("update site_state set status=1 where FL_ID=?"), {fl});
    trb::test::RecordingFeedback fb;
    Calculation c(fb);
    c.switches = SimSwitches::parse({QStringLiteral("M=") + method});
    QSettings none(cwd_.filePath(QStringLiteral("none.ini")), QSettings::IniFormat);
    c.settings = RunSettings::read(none, c.switches);
    c.settings.database = t.path;
    const bool ok = c.calculate();
    *lines << fb.lines;
    if (why) *why = c.stopReason;
    return ok;
  }

  // Replaces the management of plot 1 by the given records (FL_ID, year, Macode, Item_IX,
  // Quantity).
  static void manage(TempDb& t, const QList<QVariantList>& records) {
    t.db.execute(QStringLiteral("delete from cultivation where FL_ID=1"));
    for (const QVariantList& r : records)
      t.db.execute(
          QStringLiteral("insert into cultivation (FL_ID, FL_ID_alt, year, Macode, "
                         "Item_IX, Quantity, Sim_Quantity) values (1, 100, ?, ?, ?, ?, ?)"),
          {r.at(0), r.at(1), r.at(2), r.at(3), r.at(3)});
  }

  // One plot for the site groups: soil, start C and N, and a station with one climate row.
  static void sitePlot(TempDb& t, int fl, double fat, double clay, const QString& ba, double c,
                       double n, double rain, double temp) {
    t.db.execute(QStringLiteral("insert into climate_station (climate_ID, station) values (?, ?)"),
                 {fl, QStringLiteral("st") + QString::number(fl)});
    t.db.execute(QStringLiteral("insert into climate_data (climate_ID, year, temperature, "
                                "precipitation) values (?, 2000, ?, ?)"),
                 {fl, temp, rain});
    t.db.execute(QStringLiteral(
                     "insert into field_description (FL_ID, soil_ID, climate_ID) values (?, ?, ?)"),
                 {fl, fl, fl});
    t.db.execute(QStringLiteral("insert into tmp_soil_prop (FL_ID, corg, clay, BA_RBS, FAT, BD, "
                                "skelett, cif) values (?, ?, ?, ?, ?, 1.5, 0, 0.3)"),
                 {fl, c, clay, ba, fat});
    t.db.execute(QStringLiteral("insert into measurements (FL_ID, M_IX, year, year_number, "
                                "meas_value) values (?, 7, 2000, 0, ?), (?, 0, 2000, 0, ?)"),
                 {fl, c, fl, n});
  }

  static void makeTmpSoil(TempDb& t) {
    t.db.runNative(QStringLiteral(
        "CREATE TABLE tmp_soil_prop (FL_ID INTEGER, corg REAL, clay REAL, BA_RBS TEXT COLLATE "
        "NOCASE, FAT REAL, BD REAL, skelett REAL, cif REAL)"));
  }

  static Groups groupsOf(TempDb& t, int fl) {
    Groups g;
    QSqlQuery q = t.db.query(
        QStringLiteral("select standortgr from flid2stgr where FL_ID=? order by standortgr"), {fl});
    while (q.next()) g << q.value(0).toInt();
    return g;
  }

 private slots:
  void initTestCase() { QDir::setCurrent(cwd_.path()); }

  // The site group of one plot from fat, C/N, soil class and climate.
  void siteGroups_data() {
    QTest::addColumn<double>("fat");
    QTest::addColumn<QString>("ba");
    QTest::addColumn<double>("c");
    QTest::addColumn<double>("n");
    QTest::addColumn<double>("rain");
    QTest::addColumn<double>("temp");
    QTest::addColumn<Groups>("groups");
    QTest::newRow("fat 25, C/N 8.8") << 25.0 << "L" << 0.88 << 0.1 << 600.0 << 9.0 << Groups{6};
    QTest::newRow("fat 25, C/N 9.6") << 25.0 << "L" << 0.96 << 0.1 << 600.0 << 9.0 << Groups{5};
    QTest::newRow("C/N 9.04 counts as 9.0")
        << 25.0 << "L" << 0.904 << 0.1 << 600.0 << 9.0 << Groups{6};
    QTest::newRow("fat 27.5: none") << 27.5 << "L" << 0.88 << 0.1 << 600.0 << 9.0 << Groups{};
    QTest::newRow("fat 25 below 500 mm")
        << 25.0 << "L" << 0.88 << 0.1 << 450.0 << 9.0 << Groups{1, 6};
    QTest::newRow("499.5 mm is 500") << 25.0 << "L" << 0.88 << 0.1 << 499.5 << 9.0 << Groups{6};
    QTest::newRow("fat 18, warm") << 18.0 << "L" << 1.0 << 0.1 << 600.0 << 8.6 << Groups{5};
    QTest::newRow("fat 18, 8.5 degrees") << 18.0 << "L" << 1.0 << 0.1 << 600.0 << 8.5 << Groups{4};
    QTest::newRow("fat 18, 8.59 degrees is 8.5")
        << 18.0 << "L" << 1.0 << 0.1 << 600.0 << 8.59 << Groups{4};
    QTest::newRow("fat 10, warm") << 10.0 << "lS" << 1.0 << 0.1 << 600.0 << 9.0 << Groups{3};
    QTest::newRow("fat 10, cool") << 10.0 << "lS" << 1.0 << 0.1 << 600.0 << 8.0 << Groups{2};
    QTest::newRow("fat 8, C/N 14") << 8.0 << "S" << 1.4 << 0.1 << 600.0 << 9.0 << Groups{1};
    QTest::newRow("fat 8, C/N 13.9") << 8.0 << "S" << 1.39 << 0.1 << 600.0 << 9.0 << Groups{3};
    QTest::newRow("fat 28, sL in any case")
        << 28.0 << "sL" << 1.0 << 0.1 << 600.0 << 9.0 << Groups{2};
    QTest::newRow("fat 29, L") << 29.0 << "L" << 1.0 << 0.1 << 600.0 << 9.0 << Groups{};
    QTest::newRow("fat 29.5, L") << 29.5 << "L" << 1.0 << 0.1 << 600.0 << 9.0 << Groups{2};
    QTest::newRow("fat 40, T, wet") << 40.0 << "T" << 1.0 << 0.1 << 750.0 << 9.0 << Groups{1, 2};
    QTest::newRow("fat 40, T, 700 mm") << 40.0 << "T" << 1.0 << 0.1 << 700.0 << 9.0 << Groups{2};
  }
  void siteGroups() {
    QFETCH(double, fat);
    QFETCH(QString, ba);
    QFETCH(double, c);
    QFETCH(double, n);
    QFETCH(double, rain);
    QFETCH(double, temp);
    QFETCH(Groups, groups);
    TempDb t;
    makeTmpSoil(t);
    sitePlot(t, 3, fat, 20, ba, c, n, rain, temp);
    trb::test::RecordingFeedback fb;
    const QStringList& lines = fb.lines;
    trb::engine::build_site_groups(t.db, fb);
    QCOMPARE(groupsOf(t, 3), groups);
    // one line for a plot without a group or with more than one
    if (groups.isEmpty())
      QCOMPARE(lines, QStringList{"fl_id3: no site group, its crops change no humus"});
    else if (groups.size() == 2)
      QCOMPARE(lines, QStringList{QStringLiteral("fl_id3: site groups %1, %2, the humus change of "
                                                 "its crops counts once for each")
                                      .arg(groups[0])
                                      .arg(groups[1])});
    else
      QVERIFY(lines.isEmpty());
  }

  // Two plots that differ only in clay share their site-group rows; each still has its group
  // once, and a plot without start nitrogen has none.
  void siteGroupsSharedAndMissing() {
    TempDb t;
    makeTmpSoil(t);
    sitePlot(t, 1, 25, 20, QStringLiteral("L"), 0.88, 0.1, 600, 9);
    sitePlot(t, 2, 25, 30, QStringLiteral("L"), 0.88, 0.1, 600, 9);
    sitePlot(t, 4, 25, 30, QStringLiteral("L"), 0.88, 0.1, 600, 9);
    t.db.execute(QStringLiteral("delete from measurements where FL_ID=4 and M_IX=0"));
    trb::test::RecordingFeedback fb;
    const QStringList& lines = fb.lines;
    trb::engine::build_site_groups(t.db, fb);
    QCOMPARE(groupsOf(t, 1), Groups{6});
    QCOMPARE(groupsOf(t, 2), Groups{6});
    QCOMPARE(groupsOf(t, 4), Groups{});
    QCOMPARE(lines, QStringList{"fl_id4: no site group, its crops change no humus"});
  }

  // KOLBE humus change of crops, amendments and by-products: amounts inside the class's range
  // (10 x m_ug exclusive, 10 x m_og inclusive), crops only with a site group.
  void humManda_data() {
    QTest::addColumn<int>("macode");
    QTest::addColumn<int>("item");
    QTest::addColumn<double>("quantity");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<double>>("changes");
    // manure (class 1: 48 up to 20 t, 42 up to 40 t, 36 up to 200 t)
    QTest::newRow("manure 0") << 3 << 301 << 0.0 << "OD" << QList<double>{};
    QTest::newRow("manure 10 x m_ug") << 3 << 301 << 200.0 << "OD" << QList<double>{960};
    QTest::newRow("manure above") << 3 << 301 << 201.0 << "OD" << QList<double>{844.2};
    QTest::newRow("manure 10 x m_og") << 3 << 301 << 2000.0 << "OD" << QList<double>{7200};
    QTest::newRow("manure beyond") << 3 << 301 << 2001.0 << "OD" << QList<double>{};
    // winter wheat: crop class 4 in site group 6 (-416), straw (class 5: 110 up to 10 t, 100
    // up to 200 t) of 0.8 x the yield
    QTest::newRow("wheat, straw removed") << 2 << 1 << 80.0 << "YLD" << QList<double>{-416};
    QTest::newRow("straw 10 x m_og") << 9 << 1 << 125.0 << "KP" << QList<double>{1100};
    QTest::newRow("straw above") << 9 << 1 << 150.0 << "KP" << QList<double>{1200};
  }
  void humManda() {
    QFETCH(int, macode);
    QFETCH(int, item);
    QFETCH(double, quantity);
    QFETCH(QString, kind);
    QFETCH(QList<double>, changes);
    TempDb t;
    t.db.runNative(QStringLiteral("CREATE TABLE flid2stgr (FL_ID INTEGER, standortgr INTEGER)"));
    t.db.execute(QStringLiteral("insert into flid2stgr values (1, 6)"));
    for (int fl : {1, 2})  // plot 2 has no site group
      t.db.execute(QStringLiteral("insert into cultivation (FL_ID, year, Macode, Item_IX, "
                                  "Quantity) values (?, 1990, ?, ?, ?)"),
                   {fl, macode, item, quantity});
    trb::engine::build_hum_manda(t.db);
    for (int fl : {1, 2}) {
      QList<double> got;
      QSqlQuery q = t.db.query(QStringLiteral("select dC_hum_kg from hum_manda where FL_ID=? "
                                              "and item=? and year=1990"),
                               {fl, kind});
      while (q.next()) got << q.value(0).toDouble();
      const QList<double> want = fl == 2 && kind == u"YLD" ? QList<double>{} : changes;
      QCOMPARE(got.size(), want.size());
      for (int k = 0; k < got.size(); ++k) QCOMPARE(got[k], want[k]);
    }
  }

  // LUFA on one demo plot with its own crop and manure: the year's reproduction is the crop's
  // lower value plus amendments and by-products, an empty one counting as 0.
  void lufaYears() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("insert into ros_pflan values (90, -400, -300)"));
    t.db.execute(QStringLiteral("insert into ros_od values (90, 'test', 50, 25)"));
    t.db.execute(
        QStringLiteral("insert into slvopspa (item_ix, NAME, ros_ix, ts_gehalt) values "
                       "(901, 'test manure', 90, 0.25)"));
    t.db.execute(
        QStringLiteral("insert into slvpflan (ITEM_IX, NAME, ros_ix, kop_ix, HI) values "
                       "(900, 'test crop', 90, 901, 0.5)"));
    t.db.execute(
        QStringLiteral("insert into hubi_c_bilanz (FL_ID, year_, Corg) values (1, 1900, 5)"));
    // 1979 lies before the start measurement (1980)
    manage(t, {{1979, 2, 900, 50},
               {1980, 2, 900, 50},
               {1980, 3, 901, 100},  // 100 x 50 x 10 x 0.25 / 25 = 500
               {1981, 9, 900, 40},   // -300 and the by-product 40 x 0.5 x 50 / 10 = 100
               {1981, 4, 1, 80},
               {1982, 3, 901, 100},
               {1983, 4, 1, 80}});
    QStringList lines;
    QString why;
    QVERIFY2(run(t, QStringLiteral("LUFA"), {1}, &lines, &why), qPrintable(why));
    for (const char* step : {"hubi_c_from_crop_ :", "hubi_c_from_oram_ :", "hubi_c_from_by_prod :",
                             "hubi_c_from_crop :", "hubi_c_from_oram :", "crop 2 hubi :",
                             "oram 2 hubi :", "corg 2 hubi :1", "tmp soil :1"})
      QVERIFY2(hasLine(lines, QLatin1String(step)), step);
    QCOMPARE(num(t, QStringLiteral("select count(*) from hubi_c_bilanz where year_=1900")), 0.0);

    const double corg = 1.74;
    const double c0 = stock(t, 1, corg);
    const QList<std::pair<int, double>> years = {{1980, 200}, {1981, -200}, {1982, 500}};
    double c = c0;
    QSqlQuery q =
        t.db.query(QStringLiteral("select * from trb_nresult where FL_ID=1 order by year"));
    for (const auto& [year, r] : years) {
      QVERIFY(q.next());
      c += r;
      QCOMPARE(q.value(1).toInt(), year);
      QCOMPARE(q.value(5).toDouble(), c);
      QCOMPARE(q.value(10).toDouble(), r);
      for (int col : {2, 3, 4, 6, 7, 8, 9, 11}) QCOMPARE(q.value(col).toDouble(), -99.0);
    }
    QVERIFY(!q.next());
    QSqlQuery d =
        t.db.query(QStringLiteral("select c_input_mean, c_start, c_inert_pct, sim_last, "
                                  "year_num from trb_driver where fl_id=1"));
    QVERIFY(d.next());
    QCOMPARE(d.value(0).toDouble(), 500.0 / 3);
    QCOMPARE(d.value(1).toDouble(), corg);
    QCOMPARE(d.value(2).toDouble(), -99.0);
    QCOMPARE(d.value(3).toDouble(), corg * (c0 + 500) / c0);
    QCOMPARE(d.value(4).toInt(), 3);
  }

  // NULL carries the start content through every simulated year.
  void nullKeepsStart() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral(
        "update measurements set meas_value=1.234567 where FL_ID=1 and M_IX=7 and year_number=0"));
    QStringList lines;
    QString why;
    QVERIFY2(run(t, QStringLiteral("NULL"), {1}, &lines, &why), qPrintable(why));
    QVERIFY(hasLine(lines, QStringLiteral("corg 2 hubi :1")));
    QVERIFY(num(t, QStringLiteral("select count(*) from rs_table where FL_ID=1 and M_IX=-7")) > 0);
    QCOMPARE(num(t, QStringLiteral("select count(*) from rs_table where FL_ID=1 and "
                                   "sim_value<>-99 and sim_value<>1.2346")),
             0.0);
    QCOMPARE(num(t, QStringLiteral("select count(*) from trb_nresult where FL_ID=1")), 0.0);
    QCOMPARE(num(t, QStringLiteral("select c_input_mean from trb_driver where fl_id=1")), 0.0);
    QCOMPARE(num(t, QStringLiteral("select c_start from trb_driver where fl_id=1")), 1.234567);
    QCOMPARE(num(t, QStringLiteral("select sim_last from trb_driver where fl_id=1")), 1.234567);
  }

  // KOLBE on a plot without a site group: only its amendments change the humus, a twenty-fifth of
  // their change is added, and the first year without one is a gap.
  void kolbeWithoutSiteGroup() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update soilproperties set FAT=27.5, FAT_org=-1 where soil_ID=1"));
    manage(t, {{1979, 3, 301, 200},  // 960
               {1980, 2, 1, 80},
               {1980, 3, 301, 400},  // 1680
               {1982, 3, 301, 400}});
    QStringList lines;
    QString why;
    QVERIFY2(run(t, QStringLiteral("KOLBE"), {1}, &lines, &why), qPrintable(why));
    const qsizetype none =
        lines.indexOf(QStringLiteral("fl_id1: no site group, its crops change no humus"));
    const qsizetype gap = lines.indexOf(QStringLiteral("fl_id1: missed year in management:1981"));
    QVERIFY(none >= 0);
    QVERIFY(gap > none);
    QCOMPARE(num(t, QStringLiteral("select count(*) from trb_nresult where FL_ID=1")), 0.0);
    QSqlQuery d =
        t.db.query(QStringLiteral("select c_input_mean, c_start, sim_last, year_num "
                                  "from trb_driver where fl_id=1"));
    QVERIFY(d.next());
    const double corg = 1.74;
    QCOMPARE(d.value(0).toDouble(), (960.0 + 1680) / 2);
    QCOMPARE(d.value(1).toDouble(), corg);
    const double c0 = stock(t, 1, corg);
    QCOMPARE(d.value(2).toDouble(), corg * (c0 + (960.0 + 1680) / 25) / c0);
    QCOMPARE(d.value(3).toInt(), 2);
  }

  // Each method on every demo plot, as trbsim M=... runs it.
  void demoRuns_data() {
    QTest::addColumn<QString>("method");
    QTest::addColumn<QString>("step");
    QTest::newRow("LUFA") << "LUFA"
                          << "corg 2 hubi :10";
    QTest::newRow("NULL") << "NULL"
                          << "corg 2 hubi :10";
    QTest::newRow("KOLBE") << "KOLBE"
                           << "tmp soil :10";
  }
  void demoRuns() {
    QFETCH(QString, method);
    QFETCH(QString, step);
    TempDb t(QStringLiteral("demo"));
    QStringList lines;
    QString why;
    QVERIFY2(run(t, method, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, &lines, &why), qPrintable(why));
    QVERIFY(lines.contains(step));
    QCOMPARE(lines.last(), QStringLiteral("job finished"));
    // every plot simulated from its start content
    QCOMPARE(num(t, QStringLiteral("select count(*) from trb_driver d inner join measurements m "
                                   "on d.fl_id=m.FL_ID where m.M_IX=7 and m.year_number=0 and "
                                   "d.c_start=m.meas_value and d.year_num>30")),
             10.0);
    QCOMPARE(num(t, QStringLiteral("select count(*) from rs_table where sim_value=-99 and "
                                   "year_num<>0")),
             0.0);
    const double moved =
        num(t, QStringLiteral("select max(abs(sim_last-c_start)) from trb_driver"));
    if (method == u"NULL")
      QCOMPARE(moved, 0.0);
    else
      QVERIFY(moved > 0.001);
  }

  void missingHumusTableStops() {
    TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("drop table hubi_c_bilanz"));
    QStringList lines;
    QString why;
    QVERIFY(!run(t, QStringLiteral("LUFA"), {1}, &lines, &why));
    QVERIFY2(why.contains(QStringLiteral("hubi_c_bilanz"), Qt::CaseInsensitive), qPrintable(why));
  }
};

QTEST_GUILESS_MAIN(TstHumus)
#include "tst_humus.moc"
