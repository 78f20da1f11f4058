// The climate window as a user meets it on a copy of the demo database: creating a station (and
// when it does nothing), deleting one with its rows, typing weather values in a decimal-comma
// locale, and the German texts.
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QtTest>

#include "core/db/database.h"
#include "gui/app/language.h"
#include "gui/climate/climate_window.h"
#include "gui/guitest.h"
#include "gui/widgets/table_grid.h"

using trb::gui::ClimateWindow;

namespace {

int count(trb::db::Database& db, const QString& sql, const QVariantList& binds = {}) {
  return db.scalar(sql, binds).toInt();
}

// Answers the next question with button and keeps its title and text.
struct Answer {
  QString title, text;
  bool asked = false;
  void next(QMessageBox::StandardButton button) {
    asked = false;
    trb::test::answerModal<QMessageBox>(
        [this, button](QMessageBox* box) {
          asked = true;
          title = box->windowTitle();
          text = box->text();
          box->button(button)->click();
        },
        3000);
  }
};

}  // namespace

class TestClimateWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  trb::db::Database db_;

  void createByUser(ClimateWindow& w, const QString& name) {
    w.stationName->setText(name);
    QTest::mouseClick(w.createButton, Qt::LeftButton);
  }

 private slots:
  void init() {
    db_.close();
    const QString demo = trb::test::demoCopy(user_.dir.path());
    QVERIFY(!demo.isEmpty());
    db_ = trb::db::Database::open(demo);
  }
  void cleanup() { db_.close(); }

  void createStation() {
    ClimateWindow w(db_, true);
    QSignalSpy changed(&w, &ClimateWindow::stationsChanged);
    w.openAll();
    QVERIFY(w.stationName->isEnabled() && w.createButton->isEnabled());
    QCOMPARE(w.pages->currentWidget(), w.weather);
    const int stations = w.overview->tableModel()->rowCount();
    QVERIFY(stations > 0);
    const int key = count(db_, QStringLiteral("select max(climate_id)+1 from climate_station"));

    // the field at "-?-" creates nothing
    QTest::mouseClick(w.createButton, Qt::LeftButton);
    QCOMPARE(count(db_, QStringLiteral("select count(*) from climate_station")), stations);
    QCOMPARE(changed.count(), 0);

    createByUser(w, QStringLiteral("Müncheberg 'Nord'"));
    QCOMPARE(changed.count(), 1);
    // only the new station is shown, with its long-term weather and deposition rows
    QCOMPARE(w.overview->tableModel()->rowCount(), 1);
    QCOMPARE(w.overview->tableModel()->value(0, QStringLiteral("climate_id")).toInt(), key);
    QCOMPARE(w.overview->tableModel()->value(0, QStringLiteral("station")).toString(),
             QStringLiteral("Müncheberg 'Nord'"));
    QCOMPARE(w.weather->tableModel()->rowCount(), 1);
    QCOMPARE(w.weather->tableModel()->value(0, QStringLiteral("year")).toInt(), 0);
    QCOMPARE(w.deposition->tableModel()->rowCount(), 1);
    QCOMPARE(w.deposition->tableModel()->value(0, QStringLiteral("N_dep_y")).toDouble(), 0.0);

    // the same name again: the question, and "no" creates nothing
    Answer a;
    a.next(QMessageBox::No);
    createByUser(w, QStringLiteral("müncheberg 'nord'"));
    QVERIFY(a.asked);
    QCOMPARE(a.title, QStringLiteral("HINT"));
    QCOMPARE(a.text, QStringLiteral("müncheberg 'nord' is already used ! continue anyway ?"));
    QCOMPARE(count(db_, QStringLiteral("select count(*) from climate_station")), stations + 1);
    a.next(QMessageBox::Yes);
    createByUser(w, QStringLiteral("müncheberg 'nord'"));
    QCOMPARE(count(db_, QStringLiteral("select count(*) from climate_station")), stations + 2);
    QCOMPARE(changed.count(), 2);
    trb::test::screenshot(&w, QStringLiteral("climate_new_station"));
  }

  void deleteStation() {
    ClimateWindow w(db_, true);
    QSignalSpy changed(&w, &ClimateWindow::stationsChanged);
    w.openAll();
    const int id = w.overview->tableModel()->value(0, QStringLiteral("climate_id")).toInt();
    const int plots = count(
        db_, QStringLiteral("select count(*) from field_description where climate_id=?"), {id});
    QVERIFY(plots > 1);
    QVERIFY(w.weather->tableModel()->rowCount() > 0);
    QTest::mouseClick(w.overview->viewport(), Qt::LeftButton, {},
                      w.overview->visualRect(w.overview->tableModel()->index(0, 1)).center());
    QVERIFY(!w.stationName->text().isEmpty() && w.stationName->text() != u"-?-");
    QVERIFY(!w.createButton->isEnabled() && !w.stationName->isEnabled());

    Answer a;
    a.next(QMessageBox::No);
    QTest::mouseClick(w.deleteButton, Qt::LeftButton);
    QVERIFY(a.asked);
    QCOMPARE(a.title, QStringLiteral("please confirm wipe off"));
    QVERIFY(a.text.startsWith(
        QStringLiteral("ALL data of the station will be deleted. proceed anyway ?")));
    QVERIFY2(a.text.contains(QStringLiteral("%1 plots use this station").arg(plots)),
             qPrintable(a.text));
    QCOMPARE(
        count(db_, QStringLiteral("select count(*) from climate_station where climate_id=?"), {id}),
        1);

    a.next(QMessageBox::Yes);
    QTest::mouseClick(w.deleteButton, Qt::LeftButton);
    for (const char* table : {"climate_station", "climate_data", "reg_ndeposit"})
      QCOMPARE(count(db_,
                     QStringLiteral("select count(*) from ") + QString::fromLatin1(table) +
                         QStringLiteral(" where climate_id=?"),
                     {id}),
               0);
    QCOMPARE(w.stationName->text(), QStringLiteral("-?-"));
    QVERIFY(w.stationName->isEnabled() && w.createButton->isEnabled());
    QCOMPARE(changed.count(), 1);
  }

  // Numbers typed in the user's locale; a value that is not a number is refused with a message
  // naming the column, and the cell keeps its value.
  void typeWeather() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const auto restore = qScopeGuard([before] { QLocale::setDefault(before); });
    ClimateWindow w(db_, true);
    w.openAll();
    trb::gui::TableGrid* g = w.weather;
    const int column = 4;  // temperature
    QCOMPARE(g->tableModel()->columnName(column), QStringLiteral("temperature"));
    const qlonglong rowid = g->tableModel()->rowidAt(0);
    auto typeInto = [g, column](const QString& text) {
      g->setFocus();
      g->setCurrentIndex(g->tableModel()->index(0, column));
      g->editCurrent();
      QLineEdit* editor = nullptr;
      for (auto* e : g->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) editor = e;
      QVERIFY(editor);
      editor->selectAll();
      QTest::keyClicks(editor, text);
      QTest::keyClick(editor, Qt::Key_Return);
      // the delegate writes the value back after the key press
      QCoreApplication::processEvents();
    };
    typeInto(QStringLiteral("8,75"));
    QCOMPARE(
        db_.scalar(QStringLiteral("select temperature from climate_data where rowid=?"), {rowid})
            .toDouble(),
        8.75);
    QCOMPARE(g->tableModel()->index(0, column).data().toString(), QStringLiteral("8,75"));

    typeInto(QStringLiteral("warm"));
    QMessageBox* box = nullptr;
    QTRY_VERIFY((box = w.findChild<QMessageBox*>()) != nullptr);
    QVERIFY2(box->text().contains(QStringLiteral("temperature")), qPrintable(box->text()));
    box->accept();
    QCOMPARE(
        db_.scalar(QStringLiteral("select temperature from climate_data where rowid=?"), {rowid})
            .toDouble(),
        8.75);
  }

  void germanTexts() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    const auto english = qScopeGuard([] { trb::gui::setCaptionLanguage(QStringLiteral("E")); });
    ClimateWindow w(db_, true);
    w.openAll();
    QCOMPARE(w.windowTitle(), QStringLiteral("TRB Klimadaten"));
    QCOMPARE(w.createButton->text(), QStringLiteral("Neue Station"));
    QCOMPARE(w.closeButton->text(), QStringLiteral("Ende"));
    QCOMPARE(w.deleteButton->text(), QStringLiteral("aktuelle Station löschen"));
    QCOMPARE(w.overviewLabel->text(), QStringLiteral("Stationsübersicht"));
    QCOMPARE(w.pages->tabText(0), QStringLiteral("Wetterdaten"));
    QCOMPARE(w.pages->tabText(1), QStringLiteral("gemessene N-Deposition"));
    QCOMPARE(w.pages->tabText(2), QStringLiteral("historische N-Deposition"));
    auto titles = [](trb::gui::TableGrid* g) {
      QStringList t;
      for (int c = 0; c < g->tableModel()->columnCount(); ++c)
        t << g->tableModel()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
      return t;
    };
    QCOMPARE(titles(w.overview), QStringList({"ID", "Station"}));
    QCOMPARE(titles(w.weather),
             QStringList({"ID", "Tag", "Monat", "Jahr", "Temperatur [°C]", "Niederschlag [mm]"}));
    QCOMPARE(titles(w.deposition), QStringList({"ID", "Jahr", "N-Dep. [kg/ha]"}));
    QCOMPARE(titles(w.historic), QStringList({"ID", "Station", "NDEP Anf.Jahr", "NDEP Anf.Wert", "",
                                              "NDEP End.Jahr", "NDEP End.Wert"}));
    trb::test::screenshot(&w, QStringLiteral("climate_de"));
    Answer a;
    a.next(QMessageBox::No);
    QTest::mouseClick(w.deleteButton, Qt::LeftButton);
    QCOMPARE(a.title, QStringLiteral("Löschbestätigung erforderlich"));
    QVERIFY2(a.text.startsWith(QStringLiteral(
                 "ALLE Daten der gewählten Station werden gelöscht ! Wollen Sie das ?")),
             qPrintable(a.text));
    QVERIFY2(a.text.contains(QStringLiteral("Flächen verwenden diese Station")),
             qPrintable(a.text));
  }

  // Outside power mode the historic deposition is not there; a small window still shows all.
  void withoutPowerMode() {
    ClimateWindow w(db_, false);
    w.resize(420, 360);
    w.openAll();
    QVERIFY(!w.historic);
    QCOMPARE(w.pages->count(), 2);
    trb::test::screenshot(&w, QStringLiteral("climate_small"));
  }
};

QTEST_MAIN(TestClimateWindow)
#include "tst_climate_window.moc"
