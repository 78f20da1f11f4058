#include "gui/app/update_check_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>
#include <utility>

#include "core/app/session.h"
#include "core/base/error.h"
#include "core/settings/settings.h"
#include "core/settings/settings_table.h"
#include "core/update/update_check.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/job_view.h"

namespace trb::gui {

namespace {

QStringList read_lines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split(u'\n');
}

}  // namespace

UpdateCheckWindow::UpdateCheckWindow(trb::app::Session& session, const QString& currentVersion,
                                     const QString& programPath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      currentVersion_(currentVersion),
      programPath_(programPath) {
  setObjectName(QStringLiteral("updateCheck"));
  setWindowTitle(tr("update check"));
  checkButton = new QPushButton(tr("check KELDA web site for updates"), this);
  checkButton->setObjectName(QStringLiteral("checkButton"));
  firstLine = new QLabel(this);
  firstLine->setObjectName(QStringLiteral("firstLine"));
  secondLine = new QLabel(this);
  secondLine->setObjectName(QStringLiteral("secondLine"));
  for (QLabel* l : {firstLine, secondLine}) {
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setWordWrap(true);
    l->hide();
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(checkButton);
  layout->addWidget(firstLine);
  layout->addWidget(secondLine);
  layout->addStretch();
  resize(420, 160);
  connect(checkButton, &QPushButton::clicked, this, &UpdateCheckWindow::check);
  jobView_ = new JobView(this, nullptr, nullptr);
  jobView_->setBusyControls({checkButton});
  connect(jobView_, &JobView::finished, this, [this](trb::app::Job::Outcome outcome) {
    QApplication::restoreOverrideCursor();
    const auto next = std::exchange(afterFetch_, nullptr);
    if (outcome == trb::app::Job::Outcome::Succeeded && next) next();
  });
}

void UpdateCheckWindow::fetchThen(const QString& url, const QString& target,
                                  std::function<void()> done) {
  trb::app::Job* job = nullptr;
  try {
    job = session_.jobs().start(tr("update check"), QString(), [url, target](trb::app::Job&) {
      trb::update::fetch(QUrl::fromUserInput(url), target);
      return trb::app::Job::End{};
    });
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, tr("update check"));
    return;
  }
  afterFetch_ = std::move(done);
  // the busy pointer for the time of the request
  QApplication::setOverrideCursor(Qt::WaitCursor);
  jobView_->attach(job);
}

void UpdateCheckWindow::show2(const QString& first, const QString& second) {
  firstLine->setText(first);
  secondLine->setText(second);
  firstLine->show();
  secondLine->show();
}

void UpdateCheckWindow::check() {
  if (jobView_->isRunning()) return;
  auto store = trb::settings::openStore();
  const QString page = trb::settings::readText(*store, trb::settings::keys::update_page).trimmed();
  const QString folder =
      trb::settings::readText(*store, trb::settings::keys::update_folder).trimmed();
  if (page.isEmpty()) {
    show2(tr("no update address is set"),
          tr("Set update_page and update_folder in the settings file."));
    return;
  }
  const QString dir = programPath_.isEmpty() ? QDir::currentPath() : programPath_;
  const QString file = QDir(dir).filePath(QStringLiteral("htmlfile.txt"));
  fetchThen(page, file, [this, file, folder, dir] { pageFetched(file, folder, dir); });
}

void UpdateCheckWindow::pageFetched(const QString& pageFile, const QString& folder,
                                    const QString& dir) {
  using namespace trb::update;
  try {
    const QStringList lines = read_lines(pageFile);
    const auto announced = find_version(lines);
    if (!announced) {
      show2(tr("no version found"), QString());
      return;
    }
    const Verdict verdict = compare_versions(currentVersion_, announced->version);
    show2(verdict_text(verdict),
          tr("the currently available TRB version is:") + QStringLiteral(" ") + announced->version);
    if (verdict == Verdict::UpToDate) {
      secondLine->setText(tr("your trb is up to date"));
      return;
    }
    if (QMessageBox::question(this, tr("update check"),
                              tr("do you want a donwload of the new version ?")) !=
        QMessageBox::Yes)
      return;
    const QString name = find_archive(lines, announced->line).value_or(QString());
    check_archive_name(name);
    if (folder.isEmpty()) throw trb::Error(tr("no update folder is set"));
    firstLine->setText(name);
    const QString target = QDir(dir).filePath(name);
    QString base = folder;
    if (!base.endsWith(u'/')) base += u'/';
    fetchThen(base + name, target, [this, target] {
      secondLine->setText(tr("new zip-file available on ==>") + QStringLiteral(" ") +
                          QDir::toNativeSeparators(target));
    });
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, tr("update check"));
  }
}

}  // namespace trb::gui
