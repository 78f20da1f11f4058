#include <QSqlQuery>
#include <QtTest>
#include <cmath>

#include "core/base/error.h"
#include "core/browser/browser_service.h"
#include "core/browser/files_view.h"
#include "core/db/database.h"
#include "core/engine/run_selection.h"
#include "testutil.h"

using namespace trb::browser;

namespace {

int count(trb::db::Database& db, const QString& sql) {
  return db.scalar(sql).toInt();
}

const ExperimentNode* findExperiment(const QList<ExperimentNode>& tree, const QString& code) {
  for (const ExperimentNode& e : tree)
    if (e.vcode == code) return &e;
  return nullptr;
}

QList<qlonglong> keys(const QList<PlotNode>& plots) {
  QList<qlonglong> out;
  for (const PlotNode& p : plots) out.append(p.flId);
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

class TstBrowserService : public QObject {
  Q_OBJECT

 private slots:
  void labels_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    const QString n35 = QStringLiteral("abcdefghijklmnopqrstuvwxyz012345678");
    const QString n36 = n35 + QStringLiteral("9");
    QTest::newRow("35 characters stay whole") << n35 << n35;
    QTest::newRow("36 characters are shortened")
        << n36 << QStringLiteral("abcdefghijklmnop...uvwxyz0123456789");
  }
  void labels() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    QCOMPARE(rootLabel(input), expected);
  }

  void experimentLabel() {
    QCOMPARE(trb::browser::experimentLabel(QStringLiteral("Kleinhausen"), QStringLiteral("V 1")),
             QStringLiteral("Kleinhausen   <V 1>"));
  }

  void treeGroupsPlotsByLocation() {
    trb::test::TempDb t(QStringLiteral("demo"));
    // A second code at Kleinhausen: both of its experiment nodes list every plot there.
    t.db.execute(
        QStringLiteral("insert into field_description (FL_ID, versuch_code, Location, "
                       "site_description) values (100, '1b', 'Kleinhausen', 'extra')"));
    const QList<ExperimentNode> tree = readTree(t.db);
    QCOMPARE(tree.size(), 3);
    const ExperimentNode* one = findExperiment(tree, QStringLiteral("1"));
    const ExperimentNode* oneB = findExperiment(tree, QStringLiteral("1b"));
    const ExperimentNode* two = findExperiment(tree, QStringLiteral("2"));
    QVERIFY(one && oneB && two);
    QCOMPARE(keys(one->plots), (QList<qlonglong>{1, 2, 3, 4, 5, 100}));
    QCOMPARE(keys(oneB->plots), keys(one->plots));
    QVERIFY(!keys(two->plots).contains(1));
    QVERIFY(one->hasReferences && two->hasReferences);
    QVERIFY(!oneB->hasReferences);

    // Without a reference table the tree still builds, without references.
    t.db.dropTable(QStringLiteral("ref2vcode"));
    for (const ExperimentNode& e : readTree(t.db)) QVERIFY(!e.hasReferences);
  }

