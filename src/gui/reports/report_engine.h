// The one report engine of the program: it renders a laid out report to the preview (the
// default), to the printer or to a PDF file, and keeps the output options between runs.
//
// Every run changes only the options it sets itself: the destination (preview or printer) and
// whether the printer's setup dialog may show stay as the last run that set them left them. A PDF
// file belongs to the run that asks for it; a later run that asks for none goes to the preview
// or printer again instead of writing over that file.
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

class QPrinter;
class QWidget;

namespace trb::gui {

struct ReportDocument;

class ReportEngine {
 public:
  enum class Destination { Preview, Printer };

  ReportEngine();
  ~ReportEngine();
  ReportEngine(const ReportEngine&) = delete;
  ReportEngine& operator=(const ReportEngine&) = delete;

  // The engine shared by every command of the program.
  static ReportEngine& shared();

  Destination destination = Destination::Preview;
  // The printer's setup dialog ("Output Options") may show before printing.
  bool setupDialog = true;

  // Renders report to the destination: the preview dialog (modal, over parent) or the printer
  // (after its setup dialog, when allowed; cancelling it prints nothing). Returns the pages
  // rendered, 0 when nothing was printed.
  int render(const ReportDocument& report, QWidget* parent = nullptr);
  // Writes report to the PDF file path and suppresses the setup dialog for later runs. Throws
  // trb::Error naming the path when the file cannot be written. Returns the pages written.
  int renderPdf(const ReportDocument& report, const QString& path);

  // The printer of the printer destination and of the preview.
  QPrinter& printer();

  // The date and time the footers show; the current time unless fixed (tests).
  QDateTime printTime() const;
  void setPrintTime(const QDateTime& time) { fixedTime_ = time; }

 private:
  std::unique_ptr<QPrinter> printer_;
  QDateTime fixedTime_;
};

}  // namespace trb::gui
