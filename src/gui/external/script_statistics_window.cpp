#include "gui/external/script_statistics_window.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "core/app/session.h"
#include "core/base/error.h"
#include "core/db/database.h"
#include "core/external/r_run.h"
#include "core/external/r_scripts.h"
#include "core/settings/settings.h"
#include "gui/external/r_runner.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

QString readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QLineEdit* greenEdit(QWidget* parent, const QString& name) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  QPalette p = e->palette();
  p.setColor(QPalette::Base, QColor(0xc8, 0xf0, 0xc8));
  p.setColor(QPalette::Text, Qt::black);
  e->setPalette(p);
  return e;
}

}  // namespace

ScriptStatisticsWindow::ScriptStatisticsWindow(trb::app::Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window),
      session_(session),
      db_(session.db()),
      runner_(new RRunner(this, &session)) {
  setObjectName(QStringLiteral("frm_spez_r"));
  setWindowTitle(tr("Datenanalyse mit R"));

  sqlEdit = greenEdit(this, QStringLiteral("sqlEdit"));
  rEdit = greenEdit(this, QStringLiteral("rEdit"));
  folderEdit = new QLineEdit(this);
  folderEdit->setObjectName(QStringLiteral("folderEdit"));
  folderEdit->setReadOnly(true);  // set with the scripts: both live in the working folder
  sqlChooseButton = new QPushButton(QStringLiteral("?"), this);
  sqlChooseButton->setObjectName(QStringLiteral("sqlChooseButton"));
  rChooseButton = new QPushButton(QStringLiteral("?"), this);
  rChooseButton->setObjectName(QStringLiteral("rChooseButton"));
  for (QPushButton* b : {sqlChooseButton, rChooseButton}) b->setFixedWidth(32);
  hintLabel = new QLabel(tr("doubleclick green edit fields to view file content"), this);
  hintLabel->setObjectName(QStringLiteral("hintLabel"));
  hintLabel->setWordWrap(true);
  linesList = new QListWidget(this);
  linesList->setObjectName(QStringLiteral("linesList"));
  goButton = new QPushButton(tr("go"), this);
  goButton->setObjectName(QStringLiteral("goButton"));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(tr("SQL-Script"), this), 0, 0);
  grid->addWidget(sqlEdit, 0, 1);
  grid->addWidget(sqlChooseButton, 0, 2);
  grid->addWidget(new QLabel(tr("R-script"), this), 1, 0);
  grid->addWidget(rEdit, 1, 1);
  grid->addWidget(rChooseButton, 1, 2);
  grid->addWidget(new QLabel(tr("directory"), this), 2, 0);
  grid->addWidget(folderEdit, 2, 1, 1, 2);
  grid->setColumnStretch(1, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(hintLabel, 1);
  bottom->addWidget(goButton);
  auto* l = new QVBoxLayout(this);
  l->addLayout(grid);
  l->addWidget(linesList, 1);
  l->addLayout(bottom);
  resize(520, 420);

  sqlEdit->installEventFilter(this);
  rEdit->installEventFilter(this);
  connect(sqlChooseButton, &QPushButton::clicked, this, [this] { choose(true); });
  connect(rChooseButton, &QPushButton::clicked, this, [this] { choose(false); });
  connect(goButton, &QPushButton::clicked, this, &ScriptStatisticsWindow::go);
}

bool ScriptStatisticsWindow::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::MouseButtonDblClick && (watched == sqlEdit || watched == rEdit)) {
    viewFile(watched == sqlEdit);
    return true;
  }
  return QWidget::eventFilter(watched, e);
}

void ScriptStatisticsWindow::open() {
  pcnt = 0;
  donePlots.clear();
  hintLabel->setVisible(true);
  linesList->clear();
  const QString folder = QFileInfo(db_.path()).absolutePath();
  folderEdit->setText(QDir::toNativeSeparators(folder));
  QDir::setCurrent(folder);
  auto store = trb::settings::openStore();
  if (trb::settings::storeExists(*store)) {
    sqlEdit->setText(trb::settings::readText(*store, trb::settings::keys::sp_a_sql));
    rEdit->setText(trb::settings::readText(*store, trb::settings::keys::sp_a_r));
  }
  placeWindow(this, parentWidget());
  show();
  raise();
  activateWindow();
}

void ScriptStatisticsWindow::choose(bool sql) {
  const QString all = tr("all files (*)");
  const QString filter = sql ? tr("SQL scripts (*.txt *.sql)") + QStringLiteral(";;") + all
                             : tr("R scripts (*.r *.R *.txt)") + QStringLiteral(";;") + all;
  const QString file =
      QFileDialog::getOpenFileName(this, sql ? tr("SQL-Script") : tr("R-script"),
                                   QDir::fromNativeSeparators(folderEdit->text()), filter);
  if (file.isEmpty()) return;
  const QFileInfo info(file);
  (sql ? sqlEdit : rEdit)->setText(info.fileName());
  folderEdit->setText(QDir::toNativeSeparators(info.absolutePath()));
  // the chosen file's folder becomes the working folder
  QDir::setCurrent(info.absolutePath());
}

