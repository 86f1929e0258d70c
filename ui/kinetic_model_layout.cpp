// SPDX-License-Identifier: GPL-3.0-or-later
// The window's controls, created in their order with their places and tab order; their texts
// come from the rules (Form_Load).
#include <QFont>
#include <QFrame>
#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "kinetic_model.h"

namespace km {
namespace {

constexpr double twipsPerPixel = 15;

int px(int twips) {
  return static_cast<int>(std::lround(twips / twipsPerPixel));
}

}  // namespace

void placeInTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(px(left), px(top), px(width), px(height));
}

void KineticModel::createControls() {
  setFixedSize(px(11085), px(8400));
  QFont small = font();
  small.setPixelSize(8);
  setFont(small);

  std::vector<std::pair<int, QWidget*>> tabs;
  auto named = [&](auto* w, const char* name, int index, int tab) {
    w->setObjectName(index < 0 ? QString(name) : QString("%1_%2").arg(name).arg(index));
    tabs.emplace_back(tab, w);
    return w;
  };
  auto label = [&](const char* name, int index, int l, int t, int w, int h, int tab) {
    auto* lbl = named(new QLabel(this), name, index, tab);
    lbl->setWordWrap(true);
    lbl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeInTwips(lbl, l, t, w, h);
    return lbl;
  };
  auto button = [&](const char* name, int index, int l, int t, int w, int h, int tab) {
    auto* b = named(new QPushButton(this), name, index, tab);
    placeInTwips(b, l, t, w, h);
    return b;
  };
  auto field = [&](const char* name, int index, int l, int t, int w, int h, int tab) {
    auto* f = named(new MarkedField(this), name, index, tab);
    f->setTextMargins(0, 0, 0, 0);
    f->setProperty("inUse", true);
    placeInTwips(f, l, t, w, h);
    return f;
  };
  auto box = [&](const char* name, int l, int t, int w, int h, int tab) {
    auto* f = named(new QFrame(this), name, -1, tab);
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    placeInTwips(f, l, t, w, h);
    return f;
  };

  Picture3 = box("Picture3", 9840, 7080, 975, 735, 41);
  Picture2 = box("Picture2", 8760, 7080, 975, 735, 40);
  Command2 = button("Command2", -1, 9480, 6360, 735, 495, 37);
  cmd_color[3] = button("cmd_color", 3, 10560, 2400, 495, 375, 32);
  cmd_color[2] = button("cmd_color", 2, 10560, 1920, 495, 375, 31);
  cmd_color[1] = button("cmd_color", 1, 10560, 1560, 495, 375, 30);
  cmd_color[0] = button("cmd_color", 0, 10560, 1200, 495, 375, 29);
  cmd_exit_program = button("cmd_exit_program", -1, 10200, 6360, 615, 495, 27);
  cmd_stop_simulation = button("cmd_stop_simulation", -1, 8760, 6360, 735, 495, 26);
  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setTimerType(Qt::PreciseTimer);
  txtVelRange = field("txtVelRange", -1, 9720, 3000, 375, 375, 25);
  txtProximity = field("txtProximity", -1, 10500, 3000, 375, 375, 23);
  txtParticleRad = field("txtParticleRad", -1, 9720, 3480, 375, 375, 21);
  txt_how_many[0] = field("txt_how_many", 0, 10200, 1920, 150, 285, 17);
  txt_how_many[3] = field("txt_how_many", 3, 10320, 1560, 150, 285, 15);
  txt_how_many[2] = field("txt_how_many", 2, 10440, 1200, 150, 285, 14);
  txt_how_many[1] = field("txt_how_many", 1, 10200, 2160, 150, 375, 13);
  txt_masses[3] = field("txt_masses", 3, 9360, 2160, 255, 285, 8);
  txt_masses[2] = field("txt_masses", 2, 9360, 1800, 375, 285, 7);
  txt_masses[1] = field("txt_masses", 1, 9240, 1440, 495, 285, 6);
  txt_masses[0] = field("txt_masses", 0, 9360, 960, 375, 615, 5);
  runSImulation = button("runSImulation", -1, 9600, 120, 1200, 375, 1);
  Picture1 = named(new PictureBox(this), "Picture1", -1, 0);
  placeInTwips(Picture1, 120, 240, 8500, 7500);
  Label7 = label("Label7", -1, 9720, 4080, 495, 255, 39);
  Label6 = label("Label6", -1, 8880, 4080, 735, 375, 38);
  Label5 = label("Label5", -1, 9000, 5760, 735, 375, 36);
  Label4 = label("Label4", -1, 9000, 5160, 615, 375, 35);
  Label3 = label("Label3", -1, 9840, 5760, 1095, 375, 34);
  Label2 = label("Label2", -1, 9840, 5160, 1095, 375, 33);
  Label1 = label("Label1", -1, 9240, 4560, 975, 495, 28);
  // Each label stands left of its own field: "vel range" by txtVelRange, "part rad" by
  // txtParticleRad.
  lblVelRange = label("lblVelRange", -1, 9300, 3000, 405, 375, 24);
  lblProximity = label("lblProximity", -1, 10100, 3000, 375, 375, 22);
  lbl_particleRadius = label("lbl_particleRadius", -1, 9300, 3480, 375, 375, 20);
  number_of_masses = label("number_of_masses", -1, 9950, 600, 975, 375, 19);
  mass_in_amu = label("mass_in_amu", -1, 9120, 600, 705, 375, 18);
  lbl_mass_id[3] = label("lbl_mass_id", 3, 8760, 2160, 495, 375, 16);
  lbl_how_many_m[3] = label("lbl_how_many_m", 3, 9840, 2160, 375, 255, 12);
  lbl_how_many_m[2] = label("lbl_how_many_m", 2, 9840, 1920, 135, 255, 11);
  lbl_how_many_m[1] = label("lbl_how_many_m", 1, 9960, 1560, 255, 255, 10);
  lbl_how_many_m[0] = label("lbl_how_many_m", 0, 9960, 960, 375, 375, 9);
  lbl_mass_id[2] = label("lbl_mass_id", 2, 8760, 1800, 375, 375, 4);
  lbl_mass_id[1] = label("lbl_mass_id", 1, 8880, 1440, 375, 375, 3);
  lbl_mass_id[0] = label("lbl_mass_id", 0, 8880, 960, 405, 375, 2);

  std::sort(tabs.begin(), tabs.end());
  QWidget* previous = nullptr;
  for (auto& [tab, w] : tabs) {
    if (w->focusPolicy() == Qt::NoFocus) continue;
    if (previous) setTabOrder(previous, w);
    previous = w;
  }
}

}  // namespace km
