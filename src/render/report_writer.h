// Writes laid out reports as PDF files, with the date and time their footers show. The window
// side's report engine adds the preview and the printer to it.
#pragma once

#include <QDateTime>
#include <QString>

namespace trb::render {

struct ReportDocument;

class ReportWriter {
 public:
  ReportWriter() = default;
  virtual ~ReportWriter() = default;
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // Writes report to the PDF file path. Throws trb::Error naming the path when the file cannot be
  // written. Returns the pages written.
  virtual int renderPdf(const ReportDocument& report, const QString& path);

  // The date and time the footers show; the current time unless fixed (tests).
  QDateTime printTime() const;
  void setPrintTime(const QDateTime& time) { fixedTime_ = time; }

 private:
  QDateTime fixedTime_;
};

}  // namespace trb::render
