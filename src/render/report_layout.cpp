#include "render/report_layout.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <QTranslator>

#include "core/app/caption_language.h"
#include "core/db/numbers.h"

using trb::reports::ReportKind;

namespace trb::render {

namespace {

constexpr char kContext[] = "trb::render::ReportLayout";

const QTranslator& germanCatalogue() {
  static QTranslator catalogue;
  static const bool loaded = catalogue.load(QStringLiteral(":/i18n/trb_de.qm"));
  Q_UNUSED(loaded)  // without the catalogue the German twin shows the source texts
  return catalogue;
}

// A chart in the text: an SVG picture drawn as vectors on whatever device paints the page.
class SvgObject : public QObject, public QTextObjectInterface {
  Q_OBJECT
  Q_INTERFACES(QTextObjectInterface)

 public:
  static constexpr int kType = QTextFormat::UserObject + 1;
  static constexpr int kSvg = QTextFormat::UserProperty + 1;
  static constexpr int kSize = QTextFormat::UserProperty + 2;

  using QObject::QObject;
  QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
    return format.property(kSize).toSizeF();
  }
  void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                  const QTextFormat& format) override {
    QSvgRenderer svg(format.property(kSvg).toByteArray());
    if (svg.isValid()) svg.render(painter, rect);
  }
};

QString number(double x) {
  return trb::fmt_general(x);
}

// Builds a report document paragraph by paragraph and table by table.
class Builder {
 public:
  Builder(ReportKind kind, bool german) : german_(german) {
    report_.definition = trb::reports::definitionName(kind, german);
    report_.german = german && kind != ReportKind::References;
    report_.pageCounter = trb::reports::hasPageCounter(kind);
    report_.document = newReportDocument();
    report_.document->setMetaInformation(QTextDocument::DocumentTitle, report_.definition);
    cursor_ = QTextCursor(report_.document.get());
    // one layout pass at the end instead of one per cell
    cursor_.beginEditBlock();
  }

  QString t(const char* source) const { return reportText(source, german_); }

  void title(const QString& text) { paragraph(text, 14, true, 2); }
  void heading(const QString& text) { paragraph(text, 11, true, 8); }
  void line(const QString& text, bool bold = false) { paragraph(text, 0, bold, 1); }

  // A table with a header row that repeats on every page it runs over; widths in percent.
  void table(const QStringList& header, const QList<QStringList>& rows,
             const QList<qreal>& widths) {
    newBlock(6);
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setBorder(1);
    format.setBorderBrush(Qt::black);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> constraints;
    for (qreal w : widths) constraints.append(QTextLength(QTextLength::PercentageLength, w));
    format.setColumnWidthConstraints(constraints);
    QTextTable* table = cursor_.insertTable(int(rows.size()) + 1, int(header.size()), format);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (int c = 0; c < header.size(); ++c) {
      QTextTableCell cell = table->cellAt(0, c);
      QTextCharFormat shade = cell.format();
      shade.setBackground(QColor(230, 230, 230));
      cell.setFormat(shade);
      cell.firstCursorPosition().insertText(header.at(c), bold);
    }
    for (int r = 0; r < rows.size(); ++r)
      for (int c = 0; c < header.size() && c < rows.at(r).size(); ++c)
        table->cellAt(r + 1, c).firstCursorPosition().insertText(rows.at(r).at(c));
    cursor_.movePosition(QTextCursor::End);
  }

  // An SVG picture of the given width (points), its height kept in proportion.
  void picture(const QByteArray& svgData, qreal width) {
    QSvgRenderer svg(svgData);
    if (!svg.isValid()) return;
    QTextDocument* doc = report_.document.get();
    if (!svgHandler_) {
      svgHandler_ = new SvgObject(doc);
      doc->documentLayout()->registerHandler(SvgObject::kType, svgHandler_);
    }
    const QSizeF size =
        svg.defaultSize().isEmpty()
            ? QSizeF(width, width * 0.6)
            : QSizeF(width, width * svg.defaultSize().height() / svg.defaultSize().width());
    newBlock(6);
    QTextCharFormat format;
    format.setObjectType(SvgObject::kType);
    format.setProperty(SvgObject::kSvg, svgData);
    format.setProperty(SvgObject::kSize, size);
    cursor_.insertText(QString(QChar::ObjectReplacementCharacter), format);
  }