void ScriptStatisticsWindow::viewFile(bool sql) {
  hintLabel->setVisible(false);
  linesList->clear();
  const QString name = (sql ? sqlEdit : rEdit)->text().trimmed();
  if (name.isEmpty()) return;
  QString text = readFile(QDir(QDir::fromNativeSeparators(folderEdit->text())).filePath(name));
  text.remove(u'\r');
  if (text.endsWith(u'\n')) text.chop(1);
  if (!text.isEmpty()) linesList->addItems(text.split(u'\n'));
}

void ScriptStatisticsWindow::go() {
  const QString folder = QDir::fromNativeSeparators(folderEdit->text());
  const QString sql = sqlEdit->text().trimmed();
  const QString r = rEdit->text().trimmed();
  if (sql.isEmpty() || r.isEmpty()) {
    ErrorReporter::report(
        this, trb::Error(tr("Choose an SQL script and an R script first."), windowTitle()));
    return;
  }
  const QDir dir(folder);
  try {
    trb::external::writeSpezRScript(folder, db_.path(), dir.filePath(r));
    trb::external::copySpezSqlScript(dir.filePath(sql), folder);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
    return;
  }
  QDir::setCurrent(folder);
  {
    auto store = trb::settings::openStore();
    trb::settings::writeText(*store, trb::settings::keys::sp_a_sql, sql);
    trb::settings::writeText(*store, trb::settings::keys::sp_a_r, r);
  }
  if (spez100sql.isEmpty()) spez100sql = QString::fromLatin1(trb::external::kSpezSqlCopy);
  if (spez100r.isEmpty()) spez100r = QString::fromLatin1(trb::external::kSpezRScript);
  pcnt = 0;
  donePlots.clear();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  hide();
  emit plotsRunRequested();
  QApplication::restoreOverrideCursor();
}

trb::app::Job* ScriptStatisticsWindow::evaluatePlots(const QList<qlonglong>& plots) {
  const QDir dir(QDir::currentPath());
  const QString path = db_.path();
  const QString sqlPath = dir.filePath(spez100sql);
  const QString sql = QFileInfo::exists(sqlPath) ? readFile(sqlPath) : QString();
  const QString rPath = dir.filePath(spez100r);
  if (!QFileInfo::exists(rPath))
    ErrorReporter::report(
        isVisible() ? this : parentWidget(),
        trb::Error(tr("file for R script not found"), QDir::toNativeSeparators(rPath)));
  trb::external::RRun run;
  run.rCall = RRunner::rCall();
  run.folder = dir.path();
  run.script = spez100r;
  run.result = RRunner::rResult();
  run.showType = trb::external::ShowType::Minimize;
  const QString caption = tr("script based statistics");
  // the plots done, filled by the worker and read when the job has ended
  auto done = std::make_shared<QList<qlonglong>>();
  trb::app::Job* job = nullptr;
  try {
    job = session_.jobs().start(
        caption, path, [path, plots, sql, run, done, caption](trb::app::Job& job) {
          trb::db::Database db = trb::db::Database::open(path);
          try {
            trb::external::ensureData4r(db);
          } catch (const std::exception&) {
            // the user's script makes its own table
          }
          for (int i = 0; i < plots.size(); ++i) {
            job.throwIfCanceled(caption);
            const qlonglong flId = plots.at(i);
            job.setProgress(i, plots.size());
            if (!sql.isEmpty()) {
              try {
                trb::external::runPlotStatements(db, sql, flId);
              } catch (const trb::Error& e) {
                QStringList names;
                for (qlonglong k : *done) names << QString::number(k);
                throw trb::Error(
                    tr("The SQL script failed for the plot FL_ID=%1; the run ends here.")
                            .arg(flId) +
                        u'\n' +
                        (names.isEmpty()
                             ? tr("No plot was done.")
                             : tr("Plots done: %1").arg(names.join(QStringLiteral(", ")))) +
                        QStringLiteral("\n\n") + e.message(),
                    caption, e.statement());
              }
            }
            trb::external::runR(run);
            done->append(flId);
          }
          return trb::app::Job::End{};
        });
  } catch (const trb::Error& e) {
    ErrorReporter::report(parentWidget(), e, caption);
    return nullptr;
  }
  connect(job, &trb::app::Job::finished, this, [this, done, plots] {
    donePlots = *done;
    pcnt = int(std::min<qsizetype>(done->size() + 1, plots.size()));
  });
  return job;
}

}  // namespace trb::gui
