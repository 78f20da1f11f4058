// trbdb report: the PDF files of an experiment, of the site conditions and of the reference list,
// written without a window.
#include <QProcess>
#include <QtTest>

#include "testutil.h"

namespace {

struct Run {
  int code = -1;
  QString out, err;
};

Run trbdb(const QStringList& args, const QString& home) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
  env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the command picks the offscreen platform
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(TRB_TRBDB), args);
  p.waitForFinished(120000);
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
          QString::fromUtf8(p.readAllStandardError())};
}

QString pdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList pdfFiles(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

}  // namespace

class TstReportCommand : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString db_;

 private slots:
  void initTestCase() {
    db_ = dir_.filePath(QStringLiteral("demo.sqlite"));
    QCOMPARE(trbdb({QStringLiteral("create"), db_, QStringLiteral("--demo")}, dir_.path()).code, 0);
  }

  void experiment() {
    const QString out = dir_.filePath(QStringLiteral("heidmoor"));
    Run r = trbdb(
        {QStringLiteral("report"), db_, QStringLiteral("--experiment"), QStringLiteral("Heidmoor"),
         QStringLiteral("--out"), out, QStringLiteral("--lang"), QStringLiteral("D")},
        dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(QStringLiteral("15 files written for 5 plots")));
    const QStringList files = pdfFiles(out);
    QCOMPARE(files.size(), 15);
    QVERIFY(
        files.contains(QStringLiteral("Beregnung + Rindergülle_Beregnung + Rindergülle_man.pdf")));
    const QString text =
        pdfText(QDir(out).filePath(QStringLiteral("Fruchtfolge mit Kleegras_Fruchtfolge mit "
                                                  "Kleegras_obs.pdf")));
    QVERIFY2(text.contains(QStringLiteral("Messwertbericht")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Seite : 1 von 1")));

    const QString some = dir_.filePath(QStringLiteral("some"));
    r = trbdb({QStringLiteral("report"), db_, QStringLiteral("--experiment"),
               QStringLiteral("Kleinhausen"), QStringLiteral("--out"), some,
               QStringLiteral("--parts"), QStringLiteral("basics")},
              dir_.path());
    QCOMPARE(r.code, 0);
    const QStringList sdc = pdfFiles(some);
    QCOMPARE(sdc.size(), 5);
    for (const QString& f : sdc) QVERIFY(f.endsWith(QStringLiteral("_sdc.pdf")));
    QVERIFY(pdfText(QDir(some).filePath(sdc.first())).contains(QStringLiteral("site description")));
  }

  void sitesAndReferences() {
    const QString out = dir_.filePath(QStringLiteral("lists"));
    Run r = trbdb(
        {QStringLiteral("report"), db_, QStringLiteral("--sites"), QStringLiteral("--out"), out},
        dir_.path());
    QVERIFY2(r.code == 0, qPrintable(r.err));
    const QString sites = pdfText(QDir(out).filePath(QStringLiteral("site_cond.pdf")));
    QVERIFY(sites.contains(QStringLiteral("site conditions")));
    QVERIFY(sites.contains(QStringLiteral("FL_ID= 10 ")));
    r = trbdb({QStringLiteral("report"), db_, QStringLiteral("--references"),
               QStringLiteral("--out"), out},
              dir_.path());
    QCOMPARE(r.code, 0);
    QVERIFY(pdfText(QDir(out).filePath(QStringLiteral("references.pdf")))
                .contains(QStringLiteral("Sandberg")));
  }

  // Refusals: nothing written (not even the output folder), a failing exit status and the reason
  // on standard error.
  void refusals_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("no plots") << QStringList{"--experiment", "Nowhere"} << 1 << "has no plots";
    QTest::newRow("two kinds") << QStringList{"--sites", "--references"} << 2 << "choose one";
    QTest::newRow("unknown part") << QStringList{"--experiment", "Heidmoor", "--parts", "soil"} << 2
                                  << "unknown part";
    QTest::newRow("missing file") << QStringList{"--sites"} << 1 << "";
    QTest::newRow("no parts") << QStringList{"--experiment", "Heidmoor", "--parts", ""} << 2
                              << "names no part";
  }
  void refusals() {
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, message);
    const QString out = dir_.filePath(QStringLiteral("refused"));
    const QString file = QString::fromLatin1(QTest::currentDataTag()) == u"missing file"
                             ? dir_.filePath(QStringLiteral("nosuch.sqlite"))
                             : db_;
    const Run r = trbdb(QStringList{QStringLiteral("report"), file} + args +
                            QStringList{QStringLiteral("--out"), out},
                        dir_.path());
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(pdfFiles(out).isEmpty());
    QVERIFY(!QFileInfo::exists(out));
  }
};

QTEST_GUILESS_MAIN(TstReportCommand)
#include "tst_report_command.moc"
