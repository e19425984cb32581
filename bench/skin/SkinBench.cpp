// Cost of the skin at window creation: tracing outlines, building regions, cutting the main
// window and its eleven buttons, and decoding the compiled-in pictures.
//   skin_bench [runs]
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmapCache>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ui/ActiveSkin.h"
#include "ui/GlyphButton.h"
#include "ui/Skin.h"
#include "vis/GenRegion.h"

using namespace vemla;
using ui::Picture;

namespace {

double medianMicros(int runs, const std::function<void()>& work) {
  std::vector<double> times;
  times.reserve(runs);
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    work();
    times.push_back(t.nsecsElapsed() / 1000.0);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;

  {
    QElapsedTimer t;
    t.start();
    ui::Skin skin;
    for (int i = 0; i < static_cast<int>(Picture::Count); ++i) {
      skin.picture(static_cast<Picture>(i), 1.0);
      skin.picture(static_cast<Picture>(i), 2.0);
    }
    std::printf("decode every picture at 1x and 2x (first use): %.2f ms\n", t.nsecsElapsed() / 1e6);
  }

  ui::Skin skin;
  const std::pair<const char*, Picture> traced[] = {
      {"main window 345x175", Picture::MainBackground},
      {"playlist window 349x500", Picture::PlaylistBackground},
      {"transport glyph 25x26", Picture::Reproducir},
  };
  for (const auto& [name, id] : traced) {
    const QImage image = skin.outline(id);
    vis::VertexList v;
    int last = -1;
    const double trace = medianMicros(runs, [&] { last = vis::GenRegion(v, image, 0, 0); });
    QRegion region;
    const double build = medianMicros(runs, [&] { region = vis::outlineRegion(v, last + 1); });
    std::printf("%-26s trace %8.1f us  region %7.1f us  (%d vertices, %d rectangles)\n", name,
                trace, build, last + 1, static_cast<int>(region.rectCount()));
  }

  const double cutMain = medianMicros(std::max(1, runs / 10), [&] {
    QWidget window;
    window.resize(344, 237);
    ui::ActiveSkin(window, skin.outline(Picture::MainBackground), {-2, 0});
    const std::pair<const char*, Picture> buttons[] = {{"B_repetir", Picture::Repetir},
                                                       {"B_Random", Picture::Random},
                                                       {"B_Playlist", Picture::Playlist},
                                                       {"B_info", Picture::Info},
                                                       {"B_fx", Picture::Fx},
                                                       {"B_silencio", Picture::Silencio},
                                                       {"B_anterior", Picture::Anterior},
                                                       {"B_Reproducir", Picture::Reproducir},
                                                       {"B_Pausa", Picture::Pausa},
                                                       {"B_Stop", Picture::Stop},
                                                       {"B_Siguiente", Picture::Siguiente}};
    for (const auto& [name, glyph] : buttons) {
      auto* b = new ui::GlyphButton(&window, name, glyph, &skin);
      ui::CutButtonToGlyph(*b);
    }
  });
  std::printf("main window: create, cut it and its 11 buttons: %.2f ms\n", cutMain / 1000.0);
  return 0;
}