  void resultRowsFollowRsTable() {
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("delete from rs_table"));
    t.db.execute(
        QStringLiteral("insert into rs_table (FL_ID, M_IX, YEAR_) values "
                       "(2, 7, 1980), (2, -7, 1981)"));
    auto resultRows = [&] {
      QHash<qlonglong, int> out;
      for (const ExperimentNode& e : readTree(t.db))
        for (const PlotNode& p : e.plots) out.insert(p.flId, p.resultRows);
      return out;
    };
    QCOMPARE(resultRows().value(2), 2);
    QCOMPARE(resultRows().value(1), 0);
    t.db.execute(QStringLiteral("delete from rs_table where FL_ID=2"));
    QCOMPARE(resultRows().value(2), 0);
  }

  void managementColumns() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const QString longName = QStringLiteral("  Sommergerste mit Untersaat Weissklee");
    t.db.execute(QStringLiteral("insert into slvpflan (ITEM_IX, NAME) values (900, ?)"),
                 {longName});
    t.db.execute(QStringLiteral("insert into slvmindg (item_ix, NAME) values (900, 'KAS')"));
    t.db.execute(
        QStringLiteral("insert into cultivation (FL_ID, day, month, year, Macode, "
                       "Item_IX, Quantity, Sim_Quantity) values "
                       "(50, 1, 8, 2001, 2, 900, 50, 0), (50, 1, 8, 2002, 2, 777, 50, 0), "
                       "(50, 1, 4, 2003, 4, 900, 80, 0), (50, 1, 4, 2004, 6, 900, 8, 0)"));
    const PlotView v = loadPlot(t.db, 50);
    QVERIFY(!v.found);
    QCOMPARE(v.management.size(), 4);
    const auto& known = v.management.at(0);
    QCOMPARE(known.subjekt, longName.left(25).trimmed());
    QCOMPARE(known.aktion, QStringLiteral("Ernte, Nebenprodukt abgefahren"));
    QCOMPARE(known.unit, QStringLiteral("dt/ha"));
    QCOMPARE(known.rein, QStringLiteral("N"));
    QCOMPARE(known.datum, 2001);
    QCOMPARE(v.management.at(1).subjekt, QStringLiteral("?"));
    // Code 4 names a mineral fertilizer with the same key as the crop.
    QCOMPARE(v.management.at(2).subjekt, QStringLiteral("KAS"));
    // Code 6 is not in the action list: no action, no unit.
    QVERIFY(v.management.at(3).aktion.isEmpty());
    QVERIFY(v.management.at(3).unit.isEmpty());
  }

  void firstYear() {
    trb::test::TempDb t(QStringLiteral("demo"));
    QCOMPARE(loadPlot(t.db, 1).firstYear, 1980);
    // A set-aside initial value sorts first; the current one still gives the year.
    t.db.execute(
        QStringLiteral("update measurements set year_number=-99 where FL_ID=1 and "
                       "year_number=0"));
    t.db.execute(
        QStringLiteral("insert into measurements (FL_ID, M_IX, day, month, year, "
                       "year_number, meas_value) values (1, 7, 1, 4, 1984, 0, 1.7)"));
    const PlotView v = loadPlot(t.db, 1);
    QCOMPARE(v.measurements.first().yearNumber, -99);
    QCOMPARE(v.firstYear, 1984);
    t.db.execute(QStringLiteral("delete from measurements where FL_ID=1 and year_number=0"));
    QCOMPARE(loadPlot(t.db, 1).firstYear, -99);
  }

  void plotView() {
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update field_description set climate_ID=null where FL_ID=1"));
    PlotView v = loadPlot(t.db, 1);
    QVERIFY(v.found);
    QCOMPARE(v.site.siteDescription, QStringLiteral("Kontrolle (ohne Düngung)"));
    QCOMPARE(v.site.herkunft, QStringLiteral("P1"));
    QCOMPARE(v.site.comment, QStringLiteral("FB 12"));
    QCOMPARE(v.site.mwBat, 28.5);
    QCOMPARE(v.site.climateId, -99);
    QCOMPARE(v.site.soilId, 1);
    QVERIFY(!v.measurements.isEmpty());
    QVERIFY(!v.measurements.first().property.isEmpty() || v.measurements.first().mIx < 0);

    // Yearly results are cut to two decimals; a zero n_org gives no ratio instead of a failure.
    t.db.execute(QStringLiteral("delete from trb_nresult"));
    t.db.execute(
        QStringLiteral("insert into trb_nresult (FL_ID, year, n_m_om, c_som, n_org, bat) "
                       "values (1, 1981, 12.349, -0.001, 0, 30), "
                       "(1, 1980, 1, 50, 4, 30)"));
    v = loadPlot(t.db, 1);
    QCOMPARE(v.yearlyResults.size(), 2);
    QCOMPARE(v.yearlyResults.at(0).year, 1980);
    QCOMPARE(v.yearlyResults.at(0).cnr, 12.5);
    QCOMPARE(v.yearlyResults.at(1).nMOm, 12.34);
    QCOMPARE(v.yearlyResults.at(1).cSom, -0.01);
    QVERIFY(std::isnan(v.yearlyResults.at(1).cnr));

    t.db.dropTable(QStringLiteral("trb_nresult"));
    v = loadPlot(t.db, 1);
    QVERIFY(v.found);
    QVERIFY(v.yearlyResults.isEmpty());
  }

  void lookupLists() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const auto stations = trb::parameters::readStations(t.db);
    QCOMPARE(stations.first().key, -99);
    QCOMPARE(stations.first().text, QStringLiteral("-?-"));
    QCOMPARE(stations.size(), 3);
    QCOMPARE(trb::parameters::readSoils(t.db).first().text, QStringLiteral("-?-"));

    QList<int> actionCodes;
    for (const auto& a : trb::parameters::readActions(t.db)) actionCodes.append(a.actionId);
    QCOMPARE(actionCodes, (QList<int>{2, 3, 4, 7, 9}));

    // Organic substances count only when offered (od); "-" closes both orders.
    t.db.execute(QStringLiteral("update slvopspa set od=True where item_ix=103"));
    const auto byKey = trb::parameters::readItemsByKey(t.db);
    const auto byName = trb::parameters::readItemsByName(t.db);
    QCOMPARE(byKey.size(), byName.size());
    QCOMPARE(byKey.last().itemIx, -99);
    QCOMPARE(byKey.last().objekt, 7);
    QCOMPARE(byName.last().item, QStringLiteral("-"));
    int organic = 0;
    for (int i = 0; i < byKey.size(); ++i) {
      if (byKey.at(i).objekt == 3) ++organic;
      if (i > 0) {
        QVERIFY(byKey.at(i - 1).objekt <= byKey.at(i).objekt);
        if (byKey.at(i - 1).objekt == byKey.at(i).objekt)
          QVERIFY(byKey.at(i - 1).itemIx < byKey.at(i).itemIx);
      }
    }
    QCOMPARE(organic, count(t.db, QStringLiteral("select count(*) from slvopspa where od=True")));
    QVERIFY(organic >= 1);
  }

  void selectionLists() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const QList<SelectionEntry> experiment = experimentSelection(t.db, QStringLiteral("heidmoor"));
    const auto has = [](const QList<SelectionEntry>& list, qlonglong key, const QString& label) {
      for (const SelectionEntry& e : list)
        if (e.label == label) return e.flId == key;
      return false;
    };
    QVERIFY(has(experiment, 6, QStringLiteral("6: Fruchtfolge ohne Beregnung  ===>   B1")));
    const QList<SelectionEntry> all = databaseSelection(t.db);
    QCOMPARE(all.first().label, QStringLiteral(" 1: Kleinhausen - Kontrolle (ohne Düngung)"));
    QCOMPARE(all.first().flId, 1);
    QCOMPARE(all.at(2).flId, 3);
  }

  void filterRule() {
    const QString once = applyFilterCondition(QStringLiteral("fl_id=5"), QStringLiteral("x"));
    QCOMPARE(once, QStringLiteral("(fl_id=5) and (x)"));
    QCOMPARE(applyFilterCondition(once, QStringLiteral("y")),
             QStringLiteral("((fl_id=5) ) and (y)"));
  }

  void filesViewFilter() {
    trb::test::TempDb t(QStringLiteral("demo"));
    FilesTableModel model(t.db, QStringLiteral("measurements"));
    model.restrictToPlot(1);
    const int plotRows =
        count(t.db, QStringLiteral("select count(*) from measurements where fl_id=1"));
    QCOMPARE(model.rowCount(), plotRows);
    model.applyCondition(QStringLiteral("m_ix=7"));
    QCOMPARE(model.rowCount(), count(t.db, QStringLiteral("select count(*) from measurements "
                                                          "where fl_id=1 and m_ix=7")));
    // Applied again, the plot restriction stays and the new condition replaces the old.
    model.applyCondition(QStringLiteral("year_number=0"));
    QVERIFY(model.filter().startsWith(QStringLiteral("((fl_id=1) ) and (")));
    QCOMPARE(model.rowCount(), count(t.db, QStringLiteral("select count(*) from measurements "
                                                          "where fl_id=1 and year_number=0")));

    // The Access dialect is understood.
    FilesTableModel sites(t.db, QStringLiteral("field_description"));
    sites.restrictToLocation(QStringLiteral("Kleinhausen"));
    QCOMPARE(sites.rowCount(), 5);
    sites.applyCondition(QStringLiteral("site_description Like \"*Stallmist*\""));
    QCOMPARE(sites.rowCount(), 2);
    // A quote in a location is text, not SQL.
    sites.restrictToLocation(QStringLiteral("x' or '1'='1"));
    QCOMPARE(sites.rowCount(), 0);
  }

  void refusedCondition_data() {
    QTest::addColumn<QString>("condition");
    QTest::newRow("second statement") << "m_ix=7; delete from measurements";
    QTest::newRow("closing parenthesis") << "1=1) ; delete from measurements where (1=1";
    QTest::newRow("a statement") << "delete from measurements";
    QTest::newRow("empty") << "  ";
    QTest::newRow("unknown column") << "no_such_column=1";
  }
  void refusedCondition() {
    QFETCH(QString, condition);
    trb::test::TempDb t(QStringLiteral("demo"));
    const int rows = count(t.db, QStringLiteral("select count(*) from measurements"));
    FilesTableModel model(t.db, QStringLiteral("measurements"));
    model.restrictToPlot(1);
    const QString before = model.filter();
    QVERIFY_THROWS_EXCEPTION(trb::Error, model.applyCondition(condition));
    QCOMPARE(model.filter(), before);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from measurements")), rows);
  }

  void browserIndexes() {
    trb::test::TempDb t(QStringLiteral("demo"));
    auto indexCount = [&] {
      return count(t.db, QStringLiteral("select count(*) from sqlite_master where type='index'"));
    };
    // A new database has them all: nothing is added.
    const int fresh = indexCount();
    ensureBrowserIndexes(t.db);
    QCOMPARE(indexCount(), fresh);
    // A recreated result table and a missing one.
    t.db.dropTable(QStringLiteral("rs_table"));
    t.db.execute(QStringLiteral("select 1 as FL_ID, 7 as M_IX into rs_table"));
    t.db.dropTable(QStringLiteral("trb_nresult"));
    const int reduced = indexCount();
    ensureBrowserIndexes(t.db);
    ensureBrowserIndexes(t.db);
    QCOMPARE(indexCount(), reduced + 1);
    QCOMPARE(count(t.db, QStringLiteral("select count(*) from sqlite_master where type='index' "
                                        "and tbl_name='rs_table'")),
             1);
  }
};

QTEST_GUILESS_MAIN(TstBrowserService)
#include "tst_browser_service.moc"
