#include <QSqlRecord>
#include <QtTest>

#include "core/app/startup.h"
#include "core/db/database.h"
#include "core/settings/settings.h"
#include "testutil.h"

using trb::app::ConnectionItems;

namespace {

const char* kFullString =
    "Provider=Microsoft.Jet.OLEDB.4.0;;User ID=Admin;Data Source=/data/exp 1/trb.sqlite "
    ";Mode=Share Deny None;Jet OLEDB:System database=\"\";Jet OLEDB:Registry Path=\"\";"
    "Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=4;Jet OLEDB:Database Locking "
    "Mode=0;Jet OLEDB:Global Partial Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;"
    "Extended Properties=\"\";Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System "
    "Database=False;Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on "
    "Compact=False;Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False";

QStringList rows(trb::db::Database& db, const QString& sql) {
  QStringList out;
  QSqlQuery q = db.query(sql);
  while (q.next()) {
    QStringList cells;
    for (int i = 0; i < q.record().count(); ++i) cells << q.value(i).toString();
    out << cells.join(u'|');
  }
  return out;
}

// Parameter tables with both name columns; the current names are "?".
void createParameterTables(trb::db::Database& db, bool withEnglish) {
  const QString en = withEnglish ? QStringLiteral(", name_en TEXT") : QString();
  db.runNative(QStringLiteral(
                   "CREATE TABLE slvpflan (item_ix INTEGER, name TEXT, name_de TEXT%1);"
                   "CREATE TABLE slvopspa (item_ix INTEGER, name TEXT, name_de TEXT, name_en TEXT);"
                   "CREATE TABLE SLVAKTION (action_id INTEGER, action TEXT, action_de TEXT, "
                   " action_en TEXT, def_intensity TEXT, def_intensity_de TEXT, "
                   " def_intensity_en TEXT);"
                   "INSERT INTO slvpflan VALUES (1, '?', 'Winterweizen'%2);"
                   "INSERT INTO slvopspa VALUES (7, '?', 'Stallmist', 'farmyard manure');"
                   "INSERT INTO SLVAKTION VALUES (2, '?', 'Ernte', 'harvest', '?', 'dt/ha', "
                   " 'dt/ha (fresh)');")
                   .arg(en, withEnglish ? QStringLiteral(", 'winter wheat'") : QString()));
}

QStringList parameterNames(trb::db::Database& db) {
  return rows(db, QStringLiteral("select name from slvpflan")) +
         rows(db, QStringLiteral("select name from slvopspa")) +
         rows(db, QStringLiteral("select action, def_intensity from slvaktion"));
}

}  // namespace

