// Copying plots into another database: what goes over, what is left alone, and that a plot goes
// whole or not at all.
#include <QRegularExpression>
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

  // An older destination (without the stones of the soil, the plot's area, the station's
  // deposition columns and its table of yearly deposition) is brought up to date before the copy,
  // so that every value goes over; kept as it is, the copy says what it left out.
  void olderDestination_data() {
    QTest::addColumn<bool>("older");
    QTest::addColumn<bool>("update");
    QTest::newRow("current destination") << false << true;
    QTest::newRow("older, brought up to date") << true << true;
    QTest::newRow("older, kept as it is") << true << false;
  }
  void olderDestination() {
    QFETCH(bool, older);
    QFETCH(bool, update);
    TempDb src(QStringLiteral("demo"));
    src.db.runNative(
        QStringLiteral("update soilproperties set skelett = 12.5 where soil_id = 1;"
                       "update field_description set area = 42 where fl_id = 1"));
    TempDb dst;
    if (older)
      dst.db.runNative(
          QStringLiteral("alter table soilproperties drop column skelett;"
                         "alter table field_description drop column area;"
                         "alter table climate_station drop column year0_nd;"
                         "alter table climate_station drop column ndep_1;"
                         "drop table reg_ndeposit"));
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    const QStringList missing = t.missingInDestination();
    QCOMPARE(missing.size(), older ? 5 : 0);
    if (older)
      QVERIFY2(missing.contains(QStringLiteral("soilproperties.skelett")) &&
                   missing.contains(QStringLiteral("reg_ndeposit")),
               qPrintable(missing.join(u',')));
    Answers answers;
    RecordingFeedback fb;
    trb::transfer::TransferOptions options;
    options.keyCheck = false;
    options.updateSchema = update;
    const auto result = t.transfer({1}, options, answers, fb);
    QCOMPARE(result.copied, QList<int>{1});
    QCOMPARE(result.incomplete, !update);
    QVERIFY2(fb.lines.join(u'\n').contains(QStringLiteral("reg_ndeposit")) == older,
             qPrintable(fb.lines.join(u'\n')));
    if (!update) {
      QVERIFY(!dst.db.hasColumn(QStringLiteral("soilproperties"), QStringLiteral("skelett")));
      return;
    }
    QCOMPARE(dst.db.scalar(QStringLiteral("select skelett from soilproperties")).toDouble(), 12.5);
    QCOMPARE(dst.db.scalar(QStringLiteral("select area from field_description")).toDouble(), 42.0);
    QCOMPARE(dst.db
                 .scalar(QStringLiteral(
                     "select year0_nd & '/' & ndep_0 & '/' & year1_nd & '/' & ndep_1 from "
                     "climate_station"))
                 .toString(),
             QStringLiteral("1980/45/2010/20"));
    auto deposition = [](trb::db::Database& db) {
      QStringList out;
      QSqlQuery q = db.query(QStringLiteral(
          "select year & ':' & N_dep_y from reg_ndeposit where climate_id = 0 order by year"));
      while (q.next()) out << q.value(0).toString();
      return out;
    };
    QCOMPARE(deposition(dst.db), deposition(src.db));
    QVERIFY(!deposition(dst.db).isEmpty());
    // a plot's area that was never given keeps the value of a missing one
    TempDb older2;
    older2.db.runNative(
        QStringLiteral("alter table field_description drop column area;"
                       "insert into field_description (fl_id) values (99)"));
    PlotTransfer t2(src.db);
    t2.selectDestination(older2.path);
    QCOMPARE(t2.transfer({2}, options, answers, fb).copied, QList<int>{2});
    QCOMPARE(older2.db.scalar(QStringLiteral("select area from field_description where fl_id = 99"))
                 .toDouble(),
             -99.0);
  }

  // A soil or station with the plot's key but other values in the destination: the plot is not
  // copied, and the message names the key, both names and what differs; copied anyway, it uses
  // the destination's. Equal values under another name are the same soil or station.
  void differingSoilOrStation_data() {
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("anyway");
    QTest::addColumn<QString>("message");
    const QString soil = QStringLiteral(
        "soil 2 (\"Heidmoor Sand-Braunerde\" in the open database, \"Profile 1-2\" in the "
        "destination) differs in ");
    const QString station = QStringLiteral(
        "station 1 (\"Heidmoor\" in the open database, \"Station 2\" in the destination) "
        "differs in ");
    const QString soilName = QStringLiteral("update soilproperties set profile = 'Profile 1-2';");
    const QString stationName = QStringLiteral("update climate_station set station = 'Station 2';");
    QTest::newRow("clay") << soilName + "update soilproperties set clay = 7" << false
                          << soil + "clay";
    QTest::newRow("clay, copied anyway")
        << soilName + "update soilproperties set clay = 7" << true << soil + "clay";
    QTest::newRow("stones") << soilName + "update soilproperties set skelett = 0" << false
                            << soil + "skelett";
    QTest::newRow("deposition trend")
        << stationName + "update climate_station set ndep_1 = 19" << false << station + "ndep_1";
    QTest::newRow("weather of a year")
        << stationName + "update climate_data set temperature = 9.1 where year = 2019" << false
        << station + "climate_data.temperature (year 2019, month 12, day 31)";
    QTest::newRow("a weather row less")
        << stationName + "delete from climate_data where year = 2020" << false
        << station + "climate_data (";
    QTest::newRow("deposition of a year")
        << stationName + "update reg_ndeposit set N_dep_y = 17 where year = 2018" << false
        << station + "reg_ndeposit.N_dep_y (year 2018)";
    QTest::newRow("names only") << soilName + stationName << false << QString();
  }
  void differingSoilOrStation() {
    QFETCH(QString, change);
    QFETCH(bool, anyway);
    QFETCH(QString, message);
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    // plot 7 brings soil 2 and station 1 over; then they are changed there
    QCOMPARE(t.transfer({7}, false, answers, fb).copied, QList<int>{7});
    dst.db.runNative(change);
    const QStringList soilAndStation = everything(dst.db).filter(
        QRegularExpression(QStringLiteral("^(soilproperties|climate_|reg_ndeposit)")));
    trb::transfer::TransferOptions options;
    options.keyCheck = false;
    options.copyAnyway = anyway;
    RecordingFeedback second;
    const auto result = t.transfer({6}, options, answers, second);
    const bool copied = message.isEmpty() || anyway;
    QCOMPARE(result.copied, copied ? QList<int>{6} : QList<int>{});
    QCOMPARE(result.differing, copied ? QList<int>{} : QList<int>{6});
    QCOMPARE(
        count(dst.db, QStringLiteral("select count(*) from field_description where fl_id = 6")),
        copied ? 1 : 0);
    const QString said = second.lines.join(u'\n');
    if (!message.isEmpty())
      QVERIFY2(said.contains((anyway ? QStringLiteral("plot 6 is copied anyway and uses the "
                                                      "destination's: ")
                                     : QStringLiteral("plot 6 is not copied: ")) +
                             message),
               qPrintable(said));
    // the destination's soil and station stay as they were
    QCOMPARE(everything(dst.db).filter(
                 QRegularExpression(QStringLiteral("^(soilproperties|climate_|reg_ndeposit)"))),
             soilAndStation);
  }

  // A plot without a soil or a station copies none and says so.
  void plotWithoutSoil_data() {
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << QStringLiteral("null");
    QTest::newRow("missing value") << QStringLiteral("-99");
  }
  void plotWithoutSoil() {
    QFETCH(QString, key);
    TempDb src(QStringLiteral("demo"));
    src.db.runNative(QStringLiteral("insert into soilproperties (soil_id, profile) values (0, 'x');"
                                    "update field_description set soil_id = %1, climate_id = %1 "
                                    "where fl_id = 1")
                         .arg(key));
    TempDb dst;
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    QCOMPARE(t.transfer({1}, false, answers, fb).copied, QList<int>{1});
    const QString line = fb.lines.filter(QStringLiteral("plot 1 copied")).value(0);
    QVERIFY2(line.endsWith(QStringLiteral("no soil, no station")), qPrintable(line));
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from soilproperties")), 0);
    QCOMPARE(count(dst.db, QStringLiteral("select count(*) from climate_station")), 0);
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

  // A run is one transaction: a failure in its second plot leaves nothing of the first, nor of
  // the schema update; plots the open database lacks are refused before anything is copied.
  void failedRunLeavesDestinationAsItWas() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    dst.db.runNative(QStringLiteral(
        "alter table soilproperties drop column skelett;"
        "CREATE TRIGGER fail_here BEFORE INSERT ON site_state WHEN new.fl_id = 2 BEGIN "
        "SELECT RAISE(ABORT, 'forced failure'); END;"));
    const QStringList before = everything(dst.db);
    const QString schema = trb::test::dump(dst.path).filter(QStringLiteral("CREATE")).join(u'\n');
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    Answers answers;
    RecordingFeedback fb;
    QVERIFY_THROWS_EXCEPTION(trb::Error, t.transfer({1, 2}, false, answers, fb));
    QCOMPARE(everything(dst.db), before);
    QCOMPARE(trb::test::dump(dst.path).filter(QStringLiteral("CREATE")).join(u'\n'), schema);
    try {
      t.transfer({1, 77, 78}, false, answers, fb);
      QFAIL("plots 77 and 78 are not in the open database");
    } catch (const trb::Error& e) {
      QVERIFY2(e.message().contains(QStringLiteral("77, 78")), qPrintable(e.message()));
    }
    QCOMPARE(everything(dst.db), before);
    // the source's connection is usable and has no file attached any more
    QCOMPARE(count(src.db, QStringLiteral("select count(*) from pragma_database_list")), 1);
    // nor is a run left marked as unfinished
    QVERIFY(!QFile::exists(PlotTransfer::unfinishedMarker(dst.path)));
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

  // The backup a transfer took before it was interrupted is never replaced: later choices of the
  // destination write the next free numbered backup.
  void backupOfUnfinishedTransferIsKept() {
    TempDb src(QStringLiteral("demo"));
    TempDb dst;
    PlotTransfer t(src.db);
    t.selectDestination(dst.path);
    const QString bak = PlotTransfer::backupName(dst.path);
    QCOMPARE(t.backup(), bak);
    QVERIFY(t.keptBackup().isEmpty());
    // what a killed run leaves: its mark naming the backup
    QFile mark(PlotTransfer::unfinishedMarker(dst.path));
    QVERIFY(mark.open(QIODevice::WriteOnly));
    mark.write(bak.toUtf8());
    mark.close();
    const QByteArray untouched = [&] {
      QFile f(bak);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    dst.db.runNative(QStringLiteral("INSERT INTO experiments (exp_id, vcode) VALUES (77, 'x');"));
    for (const char* next : {".bak.1", ".bak.2"}) {
      t.selectDestination(dst.path);
      QCOMPARE(t.backup(), dst.path + QString::fromLatin1(next));
      QCOMPARE(t.keptBackup(), bak);
      QVERIFY(QFile::exists(t.backup()));
    }
    QFile f(bak);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), untouched);
    // a run that finishes leaves the earlier mark where it is
    Answers answers;
    RecordingFeedback fb;
    QCOMPARE(t.transfer({1}, false, answers, fb).copied, QList<int>{1});
    QVERIFY(QFile::exists(mark.fileName()));
  }
};

QTEST_GUILESS_MAIN(TstPlotTransfer)
#include "tst_plot_transfer.moc"
