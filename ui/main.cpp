// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>

#include "kinetic_model.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Kinetic Model");
  QApplication::setApplicationVersion(KM_VERSION);
  km::KineticModel window;
  window.show();
  return app.exec();
}
