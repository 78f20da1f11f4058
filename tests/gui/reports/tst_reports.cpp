// The reports as a user gets them: PDF files read back with pdftotext, the preview, and the
// window 'experiment report'.
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSvgGenerator>
#include <QTreeWidgetItem>
#include <QtTest>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/evaluation/statistics.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/list_pages.h"
#include "gui/browser/management_editor.h"
#include "gui/browser/measurement_editor.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/site_page.h"
#include "gui/guitest.h"
#include "gui/reports/experiment_report_window.h"
#include "gui/reports/report_commands.h"
#include "gui/reports/report_engine.h"
#include "testutil.h"

using trb::gui::ReportOutput;

namespace {

QString pdfText(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
  p.waitForFinished(30000);
  return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfTitle(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  p.waitForFinished(30000);
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(u'\n'))
    if (line.startsWith(QStringLiteral("Title:"))) return line.mid(6).trimmed();
  return QString();
}

// pdfimages lists no picture: everything on the pages is text and vector drawing.
bool pdfHasNoImages(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
  p.waitForFinished(30000);
  const QStringList lines =
      QString::fromUtf8(p.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
  return p.exitCode() == 0 && lines.size() == 2;  // the two header lines
}

// The first page as a small picture.
QImage firstPage(const QString& path) {
  const QString base = path + QStringLiteral(".page");
  QProcess::execute(QStringLiteral("pdftoppm"),
                    {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
                     QStringLiteral("-singlefile"), path, base});
  return QImage(base + QStringLiteral(".png"));
}

QStringList pdfFiles(const QString& folder) {
  return QDir(folder).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

}  // namespace

class TstReports : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QTemporaryDir dir_;
  trb::app::Session session_;  // the database the browser works on
  trb::db::Database& db_ = session_.db();
  QString folder_;
  int run_ = 0;

  // A fresh, empty output folder for each test.
  QString newFolder() {
    folder_ = dir_.filePath(QStringLiteral("out%1").arg(++run_));
    QDir().mkpath(folder_);
    return folder_;
  }

 private slots:
  void initTestCase() {
    QVERIFY(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty());
    db_ = trb::db::Database::open(trb::test::demoCopy(dir_.path()));
    // Kleinhausen keeps three plots; plot 50 (elsewhere) has management rows for two pages
    db_.execute(QStringLiteral("delete from field_description where fl_id in (4, 5)"));
    db_.execute(QStringLiteral(
        "insert into field_description (FL_ID, versuch_code, Location, site_description, "
        "Herkunft, soil_ID, climate_ID) values (50, '9', 'Testfeld', 'Parzelle 50', 'T', 1, 0)"));
    trb::db::Statement add(
        db_, QStringLiteral("insert into cultivation (FL_ID, day, month, year, Macode, "
                            "Item_IX, Quantity, Sim_Quantity) values (50, 1, 4, ?, 4, 1, "
                            "?, 0)"));
    for (int i = 0; i < 70; ++i) add.exec({1950 + i, 40 + i});
    trb::gui::ReportEngine::shared().setPrintTime(QDateTime(QDate(2024, 5, 17), QTime(14, 30)));
  }

  void cleanup() { trb::gui::setCaptionLanguage(QStringLiteral("E")); }

  // The footer counts the pages of a management report that runs over two, and the table's
  // header repeats on the second page.
  void managementOverTwoPages() {
    const QString path =
        trb::gui::printManagement(nullptr, db_, 50, ReportOutput::Pdf, newFolder());
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Testfeld_Parzelle 50_man.pdf"));
    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("Seite : 1 von 2")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Seite : 2 von 2")));
    QVERIFY(!text.contains(QStringLiteral("von 3")));
    QVERIFY(text.contains(QStringLiteral("printed: 17.05.2024 14:30")));
    QCOMPARE(text.count(QStringLiteral("ACTION")), 2);
    QVERIFY(text.contains(QStringLiteral("TRB management data")));
    QVERIFY(text.contains(QStringLiteral("Parzelle 50")));
    QCOMPARE(pdfTitle(path), QStringLiteral("management"));
  }

  // The interface language "D" renders the "D_" twins, with German headings.
  void languageVariants_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("management");
    QTest::addColumn<QString>("definition");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("otherHeading");
    QTest::newRow("E management") << "E" << true << "management"
                                  << "Management Report"
                                  << "Bewirtschaftungsbericht";
    QTest::newRow("D management") << "D" << true << "D_management"
                                  << "Bewirtschaftungsbericht"
                                  << "Management Report";
    QTest::newRow("E measurement") << "E" << false << "measurement"
                                   << "measurement report"
                                   << "Messwertbericht";
    QTest::newRow("D measurement") << "D" << false << "D_measurement"
                                   << "Messwertbericht"
                                   << "measurement report";
  }
  void languageVariants() {
    QFETCH(QString, language);
    QFETCH(bool, management);
    QFETCH(QString, definition);
    QFETCH(QString, heading);
    QFETCH(QString, otherHeading);
    trb::gui::setCaptionLanguage(language);
    const QString path =
        management ? trb::gui::printManagement(nullptr, db_, 1, ReportOutput::Pdf, newFolder())
                   : trb::gui::printObservations(nullptr, db_, 1, ReportOutput::Pdf, folder_);
    QVERIFY(path.endsWith(management ? QStringLiteral("_man.pdf") : QStringLiteral("_obs.pdf")));
    const QString text = pdfText(path);
    QCOMPARE(pdfTitle(path), definition);
    QVERIFY2(text.contains(heading), qPrintable(text));
    QVERIFY(!text.contains(otherHeading));
    QVERIFY(text.contains(QStringLiteral("Seite : 1 von ")));
  }

