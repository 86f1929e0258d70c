// SPDX-License-Identifier: GPL-3.0-or-later
#include "marked_field.h"

#include <QApplication>
#include <QPainter>

namespace km {

void MarkedField::mark(const QString& problem) {
  const bool marked = !problem.isEmpty();
  setToolTip(problem);
  setProperty("inUse", !marked);
  if (marked == marked_) return;
  marked_ = marked;
  QPalette p = palette();
  p.setColor(QPalette::Text,
             marked ? QColor(Qt::red) : QApplication::palette().color(QPalette::Text));
  setPalette(p);
  update();
}

void MarkedField::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  if (!marked_) return;
  QPainter painter(this);
  painter.setPen(Qt::red);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

}  // namespace km
