// The data side of the reports: what each report reads, the file names and the plan of an
// experiment report.
#include <QtTest>

#include "core/reports/report_data.h"
#include "core/reports/report_files.h"
#include "testutil.h"

using namespace trb::reports;

class TstReportData : public QObject {
  Q_OBJECT

 private slots:
  void definitionNames_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("english");
    QTest::addColumn<QString>("german");
    QTest::newRow("management") << int(ReportKind::Management) << "management"
                                << "D_management";
    QTest::newRow("measurement") << int(ReportKind::Measurement) << "measurement"
                                 << "D_measurement";
    QTest::newRow("site_cond") << int(ReportKind::SiteConditions) << "site_cond"
                               << "D_sitecond";
    QTest::newRow("singlesitedesc") << int(ReportKind::SiteDescription) << "singlesitedesc"
                                    << "D_singlesitedesc";
    QTest::newRow("references") << int(ReportKind::References) << "Reference_report"
                                << "Reference_report";
    QTest::newRow("results") << int(ReportKind::Results) << "result_report"
                             << "D_result_report";
  }
  void definitionNames() {
    QFETCH(int, kind);
    QFETCH(QString, english);
    QFETCH(QString, german);
    QCOMPARE(definitionName(ReportKind(kind), false), english);
    QCOMPARE(definitionName(ReportKind(kind), true), german);
    QCOMPARE(hasPageCounter(ReportKind(kind)), ReportKind(kind) != ReportKind::SiteDescription);
  }

  void safeNames_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "Stallmist + mineralisch N (ohne Düngung)"
                           << "Stallmist + mineralisch N (ohne Düngung)";
    QTest::newRow("separators") << "a/b\\c"
                                << "a_b_c";
    QTest::newRow("reserved") << "x:y*z?\"<>|"
                              << "x_y_z_____";
    QTest::newRow("control") << QStringLiteral("tab\there\nline") << "tab_here_line";
  }
  void safeNames() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(safeFileName(text), expected);
  }

  void plotFileNames() {
    QCOMPARE(plotFileName(QStringLiteral("Kleinhausen"), QStringLiteral("P1/P2"),
                          QString::fromLatin1(kManagementSuffix)),
             QStringLiteral("Kleinhausen_P1_P2_man.pdf"));
  }

  // Plot name twice, then the suffix; a name given already in the run gets the later plot's
  // FL_ID, also when the two differ only in case or only in characters made safe.
  void experimentPlan() {
    const QList<ExperimentPlot> plots{{7, QStringLiteral("a")},
                                      {8, QStringLiteral("b")},
                                      {9, QStringLiteral("A")},
                                      {10, QStringLiteral("b:")},
                                      {11, QStringLiteral("b?")}};
    const QList<PlannedReport> plan = planExperimentReport(plots, {true, true, true});
    QStringList names;
    for (const PlannedReport& p : plan) names << p.fileName;
    QCOMPARE(names.size(), 15);
    QCOMPARE(names.mid(0, 3), (QStringList{"a_a_man.pdf", "a_a_obs.pdf", "a_a_sdc.pdf"}));
    QCOMPARE(names.mid(6, 3), (QStringList{"A_A_9_man.pdf", "A_A_9_obs.pdf", "A_A_9_sdc.pdf"}));
    QCOMPARE(names.at(9), QStringLiteral("b__b__man.pdf"));
    QCOMPARE(names.at(12), QStringLiteral("b__b__11_man.pdf"));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    QCOMPARE(plan.at(4).kind, ReportKind::Measurement);
    QCOMPARE(plan.at(4).flId, 8);

    const QList<PlannedReport> some = planExperimentReport(plots.mid(0, 2), {false, true, false});
    QCOMPARE(some.size(), 2);
    QCOMPARE(some.at(1).fileName, QStringLiteral("b_b_obs.pdf"));
    QVERIFY(planExperimentReport({}, {true, true, true}).isEmpty());
  }

  // The location is a value, not SQL: a quote in it neither breaks the statement nor widens it.
  void experimentPlots() {
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("update field_description set location = ? where fl_id = 2"),
                 {QStringLiteral("O'Neil \"North\"")});
    const QList<ExperimentPlot> one = readExperimentPlots(t.db, QStringLiteral("O'Neil \"North\""));
    QCOMPARE(one.size(), 1);
    QCOMPARE(one.first().flId, 2);
    QCOMPARE(one.first().siteDescription, QStringLiteral("mineralisch N"));
    QCOMPARE(readExperimentPlots(t.db, QStringLiteral("Kleinhausen")).size(), 4);
    QVERIFY(readExperimentPlots(t.db, QStringLiteral("\" or \"\"=\"")).isEmpty());
  }

  void plotReports() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const ManagementReport m = readManagementReport(t.db, 3);
    QCOMPARE(m.plot.location, QStringLiteral("Kleinhausen"));
    QCOMPARE(m.plot.siteDescription, QStringLiteral("Stallmist"));
    QVERIFY(!m.rows.isEmpty());
    for (const auto& row : m.rows) {
      QVERIFY2(!row.aktion.isEmpty(), qPrintable(QString::number(row.macode)));
      QVERIFY(!row.subjekt.isEmpty());
    }
    const MeasurementReport o = readMeasurementReport(t.db, 3);
    QVERIFY(!o.rows.isEmpty());
    QVERIFY(!o.rows.first().property.isEmpty());
    QVERIFY_THROWS_EXCEPTION(trb::Error, readManagementReport(t.db, 4711));
    QVERIFY_THROWS_EXCEPTION(trb::Error, readSiteDescriptionReport(t.db, 4711));
  }

  // The site block of one plot and the literature of its experiment (code 1: references 1, 2).
  void siteDescription() {
    trb::test::TempDb t(QStringLiteral("demo"));
    const SiteDescriptionReport s = readSiteDescriptionReport(t.db, 1);
    QCOMPARE(s.site.size(), 1);
    QCOMPARE(s.site.first().flId, 1);
    QCOMPARE(s.site.first().herkunft, QStringLiteral("P1"));
    QVERIFY(s.site.first().ycnt > 0);
    QVERIFY(!s.site.first().station.isEmpty());
    QList<qlonglong> lit;
    for (const auto& r : s.references) lit << r.litId;
    QCOMPARE(lit, (QList<qlonglong>{1, 2}));
    QCOMPARE(readPlotReferences(t.db, 7).size(), 1);

    const QList<SiteConditionRow> all = readSiteConditions(t.db);
    QCOMPARE(all.size(), 10);
    QCOMPARE(all.first().flId, 1);
    QCOMPARE(all.last().flId, 10);
  }

  void referenceList() {
    trb::test::TempDb t(QStringLiteral("demo"));
    t.db.execute(QStringLiteral("insert into referenzen (lit_id, Autor, Titel) values (?, ?, ?)"),
                 {99, QStringLiteral("Long, T."), QString(300, u'x')});
    const QList<ReferenceRow> rows = readReferenceList(t.db);
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows.last().litId, 99);
    QCOMPARE(rows.last().stitel.size(), 250);
    QCOMPARE(rows.first().autor, QStringLiteral("Feldmann, H.; Korn, E."));
  }

  void resultTitleLine() {
    QCOMPARE(resultTitle(QStringLiteral("Stallmist"), QStringLiteral("Kleinhausen"),
                         QStringLiteral("P3"), QStringLiteral("FB 12")),
             QStringLiteral("plot Stallmist in folder Kleinhausen; dataset from P3 {FB 12}"));
  }
};

QTEST_GUILESS_MAIN(TstReportData)
#include "tst_report_data.moc"
