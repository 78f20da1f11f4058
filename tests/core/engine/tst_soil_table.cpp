// The soil table of a calculation, built from small experiments written into a fresh database.
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <cmath>

#include "core/engine/calc_stop.h"
#include "core/engine/soil_table.h"
#include "testutil.h"

using namespace trb::engine;
using trb::test::TempDb;

namespace {

// Runs plain SQLite with values bound; fixtures only.
void exec(TempDb& t, const QString& sql, const QVariantList& binds = {}) {
  QSqlQuery q(t.db.qt());
  QVERIFY2(q.prepare(sql), qPrintable(q.lastError().text()));
  for (const QVariant& v : binds) q.addBindValue(v);
  QVERIFY2(q.exec(), qPrintable(q.lastError().text() + QStringLiteral(" in ") + sql));
}

void setPores(TempDb& t, double mi, double me, double ma) {
  exec(t, QStringLiteral("DELETE FROM pore_size_parm"));
  exec(t, QStringLiteral("INSERT INTO pore_size_parm (mi, me, ma) VALUES (?, ?, ?)"), {mi, me, ma});
}

// A soil given as column -> value (yes/no as -1/0).
void addSoil(TempDb& t, int soilId, const QVariantMap& values) {
  QStringList cols{QStringLiteral("soil_ID"), QStringLiteral("profile")};
  QVariantList binds{soilId, QStringLiteral("soil %1").arg(soilId)};
  for (auto it = values.begin(); it != values.end(); ++it) {
    cols << it.key();
    binds << it.value();
  }
  QStringList marks;
  for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
  exec(t,
       QStringLiteral("INSERT INTO soilproperties (%1) VALUES (%2)")
           .arg(cols.join(u", "), marks.join(u", ")),
       binds);
}

void addMeasurement(TempDb& t, int fl, int mix, int year, int yearNumber, double value) {
  exec(t,
       QStringLiteral("INSERT INTO measurements (FL_ID, M_IX, day, month, year, year_number, "
                      "meas_value) VALUES (?, ?, 1, 1, ?, ?, ?)"),
       {fl, mix, year, yearNumber, value});
}

// A plot on a soil with its start value of soil carbon.
void addPlot(TempDb& t, int fl, int soilId, int status, double corg, int year = 1990) {
  exec(t,
       QStringLiteral("INSERT INTO field_description (FL_ID, soil_ID, climate_ID) VALUES "
                      "(?, ?, 0)"),
       {fl, soilId});
  exec(t, QStringLiteral("INSERT INTO site_state (FL_ID, status, marker) VALUES (?, ?, 0)"),
       {fl, status});
  addMeasurement(t, fl, 7, year, 0, corg);
}

// Rows of a table ordered by plot and year, as column -> value.
QList<QVariantMap> rowsOf(TempDb& t, const QString& table, const QString& order) {
  QList<QVariantMap> out;
  QSqlQuery q(t.db.qt());
  if (!q.exec(QStringLiteral("SELECT * FROM %1 ORDER BY %2").arg(table, order))) return out;
  while (q.next()) {
    QVariantMap m;
    const QSqlRecord r = q.record();
    for (int i = 0; i < r.count(); ++i) m.insert(r.fieldName(i).toLower(), r.value(i));
    out << m;
  }
  return out;
}

struct Run : trb::test::RecordingFeedback {
  QStringList& log = lines;
  trb::Feedback& sinks() { return *this; }
};

void compareRow(const QVariantMap& row, const QVariantMap& expected) {
  for (auto it = expected.begin(); it != expected.end(); ++it) {
    const QVariant got = row.value(it.key().toLower());
    const QString what =
        QStringLiteral("%1 = %2, expected %3").arg(it.key(), got.toString(), it.value().toString());
    if (it.value().typeId() == QMetaType::Double) {
      const double e = it.value().toDouble();
      QVERIFY2(!got.isNull() && std::abs(got.toDouble() - e) <= 1e-9 * std::max(1.0, std::abs(e)),
               qPrintable(what));
    } else {
      QVERIFY2(got.toLongLong() == it.value().toLongLong(), qPrintable(what));
    }
  }
}

}  // namespace

class TestSoilTable : public QObject {
  Q_OBJECT

