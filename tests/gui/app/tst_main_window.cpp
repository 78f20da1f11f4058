// The main window as a user meets it: language and commands at start, the connection and its
// recovery, the change of database, the settings dialog and the batch run.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

#include "core/app/odbc_source.h"
#include "core/app/startup.h"
#include "core/base/version.h"
#include "core/db/database.h"
#include "core/settings/settings.h"
#include "gui/app/application.h"
#include "gui/app/connection_dialog.h"
#include "gui/app/main_window.h"
#include "gui/app/settings_dialog.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/plot_tree.h"
#include "gui/browser/site_page.h"
#include "gui/climate/climate_window.h"
#include "gui/guitest.h"
#include "gui/parameters/parameter_editor.h"
#include "gui/parameters/parameter_table_page.h"
#include "gui/parameters/soil_profile_page.h"
#include "gui/parameters/table_browser_page.h"
#include "gui/simulator/simulator_window.h"
#include "gui/sqlmodule/sql_window.h"
#include "gui/transfer/transfer_window.h"
#include "gui/widgets/table_grid.h"
#include "testutil.h"

using trb::gui::MainWindow;
using trb::gui::SettingsDialog;

class TestMainWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;

  // Options of a start: an optional start file with lang=startLang, the demo copy as the database
  // of a first start.
  trb::gui::StartOptions options(const QStringList& args, const QString& startLang = QString()) {
    trb::gui::StartOptions o;
    o.args = args;
    o.programFile = user_.path(QStringLiteral("trb"));
    QFile::remove(user_.path(QStringLiteral("trb.ini")));
    if (!startLang.isEmpty()) {
      QFile ini(user_.path(QStringLiteral("trb.ini")));
      if (ini.open(QIODevice::WriteOnly))
        ini.write(QStringLiteral("[SETUP]\nlang=%1\n").arg(startLang).toUtf8());
    }
    o.defaultDatabase = demo_;
    o.workingFolder = user_.dir.path();
    return o;
  }

  static void clearStore() {
    auto store = trb::settings::openStore();
    store->clear();
    store->sync();
  }

  static QString stored(const QString& name) {
    auto store = trb::settings::openStore();
    return trb::settings::readText(*store, name);
  }

 private slots:
  void init() {
    clearStore();
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
  }

  void startLanguageAndCommands_data() {
    QTest::addColumn<QString>("startLang");       // empty: no start file
    QTest::addColumn<QString>("storedLanguage");  // empty: no settings (first start)
    QTest::addColumn<QString>("selectCaption");
    QTest::addColumn<bool>("full");
    QTest::addColumn<bool>("power");
    QTest::addColumn<QString>("names");  // column of the crop names in effect
    // clang-format off
    QTest::newRow("no start file, no settings")
        << QString() << QString() << "&Daten Verarbeiten" << false << false << "name_de";
    QTest::newRow("lang=E, no settings")
        << "E" << QString() << "Plot &Selection" << true << true << "name_en";
    QTest::newRow("lang=E, stored D")
        << "E" << "D" << "Plot &Selection" << true << false << "name_de";
    QTest::newRow("lang=E, stored e")
        << "E" << "e" << "Plot &Selection" << true << true << "name_en";
    // clang-format on
  }
  void startLanguageAndCommands() {
    QFETCH(QString, startLang);
    QFETCH(QString, storedLanguage);
    QFETCH(QString, selectCaption);
    QFETCH(bool, full);
    QFETCH(bool, power);
    QFETCH(QString, names);
    if (!storedLanguage.isEmpty()) {
      auto store = trb::settings::openStore();
      trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
      trb::settings::writeText(*store, QStringLiteral("language"), storedLanguage);
      trb::settings::writeInt(*store, QStringLiteral("power"), 1);
    }
    trb::gui::Windows w(options({}, startLang));
    MainWindow& m = *w.main;
    m.show();
    QTRY_VERIFY(w.session->db().isOpen());
    QCOMPARE(m.selectButton->text(), selectCaption);
    QCOMPARE(w.session->power(), power);
    for (QPushButton* b :
         {m.climateButton, m.parameterButton, m.sqlButton, m.transferButton, m.settingsButton})
      QCOMPARE(b->isVisible(), full);
    QVERIFY(m.databaseButton->isVisible() && m.endButton->isVisible());
    // access keys in either language, one per command, and a focused command from the start
    QSet<QChar> keys;
    int visible = 0;
    for (QPushButton* b : m.centralWidget()->findChildren<QPushButton*>()) {
      if (!b->isVisible()) continue;
      ++visible;
      const int amp = b->text().indexOf(u'&');
      QVERIFY2(amp >= 0 && amp + 1 < b->text().size(), qPrintable(b->text()));
      keys.insert(b->text().at(amp + 1).toLower());
    }
    QCOMPARE(keys.size(), visible);
    QTRY_VERIFY(m.focusWidget() && m.focusWidget()->inherits("QPushButton"));
    if (full) {
      // the data transfer and the SQL module open from here
      QTest::mouseClick(m.transferButton, Qt::LeftButton);
      QTRY_VERIFY(w.transfer->isVisible());
      QTest::mouseClick(m.sqlButton, Qt::LeftButton);
      QTRY_VERIFY(w.sql->isVisible());
      w.transfer->close();
      w.sql->close();
    }
    if (!full) {
      QCOMPARE(m.selectButton->geometry(), QRect(16, 135, 308, 45));
      // room for the title beside the title bar's buttons
      QVERIFY(m.width() >= m.fontMetrics().horizontalAdvance(m.windowTitle()) + 120);
      QCOMPARE(m.databaseButton->geometry().top(), 265);
      QCOMPARE(m.databaseButton->height(), 45);
      QCOMPARE(m.endButton->height(), 40);
      QCOMPARE(m.databaseLabel->geometry().top(), 265 + 45 + 5);
    }
    QCOMPARE(m.databaseLabel->text(),
             (selectCaption == u"&Daten Verarbeiten" ? QStringLiteral("Systemdatenbank=")
                                                     : QStringLiteral("system database=")) +
                 QStringLiteral("demo.sqlite"));
    QCOMPARE(w.session->db()
                 .scalar(QStringLiteral("select count(*) from slvpflan where name<>") + names)
                 .toInt(),
             0);
    QCOMPARE(m.yearPanel->text(), QStringLiteral("2011"));
    QSignalSpy updateCheck(&m, &MainWindow::updateCheckRequested);
    QTest::mouseDClick(m.versionPanel, Qt::LeftButton);
    QVERIFY(!updateCheck.isEmpty());
    // the version the update check compares, as the build set it
    QVERIFY(m.versionPanel->text().startsWith(QStringLiteral("Version")));
    QVERIFY2(m.versionPanel->text().endsWith(u' ' + trb::programVersion()),
             qPrintable(m.versionPanel->text()));
    QCOMPARE(m.currentversion, trb::programVersion());
    // a first start leaves the defaults in the store, the database the one that opened
    if (storedLanguage.isEmpty()) {
      QCOMPARE(stored(QStringLiteral("language")), QStringLiteral("D"));
      QCOMPARE(stored(QStringLiteral("database")), demo_);
      QCOMPARE(stored(QStringLiteral("methode")), QStringLiteral("TRB"));
    }
    trb::test::screenshot(&m, QStringLiteral("main_%1")
                                  .arg(QTest::currentDataTag())
                                  .replace(u' ', u'_')
                                  .replace(u',', u'_'));
    // the experiment browser with every experiment of the open database; "End" takes it down
    // with the main window
    QVERIFY(m.selectButton->isEnabled());
    m.selectButton->click();
    QTRY_VERIFY(w.browser->isVisible());
    QCOMPARE(w.browser->windowTitle(), QStringLiteral("demo.sqlite"));
    QCOMPARE(w.browser->tree->topLevelItem(0)->childCount(),
             w.session->db()
                 .scalar(QStringLiteral("select count(*) from (select distinct location, "
                                        "versuch_code from field_description)"))
                 .toInt());
    QCOMPARE(w.browser->power(), power);
    m.endButton->click();
    QVERIFY(!m.isVisible());
    QVERIFY(!w.browser->isVisible());
    QVERIFY(!w.simulator->isVisible());
    QVERIFY(!w.session->db().isOpen());
  }

  // Both passes over the command line: the last "DB=" names the database of the main window and
  // of the simulator; only an exact "go" starts the batch run.
  void commandLine_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("simDatabase");
    QTest::newRow("last DB= wins") << QStringList{"DB=first.sqlite", "x", "DB=@demo"} << "@demo";
    QTest::newRow("GO is not go") << QStringList{"GO", "DB=@demo"} << "@demo";
    QTest::newRow("no DB=") << QStringList{"nw2"} << "?";
  }
  void commandLine() {
    QFETCH(QStringList, args);
    QFETCH(QString, simDatabase);
    for (QString& a : args) a.replace(QStringLiteral("@demo"), demo_);
    simDatabase.replace(QStringLiteral("@demo"), demo_);
    trb::gui::Windows w(options(args, QStringLiteral("E")));
    w.main->show();
    QTRY_VERIFY(w.session->db().isOpen());
    QTest::qWait(50);
    QCOMPARE(w.session->databasePath(), demo_);
    QCOMPARE(w.simulator->database(), simDatabase);
    QVERIFY(!w.simulator->isVisible());
    w.main->close();
  }

  // "go" anywhere: the simulator calculates the selected plots and the program ends.
  void batchRun_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<bool>("finished");
    QTest::addColumn<QString>("stderrText");  // what the error reporter wrote instead of a box
    QTest::addColumn<bool>("display");        // false: no display variable, no platform chosen
    QTest::newRow("go last") << QStringList{"DB=nowhere.sqlite", "DB=@demo", "go"} << 0 << true
                             << "" << true;
    QTest::newRow("go first") << QStringList{"go", "DB=@demo"} << 0 << true << "" << true;
    QTest::newRow("no display") << QStringList{"DB=@demo", "go"} << 0 << true << "" << false;
    QTest::newRow("database missing")
        << QStringList{"go", "DB=@dir/missing.sqlite"} << 1 << false << "missing.sqlite" << true;
  }
  void batchRun() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(bool, finished);
    QFETCH(QString, stderrText);
    QFETCH(bool, display);
    for (QString& a : args)
      a.replace(QStringLiteral("@demo"), demo_).replace(QStringLiteral("@dir"), user_.dir.path());
    QTemporaryDir work;
    QProcess p;
    p.setWorkingDirectory(work.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (display) {
      env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
      for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(QString::fromLatin1(name));
    }
    env.insert(QStringLiteral("HOME"), work.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRB_GUI), args);
    QVERIFY(p.waitForFinished(120000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), exitCode);
    const QString errors = QString::fromUtf8(p.readAllStandardError());
    // a problem is reported once; the offscreen platform's notes are not
    if (!stderrText.isEmpty()) QVERIFY2(errors.count(stderrText) == 1, qPrintable(errors));
    QVERIFY2(!errors.contains(QStringLiteral("propagateSizeHints")), qPrintable(errors));
    QFile report(work.filePath(QStringLiteral("trb_report.txt")));
    if (finished) {
      QVERIFY(report.open(QIODevice::ReadOnly));
      const QString text = QString::fromUtf8(report.readAll());
      QVERIFY2(text.contains(QStringLiteral("job finished")), qPrintable(text));
      QVERIFY(text.contains(QStringLiteral(" N=")));
    }
  }

  // The usage needs no display.
  void helpWithoutDisplay() {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
      env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(TRB_GUI), {QStringLiteral("--help")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(out.startsWith(QStringLiteral("usage: trb")), qPrintable(out));
    QVERIFY(out.contains(QStringLiteral("DB=path")));
  }

  // A database that cannot be opened: the connection editor, prefilled with the failing string.
  void connectionRecovery_data() {
    QTest::addColumn<bool>("repair");
    QTest::newRow("cancel: no connection, program goes on") << false;
    QTest::newRow("edited path: connected and stored") << true;
  }
  void connectionRecovery() {
    QFETCH(bool, repair);
    // a file that is there but holds no database
    const QString missing = user_.path(QStringLiteral("broken.sqlite"));
    {
      QFile f(missing);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write(QByteArray(4096, 'x'));
    }
    {
      auto store = trb::settings::openStore();
      trb::settings::writeFirstStartDefaults(*store, missing, user_.dir.path());
      trb::settings::writeText(*store, QStringLiteral("language"), QStringLiteral("e"));
    }
    trb::gui::Windows w(options({}, QStringLiteral("E")));
    QString prefilled;
    trb::test::answerModal<trb::gui::ConnectionDialog>([&](trb::gui::ConnectionDialog* d) {
      prefilled = d->connectionText();
      if (!repair) {
        d->reject();
        return;
      }
      d->setConnectionText(QString(prefilled).replace(missing, demo_));
      d->accept();
    });
    w.main->show();
    QTRY_VERIFY(!prefilled.isEmpty());
    QCOMPARE(prefilled, trb::app::connectionString(trb::app::kDefaultProvider, missing));
    QTRY_COMPARE(w.session->db().isOpen(), repair);
    QVERIFY(w.main->isVisible());
    QVERIFY(w.main->databaseButton->isEnabled());
    QCOMPARE(stored(QStringLiteral("database")), repair ? demo_ : missing);
    QCOMPARE(w.main->databaseLabel->text(),
             QStringLiteral("system database=") +
                 (repair ? QStringLiteral("demo.sqlite") : QStringLiteral("-")));
    if (repair)
      QCOMPARE(stored(QStringLiteral("provider")), QString::fromLatin1(trb::app::kDefaultProvider));
    w.main->close();
  }

  // A database named at start that does not exist: one box says so and offers another file or
  // no database; neither a bare file dialog nor the connection editor follows.
  void missingDatabaseAtStart_data() {
    QTest::addColumn<bool>("choose");
    QTest::newRow("continue without") << false;
    QTest::newRow("another file") << true;
  }
  void missingDatabaseAtStart() {
    QFETCH(bool, choose);
    const QString missing = user_.path(QStringLiteral("nowhere.sqlite"));
    {
      auto store = trb::settings::openStore();
      trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
      trb::settings::writeText(*store, QStringLiteral("language"), QStringLiteral("e"));
    }
    QString text;
    trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
      text = box->text();
      box->findChild<QPushButton*>(choose ? QStringLiteral("chooseButton")
                                          : QStringLiteral("withoutButton"))
          ->click();
      if (!choose) return;
      trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
        d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(demo_);
        static_cast<QDialog*>(d)->accept();
      });
    });
    bool editorShown = false;
    trb::test::answerModal<trb::gui::ConnectionDialog>(
        [&](trb::gui::ConnectionDialog* d) {
          editorShown = true;
          d->reject();
        },
        3000);
    trb::gui::Windows w(options({QStringLiteral("DB=") + missing}, QStringLiteral("E")));
    QCOMPARE(text, QStringLiteral("The database %1 does not exist.").arg(missing));
    w.main->show();
    QTRY_COMPARE(w.session->db().isOpen(), choose);
    QTest::qWait(500);
    QVERIFY(!editorShown);
    QCOMPARE(w.main->databaseLabel->text(),
             QStringLiteral("system database=") +
                 (choose ? QStringLiteral("demo.sqlite") : QStringLiteral("-")));
    w.main->close();
  }

  // "Change System Database": the file chosen (an Access file through its imported copy), area
  // added where it is missing, the database stored and the ODBC data source updated, or the user
  // told that it is missing.
  void changeDatabase_data() {
    QTest::addColumn<bool>("legacy");
    QTest::addColumn<bool>("hasDataSource");
    QTest::newRow("T_R_B configured") << false << true;
    QTest::newRow("T_R_B missing") << false << false;
    QTest::newRow("Access file") << true << true;
  }
  void changeDatabase() {
    QFETCH(bool, legacy);
    QFETCH(bool, hasDataSource);
    QString other;
    if (legacy) {
      other = user_.path(QStringLiteral("DateTestDatabase.mdb"));
      QFile::remove(other);
      QFile::remove(user_.path(QStringLiteral("DateTestDatabase.sqlite")));
      TRB_REQUIRE_SHARED_FIXTURE("DateTestDatabase.mdb");
      QVERIFY(QFile::copy(trb::test::sharedFixture(QStringLiteral("DateTestDatabase.mdb")), other));
    } else {
      other = trb::test::demoCopy(user_.dir.path(), QStringLiteral("old.sqlite"));
      trb::db::Database db = trb::db::Database::open(other);
      db.runNative(QStringLiteral("ALTER TABLE field_description DROP COLUMN area"));
    }
    QFile odbc(user_.path(QStringLiteral("odbc.ini")));
    QVERIFY(odbc.open(QIODevice::WriteOnly | QIODevice::Truncate));
    odbc.write(hasDataSource
                   ? "[T_R_B]\nDriver=SQLite3\nDatabase=/old/path\n\n[other]\nDatabase=x\n"
                   : "[other]\nDatabase=x\n");
    odbc.close();

    trb::gui::Windows w(options({}, QStringLiteral("E")));
    w.main->show();
    QTRY_VERIFY(w.session->db().isOpen());
    trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
      // typed into the file name field, as a user would
      auto* name = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QVERIFY(name);
      name->setText(other);
      static_cast<QDialog*>(d)->accept();
    });
    QString odbcMessage;
    if (!hasDataSource) {
      trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
        odbcMessage = box->windowTitle() + u'|' + box->text();
        box->accept();
      });
    }
    w.main->databaseButton->click();
    QTRY_COMPARE(w.session->databasePath(), other);
    QVERIFY(w.session->db().isOpen());
    const QString opened = w.session->db().path();
    QCOMPARE(w.main->databaseLabel->text(),
             QStringLiteral("system database=") + QFileInfo(other).fileName());
    if (legacy) {
      QCOMPARE(opened, user_.path(QStringLiteral("DateTestDatabase.sqlite")));
      QVERIFY(!w.session->db().userTables().isEmpty());
    } else {
      QCOMPARE(opened, other);
      QVERIFY(
          w.session->db().hasColumn(QStringLiteral("field_description"), QStringLiteral("area")));
      QCOMPARE(
          w.session->db().scalar(QStringLiteral("select min(area) from field_description")).toInt(),
          -99);
    }
    QCOMPARE(stored(QStringLiteral("database")), other);
    QVERIFY(odbc.open(QIODevice::ReadOnly));
    const QString ini = QString::fromUtf8(odbc.readAll());
    odbc.close();
    if (hasDataSource) {
      // with the driver's StepAPI=1, without which R cannot close its connection
      QCOMPARE(ini, QStringLiteral("[T_R_B]\nDriver=SQLite3\nDatabase=%1\nDBQ=%1\nStepAPI=1\n\n"
                                   "[other]\nDatabase=x\n")
                        .arg(opened));
    } else {
      // first that the change worked, then what R needs
      QTRY_VERIFY2(
          odbcMessage.startsWith(QStringLiteral("ODBC error|The system database is now ") +
                                 QDir::toNativeSeparators(w.session->databasePath()) + u'.'),
          qPrintable(odbcMessage));
      // on this platform the hint names the SQLite driver and the file of the data sources
      QVERIFY(odbcMessage.endsWith(trb::app::odbcSourceHint()));
      QVERIFY(odbcMessage.contains(QStringLiteral("Please add T_R_B as a user data source")));
      QCOMPARE(ini, QStringLiteral("[other]\nDatabase=x\n"));
    }
    w.main->close();
  }

  // Values other windows ask for when they are missing: the chosen file, or its folder.
  void updateRegistry_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("chosen");  // empty: cancelled
    QTest::addColumn<QString>("stored");
    QTest::newRow("pdf_dir: the folder, with separator") << "pdf_dir"
                                                         << "@dir/docs/paper.pdf"
                                                         << "@dir/docs/";
    QTest::newRow("pdf_reader: the program") << "pdf_reader"
                                             << "@dir/viewer"
                                             << "@dir/viewer";
    QTest::newRow("cancel stores nothing") << "pdf_reader" << QString() << QString();
  }
  void updateRegistry() {
    QFETCH(QString, item);
    QFETCH(QString, chosen);
    QFETCH(QString, stored);
    chosen.replace(QStringLiteral("@dir"), user_.dir.path());
    stored.replace(QStringLiteral("@dir"), user_.dir.path());
    if (!chosen.isEmpty()) {
      QDir().mkpath(QFileInfo(chosen).absolutePath());
      QFile f(chosen);
      QVERIFY(f.open(QIODevice::WriteOnly));
    }
    trb::gui::Windows w(options({}, QStringLiteral("E")));
    trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
      if (chosen.isEmpty()) {
        d->reject();
        return;
      }
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
      static_cast<QDialog*>(d)->accept();
    });
    w.main->askAndStoreSetting(item);
    QCOMPARE(TestMainWindow::stored(item), stored);
  }

  // The "?" beside "PDF-reader" takes the chosen file, the one beside "pdf dir" its folder.
  void settingsChoosers_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("shown");
    QTest::newRow("PDF-reader") << "pdf_reader"
                                << "@dir/docs/viewer";
    QTest::newRow("pdf dir") << "pdf_dir"
                             << "@dir/docs/";
  }
  void settingsChoosers() {
    QFETCH(QString, field);
    QFETCH(QString, shown);
    shown.replace(QStringLiteral("@dir"), user_.dir.path());
    const QString chosen = user_.path(QStringLiteral("docs/viewer"));
    QDir().mkpath(user_.path(QStringLiteral("docs")));
    QFile f(chosen);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    SettingsDialog s;
    s.show();
    trb::test::answerModal<QFileDialog>([&](QFileDialog* d) {
      d->selectNameFilter(QStringLiteral("*"));
      d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
      static_cast<QDialog*>(d)->accept();
    });
    (field == u"pdf_reader" ? s.pdfReaderButton : s.pdfDirButton)->click();
    QTRY_COMPARE(s.editorValue(field), shown);
  }

  // The settings dialog: what is saved, what a cancel leaves, and a refused "BAT recalc".
  // "Climate Data" and "Parameters" open their windows; a new station or soil profile reaches
  // the browser's choosers.
  void climateAndParameters() {
    trb::gui::Windows w(options({}, QStringLiteral("E")));
    w.main->show();
    QTRY_VERIFY(w.session->db().isOpen());
    w.main->selectButton->click();
    QTRY_VERIFY(w.browser->sitePage->weatherBox->count() > 1);
    const int stations = w.browser->sitePage->weatherBox->count();
    QVERIFY(w.main->climateButton->isEnabled() && w.main->parameterButton->isEnabled());
    w.main->climateButton->click();
    QVERIFY(w.climate->isVisible());
    QCOMPARE(w.climate->stationName->text(), QStringLiteral("-?-"));
    w.climate->stationName->setText(QStringLiteral("Dikopshof"));
    w.climate->createButton->click();
    QCOMPARE(w.browser->sitePage->weatherBox->count(), stations + 1);
    w.climate->close();

    const int soils = w.browser->sitePage->soilBox->count();
    bool onCrops = false;
    trb::test::answerModal<trb::gui::ParameterEditor>([&](trb::gui::ParameterEditor* p) {
      onCrops = p->pages->currentWidget() == p->cropPage;
      p->pages->setCurrentWidget(p->soilPage);
      trb::test::answerModal<QMessageBox>(
          [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
      p->soilPage->profileName->setText(QStringLiteral("Parabraunerde"));
      p->soilPage->enter();
      p->endButton->click();
    });
    w.main->parameterButton->click();
    QVERIFY(onCrops);
    QCOMPARE(w.browser->sitePage->soilBox->count(), soils + 1);
  }

  // "Basic-Info": a double click on "weather" edits the plot's station in the climate window,
  // which shows that station only; the browser then chooses the station the window's field names
  // and saves it. A double click on "soil" (power mode) shows the parameter editor on the plot's
  // soil profile, the right mouse button on the soil chooser the editor as it stands.
  void basicInfoOpensClimateAndParameters() {
    trb::gui::Windows w(options({}, QStringLiteral("E")));
    w.main->show();
    QTRY_VERIFY(w.session->db().isOpen());
    w.main->selectButton->click();
    trb::gui::PlotTree* tree = w.browser->tree;
    QTreeWidgetItem* plot = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it && !plot; ++it)
      if (trb::gui::PlotTree::kindOf(*it) == trb::gui::PlotTree::Kind::Plot) plot = *it;
    QVERIFY(plot);
    for (QTreeWidgetItem* p = plot->parent(); p; p = p->parent()) p->setExpanded(true);
    tree->scrollToItem(plot);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(plot).center());
    trb::gui::SitePage* page = w.browser->sitePage;
    const qlonglong key = page->plotKey();
    QVERIFY(key != -99);
    QVERIFY(page->weatherBox->count() > 2);
    const QString before = page->weatherBox->currentText();
    const int other = page->weatherBox->currentIndex() == 1 ? 2 : 1;
    const QString otherName = page->weatherBox->itemText(other);

    int shownStations = -1;
    QString fieldAtOpen;
    trb::test::answerModal<trb::gui::ClimateWindow>([&](trb::gui::ClimateWindow* c) {
      shownStations = c->overview->model()->rowCount();
      fieldAtOpen = c->stationName->text();
      c->stationName->setText(otherName);
      c->closeButton->click();
    });
    QTest::mouseDClick(page->weatherBox, Qt::LeftButton);
    QCOMPARE(shownStations, 1);
    QCOMPARE(fieldAtOpen, before);
    QCOMPARE(page->weatherBox->currentText(), otherName);
    QCOMPARE(
        w.session->db()
            .scalar(QStringLiteral("select climate_id from field_description where FL_ID=?"), {key})
            .toLongLong(),
        page->weatherBox->itemData(other).toLongLong());

    const qlonglong soil = page->soilBox->currentData().toLongLong();
    QTest::mouseDClick(page->soilBox, Qt::LeftButton);
    QTRY_VERIFY(w.parameters->isVisible());
    QVERIFY(!w.parameters->isModal());
    QCOMPARE(w.parameters->pages->currentWidget(), w.parameters->soilPage);
    QCOMPARE(qlonglong(w.parameters->soilPage->currentSoil()), soil);
    QVERIFY(w.parameters->databasePage->tableList->count() > 0);
    w.parameters->close();
    QTest::mousePress(page->soilBox, Qt::RightButton);
    QTRY_VERIFY(w.parameters->isVisible());
    w.parameters->close();
  }

  void settingsDialog_data() {
    QTest::addColumn<bool>("bat");
    QTest::addColumn<QString>("pfWp");
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("storedMethode");
    QTest::addColumn<int>("storedBat");
    QTest::addColumn<QString>("refusal");  // empty: the dialog closes
    QTest::newRow("save") << false << "42" << true << "LUFA" << 0 << "";
    QTest::newRow("cancel") << false << "42" << false << "TRB" << 1 << "";
    QTest::newRow("pF WP out of its range: nothing written")
        << false << "99" << true << "TRB" << 1 << "\"pF WP\": 99 is outside the allowed range";
  }
  void settingsDialog() {
    QFETCH(bool, bat);
    QFETCH(QString, pfWp);
    QFETCH(bool, save);
    QFETCH(QString, storedMethode);
    QFETCH(int, storedBat);
    QFETCH(QString, refusal);
    const bool stillOpen = !refusal.isEmpty();
    trb::gui::Windows w(options({}, QStringLiteral("E")));
    w.main->show();
    QTRY_VERIFY(w.session->db().isOpen());
    QVERIFY(w.main->settingsButton->isEnabled());
    w.main->settingsButton->click();
    SettingsDialog& s = *w.settings;
    QVERIFY(s.isVisible());
    QCOMPARE(s.editorValue(QStringLiteral("methode")), QStringLiteral("TRB"));
    QCOMPARE(s.editorValue(QStringLiteral("database")), demo_);
    QVERIFY(!s.editor(QStringLiteral("r_script"))->isVisible());
    trb::test::screenshot(&s, QStringLiteral("settings"));

    auto* ppath = qobject_cast<QLineEdit*>(s.editor(QStringLiteral("ppath")));
    ppath->clear();
    QTest::mouseDClick(ppath, Qt::LeftButton);
    QCOMPARE(ppath->text(), QDir::currentPath());

    // the method is chosen from its list, the soil scheme too; the check box is clicked
    auto* method = qobject_cast<QComboBox*>(s.editor(QStringLiteral("methode")));
    QVERIFY(method);
    QCOMPARE(method->count(), 4);
    method->setCurrentIndex(method->findData(QStringLiteral("LUFA")));
    auto* batBox = qobject_cast<QCheckBox*>(s.editor(QStringLiteral("recalc_bat")));
    QVERIFY(batBox && batBox->isChecked());
    if (!bat) QTest::keyClick(batBox, Qt::Key_Space);
    QCOMPARE(batBox->isChecked(), bat);
    auto* wp = qobject_cast<QLineEdit*>(s.editor(QStringLiteral("pf_wp")));
    wp->selectAll();
    QTest::keyClicks(wp, pfWp);
    auto* pdfDir = qobject_cast<QLineEdit*>(s.editor(QStringLiteral("pdf_dir")));
    pdfDir->setText(QStringLiteral("/docs/"));
    QString shownRefusal;
    if (stillOpen)
      trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
        shownRefusal = box->text();
        box->accept();
      });
    (save ? s.saveButton : s.cancelButton)->click();
    if (stillOpen) {
      QTRY_VERIFY2(shownRefusal.contains(refusal), qPrintable(shownRefusal));
      QTRY_COMPARE(s.focusWidget(), static_cast<QWidget*>(wp));  // the field named
    }
    QCOMPARE(s.isVisible(), stillOpen);
    QCOMPARE(stored(QStringLiteral("methode")), storedMethode);
    QCOMPARE(stored(QStringLiteral("pdf_dir")),
             storedMethode == u"LUFA" ? QStringLiteral("/docs/") : QString());
    {
      auto store = trb::settings::openStore();
      int v = -1;
      QVERIFY(trb::settings::readInt(*store, QStringLiteral("recalc_bat"), v));
      QCOMPARE(v, storedBat);
    }
    // shown again, the dialog holds what is stored
    s.hide();
    s.show();
    QCOMPARE(s.editorValue(QStringLiteral("methode")), storedMethode);
    QCOMPARE(s.values.value(QStringLiteral("methode")), storedMethode);
    QCOMPARE(s.editorValue(QStringLiteral("pf_wp")), QStringLiteral("42"));
    s.hide();
    w.main->close();
  }

  void versionOnCommandLine() {
    QProcess p;
    p.start(QStringLiteral(TRB_GUI), {QStringLiteral("--version")});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
             QStringLiteral("trb ") + trb::programVersion() + u'\n');
  }
};

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
