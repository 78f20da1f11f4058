// "update check": compares the program's version with the one announced on the maker's version
// page and, when the user wants it, downloads the announced archive into the program folder.
#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

namespace trb::gui {

class UpdateCheckWindow : public QWidget {
  Q_OBJECT
 public:
  // currentVersion: the program's own number; programPath: where the page and the archive go.
  UpdateCheckWindow(const QString& currentVersion, const QString& programPath,
                    QWidget* parent = nullptr);

  // "check KELDA web site for updates"
  void check();

  QPushButton* checkButton = nullptr;
  QLabel* firstLine = nullptr;
  QLabel* secondLine = nullptr;

 private:
  void show2(const QString& first, const QString& second);
  QString currentVersion_;
  QString programPath_;
};

}  // namespace trb::gui
