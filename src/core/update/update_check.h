// The update check: the version announced on the maker's version page against the program's own,
// and the download of the announced archive into the program folder.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

namespace trb::update {

// A version year.a.b.c: four whole numbers, the year of four digits. Throws trb::Error for a text
// of another form.
struct Version {
  int year = 0, a = 0, b = 0, c = 0;
};
Version split_version(const QString& text);

enum class Verdict { MoreRecent, UpdateAvailable, UpToDate };
// " there is a more recent version available !", " an update on your version is available ",
// "OK".
QString verdict_text(Verdict v);
// Compares field by field as numbers; throws trb::Error when either is not year.a.b.c.
Verdict compare_versions(const QString& own, const QString& announced);

// The page as lines: the announced version (11 characters, 21 after the start of "aktuelle
// TRB-Version") with the line it stands on; nothing when the page has no such line.
struct Announcement {
  QString version;
  int line = -1;
};
std::optional<Announcement> find_version(const QStringList& page);
// The archive name (12 characters, 10 after the start of "download:") on a line after
// fromLine; nothing when there is none.
std::optional<QString> find_archive(const QStringList& page, int fromLine);
// A name that can be written into the program folder: no folder separators, not "." or "..",
// nothing that leaves the folder. Throws trb::Error saying why otherwise.
void check_archive_name(const QString& name);

// Fetches url into target, replacing it only when the whole answer arrived: the body goes to a
// temporary file beside target, renamed when complete. Throws trb::Error with the client's message
// on a network failure, after timeoutMs without an answer, or when target cannot be written.
// Waits for the answer in an event loop of the calling thread: call it on a job's worker thread,
// never on the window's.
void fetch(const QUrl& url, const QString& target, int timeoutMs = 30000);

}  // namespace trb::update