 private slots:
  // One soil per case, completed under the given settings; the row must hold the measured values
  // with their flags and the derived values with false flags.
  void completedRow_data() {
    QTest::addColumn<QVariantMap>("soil");
    QTest::addColumn<QString>("scheme");
    QTest::addColumn<int>("interpol");
    QTest::addColumn<double>("corg");
    QTest::addColumn<QVariantMap>("expected");
    QTest::addColumn<QString>("logged");  // part of a message line; empty: no message

    const int T = -1;  // yes/no true
    QTest::newRow("measured silt kept, rest derived") << QVariantMap{{"clay", 10.0},
                                                                     {"silt", 30.0},
                                                                     {"silt_org", T},
                                                                     {"BA_RBS", "sL"},
                                                                     {"sand", 50.0}}
                                                      << "RBS" << 0 << 1.5
                                                      << QVariantMap{{"silt", 30.0},
                                                                     {"silt_org", T},
                                                                     {"sand", 60.0},
                                                                     {"sand_org", 0},
                                                                     {"FAT", 19.9774486510006},
                                                                     {"FAT_org", 0},
                                                                     {"BD", 1.47335},
                                                                     {"PD", 2.592513502588619},
                                                                     {"PV", 43.16905202118087},
                                                                     {"FC", 23.795888382744025},
                                                                     {"PWP", 8.63},
                                                                     {"cif", 0.409854846253965},
                                                                     {"cif_org", 0},
                                                                     {"soil_cat", 2}}
                                                      << QString();
    QTest::newRow("stored silt not measured: from FAT at 0.006 mm")
        << QVariantMap{{"clay", 10.0}, {"silt", 55.0}, {"silt_org", 0},
                       {"FAT", 20.0},  {"FAT_org", T}, {"BA_RBS", "L"}}
        << "RBS" << 0 << 1.5
        << QVariantMap{{"silt", 31.40313995589966},
                       {"silt_org", 0},
                       {"FAT", 20.0},
                       {"FAT_org", T},
                       {"sand", 100 - 10 - 31.40313995589966}}
        << QString();
    QTest::newRow("silt from RBS class L, mean, medium pores 12")
        << QVariantMap{{"clay", 20.0}, {"BA_RBS", "L"}} << "RBS" << 0 << 1.0
        << QVariantMap{{"silt", 37.51296125536303},
                       {"silt_org", 0},
                       {"FAT", 32.47612148907865},
                       {"FC", 35.27499999999999},
                       {"PWP", 16.03},
                       {"cif", 0.5990751714140056},
                       {"soil_cat", 2}}
        << QString();
    QTest::newRow("silt from KA4 class with blanks, smallest")
        << QVariantMap{{"clay", 5.0}, {"BA_KA4", " Su3 "}, {"BA_RBS", "T"}} << "KA4" << -1 << 1.5
        << QVariantMap{{"silt", 25.0}, {"sand", 70.0}} << QString();
    QTest::newRow("measured BD kept, the rest derived from it")
        << QVariantMap{{"clay", 25.0}, {"silt", 55.0}, {"silt_org", T}, {"BD", 1.3}, {"BD_org", T}}
        << "RBS" << 0 << 2.0
        << QVariantMap{{"BD", 1.3},
                       {"BD_org", T},
                       {"PD", 2.6018217352005233},
                       {"PD_org", 0},
                       {"PV", 50.03500883968868},
                       {"FC", 46.45912870169738},
                       {"PWP", 19.73},
                       {"cif", 0.5804898727409146},
                       {"soil_cat", 4}}
        << QString();
    QTest::newRow("BD stored but not measured is replaced")
        << QVariantMap{{"clay", 10.0}, {"silt", 30.0}, {"silt_org", T}, {"BD", 1.9}, {"BD_org", 0}}
        << "RBS" << 0 << 1.5 << QVariantMap{{"BD", 1.47335}, {"BD_org", 0}} << QString();
    QTest::newRow("flag without a value is no measurement")
        << QVariantMap{{"clay", 10.0}, {"silt", 30.0}, {"silt_org", T}, {"PV", QVariant()},
                       {"PV_org", T},  {"FC", -99.0},  {"FC_org", T}}
        << "RBS" << 0 << 1.5
        << QVariantMap{{"PV", 43.16905202118087},
                       {"PV_org", 0},
                       {"FC", 23.795888382744025},
                       {"FC_org", 0}}
        << QString();
    QTest::newRow("clay 0 counts as 0.0001")
        << QVariantMap{{"clay", 0.0}, {"silt", 30.0}, {"silt_org", T}} << "RBS" << 0 << 1.5
        << QVariantMap{{"clay", 0.0},
                       {"FAT", 9.9775486510006},
                       {"PWP", 1.230074},
                       {"cif", 0.08571895160040725}}
        << QString();
    QTest::newRow("class silt below 0: texture unusable, measured cif withdrawn")
        << QVariantMap{{"clay", 31.0}, {"BA_RBS", "sL"}, {"cif", 0.3}, {"cif_org", T}} << "RBS" << 0
        << 1.5
        << QVariantMap{{"silt", -99.0}, {"sand", -99.0}, {"FAT", -99.0},  {"cif", -99.0},
                       {"cif_org", 0},  {"FC", -99.0},   {"BD", 1.31585}, {"PWP", 0.74 * 31 + 1.23}}
        << "soil class \"sL\" with clay 31 gives silt -1.07";
    QTest::newRow("KA4 class empty")
        << QVariantMap{{"clay", 12.0}, {"BA_KA4", ""}} << "KA4" << 0 << 1.5
        << QVariantMap{{"silt", -99.0}, {"cif", -99.0}, {"FAT", -99.0}}
        << "soil class \"\" not in the KA4 table; missing silt, sand, FAT, FC, cif";
    QTest::newRow("no silt choice")
        << QVariantMap{{"clay", 12.0}, {"BA_RBS", "L"}} << "RBS" << 2 << 1.5
        << QVariantMap{{"silt", -99.0}, {"cif", -99.0}} << "no silt for class choice I=2";
    QTest::newRow("unknown scheme not needed with measured silt")
        << QVariantMap{{"clay", 10.0}, {"silt", 30.0}, {"silt_org", T}} << "XYZ" << 0 << 1.5
        << QVariantMap{{"cif", 0.409854846253965}} << QString();
  }
  void completedRow() {
    QFETCH(QVariantMap, soil);
    QFETCH(QString, scheme);
    QFETCH(int, interpol);
    QFETCH(double, corg);
    QFETCH(QVariantMap, expected);
    QFETCH(QString, logged);

    TempDb t;
    setPores(t, 5, 10, 20);
    addSoil(t, 4, soil);
    addPlot(t, 3, 4, 1, corg);
    const QList<QVariantMap> before = rowsOf(t, "soilproperties", "soil_ID");

    Run run;
    SoilOptions o;
    o.soil_scheme = scheme;
    o.interpol = interpol;
    build_soil_table(t.db, o, run.sinks());

    const QList<QVariantMap> rows = rowsOf(t, "tmp_soil_prop", "FL_ID, year");
    QCOMPARE(rows.size(), 1);
    compareRow(rows.first(), expected);
    const QStringList messages = run.log.mid(2);
    if (logged.isEmpty()) {
      QCOMPARE(messages, QStringList());
    } else {
      QCOMPARE(messages.size(), 1);
      QVERIFY2(
          messages.first().startsWith(u"incomplete soil data for FL_ID 3, year 1990, soil_ID 4"),
          qPrintable(messages.first()));
      QVERIFY2(messages.first().contains(logged), qPrintable(messages.first()));
    }
    QCOMPARE(rowsOf(t, "soilproperties", "soil_ID"), before);
  }