  ReportDocument finish() {
    cursor_.endEditBlock();
    return std::move(report_);
  }

 private:
  void newBlock(qreal spaceBefore) {
    QTextBlockFormat block;
    block.setTopMargin(spaceBefore);
    if (first_) {
      cursor_.setBlockFormat(block);
      first_ = false;
    } else {
      cursor_.insertBlock(block);
    }
  }

  void paragraph(const QString& text, qreal points, bool bold, qreal spaceBefore) {
    newBlock(spaceBefore);
    QTextCharFormat format;
    if (points > 0) format.setFontPointSize(points);
    if (bold) format.setFontWeight(QFont::Bold);
    cursor_.setCharFormat(format);
    cursor_.insertText(text, format);
  }

  bool german_;
  bool first_ = true;
  SvgObject* svgHandler_ = nullptr;
  ReportDocument report_;
  QTextCursor cursor_;
};

// The block of one plot in the site conditions and the site description.
void siteBlock(Builder& b, const trb::reports::SiteConditionRow& s) {
  b.line(QStringLiteral("FL_ID= %1     ").arg(s.flId) + b.t("source:") + u' ' + s.herkunft +
             QStringLiteral("     ") + b.t("state:") + u' ' + s.classification +
             QStringLiteral("     ") + QString::number(s.ycnt) + u' ' + b.t("years"),
         true);
  b.line(s.location + QStringLiteral("  -  ") + s.siteDescription);
  b.line(QStringLiteral("CLIMATE_ID= %1   ").arg(s.climateId) + s.station + QStringLiteral("   ") +
         b.t("mean temperature:") + u' ' + number(trb::round_to(s.mwtemp, 1)) +
         QStringLiteral(" °C   ") + b.t("precipitation:") + u' ' +
         number(trb::round_to(s.mwprec, 0)) + QStringLiteral(" mm"));
  b.line(QStringLiteral("SOIL_ID= %1   ").arg(s.soilId) + b.t("profile:") + u' ' + s.profile +
         QStringLiteral("   ") + s.baRbs + QStringLiteral(" (RBS)   ") + s.baKa4 +
         QStringLiteral(" (KA4)"));
  b.line(b.t("TEXTURE:") + QStringLiteral("   ") + b.t("clay=") + u' ' + number(s.clay) +
         QStringLiteral("   ") + b.t("silt=") + u' ' + number(s.silt) + QStringLiteral("   ") +
         b.t("sand=") + u' ' + number(s.sand));
  b.line(b.t("POROSITY:") + QStringLiteral("   ") + b.t("PVOL=") + u' ' + number(s.pv) +
         QStringLiteral("   ") + b.t("FCAP=") + u' ' + number(s.fc) + QStringLiteral("   ") +
         b.t("PWP=") + u' ' + number(s.pwp));
}

// The plot's head of the management and measurement reports.
void plotHead(Builder& b, const trb::reports::PlotHeader& p) {
  b.line(b.t("Location:") + u' ' + p.location, true);
  b.line(b.t("plot:") + u' ' + p.siteDescription);
  b.line(QStringLiteral("FL_ID: %1").arg(p.flId));
}

}  // namespace

bool germanReports() {
  return trb::reports::isGermanLanguage(trb::app::captionLanguage());
}

QString reportText(const char* source, bool german) {
  const QString text = german ? germanCatalogue().translate(kContext, source) : QString();
  return text.isEmpty() ? QString::fromUtf8(source) : text;
}

