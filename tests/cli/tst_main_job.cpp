// The main job (scripts/run.sh after its build) works on a copy of the demo in the user's data
// folder: the build's demo and the tests' own demo stay as they were built, so that the tests
// pass after it.
#include <QCryptographicHash>
#include <QProcess>
#include <QtTest>

#include "testutil.h"

namespace {

QByteArray digest(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  QCryptographicHash h(QCryptographicHash::Sha256);
  h.addData(&f);
  return h.result();
}

}  // namespace

class TstMainJob : public QObject {
  Q_OBJECT

 private slots:
  void calculatesItsOwnCopy() {
    const QString buildDemo = QStringLiteral(TRB_BUILD_DIR "/demo/trb_demo.sqlite");
    const QString testDemo = QStringLiteral(TRB_TEST_DEMO_DB);
    const QByteArray buildBefore = digest(buildDemo), testBefore = digest(testDemo);
    QVERIFY(!buildBefore.isEmpty() && !testBefore.isEmpty());

    QTemporaryDir home;
    QProcess job;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.remove(QStringLiteral("DISPLAY"));  // the batch calculation, not the window
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    job.setProcessEnvironment(env);
    job.start(QStringLiteral("bash"), {QStringLiteral(TRB_SOURCE_DIR "/scripts/demo_run.sh"),
                                       QStringLiteral(TRB_BUILD_DIR)});
    QVERIFY(job.waitForFinished(600000));
    const QString out = QString::fromUtf8(job.readAllStandardOutput());
    QVERIFY2(job.exitCode() == 0, qPrintable(out + QString::fromUtf8(job.readAllStandardError())));

    const QString copy = home.filePath(QStringLiteral("data/trb/trb_demo.sqlite"));
    QVERIFY2(out.contains(QStringLiteral("demo database: ") + copy), qPrintable(out.left(500)));
    {
      trb::db::Database db = trb::db::Database::open(copy);
      QVERIFY(db.scalar(QStringLiteral("select count(*) from trb_nresult")).toInt() > 0);
    }
    QVERIFY(QFile::exists(home.filePath(QStringLiteral("data/trb/trb_report.txt"))));
    QCOMPARE(digest(buildDemo), buildBefore);
    QCOMPARE(digest(testDemo), testBefore);
  }
};

QTEST_GUILESS_MAIN(TstMainJob)
#include "tst_main_job.moc"
