#include <QtTest>

#include "core/settings/run_settings.h"
#include "core/settings/settings.h"

using trb::settings::DialogValues;
using trb::settings::RunSettings;
using trb::settings::SimSwitches;

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

DialogValues sampleValues() {
  return {{"ppath", "/home/u/trb work/"},
          {"methode", "LUFA"},
          {"database", "/data/Müller, Versuche/trb.sqlite"},
          {"soil_scheme", "KA4"},
          {"pf_wp", "42"},
          {"pf_fk", "25"},
          {"ptfmode", "2"},
          {"r_call", "c:\\Program Files\\R\\bin\\R.exe"},
          {"r_result", "out;1.txt"},
          {"r_script", "stat=2.r"},
          {"recalc_bat", "0"},
          {"pdf_reader", "/usr/bin/evince"},
          {"pdf_dir", "/home/u/pdf/"}};
}

// The R program a first start stores: R found on the PATH (the placeholder path on Windows).
QString firstStartRCall() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\path_to_r.exe");
#else
  const QString r = QStandardPaths::findExecutable(QStringLiteral("R"));
  return r.isEmpty() ? QStringLiteral("R") : r;
#endif
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
                                          {"r_call", firstStartRCall()},
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
    const DialogValues written = sampleValues();
    trb::settings::write_registry(*st, written);
    DialogValues read;
    trb::settings::read_registry(*st.reopen(), read);
    QCOMPARE(read, written);
    int bat = -1;
    QVERIFY(trb::settings::readInt(*st.reopen(), QStringLiteral("recalc_bat"), bat));
    QCOMPARE(bat, 0);
    // A second read of unchanged values shows the same (what reopening the dialog shows).
    DialogValues again;
    trb::settings::read_registry(*st, again);
    QCOMPARE(again, written);
  }

  void firstStartValuesReadBack() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/d.sqlite"), QStringLiteral("/w"));
    DialogValues v;
    trb::settings::read_registry(*st.reopen(), v);
    QCOMPARE(v.value("database"), QStringLiteral("/d.sqlite"));
    QCOMPARE(v.value("recalc_bat"), QStringLiteral("1"));
    QCOMPARE(v.value("pdf_reader"), QString());  // not written at first start: reads as empty
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
    DialogValues v = sampleValues();
    v["recalc_bat"] = bat;
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::settings::write_registry(*st, v));
    const auto s = st.reopen();
    // Written up to the failing field, nothing after it.
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("database")), v.value("database"));
    QCOMPARE(trb::settings::readText(*s, QStringLiteral("r_script")), v.value("r_script"));
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
    DialogValues v;
    QVERIFY_THROWS_EXCEPTION(trb::Error, trb::settings::read_registry(*st, v));
    QCOMPARE(v.value("methode"), QStringLiteral("KOLBE"));
    QCOMPARE(v.value("pdf_reader"), QString());
  }

  // What the dialog refuses to save, and that the message names the field and says why.
  void checkValue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("refusal");  // part of the message; empty: accepted
    QTest::newRow("pF WP in range") << "pf_wp"
                                    << "42"
                                    << "";
    QTest::newRow("pF FK with a fraction") << "pf_fk"
                                           << "18.5"
                                           << "";
    QTest::newRow("pF WP above its range") << "pf_wp"
                                           << "71"
                                           << "\"pF WP\": 71 is outside";
    QTest::newRow("pF FK below its range") << "pf_fk"
                                           << "-1"
                                           << "\"pF FK\": -1 is outside";
    QTest::newRow("pF WP no number") << "pf_wp"
                                     << "4,2"
                                     << "is not a number";
    QTest::newRow("method") << "methode"
                            << "KOLBE"
                            << "";
    QTest::newRow("method cut to four letters") << "methode"
                                                << "KOLB"
                                                << "\"method\": \"KOLB\"";
    QTest::newRow("soil scheme") << "soil_scheme"
                                 << "ka4"
                                 << "none of RBS, KA4";
    QTest::newRow("ptf mode") << "ptfmode"
                              << "5"
                              << "\"ptf mode\"";
    QTest::newRow("BAT recalc") << "recalc_bat"
                                << "1x"
                                << "\"BAT recalc\": \"1x\" is not a whole";
    QTest::newRow("free text") << "r_call"
                               << ""
                               << "";
  }
  void checkValue() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, refusal);
    const auto& s = trb::settings::setting(QLatin1String(key.toLatin1()));
    QString message;
    try {
      trb::settings::checkValue(s, value);
    } catch (const trb::settings::InvalidSetting& e) {
      message = e.message();
      QCOMPARE(e.key(), key);
    }
    if (refusal.isEmpty())
      QVERIFY2(message.isEmpty(), qPrintable(message));
    else
      QVERIFY2(message.contains(refusal), qPrintable(message));
  }

  // The dialog checks every value first, so that a refused save writes nothing.
  void dialogCheckRefusesBeforeWriting() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/old.sqlite"), QStringLiteral("/"));
    DialogValues v = sampleValues();
    v["pf_fk"] = QStringLiteral("99");
    QVERIFY_THROWS_EXCEPTION(trb::settings::InvalidSetting, trb::settings::checkDialogValues(v));
    v["pf_fk"] = QStringLiteral("25");
    trb::settings::checkDialogValues(v);
  }

  void simulatorSettings() {
    TempStore st;
    trb::settings::writeFirstStartDefaults(*st, QStringLiteral("/s.sqlite"), QStringLiteral("/"));
    trb::settings::writeText(*st, QStringLiteral("ptfmode"), QStringLiteral("2"));
    trb::settings::writeText(*st, QStringLiteral("methode"), QStringLiteral("LUFA"));
    trb::settings::writeInt(*st, QStringLiteral("recalc_bat"), 0);
    auto sim = RunSettings::read(*st.reopen(), SimSwitches{}, QStringLiteral("?"));
    QCOMPARE(sim.database, QStringLiteral("/s.sqlite"));
    QCOMPARE(sim.pf_wp, 4.2);
    QCOMPARE(sim.pf_fk, 1.8);
    QCOMPARE(sim.ptfmode, 2);
    QCOMPARE(sim.recalc_bat, false);
    QCOMPARE(sim.methode, QStringLiteral("LUFA"));
    QCOMPARE(sim.soil_scheme, QStringLiteral("RBS"));
    QCOMPARE(sim.r_script, QStringLiteral("anyscript.r"));
    // A path given on the command line stays.
    sim = RunSettings::read(*st, SimSwitches{}, QStringLiteral("/cmd.sqlite"));
    QCOMPARE(sim.database, QStringLiteral("/cmd.sqlite"));
  }

  void simulatorSettingsWithoutStore() {
    TempStore st;
    const auto sim = RunSettings::read(*st, SimSwitches{}, QStringLiteral("?"));
    QCOMPARE(sim.database, QDir::current().filePath(QStringLiteral("trb_data.mdb")));
    QCOMPARE(sim.ptfmode, 3);
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
    const QString got = trb::settings::defaultDatabasePath(r.filePath(QStringLiteral("a/b")));
    QCOMPARE(got, expected.isEmpty()
                      ? QString()
                      : QDir::cleanPath(r.absoluteFilePath(expected + "/trb_demo.sqlite")));
  }
};

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