ReportDocument layoutManagement(const trb::reports::ManagementReport& data, bool german) {
  Builder b(ReportKind::Management, german);
  b.title(b.t("TRB management data"));
  b.heading(b.t("Management Report "));
  plotHead(b, data.plot);
  QList<QStringList> rows;
  for (const auto& m : data.rows)
    rows.append({QString::number(m.datum), m.aktion, m.subjekt,
                 (number(m.origwert) + u' ' + m.unit).trimmed()});
  b.table({b.t("DATE"), b.t("ACTION"), b.t("OBJECT"), b.t("VALUE")}, rows, {12, 34, 32, 22});
  return b.finish();
}

ReportDocument layoutMeasurement(const trb::reports::MeasurementReport& data, bool german) {
  Builder b(ReportKind::Measurement, german);
  b.title(b.t("measurement report"));
  b.line(QStringLiteral("FL_ID: %1").arg(data.plot.flId), true);
  b.line(b.t("Location:") + u' ' + data.plot.location);
  b.line(b.t("plot:") + u' ' + data.plot.siteDescription);
  QList<QStringList> rows;
  for (const auto& m : data.rows)
    rows.append(
        {QString::number(m.datum), QString::number(m.yearNumber), m.property, number(m.mWert)});
  b.table({b.t("date"), b.t("year#"), b.t("property"), b.t("value")}, rows, {18, 14, 44, 24});
  return b.finish();
}

ReportDocument layoutSiteConditions(const QList<trb::reports::SiteConditionRow>& rows,
                                    bool german) {
  Builder b(ReportKind::SiteConditions, german);
  b.title(b.t("site conditions"));
  for (const auto& s : rows) {
    b.heading(QString());
    siteBlock(b, s);
  }
  return b.finish();
}

ReportDocument layoutSiteDescription(const trb::reports::SiteDescriptionReport& data, bool german) {
  Builder b(ReportKind::SiteDescription, german);
  b.title(b.t("site description"));
  for (const auto& s : data.site) siteBlock(b, s);
  b.heading(b.t("literature"));
  QList<QStringList> rows;
  for (const auto& r : data.references)
    rows.append({QString::number(r.litId), r.autor, r.titel, r.quelle, r.jahr, r.produkt, r.seite,
                 r.ausgabe});
  b.table({QStringLiteral("lit_id"), b.t("author"), b.t("title"), b.t("source"), b.t("year"),
           b.t("product"), b.t("pages"), b.t("issue")},
          rows, {6, 14, 27, 14, 7, 11, 10, 11});
  return b.finish();
}

ReportDocument layoutReferences(const QList<trb::reports::ReferenceRow>& rows) {
  Builder b(ReportKind::References, false);
  b.title(QStringLiteral("References"));
  QList<QStringList> cells;
  for (const auto& r : rows)
    cells.append({QString::number(r.litId), r.quelle, r.autor, r.jahr, r.produkt, r.seite,
                  r.ausgabe, r.stitel});
  b.table({QStringLiteral("lit_id"), QStringLiteral("source"), QStringLiteral("author"),
           QStringLiteral("year"), QStringLiteral("product"), QStringLiteral("pages"),
           QStringLiteral("issue"), QStringLiteral("title")},
          cells, {7, 13, 14, 7, 12, 8, 8, 31});
  return b.finish();
}

ReportDocument layoutResults(const trb::reports::ResultReport& data, bool german) {
  Builder b(ReportKind::Results, german);
  b.title(b.t("Model-Results"));
  b.line(data.title, true);
  b.heading(b.t("Statistics:"));
  for (const QString& line : data.statistics) b.line(line);
  if (!data.chartSvg.isEmpty()) b.picture(data.chartSvg, 440);
  b.table({b.t("year#"), b.t("Year ,   Month"), b.t("Observation"), b.t("Model-Output")}, data.rows,
          {16, 30, 27, 27});
  return b.finish();
}

}  // namespace trb::render

#include "report_layout.moc"
