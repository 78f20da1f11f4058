// Copying plots into another database: what goes over, what is left alone, and that a plot goes
// whole or not at all.
#include <QSqlRecord>
#include <QtTest>

#include "core/transfer/plot_transfer.h"
#include "testutil.h"

using trb::test::RecordingFeedback;
using trb::test::TempDb;
using trb::transfer::KeyCheck;
using trb::transfer::PlotTransfer;

namespace {

struct Answers : trb::transfer::TransferQuestions {
  bool add = true;
  bool carryOver = false;
  QStringList asked;
  QList<KeyCheck> checks;
  QList<int> missingAtEnd;
  bool addPlotsToExistingExperiment(const QString& vcode) override {
    asked << vcode;
    return add;
  }
  void reviewKeyCheck(PlotTransfer& t, const KeyCheck& check) override {
    checks << check;
    if (carryOver)
      for (int item : check.missing) QVERIFY(t.copyParameterRow(check.phase, item));
  }
  bool continueWithPlot(int, int missing) override {
    missingAtEnd << missing;
    return true;
  }
};

int count(trb::db::Database& db, const QString& sql, const QVariantList& binds = {}) {
  return db.scalar(sql, binds).toInt();
}

// Every row of every table of a database, for "nothing changed".
QStringList everything(trb::db::Database& db) {
  QStringList out;
  for (const QString& t : db.userTables()) {
    QSqlQuery q = db.query(QStringLiteral("select * from ") + t);
    while (q.next()) {
      QStringList row{t};
      for (int i = 0; i < q.record().count(); ++i) row << q.value(i).toString();
      out << row.join(u'|');
    }
  }
  return out;
}

}  // namespace

class TstPlotTransfer : public QObject {
  Q_OBJECT

 private slots:
  void copiesPlotWithWhatItNeeds() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    const auto result = t.transfer({1}, false, answers, fb);
    QCOMPARE(result.copied, QList<int>{1});

