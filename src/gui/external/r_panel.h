// The browser's R panel ('"R" interface'): one of the scripts stored in the database, run by R on
// the database as a whole; R's console output and the pictures the script drew are shown.
//
// The stored scripts are written out as files into the working folder (an existing file is kept:
// edits of the file win over the stored text), and R runs the file.
#pragma once

#include <QList>
#include <QString>
#include <QWidget>

#include "core/external/r_scripts.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace trb::db {
class Database;
}

namespace trb::app {
class Session;
}

namespace trb::gui {

class PictureView;
class RRunner;

class RPanel : public QWidget {
  Q_OBJECT
 public:
  // R runs as a job of the session's runner; the scripts come from the session's database.
  RPanel(trb::app::Session& session, QWidget* parent = nullptr);

  // Opening the panel: the working folder, the stored scripts written out and offered, the
  // output and the picture cleared, 'run script' shown.
  void open();
  // 'run script': R runs the chosen script; its output and pictures are shown.
  void runScript();
  // Shows the chosen picture file, or says that it is not there.
  void showPicture(const QString& name);

  QString folder() const { return folder_; }
  RRunner* runner() const { return runner_; }

  // Controls
  QComboBox* scriptChooser = nullptr;
  QLineEdit* folderEdit = nullptr;
  QPushButton* runButton = nullptr;
  QTabWidget* pages = nullptr;
  QPlainTextEdit* outputView = nullptr;  // page 'output file'
  QComboBox* pictureChooser = nullptr;   // page 'pictures'
  PictureView* pictureView = nullptr;
  QPlainTextEdit* storedText = nullptr;  // page 'script': the text stored in the database
  QListWidget* scriptLines = nullptr;    // the lines of the script file

 private:
  void scriptChosen();

  trb::db::Database& db_;
  RRunner* runner_;
  QString folder_;
  QList<trb::external::StoredScript> stored_;
};

}  // namespace trb::gui