  // The build itself: selected plots only, one row per start measurement, log and progress.
  void buildSelectsStartMeasurements() {
    TempDb t;
    setPores(t, 5, 10, 20);
    addSoil(t, 1, {{"clay", 10.0}, {"silt", 30.0}, {"silt_org", -1}, {"skelett", 25.0}});
    addPlot(t, 1, 1, 1, 1.5, 1990);
    addMeasurement(t, 1, 7, 1995, 0, 1.2);   // a second start measurement
    addMeasurement(t, 1, 7, 1996, 2, 1.1);   // not a start value
    addMeasurement(t, 1, 0, 1990, 0, 0.12);  // not soil carbon
    addPlot(t, 2, 1, 0, 1.5);                // not selected

    Run run;
    const PoreSizes pores = build_soil_table(t.db, SoilOptions{}, run.sinks());
    QCOMPARE(run.log.mid(0, 2), (QStringList{"tmp soil :2", "checking soil properties"}));
    QCOMPARE(run.progress, (QList<QPair<qint64, qint64>>{{0, 2}, {1, 2}, {2, 2}}));
    QCOMPARE(pores.mi, 5.0);
    QCOMPARE(pores.me, 10.0);
    QCOMPARE(pores.ma, 20.0);

    const QList<QVariantMap> rows = rowsOf(t, "tmp_soil_prop", "FL_ID, year");
    QCOMPARE(rows.size(), 2);
    compareRow(rows[0], {{"FL_ID", 1},
                         {"year", 1990},
                         {"corg", 1.5},
                         {"skelett", 0.25},
                         {"BD", 1.47335},
                         {"soil_cat", 2}});
    // The second start value gives its own completed row, with its own carbon content.
    compareRow(rows[1], {{"FL_ID", 1},
                         {"year", 1995},
                         {"corg", 1.2},
                         {"skelett", 0.25},
                         {"BD", 1.64 - 0.0075 * 10 - 0.0611 * 1.2},
                         {"BD_org", 0}});
    QVERIFY(rows[1].value("cif").toDouble() > 0);
  }

