// The data transfer window as a user works it: marks, the destination, the copy with and without
// the waits of the key check.
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "core/db/database.h"
#include "gui/app/language.h"
#include "gui/guitest.h"
#include "gui/transfer/transfer_window.h"

using trb::gui::TransferWindow;

namespace {

QListWidgetItem* lineStarting(QListWidget* list, const QString& head) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text().startsWith(head)) return list->item(i);
  return nullptr;
}

QListWidgetItem* lineReading(QListWidget* list, const QString& text) {
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->text() == text) return list->item(i);
  return nullptr;
}

void doubleClick(QListWidget* list, QListWidgetItem* item) {
  list->scrollToItem(item);
  const QPoint at = list->visualItemRect(item).center();
  // an item view takes a double click on the item it saw pressed
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void chooseDestination(TransferWindow& w, const QString& file) {
  trb::test::answerModal<QFileDialog>([file](QFileDialog* d) {
    d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(file);
    static_cast<QDialog*>(d)->accept();
  });
  QTest::mouseClick(w.destinationButton, Qt::LeftButton);
}

// Runs action once condition holds (polled while the window waits in its own loop).
void whenTrue(std::function<bool()> condition, std::function<void()> action) {
  auto* timer = new QTimer;
  timer->setInterval(20);
  QObject::connect(timer, &QTimer::timeout, [timer, condition, action] {
    if (!condition()) return;
    timer->stop();
    timer->deleteLater();
    action();
  });
  timer->start();
}

void answer(QMessageBox::StandardButton button) {
  trb::test::answerModal<QMessageBox>([button](QMessageBox* b) { b->button(button)->click(); });
}

}  // namespace

class TstTransferWindow : public QObject {
  Q_OBJECT
  trb::test::PrivateUser user_;
  trb::db::Database source_;
  QString destination_;

 private slots:
  void init() {
    source_ = trb::db::Database::open(trb::test::demoCopy(user_.dir.path()));
    destination_ = user_.path(QStringLiteral("dst.sqlite"));
    QFile::remove(destination_);
    trb::db::Database dst = trb::db::Database::create(destination_);
    trb::db::createTrbDatabase(dst, false);
  }
  void cleanup() { source_.close(); }

  void marksAndDestination() {
    TransferWindow w(source_);
    w.show();
    QCOMPARE(w.plotList->count(), 10);
    QVERIFY(w.plotList->item(0)->text().contains(QStringLiteral(": Heidmoor-")));
    QTest::mouseClick(w.allButton, Qt::LeftButton);
    w.plotList->item(0)->setCheckState(Qt::Unchecked);
    QTest::mouseClick(w.invertButton, Qt::LeftButton);
    QCOMPARE(w.plotList->item(0)->checkState(), Qt::Checked);
    QCOMPARE(w.plotList->item(1)->checkState(), Qt::Unchecked);
    QTest::mouseClick(w.noneButton, Qt::LeftButton);
    QCOMPARE(w.plotList->item(0)->checkState(), Qt::Unchecked);

    chooseDestination(w, destination_);
    QVERIFY(QFile::exists(destination_ + QStringLiteral(".bak")));
    QCOMPARE(w.destinationList->count(), 0);
    trb::test::screenshot(&w, QStringLiteral("transfer_window"));
    w.resize(420, 300);
    trb::test::screenshot(&w, QStringLiteral("transfer_window_small"));
  }

  void copyWithoutWaits() {
    TransferWindow w(source_);
    w.show();
    chooseDestination(w, destination_);
    w.noWaitBox->setChecked(true);
    lineStarting(w.plotList, QStringLiteral(" 1:"))->setCheckState(Qt::Checked);
    lineStarting(w.plotList, QStringLiteral(" 2:"))->setCheckState(Qt::Checked);
    QTest::mouseClick(w.copyButton, Qt::LeftButton);
    QVERIFY(!w.waiting());
    QCOMPARE(w.destinationList->count(), 2);
    QTRY_VERIFY(lineStarting(w.messages, QStringLiteral("2 of 2 plots copied")));
    QVERIFY(!lineStarting(w.messages, QStringLiteral("Trefferliste")));
    QVERIFY(!w.goOnButton->isEnabled());
  }

