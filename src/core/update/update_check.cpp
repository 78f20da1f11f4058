#include "core/update/update_check.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QSaveFile>
#include <array>

#include "core/base/error.h"

namespace trb::update {

namespace {

const QString kVersionKey = QStringLiteral("aktuelle TRB-Version");
const QString kDownloadKey = QStringLiteral("download:");

}  // namespace

Version split_version(const QString& text) {
  // The page's 11 characters may run into the text after the number ("2011.1.2.35<"): each
  // part is its leading digits.
  const QStringList parts = text.trimmed().split(u'.');
  std::array<int, 4> fields{};
  bool ok = parts.size() == 4;
  for (int i = 0; ok && i < 4; ++i) {
    const QString& part = parts.at(i);
    int digits = 0;
    while (digits < part.size() && part.at(digits).isDigit()) ++digits;
    // the last part alone may be followed by other text
    ok = digits > 0 && digits <= 9 && (i == 3 || digits == part.size());
    if (ok) fields[size_t(i)] = part.left(digits).toInt();
  }
  ok = ok && parts.at(0).size() == 4;
  if (!ok)
    throw trb::Error(QStringLiteral("\"%1\" is not a version of the form year.a.b.c.").arg(text),
                     QStringLiteral("update check"));
  return Version{fields[0], fields[1], fields[2], fields[3]};
}

QString verdict_text(Verdict v) {
  switch (v) {
    case Verdict::MoreRecent:
      return QStringLiteral(" there is a more recent version available !");
    case Verdict::UpdateAvailable:
      return QStringLiteral(" an update on your version is available ");
    case Verdict::UpToDate:
      break;
  }
  return QStringLiteral("OK");
}

Verdict compare_versions(const QString& own, const QString& announced) {
  const Version o = split_version(own);
  const Version n = split_version(announced);
  // field by field, as numbers: a newer year or a newer a is a more recent version, a newer b.c
  // an update; an own version that is newer in an earlier field is up to date
  if (o.year != n.year) return o.year < n.year ? Verdict::MoreRecent : Verdict::UpToDate;
  if (o.a != n.a) return o.a < n.a ? Verdict::MoreRecent : Verdict::UpToDate;
  if (o.b != n.b) return o.b < n.b ? Verdict::UpdateAvailable : Verdict::UpToDate;
  return o.c < n.c ? Verdict::UpdateAvailable : Verdict::UpToDate;
}

std::optional<Announcement> find_version(const QStringList& page) {
  for (int i = 0; i < page.size(); ++i) {
    const int at = page[i].indexOf(kVersionKey);
    if (at >= 0) return Announcement{page[i].mid(at + 21, 11).trimmed(), i};
  }
  return std::nullopt;
}

std::optional<QString> find_archive(const QStringList& page, int fromLine) {
  for (int i = std::max(fromLine + 1, 0); i < page.size(); ++i) {
    const int at = page[i].indexOf(kDownloadKey);
    if (at >= 0) return page[i].mid(at + 10, 12).trimmed();
  }
  return std::nullopt;
}

void check_archive_name(const QString& name) {
  QString why;
  if (name.isEmpty())
    why = QObject::tr("the page names no archive");
  else if (name.contains(u'/') || name.contains(u'\\') || name.contains(u':'))
    why = QObject::tr("\"%1\" is not a plain file name").arg(name);
  else if (name == u"." || name == u".." || name.contains(QStringLiteral("..")))
    why = QObject::tr("\"%1\" would leave the program folder").arg(name);
  if (!why.isEmpty())
    throw Error(QObject::tr("Nothing was downloaded: %1.").arg(why),
                QStringLiteral("update check"));
}

void fetch(const QUrl& url, const QString& target, int timeoutMs) {
  QNetworkAccessManager net;
  QNetworkRequest request(url);
  request.setRawHeader("Accept", "text/html, */*");
  request.setTransferTimeout(timeoutMs);
  QNetworkReply* reply = net.get(request);
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly)) {
    reply->abort();
    reply->deleteLater();
    throw Error(QObject::tr("%1 cannot be written: %2").arg(target, file.errorString()),
                QStringLiteral("update check"));
  }
  QObject::connect(reply, &QNetworkReply::readyRead, [&] { file.write(reply->readAll()); });
  QEventLoop loop;
  QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
  loop.exec();
  if (reply->isOpen()) file.write(reply->readAll());
  const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  const bool failed = reply->error() != QNetworkReply::NoError;
  const QString why = reply->error() == QNetworkReply::OperationCanceledError
                          ? QObject::tr("no answer within %1 seconds").arg(timeoutMs / 1000)
                          : reply->errorString();
  reply->deleteLater();
  if (failed || (status != 0 && status >= 400)) {
    file.cancelWriting();
    throw Error(QObject::tr("%1 could not be fetched: %2").arg(url.toString(), why),
                QStringLiteral("update check"));
  }
  if (!file.commit())
    throw Error(QObject::tr("%1 cannot be written: %2").arg(target, file.errorString()),
                QStringLiteral("update check"));
}

}  // namespace trb::update
