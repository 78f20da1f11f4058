// The job view, the one window adapter of a job: lines into the list, the stop button, the busy
// controls, and every problem of a job at the error reporter exactly once.
#include <QListWidget>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <QtTest>
#include <atomic>

#include "core/app/job_runner.h"
#include "gui/widgets/job_view.h"

using trb::app::Job;
using trb::gui::JobView;

namespace {

// A window with what a job is shown in.
struct Window {
  QWidget window;
  QListWidget* list = new QListWidget(&window);
  QProgressBar* bar = new QProgressBar(&window);
  QPushButton* stop = new QPushButton(QStringLiteral("stop"), &window);
  QPushButton* run = new QPushButton(QStringLiteral("run"), &window);
  JobView* view = new JobView(&window, list, bar, stop);
  Window() {
    auto* l = new QVBoxLayout(&window);
    for (QWidget* w : {static_cast<QWidget*>(list), static_cast<QWidget*>(bar),
                       static_cast<QWidget*>(stop), static_cast<QWidget*>(run)})
      l->addWidget(w);
    view->setBusyControls({run});
    window.show();
  }
  int errorBoxes() const {
    return int(window.findChildren<QMessageBox*>(QStringLiteral("errorBox")).size());
  }
};

}  // namespace

class TestJobView : public QObject {
  Q_OBJECT

 private slots:
  // A failure thrown by the work and a failure the work reported itself: one box each.
  void failureReachesTheReporterOnce_data() {
    QTest::addColumn<bool>("thrown");
    QTest::newRow("thrown") << true;
    QTest::newRow("reported, then failed") << false;
  }
  void failureReachesTheReporterOnce() {
    QFETCH(bool, thrown);
    Window w;
    trb::app::JobRunner runner;
    Job* job = runner.start(QStringLiteral("import"), QString(), [thrown](Job& job) {
      job.info(QStringLiteral("reading"));
      const trb::Error e(QStringLiteral("no such table: x"), QStringLiteral("import"),
                         QStringLiteral("select * from x"));
      if (thrown) throw e;
      job.report(e);
      return Job::End{Job::Outcome::Failed, e.message()};
    });
    w.view->attach(job);
    QVERIFY(!w.run->isEnabled());
    QSignalSpy finished(w.view, &JobView::finished);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().value<Job::Outcome>(), Job::Outcome::Failed);
    QCOMPARE(w.errorBoxes(), 1);
    auto* box = w.window.findChild<QMessageBox*>(QStringLiteral("errorBox"));
    QCOMPARE(box->text(), QStringLiteral("no such table: x"));
    QCOMPARE(box->detailedText(), QStringLiteral("select * from x"));
    QCOMPARE(w.list->item(0)->text(), QStringLiteral("reading"));
    QVERIFY(w.run->isEnabled());
    QVERIFY(!w.stop->isEnabled());
    QTest::qWait(50);
    QCOMPARE(w.errorBoxes(), 1);
  }

  // The window's stop ends the job at its next check: stopped, with how far it came, no box.
  void stopButtonStopsTheJob() {
    Window w;
    trb::app::JobRunner runner;
    std::atomic<int> done{0};
    Job* job = runner.start(QStringLiteral("count"), QString(), [&done](Job& job) {
      for (int i = 0; i < 100000; ++i) {
        if (job.isCanceled()) throw trb::Canceled(QStringLiteral("stopped: %1 plots").arg(i));
        job.setProgress(i, 100000);
        ++done;
        QThread::msleep(1);
      }
      return Job::End{};
    });
    w.view->attach(job);
    QVERIFY(w.stop->isEnabled());
    QSignalSpy finished(w.view, &JobView::finished);
    QTRY_VERIFY(done > 3);
    QTest::mouseClick(w.stop, Qt::LeftButton);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().at(0).value<Job::Outcome>(), Job::Outcome::Stopped);
    QCOMPARE(finished.first().at(1).toString(), QStringLiteral("stopped: %1 plots").arg(int(done)));
    QCOMPARE(w.errorBoxes(), 0);
    QVERIFY(w.bar->isHidden());
    QVERIFY(w.run->isEnabled() && !w.stop->isEnabled());
  }
};

QTEST_MAIN(TestJobView)
#include "tst_job_view.moc"
