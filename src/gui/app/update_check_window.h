// "update check": compares the program's version with the one announced on the maker's version
// page and, when the user wants it, downloads the announced archive into the program folder.
#pragma once

#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;

namespace trb::app {
class Session;
}

namespace trb::gui {

class JobView;

class UpdateCheckWindow : public QWidget {
  Q_OBJECT
 public:
  // currentVersion: the program's own number; programPath: where the page and the archive go.
  // The requests run as jobs of the session's runner.
  UpdateCheckWindow(trb::app::Session& session, const QString& currentVersion,
                    const QString& programPath, QWidget* parent = nullptr);

  // "check KELDA web site for updates": fetches the page; the window goes on when it has come.
  void check();

  QPushButton* checkButton = nullptr;
  QLabel* firstLine = nullptr;
  QLabel* secondLine = nullptr;

 private:
  void show2(const QString& first, const QString& second);
  // Fetches url into target on a worker thread; then runs done on this window's thread.
  void fetchThen(const QString& url, const QString& target, std::function<void()> done);
  void pageFetched(const QString& pageFile, const QString& folder, const QString& dir);

  trb::app::Session& session_;
  JobView* jobView_ = nullptr;
  std::function<void()> afterFetch_;
  QString currentVersion_;
  QString programPath_;
};

}  // namespace trb::gui
