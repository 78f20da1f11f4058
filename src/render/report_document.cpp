#include "render/report_document.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextDocument>

namespace trb::render {

namespace {

constexpr qreal kPointsPerInch = 72.0;
constexpr qreal kFooterHeight = 26.0;  // points below the body: a rule and one line of text

// The device the documents are laid out for: 72 dots per inch, so that one unit is one point.
QPaintDevice* pointDevice() {
  static QImage device = [] {
    QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMeter = qRound(kPointsPerInch / 0.0254);
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    return image;
  }();
  return &device;
}

QFont reportFont(qreal points) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  // metrics of a 72 dpi layout must not be hinted to whole pixels: the text is painted finer
  font.setHintingPreference(QFont::PreferNoHinting);
  // no ligatures: text copied or searched in the PDF reads as written ("efficiency")
  font.setStyleStrategy(QFont::PreferNoShaping);
  return font;
}

}  // namespace

ReportDocument::ReportDocument() = default;
ReportDocument::~ReportDocument() = default;
ReportDocument::ReportDocument(ReportDocument&&) noexcept = default;
ReportDocument& ReportDocument::operator=(ReportDocument&&) noexcept = default;

QPageLayout pdfPageLayout() {
  return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 12),
                     QPageLayout::Millimeter);
}

namespace {

QSizeF bodySize(const QPageLayout& page) {
  const QRectF paint = page.paintRect(QPageLayout::Point);
  return QSizeF(paint.width(), paint.height() - kFooterHeight);
}

}  // namespace

std::unique_ptr<QTextDocument> newReportDocument() {
  auto doc = std::make_unique<QTextDocument>();
  doc->documentLayout()->setPaintDevice(pointDevice());
  // the page of a PDF file from the start: the text is laid out once
  doc->setPageSize(bodySize(pdfPageLayout()));
  doc->setDefaultFont(reportFont(9));
  doc->setDocumentMargin(0);
  doc->setUndoRedoEnabled(false);
  return doc;
}

QString pageCounterText(int page, int pages) {
  return QStringLiteral("Seite : %1 von %2").arg(page).arg(pages);
}

int paintReport(const ReportDocument& report, QPagedPaintDevice& device, QPainter& painter,
                const QDateTime& printed) {
  QTextDocument* doc = report.document.get();
  const QSizeF body = bodySize(device.pageLayout());
  if (doc->pageSize() != body) doc->setPageSize(body);
  const int pages = std::max(1, doc->pageCount());
  const qreal scale = device.logicalDpiY() / kPointsPerInch;
  const QString printedText =
      (report.german ? QStringLiteral("gedruckt: ") : QStringLiteral("printed: ")) +
      printed.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
  // the painter counts in points: the footer's font is sized in those units, not for the device
  QFont footerFont = reportFont(8);
  footerFont.setPixelSize(8);

  for (int page = 0; page < pages; ++page) {
    if (page > 0) device.newPage();
    painter.save();
    painter.scale(scale, scale);

    painter.save();
    const QRectF clip(0, page * body.height(), body.width(), body.height());
    painter.translate(0, -page * body.height());
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    context.palette.setColor(QPalette::Text, Qt::black);
    doc->documentLayout()->draw(&painter, context);
    painter.restore();

    const qreal top = body.height() + 6;
    painter.setPen(QPen(Qt::black, 0.5));
    painter.drawLine(QPointF(0, top), QPointF(body.width(), top));
    painter.setFont(footerFont);
    const QRectF footer(0, top + 3, body.width(), kFooterHeight - 9);
    painter.drawText(footer, Qt::AlignLeft | Qt::AlignTop, printedText);
    if (report.pageCounter)
      painter.drawText(footer, Qt::AlignRight | Qt::AlignTop, pageCounterText(page + 1, pages));
    painter.restore();
  }
  return pages;
}

}  // namespace trb::render
