// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QTimer>
#include <QWidget>

#include "pixel_buffer.h"
#include "surface.h"

namespace km {

// A drawing surface kept in a persistent image the size of the widget in the screen's own
// pixels (its device pixel ratio times the widget's size), in user units of 1000 x 1000 from
// the top-left corner. Painting only copies the image to the screen, at most once per display
// frame however many discs are drawn.
class PictureBox : public QWidget, public DrawingSurface {
  Q_OBJECT

 public:
  explicit PictureBox(QWidget* parent = nullptr);

  void setBackColor(Color c) override;
  void setFillColor(Color c) override;
  void circle(float x, float y, float radius) override;
  void circle(float x, float y, float radius, Color outline) override;
  void wallLine(float x, float top, float bottom, Color c) override;

  // The image in device pixels; its devicePixelRatio() is the screen's.
  const QImage& image() const;
  Color backColor() const { return back_; }
  Color fillColor() const { return fill_; }
  Color foreColor() const { return fore_; }
  int paintCount() const { return paintCount_; }

  static QRgb toQRgb(Color c);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // A hidden widget receives its resize event only when shown, so every use checks the size.
  void fitImage() const;
  void drawn();

  // The discs are drawn into pixels_; image_ is a view over the same memory, never written
  // through (a write through a shared QImage would detach it from the pixels).
  mutable PixelBuffer pixels_;
  mutable QImage image_;
  // The screen's device pixel ratio, looked up again on every resize, paint and screen change.
  double ratio_ = 1;
  QTimer repaint_;
  Color back_ = 0;
  Color fill_ = RGB(192, 0, 0);
  Color fore_ = RGB(255, 255, 255);
  int paintCount_ = 0;
};

}  // namespace km
