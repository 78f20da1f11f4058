#include "gui/app/update_check_window.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/settings/settings.h"
#include "core/settings/settings_table.h"
#include "core/update/update_check.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

namespace {

// The busy pointer for the time of a request, restored on every way out.
struct BusyPointer {
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
};

QStringList read_lines(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(f.readAll()).split(u'\n');
}

}  // namespace

UpdateCheckWindow::UpdateCheckWindow(const QString& currentVersion, const QString& programPath,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window), currentVersion_(currentVersion), programPath_(programPath) {
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
}

void UpdateCheckWindow::show2(const QString& first, const QString& second) {
  firstLine->setText(first);
  secondLine->setText(second);
  firstLine->show();
  secondLine->show();
}

void UpdateCheckWindow::check() {
  using namespace trb::update;
  auto store = trb::settings::openStore();
  const QString page = trb::settings::readText(*store, trb::settings::keys::update_page).trimmed();
  const QString folder =
      trb::settings::readText(*store, trb::settings::keys::update_folder).trimmed();
  if (page.isEmpty()) {
    show2(tr("no update address is set"),
          tr("Set update_page and update_folder in the settings file."));
    return;
  }
  checkButton->setEnabled(false);
  const QString dir = programPath_.isEmpty() ? QDir::currentPath() : programPath_;
  try {
    QStringList lines;
    {
      BusyPointer busy;
      const QString file = QDir(dir).filePath(QStringLiteral("htmlfile.txt"));
      fetch(QUrl::fromUserInput(page), file);
      lines = read_lines(file);
    }
    const auto announced = find_version(lines);
    if (!announced) {
      show2(tr("no version found"), QString());
      checkButton->setEnabled(true);
      return;
    }
    const Verdict verdict = compare_versions(currentVersion_, announced->version);
    show2(verdict_text(verdict),
          tr("the currently available TRB version is:") + QStringLiteral(" ") + announced->version);
    if (verdict == Verdict::UpToDate) {
      secondLine->setText(tr("your trb is up to date"));
    } else if (QMessageBox::question(this, tr("update check"),
                                     tr("do you want a donwload of the new version ?")) ==
               QMessageBox::Yes) {
      const QString name = find_archive(lines, announced->line).value_or(QString());
      check_archive_name(name);
      if (folder.isEmpty()) throw trb::Error(tr("no update folder is set"));
      firstLine->setText(name);
      const QString target = QDir(dir).filePath(name);
      {
        BusyPointer busy;
        QString base = folder;
        if (!base.endsWith(u'/')) base += u'/';
        fetch(QUrl::fromUserInput(base + name), target);
      }
      secondLine->setText(tr("new zip-file available on ==>") + QStringLiteral(" ") +
                          QDir::toNativeSeparators(target));
    }
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, tr("update check"));
  }
  checkButton->setEnabled(true);
}

}  // namespace trb::gui
