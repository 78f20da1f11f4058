#include <QtTest>

#include "core/settings/settings.h"

using trb::settings::RegistryValues;

namespace {

// A store in its own file, far from the user's settings.
struct TempStore {
  QTemporaryDir dir;
  std::unique_ptr<QSettings> s;
  TempStore() {
    s = std::make_unique<QSettings>(dir.filePath(QStringLiteral("trb.conf")), QSettings::IniFormat);
  }
  QSettings& operator*() { return *s; }
  QSettings* operator->() { return s.get(); }
  // What another module would see when it opens the file now.
  std::unique_ptr<QSettings> reopen() {
    s->sync();
    return std::make_unique<QSettings>(s->fileName(), QSettings::IniFormat);
  }
};

RegistryValues sampleValues() {
  RegistryValues v;
  v.ppath = QStringLiteral("/home/u/trb work/");
  v.methode = QStringLiteral("LUFA");
  v.database = QStringLiteral("/data/Müller, Versuche/trb.sqlite");
  v.soil_scheme = QStringLiteral("KA4");
  v.pf_wp = QStringLiteral("42");
  v.pf_fk = QStringLiteral("25");
  v.ptfmode = QStringLiteral("2");
  v.r_call = QStringLiteral("c:\\Program Files\\R\\bin\\R.exe");
  v.r_result = QStringLiteral("out;1.txt");
  v.r_script = QStringLiteral("stat=2.r");
  v.recalc_bat = QStringLiteral("0");
  v.pdf_reader = QStringLiteral("/usr/bin/evince");
  v.pdf_dir = QStringLiteral("/home/u/pdf/");
  return v;
}

}  // namespace

class TstSettings : public QObject {
  Q_OBJECT
  QTemporaryDir config_;

 private slots:
  void initTestCase() {
    // openStore() must land here, never in the user's configuration.
    QStandardPaths::setTestModeEnabled(true);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config_.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
  }

