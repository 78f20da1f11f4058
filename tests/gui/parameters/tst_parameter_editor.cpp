// The parameter editor as a user meets it on a copy of the demo database: the organic matter
// filters, yes/no and number cells, the soil profiles (ENTER, the value check after post and on
// closing), the table pages with the export, and the references.
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include "core/db/database.h"
#include "gui/guitest.h"
#include "gui/parameters/organic_matter_page.h"
#include "gui/parameters/parameter_editor.h"
#include "gui/parameters/references_page.h"
#include "gui/parameters/soil_profile_page.h"
#include "gui/parameters/table_browser_page.h"
#include "gui/references/relations_window.h"
#include "gui/references/ris_import_dialog.h"
#include "gui/widgets/table_grid.h"
#include "gui/widgets/table_navigator.h"
#include "xlsx_read.h"

using trb::gui::ParameterEditor;
using trb::gui::TableNavigator;

namespace {

// Types text into a line edit as a user does (the field's old text replaced).
void typeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Delete);
  for (const QChar c : text) {
    if (c.unicode() < 128)
      QTest::keyClick(edit, c.toLatin1());
    else
      QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

}  // namespace

class TestParameterEditor : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  trb::db::Database db_;

  QVariant soilValue(int soilId, const QString& column) {
    return db_.scalar(
        QStringLiteral("select ") + column + QStringLiteral(" from soilproperties where soil_id=?"),
        {soilId});
  }

 private slots:
  void init() {
    db_.close();
    const QString demo = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo.isEmpty());
    db_ = trb::db::Database::open(demo);
  }
  void cleanup() { db_.close(); }

  void organicMatterFilters() {
    ParameterEditor w(db_);
    w.show();
    auto* page = w.organicMatterPage;
    auto* m = page->grid->tableModel();
    const int all = m->rowCount();
    const int odColumn = 1;
    QCOMPARE(m->columnName(odColumn), QStringLiteral("od"));
    auto flags = [m, odColumn] {
      QSet<int> seen;
      for (int r = 0; r < m->rowCount(); ++r)
        seen.insert(m->index(r, odColumn).data(Qt::CheckStateRole).toInt());
      return seen;
    };
    QTest::mouseClick(page->residuesChoice, Qt::LeftButton);
    const int residues = m->rowCount();
    QCOMPARE(flags(), QSet<int>({Qt::Unchecked}));
    QTest::mouseClick(page->substratesChoice, Qt::LeftButton);
    QCOMPARE(flags(), QSet<int>({Qt::Checked}));
    QVERIFY(residues > 0 && m->rowCount() > 0);
    QCOMPARE(residues + m->rowCount(), all);

    // a check box stores -1 and 0
    const qlonglong rowid = m->rowidAt(0);
    QVERIFY(m->setData(m->index(0, odColumn), Qt::Unchecked, Qt::CheckStateRole));
    QCOMPARE(db_.scalar(QStringLiteral("select od from slvopspa where rowid=?"), {rowid}).toInt(),
             0);
    QVERIFY(m->setData(m->index(0, odColumn), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(db_.scalar(QStringLiteral("select od from slvopspa where rowid=?"), {rowid}).toInt(),
             -1);

    // leaving the window shows every row again
    QTest::mouseClick(w.endButton, Qt::LeftButton);
    QVERIFY(page->allChoice->isChecked());
    QCOMPARE(m->rowCount(), all);
  }

  void numberCellsRefuseText() {
    ParameterEditor w(db_);
    w.show();
    auto* m = w.cropPage->grid->tableModel();
    QCOMPARE(m->columnName(2), QStringLiteral("CEWR"));
    const QVariant before = m->value(0, QStringLiteral("CEWR"));
    QVERIFY(!m->setData(m->index(0, 2), QStringLiteral("viel"), Qt::EditRole));
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = w.findChild<QMessageBox*>()) != nullptr);
    QVERIFY2(box->text().contains(QStringLiteral("CEWR")), qPrintable(box->text()));
    box->accept();
    QCOMPARE(m->value(0, QStringLiteral("CEWR")), before);
    // text columns take what is typed, quotes included
    QVERIFY(m->setData(m->index(0, 10), QStringLiteral("W'weizen"), Qt::EditRole));
    QCOMPARE(
        db_.scalar(QStringLiteral("select kurzbez from slvpflan where rowid=?"), {m->rowidAt(0)})
            .toString(),
        QStringLiteral("W'weizen"));
    trb::test::screenshot(&w, QStringLiteral("parameters_crops"));
  }

  void soilValueCheck_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::addColumn<int>("org");
    QTest::newRow("0 is missing") << "0" << -99.0 << 0;
    QTest::newRow("12.5 is supplied") << "12.5" << 12.5 << -1;
  }
  void soilValueCheck() {
    QFETCH(QString, typed);
    QFETCH(double, stored);
    QFETCH(int, org);
    ParameterEditor w(db_);
    const int soil = db_.scalar(QStringLiteral("select min(soil_id) from soilproperties")).toInt();
    w.showSoilProfile(soil);
    auto* page = w.soilPage;
    QCOMPARE(w.pages->currentWidget(), page);
    QCOMPARE(page->currentSoil(), soil);
    typeInto(page->field(QStringLiteral("FAT")), typed);
    QVERIFY(page->modified());
    QTest::mouseClick(page->navigator->button(TableNavigator::Post), Qt::LeftButton);
    QVERIFY(!page->modified());
    QCOMPARE(soilValue(soil, QStringLiteral("FAT")).toDouble(), stored);
    QCOMPARE(soilValue(soil, QStringLiteral("FAT_org")).toInt(), org);
    QCOMPARE(page->field(QStringLiteral("FAT"))->text(), QLocale().toString(stored));
  }

  // Closing with a value typed but not posted writes it and checks it.
  void closingChecksUnsavedValues() {
    ParameterEditor w(db_);
    const int soil = db_.scalar(QStringLiteral("select max(soil_id) from soilproperties")).toInt();
    w.showSoilProfile(soil);
    typeInto(w.soilPage->field(QStringLiteral("PV")), QStringLiteral("0"));
    w.close();
    QCOMPARE(soilValue(soil, QStringLiteral("PV")).toDouble(), -99.0);
    QCOMPARE(soilValue(soil, QStringLiteral("PV_org")).toInt(), 0);
  }

  void enterProfileName() {
    ParameterEditor w(db_);
    QSignalSpy changed(&w, &ParameterEditor::soilsChanged);
    const int first = db_.scalar(QStringLiteral("select min(soil_id) from soilproperties")).toInt();
    const int last = db_.scalar(QStringLiteral("select max(soil_id) from soilproperties")).toInt();
    const QString name =
        db_.scalar(QStringLiteral("select profile from soilproperties where soil_id=?"), {last})
            .toString();
    w.showSoilProfile(first);
    auto* page = w.soilPage;
    QVERIFY(!page->enterButton->isEnabled());

    // an existing name only moves there
    bool asked = false;
    trb::test::answerModal<QMessageBox>(
        [&asked](QMessageBox* box) {
          asked = true;
          box->reject();
        },
        500);
    typeInto(page->profileName, name.toUpper());
    QVERIFY(page->enterButton->isEnabled());
    QTest::keyClick(page->profileName, Qt::Key_Return);
    QCOMPARE(page->currentSoil(), last);
    QTest::qWait(600);
    QVERIFY(!asked);

    // a new name: the question, then a new profile with the next key
    QString title, text;
    trb::test::answerModal<QMessageBox>([&](QMessageBox* box) {
      title = box->windowTitle();
      text = box->text();
      box->button(QMessageBox::Yes)->click();
    });
    typeInto(page->profileName, QStringLiteral("Sandlöss 'B'"));
    QTest::mouseClick(page->enterButton, Qt::LeftButton);
    QCOMPARE(title, QStringLiteral("confirm append"));
    QCOMPARE(text, QStringLiteral("create new profile ?"));
    QCOMPARE(page->currentSoil(), last + 1);
    QCOMPARE(soilValue(last + 1, QStringLiteral("profile")).toString(),
             QStringLiteral("Sandlöss 'B'"));
    QVERIFY(!page->enterButton->isEnabled());
    QCOMPARE(changed.count(), 1);
    trb::test::screenshot(&w, QStringLiteral("parameters_soil"));
  }

  void exportShownTable() {
    ParameterEditor w(db_);
    w.show();
    auto* page = w.databasePage;
    page->setTables(db_.userTables());
    w.pages->setCurrentWidget(page);
    const auto items = page->tableList->findItems(QStringLiteral("slvpflan"), Qt::MatchFixedString);
    QCOMPARE(items.size(), 1);
    page->tableList->scrollToItem(items.first());
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    const QPoint at = page->tableList->visualItemRect(items.first()).center();
    QTest::mouseClick(page->tableList->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(page->tableList->viewport(), Qt::LeftButton, {}, at);
    QCOMPARE(page->tableLabel->text().toLower(), QStringLiteral("slvpflan"));
    db_.execute(QStringLiteral("update slvpflan set FEWR = 0.123456789, kurzbez = '1.5' where "
                               "rowid = ?"),
                {page->grid->tableModel()->rowidAt(0)});
    // the proposed name, the table's, in the current folder; the dialog is accepted as it opens
    // (a name chosen at once could be overwritten by the dialog's own folder listing)
    const QString file = QDir::current().filePath(QStringLiteral("slvpflan.xlsx"));
    QFile::remove(file);
    trb::test::answerModal<QFileDialog>(
        [](QFileDialog* d) { QMetaObject::invokeMethod(d, "accept"); });
    QVERIFY(page->exportButton->isEnabled());
    // the button's own click: a mouse click can miss a window that is not yet laid out again
    page->exportButton->click();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(file), 15000);
    if (auto* box = w.findChild<QMessageBox*>()) box->accept();
    const auto x = trb::test::readXlsx(file);
    QVERIFY(x.ok);
    QStringList titles;
    for (int c = 0; c < 26 && x.cells.contains(QString(QChar(u'A' + c)) + u'1'); ++c)
      titles << x.at(QString(QChar(u'A' + c)) + u'1').text;
    const int fewr = titles.indexOf(QStringLiteral("FEWR"));
    const int kurz = titles.indexOf(QStringLiteral("kurzbez"));
    QVERIFY(fewr >= 0 && kurz >= 0);
    const auto fewrCell = x.at(QString(QChar(u'A' + fewr)) + u'2');
    QVERIFY(fewrCell.numeric);
    QCOMPARE(fewrCell.text.toDouble(), 0.1235);
    const auto kurzCell = x.at(QString(QChar(u'A' + kurz)) + u'2');
    QVERIFY(!kurzCell.numeric);
    QCOMPARE(kurzCell.text, QStringLiteral("1.5"));
    QCOMPARE(x.rowCount(), 1 + db_.scalar(QStringLiteral("select count(*) from slvpflan")).toInt());
  }

  void resultsAndReferences() {
    ParameterEditor w(db_);
    w.show();
    auto* results = w.resultsPage;
    QCOMPARE(results->tableList->count(), 5);
    QCOMPARE(results->tableList->item(4)->text(), QStringLiteral("rs_table"));
    results->showTable(QStringLiteral("rs_table"));
    QCOMPARE(results->shownTable(), QStringLiteral("rs_table"));

    auto* refs = w.referencesPage;
    QVERIFY(refs->list->model()->rowCount() > 0);
    QVERIFY(refs->panel->toPlainText().startsWith(QStringLiteral("lit_id    :  ")));
    w.pages->setCurrentWidget(refs);
    trb::test::screenshot(&w, QStringLiteral("parameters_references"));

    // "import from RIS-file": the import window, modally; the list is read again afterwards
    const int before = refs->list->model()->rowCount();
    const QString ris = QDir(user_.dir.path()).filePath(QStringLiteral("new.ris"));
    {
      QFile f(ris);
      QVERIFY(f.open(QIODevice::WriteOnly));
      f.write("TY  - JOUR\nAU  - Lange, U.\nTI  - Humus im Dauerversuch\nER  - \n");
    }
    trb::test::answerModal<trb::gui::RisImportDialog>([&ris](trb::gui::RisImportDialog* d) {
      d->openFile(ris);
      d->importButton->click();
      d->closeButton->click();
    });
    refs->importButton->click();
    QCOMPARE(refs->list->model()->rowCount(), before + 1);

    // a double click on the new reference shows its experiments; a relation added is announced
    QSignalSpy changed(&w, &ParameterEditor::relationsChanged);
    const QModelIndex added = refs->list->model()->index(before, 1);
    refs->list->scrollTo(added);
    const QPoint at = refs->list->visualRect(added).center();
    QTest::mouseClick(refs->list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(refs->list->viewport(), Qt::LeftButton, {}, at);
    QVERIFY(w.relations && w.relations->isVisible());
    QCOMPARE(w.relations->referenceLabel->text(),
             refs->list->model()->index(before, 0).data().toString());
    QVERIFY(w.relations->panel->toPlainText().isEmpty());
    w.relations->addButton->click();
    QCOMPARE(changed.count(), 1);
    QVERIFY(!w.relations->panel->toPlainText().isEmpty());
    w.relations->close();

    // "print references": the reference report in the preview
    bool previewed = false;
    trb::test::answerModal<QPrintPreviewDialog>([&previewed](QPrintPreviewDialog* d) {
      previewed = true;
      d->reject();
    });
    refs->printButton->click();
    QVERIFY(previewed);
  }
};

QTEST_MAIN(TestParameterEditor)
#include "tst_parameter_editor.moc"
