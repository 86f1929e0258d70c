#include "picture_box.h"

#include <QPaintEvent>
#include <QPainter>

#include "disc_raster.h"

namespace km {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  repaint_.setSingleShot(true);
  repaint_.setInterval(16);
  connect(&repaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  fitImage();
}

QRgb PictureBox::toQRgb(Color c) {
  return qRgb(c & 255, (c >> 8) & 255, (c >> 16) & 255);
}

const QImage& PictureBox::image() const {
  fitImage();
  return image_;
}

// A new size keeps what was drawn where it still fits and shows the back colour elsewhere.
void PictureBox::fitImage() const {
  if (image_.size() == size()) return;
  QImage next(size(), QImage::Format_RGB32);
  next.fill(toQRgb(back_));
  if (!image_.isNull()) QPainter(&next).drawImage(0, 0, image_);
  image_ = std::move(next);
}

void PictureBox::drawn() {
  if (!repaint_.isActive()) repaint_.start();
}

void PictureBox::setBackColor(Color c) {
  back_ = c;
  fitImage();
  image_.fill(toQRgb(c));
  drawn();
}

void PictureBox::setFillColor(Color c) {
  fill_ = c;
}

void PictureBox::circle(float x, float y, float radius) {
  circle(x, y, radius, fore_);
}

void PictureBox::circle(float x, float y, float radius, Color outline) {
  fitImage();
  const double scaleX = width() / 1000.0, scaleY = height() / 1000.0;
  drawDisc(image_, x * scaleX, y * scaleY, radius * scaleX, toQRgb(fill_), toQRgb(outline));
  drawn();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  ++paintCount_;
  fitImage();
  QPainter(this).drawImage(event->rect(), image_, event->rect());
}

void PictureBox::resizeEvent(QResizeEvent*) {
  fitImage();
}

}  // namespace km
