#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "core/base/error.h"
#include "core/base/version.h"
#include "core/update/update_check.h"
#include "http_server.h"

using namespace trb::update;

using trb::test::SmallServer;

class TestUpdateCheck : public QObject {
  Q_OBJECT
 private slots:
  void compare_data();
  void compare();
  void versionForms();
  void pageKeys();
  void archiveNames_data();
  void archiveNames();
  void download();
};

void TestUpdateCheck::compare_data() {
  QTest::addColumn<QString>("own");
  QTest::addColumn<QString>("announced");
  QTest::addColumn<int>("verdict");
  const int more = int(Verdict::MoreRecent), update = int(Verdict::UpdateAvailable),
            ok = int(Verdict::UpToDate);
  QTest::newRow("c one less") << "2011.1.2.34"
                              << "2011.1.2.35" << update;
  QTest::newRow("b less, c greater") << "2011.1.1.99"
                                     << "2011.1.2.0" << update;
  QTest::newRow("year one less") << "2010.9.9.99"
                                 << "2011.0.0.0" << more;
  QTest::newRow("same year, a less") << "2011.1.9.9"
                                     << "2011.2.0.0" << more;
  // field by field as numbers: an own version newer in an earlier field is up to date
  QTest::newRow("same year, a greater") << "2011.2.0.0"
                                        << "2011.1.5.5" << ok;
  QTest::newRow("announced an older year") << "2026.0.1.0"
                                           << "2000.0.0.0" << ok;
  QTest::newRow("b as number") << "2011.1.10.0"
                               << "2011.1.9.99" << ok;
  QTest::newRow("c as number") << "2011.1.2.9"
                               << "2011.1.2.10" << update;
  QTest::newRow("page text after c") << "2011.1.2.35"
                                     << "2011.1.2.36<" << update;
  QTest::newRow("equal") << "2011.1.2.35"
                         << "2011.1.2.35" << ok;
  QTest::newRow("own newer c") << "2011.1.2.36"
                               << "2011.1.2.35" << ok;
}

void TestUpdateCheck::compare() {
  QFETCH(QString, own);
  QFETCH(QString, announced);
  QFETCH(int, verdict);
  QCOMPARE(int(compare_versions(own, announced)), verdict);
}

// The program's own version has the form the comparison reads; other forms are refused, never
// offered as newer.
void TestUpdateCheck::versionForms() {
  QCOMPARE(split_version(trb::programVersion()).year >= 2000, true);
  QCOMPARE(int(compare_versions(trb::programVersion(), trb::programVersion())),
           int(Verdict::UpToDate));
  for (const char* bad : {"0.1.0", "2011.1.2", "2011.x.2.3", "11.1.2.3", "", "2011.1.2.3.4"})
    QVERIFY_THROWS_EXCEPTION(trb::Error, compare_versions(trb::programVersion(), bad));
}

void TestUpdateCheck::pageKeys() {
  const QStringList page = {
      "<html><body>",
      "<p>aktuelle TRB-Version: 2011.1.2.35 vom Mai</p>",
      "<p>download: trb20110235.zip</p>",
  };
  const auto v = find_version(page);
  QVERIFY(v);
  // 21 characters after the start of the key
  QCOMPARE(v->version, QString(page[1].mid(page[1].indexOf("aktuelle") + 21, 11)).trimmed());
  QCOMPARE(v->line, 1);
  QCOMPARE(*find_archive(page, v->line), QStringLiteral("trb20110235."));
  QVERIFY(!find_version({"no version here"}));
  QVERIFY(!find_archive(page, 2));
}

void TestUpdateCheck::archiveNames_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<bool>("allowed");
  QTest::newRow("plain") << "trb_2011.zip" << true;
  QTest::newRow("parent") << "../trb.zip" << false;
  QTest::newRow("folder") << "x/trb.zip" << false;
  QTest::newRow("backslash") << "x\\trb.zip" << false;
  QTest::newRow("dots") << ".." << false;
  QTest::newRow("empty") << "" << false;
}

void TestUpdateCheck::archiveNames() {
  QFETCH(QString, name);
  QFETCH(bool, allowed);
  bool threw = false;
  try {
    check_archive_name(name);
  } catch (const trb::Error&) {
    threw = true;
  }
  QCOMPARE(!threw, allowed);
}

void TestUpdateCheck::download() {
  SmallServer server;
  server.bodies.insert(QStringLiteral("/version.html"), "aktuelle TRB-Version 2011.1.2.35\n");
  server.silent << QStringLiteral("/slow.zip");
  QTemporaryDir dir;
  const QString page = dir.filePath(QStringLiteral("htmlfile.txt"));
  fetch(server.url(QStringLiteral("/version.html")), page);
  QFile f(page);
  QVERIFY(f.open(QIODevice::ReadOnly));
  QVERIFY(f.readAll().startsWith("aktuelle"));
  f.close();

  // a missing file and a server that never answers: an error, and nothing left behind
  const QString archive = dir.filePath(QStringLiteral("trb.zip"));
  for (const QString& path : {QStringLiteral("/missing.zip"), QStringLiteral("/slow.zip")}) {
    try {
      fetch(server.url(path), archive, 1000);
      QFAIL("no error");
    } catch (const trb::Error& e) {
      QVERIFY2(e.message().contains(path), qPrintable(e.message()));
    }
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"htmlfile.txt"});
  }
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_update_check.moc"
