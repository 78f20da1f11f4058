// The window 'experiment report': the management, observation and site description reports of
// every plot of an experiment, to PDF files or to the printer.
#pragma once

#include <QString>
#include <QWidget>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class ExperimentReportWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ExperimentReportWindow(trb::db::Database& db, QWidget* parent = nullptr);

  // The experiment the reports are made for; shown in the window's first label.
  void setLocation(const QString& location);
  QString location() const { return location_; }
  // The folder the PDF files go to; the current folder unless set.
  void setOutputFolder(const QString& folder) { folder_ = folder; }

  // 'execute reports': every chosen report of every plot of the experiment.
  void make_report();

  QLabel* locationLabel = nullptr;
  QLabel* plotLabel = nullptr;
  QCheckBox* managementBox = nullptr;
  QCheckBox* observationBox = nullptr;
  QCheckBox* basicsBox = nullptr;
  QCheckBox* skipOptionsBox = nullptr;
  QCheckBox* printerBox = nullptr;
  QCheckBox* pdfBox = nullptr;
  QProgressBar* progressBar = nullptr;
  QPushButton* executeButton = nullptr;
  QPushButton* closeButton = nullptr;

 private:
  trb::db::Database& db_;
  QString location_;
  QString folder_;
};

// 'experiment report' on an experiment of the browser: in power mode shows the window (one per
// parent) for location; otherwise runs its reports at once with the window's settings.
ExperimentReportWindow* openExperimentReport(QWidget* parent, trb::db::Database& db,
                                             const QString& location, bool power);

}  // namespace trb::gui
