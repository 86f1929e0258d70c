// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture_box.h"

#include <QPaintEvent>
#include <QPainter>
#include <cmath>

#include "disc_raster.h"

namespace km {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  repaint_.setSingleShot(true);
  repaint_.setInterval(16);
  connect(&repaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
  ratio_ = devicePixelRatioF();
  fitImage();
}

QRgb PictureBox::toQRgb(Color c) {
  return qRgb(c & 255, (c >> 8) & 255, (c >> 16) & 255);
}

const QImage& PictureBox::image() const {
  fitImage();
  return image_;
}

// A new size keeps what was drawn where it still fits and shows the back colour elsewhere; a
// new ratio keeps the drawing at its place, scaled to the new pixels.
void PictureBox::fitImage() const {
  const QSize pixels(static_cast<int>(std::lround(width() * ratio_)),
                     static_cast<int>(std::lround(height() * ratio_)));
  if (image_.size() == pixels && image_.devicePixelRatio() == ratio_) return;
  PixelBuffer next(pixels.width(), pixels.height(), toQRgb(back_));
  QImage view;
  if (!next.empty())
    view = QImage(reinterpret_cast<uchar*>(next.data()), next.width(), next.height(),
                  next.width() * 4, QImage::Format_RGB32);
  view.setDevicePixelRatio(ratio_);
  if (!image_.isNull() && !view.isNull()) QPainter(&view).drawImage(0, 0, image_);
  // The view first, so that no image is left over freed pixels; moving the buffer keeps its
  // memory where the view points.
  image_ = view;
  pixels_ = std::move(next);
}

void PictureBox::drawn() {
  if (!repaint_.isActive()) repaint_.start();
}

void PictureBox::setBackColor(Color c) {
  back_ = c;
  fitImage();
  pixels_.fill(toQRgb(c));
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
  const double scaleX = image_.width() / 1000.0, scaleY = image_.height() / 1000.0;
  drawDisc(pixels_, x * scaleX, y * scaleY, radius * scaleX, toQRgb(fill_), toQRgb(outline));
  drawn();
}

void PictureBox::wallLine(float x, float top, float bottom, Color c) {
  fitImage();
  const double scaleY = image_.height() / 1000.0;
  drawColumn(pixels_, x * image_.width() / 1000.0, toQRgb(c), top * scaleY, bottom * scaleY);
  drawn();
}

void PictureBox::paintEvent(QPaintEvent* event) {
  ++paintCount_;
  ratio_ = devicePixelRatioF();
  fitImage();
  const QRectF shown = event->rect();
  const QRectF pixels(shown.topLeft() * ratio_, shown.size() * ratio_);
  QPainter(this).drawImage(shown, image_, pixels);
}

void PictureBox::resizeEvent(QResizeEvent*) {
  ratio_ = devicePixelRatioF();
  fitImage();
}

bool PictureBox::event(QEvent* event) {
  // Moved to a screen of another ratio: the image follows at once, not only at the next paint.
  if (event->type() == QEvent::ScreenChangeInternal) {
    ratio_ = devicePixelRatioF();
    fitImage();
    update();
  }
  return QWidget::event(event);
}

}  // namespace km