  // The key check waits for "go on"; meanwhile a double click on an error line carries the
  // missing row over, one on any other line does nothing.
  void keyCheckWaits() {
    int manure = 0;
    {
      manure = source_
                   .scalar(QStringLiteral(
                       "select min(item_ix) from cultivation where fl_id = 3 and macode = 3"))
                   .toInt();
      trb::db::Database dst = trb::db::Database::open(destination_);
      dst.execute(QStringLiteral("delete from slvopspa where item_ix = ?"), {manure});
    }
    TransferWindow w(source_);
    w.show();
    chooseDestination(w, destination_);
    lineStarting(w.plotList, QStringLiteral(" 3:"))->setCheckState(Qt::Checked);
    // "copy" returns when the transfer ends: the user's steps run while it waits
    bool copyDisabled = false, otherLineIgnored = false, errorLineGone = false;
    int lines = 0;
    QListWidgetItem* error = nullptr;
    whenTrue([&] { return w.goOnButton->isEnabled(); },
             [&] {
               copyDisabled = !w.copyButton->isEnabled();
               error = lineReading(w.messages, QString::number(manure));
               lines = w.messages->count();
               doubleClick(w.messages, lineReading(w.messages, QStringLiteral("Fehlerliste Ops:")));
               otherLineIgnored =
                   !QApplication::activeModalWidget() && w.messages->count() == lines;
               if (!error) return;
               answer(QMessageBox::Yes);
               doubleClick(w.messages, error);
             });
    whenTrue([&] { return lines > 0 && w.messages->count() == lines - 1; },
             [&] {
               errorLineGone = true;
               trb::test::screenshot(&w, QStringLiteral("transfer_window_key_check"));
               // organic matters done: the crops
               QTest::mouseClick(w.goOnButton, Qt::LeftButton);
               whenTrue(
                   [&] {
                     return w.goOnButton->isEnabled() &&
                            lineReading(w.messages, QStringLiteral("Fehlerliste Crops:"));
                   },
                   [&] {
                     answer(QMessageBox::Yes);  // continue with datatransfer ?
                     QTest::mouseClick(w.goOnButton, Qt::LeftButton);
                   });
             });
    QTest::mouseClick(w.copyButton, Qt::LeftButton);
    QVERIFY(copyDisabled);
    QVERIFY(otherLineIgnored);
    QVERIFY(errorLineGone);
    QVERIFY(!w.waiting());
    QCOMPARE(w.destinationList->count(), 1);
    QVERIFY(w.copyButton->isEnabled());
    trb::db::Database dst = trb::db::Database::open(destination_);
    QCOMPARE(dst.scalar(QStringLiteral("select count(*) from slvopspa where item_ix = ?"), {manure})
                 .toInt(),
             1);
  }

  // An older destination whose soil 1 holds other values: the question before the copy brings
  // its schema up to date; the plot on that soil is not copied and the list says why; with "copy
  // anyway" it is copied, and the list says that it uses the destination's soil.
  void differingSoilAndOlderDestination() {
    {
      trb::db::Database dst = trb::db::Database::open(destination_);
      dst.runNative(QStringLiteral(
          "insert into soilproperties (soil_id, profile, clay) values (1, 'Profile 1-2', 7);"
          "alter table field_description drop column area"));
    }
    TransferWindow w(source_);
    w.show();
    chooseDestination(w, destination_);
    w.noWaitBox->setChecked(true);
    lineStarting(w.plotList, QStringLiteral(" 1:"))->setCheckState(Qt::Checked);
    QString question;
    trb::test::answerModal<QMessageBox>([&question](QMessageBox* b) {
      question = b->text();
      b->button(QMessageBox::Yes)->click();
    });
    QTest::mouseClick(w.copyButton, Qt::LeftButton);
    QVERIFY2(question.contains(QStringLiteral("field_description.area")), qPrintable(question));
    QTRY_VERIFY(lineStarting(w.messages, QStringLiteral("plot 1 is not copied: soil 1 (")));
    QTRY_VERIFY(lineStarting(w.messages, QStringLiteral("Tick \"copy anyway")));
    QCOMPARE(w.destinationList->count(), 0);

    // brought up to date by the first copy: no question this time
    w.copyAnywayBox->setChecked(true);
    QTest::mouseClick(w.copyButton, Qt::LeftButton);
    QTRY_VERIFY(lineStarting(
        w.messages, QStringLiteral("plot 1 is copied anyway and uses the destination's: soil 1")));
    QCOMPARE(w.destinationList->count(), 1);
    trb::db::Database dst = trb::db::Database::open(destination_);
    QCOMPARE(dst.scalar(QStringLiteral("select area from field_description")),
             source_.scalar(QStringLiteral("select area from field_description where fl_id = 1")));
    QCOMPARE(dst.scalar(QStringLiteral("select count(*) from soilproperties")).toInt(), 1);
  }

  void germanCaptions() {
    trb::gui::setCaptionLanguage(QStringLiteral("D"));
    const auto english = qScopeGuard([] { trb::gui::setCaptionLanguage(QStringLiteral("E")); });
    TransferWindow w(source_);
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Datentransfer"));
    QCOMPARE(w.goOnButton->text(), QStringLiteral("weiter"));
    trb::test::screenshot(&w, QStringLiteral("transfer_window_de"));
  }

  // An experiment code the destination has, not confirmed: nothing is copied.
  void experimentNotConfirmed() {
    {
      trb::db::Database dst = trb::db::Database::open(destination_);
      dst.execute(QStringLiteral("insert into experiments (exp_id, vcode) values (9, '1')"));
    }
    TransferWindow w(source_);
    w.show();
    chooseDestination(w, destination_);
    w.noWaitBox->setChecked(true);
    lineStarting(w.plotList, QStringLiteral(" 1:"))->setCheckState(Qt::Checked);
    QString canceled;
    trb::test::answerModal<QMessageBox>([&canceled](QMessageBox* b) {
      b->button(QMessageBox::No)->click();
      trb::test::answerModal<QMessageBox>([&canceled](QMessageBox* c) {
        canceled = c->windowTitle() + u'/' + c->text();
        c->accept();
      });
    });
    QTest::mouseClick(w.copyButton, Qt::LeftButton);
    QTRY_COMPARE(canceled, QStringLiteral("transaction canceled/non unique experiment ID"));
    QCOMPARE(w.destinationList->count(), 0);
  }
};

QTEST_MAIN(TstTransferWindow)
#include "tst_transfer_window.moc"