  // Without a stone column the soil counts as stone-free; the divisors are read at every build.
  void buildWithoutSkelettAndPoreRow() {
    TempDb t;
    exec(t, QStringLiteral("ALTER TABLE soilproperties DROP COLUMN skelett"));
    setPores(t, 5, 10, 20);
    addSoil(t, 1, {{"clay", 10.0}, {"silt", 30.0}, {"silt_org", -1}});
    addPlot(t, 1, 1, 1, 1.5);
    Run first;
    build_soil_table(t.db, SoilOptions{}, first.sinks());
    compareRow(rowsOf(t, "tmp_soil_prop", "FL_ID").first(),
               {{"skelett", 0}, {"cif", 0.409854846253965}});

    exec(t, QStringLiteral("DELETE FROM pore_size_parm"));
    Run second;
    const PoreSizes pores = build_soil_table(t.db, SoilOptions{}, second.sinks());
    QCOMPARE(pores.mi, kMissing);
    compareRow(rowsOf(t, "tmp_soil_prop", "FL_ID").first(),
               {{"cif", -99.0}, {"FC", 23.795888382744025}});
    QCOMPARE(second.log.size(), 3);
    QVERIFY2(second.log[2].contains(u"no pore-size divisors in pore_size_parm; missing cif"),
             qPrintable(second.log[2]));
  }

  void unknownModeLeavesWaterContentsMissing() {
    TempDb t;
    setPores(t, 5, 10, 20);
    addSoil(t, 1, {{"clay", 10.0}, {"silt", 30.0}, {"silt_org", -1}});
    addPlot(t, 1, 1, 1, 1.5);
    Run run;
    SoilOptions o;
    o.hymode = 7;
    build_soil_table(t.db, o, run.sinks());
    compareRow(rowsOf(t, "tmp_soil_prop", "FL_ID").first(),
               {{"FC", -99.0}, {"PWP", -99.0}, {"cif", -99.0}, {"soil_cat", -99}, {"BD", 1.47335}});
    QVERIFY2(run.log.last().endsWith(u"unknown pedotransfer mode 7; missing FC, PWP, cif"),
             qPrintable(run.log.last()));
  }

  // Needed only when a silt must come from a class; the calculation stops, nothing is half done.
  void unrecognisedSchemeStops() {
    TempDb t;
    setPores(t, 5, 10, 20);
    addSoil(t, 1, {{"clay", 10.0}, {"BA_RBS", "L"}});
    addPlot(t, 1, 1, 1, 1.5);
    Run run;
    SoilOptions o;
    o.soil_scheme = QStringLiteral("DIN");
    try {
      build_soil_table(t.db, o, run.sinks());
      QFAIL("no stop");
    } catch (const CalcStop& stop) {
      QCOMPARE(stop.message(), QStringLiteral("unrecognised soil classification scheme"));
      QCOMPARE(stop.caption(), QStringLiteral("ERROR"));
    }
    QCOMPARE(t.db.transactionDepth(), 0);
  }

