// A picture a script drew (PNG, JPEG or SVG), scaled proportionally and centred in the view.
// Other files (a PDF, a Windows metafile) are named with a hint instead.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <memory>

class QSvgRenderer;

namespace trb::gui {

class PictureView : public QWidget {
  Q_OBJECT
 public:
  explicit PictureView(QWidget* parent = nullptr);
  ~PictureView() override;

  // Shows the file; false when it cannot be shown here (the view then names it).
  bool showFile(const QString& path);
  void clear();
  bool hasPicture() const { return !image_.isNull() || svg_ != nullptr; }
  QString note() const { return note_; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QImage image_;
  std::unique_ptr<QSvgRenderer> svg_;
  QString note_;
};

}  // namespace trb::gui
