// The management and measurement editors of the browser as a user meets them on a copy of the
// demo database, in a decimal-comma locale: rows shown in the editors, the choosers, inserting,
// overwriting and deleting, the initial value, and copying a plot's records by dragging it in the
// tree.
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "core/app/session.h"
#include "core/db/database.h"
#include "core/settings/settings.h"
#include "gui/app/language.h"
#include "gui/browser/browser_window.h"
#include "gui/browser/list_pages.h"
#include "gui/browser/management_editor.h"
#include "gui/browser/measurement_editor.h"
#include "gui/browser/repeat_controls.h"
#include "gui/browser/result_pages.h"
#include "gui/browser/site_page.h"
#include "gui/guitest.h"

using trb::gui::BrowserWindow;
using trb::gui::PlotTree;
namespace Page = trb::gui::Page;

namespace {

const QString kControl = QStringLiteral("Kontrolle (ohne Düngung)");  // plot 1
const QString kMineral = QStringLiteral("mineralisch N");             // plot 2
const QString kManure = QStringLiteral("Stallmist");                  // plot 3

QTreeWidgetItem* node(PlotTree* tree, const QString& label) {
  const auto found = tree->findItems(label, Qt::MatchExactly | Qt::MatchRecursive);
  return found.isEmpty() ? nullptr : found.first();
}

QPoint pointOf(PlotTree* tree, QTreeWidgetItem* item) {
  for (QTreeWidgetItem* p = item->parent(); p; p = p->parent()) p->setExpanded(true);
  tree->scrollToItem(item);
  return tree->visualItemRect(item).center();
}

void press(PlotTree* tree, QTreeWidgetItem* item) {
  QVERIFY(item);
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, pointOf(tree, item));
}

void clickRow(QTableView* grid, int row, int column = 0) {
  const QModelIndex index = grid->model()->index(row, column);
  grid->scrollTo(index);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
}

// Picks the entry with this key from a chooser's list, as a click in the open list does.
void choose(QComboBox* box, const QVariant& key) {
  const int i = box->findData(key);
  QVERIFY2(i >= 0, qPrintable(key.toString()));
  box->showPopup();
  QAbstractItemView* view = box->view();
  QTRY_VERIFY(view->isVisible());
  const QRect r = view->visualRect(view->model()->index(i, 0));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
  QTRY_VERIFY(!view->isVisible());
  QCOMPARE(box->currentIndex(), i);
}

void typeInto(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClicks(edit, text);
}

// Drags the plot from onto the plot to: the press loads the source, the move starts the drag,
// and the drop lands on the target's node.
void dragPlot(PlotTree* tree, QTreeWidgetItem* from, QTreeWidgetItem* to) {
  const QPoint start = pointOf(tree, from);
  QTest::mousePress(tree->viewport(), Qt::LeftButton, {}, start);
  QTest::mouseMove(tree->viewport(), start + QPoint(QApplication::startDragDistance() + 5, 0));
  QTest::mouseRelease(tree->viewport(), Qt::LeftButton, {}, start);
  const QPoint end = pointOf(tree, to);
  QMimeData mime;
  mime.setData(QString::fromLatin1(PlotTree::kPlotMimeType),
               QByteArray::number(PlotTree::record(from).snr));
  QDragEnterEvent enter(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &enter);
  QDragMoveEvent move(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &move);
  QDropEvent drop(end, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree->viewport(), &drop);
}

}  // namespace

