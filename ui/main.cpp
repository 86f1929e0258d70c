#include <QApplication>

#include "kinetic_model.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  km::KineticModel window;
  window.show();
  return app.exec();
}
