// The reference list, the relation windows, the RIS import tool and the update check, driven as
// a user would.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include "core/app/session.h"
#include "core/settings/settings.h"
#include "core/settings/settings_table.h"
#include "gui/app/update_check_window.h"
#include "gui/guitest.h"
#include "gui/references/reference_list_window.h"
#include "gui/references/relations_window.h"
#include "gui/references/ris_import_dialog.h"
#include "gui/widgets/error_reporter.h"
#include "http_server.h"
#include "testutil.h"

class TstReferenceWindows : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;

 private slots:
  void experimentView() {
    trb::test::TempDb t(QStringLiteral("demo"));
    trb::gui::ReferenceListWindow w(t.db);
    QSignalSpy changed(&w, &trb::gui::ReferenceListWindow::relationsChanged);
    w.showExperiment(QStringLiteral("Kleinhausen"));
    QVERIFY(w.keywordChooser->isHidden());
    QCOMPARE(w.grid->model()->rowCount(), 2);
    QCOMPARE(w.compact->toPlainText().split(u'\n').first(),
             QStringLiteral("Archiv für Demo-Ackerbau"));
    trb::test::screenshot(&w, QStringLiteral("reference_list"));

    QTest::keyClicks(w.litIdField, QStringLiteral("abc"));
    w.addReferenceButton->click();
    QCOMPARE(w.litIdField->text(), QStringLiteral("not found!"));
    QCOMPARE(changed.count(), 0);

    w.grid->setCurrentIndex(w.grid->model()->index(1, 0));
    QCOMPARE(w.titleField->text(), w.rows()[1].titel);
    w.deleteRelationButton->click();
    QCOMPARE(w.grid->model()->rowCount(), 1);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().toString(), QStringLiteral("1"));
  }

  void plotViewAndKeywords() {
    trb::test::TempDb t(QStringLiteral("demo"));
    trb::gui::ReferenceListWindow w(t.db);
    w.showPlot(3, QStringLiteral("Stallmist"));
    QVERIFY(!w.keywordChooser->isHidden());
    QCOMPARE(w.heading->text(), QStringLiteral("Stallmist"));
    QCOMPARE(w.grid->model()->rowCount(), 1);  // all keywords on opening
    // 'all' is keyword 0 once chosen
    w.keywordChooser->setCurrentIndex(0);
    emit w.keywordChooser->activated(0);
    QCOMPARE(w.grid->model()->rowCount(), 0);

    w.showPlot(3, QStringLiteral("Stallmist"));
    w.editKeywordsButton->click();
    auto* kw = w.findChild<trb::gui::KeywordRelationsWindow*>();
    QVERIFY(kw && kw->isVisible());
    QVERIFY(kw->panel->toPlainText().startsWith(QStringLiteral("4 :  Messwerte")));
    kw->chooser->setCurrentIndex(kw->chooser->findText(QStringLiteral("Klima")));
    kw->addButton->click();
    QCOMPARE(kw->panel->toPlainText().split(u'\n').size(), 2);
    kw->deleteButton->click();
    QCOMPARE(kw->panel->toPlainText().split(u'\n').size(), 1);
  }

  void experimentRelations() {
    trb::test::TempDb t(QStringLiteral("demo"));
    trb::gui::ExperimentRelationsWindow w(t.db);
    w.review(1);
    QCOMPARE(w.referenceLabel->text(), QStringLiteral("1"));
    QCOMPARE(w.panel->toPlainText(), QStringLiteral("1 :  Kleinhausen"));
    w.chooser->setCurrentIndex(w.chooser->findData(QStringLiteral("2")));
    w.addButton->click();
    QCOMPARE(w.panel->toPlainText().split(u'\n').size(), 2);
    w.deleteButton->click();
    QCOMPARE(w.panel->toPlainText(), QStringLiteral("1 :  Kleinhausen"));
  }

  void risImportOnce() {
    trb::test::TempDb t;
    const QString path = t.dir->filePath(QStringLiteral("a.ris"));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("TY  - JOUR\nAU  - Lange, U.\nER  - \n");
    f.close();
    trb::gui::RisImportDialog d(t.db);
    d.show();
    d.openFile(path);
    QCOMPARE(d.list->count(), 3);
    d.importButton->click();
    QVERIFY(!d.importButton->isEnabled());  // once per opened file
    QCOMPARE(d.list->item(d.list->count() - 1)->text(), QStringLiteral("1 of 1 records stored"));
    QCOMPARE(t.db.scalar(QStringLiteral("SELECT count(*) FROM referenzen")).toInt(), 1);
  }

  void updateCheck() {
    trb::test::SmallServer server;
    server.bodies.insert(
        QStringLiteral("/v.html"),
        "<p>aktuelle TRB-Version 2011.1.2.35</p>\n<p>download: trb_2011.zip</p>\n");
    server.bodies.insert(QStringLiteral("/files/trb_2011.zip"), "PK archive");
    QTemporaryDir dir;
    trb::app::Session session;
    trb::gui::UpdateCheckWindow w(session, QStringLiteral("2011.1.2.34"), dir.path());
    {
      auto store = trb::settings::openStore();
      trb::settings::writeText(*store, trb::settings::keys::update_page, QString());
    }
    w.checkButton->click();  // no address: nothing contacted
    QCOMPARE(w.firstLine->text(), QStringLiteral("no update address is set"));
    {
      auto store = trb::settings::openStore();
      trb::settings::writeText(*store, trb::settings::keys::update_page,
                               server.url(QStringLiteral("/v.html")).toString());
      trb::settings::writeText(*store, trb::settings::keys::update_folder,
                               server.url(QStringLiteral("/files")).toString());
    }
    trb::test::answerModal<QMessageBox>(
        [](QMessageBox* b) { b->button(QMessageBox::Yes)->click(); });
    w.checkButton->click();
    // the requests run on a worker thread; the window goes on when each has come
    QTRY_VERIFY2(w.secondLine->text().startsWith(QStringLiteral("new zip-file available on ==>")),
                 qPrintable(w.secondLine->text()));
    QVERIFY(QFile::exists(dir.filePath(QStringLiteral("htmlfile.txt"))));
    QCOMPARE(w.firstLine->text(), QStringLiteral("trb_2011.zip"));
    QVERIFY(w.checkButton->isEnabled());
    QFile zip(dir.filePath(QStringLiteral("trb_2011.zip")));
    QVERIFY(zip.open(QIODevice::ReadOnly));
    QCOMPARE(zip.readAll(), QByteArray("PK archive"));
    QVERIFY(!QApplication::overrideCursor());  // the busy pointer is back

    trb::gui::UpdateCheckWindow same(session, QStringLiteral("2011.1.2.35"), dir.path());
    same.checkButton->click();
    QTRY_COMPARE(same.firstLine->text(), QStringLiteral("OK"));
    QCOMPARE(same.secondLine->text(), QStringLiteral("your trb is up to date"));
  }
};

QTEST_MAIN(TstReferenceWindows)
#include "tst_reference_windows.moc"
