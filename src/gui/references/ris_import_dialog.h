// The import tool for tagged bibliography files: open a file (its lines are listed), import its
// records once, close.
#pragma once

#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace trb::db {
class Database;
}

namespace trb::gui {

class RisImportDialog : public QDialog {
  Q_OBJECT
 public:
  explicit RisImportDialog(trb::db::Database& db, QWidget* parent = nullptr);

  // Opens path as 'open RIS file' does after the file dialog.
  void openFile(const QString& path);

  QPushButton* openButton = nullptr;
  QPushButton* importButton = nullptr;
  QPushButton* closeButton = nullptr;
  QListWidget* list = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;

 private:
  void chooseFile();
  void importContent();

  trb::db::Database& db_;
  QStringList lines_;
};

}  // namespace trb::gui
