// The bundled schema, default parameters and demo experiments: they build, and their rows hang
// together the way the calculations rely on.
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>
#include <memory>

#include "testutil.h"

namespace {

// Runs plain SQLite text and returns the first column of every row, as text.
QStringList firstColumn(trb::db::Database& db, const QString& sql) {
  QSqlQuery q(db.qt());
  if (!q.exec(sql)) qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
  QStringList out;
  while (q.next()) out << q.value(0).toString();
  return out;
}

}  // namespace

class TstBundledData : public QObject {
  Q_OBJECT
  std::unique_ptr<trb::test::TempDb> demo_;

 private slots:
  void initTestCase() { demo_ = std::make_unique<trb::test::TempDb>(QStringLiteral("demo")); }

  // Each query lists the rows that break one rule; none may come back.
  void noOffenders_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("crop residue substance") << "SELECT ITEM_IX FROM slvpflan WHERE ewr_ix NOT IN "
                                               "(SELECT item_ix FROM slvopspa)";
    QTest::newRow("crop by-product substance")
        << "SELECT ITEM_IX FROM slvpflan WHERE kop_ix NOT IN "
           "(SELECT item_ix FROM slvopspa)";
    QTest::newRow("crop third substance") << "SELECT ITEM_IX FROM slvpflan WHERE grd_ix NOT IN "
                                             "(SELECT item_ix FROM slvopspa)";
    QTest::newRow("crop humus class") << "SELECT ITEM_IX FROM slvpflan WHERE ros_ix NOT IN "
                                         "(SELECT ros_ix FROM ros_pflan)";
    QTest::newRow("crop class in every site group")
        << "SELECT p.ros_ix FROM ros_pflan p LEFT JOIN st_ros_pfl s ON s.ros_ix = p.ros_ix "
           "GROUP BY p.ros_ix HAVING count(DISTINCT s.st_gr) <> 6 OR min(s.st_gr) <> 1 "
           "OR max(s.st_gr) <> 6";
    QTest::newRow("substance humus class") << "SELECT item_ix FROM slvopspa WHERE ros_ix NOT IN "
                                              "(SELECT ros_ix FROM ros_od) OR ros_ix NOT IN "
                                              "(SELECT ros_ix FROM st_ros_od)";
    // Both ratios divide the input carbon; a zero stops a calculation.
    QTest::newRow("substance C/N ratios")
        << "SELECT item_ix FROM slvopspa WHERE NOT (cnr > 0 AND cnr_alt > 0 AND k > 0 "
           "AND eta >= 0 AND eta < 1 AND ts_gehalt > 0 AND c_geh_ts > 0)";
    QTest::newRow("names in both languages")
        << "SELECT 'crop ' || ITEM_IX FROM slvpflan WHERE NAME IS NOT NAME_de OR "
           "coalesce(NAME_de, '') = '' OR coalesce(NAME_en, '') = '' "
           "UNION ALL SELECT 'substance ' || item_ix FROM slvopspa WHERE NAME IS NOT NAME_de OR "
           "coalesce(NAME_de, '') = '' OR coalesce(NAME_en, '') = '' "
           "UNION ALL SELECT 'action ' || ACTION_ID FROM SLVAKTION WHERE ACTION IS NOT action_de "
           "OR def_intensity IS NOT def_intensity_de OR coalesce(action_en, '') = '' OR "
           "coalesce(def_intensity_en, '') = '' OR coalesce(UNIT_INTENSITY, '') = ''";
    QTest::newRow("every action code")
        << "WITH codes(c) AS (VALUES (0),(1),(2),(3),(4),(5),(6),(7),(8),(9),(10),(11),(12),"
           "(21),(22),(23)) SELECT c FROM codes WHERE c NOT IN (SELECT ACTION_ID FROM SLVAKTION)";
    QTest::newRow("properties the model uses")
        << "WITH codes(c) AS (VALUES (7),(0),(5),(-1)) SELECT c FROM codes "
           "WHERE c NOT IN (SELECT M_IX FROM SLN_MWML)";
    QTest::newRow("harvested crop") << "SELECT cultivation_id FROM cultivation WHERE Macode IN "
                                       "(2, 9) AND Item_IX NOT IN (SELECT ITEM_IX FROM slvpflan)";
    QTest::newRow("organic fertiliser")
        << "SELECT cultivation_id FROM cultivation WHERE Macode = 3 AND Item_IX NOT IN "
           "(SELECT item_ix FROM slvopspa WHERE od = -1)";
    QTest::newRow("mineral fertiliser")
        << "SELECT cultivation_id FROM cultivation WHERE Macode = 4 "
           "AND Item_IX NOT IN (SELECT item_ix FROM slvmindg)";
    QTest::newRow("action and property codes")
        << "SELECT 'action ' || Macode FROM cultivation WHERE Macode NOT IN "
           "(SELECT ACTION_ID FROM SLVAKTION) UNION ALL SELECT 'property ' || M_IX FROM "
           "measurements WHERE M_IX NOT IN (SELECT M_IX FROM SLN_MWML)";
    QTest::newRow("plot without soil, station or selection row")
        << "SELECT f.FL_ID FROM field_description f LEFT JOIN soilproperties s ON s.soil_ID = "
           "f.soil_ID LEFT JOIN climate_station c ON c.climate_ID = f.climate_ID LEFT JOIN "
           "site_state t ON t.FL_ID = f.FL_ID LEFT JOIN experiments e ON e.vcode = "
           "f.versuch_code WHERE s.soil_ID IS NULL OR c.climate_ID IS NULL OR t.FL_ID IS NULL "
           "OR e.exp_id IS NULL OR f.mw_bat <= 0";
    // The yearly walk stops at a year without a harvest or amendment, and needs weather (or the
    // station's long-term row) in each of them.
    QTest::newRow("management year without weather")
        << "SELECT DISTINCT c.FL_ID || '/' || c.year FROM cultivation c JOIN field_description f "
           "ON f.FL_ID = c.FL_ID WHERE NOT EXISTS (SELECT 1 FROM climate_data d WHERE "
           "d.climate_ID = f.climate_ID AND d.year = c.year) OR NOT EXISTS (SELECT 1 FROM "
           "climate_data d WHERE d.climate_ID = f.climate_ID AND d.year = 0)";
    QTest::newRow("gap in the management years")
        << "SELECT FL_ID FROM (SELECT FL_ID, year FROM cultivation WHERE Macode IN (2, 3, 9) "
           "GROUP BY FL_ID, year) GROUP BY FL_ID HAVING max(year) - min(year) + 1 <> count(*)";
    QTest::newRow("start carbon and nitrogen")
        << "SELECT f.FL_ID FROM field_description f WHERE (SELECT count(*) FROM measurements m "
           "WHERE m.FL_ID = f.FL_ID AND m.M_IX = 7 AND m.year_number = 0 AND m.meas_value > 0 "
           "AND m.year = (SELECT min(year) FROM cultivation c WHERE c.FL_ID = f.FL_ID)) <> 1 "
           "OR NOT EXISTS (SELECT 1 FROM measurements m WHERE m.FL_ID = f.FL_ID AND m.M_IX = 0 "
           "AND m.year_number = 0)";
    QTest::newRow("year number of later samples")
        << "SELECT m.meas_id FROM measurements m JOIN measurements s ON s.FL_ID = m.FL_ID AND "
           "s.M_IX = 7 AND s.year_number = 0 WHERE m.year_number > 0 AND m.year_number <> 1 + "
           "m.year - s.year";
    QTest::newRow("soil classes")
        << "SELECT soil_ID FROM soilproperties WHERE clay < 0 OR BA_RBS "
           "NOT IN ('S','Sl','lS','SL','sL','L','LT','T') OR trim(BA_KA4) "
           "NOT IN ('Uu','Us','Su4','Su3','Su2','Sl2','Ss','St2','Sl3',"
           "'Sl4','Slu','Uls','Ut2','Ut3','Ut4','Tu4','Lu','Tu3','Lt3',"
           "'Lt2','Ls2','Ls3','Lts','Ls4','St3','Ts4','Ts3','Ts2','Tl',"
           "'Tu2','Tt')";
  }
  void noOffenders() {
    QFETCH(QString, sql);
    const QStringList rows = firstColumn(demo_->db, sql);
    QVERIFY2(rows.isEmpty(), qPrintable(rows.join(u", ")));
  }

  // The demo exercises what a calculation needs: selected plots, samples beyond the start,
  // microbial carbon, a start deviation, irrigation, a harvest whose straw stays, a no-till plot,
  // and references linked to an experiment.
  void demoCoversTheCases_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("selected plots") << "SELECT FL_ID FROM site_state WHERE status = 1";
    QTest::newRow("later carbon samples") << "SELECT 1 FROM measurements WHERE M_IX = 7 AND "
                                             "year_number > 1";
    QTest::newRow("microbial carbon") << "SELECT 1 FROM measurements WHERE M_IX = 5";
    QTest::newRow("start deviation") << "SELECT 1 FROM measurements WHERE M_IX = -1";
    QTest::newRow("irrigation") << "SELECT 1 FROM cultivation WHERE Macode = 7 AND Item_IX = -99";
    QTest::newRow("straw stays") << "SELECT 1 FROM cultivation WHERE Macode = 9";
    QTest::newRow("no-till") << "SELECT 1 FROM field_description WHERE upper(comment) LIKE "
                                "'%NOTILL%'";
    QTest::newRow("soil with derived values") << "SELECT 1 FROM soilproperties WHERE silt < 0 "
                                                 "AND silt_org = 0";
    QTest::newRow("deposition") << "SELECT 1 FROM climate_station s JOIN reg_ndeposit r ON "
                                   "r.climate_id = s.climate_ID WHERE s.year1_nd > s.year0_nd";
    QTest::newRow("references") << "SELECT 1 FROM referenzen r JOIN ref2vcode v ON v.lit_id = "
                                   "r.lit_id JOIN experiments e ON e.vcode = v.versuchs_code "
                                   "JOIN key2ref2fl k ON k.ref_id = r.lit_id";
  }
  void demoCoversTheCases() {
    QFETCH(QString, sql);
    QVERIFY(!firstColumn(demo_->db, sql).isEmpty());
  }

  // Yes/no columns are read as -1/0 by filters such as "od=-1".
  void yesNoValues() {
    for (const QString& table : demo_->db.userTables()) {
      QSqlQuery info(demo_->db.qt());
      QVERIFY(info.exec(QStringLiteral("PRAGMA table_info(\"%1\")").arg(table)));
      while (info.next()) {
        if (info.value(2).toString().compare(u"YESNO", Qt::CaseInsensitive) != 0) continue;
        const QString col = info.value(1).toString();
        const QStringList bad = firstColumn(
            demo_->db, QStringLiteral("SELECT DISTINCT \"%1\" FROM \"%2\" WHERE \"%1\" NOT IN "
                                      "(-1, 0)")
                           .arg(col, table));
        QVERIFY2(bad.isEmpty(),
                 qPrintable(QStringLiteral("%1.%2: %3").arg(table, col, bad.join(u", "))));
      }
    }
  }

  // The simulation appends rows to these tables by position.
  void resultColumnOrder_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("trb_nresult") << "trb_nresult"
                                 << QStringList{"FL_ID", "year",  "n_m_om",  "n_ops",
                                                "C_ops", "c_som", "c_inert", "n_org",
                                                "n_som", "c_mic", "c_rep",   "bat"};
    QTest::newRow("trb_zbv") << "trb_zbv"
                             << QStringList{"fl_id",     "year_", "C_min_total", "c_min_fom",
                                            "C_rep_flx", "C_fom", "c_som",       "c_inert"};
    QTest::newRow("trb_driver") << "trb_driver"
                                << QStringList{"fl_id",       "c_input_mean", "c_start",
                                               "c_inert_pct", "bat_mean",     "meas_last",
                                               "sim_last",    "year_num"};
    QTest::newRow("site_state") << "site_state" << QStringList{"FL_ID", "status", "marker"};
  }
  void resultColumnOrder() {
    QFETCH(QString, table);
    QFETCH(QStringList, expected);
    QCOMPARE(demo_->db.columns(table).join(u',').toLower(), expected.join(u',').toLower());
  }

  // The simulation reads rs_table in the order of its index "sort".
  void rsTableSortIndex() {
    QCOMPARE(firstColumn(demo_->db, "SELECT name FROM pragma_index_info('sort')").join(u','),
             QStringLiteral("FL_ID,YEAR_,YEAR_NUM"));
  }

  // Text columns compare without regard to case, as the statements expect.
  void textIgnoresCase() {
    QCOMPARE(firstColumn(demo_->db,
                         "SELECT FL_ID FROM field_description WHERE Location = "
                         "'KLEINHAUSEN' AND FL_ID = 1"),
             QStringList{"1"});
  }
};

QTEST_GUILESS_MAIN(TstBundledData)
#include "tst_bundled_data.moc"
