#include "gui/external/r_runner.h"

#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <cstring>
#include <utility>

#include "core/app/odbc_source.h"
#include "core/app/session.h"
#include "core/base/error.h"
#include "core/settings/settings.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/job_view.h"

namespace trb::gui {

RRunner::RRunner(QWidget* window, trb::app::Session* session)
    : QObject(window),
      window_(window),
      session_(session),
      launcher_(new trb::external::Launcher(this)),
      jobView_(new JobView(window, nullptr, nullptr)) {
  connect(jobView_, &JobView::finished, this, [this](trb::app::Job::Outcome outcome) {
    jobView_->setBusyControls({});
    const auto done = std::exchange(done_, nullptr);
    if (outcome == trb::app::Job::Outcome::Succeeded && done) done();
  });
}

bool RRunner::running() const {
  return jobView_->isRunning();
}

QString RRunner::rCall() {
  auto store = trb::settings::openStore();
  return trb::settings::readText(*store, trb::settings::keys::r_call).trimmed();
}

QString RRunner::rResult() {
  auto store = trb::settings::openStore();
  return trb::settings::readText(*store, trb::settings::keys::r_result).trimmed();
}

void RRunner::pointOdbcSource(const QString& databasePath) {
  try {
    trb::app::setOdbcDatabase(databasePath);
    return;
  } catch (const trb::Error&) {
    // missing: the user is asked below
  }
  if (ErrorReporter::batchMode()) {
    ErrorReporter::report(window_, trb::Error(trb::app::odbcSourceHint(), tr("ODBC error")));
    return;
  }
#ifdef Q_OS_WIN
  QMessageBox::warning(window_, tr("ODBC error"), trb::app::odbcSourceHint());
#else
  const QString text = tr("R scripts reach the database through the ODBC user data source T_R_B, "
                          "which is missing.") +
                       QStringLiteral("\n\n") + trb::app::odbcSourceHint() +
                       QStringLiteral("\n\n") + tr("Add it now?");
  if (QMessageBox::question(window_, tr("ODBC error"), text) != QMessageBox::Yes) return;
  try {
    trb::app::addOdbcSource(databasePath);
  } catch (const trb::Error& e) {
    ErrorReporter::report(window_, e);
  }
#endif
}

bool RRunner::start(const trb::external::RRun& run) {
  trb::external::startR(*launcher_, run);
  if (launcher_->resultCode() == -1) return true;
  const int code = launcher_->resultCode();
  ErrorReporter::report(window_, trb::Error(tr("R cannot be started: %1\n%2 (error %3)")
                                                .arg(QDir::toNativeSeparators(run.rCall),
                                                     QString::fromLocal8Bit(std::strerror(code)))
                                                .arg(code),
                                            QStringLiteral("R")));
  return false;
}

void RRunner::runThen(const trb::external::RRun& run, QWidget* command,
                      std::function<void()> done) {
  if (!session_ || running()) return;
  trb::app::Job* job = nullptr;
  try {
    job = session_->jobs().start(QStringLiteral("R"), QString(), [run](trb::app::Job&) {
      trb::external::runR(run);
      return trb::app::Job::End{};
    });
  } catch (const trb::Error& e) {
    ErrorReporter::report(window_, e);
    return;
  }
  done_ = std::move(done);
  jobView_->setBusyControls({command});
  jobView_->attach(job);
}

}  // namespace trb::gui