  void firstStartWritesExactlyTheThirteenValues() {
    TempStore st;
    QVERIFY(!trb::settings::storeExists(*st));
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/opt/trb/demo/trb_demo.sqlite"),
                                           QStringLiteral("/home/u"));
    const auto s = st.reopen();
    QVERIFY(trb::settings::storeExists(*s));
    const QMap<QString, QString> expected{{"database", "/opt/trb/demo/trb_demo.sqlite"},
                                          {"ppath", "/home/u"},
                                          {"methode", "TRB"},
                                          {"pf_fk", "18"},
                                          {"pf_wp", "42"},
                                          {"ptfmode", "3"},
                                          {"r_call", "c:\\path_to_r.exe"},
                                          {"r_script", "anyscript.r"},
                                          {"r_result", "anyname.txt"},
                                          {"soil_scheme", "RBS"},
                                          {"recalc_bat", "1"},
                                          {"power", "0"},
                                          {"language", "D"}};
    QMap<QString, QString> got;
    for (const QString& k : s->allKeys()) got.insert(k, trb::settings::readText(*s, k));
    QCOMPARE(got, expected);
    int power = -1;
    QVERIFY(trb::settings::readInt(*s, QStringLiteral("power"), power));
    QCOMPARE(power, 0);
  }

  void openStoreUsesTheUsersConfigurationFile() {
    {
      auto s = trb::settings::openStore();
      trb::settings::writeText(*s, QStringLiteral("methode"), QStringLiteral("NULL"));
    }
    QFile f(QDir(config_.path()).filePath(QStringLiteral("trb/trb.conf")));
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(f.fileName()));
    QVERIFY(f.readAll().contains("methode=NULL"));
  }

  void registryRoundTrip() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/x.sqlite"), QStringLiteral("/"));
    const RegistryValues written = sampleValues();
    QCOMPARE(trb::settings::write_registry(*st, written), QString());
    RegistryValues read;
    QCOMPARE(trb::settings::read_registry(*st.reopen(), read), QString());
    QCOMPARE(read, written);
    int bat = -1;
    QVERIFY(trb::settings::readInt(*st.reopen(), QStringLiteral("recalc_bat"), bat));
    QCOMPARE(bat, 0);
    // A second read of unchanged values shows the same (what reopening the dialog shows).
    RegistryValues again;
    QCOMPARE(trb::settings::read_registry(*st, again), QString());
    QCOMPARE(again, written);
  }

  void firstStartValuesReadBack() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/d.sqlite"), QStringLiteral("/w"));
    RegistryValues v;
    QCOMPARE(trb::settings::read_registry(*st.reopen(), v), QString());
    QCOMPARE(v.database, QStringLiteral("/d.sqlite"));
    QCOMPARE(v.recalc_bat, QStringLiteral("1"));
    QCOMPARE(v.pdf_reader, QString());  // not written at first start: reads as empty
  }

  void batRecalcNotAnInteger_data() {
    QTest::addColumn<QString>("bat");
    QTest::newRow("word") << "yes";
    QTest::newRow("fraction") << "1.5";
    QTest::newRow("empty") << "";
  }
  void batRecalcNotAnInteger() {
    QFETCH(QString, bat);
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/old.sqlite"), QStringLiteral("/"));
    trb::settings::writeText(*st, QStringLiteral("pdf_dir"), QStringLiteral("/old/pdf/"));
    RegistryValues v = sampleValues();
    v.recalc_bat = bat;
    QVERIFY(!trb::settings::write_registry(*st, v).isEmpty());
    const auto s = st.reopen();
    // Written up to the failing field, nothing after it.
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("database")), v.database);
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("r_script")), v.r_script);
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("recalc_bat")), QStringLiteral("1"));
    QVERIFY(!s->contains(QStringLiteral("pdf_reader")));
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("pdf_dir")), QStringLiteral("/old/pdf/"));
  }

  void readFailsOnBadRecalcBat_data() {
    QTest::addColumn<QString>("stored");  // empty: the value is missing
    QTest::newRow("missing") << "";
    QTest::newRow("not an integer") << "often";
  }
  void readFailsOnBadRecalcBat() {
    QFETCH(QString, stored);
    TempStore st;
    trb::settings::writeText(*st, QStringLiteral("methode"), QStringLiteral("KOLBE"));
    trb::settings::writeText(*st, QStringLiteral("pdf_reader"), QStringLiteral("/bin/pdf"));
    if (!stored.isEmpty()) trb::settings::writeText(*st, QStringLiteral("recalc_bat"), stored);
    RegistryValues v;
    QVERIFY(!trb::settings::read_registry(*st, v).isEmpty());
    QCOMPARE(v.methode, QStringLiteral("KOLBE"));
    QCOMPARE(v.pdf_reader, QString());
  }

  void simulatorSettings() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/s.sqlite"), QStringLiteral("/"));
    trb::settings::writeText(*st, QStringLiteral("ptfmode"), QStringLiteral("2"));
    trb::settings::writeText(*st, QStringLiteral("methode"), QStringLiteral("LUFA"));
    trb::settings::writeInt(*st, QStringLiteral("recalc_bat"), 0);
    auto sim = trb::settings::readSimulatorSettings(*st.reopen(), QStringLiteral("?"));
    QCOMPARE(sim.database, QStringLiteral("/s.sqlite"));
    QCOMPARE(sim.pf_wp, 4.2);
    QCOMPARE(sim.pf_fk, 1.8);
    QCOMPARE(sim.hymode, 2);
    QCOMPARE(sim.recalc_bat, false);
    QCOMPARE(sim.methode, QStringLiteral("LUFA"));
    QCOMPARE(sim.soil_scheme, QStringLiteral("RBS"));
    QCOMPARE(sim.r_script, QStringLiteral("anyscript.r"));
    // A path given on the command line stays.
    sim = trb::settings::readSimulatorSettings(*st, QStringLiteral("/cmd.sqlite"));
    QCOMPARE(sim.database, QStringLiteral("/cmd.sqlite"));
  }

  void simulatorSettingsWithoutStore() {
    TempStore st;
    const auto sim = trb::settings::readSimulatorSettings(*st, QStringLiteral("?"));
    QCOMPARE(sim.database, QDir::current().filePath(QStringLiteral("trb_data.mdb")));
    QCOMPARE(sim.hymode, 3);
    QCOMPARE(sim.pf_wp, 4.2);
    QCOMPARE(sim.pf_fk, 1.8);
    QCOMPARE(sim.recalc_bat, true);
    QCOMPARE(sim.methode, QStringLiteral("TRB"));
    QCOMPARE(sim.soil_scheme, QStringLiteral("RBS"));
  }

  void defaultDatabasePath_data() {
    QTest::addColumn<QStringList>("demos");  // demo folders relative to the tree's root
    QTest::addColumn<QString>("expected");
    // The executable lives in root/a/b.
    QTest::newRow("beside the program") << QStringList{"a/b/demo", "demo"} << "a/b/demo";
    QTest::newRow("one up") << QStringList{"a/demo", "demo"} << "a/demo";
    QTest::newRow("two up") << QStringList{"demo"} << "demo";
    QTest::newRow("none") << QStringList{} << "";
  }
  void defaultDatabasePath() {
    QFETCH(QStringList, demos);
    QFETCH(QString, expected);
    QTemporaryDir root;
    const QDir r(root.path());
    QVERIFY(r.mkpath(QStringLiteral("a/b")));
    for (const QString& d : demos) {
      QVERIFY(r.mkpath(d));
      QFile f(r.filePath(d + QStringLiteral("/trb_demo.sqlite")));
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const QString got = trb::settings::default_database_path(r.filePath(QStringLiteral("a/b")));
    QCOMPARE(got, expected.isEmpty()
                      ? QString()
                      : QDir::cleanPath(r.absoluteFilePath(expected + "/trb_demo.sqlite")));
  }
};

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
