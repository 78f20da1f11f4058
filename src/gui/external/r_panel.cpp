#include "gui/external/r_panel.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/app/session.h"
#include "core/base/error.h"
#include "core/db/database.h"
#include "core/external/r_run.h"
#include "gui/external/picture_view.h"
#include "gui/external/r_runner.h"
#include "gui/widgets/error_reporter.h"

namespace trb::gui {

namespace {

QString readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList fileLines(const QString& path) {
  QString text = readFile(path);
  text.remove(u'\r');
  if (text.endsWith(u'\n')) text.chop(1);
  return text.isEmpty() ? QStringList() : text.split(u'\n');
}

}  // namespace

RPanel::RPanel(trb::app::Session& session, QWidget* parent)
    : QWidget(parent), db_(session.db()), runner_(new RRunner(this, &session)) {
  setObjectName(QStringLiteral("rInterfacePanel"));
  scriptChooser = new QComboBox(this);
  scriptChooser->setObjectName(QStringLiteral("scriptChooser"));
  scriptChooser->setMinimumContentsLength(16);
  folderEdit = new QLineEdit(this);
  folderEdit->setObjectName(QStringLiteral("folderEdit"));
  folderEdit->setReadOnly(true);
  runButton = new QPushButton(tr("run script"), this);
  runButton->setObjectName(QStringLiteral("runScriptButton"));
  runButton->setVisible(false);

  pages = new QTabWidget(this);
  pages->setObjectName(QStringLiteral("rPages"));
  outputView = new QPlainTextEdit(this);
  outputView->setObjectName(QStringLiteral("outputView"));
  outputView->setReadOnly(true);
  outputView->setLineWrapMode(QPlainTextEdit::NoWrap);
  outputView->setFont(QFont(QStringLiteral("Monospace")));
  pages->addTab(outputView, tr("output file"));

  auto* pictures = new QWidget(this);
  pictureChooser = new QComboBox(pictures);
  pictureChooser->setObjectName(QStringLiteral("pictureChooser"));
  pictureView = new PictureView(pictures);
  auto* pl = new QVBoxLayout(pictures);
  pl->addWidget(pictureChooser);
  pl->addWidget(pictureView, 1);
  pages->addTab(pictures, tr("pictures"));

  auto* script = new QSplitter(Qt::Horizontal, this);
  storedText = new QPlainTextEdit(script);
  storedText->setObjectName(QStringLiteral("storedText"));
  storedText->setReadOnly(true);
  storedText->setLineWrapMode(QPlainTextEdit::NoWrap);
  scriptLines = new QListWidget(script);
  scriptLines->setObjectName(QStringLiteral("scriptLines"));
  script->addWidget(storedText);
  script->addWidget(scriptLines);
  pages->addTab(script, tr("script"));

  auto* top = new QGridLayout;
  top->addWidget(new QLabel(tr("R script"), this), 0, 0);
  top->addWidget(scriptChooser, 0, 1);
  top->addWidget(runButton, 0, 2);
  top->addWidget(new QLabel(tr("directory"), this), 1, 0);
  top->addWidget(folderEdit, 1, 1, 1, 2);
  top->setColumnStretch(1, 1);
  auto* l = new QVBoxLayout(this);
  l->setContentsMargins(0, 0, 0, 0);
  l->addLayout(top);
  l->addWidget(pages, 1);

  connect(scriptChooser, &QComboBox::currentIndexChanged, this, &RPanel::scriptChosen);
  connect(runButton, &QPushButton::clicked, this, &RPanel::runScript);
  connect(pictureChooser, &QComboBox::activated, this,
          [this](int i) { showPicture(pictureChooser->itemText(i)); });
}

void RPanel::open() {
  folder_ = QDir::currentPath();
  folderEdit->setText(QDir::toNativeSeparators(folder_));
  {
    const QSignalBlocker block(scriptChooser);
    scriptChooser->clear();
  }
  outputView->clear();
  stored_.clear();
  QStringList names;
  try {
    stored_ = trb::external::readStoredScripts(db_);
    names = trb::external::writeOutStoredScripts(stored_, folder_);
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, tr("\"R\" interface"));
  }
  scriptChooser->addItems(names);
  scriptChooser->setCurrentIndex(int(names.size()) - 1);
  scriptChosen();
  pictureView->clear();
  pictureChooser->clear();
  runButton->setVisible(true);
}

void RPanel::scriptChosen() {
  const QString name = scriptChooser->currentText();
  scriptLines->clear();
  storedText->clear();
  if (name.isEmpty()) return;
  scriptLines->addItems(fileLines(QDir(folder_).filePath(name)));
  for (const auto& s : stored_)
    if (s.name + QStringLiteral(".r") == name) storedText->setPlainText(s.source);
}

void RPanel::runScript() {
  pictureView->clear();
  runner_->pointOdbcSource(db_.path());
  const QString name = scriptChooser->currentText();
  const QDir dir(folder_);
  const QString path = dir.filePath(name);
  if (name.isEmpty() || !QFileInfo(path).isFile()) {
    ErrorReporter::report(
        this, trb::Error(tr("file for R script not found"), QDir::toNativeSeparators(path)));
    return;
  }
  const QString result = RRunner::rResult();
  if (result.isEmpty()) {
    ErrorReporter::report(
        this, trb::Error(tr("The setting \"R result\" names no file for R's output."), tr("R")));
    return;
  }
  pictureChooser->clear();
  const QStringList pictures = trb::external::pictureNames(readFile(path));
  pictureChooser->addItems(pictures);
  pictureChooser->setCurrentIndex(int(pictures.size()) - 1);

  trb::external::RRun run;
  run.rCall = RRunner::rCall();
  run.folder = folder_;
  run.script = name;
  run.result = result;
  run.showType = trb::external::ShowType::Minimize;
  QFile::remove(dir.filePath(result));  // never the output of an earlier run
  runner_->runThen(run, runButton, [this, dir, result] {
    outputView->setPlainText(readFile(dir.filePath(result)));
    // the picture the script drew last, when it is there
    const QString picture = pictureChooser->currentText();
    if (!picture.isEmpty() && QFileInfo::exists(dir.filePath(picture)))
      pictureView->showFile(dir.filePath(picture));
  });
}

void RPanel::showPicture(const QString& name) {
  const QString path = QDir(folder_).filePath(name);
  if (name.isEmpty() || !QFileInfo::exists(path)) {
    pictureView->clear();
    ErrorReporter::report(this, trb::Error(tr("file not found"), QDir::toNativeSeparators(path)));
    return;
  }
  pictureView->showFile(path);
}

}  // namespace trb::gui
