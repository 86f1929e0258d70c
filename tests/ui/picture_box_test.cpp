// SPDX-License-Identifier: GPL-3.0-or-later
// The picture box and the disc rasteriser beneath it: erasing, agreement with QPainter, the
// user scale, colours, hostile input, repaint throttling and the screen's ratio. The
// rasteriser's exact coverage is tested on its own, without Qt (tests/raster).
#include <QElapsedTimer>
#include <QPainter>
#include <QtTest>

#include <cmath>
#include <limits>
#include <random>

#include "disc_raster.h"
#include "picture_box.h"
#include "pixel_buffer.h"

namespace km {
namespace {

constexpr QRgb kBlack = 0xff000000;

QImage blank(int w, int h, QRgb c = kBlack) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return img;
}

int countOf(const QImage& img, QRgb c) {
  int n = 0;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      n += img.pixel(x, y) == c;
  return n;
}

// Bounding box of the pixels that are not `back`.
QRect paintedRect(const QImage& img, QRgb back = kBlack) {
  QRect r;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (img.pixel(x, y) != back) r |= QRect(x, y, 1, 1);
  return r;
}

double centreDistance(int px, int py, double cx, double cy) {
  return std::hypot(px + 0.5 - cx, py + 0.5 - cy);
}

// A box sized as a hidden widget, which gets its resize event only when shown.
struct Box : PictureBox {
  Box(int w = 567, int h = 500) { resize(w, h); }
};

}  // namespace

class PictureBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void redrawingInBlackErasesExactly();
  void interiorAgreesWithQPainter();
  void userScaleIsRoundOnScreen();
  void colours();
  void hostileInputIsClippedOrIgnored();
  void repaintsAtMostOncePerFrame();
  void repaintingLosesNothing();
  void sharpAtTheScreenRatio();
};

void PictureBoxTest::redrawingInBlackErasesExactly() {
  Box box;
  const QImage black = blank(567, 500);
  std::mt19937 gen(2);
  std::uniform_real_distribution<float> pos(-30, 1030), rad(0, 80);
  std::uniform_int_distribution<int> channel(1, 255);
  for (int t = 0; t < 600; ++t) {
    float x = pos(gen), y = pos(gen), r = t % 7 == 0 ? 0.0f : rad(gen);
    if (t % 5 == 0) r = std::round(r);
    box.setFillColor(RGB(channel(gen), channel(gen), channel(gen)));
    box.circle(x, y, r, RGB(channel(gen), 0, channel(gen)));
    if (x >= 0 && x < 1000 && y >= 0 && y < 1000) QVERIFY(box.image() != black);
    box.setFillColor(0);
    box.circle(x, y, r, 0);
    if (box.image() != black)
      QFAIL(qPrintable(QString("(%1, %2, %3) left a trace").arg(x).arg(y).arg(r)));
  }

  // The tick's pattern: erase at the old place, draw at the new, overlapping each time.
  float x = 100.3f, y = 200.7f;
  for (int step = 0; step < 200; ++step) {
    box.setFillColor(0);
    box.circle(x, y, 12.0f, 0);
    x += 1.37f, y += 0.91f;
    box.setFillColor(RGB(0, 255, 0));
    box.circle(x, y, 12.0f, RGB(0, 255, 0));
  }
  Box alone;
  alone.setFillColor(RGB(0, 255, 0));
  alone.circle(x, y, 12.0f, RGB(0, 255, 0));
  QCOMPARE(box.image(), alone.image());
}

// QPainter's aliased fill of an ellipse of radius r - 0.5 should cover our interior, up to
// rounding of pixels whose centres lie near that circle.
void PictureBoxTest::interiorAgreesWithQPainter() {
  std::mt19937 gen(3);
  std::uniform_real_distribution<double> frac(0, 1), rad(1.5, 40);
  const QRgb white = 0xffffffff;
  long interior = 0, differing = 0;
  double worst = 0;
  for (int t = 0; t < 600; ++t) {
    const double cx = 50 + frac(gen), cy = 50 + frac(gen), r = rad(gen);
    PixelBuffer pixels(101, 101, kBlack);
    drawDisc(pixels, cx, cy, r, white, kBlack);
    const QImage ours(reinterpret_cast<const uchar*>(pixels.data()), 101, 101, 101 * 4,
                      QImage::Format_RGB32);
    QImage theirs = blank(101, 101);
    {
      QPainter p(&theirs);
      p.setRenderHint(QPainter::Antialiasing, false);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(white));
      p.drawEllipse(QPointF(cx, cy), r - 0.5, r - 0.5);
    }
    for (int y = 0; y < 101; ++y) {
      for (int x = 0; x < 101; ++x) {
        interior += ours.pixel(x, y) == white;
        if (ours.pixel(x, y) == theirs.pixel(x, y)) continue;
        ++differing;
        worst = std::max(worst, std::abs(centreDistance(x, y, cx, cy) - (r - 0.5)));
      }
    }
  }
  const double agreement = 1.0 - double(differing) / double(interior);
  qInfo("interior pixels %ld, differing %ld, agreement %.4f%%, farthest difference %.3f px",
        interior, differing, 100 * agreement, worst);
  QVERIFY2(worst <= 0.25, qPrintable(QString("a difference %1 px from the edge").arg(worst)));
  QVERIFY(agreement >= 0.995);
}

