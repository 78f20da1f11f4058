// Keeping experiments, plots, site descriptions and simple soils, without a window.
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

#include "core/base/error.h"
#include "core/db/database.h"
#include "core/sites/experiments.h"
#include "core/sites/simple_soil.h"
#include "core/sites/site_description.h"
#include "testutil.h"

using namespace trb::sites;
using trb::db::Database;

namespace {

int count(Database& db, const QString& sql, const QVariantList& binds = {}) {
  return db.scalar(sql, binds).toInt();
}

// Rows of a plot key in field_description and every table that refers to it.
QMap<QString, int> rowsOfPlot(Database& db, qlonglong fl) {
  QMap<QString, int> rows;
  for (const QString& t : QStringList{QStringLiteral("field_description")} + plotKeyedTables())
    if (db.hasTable(t))
      rows[t] = count(db, QStringLiteral("select count(*) from ") + t + " where fl_id=?", {fl});
  return rows;
}

// Every row of every table the commands touch, in one text per table: compares a whole database
// before and after.
QMap<QString, QString> snapshot(Database& db) {
  QMap<QString, QString> out;
  for (const QString& t : db.userTables()) {
    QSqlQuery q = db.query(QStringLiteral("select * from ") + t);
    QStringList rows;
    while (q.next()) {
      QStringList cells;
      for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
      rows << cells.join(u'|');
    }
    rows.sort();
    out[t] = rows.join(u'\n');
  }
  return out;
}

// One row in each result and literature table for a plot.
void addResultRows(Database& db, qlonglong fl) {
  db.execute(QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_) values (?, 7, 2000)"), {fl});
  db.execute(QStringLiteral("insert into trb_nresult (FL_ID, year) values (?, 2000)"), {fl});
  db.execute(QStringLiteral("insert into trb_zbv (fl_id, year_) values (?, 2000)"), {fl});
  db.execute(QStringLiteral("insert into key2ref2fl (key_id, ref_id, fl_id) values (1, 1, ?)"),
             {fl});
}

QString text(Database& db, const QString& sql, const QVariantList& binds) {
  return db.scalar(sql, binds).toString();
}

}  // namespace

class TstSites : public QObject {
  Q_OBJECT

 private slots:
  // --- "update changes" ------------------------------------------------------------------------

