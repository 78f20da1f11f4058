// The reports without a window, as trbdb makes them: German captions from the program's catalogue
// without any window code, the footer's time from the writer, and an experiment report that has
// nowhere to print.
#include <QProcess>
#include <QtTest>

#include "core/app/caption_language.h"
#include "core/reports/report_data.h"
#include "render/pdf_reports.h"
#include "render/report_document.h"
#include "render/report_layout.h"
#include "render/report_writer.h"
#include "testutil.h"

namespace {

QString pdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

}  // namespace

class TstPdfReports : public QObject {
  Q_OBJECT
  trb::test::TempDb demo_{QStringLiteral("demo")};

 private slots:
  void cleanup() { trb::app::setCaptionLanguage(QStringLiteral("E")); }

  // The caption language of the core picks the twin; its texts come from the catalogue.
  void captionLanguage_data() {
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("footer");
    QTest::newRow("E") << "E"
                       << "management"
                       << "Management Report"
                       << "printed: 17.05.2024 14:30";
    QTest::newRow("D") << "D"
                       << "D_management"
                       << "Bewirtschaftungsbericht"
                       << "gedruckt: 17.05.2024 14:30";
  }
  void captionLanguage() {
    QFETCH(QString, letter);
    QFETCH(QString, definition);
    QFETCH(QString, heading);
    QFETCH(QString, footer);
    trb::app::setCaptionLanguage(letter);
    const trb::render::ReportDocument report = trb::render::layoutManagement(
        trb::reports::readManagementReport(demo_.db, 1), trb::render::germanReports());
    QCOMPARE(report.definition, definition);
    trb::render::ReportWriter writer;
    writer.setPrintTime(QDateTime(QDate(2024, 5, 17), QTime(14, 30)));
    const QString path = demo_.dir->filePath(letter + QStringLiteral(".pdf"));
    QVERIFY(writer.renderPdf(report, path) >= 1);
    const QString text = pdfText(path);
    QVERIFY2(text.contains(heading), qPrintable(text));
    QVERIFY(text.contains(footer));
  }

  // Reports that are not files need a printer: without one the run is refused before anything
  // is laid out, instead of losing the reports silently.
  void experimentWithoutPrinter() {
    trb::render::ExperimentReportOptions options;
    options.toPdf = false;
    options.folder = demo_.dir->filePath(QStringLiteral("printed"));
    QVERIFY(QDir().mkpath(options.folder));
    trb::render::ReportWriter writer;
    trb::test::RecordingFeedback feedback;
    QVERIFY_THROWS_EXCEPTION(
        trb::Error, trb::render::make_report(demo_.db, QStringLiteral("Kleinhausen"), options,
                                             writer, feedback));
    QVERIFY(feedback.progress.isEmpty());

    int printed = 0;
    options.print = [&printed](const trb::render::ReportDocument&) { ++printed; };
    const auto result = trb::render::make_report(demo_.db, QStringLiteral("Kleinhausen"), options,
                                                 writer, feedback);
    QCOMPARE(printed, result.plots * 3);
    QVERIFY(result.written.isEmpty());
    QVERIFY(QDir(options.folder).isEmpty());
  }
};

QTEST_MAIN(TstPdfReports)
#include "tst_pdf_reports.moc"