  // The demo experiments with every plot selected: each start value gives a complete row, and
  // every measured value is the one stored with the soil.
  void demoDatabase_data() {
    QTest::addColumn<int>("hymode");
    QTest::addColumn<QString>("scheme");
    QTest::newRow("Brooks/Corey, RBS") << 1 << "RBS";
    QTest::newRow("Vereecken, KA4") << 2 << "KA4";
    QTest::newRow("Lieberoth, RBS") << 3 << "RBS";
    QTest::newRow("Zacharias, KA4") << 4 << "KA4";
  }
  void demoDatabase() {
    QFETCH(int, hymode);
    QFETCH(QString, scheme);
    TempDb t(QStringLiteral("demo"));
    exec(t, QStringLiteral("UPDATE site_state SET status = 1"));
    Run run;
    SoilOptions o;
    o.hymode = hymode;
    o.soil_scheme = scheme;
    build_soil_table(t.db, o, run.sinks());
    QCOMPARE(run.log.mid(2), QStringList());

    QSqlQuery starts(t.db.qt());
    QVERIFY(starts.exec(QStringLiteral(
        "SELECT m.FL_ID, m.year, m.meas_value, s.* FROM measurements m JOIN field_description f "
        "ON f.FL_ID = m.FL_ID JOIN soilproperties s ON s.soil_ID = f.soil_ID "
        "WHERE m.M_IX = 7 AND m.year_number = 0 ORDER BY m.FL_ID, m.year")));
    const QList<QVariantMap> rows = rowsOf(t, "tmp_soil_prop", "FL_ID, year");
    const QStringList props{"silt", "sand", "FAT", "BD", "PD", "PV", "FC", "PWP", "cif"};
    int i = 0;
    for (; starts.next(); ++i) {
      QVERIFY(i < rows.size());
      const QVariantMap& row = rows[i];
      QCOMPARE(row.value("fl_id").toInt(), starts.value(0).toInt());
      QCOMPARE(row.value("corg").toDouble(), starts.value(2).toDouble());
      for (const QString& p : props) {
        const QString what = QStringLiteral("FL_ID %1 %2").arg(starts.value(0).toInt()).arg(p);
        QVERIFY2(row.value(p.toLower()).toDouble() > 0, qPrintable(what));
        if (starts.value(p + "_org").toInt() != 0) {
          QVERIFY2(row.value(p.toLower()) == starts.value(p), qPrintable(what));
          QCOMPARE(row.value(p.toLower() + "_org").toInt(), -1);
        } else {
          QCOMPARE(row.value(p.toLower() + "_org").toInt(), 0);
        }
      }
      QVERIFY(row.value("soil_cat").toInt() >= 1 && row.value("soil_cat").toInt() <= 4);
    }
    QVERIFY(i > 0);
    QCOMPARE(rows.size(), i);
  }

  // Classes of usable field capacity from measured FC and PWP.
  void soilCat_data() {
    QTest::addColumn<double>("fc");
    QTest::addColumn<double>("pwp");
    QTest::addColumn<int>("cat");
    QTest::newRow("15") << 35.0 << 20.0 << 1;
    QTest::newRow("just above 15") << 35.01 << 20.0 << 2;
    QTest::newRow("20") << 30.0 << 10.0 << 3;
    QTest::newRow("just below 23") << 32.99 << 10.0 << 3;
    QTest::newRow("23") << 33.0 << 10.0 << 4;
  }
  void soilCat() {
    QFETCH(double, fc);
    QFETCH(double, pwp);
    QFETCH(int, cat);
    TempDb t;
    setPores(t, 5, 10, 20);
    addSoil(t, 1,
            {{"clay", 10.0},
             {"silt", 30.0},
             {"silt_org", -1},
             {"FC", fc},
             {"FC_org", -1},
             {"PWP", pwp},
             {"PWP_org", -1}});
    addPlot(t, 1, 1, 1, 1.5);
    Run run;
    build_soil_table(t.db, SoilOptions{}, run.sinks());
    compareRow(rowsOf(t, "tmp_soil_prop", "FL_ID").first(),
               {{"soil_cat", cat}, {"FC", fc}, {"FC_org", -1}, {"PWP", pwp}, {"PWP_org", -1}});
  }
};

QTEST_GUILESS_MAIN(TestSoilTable)
#include "tst_soil_table.moc"
