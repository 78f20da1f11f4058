#include "gui/reports/experiment_report_window.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/base/error.h"
#include "core/base/feedback.h"
#include "gui/reports/report_commands.h"
#include "gui/reports/report_engine.h"
#include "gui/widgets/error_reporter.h"
#include "gui/widgets/window_placement.h"

namespace trb::gui {

namespace {

// The window's bar and plot label as the feedback of the run, painted at once as it goes on (the
// run keeps the window's thread; no events are handled meanwhile); the files that could not be
// written are gathered for one message at the end.
class ReportRunFeedback : public trb::Feedback {
 public:
  explicit ReportRunFeedback(QProgressBar* bar) : bar_(bar) {}
  void setProgress(qint64 pos, qint64 count) override {
    bar_->setMaximum(int(std::max<qint64>(count, 1)));
    bar_->setValue(int(pos));
    bar_->repaint();
  }
  void report(const trb::Error& error) override { problems.append(error.message()); }
  QStringList problems;

 private:
  QProgressBar* bar_;
};

}  // namespace

ExperimentReportWindow::ExperimentReportWindow(trb::db::Database& db, QWidget* parent)
    : QWidget(parent, Qt::Window), db_(db) {
  setObjectName(QStringLiteral("exp_rep"));
  setWindowTitle(tr("experiment report"));

  locationLabel = new QLabel(tr("report generation for "), this);
  locationLabel->setObjectName(QStringLiteral("locationLabel"));
  plotLabel = new QLabel(QStringLiteral("----------current plot--------------"), this);
  plotLabel->setObjectName(QStringLiteral("plotLabel"));
  auto box = [this](const QString& name, const QString& caption, bool checked) {
    auto* b = new QCheckBox(caption, this);
    b->setObjectName(name);
    b->setChecked(checked);
    return b;
  };
  managementBox = box(QStringLiteral("managementBox"), tr("management"), true);
  observationBox = box(QStringLiteral("observationBox"), tr("observation"), true);
  basicsBox = box(QStringLiteral("basicsBox"), tr("basics"), true);
  skipOptionsBox = box(QStringLiteral("skipOptionsBox"), tr("skip options"), false);
  printerBox = box(QStringLiteral("printerBox"), tr("output to printer"), false);
  pdfBox = box(QStringLiteral("pdfBox"), tr("output to pdf"), true);
  printerBox->setEnabled(false);
  pdfBox->setEnabled(false);
  progressBar = new QProgressBar(this);
  progressBar->setObjectName(QStringLiteral("progressBar"));
  progressBar->setValue(0);
  executeButton = new QPushButton(tr("execute reports"), this);
  executeButton->setObjectName(QStringLiteral("executeButton"));
  closeButton = new QPushButton(tr("close"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));

  auto* parts = new QVBoxLayout;
  parts->addWidget(managementBox);
  parts->addWidget(observationBox);
  parts->addWidget(basicsBox);
  auto* outputs = new QVBoxLayout;
  outputs->addWidget(skipOptionsBox);
  outputs->addWidget(printerBox);
  outputs->addWidget(pdfBox);
  auto* boxes = new QHBoxLayout;
  boxes->addLayout(parts);
  boxes->addSpacing(24);
  boxes->addLayout(outputs);
  boxes->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(executeButton);
  buttons->addStretch(1);
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(locationLabel);
  layout->addWidget(plotLabel);
  layout->addLayout(boxes);
  layout->addWidget(progressBar);
  layout->addLayout(buttons);
  layout->addStretch(1);

  connect(skipOptionsBox, &QCheckBox::toggled, this, [this](bool on) {
    printerBox->setEnabled(on);
    pdfBox->setEnabled(on);
  });
  connect(printerBox, &QCheckBox::clicked, this, [this](bool on) { pdfBox->setChecked(!on); });
  connect(pdfBox, &QCheckBox::clicked, this, [this](bool on) { printerBox->setChecked(!on); });
  connect(executeButton, &QPushButton::clicked, this, &ExperimentReportWindow::make_report);
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
}

void ExperimentReportWindow::setLocation(const QString& location) {
  location_ = location;
  locationLabel->setText(tr("report generation for ") + location);
}

void ExperimentReportWindow::make_report() {
  ExperimentReportOptions options;
  options.parts = {managementBox->isChecked(), observationBox->isChecked(), basicsBox->isChecked()};
  options.skipOptions = skipOptionsBox->isChecked();
  options.toPdf = pdfBox->isChecked();
  options.folder = folder_.isEmpty() ? QDir::currentPath() : folder_;
  options.german = germanReports();
  options.onPlot = [this](int, const QString& plotName) { plotLabel->setText(plotName); };
  ReportRunFeedback feedback(progressBar);
  executeButton->setEnabled(false);
  try {
    trb::gui::make_report(db_, location_, options, ReportEngine::shared(), feedback, this);
  } catch (const trb::Error& e) {
    ErrorReporter::report(this, e, windowTitle());
  } catch (const std::exception& e) {
    ErrorReporter::report(this, e, windowTitle());
  }
  executeButton->setEnabled(true);
  if (!feedback.problems.isEmpty())
    ErrorReporter::report(this, trb::Error(feedback.problems.join(u'\n'), windowTitle()));
}

ExperimentReportWindow* openExperimentReport(QWidget* parent, trb::db::Database& db,
                                             const QString& location, bool power) {
  auto* window = parent ? parent->findChild<ExperimentReportWindow*>(QStringLiteral("exp_rep"),
                                                                     Qt::FindDirectChildrenOnly)
                        : nullptr;
  if (!window) window = new ExperimentReportWindow(db, parent);
  window->setLocation(location);
  if (power) {
    placeWindow(window, parent);
    window->show();
    window->raise();
    window->activateWindow();
  } else {
    window->make_report();
  }
  return window;
}

}  // namespace trb::gui