void PictureBoxTest::userScaleIsRoundOnScreen() {
  Box box;
  box.circle(0, 0, 0);
  QCOMPARE(box.image().pixel(0, 0), PictureBox::toQRgb(box.foreColor()));
  QCOMPARE(paintedRect(box.image()), QRect(0, 0, 1, 1));

  box.setBackColor(0);
  box.circle(1000, 1000, 12);
  QCOMPARE(paintedRect(box.image()).bottomRight(), QPoint(566, 499));

  // The middle is (283.5, 250): a column centre and a row boundary.
  box.setBackColor(0);
  box.circle(500, 500, 12);
  QCOMPARE(paintedRect(box.image()), QRect(276, 243, 15, 14));

  // 100 units is 56.7 pixels across and down alike, centred at (141.75, 375).
  box.setBackColor(0);
  box.circle(250, 750, 100);
  const QRect disc = paintedRect(box.image());
  QVERIFY2(std::abs(disc.width() - 2 * 56.7 - 1) <= 1.5, qPrintable(QString::number(disc.width())));
  QVERIFY2(std::abs(disc.width() - disc.height()) <= 1,
           qPrintable(QString("%1 x %2").arg(disc.width()).arg(disc.height())));
  QVERIFY(std::abs((disc.left() + disc.right() + 1) / 2.0 - 141.75) <= 1);
  QVERIFY(std::abs((disc.top() + disc.bottom() + 1) / 2.0 - 375) <= 1);
}

void PictureBoxTest::colours() {
  Box box(200, 100);
  QCOMPARE(box.backColor(), 0);
  QCOMPARE(box.fillColor(), RGB(192, 0, 0));
  QCOMPARE(box.foreColor(), RGB(255, 255, 255));
  QCOMPARE(countOf(box.image(), kBlack), 200 * 100);

  box.circle(500, 500, 100);
  QCOMPARE(box.image().pixel(100, 50), qRgb(192, 0, 0));
  QCOMPARE(box.image().pixel(paintedRect(box.image()).left(), 50), qRgb(255, 255, 255));

  // Red is the low byte of a colour.
  box.setFillColor(RGB(1, 2, 3));
  box.circle(250, 500, 100, RGB(10, 20, 30));
  QCOMPARE(box.image().pixel(50, 50), qRgb(1, 2, 3));
  QCOMPARE(box.image().pixel(paintedRect(box.image()).left(), 50), qRgb(10, 20, 30));

  box.setBackColor(RGB(0, 0, 255));
  QCOMPARE(box.backColor(), RGB(0, 0, 255));
  QCOMPARE(countOf(box.image(), qRgb(0, 0, 255)), 200 * 100);
}

void PictureBoxTest::hostileInputIsClippedOrIgnored() {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float values[] = {nan, inf, -inf, 1e30f, -1e30f, 3e38f, -3e38f, 0, 500, 1000};
  const QImage black = blank(567, 500);
  Box box;
  for (float v : values) {
    for (float w : values) {
      if (std::isnan(v) || std::isnan(w) || std::isinf(v) || std::isinf(w)) {
        box.circle(v, w, 20, RGB(255, 255, 255));
        box.circle(500, v, w);
        box.circle(w, 500, v);
        QCOMPARE(box.image(), black);
      }
    }
  }
  for (float x : values)
    for (float y : values)
      for (float r : values) {
        box.circle(x, y, r);
        box.setBackColor(0);
      }

  box.circle(500, 500, 1e30f);
  QCOMPARE(countOf(box.image(), PictureBox::toQRgb(box.fillColor())), 567 * 500);

  // A negative radius counts as its absolute value.
  Box negative, positive;
  negative.circle(321.5f, 654.25f, -37.5f);
  positive.circle(321.5f, 654.25f, 37.5f);
  QCOMPARE(negative.image(), positive.image());
}

