// "reference list": the literature of one experiment (experiment view) or of one plot through its
// keywords (plot view), with a compact and a detailed view of the current reference, the PDF file
// of a reference, and the commands that link and unlink references.
#pragma once

#include <QWidget>
#include <functional>

#include "core/references/reference_list.h"
#include "gui/widgets/row_model.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace trb::db {
class Database;
}

namespace trb::external {
class Launcher;
}

namespace trb::gui {

class KeywordRelationsWindow;

class ReferenceListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ReferenceListWindow(trb::db::Database& db, QWidget* parent = nullptr);

  // The experiment view: the references of the experiment at location.
  void showExperiment(const QString& location);
  // The plot view: the references of a plot through its keywords, headed by the plot's name.
  void showPlot(qlonglong plot, const QString& plotName);

  // Asks the user for a missing setting (pdf_reader, pdf_dir) and stores it; set by the opener.
  std::function<void(const QString& key)> askSetting;

  bool plotView() const { return plot_ >= 0; }
  const QList<trb::references::ReferenceRow>& rows() const { return model_->rows(); }

  QLabel* heading = nullptr;
  QTableView* grid = nullptr;
  QTabWidget* pages = nullptr;
  QPlainTextEdit* compact = nullptr;
  QLineEdit* titleField = nullptr;
  QLineEdit* sourceField = nullptr;
  QLineEdit* pagesField = nullptr;
  QLineEdit* typeField = nullptr;
  QPushButton* deleteRelationButton = nullptr;
  QLabel* keywordLabel = nullptr;
  QComboBox* keywordChooser = nullptr;
  QPushButton* editKeywordsButton = nullptr;
  QPushButton* showPdfButton = nullptr;
  QPushButton* addReferenceButton = nullptr;
  QLineEdit* litIdField = nullptr;
  QPushButton* closeButton = nullptr;

 signals:
  // A relation of the experiment with code versuchsCode was added or deleted (the tree's
  // experiment icons follow the links).
  void relationsChanged(const QString& versuchsCode);

 private:
  void reload();
  void currentChanged();
  const trb::references::ReferenceRow* current() const;
  QString experimentCode() const;
  void addReference();
  void deleteRelation();
  void showPdf();
  void editKeywords();

  trb::db::Database& db_;
  RowModel<trb::references::ReferenceRow>* model_ = nullptr;
  QString location_;
  qlonglong plot_ = -1;
  KeywordRelationsWindow* keywords_ = nullptr;
  bool filtered_ = false;  // the plot view after a keyword was chosen
  trb::external::Launcher* pdfViewer_ = nullptr;
};

}  // namespace trb::gui
