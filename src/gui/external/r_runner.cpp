#include "gui/external/r_runner.h"

#include <QDir>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <cstring>

#include "core/app/odbc_source.h"
#include "core/base/error.h"
#include "core/settings/settings.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

RRunner::RRunner(QWidget* window)
    : QObject(window), window_(window), launcher_(new trb::external::Launcher(this)) {}

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

bool RRunner::runAndWait(const trb::external::RRun& run, QWidget* command) {
  QPointer<QWidget> guard(command);
  if (guard) guard->setEnabled(false);
  const bool ended = start(run) && launcher_->waitForEnd();
  if (guard) guard->setEnabled(true);
  return ended;
}

}  // namespace trb::gui