  // Three plots, all three parts: nine files named after the plot twice; the site description
  // holds the literature of the experiment and no page counter.
  void experimentReportWindow() {
    const QString folder = newFolder();
    trb::gui::ExperimentReportWindow window(db_);
    window.setOutputFolder(folder);
    window.setLocation(QStringLiteral("Kleinhausen"));
    QCOMPARE(window.locationLabel->text(), QStringLiteral("report generation for Kleinhausen"));
    QCOMPARE(window.plotLabel->text(), QStringLiteral("----------current plot--------------"));
    window.show();
    trb::test::screenshot(&window, QStringLiteral("experiment_report"));
    QTest::mouseClick(window.executeButton, Qt::LeftButton);

    const QStringList files = pdfFiles(folder);
    QCOMPARE(files.size(), 9);
    for (const QString& plot : {QStringLiteral("Kontrolle (ohne Düngung)"),
                                QStringLiteral("mineralisch N"), QStringLiteral("Stallmist")})
      for (const char* suffix : {"_man.pdf", "_obs.pdf", "_sdc.pdf"})
        QVERIFY2(files.contains(plot + u'_' + plot + QString::fromLatin1(suffix)),
                 qPrintable(files.join(u'\n')));
    QCOMPARE(window.progressBar->maximum(), 3);
    QCOMPARE(window.progressBar->value(), 3);
    QCOMPARE(window.plotLabel->text(), QStringLiteral("Stallmist"));

    const QString site =
        pdfText(QDir(folder).filePath(QStringLiteral("Stallmist_Stallmist_sdc.pdf")));
    QVERIFY2(site.contains(QStringLiteral("site description")), qPrintable(site));
    QVERIFY(site.contains(QStringLiteral("FL_ID= 3")));
    QVERIFY(site.contains(QStringLiteral("Feldmann")));
    QVERIFY(site.contains(QStringLiteral("Sandberg")));
    QVERIFY(site.contains(QStringLiteral("printed: 17.05.2024")));
    QVERIFY(!site.contains(QStringLiteral("Seite")));
  }

  // The two output boxes: usable only with 'skip options', each the opposite of the other;
  // unchecking 'skip options' disables them again but keeps their state.
  void outputBoxes() {
    trb::gui::ExperimentReportWindow window(db_);
    window.show();
    QVERIFY(!window.printerBox->isEnabled());
    QVERIFY(!window.pdfBox->isEnabled());
    QVERIFY(window.pdfBox->isChecked());
    QTest::mouseClick(window.skipOptionsBox, Qt::LeftButton);
    QVERIFY(window.printerBox->isEnabled());
    QTest::mouseClick(window.printerBox, Qt::LeftButton);
    QVERIFY(window.printerBox->isChecked());
    QVERIFY(!window.pdfBox->isChecked());
    QTest::mouseClick(window.pdfBox, Qt::LeftButton);
    QVERIFY(window.pdfBox->isChecked());
    QVERIFY(!window.printerBox->isChecked());
    QTest::mouseClick(window.printerBox, Qt::LeftButton);
    QTest::mouseClick(window.skipOptionsBox, Qt::LeftButton);
    QVERIFY(!window.printerBox->isEnabled());
    QVERIFY(!window.pdfBox->isEnabled());
    QVERIFY(window.printerBox->isChecked());
    QVERIFY(!window.pdfBox->isChecked());
  }

