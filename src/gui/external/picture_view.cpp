#include "gui/external/picture_view.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>

namespace trb::gui {

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("pictureView"));
  setMinimumSize(120, 90);
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
}

PictureView::~PictureView() = default;

void PictureView::clear() {
  image_ = QImage();
  svg_.reset();
  note_.clear();
  update();
}

bool PictureView::showFile(const QString& path) {
  clear();
  if (QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0) {
    QFile f(path);
    QByteArray text = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    // R's cairo device writes the glyphs of its texts as <symbol>s, which this renderer skips:
    // as plain groups they are drawn where they are used
    text.replace("<symbol ", "<g ").replace("</symbol>", "</g>");
    auto svg = std::make_unique<QSvgRenderer>(text);
    if (svg->isValid()) {
      svg_ = std::move(svg);
      update();
      return true;
    }
  } else {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    image_ = reader.read();
    if (!image_.isNull()) {
      update();
      return true;
    }
  }
  note_ = tr("%1 cannot be shown here; open it with a program of its kind.")
              .arg(QDir::toNativeSeparators(path));
  update();
  return false;
}

void PictureView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRectF area = rect().adjusted(4, 4, -4, -4);
  if (!hasPicture()) {
    if (!note_.isEmpty()) p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, note_);
    return;
  }
  QSizeF size = svg_ ? QSizeF(svg_->defaultSize()) : QSizeF(image_.size());
  if (size.isEmpty()) size = area.size();
  size.scale(area.size(), Qt::KeepAspectRatio);
  const QRectF target(area.center() - QPointF(size.width() / 2, size.height() / 2), size);
  if (svg_) {
    svg_->render(&p, target);
  } else {
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, image_);
  }
}

}  // namespace trb::gui
