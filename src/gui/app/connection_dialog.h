// The dialog that repairs a connection that cannot be opened: the connection string, prefilled
// with the failing one, to edit by hand or to point at another database file.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace trb::gui {

class ConnectionDialog : public QDialog {
  Q_OBJECT
 public:
  ConnectionDialog(const QString& connection, const QString& error, QWidget* parent = nullptr);

  QString connectionText() const;
  void setConnectionText(const QString& text);

  QPlainTextEdit* edit = nullptr;
  QPushButton* fileButton = nullptr;
  QLabel* errorLabel = nullptr;

 private:
  void chooseFile();
};

}  // namespace trb::gui