  // Nothing for an experiment without plots; a file that cannot be written is reported with its
  // path while the other reports of the run are written.
  void experimentReportFailures() {
    trb::test::RecordingFeedback feedback;
    trb::gui::ExperimentReportOptions options;
    options.folder = newFolder();
    auto& engine = trb::gui::ReportEngine::shared();
    auto result = trb::gui::make_report(db_, QStringLiteral("Nowhere"), options, engine, feedback);
    QCOMPARE(result.plots, 0);
    QVERIFY(pdfFiles(folder_).isEmpty());

    const QString blocked =
        QDir(folder_).filePath(QStringLiteral("mineralisch N_mineralisch N_obs.pdf"));
    QVERIFY(QDir().mkpath(blocked));  // a folder where the file should go
    options.german = true;
    result = trb::gui::make_report(db_, QStringLiteral("Kleinhausen"), options, engine, feedback);
    QCOMPARE(result.plots, 3);
    QCOMPARE(result.written.size(), 8);
    QCOMPARE(result.failed, QStringList{blocked});
    QCOMPARE(feedback.problems.size(), 1);
    QVERIFY2(feedback.problems.first().contains(blocked), qPrintable(feedback.problems.first()));
    const QString site =
        pdfText(QDir(folder_).filePath(QStringLiteral("Stallmist_Stallmist_sdc.pdf")));
    QVERIFY2(site.contains(QStringLiteral("Standortbeschreibung")), qPrintable(site));
    QCOMPARE(pdfTitle(QDir(folder_).filePath(QStringLiteral("Stallmist_Stallmist_sdc.pdf"))),
             QStringLiteral("D_singlesitedesc"));
  }

