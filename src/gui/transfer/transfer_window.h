// "data transfer": chosen plots of the open database copied with everything they depend on into
// another database file. The plot list with its check marks, the destination's plots, the message
// list of the copy and the waits of the key check ("go on").
#pragma once

#include <QWidget>
#include <optional>

#include "core/transfer/plot_transfer.h"

class QCheckBox;
class QEventLoop;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class WindowFeedback;

class TransferWindow : public QWidget, private trb::transfer::TransferQuestions {
  Q_OBJECT
 public:
  explicit TransferWindow(trb::db::Database& db, QWidget* parent = nullptr);
  ~TransferWindow() override;

  QListWidget* plotList = nullptr;
  QListWidget* destinationList = nullptr;
  QListWidget* messages = nullptr;
  QLabel* destinationLabel = nullptr;
  QPushButton* destinationButton = nullptr;  // select destination
  QPushButton* allButton = nullptr;
  QPushButton* noneButton = nullptr;
  QPushButton* invertButton = nullptr;
  QPushButton* copyButton = nullptr;
  QPushButton* goOnButton = nullptr;
  QPushButton* endButton = nullptr;
  QCheckBox* noWaitBox = nullptr;  // no wait on key check
  // copy a plot whose soil or station differs in the destination; it then uses the destination's
  QCheckBox* copyAnywayBox = nullptr;
  QProgressBar* progress = nullptr;

  // True while the key check waits for "go on".
  bool waiting() const { return loop_ != nullptr; }

 public slots:
  // Fills the plot list from the open database.
  void refreshPlots();
  void selectDestination();
  void copy();

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;

 private:
  bool addPlotsToExistingExperiment(const QString& vcode) override;
  void reviewKeyCheck(trb::transfer::PlotTransfer& transfer,
                      const trb::transfer::KeyCheck& check) override;
  bool continueWithPlot(int flId, int missing) override;

  // The question before copying into an older destination: bring its schema up to date (true),
  // copy without what it lacks (false), or copy nothing (no value).
  std::optional<bool> askSchemaUpdate();
  void setMarks(int mode);  // 0 none, 1 all, 2 invert
  void refreshDestination();
  void messageDoubleClicked(QListWidgetItem* item);
  void setBusy(bool busy);

  trb::db::Database& db_;
  trb::transfer::PlotTransfer transfer_;
  WindowFeedback* feedback_ = nullptr;
  QEventLoop* loop_ = nullptr;
  // the error lines of the current phase of the key check
  trb::transfer::KeyCheck::Phase phase_ = trb::transfer::KeyCheck::Phase::OrganicMatters;
  QList<QListWidgetItem*> errorLines_;
  bool running_ = false;
};

}  // namespace trb::gui