    for (const char* table : {"measurements", "cultivation", "field_description", "site_state"}) {
      const QString sql = QStringLiteral("select count(*) from %1 where fl_id = 1").arg(table);
      QCOMPARE(count(dst.db, sql), count(src.db, sql));
    }
    QVERIFY(count(dst.db, QStringLiteral("select count(*) from measurements")) > 0);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from cultivation where fl_id_alt is "
                                          "not null")),
             0);
    QCOMPARE(dst.db.scalar(QStringLiteral("select site_description from field_description")),
             src.db.scalar(QStringLiteral("select site_description from field_description where "
                                          "fl_id = 1")));
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from soilproperties where soil_id = 1")),
             1);
    QCOMPARE(
        count(dst.db, QStringLiteral("select count(*) from climate_data where climate_id = 0")),
        count(src.db, QStringLiteral("select count(*) from climate_data where climate_id = 0")));
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from experiments where vcode = '1'")),
             1);
    // experiment 1 cites both references
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from ref2vcode")), 2);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from referenzen")), 2);
    // without the key check: no check lines, no waits
    QVERIFY(answers.checks.isEmpty());
    QVERIFY(!fb.lines.join(u'\n').contains(QStringLiteral("Trefferliste")));

    // a second plot on the same soil and station copies neither again
    const int weather = count(dst.db, QStringLiteral("select count(*) from climate_data"));
    RecordingFeedback second;
    QCOMPARE(t.transfer({2}, false, answers, second).copied, QList<int>{2});
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from climate_data")), weather);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from soilproperties")), 1);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from climate_station")), 1);
    // the experiment is there now: asked about, not added twice
    QCOMPARE(answers.asked, QStringList{QStringLiteral("1")});
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from experiments")), 1);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from ref2vcode")), 2);
  }

  // The stones of the soil, the plot's area and the station's deposition go over where both
  // files have those columns; a destination without them (an older file) still takes the plot.
  void optionalColumnsGoOverWhereBothHaveThem() {
    TempDb src(QStringLiteral("demo"));
    src.db.runNative(QStringLiteral(
        "update soilproperties set skelett = 12.5 where soil_id = 1;"
        "update field_description set area = 42 where fl_id = 1;"
        "update climate_station set year0_nd = 1950, ndep_0 = 10, year1_nd = 1990, ndep_1 = 30"));
    for (const bool older : {false, true}) {
      TempDb dst;
      if (older)
        dst.db.runNative(
            QStringLiteral("alter table soilproperties drop column skelett;"
                           "alter table field_description drop column area"));
      PlotTransfer t(src.db);
      t.selectDestination(dst.path);
      Answers answers;
      RecordingFeedback fb;
      QCOMPARE(t.transfer({1}, false, answers, fb).copied, QList<int>{1});
      if (!older) {
        QCOMPARE(dst.db.scalar(QStringLiteral("select skelett from soilproperties")).toDouble(),
                 12.5);
        QCOMPARE(dst.db.scalar(QStringLiteral("select area from field_description")).toDouble(),
                 42.0);
      }
      QCOMPARE(dst.db
                   .scalar(QStringLiteral(
                       "select year0_nd & '/' & ndep_0 & '/' & year1_nd & '/' & ndep_1 from "
                       "climate_station"))
                   .toString(),
               QStringLiteral("1950/10/1990/30"));
    }
  }

  void literatureIsNotDuplicated() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    dst.db.runNative(
        QStringLiteral("INSERT INTO referenzen (lit_id, Autor) VALUES (2, 'kept as it is');"
                       "INSERT INTO ref2vcode (lit_id, versuchs_code) VALUES (2, '1');"));
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    QCOMPARE(t.transfer({1}, false, answers, fb).copied, QList<int>{1});
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from ref2vcode where lit_id = 2")), 1);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from ref2vcode where lit_id = 1")), 1);
    QCOMPARE(dst.db.scalar(QStringLiteral("select autor from referenzen where lit_id = 2")),
             QVariant(QStringLiteral("kept as it is")));
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from referenzen")), 2);
  }

  // A plot the destination has is refused, and with it nothing is written.
  void takenPlotKeyIsRefused() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst(QStringLiteral("demo"));
    const QStringList before = everything(dst.db);
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    const auto result = t.transfer({3}, true, answers, fb);
    QVERIFY(result.copied.isEmpty());
    QCOMPARE(result.skipped, QList<int>{3});
    QVERIFY(fb.lines.join(u'\n').contains(QStringLiteral("plot 3")));
    QVERIFY(answers.asked.isEmpty());
    QCOMPARE(everything(dst.db), before);
  }

  void failureInsidePlotLeavesNoneOfIt() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    // the selection row is written after measurements, management and the plot row
    dst.db.runNative(QStringLiteral(
        "CREATE TRIGGER fail_here BEFORE INSERT ON site_state BEGIN SELECT RAISE(ABORT, "
        "'forced failure'); END;"));
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    QVERIFY_THROWS_EXCEPTION(trb::Error, t.transfer({1}, false, answers, fb));
    for (const char* table : {"measurements", "cultivation", "field_description", "site_state",
                              "soilproperties", "climate_data"})
      QCOMPARE(count(dst.db, QStringLiteral("select count(*) from %1").arg(table)), 0);
    // the source's connection is usable and has no file attached any more
    QCOMPARE(count(src.db, QStringLiteral("select count(*) from pragma_database_list")), 1);
  }

  void experimentQuestion_data() {
    QTest::addColumn<bool>("add");
    QTest::newRow("no: nothing is copied") << false;
    QTest::newRow("yes: plots join the experiment") << true;
  }
  void experimentQuestion() {
    QFETCH(bool, add);
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    dst.db.runNative(QStringLiteral(
        "INSERT INTO experiments (exp_id, vcode, location) VALUES (1, '1', 'there');"));
    const QStringList before = everything(dst.db);
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    answers.add = add;
    RecordingFeedback fb;
    // plot 6 belongs to experiment 2, which is new; plot 1 to experiment 1, which is there
    const auto result = t.transfer({6, 1}, false, answers, fb);
    QCOMPARE(answers.asked, QStringList{QStringLiteral("1")});
    QCOMPARE(result.canceled, !add);
    if (!add) {
      QCOMPARE(everything(dst.db), before);
      QVERIFY(fb.lines.join(u'\n').contains(QStringLiteral("non unique experiment ID")));
    } else {
      QCOMPARE(result.copied, (QList<int>{6, 1}));
      QCOMPARE(count(dst.db, QStringLiteral("select count(*) from experiments")), 2);
    }
  }

  // Items the destination lacks are listed; carried over, they no longer count as missing.
  void keyCheck_data() {
    QTest::addColumn<bool>("carryOver");
    QTest::newRow("listed") << false;
    QTest::newRow("carried over") << true;
  }
  void keyCheck() {
    QFETCH(bool, carryOver);
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    // what plot 3 uses: a crop of its harvests and the manure of its organic amendments
    const int crop = count(src.db, QStringLiteral("select min(item_ix) from cultivation where "
                                                  "fl_id = 3 and macode = 2"));
    const int manure = count(src.db, QStringLiteral("select min(item_ix) from cultivation where "
                                                    "fl_id = 3 and macode = 3"));
    dst.db.execute(QStringLiteral("delete from slvpflan where item_ix = ?"), {crop});
    dst.db.execute(QStringLiteral("delete from slvopspa where item_ix = ?"), {manure});
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    answers.carryOver = carryOver;
    RecordingFeedback fb;
    QCOMPARE(t.transfer({3}, true, answers, fb).copied, QList<int>{3});
    QCOMPARE(answers.checks.size(), 2);
    QCOMPARE(answers.checks[0].phase, KeyCheck::Phase::OrganicMatters);
    QCOMPARE(answers.checks[0].missing, QList<int>{manure});
    QCOMPARE(answers.checks[1].missing, QList<int>{crop});
    QVERIFY(!answers.checks[0].hits.isEmpty());
    // the error lines follow their heading
    const int heading = int(fb.lines.indexOf(QStringLiteral("Fehlerliste Ops:")));
    QVERIFY(heading >= 0);
    QCOMPARE(fb.lines.value(heading + 1), QString::number(manure));
    QCOMPARE(answers.missingAtEnd, QList<int>{carryOver ? 0 : 2});
    QCOMPARE(
        count(dst.db, QStringLiteral("select count(*) from slvopspa where item_ix = ?"), {manure}),
        carryOver ? 1 : 0);
    if (carryOver)
      QCOMPARE(
          dst.db.scalar(QStringLiteral("select name from slvpflan where item_ix = ?"), {crop}),
          src.db.scalar(QStringLiteral("select name from slvpflan where item_ix = ?"), {crop}));
  }

  void destinationChoice() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    const QString bak = PlotTransfer::backupName(dst.path);
    QVERIFY(QFile::exists(bak));
    // changed since: the next choice refreshes the copy
    dst.db.runNative(QStringLiteral("INSERT INTO experiments (exp_id, vcode) VALUES (77, 'x');"));
    t.selectDestination(dst.path);
    trb::db::Database copy = trb::db::Database::open(bak);
    QCOMPARE(count(copy, QStringLiteral("select count(*) from experiments where exp_id = 77")), 1);
    copy.close();

    QFile access(src.dir->filePath(QStringLiteral("old.mdb")));
    QVERIFY(access.open(QIODevice::WriteOnly));
    access.close();
    QVERIFY_THROWS_EXCEPTION(trb::Error, t.selectDestination(access.fileName()));
    QVERIFY_THROWS_EXCEPTION(trb::Error, t.selectDestination(src.path));
    TempDb bare(QStringLiteral("empty"));
    QVERIFY_THROWS_EXCEPTION(trb::Error, t.selectDestination(bare.path));
    QCOMPARE(t.destination(), QFileInfo(dst.path).absoluteFilePath());
  }
};

QTEST_GUILESS_MAIN(TstPlotTransfer)
#include "tst_plot_transfer.moc"