  // The preview is the default; a PDF asked for once is not written over by a later run that
  // asks for none: that one opens the preview again.
  void previewAfterPdf() {
    auto& engine = trb::gui::ReportEngine::shared();
    engine.destination = trb::gui::ReportEngine::Destination::Preview;
    const QString path = trb::gui::printManagement(nullptr, db_, 1, ReportOutput::Pdf, newFolder());
    const QByteArray before = [&] {
      QFile f(path);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    QVERIFY(!before.isEmpty());

    int pages = -1;
    trb::test::answerModal<QPrintPreviewDialog>([&pages](QPrintPreviewDialog* d) {
      pages = d->findChild<QPrintPreviewWidget*>()->pageCount();
      d->reject();
    });
    trb::gui::printSiteDescription(nullptr, db_, 1);
    QCOMPARE(pages, 1);
    QFile after(path);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
    QCOMPARE(pdfFiles(folder_).size(), 1);
    QVERIFY(!engine.setupDialog);  // the PDF run suppressed it for later runs
    engine.setupDialog = true;
  }

  // The statistics block holds exactly the lines of the page's list, the bias verdict among
  // them; the chart is drawn as vectors; the grid follows.
  void resultReport() {
    trb::evaluation::Tstat_set set;
    set.reset(QStringLiteral("3"));
    const double obs[] = {1.10, 1.18, 1.25, 1.21, 1.30, 1.33};
    for (int i = 0; i < 6; ++i) set.add_pair(1990 + i, true, obs[i], obs[i] * 0.93 + 0.02);
    set.show(QLocale::c());
    const QStringList lines = set.lines();
    QVERIFY(lines.join(u'\n').contains(QStringLiteral("bias")));

    const QString folder = newFolder();
    const QString svg = QDir(folder).filePath(QStringLiteral("plot1.svg"));
    {
      QSvgGenerator generator;
      generator.setFileName(svg);
      generator.setSize(QSize(400, 240));
      generator.setViewBox(QRect(0, 0, 400, 240));
      QPainter p(&generator);
      p.drawLine(10, 230, 390, 10);
      p.drawText(QPointF(20, 20), QStringLiteral("chartmarker"));
    }
    const QList<QStringList> rows{{"0", "1990 ,  3", "1.1", "1.043"},
                                  {"1", "1991 ,  3", "1.18", "1.1174"}};
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    const QString path = trb::gui::printResults(
        nullptr, db_, 3, lines, rows, svg, QStringLiteral("_corg.pdf"), ReportOutput::Pdf, folder);
    QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Kleinhausen_Stallmist_corg.pdf"));
    QCOMPARE(pdfTitle(path), QStringLiteral("D_result_report"));
    const QString text = pdfText(path);
    QVERIFY2(text.contains(QStringLiteral("Modellergebnisse")), qPrintable(text));
    QVERIFY(text.contains(
        QStringLiteral("plot Stallmist in folder Kleinhausen; dataset from P3 {FB 12}")));
    QVERIFY(pdfHasNoImages(path));  // the chart is drawn as vectors
    const QString without =
        trb::gui::printResults(nullptr, db_, 3, lines, rows, QString(), QStringLiteral("_x.pdf"),
                               ReportOutput::Pdf, folder);
    QVERIFY(firstPage(path) != firstPage(without));
    QVERIFY(text.contains(QStringLiteral("1991 , 3")) ||
            text.contains(QStringLiteral("1991 ,  3")));
    // the lines between the heading and the table, blank lines left out
    const int from = text.indexOf(QStringLiteral("Statistik:"));
    const int to = text.indexOf(QStringLiteral("Jahr#"));
    QVERIFY(from >= 0 && to > from);
    QStringList shown;
    for (const QString& l : text.mid(from, to - from).split(u'\n').mid(1))
      if (!l.trimmed().isEmpty()) shown << l.simplified();
    QStringList expected;
    for (const QString& l : lines)
      if (!l.trimmed().isEmpty()) expected << l.simplified();
    QCOMPARE(shown, expected);
  }

  // 'output to printer': every report goes to the printer (here a printer writing a file), no
  // PDF file is written, and the printer stays the destination of later reports.
  void printerDestination() {
    auto& engine = trb::gui::ReportEngine::shared();
    engine.destination = trb::gui::ReportEngine::Destination::Preview;
    const QString printed = QDir(newFolder()).filePath(QStringLiteral("printer.out"));
    engine.printer().setOutputFileName(printed);
    trb::test::RecordingFeedback feedback;
    trb::gui::ExperimentReportOptions options;
    options.folder = folder_;
    options.parts = {false, false, true};
    options.toPdf = false;
    options.skipOptions = true;
    const auto result =
        trb::gui::make_report(db_, QStringLiteral("Kleinhausen"), options, engine, feedback);
    engine.printer().setOutputFileName(QString());
    QCOMPARE(result.plots, 3);
    QVERIFY(result.written.isEmpty());
    QVERIFY(pdfFiles(folder_).isEmpty());
    QVERIFY(pdfText(printed).contains(QStringLiteral("FL_ID= 3")));  // the last plot's job
    QCOMPARE(engine.destination, trb::gui::ReportEngine::Destination::Printer);
    QVERIFY(!engine.setupDialog);
    engine.destination = trb::gui::ReportEngine::Destination::Preview;
    engine.setupDialog = true;
  }

  // The browser's menus: 'site condition report' on the database opens the preview,
  // 'experiment report' on an experiment opens the window for it.
  void browserCommands() {
    trb::gui::ReportEngine::shared().destination = trb::gui::ReportEngine::Destination::Preview;
    trb::gui::BrowserWindow browser(session_, true);
    browser.show();
    QString title;
    trb::test::answerModal<QPrintPreviewDialog>([&title](QPrintPreviewDialog* d) {
      title = d->windowTitle();
      d->reject();
    });
    QVERIFY(browser.tree->menus.siteReport->isEnabled());
    browser.tree->menus.siteReport->trigger();
    QCOMPARE(title, QStringLiteral("site_cond"));

    const auto experiments = browser.tree->findItems(QStringLiteral("Heidmoor   <2>"),
                                                     Qt::MatchExactly | Qt::MatchRecursive);
    QVERIFY(!experiments.isEmpty());
    QTreeWidgetItem* experiment = experiments.first();
    emit browser.tree->rightPressed(experiment);
    browser.tree->menus.experimentReport->trigger();
    auto* window = browser.findChild<trb::gui::ExperimentReportWindow*>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->location(), QStringLiteral("Heidmoor"));

    // the loaded plot: 'print site desc.' previews, 'print management' and 'print' with
    // 'save as PDF; no preview' write their files into the current folder
    const qlonglong plot =
        db_.scalar(QStringLiteral("select fl_id from field_description where site_description=?"),
                   {QStringLiteral("Fruchtfolge mit Kleegras")})
            .toLongLong();
    QVERIFY(browser.clickOnPlot(plot, QStringLiteral("Heidmoor")));
    title.clear();
    trb::test::answerModal<QPrintPreviewDialog>([&title](QPrintPreviewDialog* d) {
      title = d->windowTitle();
      d->reject();
    });
    QVERIFY(browser.sitePage->printButton->isEnabled());
    QTest::mouseClick(browser.sitePage->printButton, Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("singlesitedesc"));

    const QString before = QDir::currentPath();
    QDir::setCurrent(newFolder());
    for (auto* editor : {static_cast<QWidget*>(browser.managementPage->editor),
                         static_cast<QWidget*>(browser.observationPage->editor)}) {
      auto* pdf = editor->findChild<QCheckBox*>(QStringLiteral("pdfBox"));
      pdf->setChecked(true);
      QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("printButton")),
                        Qt::LeftButton);
    }
    QDir::setCurrent(before);
    QCOMPARE(pdfFiles(folder_), (QStringList{"Heidmoor_Fruchtfolge mit Kleegras_man.pdf",
                                             "Heidmoor_Fruchtfolge mit Kleegras_obs.pdf"}));
    // 'create report' and 'save as PDF; skip preview' are offered where the page has results
    for (auto* page : {browser.carbonPage, browser.nitrogenPage, browser.microbialPage})
      QVERIFY(page->reportButton->isEnabledTo(page));
    QVERIFY(browser.carbonPage->pdfButton->isEnabledTo(browser.carbonPage));
  }

  // Outside power mode the command writes the reports at once, into the current folder.
  void compactMode() {
    const QString before = QDir::currentPath();
    QDir::setCurrent(newFolder());
    QWidget parent;
    auto* window =
        trb::gui::openExperimentReport(&parent, db_, QStringLiteral("Kleinhausen"), false);
    QDir::setCurrent(before);
    QVERIFY(!window->isVisible());
    QCOMPARE(pdfFiles(folder_).size(), 9);
  }

  // The window in both languages and at a small size (pictures with TRB_SHOTS).
  void windowCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    trb::gui::ExperimentReportWindow window(db_);
    window.setLocation(QStringLiteral("Heidmoor"));
    QCOMPARE(window.executeButton->text(), QStringLiteral("Berichte ausführen"));
    QCOMPARE(window.locationLabel->text(), QStringLiteral("Berichte erstellen für Heidmoor"));
    window.show();
    trb::test::screenshot(&window, QStringLiteral("experiment_report_de"));
    window.resize(window.minimumSizeHint());
    trb::test::screenshot(&window, QStringLiteral("experiment_report_small"));
  }

  // The site conditions of every plot and the reference list, in the preview.
  void siteConditionsAndReferences() {
    trb::gui::ReportEngine::shared().destination = trb::gui::ReportEngine::Destination::Preview;
    int pages = 0;
    trb::test::answerModal<QPrintPreviewDialog>([&pages](QPrintPreviewDialog* d) {
      pages = d->findChild<QPrintPreviewWidget*>()->pageCount();
      d->reject();
    });
    trb::gui::printSiteConditions(nullptr, db_);
    QVERIFY(pages >= 1);

    const QString sites = QDir(newFolder()).filePath(QStringLiteral("sites.pdf"));
    trb::render::ReportWriter writer;
    trb::render::writeSiteConditionsPdf(db_, sites, false, writer);
    const QString text = pdfText(sites);
    for (int fl : {1, 2, 3, 6, 10})
      QVERIFY2(text.contains(QStringLiteral("FL_ID= %1 ").arg(fl)), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("(RBS)")));
    QVERIFY(text.contains(QStringLiteral("POROSITY:")));
    QVERIFY(text.contains(QStringLiteral("Seite : 1 von")));

    const QString refs = QDir(folder_).filePath(QStringLiteral("refs.pdf"));
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    trb::render::writeReferencesPdf(db_, refs, writer);
    QCOMPARE(pdfTitle(refs), QStringLiteral("Reference_report"));
    const QString list = pdfText(refs);
    QVERIFY(list.contains(QStringLiteral("References")));
    QVERIFY(list.contains(QStringLiteral("Feldmann")));
  }
};

QTEST_MAIN(TstReports)
#include "tst_reports.moc"