class TestRecordEditors : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  QString demo_;
  trb::app::Session session_;  // the database the windows work on
  trb::db::Database& db_ = session_.db();
  QStringList messages_;  // "caption|text" of the message boxes answered

  std::unique_ptr<BrowserWindow> openPlot(const QString& plot, int page) {
    auto w = std::make_unique<BrowserWindow>(session_, true);
    session_.setDatabasePath(demo_);
    w->resize(1100, 760);
    w->show();
    press(w->tree, node(w->tree, plot));
    w->pages->setCurrentIndex(page);
    return w;
  }

  // Answers the next message box with button and keeps its caption and text.
  void answer(QMessageBox::StandardButton button) {
    trb::test::answerModal<QMessageBox>(
        [this, button](QMessageBox* box) {
          messages_ << box->windowTitle() + u'|' + box->text();
          if (QAbstractButton* b = box->button(button))
            b->click();
          else
            box->accept();
        },
        3000);
  }

  int count(const QString& sql, const QVariantList& binds = {}) {
    return db_.scalar(sql, binds).toInt();
  }

 private slots:
  void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

  void init() {
    db_.close();
    demo_ = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo_.isEmpty());
    auto store = trb::settings::openStore();
    store->clear();
    trb::settings::writeFirstStartDefaults(*store, demo_, user_.dir.path());
    store->sync();
    db_ = trb::db::Database::open(demo_);
    messages_.clear();
  }
  void cleanup() { db_.close(); }

  // Selecting a row fills the editor; choosing an action sets the object list, the second box
  // and the captions beside the amount.
  void managementRowAndActions() {
    db_.execute(
        QStringLiteral("update cultivation set day=0 where fl_id=2 and year=1980 and "
                       "macode=4"));
    auto w = openPlot(kMineral, Page::Management);
    trb::gui::ManagementPage* p = w->managementPage;
    trb::gui::ManagementEditor* e = p->editor;
    // the list opens on its first record, ready to overwrite it
    QCOMPARE(p->grid->currentIndex().row(), 0);
    QCOMPARE(e->saveButton->text(), QStringLiteral("update"));
    // the rows of 1980: the harvest (code 2), then the fertiliser (code 4) without its day
    clickRow(p->grid, 1);
    QCOMPARE(e->saveButton->text(), QStringLiteral("update"));
    QVERIFY(e->overwriteButton->isChecked());
    QCOMPARE(e->actionCode(), 4);
    QCOMPARE(e->dateEdit->date(), QDate(1980, 1, 1));
    QCOMPARE(e->amountEdit->text(), QStringLiteral("140"));
    QCOMPARE(e->secondEdit->text(), QStringLiteral("100"));
    QVERIFY(!e->secondEdit->isEnabled());
    QCOMPARE(e->secondLabel->text(), QStringLiteral("NH4-amount (%)="));
    QCOMPARE(e->unitLabel->text(), QStringLiteral("kg N/ha"));
    QVERIFY(!e->amountCaption->text().isEmpty());
    QCOMPARE(e->objectFilter(), std::optional<int>(4));
    QCOMPARE(e->objectBox->currentText(), p->model->rows()[1].subjekt);
    QVERIFY(!e->wert2changed && !e->nonDefaultLabel->isVisible());
    // the harvest: its crop, the crop label, the second box enabled
    clickRow(p->grid, 0);
    QCOMPARE(e->dateEdit->date(), QDate(1980, 10, 15));
    QCOMPARE(e->objectFilter(), std::optional<int>(1));
    QCOMPARE(e->objectBox->currentData().toLongLong(), 9);
    QVERIFY(e->secondEdit->isEnabled());
    QCOMPARE(e->secondLabel->text(), QStringLiteral("N-uptake (kg/ha)="));
    // a second harvest action keeps the crop; an amendment starts at object 1 of its own list
    choose(e->actionBox, 9);
    QCOMPARE(e->objectBox->currentData().toLongLong(), 9);
    QCOMPARE(e->amountEdit->text(), QStringLiteral("501"));
    choose(e->actionBox, 3);
    QCOMPARE(e->objectFilter(), std::optional<int>(3));
    // object 1, or the first amendment where the list has no object 1
    QCOMPARE(e->objectBox->currentIndex(), std::max(0, e->objectBox->findData(1LL)));
    QCOMPARE(e->secondLabel->text(), QStringLiteral("C-input (kg/ha)="));
    QCOMPARE(e->unitLabel->text(), QStringLiteral("dt/ha"));
    // choosing an object empties the amount
    choose(e->objectBox, e->objectBox->itemData(e->objectBox->count() - 1));
    QVERIFY(e->amountEdit->text().isEmpty());
    // irrigation offers every object
    choose(e->actionBox, 7);
    QVERIFY(!e->objectFilter().has_value());
    QVERIFY(!e->secondEdit->isEnabled());
    // a click into the amounts continues in the amount box
    clickRow(p->grid, 2, 3);
    QCOMPARE(w->focusWidget(), static_cast<QWidget*>(e->amountEdit));
    // the selection filter
    p->filterNitrogen->click();
    for (const auto& r : p->model->rows()) QCOMPARE(r.macode, 4);
    QCOMPARE(p->model->rows().size(),
             count(QStringLiteral("select count(*) from cultivation where fl_id=2 and macode=4")));
    p->filterHarvest->click();
    for (const auto& r : p->model->rows()) QVERIFY(r.macode == 2 || r.macode == 9);
    trb::test::screenshot(w.get(), QStringLiteral("editors_management"));
    // another plot: all records again
    press(w->tree, node(w->tree, kManure));
    QVERIFY(p->filterAll->isChecked());
    QCOMPARE(p->model->rows().size(),
             count(QStringLiteral("select count(*) from cultivation where fl_id=3")));
  }

  // Inserting with "12,5", refusing "12.5", overwriting, and deleting after confirmation.
  void managementWrites() {
    auto w = openPlot(kMineral, Page::Management);
    trb::gui::ManagementPage* p = w->managementPage;
    trb::gui::ManagementEditor* e = p->editor;
    const int before = count(QStringLiteral("select count(*) from cultivation where fl_id=2"));
    clickRow(p->grid, 3);
    const qlonglong kept = p->selectedRecord();
    e->insertButton->click();
    e->dateEdit->setDate(QDate(1999, 4, 20));
    choose(e->actionBox, 4);
    typeInto(e->amountEdit, QStringLiteral("12,5"));
    e->saveButton->click();
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation where fl_id=2")), before + 1);
    QSqlQuery q = db_.query(QStringLiteral(
        "select quantity, sim_quantity, fl_id_alt, day, month, year, macode from cultivation "
        "where cultivation_id=(select max(cultivation_id) from cultivation) and fl_id=2"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toDouble(), 12.5);
    QCOMPARE(q.value(1).toInt(), 100);
    QCOMPARE(q.value(2).toInt(), 100);
    QCOMPARE(QDate(q.value(5).toInt(), q.value(4).toInt(), q.value(3).toInt()), QDate(1999, 4, 20));
    QCOMPARE(q.value(6).toInt(), 4);
    // back at the record selected before, still inserting
    QCOMPARE(p->selectedRecord(), kept);
    QVERIFY(e->insertButton->isChecked());
    QCOMPARE(e->saveButton->text(), QStringLiteral("insert"));
    // a decimal point is refused with a message that names the field; nothing is written
    typeInto(e->amountEdit, QStringLiteral("12.5"));
    answer(QMessageBox::Ok);
    e->saveButton->click();
    QTRY_COMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains(QStringLiteral("12.5")) &&
                 messages_[0].contains(QStringLiteral("amount")),
             qPrintable(messages_[0]));
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation where fl_id=2")), before + 1);
    // overwriting the selected record
    clickRow(p->grid, 0);
    const qlonglong first = p->selectedRecord();
    typeInto(e->amountEdit, QStringLiteral("480,25"));
    e->saveButton->click();
    QCOMPARE(db_.scalar(QStringLiteral("select quantity from cultivation where cultivation_id=?"),
                        {first})
                 .toDouble(),
             480.25);
    QVERIFY(e->overwriteButton->isChecked());
    // "No" keeps the record, "Yes" deletes it; the Delete key asks the same
    answer(QMessageBox::No);
    e->deleteButton->click();
    QCOMPARE(
        count(QStringLiteral("select count(*) from cultivation where cultivation_id=?"), {first}),
        1);
    answer(QMessageBox::Yes);
    e->deleteButton->click();
    QCOMPARE(
        count(QStringLiteral("select count(*) from cultivation where cultivation_id=?"), {first}),
        0);
    const qlonglong next = p->selectedRecord();
    QVERIFY(next >= 0);
    answer(QMessageBox::Yes);
    p->grid->setFocus();
    QTest::keyClick(p->grid, Qt::Key_Delete);
    QCOMPARE(
        count(QStringLiteral("select count(*) from cultivation where cultivation_id=?"), {next}),
        0);
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation where fl_id=2")), before - 1);
    QCOMPARE(p->model->rows().size(), before - 1);
  }

  // In record-entry mode "REG" the second box is shown and gives the area share.
  void managementRegMode() {
    auto store = trb::settings::openStore();
    trb::settings::writeText(*store, QStringLiteral("REGMODE"), QStringLiteral("REG"));
    store->sync();
    auto w = openPlot(kMineral, Page::Management);
    trb::gui::ManagementEditor* e = w->managementPage->editor;
    QCOMPARE(w->recordMode, QStringLiteral("REG"));
    QVERIFY(e->secondEdit->isVisible());
    clickRow(w->managementPage->grid, 0);
    e->insertButton->click();
    e->dateEdit->setDate(QDate(1998, 8, 1));
    typeInto(e->amountEdit, QStringLiteral("50"));
    QCOMPARE(e->secondEdit->text(), QStringLiteral("?"));  // a new amount needs its share
    typeInto(e->secondEdit, QStringLiteral("40"));
    QVERIFY(e->wert2changed && e->nonDefaultLabel->isVisible());
    e->saveButton->click();
    QSqlQuery q = db_.query(QStringLiteral(
        "select sim_quantity, fl_id_alt from cultivation "
        "where cultivation_id=(select max(cultivation_id) from cultivation) and fl_id=2"));
    QVERIFY(q.next());
    QCOMPARE(q.value(0).toInt(), 40);
    QCOMPARE(q.value(1).toInt(), 40);
  }

  // A row shows its measurement; a new carbon initial value renumbers the years and moves the
  // first year; the guard without initial value; deleting and the property filter.
  void measurements() {
    db_.execute(
        QStringLiteral("insert into rs_table (fl_id, m_ix, year_, year_num, meas_value) "
                       "values (1, 7, 1980, 0, 1.7)"));
    auto w = openPlot(kControl, Page::Observation);
    trb::gui::ObservationPage* p = w->observationPage;
    trb::gui::MeasurementEditor* e = p->editor;
    QCOMPARE(p->firstYear(), 1980);
    auto rowOf = [p](int mIx, int yearNumber) {
      for (int i = 0; i < p->model->rows().size(); ++i)
        if (p->model->rows()[i].mIx == mIx && p->model->rows()[i].yearNumber == yearNumber)
          return i;
      return -1;
    };
    clickRow(p->grid, rowOf(7, 0));
    QVERIFY(e->initialBox->isChecked());
    QVERIFY(e->overwriteButton->isChecked());
    QCOMPARE(e->dateEdit->date(), QDate(1980, 3, 15));
    QCOMPARE(e->oldDate, QDate(1980, 3, 15));
    QCOMPARE(e->valueEdit->text(), QStringLiteral("1,74"));
    QCOMPARE(e->unitLabel->text(), QStringLiteral("%"));
    clickRow(p->grid, rowOf(0, 0));
    QVERIFY(!e->initialBox->isChecked());
    QVERIFY(e->insertButton->isChecked());  // property code 0 inserts
    QCOMPARE(e->saveButton->text(), QStringLiteral("insert"));
    // a new carbon initial value of 1982: Shift enables the box, the click ticks it
    QVERIFY(!e->initialBox->isEnabled());
    QTest::mouseClick(e->initialBox, Qt::LeftButton, Qt::ShiftModifier,
                      QPoint(8, e->initialBox->height() / 2));
    QVERIFY(e->initialBox->isEnabled());
    if (!e->initialBox->isChecked()) e->initialBox->click();
    choose(e->propertyBox, 7);
    e->dateEdit->setDate(QDate(1982, 4, 1));
    typeInto(e->valueEdit, QStringLiteral("1,8"));
    e->saveButton->click();
    QCOMPARE(p->firstYear(), 1982);
    QCOMPARE(w->sitePage->firstYearEdit->text(), QStringLiteral("1982"));
    QCOMPARE(w->sitePage->repeatControls->fromEdit->text(), QStringLiteral("1982"));
    QCOMPARE(count(QStringLiteral("select count(*) from measurements where fl_id=1 and m_ix=7 and "
                                  "year_number=0")),
             1);
    QCOMPARE(count(QStringLiteral("select year_number from measurements where fl_id=1 and "
                                  "m_ix=7 and year=1983")),
             2);
    QCOMPARE(count(QStringLiteral("select year_number from measurements where fl_id=1 and "
                                  "m_ix=7 and year=1980")),
             -99);
    QCOMPARE(count(QStringLiteral("select count(*) from rs_table where fl_id=1")), 0);
    trb::test::screenshot(w.get(), QStringLiteral("editors_observation"));
    // only carbon, then all again
    clickRow(p->grid, rowOf(7, 0));
    QCOMPARE(p->grid->contextMenuPolicy(), Qt::ActionsContextMenu);
    p->propertyAction->trigger();
    QCOMPARE(p->propertyFilter(), 7);
    QCOMPARE(p->propertyAction->text(), QStringLiteral("&show all properties"));
    for (const auto& r : p->model->rows()) QCOMPARE(r.mIx, 7);
    p->propertyAction->trigger();
    QCOMPARE(p->propertyFilter(), -99);
    // deleting asks first
    const int rows = p->model->rows().size();
    answer(QMessageBox::No);
    e->deleteButton->click();
    QCOMPARE(p->model->rows().size(), rows);
    answer(QMessageBox::Yes);
    p->grid->setFocus();
    QTest::keyClick(p->grid, Qt::Key_Delete);
    QCOMPARE(p->model->rows().size(), rows - 1);
  }

  void measurementGuard() {
    db_.execute(QStringLiteral("delete from measurements where fl_id=1 and year_number=0"));
    auto w = openPlot(kControl, Page::Observation);
    trb::gui::ObservationPage* p = w->observationPage;
    trb::gui::MeasurementEditor* e = p->editor;
    QCOMPARE(p->firstYear(), -99);
    const int before = count(QStringLiteral("select count(*) from measurements where fl_id=1"));
    e->insertButton->click();
    choose(e->propertyBox, 7);
    typeInto(e->valueEdit, QStringLiteral("1,5"));
    answer(QMessageBox::Ok);
    e->saveButton->click();
    QTRY_COMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], QStringLiteral("OPERATION DENIED|please edit first the initial value"));
    QCOMPARE(count(QStringLiteral("select count(*) from measurements where fl_id=1")), before);
  }

  // Deleting the last initial value leaves the plot without a first year.
  void deletingInitialValue() {
    db_.execute(
        QStringLiteral("delete from measurements where fl_id=1 and year_number=0 and "
                       "m_ix<>7"));
    auto w = openPlot(kControl, Page::Observation);
    trb::gui::ObservationPage* p = w->observationPage;
    QCOMPARE(p->firstYear(), 1980);
    QCOMPARE(p->model->rows()[0].yearNumber, 0);
    answer(QMessageBox::Yes);
    p->editor->deleteButton->click();
    QCOMPARE(p->firstYear(), -99);
    QCOMPARE(w->sitePage->firstYearEdit->text(), QStringLiteral("-99"));
  }

  // Dragging a plot onto a plot copies management with "Management" in front, measurements with
  // "Observation", and nothing with "Basic-Info".
  void dragCopies() {
    auto w = openPlot(kMineral, Page::Management);
    PlotTree* t = w->tree;
    const int own = count(QStringLiteral("select count(*) from cultivation where fl_id=2"));
    answer(QMessageBox::Yes);
    answer(QMessageBox::Ok);  // the count
    dragPlot(t, node(t, kMineral), node(t, kMineral));
    QTRY_COMPARE(messages_.size(), 2);
    QCOMPARE(w->pages->currentIndex(), Page::Management);
    QCOMPARE(w->dragSource, 2);
    QCOMPARE(messages_[0], QStringLiteral("confirm operation|you are about to copy management "
                                          "data into plot 2 - continue ?"));
    QCOMPARE(messages_[1], QStringLiteral("transfer of management data               |") +
                               QString::number(own) + QStringLiteral(" records copied "));
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation where fl_id=2")), 2 * own);
    QCOMPARE(w->managementPage->model->rows().size(), 2 * own);
    // "No" copies nothing
    messages_.clear();
    const int manured = count(QStringLiteral("select count(*) from cultivation where fl_id=3"));
    answer(QMessageBox::No);
    dragPlot(t, node(t, kMineral), node(t, kManure));
    QTRY_COMPARE(messages_.size(), 1);
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation where fl_id=3")), manured);
    // measurements of plot 2 into plot 3, with their year numbers
    messages_.clear();
    w->pages->setCurrentIndex(Page::Observation);
    const int measured = count(QStringLiteral("select count(*) from measurements where fl_id=2"));
    const int target = count(QStringLiteral("select count(*) from measurements where fl_id=3"));
    answer(QMessageBox::Yes);
    answer(QMessageBox::Ok);
    dragPlot(t, node(t, kMineral), node(t, kManure));
    QTRY_COMPARE(messages_.size(), 2);
    QVERIFY(messages_[0].contains(QStringLiteral("copy measurement data into plot 3")));
    QCOMPARE(messages_[1], QStringLiteral("transfer of measuremet data               |") +
                               QString::number(measured) + QStringLiteral(" records copied "));
    QCOMPARE(count(QStringLiteral("select count(*) from measurements where fl_id=3")),
             target + measured);
    // "Basic-Info" in front: nothing
    messages_.clear();
    w->pages->setCurrentIndex(Page::BasicInfo);
    const int total = count(QStringLiteral("select count(*) from cultivation")) +
                      count(QStringLiteral("select count(*) from measurements"));
    dragPlot(t, node(t, kMineral), node(t, kManure));
    QTest::qWait(100);
    QVERIFY(messages_.isEmpty());
    QCOMPARE(count(QStringLiteral("select count(*) from cultivation")) +
                 count(QStringLiteral("select count(*) from measurements")),
             total);
  }

  // While a plot is dragged the tree scrolls one line near its bottom and top edges.
  void dragScrollsAtTheEdges() {
    auto w = openPlot(kMineral, Page::Management);
    PlotTree* t = w->tree;
    t->setMaximumHeight(150);
    for (QTreeWidgetItemIterator it(t); *it; ++it) (*it)->setExpanded(true);
    QScrollBar* bar = t->verticalScrollBar();
    QTRY_VERIFY(bar->maximum() > 2 * bar->singleStep());
    bar->setValue(bar->singleStep());
    QMimeData mime;
    mime.setData(QString::fromLatin1(PlotTree::kPlotMimeType), QByteArray("2"));
    QDragEnterEvent enter(QPoint(20, 40), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(t->viewport(), &enter);
    auto moveTo = [&](int y) {
      QDragMoveEvent move(QPoint(20, y), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(t->viewport(), &move);
    };
    moveTo(t->viewport()->height() - 2);
    QCOMPARE(bar->value(), 2 * bar->singleStep());
    moveTo(t->viewport()->height() / 2);
    QCOMPARE(bar->value(), 2 * bar->singleStep());
    moveTo(1);
    QCOMPARE(bar->value(), bar->singleStep());
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    auto w = openPlot(kMineral, Page::Management);
    trb::gui::ManagementEditor* m = w->managementPage->editor;
    QCOMPARE(m->title(), QStringLiteral("Maßnahme"));
    QCOMPARE(m->insertButton->text(), QStringLiteral("Satz einfügen"));
    QCOMPARE(m->saveButton->text(), QStringLiteral("Aktualisieren"));
    m->insertButton->click();
    QCOMPARE(m->saveButton->text(), QStringLiteral("Einfügen"));
    QCOMPARE(m->deleteButton->text(), QStringLiteral("Satz Löschen"));
    QCOMPARE(m->pdfBox->text(), QStringLiteral("als PDF; ohne Ansicht"));
    QCOMPARE(w->managementPage->filterHarvest->text(), QStringLiteral("Anbau"));
    trb::test::screenshot(w.get(), QStringLiteral("editors_management_de"));
    trb::gui::MeasurementEditor* o = w->observationPage->editor;
    QCOMPARE(o->title(), QStringLiteral("Bodenuntersuchung"));
    QCOMPARE(o->insertButton->text(), QStringLiteral("Messwert einfügen"));
    QCOMPARE(o->initialBox->text(), QStringLiteral("als Startwert"));
    answer(QMessageBox::No);
    dragPlot(w->tree, node(w->tree, kMineral), node(w->tree, kManure));
    QTRY_COMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], QStringLiteral("bitte bestätigen|Sie kopieren Bewirtschaftungsdaten "
                                          "nach Fläche 3 - fortsetzen ?"));
    w->pages->setCurrentIndex(Page::Observation);
    answer(QMessageBox::No);
    dragPlot(w->tree, node(w->tree, kMineral), node(w->tree, kManure));
    QTRY_COMPARE(messages_.size(), 2);
    QCOMPARE(messages_[1], QStringLiteral("bitte bestätigen|Sie kopieren Messergebnisse nach "
                                          "Fläche 3 - fortsetzen ?"));
    QCOMPARE(w->observationPage->propertyAction->text(),
             QStringLiteral("nur dieses Merkmal anzeugen"));
    trb::test::screenshot(w.get(), QStringLiteral("editors_observation_de"));
    w->resize(640, 480);
    trb::test::screenshot(w.get(), QStringLiteral("editors_observation_small"));
    trb::gui::setCaptionLanguage(QStringLiteral("E"));
  }
};

QTEST_MAIN(TestRecordEditors)
#include "tst_record_editors.moc"