void PictureBoxTest::repaintsAtMostOncePerFrame() {
  PictureBox box;
  box.setFixedSize(567, 500);
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QTest::qWait(50);

  int before = box.paintCount();
  for (int i = 0; i < 1000; ++i)
    box.circle(float(i), 500, 12);
  QTest::qWait(50);
  const int burst = box.paintCount() - before;
  QVERIFY2(burst >= 1 && burst <= 2, qPrintable(QString::number(burst)));

  // Events handled between the circles, as between ticks: still one paint per frame at most.
  before = box.paintCount();
  QElapsedTimer clock;
  clock.start();
  for (int i = 0; i < 1000; ++i) {
    box.circle(float(i), 300, 12);
    QCoreApplication::processEvents();
  }
  const qint64 ms = clock.elapsed();
  QTest::qWait(50);
  const int spread = box.paintCount() - before;
  QVERIFY2(spread >= 1 && spread <= ms / 16 + 2,
           qPrintable(QString("%1 paints in %2 ms").arg(spread).arg(ms)));
}

void PictureBoxTest::repaintingLosesNothing() {
  // Drawn while hidden, before the pending resize event arrives.
  PictureBox box;
  box.setFixedSize(567, 500);
  QCOMPARE(box.image().size(), QSize(567, 500));
  std::mt19937 gen(4);
  std::uniform_real_distribution<float> pos(0, 1000), rad(0, 40);
  for (int i = 0; i < 200; ++i) {
    box.setFillColor(RGB(i, 255 - i, 128));
    box.circle(pos(gen), pos(gen), rad(gen), RGB(255, i, 0));
  }
  const QImage drawn = box.image().copy();
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QCOMPARE(box.image(), drawn);

  const int before = box.paintCount();
  QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QVERIFY(box.paintCount() > before);
  QCOMPARE(shown, drawn);

  box.hide();
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  QTest::qWait(30);
  shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(shown, drawn);
  QCOMPARE(box.image(), drawn);

  // A new size keeps what was drawn and shows the back colour in the added part.
  Box grown(300, 200);
  grown.setBackColor(RGB(0, 0, 80));
  grown.circle(500, 500, 200);
  const QImage small = grown.image().copy();
  grown.resize(400, 250);
  QCOMPARE(grown.image().size(), QSize(400, 250));
  QCOMPARE(grown.image().copy(0, 0, 300, 200), small);
  QCOMPARE(grown.image().pixel(399, 249), qRgb(0, 0, 80));
}

// The image has the screen's own pixels (CTest runs this once more at QT_SCALE_FACTOR=2), a
// disc fills them to its true size, and painting copies them one to one: at ratio 2 no disc
// is made of 2 x 2 blocks.
void PictureBoxTest::sharpAtTheScreenRatio() {
  Box box;
  box.show();
  QVERIFY(QTest::qWaitForWindowExposed(&box));
  const double ratio = box.devicePixelRatioF();
  if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
    QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
  box.setFillColor(RGB(255, 255, 255));
  box.circle(500, 500, 12, RGB(255, 255, 255));
  const QImage& img = box.image();
  QCOMPARE(img.devicePixelRatio(), ratio);
  QCOMPARE(img.size(), QSize(int(std::lround(567 * ratio)), int(std::lround(500 * ratio))));
  // Filled and outlined, the disc reaches half a pixel beyond its radius.
  const double radius = 12 * img.width() / 1000.0 + 0.5;
  const double area = countOf(img, qRgb(255, 255, 255));
  QVERIFY2(std::fabs(area / (M_PI * radius * radius) - 1) < 0.1, qPrintable(QString::number(area)));
  int mixedBlocks = 0;
  for (int y = 0; y + 1 < img.height(); y += 2)
    for (int x = 0; x + 1 < img.width(); x += 2) {
      const QRgb c = img.pixel(x, y);
      mixedBlocks +=
          img.pixel(x + 1, y) != c || img.pixel(x, y + 1) != c || img.pixel(x + 1, y + 1) != c;
    }
  if (ratio >= 2) QVERIFY(mixedBlocks > 0);

  QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
  shown.setDevicePixelRatio(1);
  QImage drawn = img.copy();
  drawn.setDevicePixelRatio(1);
  QCOMPARE(shown, drawn);
}

}  // namespace km

QTEST_MAIN(km::PictureBoxTest)
#include "picture_box_test.moc"