class TstStartup : public QObject {
  Q_OBJECT
  QTemporaryDir config_;

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
  }

  void connectionStringComposedExactly() {
    QCOMPARE(trb::app::connectionString(QString::fromLatin1(trb::app::kDefaultProvider),
                                        QStringLiteral("/data/exp 1/trb.sqlite")),
             QString::fromLatin1(kFullString));
    // What the program composes it reads back.
    const ConnectionItems items = trb::app::parseConnectionString(
        trb::app::connectionString(QStringLiteral("Provider=Other.1;"), QStringLiteral("/a b.db")));
    QCOMPARE(items.databasePath, std::optional<QString>(QStringLiteral("/a b.db")));
    QCOMPARE(items.provider, std::optional<QString>(QStringLiteral("Provider=Other.1;")));
  }

  void connectionStringEditedByHand_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("path");      // "-": no such item
    QTest::addColumn<QString>("provider");  // "-": no such item
    QTest::newRow("short, no trailing ;") << "Provider=SQLite;Data Source=/x/y.sqlite"
                                          << "/x/y.sqlite"
                                          << "Provider=SQLite;";
    QTest::newRow("any case, blanks")
        << "  Provider=Microsoft.ACE.OLEDB.12.0;  data source=C:\\db\\v.mdb ;Mode=Read"
        << "C:\\db\\v.mdb"
        << "  Provider=Microsoft.ACE.OLEDB.12.0;";
    QTest::newRow("'=' inside the path") << "Data Source=/tmp/a=b.sqlite;Provider=P;"
                                         << "/tmp/a=b.sqlite"
                                         << "Provider=P;";
    QTest::newRow("path only") << "Data Source=/only.sqlite"
                               << "/only.sqlite"
                               << "-";
    QTest::newRow("neither") << "User ID=Admin;Mode=Share Deny None"
                             << "-"
                             << "-";
  }
  void connectionStringEditedByHand() {
    QFETCH(QString, text);
    QFETCH(QString, path);
    QFETCH(QString, provider);
    const ConnectionItems items = trb::app::parseConnectionString(text);
    QCOMPARE(items.databasePath.value_or(QStringLiteral("-")), path);
    QCOMPARE(items.provider.value_or(QStringLiteral("-")), provider);
  }

  void storeConnectionItemsKeepsWhatIsMissing() {
    auto s = trb::settings::openStore();
    s->clear();
    trb::settings::writeText(*s, QStringLiteral("database"), QStringLiteral("/old.sqlite"));
    trb::app::storeConnectionItems(
        *s, trb::app::parseConnectionString(QStringLiteral("Provider=X;User ID=Admin")));
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("database")),
             QStringLiteral("/old.sqlite"));
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("provider")),
             QStringLiteral("Provider=X;"));
  }

  void commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("database");
    QTest::addColumn<bool>("go");
    QTest::newRow("nothing") << QStringList{} << "?" << false;
    QTest::newRow("one") << QStringList{"DB=/a.sqlite"} << "/a.sqlite" << false;
    QTest::newRow("last DB= wins, go last")
        << QStringList{"DB=/a.sqlite", "M=LUFA", "DB=/b c.sqlite", "go"} << "/b c.sqlite" << true;
    QTest::newRow("go first") << QStringList{"go", "DB=/a.sqlite"} << "/a.sqlite" << true;
    QTest::newRow("GO, db= and -go do not count")
        << QStringList{"GO", "db=/x.sqlite", "-go", "go "} << "?" << false;
    QTest::newRow("empty path") << QStringList{"DB=/a.sqlite", "DB="} << "" << false;
  }
  void commandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, database);
    QFETCH(bool, go);
    QCOMPARE(trb::app::commandLineDatabase(args), database);
    QCOMPARE(trb::app::hasGoArgument(args), go);
  }

  void startFile_data() {
    QTest::addColumn<QString>("content");  // "-": no start file
    QTest::addColumn<QString>("language");
    QTest::newRow("no file") << "-"
                             << "D";
    QTest::newRow("no SETUP section") << "[other]\nlang=E\n"
                                      << "D";
    QTest::newRow("SETUP without lang") << "[SETUP]\nsize=3\n"
                                        << "D";
    QTest::newRow("SETUP lang=E") << "[main]\nx=1\n[SETUP]\nlang=E\n"
                                  << "E";
    QTest::newRow("names in any case") << "[setup]\r\nLANG = e\r\n"
                                       << "e";
    QTest::newRow("lang after the section ended") << "[SETUP]\n[X]\nlang=E\n"
                                                  << "D";
  }
  void startFile() {
    QFETCH(QString, content);
    QFETCH(QString, language);
    QTemporaryDir dir;
    const QString ini = trb::app::startFilePath(dir.filePath(QStringLiteral("trb")));
    QCOMPARE(ini, dir.filePath(QStringLiteral("trb.ini")));
    if (content != u"-") {
      QFile f(ini);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(content.toUtf8());
    }
    QCOMPARE(trb::app::startFileLanguage(ini), language);
  }

  void startupDecisions_data() {
    QTest::addColumn<QString>("startLanguage");
    QTest::addColumn<QVariantMap>("stored");  // empty: first start
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("full");
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("power");
    QTest::addColumn<QString>("provider");
    QTest::addColumn<QString>("database");  // "demo", "other", "missing" or "cmd"
    QTest::addColumn<bool>("ask");
    const QString jet = QString::fromLatin1(trb::app::kDefaultProvider);
    QTest::newRow("first start, no start file")
        << "D" << QVariantMap{} << QStringList{} << false << "D" << false << jet << "demo" << false;
    QTest::newRow("first start, English start file")
        << "E" << QVariantMap{} << QStringList{} << true << "E" << true << jet << "demo" << false;
    QTest::newRow("first start, database on the command line")
        << "D" << QVariantMap{} << QStringList{"DB=cmd"} << false << "D" << false << jet << "cmd"
        << false;
    QTest::newRow("empty language, missing power")
        << "E" << QVariantMap{{"database", "other"}} << QStringList{} << true << "e" << true << jet
        << "other" << false;
    QTest::newRow("stored language D turns power off")
        << "E" << QVariantMap{{"database", "other"}, {"language", "D"}, {"power", 1}}
        << QStringList{} << true << "D" << false << jet << "other" << false;
    QTest::newRow("power 1 with German captions")
        << "D" << QVariantMap{{"database", "other"}, {"language", "e"}, {"power", 1}}
        << QStringList{} << false << "e" << true << jet << "other" << false;
    QTest::newRow("stored provider, missing database")
        << "E"
        << QVariantMap{{"database", "missing"}, {"provider", "Provider=SQLite;"}, {"power", 0}}
        << QStringList{} << true << "e" << false << "Provider=SQLite;"
        << "missing" << true;
    QTest::newRow("command line wins over the store")
        << "E" << QVariantMap{{"database", "other"}} << QStringList{"DB=cmd", "go"} << true << "e"
        << true << jet << "cmd" << false;
  }
  void startupDecisions() {
    QFETCH(QString, startLanguage);
    QFETCH(QVariantMap, stored);
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    // Stand-ins for the files: demo and other exist, missing does not.
    QMap<QString, QString> files;
    for (const char* name : {"demo", "other", "cmd", "missing"}) {
      const QString path = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".sqlite"));
      files.insert(QString::fromLatin1(name), path);
      if (qstrcmp(name, "missing") != 0) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
      }
    }
    auto store = trb::settings::openStore();
    store->clear();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
      const QVariant v =
          files.contains(it.value().toString()) ? files.value(it.value().toString()) : it.value();
      store->setValue(it.key(), v);
    }
    for (QString& a : args)
      if (a.startsWith(u"DB=")) a = QStringLiteral("DB=") + files.value(a.mid(3));

    const trb::app::MainStart m =
        trb::app::decideStartup(*store, startLanguage, args, files.value(QStringLiteral("demo")),
                                QStringLiteral("/work/folder"));
    QTEST(m.fullCommands, "full");
    QTEST(m.language, "language");
    QTEST(m.power, "power");
    QTEST(m.provider, "provider");
    QFETCH(QString, database);
    QCOMPARE(m.databasePath, files.value(database));
    QTEST(m.askForDatabase, "ask");
    QCOMPARE(m.firstStart, stored.isEmpty());
    if (stored.isEmpty()) {
      // The store now holds the first-start values with the demo database.
      auto again = trb::settings::openStore();
      QCOMPARE(again->allKeys().size(), 13);
      QCOMPARE(trb::settings::readText(*again, QStringLiteral("database")),
               files.value(QStringLiteral("demo")));
      QCOMPARE(trb::settings::readText(*again, QStringLiteral("ppath")),
               QStringLiteral("/work/folder"));
      QCOMPARE(m.programPath, QStringLiteral("/work/folder"));
    }
  }

  void areaUpgrade() {
    trb::test::TempDb t(QStringLiteral("empty"));
    t.db.runNative(QStringLiteral(
        "CREATE TABLE field_description (FL_ID INTEGER, versuch_code TEXT, comment TEXT);"
        "INSERT INTO field_description VALUES (1, 'V1', 'a'), (2, 'V1', 'NOTILL');"));
    QVERIFY(trb::app::upgrade_area(t.db));
    QCOMPARE(rows(t.db, QStringLiteral("select FL_ID, area, comment from field_description")),
             (QStringList{"1|-99|a", "2|-99|NOTILL"}));
    // Already there: the stored areas stay.
    t.db.runNative(QStringLiteral("UPDATE field_description SET area = 2.5 WHERE FL_ID = 1"));
    QVERIFY(!trb::app::upgrade_area(t.db));
    QCOMPARE(rows(t.db, QStringLiteral("select area from field_description")),
             (QStringList{"2.5", "-99"}));
  }

  void parameterLanguage_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("applied");
    QTest::addColumn<QStringList>("names");
    const QStringList english{"winter wheat", "farmyard manure", "harvest|dt/ha (fresh)"};
    const QStringList german{"Winterweizen", "Stallmist", "Ernte|dt/ha"};
    QTest::newRow("e") << "e" << true << english;
    QTest::newRow("E") << "E" << true << english;
    QTest::newRow("D") << "D" << true << german;
    QTest::newRow("d") << "d" << true << german;
    QTest::newRow("x") << "x" << false << QStringList{"?", "?", "?|?"};
    QTest::newRow("empty") << "" << false << QStringList{"?", "?", "?|?"};
  }
  void parameterLanguage() {
    QFETCH(QString, language);
    trb::test::TempDb t(QStringLiteral("empty"));
    createParameterTables(t.db, true);
    try {
      QTEST(trb::app::switchParameterLanguage(t.db, language), "applied");
    } catch (const trb::db::DbError& e) {
      QFAIL(qPrintable(e.text()));
    }
    QTEST(parameterNames(t.db), "names");
  }

  void parameterLanguageWithoutEnglishColumn() {
    trb::test::TempDb t(QStringLiteral("empty"));
    createParameterTables(t.db, false);
    QVERIFY(!trb::app::switchParameterLanguage(t.db, QStringLiteral("D")));
    QCOMPARE(parameterNames(t.db), (QStringList{"?", "?", "?|?"}));
  }

  void parameterLanguageOnBundledParameters() {
    trb::test::TempDb t(QStringLiteral("schema"));
    const QString mismatches = QStringLiteral(
        "select (select count(*) from slvpflan where name <> name_%1) + "
        "(select count(*) from slvopspa where name <> name_%1) + "
        "(select count(*) from slvaktion where [action] <> action_%1 or "
        "def_intensity <> def_intensity_%1)");
    const QList<std::pair<QString, QString>> switches{{"e", "en"}, {"D", "de"}};
    for (const auto& [lang, suffix] : switches) {
      QVERIFY(trb::app::switchParameterLanguage(t.db, lang));
      QCOMPARE(t.db.scalar(mismatches.arg(suffix)).toInt(), 0);
    }
    QVERIFY(
        t.db.scalar(QStringLiteral("select count(*) from slvpflan where name <> name_en")).toInt() >
        0);
  }

  void parameterLanguageStopsWhole() {
    // The actions lack their English intensity column: the last statement fails and the
    // crop and substance names must not stay switched on their own.
    trb::test::TempDb t(QStringLiteral("empty"));
    createParameterTables(t.db, true);
    t.db.runNative(QStringLiteral("ALTER TABLE slvaktion DROP COLUMN def_intensity_en"));
    QVERIFY_THROWS_EXCEPTION(trb::db::DbError,
                             trb::app::switchParameterLanguage(t.db, QStringLiteral("E")));
    QCOMPARE(parameterNames(t.db), (QStringList{"?", "?", "?|?"}));
    QCOMPARE(t.db.transactionDepth(), 0);
  }
};

QTEST_GUILESS_MAIN(TstStartup)
#include "tst_startup.moc"
