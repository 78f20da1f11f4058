// trbdb transfer and trbdb sql with make-table queries into another file, as a script runs them.
#include <QProcess>
#include <QtTest>

#include "cli/cli_run.h"
#include "testutil.h"

namespace {

using trb::test::Run;

Run trbdb(const QStringList& args, const QString& cwd) {
  return trb::test::run(QStringLiteral(TRB_TRBDB), args, cwd);
}

int count(const QString& file, const QString& sql) {
  trb::db::Database db = trb::db::Database::open(file);
  return db.scalar(sql).toInt();
}

// The rows of a query, each as its values joined by "|".
QStringList rows(const QString& file, const QString& sql) {
  trb::db::Database db = trb::db::Database::open(file);
  QStringList out;
  QSqlQuery q = db.query(sql);
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
    out << cells.join(u'|');
  }
  return out;
}

}  // namespace

class TstTransferCommands : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString path(const QString& name) { return dir_.filePath(name); }

 private slots:
  void initTestCase() {
    QCOMPARE(trbdb({"create", path("src.sqlite"), "--demo"}, dir_.path()).code, 0);
  }

  // The exit status of trbdb transfer: 0 only when every plot went over with every value.
  void transfer_data() {
    QTest::addColumn<QString>("setup");  // run in the destination first
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("plotList");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("plots");
    QTest::addColumn<QString>("said");
    QTest::newRow("missing items: skipped")
        << "" << QStringList{} << "3" << 1 << 0 << "plot 3 is skipped";
    QTest::newRow("carried over") << "" << QStringList{"--copy-missing-parameters"} << "3" << 0 << 1
                                  << "copied slvopspa row";
    QTest::newRow("no key check") << "" << QStringList{"--no-key-check"} << "3" << 0 << 1
                                  << "1 of 1 plots copied";
    QTest::newRow("a plot the source lacks")
        << "" << QStringList{"--no-key-check"} << "3,77" << 1 << 0 << "has no plot 77";
    QTest::newRow("a soil that differs")
        << "insert into soilproperties (soil_id, profile, clay) values (1, 'Profile 1-2', 7)"
        << QStringList{"--no-key-check"} << "3,6" << 1 << 1
        << "plot 3 is not copied: soil 1 (\"Kleinhausen Löss-Schwarzerde\" in the open database, "
           "\"Profile 1-2\" in the destination) differs in BA_RBS_CODE";
    QTest::newRow("an older destination")
        << "alter table soilproperties drop column skelett" << QStringList{"--no-key-check"} << "3"
        << 0 << 1 << "soilproperties.skelett added";
    QTest::newRow("an older destination kept")
        << "alter table soilproperties drop column skelett"
        << QStringList{"--no-key-check", "--keep-schema"} << "3" << 1 << 1
        << "The destination lacks soilproperties.skelett";
  }
  void transfer() {
    QFETCH(QString, setup);
    QFETCH(QStringList, switches);
    QFETCH(QString, plotList);
    QFETCH(int, code);
    QFETCH(int, plots);
    QFETCH(QString, said);
    const QString dst = path(QStringLiteral("dst_%1.sqlite").arg(QTest::currentDataTag()));
    QCOMPARE(trbdb({"create", dst}, dir_.path()).code, 0);
    {
      // the manure of plot 3 is unknown there
      trb::db::Database db = trb::db::Database::open(dst);
      trb::db::Database src = trb::db::Database::open(path("src.sqlite"));
      const QVariant manure = src.scalar(
          QStringLiteral("select min(item_ix) from cultivation where fl_id = 3 and macode = 3"));
      db.execute(QStringLiteral("delete from slvopspa where item_ix = ?"), {manure});
      if (!setup.isEmpty()) db.runNative(setup);
    }
    const Run r =
        trbdb(QStringList{"transfer", path("src.sqlite"), dst, "--plots", plotList} + switches,
              dir_.path());
    QVERIFY2(r.code == code, qPrintable(r.out + r.err));
    QCOMPARE(count(dst, QStringLiteral("select count(*) from field_description")), plots);
    QVERIFY(QFile::exists(dst + QStringLiteral(".bak")));
    QVERIFY2((r.out + r.err).contains(said), qPrintable(r.out + r.err));
    if (switches.isEmpty()) QVERIFY(r.out.contains(QStringLiteral("Fehlerliste Ops:")));
    if (switches.contains(QStringLiteral("--no-key-check")))
      QVERIFY(!r.out.contains(QStringLiteral("Trefferliste")));
  }

  // A plot copied into an older destination calculates there as in the source: the stones of its
  // soil and its station's deposition go over.
  void copiedPlotCalculatesAsInTheSource() {
    const QString src = path(QStringLiteral("calc_src.sqlite"));
    const QString dst = path(QStringLiteral("calc_dst.sqlite"));
    QCOMPARE(trbdb({"create", src, "--demo"}, dir_.path()).code, 0);
    QCOMPARE(trbdb({"create", dst}, dir_.path()).code, 0);
    {
      trb::db::Database db = trb::db::Database::open(dst);
      db.runNative(QStringLiteral(
          "alter table soilproperties drop column skelett;"
          "alter table field_description drop column area;"
          "alter table climate_station drop column year0_nd; alter table climate_station drop "
          "column ndep_0; alter table climate_station drop column year1_nd; alter table "
          "climate_station drop column ndep_1; drop table reg_ndeposit"));
    }
    Run r = trbdb({"transfer", src, dst, "--plots", "6", "--no-key-check"}, dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    QStringList balances;
    for (const QString& db : {src, dst}) {
      r = trb::test::run(QStringLiteral(TRB_TRBSIM), {"DB=" + db, "--select", "6", "go"},
                         dir_.path());
      QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
      r = trbdb({"nbalance", db, "--plot", "6"}, dir_.path());
      QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
      balances << r.out;
    }
    const QString results = QStringLiteral(
        "select fl_id, m_ix, year_, sim_value, meas_value from rs_table where fl_id = 6 union all "
        "select fl_id, year, n_m_om, c_som, null from trb_nresult where fl_id = 6 order by 1, 2, 3");
    const QStringList here = rows(src, results), there = rows(dst, results);
    QVERIFY(here.size() > 20);
    QCOMPARE(there, here);
    QVERIFY(balances[0].contains(QStringLiteral("6")));
    QCOMPARE(balances[1], balances[0]);
  }

  // A transfer killed part way leaves the destination exactly as before, and the next transfer
  // keeps the backup the killed one took.
  void killedTransferLeavesDestinationAsItWas_data() {
    QTest::addColumn<int>("after");
    QTest::newRow("after the first plot") << 1;
    QTest::newRow("after 300 plots") << 300;
  }
  void killedTransferLeavesDestinationAsItWas() {
    QFETCH(int, after);
    const QString src = path(QStringLiteral("many.sqlite"));
    QStringList plots;
    if (!QFile::exists(src)) {
      QCOMPARE(trbdb({"create", src, "--demo"}, dir_.path()).code, 0);
      trb::db::Database db = trb::db::Database::open(src);
      trb::db::Transaction tx(db);
      // the ten demo plots a hundred times over
      for (int k = 1; k < 100; ++k) {
        const QVariantList offset{k * 100};
        db.execute(QStringLiteral(
                       "insert into field_description (FL_ID, versuch_code, Location, "
                       "site_description, Herkunft, classification, comment, soil_ID, climate_ID, "
                       "mw_bat, area) select FL_ID + ?, versuch_code, Location, site_description, "
                       "Herkunft, classification, comment, soil_ID, climate_ID, mw_bat, area "
                       "from field_description where FL_ID <= 10"),
                   offset);
        db.execute(QStringLiteral("insert into measurements (FL_ID, M_IX, day, month, year, "
                                  "year_number, meas_value) select FL_ID + ?, M_IX, day, month, "
                                  "year, year_number, meas_value from measurements where FL_ID "
                                  "<= 10"),
                   offset);
        db.execute(QStringLiteral("insert into cultivation (FL_ID, day, month, year, Macode, "
                                  "Item_IX, Quantity, Sim_Quantity) select FL_ID + ?, day, month, "
                                  "year, Macode, Item_IX, Quantity, Sim_Quantity from cultivation "
                                  "where FL_ID <= 10"),
                   offset);
        db.execute(QStringLiteral("insert into site_state (FL_ID) select FL_ID + ? from "
                                  "site_state where FL_ID <= 10"),
                   offset);
      }
      tx.commit();
    }
    for (int k = 0; k < 100; ++k)
      for (int p = 1; p <= 10; ++p) plots << QString::number(k * 100 + p);
    const QString dst = path(QStringLiteral("killed_%1.sqlite").arg(after));
    QCOMPARE(trbdb({"create", dst}, dir_.path()).code, 0);
    const QStringList before = trb::test::dump(dst);

    QProcess p;
    p.setWorkingDirectory(dir_.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.path());
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRB_TRBDB),
            {"transfer", src, dst, "--plots", plots.join(u','), "--no-key-check"});
    QByteArray out;
    const QByteArray line = QStringLiteral("plot %1 copied").arg(plots.at(after - 1)).toUtf8();
    while (!out.contains(line) && p.waitForReadyRead(60000)) out += p.readAllStandardOutput();
    QVERIFY2(out.contains(line), out.right(400).constData());
    QVERIFY(!out.contains("plots copied"));  // still at work
    p.kill();
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);

    QCOMPARE(trb::test::dump(dst), before);
    QVERIFY(QFile::exists(dst + QStringLiteral(".unfinished-transfer")));
    // the next run takes a backup of its own and leaves the killed run's alone
    const Run r = trbdb({"transfer", src, dst, "--plots", "1,2", "--no-key-check"}, dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.out + r.err));
    QVERIFY2(r.out.contains(QStringLiteral("backup of the destination: ") + dst +
                            QStringLiteral(".bak.1")),
             qPrintable(r.out));
    QVERIFY2(r.err.contains(dst + QStringLiteral(".bak is kept")), qPrintable(r.err));
    QCOMPARE(trb::test::dump(dst + QStringLiteral(".bak")), before);
    QCOMPARE(count(dst, QStringLiteral("select count(*) from field_description")), 2);
  }

  // A make-table query into another file inside a script: the script commits or changes nothing
  // as a whole, that file included.
  void sqlIntoAnotherFile() {
    QFile ok(path("into.sql"));
    QVERIFY(ok.open(QIODevice::WriteOnly));
    ok.write(
        "select * into t in \"other.sqlite\" from experiments\ngo\n"
        "update experiments set herkunft = 'changed'\n");
    ok.close();
    Run r = trbdb({"sql", path("src.sqlite"), path("into.sql")}, dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(count(path("other.sqlite"), QStringLiteral("select count(*) from t")), 2);
    QCOMPARE(count(path("src.sqlite"),
                   QStringLiteral("select count(*) from experiments where herkunft = 'changed'")),
             2);

    QFile bad(path("bad.sql"));
    QVERIFY(bad.open(QIODevice::WriteOnly));
    bad.write(
        "select * into t2 in \"other.sqlite\" from experiments\ngo\n"
        "update experiments set herkunft = 'again'\ngo\nselect nosuch from experiments\n");
    bad.close();
    r = trbdb({"sql", path("src.sqlite"), path("bad.sql")}, dir_.path());
    QCOMPARE(r.code, 1);
    trb::db::Database other = trb::db::Database::open(path("other.sqlite"));
    QVERIFY(!other.hasTable(QStringLiteral("t2")));
    QCOMPARE(count(path("src.sqlite"),
                   QStringLiteral("select count(*) from experiments where herkunft = 'again'")),
             0);
  }
};

QTEST_GUILESS_MAIN(TstTransferCommands)
#include "tst_transfer_commands.moc"
