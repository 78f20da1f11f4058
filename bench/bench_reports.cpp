// trb_bench_reports FILE [PLOTS]: times the experiment report (management, measurement and site
// description of every plot, as PDF files) of an experiment of PLOTS plots (100 unless given).
// The first PLOTS plots of a copy of FILE (as trb_gen makes it) are moved into one experiment;
// FILE itself is not changed. The files go to a temporary folder that is removed afterwards.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTextStream>
#include <ctime>

#include "core/base/feedback.h"
#include "core/db/database.h"
#include "render/pdf_reports.h"
#include "render/report_writer.h"

namespace {

QTextStream& out() {
  static QTextStream s(stdout);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    QTextStream(stderr) << "usage: trb_bench_reports FILE [PLOTS]\n";
    return 2;
  }
  const int plots = args.size() > 2 ? args.at(2).toInt() : 100;
  QTemporaryDir dir;
  const QString copy = dir.filePath(QStringLiteral("bench.sqlite"));
  if (!QFile::copy(args.at(1), copy)) {
    QTextStream(stderr) << "cannot copy " << args.at(1) << "\n";
    return 1;
  }
  try {
    trb::db::Database db = trb::db::Database::open(copy);
    qlonglong last = -1;
    {
      trb::db::Reader ids(db, QStringLiteral("select fl_id from field_description order by fl_id"));
      for (int i = 0; i < plots && ids.next(); ++i) last = ids.toLongLong(0);
    }
    const int moved = db.execute(
        QStringLiteral("update field_description set location = 'bench' where fl_id <= ?"), {last});
    const QString folder = dir.filePath(QStringLiteral("out"));
    QDir().mkpath(folder);

    trb::render::ExperimentReportOptions options;
    options.folder = folder;
    trb::render::ReportWriter writer;
    trb::Feedback quiet;
    QElapsedTimer t;
    t.start();
    const std::clock_t cpu = std::clock();
    const trb::render::ExperimentReportResult result =
        trb::render::make_report(db, QStringLiteral("bench"), options, writer, quiet);
    const double seconds = t.elapsed() / 1000.0;
    const double cpuSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
    out() << "experiment report of " << moved << " plots: " << result.written.size()
          << " PDF files in " << QString::number(seconds, 'f', 2) << " s ("
          << QString::number(result.written.size() / std::max(seconds, 1e-3), 'f', 1)
          << " files/s), " << QString::number(cpuSeconds, 'f', 2) << " s of processor time\n";
    return result.failed.isEmpty() ? 0 : 1;
  } catch (const std::exception& e) {
    QTextStream(stderr) << e.what() << "\n";
    return 1;
  }
}
