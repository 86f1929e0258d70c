// SPDX-License-Identifier: GPL-3.0-or-later
// The page's one object, as the script sees it: the main window's rules (PageModel), the
// picture's pixels and the frame pacing. Every text the page shows comes from here.
#include <emscripten/bind.h>
#include <emscripten/emscripten.h>
#include <emscripten/val.h>

#include <chrono>
#include <cstdio>
#include <ctime>

#include "golden_run.h"
#include "pacer.h"
#include "page_model.h"
#include "tick_timing.h"

namespace km {
namespace {

// The time of day in the browser's time zone.
class LocalClock : public Clock {
 public:
  double secondsSinceMidnight() const override {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double fraction =
        duration<double>(now.time_since_epoch()).count() - static_cast<double>(t);
    return local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec + fraction;
  }
};

class WebPage {
 public:
  WebPage() : page_(rnd_, clock_) {}

  std::string caption(const std::string& name) const { return page_.caption(name); }
  std::string fieldText(const std::string& name) const { return page_.fieldText(name); }
  std::string fieldProblem(const std::string& name) const { return page_.fieldProblem(name); }
  std::string fieldPlaceholder(const std::string& name) const {
    return page_.fieldPlaceholder(name);
  }
  void typeInto(const std::string& name, const std::string& text) { page_.typeInto(name, text); }
  void runSimulation() { page_.runSimulation(); }
  void pause() { page_.pause(); }
  void restart() { page_.restart(); }
  std::string speciesColor(int k) const { return page_.speciesColor(k); }
  std::string captionColor(int k) const { return page_.captionColor(k); }
  std::string colorTitle(int k) const { return page_.colorTitle(k); }
  void pickColor(int k, const std::string& hex) { page_.pickColor(k, hex); }
  bool running() const { return page_.running(); }
  std::string readout(const std::string& name) const { return page_.readout(name); }
  std::string takeMessage() { return page_.takeMessage(); }

  // One display frame at `nowMs` (the page's clock): runs the ticks the frame owes and
  // affords. Returns the ticks run.
  int frame(double nowMs) {
    if (!page_.running()) {
      pacer_.stop();
      return 0;
    }
    return runFrame(
        pacer_, nowMs, [this](int n) { return page_.tick(n); },
        [] { return emscripten_get_now(); });
  }
  std::string paceText() const { return page_.running() ? pacer_.paceText() : std::string(); }

  // The picture in device pixels, R, G, B, A bytes row after row.
  void resizePicture(int width, int height) { page_.picture().resize(width, height); }
  int pictureWidth() { return page_.picture().pixels().width(); }
  int pictureHeight() { return page_.picture().pixels().height(); }
  double pictureVersion() { return static_cast<double>(page_.picture().version()); }
  emscripten::val pixels() {
    const PixelBuffer& p = page_.picture().pixels();
    return emscripten::val(emscripten::typed_memory_view(
        p.byteCount(), reinterpret_cast<const unsigned char*>(p.data())));
  }

  // For the page's tests: particle i (placed) moved to (x, y) with mass m, as the desktop's
  // tests set up a run-time error.
  void setParticle(int i, double x, double y, double m) {
    if (i < 1 || i > page_.model().state().placedCount) return;
    State& s = page_.model().state();
    s.posX(i) = x;
    s.posY(i) = y;
    s.partMass(i) = m;
  }

 private:
  SeededGenerator rnd_;
  LocalClock clock_;
  PageModel page_;
  Pacer pacer_;
};

std::string goldenChecksumHex() {
  char buf[20];
  std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(goldenChecksum()));
  return buf;
}

double tickMicroseconds(int particles, int ticks, int repeats) {
  return medianTickMicroseconds(particles, ticks, repeats, [] { return emscripten_get_now(); });
}

}  // namespace
}  // namespace km

EMSCRIPTEN_BINDINGS(kinetic_model) {
  using km::WebPage;
  emscripten::class_<WebPage>("WebPage")
      .constructor<>()
      .function("caption", &WebPage::caption)
      .function("fieldText", &WebPage::fieldText)
      .function("fieldProblem", &WebPage::fieldProblem)
      .function("fieldPlaceholder", &WebPage::fieldPlaceholder)
      .function("typeInto", &WebPage::typeInto)
      .function("runSimulation", &WebPage::runSimulation)
      .function("pause", &WebPage::pause)
      .function("restart", &WebPage::restart)
      .function("speciesColor", &WebPage::speciesColor)
      .function("captionColor", &WebPage::captionColor)
      .function("colorTitle", &WebPage::colorTitle)
      .function("pickColor", &WebPage::pickColor)
      .function("running", &WebPage::running)
      .function("readout", &WebPage::readout)
      .function("takeMessage", &WebPage::takeMessage)
      .function("frame", &WebPage::frame)
      .function("paceText", &WebPage::paceText)
      .function("resizePicture", &WebPage::resizePicture)
      .function("pictureWidth", &WebPage::pictureWidth)
      .function("pictureHeight", &WebPage::pictureHeight)
      .function("pictureVersion", &WebPage::pictureVersion)
      .function("pixels", &WebPage::pixels)
      .function("setParticle", &WebPage::setParticle);
  emscripten::function("goldenChecksum", &km::goldenChecksumHex);
  // For the benchmark: microseconds per drawn tick, the same run as web_tick_bench.
  emscripten::function("tickMicroseconds", &km::tickMicroseconds);
}
