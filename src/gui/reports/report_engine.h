// The one report engine of the windows: it renders a laid out report to the preview (the
// default), to the printer or to a PDF file, and keeps the output options between runs.
//
// Every run changes only the options it sets itself: the destination (preview or printer) and
// whether the printer's setup dialog may show stay as the last run that set them left them. A PDF
// file belongs to the run that asks for it; a later run that asks for none goes to the preview
// or printer again instead of writing over that file.
#pragma once

#include <memory>

#include "render/report_writer.h"

class QPrinter;
class QWidget;

namespace trb::gui {

class ReportEngine : public trb::render::ReportWriter {
 public:
  enum class Destination { Preview, Printer };

  ReportEngine();
  ~ReportEngine() override;

  // The engine shared by every command of the windows.
  static ReportEngine& shared();

  Destination destination = Destination::Preview;
  // The printer's setup dialog ("Output Options") may show before printing.
  bool setupDialog = true;

  // Renders report to the destination: the preview dialog (modal, over parent) or the printer
  // (after its setup dialog, when allowed; cancelling it prints nothing). Returns the pages
  // rendered, 0 when nothing was printed.
  int render(const trb::render::ReportDocument& report, QWidget* parent = nullptr);
  // Writes report to the PDF file path and suppresses the setup dialog for later runs. Throws
  // trb::Error naming the path when the file cannot be written. Returns the pages written.
  int renderPdf(const trb::render::ReportDocument& report, const QString& path) override;

  // The printer of the printer destination and of the preview.
  QPrinter& printer();

 private:
  std::unique_ptr<QPrinter> printer_;
};

}  // namespace trb::gui