  void saveSiteDescription_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("plot");
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("area");
    QTest::addColumn<QString>("bat");
    QTest::addColumn<QString>("storedComment");
    QTest::addColumn<double>("storedArea");
    QTest::addColumn<double>("storedBat");
    QTest::newRow("BAT '?' becomes 30, empty state '?'") << "C"
                                                         << "Parzelle 7"
                                                         << ""
                                                         << "0.5"
                                                         << "?"
                                                         << "?" << 0.5 << 30.0;
    QTest::newRow("decimal comma") << "de_DE"
                                   << "Parzelle 7"
                                   << " FB 3 "
                                   << "12,5"
                                   << "28,25"
                                   << "FB 3" << 12.5 << 28.25;
    QTest::newRow("quotes stored as typed") << "C"
                                            << "O'Brien \"Nord\"; drop table x"
                                            << "it's"
                                            << "-99"
                                            << "44.3"
                                            << "it's" << -99.0 << 44.3;
    QTest::newRow("blank state") << "C"
                                 << "-"
                                 << "   "
                                 << "1"
                                 << ""
                                 << "?" << 1.0 << 30.0;
  }
  void saveSiteDescription() {
    QFETCH(QString, locale);
    QFETCH(QString, plot);
    QFETCH(QString, state);
    QFETCH(QString, area);
    QFETCH(QString, bat);
    QFETCH(QString, storedComment);
    QFETCH(double, storedArea);
    QFETCH(double, storedBat);
    trb::test::TempDb t(QStringLiteral("demo"));
    SiteEdit e;
    e.flId = 3;
    e.plot = plot;
    e.source = QStringLiteral("P'3");
    e.state = state;
    e.area = area;
    e.bat = bat;
    e.climateId = 1;
    e.soilId = -99;
    save_site_description(t.db, e, QLocale(locale));
    QSqlQuery q = t.db.query(QStringLiteral(R"sql(
select site_description, herkunft, comment, area, mw_bat, climate_id, soil_id
from field_description where fl_id=3)sql"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toString(), plot);
    QCOMPARE(q.value(1).toString(), QStringLiteral("P'3"));
    QCOMPARE(q.value(2).toString(), storedComment);
    TRB_COMPARE_NEAR(q.value(3).toDouble(), storedArea, 1e-12);
    TRB_COMPARE_NEAR(q.value(4).toDouble(), storedBat, 1e-12);
    QCOMPARE(q.value(5).toLongLong(), 1);
    QCOMPARE(q.value(6).toLongLong(), -99);
    // the neighbour stays as it was
    QCOMPARE(
        text(t.db, QStringLiteral("select site_description from field_description where fl_id=?"),
             {4}),
        QStringLiteral("Stallmist + mineralisch N"));
  }

  void saveSiteDescriptionRefuses_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("area");
    QTest::addColumn<qlonglong>("flId");
    QTest::newRow("area no number") << "C"
                                    << "zwei" << qlonglong(3);
    QTest::newRow("area empty") << "C"
                                << "" << qlonglong(3);
    QTest::newRow("point in a decimal-comma locale") << "de_DE"
                                                     << "12.5" << qlonglong(3);
    QTest::newRow("no such plot") << "C"
                                  << "1" << qlonglong(999);
  }
  void saveSiteDescriptionRefuses() {
    QFETCH(QString, locale);
    QFETCH(QString, area);
    QFETCH(qlonglong, flId);
    trb::test::TempDb t(QStringLiteral("demo"));
    const auto before = snapshot(t.db);
    SiteEdit e;
    e.flId = flId;
    e.plot = QStringLiteral("neu");
    e.area = area;
    e.bat = QStringLiteral("?");
    try {
      save_site_description(t.db, e, QLocale(locale));
      QFAIL("saved");
    } catch (const trb::db::DbError&) {
      QFAIL("a database error instead of a refusal");
    } catch (const trb::Error& err) {
      if (flId == 3)
        QVERIFY2(err.message().contains(QStringLiteral("area")), qPrintable(err.message()));
    }
    QCOMPARE(snapshot(t.db), before);
  }

  void plotLabel_data() {
    QTest::addColumn<QString>("old");
    QTest::addColumn<QString>("expected");
    QTest::newRow("without colon") << "Stallmist"
                                   << "neu";
    QTest::newRow("with colon") << "12: Stallmist"
                                << "12:neu";
    QTest::newRow("first colon counts") << "a:b:c"
                                        << "a:neu";
  }
  void plotLabel() {
    QFETCH(QString, old);
    QFETCH(QString, expected);
    QCOMPARE(plot_label(old, QStringLiteral("neu")), expected);
  }

  // --- "simple soil description" ---------------------------------------------------------------

  void soilRequiredFields_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("clay");
    QTest::addColumn<QStringList>("missing");
    QTest::newRow("new soil untouched") << "-?-"
                                        << "?"
                                        << "?" << QStringList{"name", "soilType", "clay"};
    QTest::newRow("type only") << "Aue"
                               << "?"
                               << "12" << QStringList{"soilType"};
    QTest::newRow("clay with ?") << "Aue"
                                 << "L"
                                 << "1?" << QStringList{"clay"};
    QTest::newRow("complete") << "Aue"
                              << "L"
                              << "12" << QStringList{};
  }
  void soilRequiredFields() {
    QFETCH(QString, name);
    QFETCH(QString, type);
    QFETCH(QString, clay);
    QFETCH(QStringList, missing);
    SimpleSoil s;
    s.name = name;
    s.soilType = type;
    s.clay = clay;
    s.silt = QStringLiteral("-99");
    s.gravel = QStringLiteral("0");
    QCOMPARE(missing_soil_fields(s), missing);
    if (missing.isEmpty()) return;
    trb::test::TempDb t(QStringLiteral("demo"));
    const auto before = snapshot(t.db);
    try {
      save_simple_soil(t.db, s);
      QFAIL("saved");
    } catch (const trb::Error& e) {
      QCOMPARE(e.message(), QStringLiteral("Bitte alle Pflicht-Daten eingeben !"));
      QCOMPARE(e.caption(), QStringLiteral("Satz kann nicht gespeichert werden"));
    }
    QCOMPARE(snapshot(t.db), before);
  }

  void newSoilWithTakenName() {
    trb::test::TempDb t(QStringLiteral("demo"));
    SimpleSoil s = read_simple_soil(t.db, -99);
    QCOMPARE(s.name, QStringLiteral("-?-"));
    QCOMPARE(s.gravel, QStringLiteral("0"));
    QCOMPARE(s.clay, QStringLiteral("?"));
    QCOMPARE(s.silt, QStringLiteral("-99"));
    s.name = QStringLiteral("Heidmoor Sand-Braunerde");
    s.soilType = QStringLiteral("sL");
    s.clay = QStringLiteral("17,5");
    s.silt = QStringLiteral("30");
    s.gravel = QStringLiteral("3");
    const SimpleSoil saved = save_simple_soil(t.db, s, QLocale(QStringLiteral("de_DE")));
    QCOMPARE(saved.name, QStringLiteral("Heidmoor Sand-Braunerde1"));
    QCOMPARE(saved.soilId, 4);
    // "1" is appended once, not until the name is free
    s.soilId = -99;
    QCOMPARE(save_simple_soil(t.db, s, QLocale(QStringLiteral("de_DE"))).name,
             QStringLiteral("Heidmoor Sand-Braunerde1"));
    QSqlQuery q = t.db.query(QStringLiteral(R"sql(
select profile, BA_RBS, skelett, clay, silt, silt_org, sand, sand_org, FAT, FAT_org, BD, BD_org,
PV, PV_org, FC, FC_org, PWP, PWP_org, cif, cif_org, PD, PD_org
from soilproperties where soil_id=4)sql"));
    QVERIFY(q.next());
    QCOMPARE(q.value(1).toString(), QStringLiteral("sL"));
    QCOMPARE(q.value(2).toDouble(), 3.0);
    QCOMPARE(q.value(3).toDouble(), 17.5);
    QCOMPARE(q.value(4).toDouble(), 30.0);
    QCOMPARE(q.value(5).toInt(), -1);
    for (int i = 6; i < 22; i += 2) {
      QCOMPARE(q.value(i).toDouble(), -99.0);
      QCOMPARE(q.value(i + 1).toInt(), 0);
    }
  }

  void existingSoilKeepsMeasuredValues() {
    trb::test::TempDb t(QStringLiteral("demo"));
    // soil 1: FAT, PV and BD measured, PWP, FC, PD and cif derived
    SimpleSoil s = read_simple_soil(t.db, 1, QLocale::c());
    QCOMPARE(s.name, QStringLiteral("Kleinhausen Löss-Schwarzerde"));
    QCOMPARE(s.soilType, QStringLiteral("L"));
    QCOMPARE(s.clay, QStringLiteral("21"));
    QCOMPARE(s.silt, QStringLiteral("68"));
    s.clay = QStringLiteral("23");
    QCOMPARE(save_simple_soil(t.db, s, QLocale::c()).soilId, 1);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from soilproperties")), 3);
    QSqlQuery q = t.db.query(QStringLiteral(
        "select clay, FAT, FAT_org, BD, BD_org, PV, sand, sand_org from soilproperties "
        "where soil_id=1"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 23.0);
    QCOMPARE(q.value(1).toDouble(), 24.0);
    QCOMPARE(q.value(2).toInt(), -1);
    QCOMPARE(q.value(3).toDouble(), 1.45);
    QCOMPARE(q.value(4).toInt(), -1);
    QCOMPARE(q.value(5).toDouble(), 44.0);
    QCOMPARE(q.value(6).toDouble(), -99.0);
    QCOMPARE(q.value(7).toInt(), 0);
  }

  void deleteSoilUnlinksItsPlots() {
    trb::test::TempDb t(QStringLiteral("demo"));
    QVERIFY(delete_soil(t.db, 3));
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from soilproperties where soil_id=3")), 0);
    QCOMPARE(
        count(t.db, QStringLiteral("select count(*) from field_description where soil_id=-99")), 2);
    // the key handed out again does not give plots 9 and 10 the new soil
    SimpleSoil s;
    s.name = QStringLiteral("neu");
    s.soilType = QStringLiteral("S");
    s.clay = QStringLiteral("3");
    s.silt = QStringLiteral("5");
    s.gravel = QStringLiteral("0");
    QCOMPARE(save_simple_soil(t.db, s).soilId, 3);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from field_description where soil_id=3")),
             0);
    QVERIFY(!delete_soil(t.db, 77));
  }

  // --- Experiments and plots --------------------------------------------------------------------

  void createInEmptyDatabase() {
    trb::test::TempDb t(QStringLiteral("schema"));
    QCOMPARE(next_experiment_code(t.db), 0);
    const NewExperiment made = create_experiment(t.db, QStringLiteral(" O'Hara "));
    QCOMPARE(made.code, 0);
    QCOMPARE(made.flId, 0);
    QSqlQuery e = t.db.query(QStringLiteral("select vcode, exp_id, location from experiments"));
    QVERIFY(e.next());
    QCOMPARE(e.value(0).toString(), QStringLiteral("0"));
    QCOMPARE(e.value(1).toInt(), 0);
    QCOMPARE(e.value(2).toString(), QStringLiteral("O'Hara"));
    QSqlQuery p = t.db.query(QStringLiteral(R"sql(
select fl_id, location, site_description, climate_id, soil_id, area, herkunft, versuch_code,
comment from field_description)sql"));
    QVERIFY(p.next());
    const QVariantList expected{0, "O'Hara", "-", -99, -99, -99.0, "??", "0", "-"};
    for (int i = 0; i < expected.size(); ++i)
      QCOMPARE(p.value(i).toString(), expected[i].toString());
    QVERIFY(!p.next());

    // the next one follows; an empty or taken name is refused
    QCOMPARE(create_experiment(t.db, QStringLiteral("Halle")).code, 1);
    for (const QString& name : {QStringLiteral(" "), QStringLiteral("halle")}) {
      const auto before = snapshot(t.db);
      QVERIFY_THROWS_EXCEPTION(trb::Error, create_experiment(t.db, name));
      QCOMPARE(snapshot(t.db), before);
    }
  }

  void addPlot() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const qlonglong fl = add_plot(t.db, QStringLiteral("Heidmoor"), QStringLiteral("2"), QString());
    QCOMPARE(fl, 11);
    QCOMPARE(
        text(t.db, QStringLiteral("select herkunft from field_description where fl_id=?"), {fl}),
        QStringLiteral("??"));
    QCOMPARE(
        count(t.db, QStringLiteral("select count(*) from site_state where fl_id=? and status=0"),
              {fl}),
        1);
    const qlonglong next =
        add_plot(t.db, QStringLiteral("Heidmoor"), QStringLiteral("2"), QStringLiteral("B1"));
    QCOMPARE(
        text(t.db, QStringLiteral("select herkunft from field_description where fl_id=?"), {next}),
        QStringLiteral("B1"));
  }

  void deletePlotRemovesEveryRowOfItsKey() {
    trb::test::TempDb t(QStringLiteral("demo"));
    addResultRows(t.db, 10);
    addResultRows(t.db, 9);
    const auto neighbour = rowsOfPlot(t.db, 9);
    QVERIFY(rowsOfPlot(t.db, 10).value(QStringLiteral("measurements")) > 0);
    QVERIFY(delete_plot(t.db, 10));
    for (const auto& [table, rows] : rowsOfPlot(t.db, 10).asKeyValueRange())
      QVERIFY2(rows == 0, qPrintable(table));
    QCOMPARE(rowsOfPlot(t.db, 9), neighbour);
    // the key comes back for the next plot, which starts without results or literature
    const qlonglong fl = add_plot(t.db, QStringLiteral("Heidmoor"), QStringLiteral("2"), QString());
    QCOMPARE(fl, 10);
    auto fresh = rowsOfPlot(t.db, 10);
    QCOMPARE(fresh.take(QStringLiteral("field_description")), 1);
    QCOMPARE(fresh.take(QStringLiteral("site_state")), 1);
    for (const auto& [table, rows] : fresh.asKeyValueRange())
      QVERIFY2(rows == 0, qPrintable(table));
    QVERIFY(!delete_plot(t.db, 999));
  }

  void deleteFailingHalfWayChangesNothing() {
    trb::test::TempDb t(QStringLiteral("demo"));
    addResultRows(t.db, 3);
    // the results table refuses, after the plot, its management and measurements are gone
    t.db.runNative(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE DELETE ON rs_table BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    for (int attempt = 0; attempt < 2; ++attempt) {
      const auto before = snapshot(t.db);
      if (attempt == 0)
        QVERIFY_THROWS_EXCEPTION(trb::db::DbError, delete_plot(t.db, 3));
      else
        QVERIFY_THROWS_EXCEPTION(
            trb::db::DbError,
            delete_experiment(t.db, QStringLiteral("Kleinhausen"), QStringLiteral("1")));
      QCOMPARE(snapshot(t.db), before);
    }
  }

  void deleteExperiment() {
    trb::test::TempDb t(QStringLiteral("demo"));
    addResultRows(t.db, 7);
    const auto other = rowsOfPlot(t.db, 1);
    const int otherRefs =
        count(t.db, QStringLiteral("select count(*) from ref2vcode where versuchs_code='1'"));
    QCOMPARE(delete_experiment(t.db, QStringLiteral("Heidmoor"), QStringLiteral("2")), 5);
    for (qlonglong fl = 6; fl <= 10; ++fl)
      for (const auto& [table, rows] : rowsOfPlot(t.db, fl).asKeyValueRange())
        QVERIFY2(rows == 0, qPrintable(QStringLiteral("%1 of plot %2").arg(table).arg(fl)));
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from experiments")), 1);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from ref2vcode where versuchs_code='2'")),
             0);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from ref2vcode where versuchs_code='1'")),
             otherRefs);
    QCOMPARE(rowsOfPlot(t.db, 1), other);
    // the next experiment gets the deleted code without its literature
    QCOMPARE(create_experiment(t.db, QStringLiteral("Neu")).code, 2);

    // an experiment row without plots goes by its own code
    t.db.execute(QStringLiteral(
        "insert into experiments (exp_id, vcode, location) values (9, '9', 'Leer')"));
    QCOMPARE(delete_experiment(t.db, QStringLiteral("Leer"), QStringLiteral("9")), 0);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from experiments where exp_id=9")), 0);
  }

  // --- Codes and keys ---------------------------------------------------------------------------

  void experimentCodeMustBeAPositiveNumber_data() {
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("expected");
    QTest::newRow("number") << " 12" << 12;
    QTest::newRow("zero") << "0" << -1;
    QTest::newRow("negative") << "-3" << -1;
    QTest::newRow("text") << "V 1" << -1;
    QTest::newRow("no code") << "?" << -1;
    QTest::newRow("fraction") << "1.5" << -1;
  }
  void experimentCodeMustBeAPositiveNumber() {
    QFETCH(QString, code);
    QFETCH(int, expected);
    if (expected > 0) {
      QCOMPARE(numeric_experiment_code(code), expected);
      return;
    }
    try {
      numeric_experiment_code(code);
      QFAIL("accepted");
    } catch (const trb::Error& e) {
      QCOMPARE(e.caption(), QStringLiteral("background adaptation impossible"));
      QCOMPARE(e.message(), QStringLiteral("please change the data manually in the database"));
    }
  }

  void changeExperimentCode() {
    trb::test::TempDb t(QStringLiteral("demo"));
    QCOMPARE(read_experiment(t.db, 2).location, QStringLiteral("Heidmoor"));
    // another experiment's ID, an empty location and another experiment's location are refused
    for (const auto& [code, location] :
         {std::pair{1, QStringLiteral("Heidmoor")}, std::pair{5, QStringLiteral(" ")},
          std::pair{5, QStringLiteral("kleinhausen")}, std::pair{0, QStringLiteral("Heidmoor")}}) {
      const auto before = snapshot(t.db);
      QVERIFY_THROWS_EXCEPTION(trb::Error, change_experiment_code(t.db, 2, code, location));
      QCOMPARE(snapshot(t.db), before);
    }
    change_experiment_code(t.db, 2, 5, QStringLiteral("Heidmoor-Süd"));
    const ExperimentRow row = read_experiment(t.db, 5);
    QVERIFY(row.found);
    QCOMPARE(row.vcode, QStringLiteral("5"));
    QCOMPARE(row.location, QStringLiteral("Heidmoor-Süd"));
    QVERIFY(!read_experiment(t.db, 2).found);
    QCOMPARE(count(t.db, QStringLiteral(
                             "select count(*) from field_description where versuch_code='5' and "
                             "location='Heidmoor-Süd'")),
             5);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from ref2vcode where versuchs_code='5'")),
             1);
    QCOMPARE(count(t.db,
                   QStringLiteral("select count(*) from field_description where versuch_code='1'")),
             5);
    // the same ID with a new location only
    change_experiment_code(t.db, 5, 5, QStringLiteral("Heidmoor"));
    QCOMPARE(read_experiment(t.db, 5).location, QStringLiteral("Heidmoor"));
  }

  void shiftPlotKeys_data() {
    QTest::addColumn<qlonglong>("offset");
    QTest::addColumn<int>("occupied");  // plots in the destination range; 0: shifted
    QTest::newRow("onto plot 111") << qlonglong(100) << 1;
    QTest::newRow("onto its own keys") << qlonglong(1) << 2;
    QTest::newRow("free range") << qlonglong(200) << 0;
    QTest::newRow("down into a free range") << qlonglong(-8) << 0;
  }
  void shiftPlotKeys() {
    QFETCH(qlonglong, offset);
    QFETCH(int, occupied);
    // "A" holds plots 10 and 12, "B" plot 11 between them, "C" plot 111
    trb::test::TempDb t(QStringLiteral("schema"));
    for (const auto& [fl, location] :
         {std::pair{10, "A"}, std::pair{11, "B"}, std::pair{12, "A"}, std::pair{111, "C"}}) {
      t.db.execute(
          QStringLiteral(
              "insert into field_description (fl_id, location, versuch_code) values (?, ?, ?)"),
          {fl, QString::fromLatin1(location), QString::fromLatin1(location)});
      t.db.execute(QStringLiteral("insert into site_state (FL_ID) values (?)"), {fl});
      t.db.execute(QStringLiteral("insert into measurements (FL_ID, M_IX) values (?, 7)"), {fl});
      t.db.execute(QStringLiteral("insert into cultivation (FL_ID, Macode) values (?, 2)"), {fl});
      addResultRows(t.db, fl);
    }
    const KeyRange range = plot_key_range(t.db, QStringLiteral("A"));
    QVERIFY(range.found);
    QCOMPARE(range.min, 10);
    QCOMPARE(range.max, 12);
    QCOMPARE(plots_in_range(t.db, range.min + offset, range.max + offset), occupied);
    const auto rowsOf10 = rowsOfPlot(t.db, 10);
    const auto rowsOf11 = rowsOfPlot(t.db, 11);
    const auto before = snapshot(t.db);
    if (occupied > 0) {
      try {
        shift_plot_keys(t.db, QStringLiteral("A"), offset);
        QFAIL("shifted");
      } catch (const trb::Error& e) {
        QCOMPARE(e.message(), QStringLiteral("%1 records in destination range !").arg(occupied));
      }
      QCOMPARE(snapshot(t.db), before);
      return;
    }
    QCOMPARE(shift_plot_keys(t.db, QStringLiteral("A"), offset), 2);
    QCOMPARE(rowsOfPlot(t.db, 10 + offset), rowsOf10);
    QCOMPARE(rowsOfPlot(t.db, 12 + offset), rowsOf10);
    for (const auto& [table, rows] : rowsOfPlot(t.db, 10).asKeyValueRange())
      QVERIFY2(rows == 0, qPrintable(table));
    for (const auto& [table, rows] : rowsOfPlot(t.db, 12).asKeyValueRange())
      QVERIFY2(rows == 0, qPrintable(table));
    QCOMPARE(rowsOfPlot(t.db, 11), rowsOf11);
    QCOMPARE(
        text(t.db, QStringLiteral("select location from field_description where fl_id=11"), {}),
        QStringLiteral("B"));
  }

  void shiftFailingHalfWayChangesNothing() {
    trb::test::TempDb t(QStringLiteral("demo"));
    addResultRows(t.db, 4);
    // the results of plot 4 refuse to move, after plots 1 to 3 and plot 4's own rows have moved
    t.db.runNative(QStringLiteral(
        "CREATE TRIGGER refuse BEFORE UPDATE ON rs_table BEGIN SELECT RAISE(ABORT, 'locked'); END"));
    const auto before = snapshot(t.db);
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError,
                             shift_plot_keys(t.db, QStringLiteral("Kleinhausen"), 100));
    QCOMPARE(snapshot(t.db), before);
  }

  void shiftRefusesKeysBelowZero() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const auto before = snapshot(t.db);
    QVERIFY_THROWS_EXCEPTION(trb::Error, shift_plot_keys(t.db, QStringLiteral("Kleinhausen"), -2));
    QCOMPARE(snapshot(t.db), before);
  }

  void destinationMessage() {
    QCOMPARE(destination_range_message(0),
             QStringLiteral("0 records in destination range ! press ok to start transfer"));
    QCOMPARE(destination_range_message(3), QStringLiteral("3 records in destination range !"));
  }
};

QTEST_GUILESS_MAIN(TstSites)
#include "tst_sites.moc"
