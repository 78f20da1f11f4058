// A laid out report: the document of one report definition, painted page by page with its footer
// (the print date and time, and "Seite : n von m" where the definition counts pages).
//
// Documents are laid out in points (1/72 inch) and scaled to the device they are painted on, so
// the same layout serves the preview, the printer and a PDF file.
#pragma once

#include <QDateTime>
#include <QPageLayout>
#include <QString>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QTextDocument;

namespace trb::render {

struct ReportDocument {
  ReportDocument();
  ~ReportDocument();
  ReportDocument(ReportDocument&&) noexcept;
  ReportDocument& operator=(ReportDocument&&) noexcept;

  QString definition;       // "management", "D_management", ...
  bool german = false;      // the German twin: German texts, also in the footer
  bool pageCounter = true;  // "Seite : n von m" in the footer
  std::unique_ptr<QTextDocument> document;
};

// Paints every page of report on device (a PDF writer or a printer that is already set up),
// starting a new page between them. printed is the date and time in the footers. Returns the
// number of pages.
int paintReport(const ReportDocument& report, QPagedPaintDevice& device, QPainter& painter,
                const QDateTime& printed);

// The page of the PDF files: A4 portrait with margins of 15 mm (12 mm at the foot).
QPageLayout pdfPageLayout();

// An empty document set up for laying out in points on the page of the PDF files.
std::unique_ptr<QTextDocument> newReportDocument();

// The page counter of the footer: "Seite : " page " von " pages, in both variants.
QString pageCounterText(int page, int pages);

}  // namespace trb::render
