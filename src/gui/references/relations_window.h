// " relations of  this reference": a reference's links, listed in a text panel, with a chooser and
// the commands that add and delete the chosen link. Two kinds: the experiments of a reference
// (opened from the parameter editor's reference list) and the keywords of a reference for one
// plot (opened from the plot view of the reference list).
#pragma once

#include <QWidget>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class RelationsWindow : public QWidget {
  Q_OBJECT
 public:
  QLabel* referenceLabel = nullptr;
  QLabel* plotLabel = nullptr;
  QPlainTextEdit* panel = nullptr;
  QComboBox* chooser = nullptr;
  QPushButton* addButton = nullptr;
  QPushButton* deleteButton = nullptr;
  QPushButton* returnButton = nullptr;

  qlonglong reference() const { return reference_; }

 signals:
  void relationsChanged();

 protected:
  RelationsWindow(trb::db::Database& db, const QString& panelTitle, const QString& addCaption,
                  const QString& deleteCaption, QWidget* parent);
  // Fills the panel for the window's reference (review_vc / review_kr).
  virtual void review() = 0;
  virtual void addChosen() = 0;
  virtual void deleteChosen() = 0;
  void run(void (RelationsWindow::*command)());

  trb::db::Database& db_;
  qlonglong reference_ = -1;
};

// The experiments of a reference (ref2vcode).
class ExperimentRelationsWindow : public RelationsWindow {
  Q_OBJECT
 public:
  explicit ExperimentRelationsWindow(trb::db::Database& db, QWidget* parent = nullptr);
  // Shows the window for reference litId.
  void review(qlonglong litId);

 protected:
  void review() override;
  void addChosen() override;
  void deleteChosen() override;
};

// The keywords of a reference for one plot (key2ref2fl).
class KeywordRelationsWindow : public RelationsWindow {
  Q_OBJECT
 public:
  explicit KeywordRelationsWindow(trb::db::Database& db, QWidget* parent = nullptr);
  // Shows the window for reference litId and plot.
  void review(qlonglong plot, const QString& plotName, qlonglong litId);

 protected:
  void review() override;
  void addChosen() override;
  void deleteChosen() override;

 private:
  qlonglong plot_ = -1;
};

}  // namespace trb::gui
