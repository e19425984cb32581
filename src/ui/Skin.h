#pragma once
// The player's face: every picture of the three skinned windows, by id, and the place and size
// of every control on them, in one table.
//
// Pictures are drawn at build time (skin/) at 1x and 2x and compiled in as resources.
// picture() returns a pixmap whose devicePixelRatio is set, so painting it at its logical size
// stays sharp on high-DPI screens; outline() returns the 1x image that window and button
// shapes are traced from. Every picture's top-left pixel holds its uniform background, with a
// border of it all round the shapes that are cut: transparent, except the mini window's pure
// red (255, 0, 0), its see-through colour. Window faces have hard edges, so the outline traced
// at 1x fits the 2x picture too.
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <map>
#include <utility>
#include <vector>

namespace vemla::ui {

enum class SkinWindow { Main, Playlist, Mini };

enum class Picture {
  // Window faces.
  MainBackground,      // 345 x 175, shown at Image1 (-2, 0) of the main window
  PlaylistBackground,  // shown 345 x 451 (the playlist face); outline() is the 349 x 500 picture
  MiniBackground,      // 150 x 100, red is see-through
  // Glyph buttons (main window; the mini window uses the same glyphs for its buttons).
  Repetir,     // 25 x 21
  Random,      // 25 x 21
  Playlist,    // 29 x 18
  Info,        // 29 x 18
  Fx,          // 29 x 18
  Silencio,    // 25 x 26, sound on (same drawing as skin/b_silencio.bmp)
  Silencio2,   // 25 x 26, muted (same drawing as skin/b_silencio2.bmp)
  Anterior,    // 25 x 26
  Reproducir,  // 25 x 26 (same drawing as skin/b_play.bmp)
  Pausa,       // 25 x 26 (same drawing as skin/b_pausa.bmp)
  Stop,        // 25 x 26
  Siguiente,   // 25 x 26
  // Tiny flat title-bar buttons, 11 x 10 (main and mini window).
  Menu,
  Minimizar,
  Maximizar,
  Cerrar,
  // Knobs and dots.
  PositionKnob,      // 32 x 9, bot_despl of the main window
  VolumeKnob,        // 12 x 7, bot_vol
  MiniPositionKnob,  // 12 x 7, bot_despl of the mini window
  Dot,               // 2 x 2, punto_repetir / punto_random
  // Playlist window.
  PlMenu,       // 18 x 18
  PlMaximizar,  // 14 x 14
  PlCerrar,     // 16 x 14
  PlCorner,     // 19 x 19, Image1 decoration
  PlTitle,      // 107 x 19, Image2 title strip
  Count
};

// One control of one window: its object name and its place in window pixels.
struct ControlPlace {
  SkinWindow window;
  const char* name;
  int x, y, w, h;
};

class Skin {
 public:
  Skin();

  // The picture at the nearest drawn scale (1x or 2x) for `dpr`, with devicePixelRatio set;
  // its logical size is size(id). A null pixmap only if the resources are missing.
  QPixmap picture(Picture id, qreal dpr = 1.0) const;
  // The 1x picture that shapes are traced from (for PlaylistBackground the 349 x 500 picture).
  QImage outline(Picture id) const;
  // Logical size at which the picture is shown.
  static QSize size(Picture id);
  // Resource name stem, e.g. "main" (files ":/skin/main.raw" and ":/skin/main@2x.raw").
  static const char* resourceName(Picture id);

  // Place and size of a control in its window; an empty QRect when the name is unknown.
  // Window-level names: "Form" gives the window's client area.
  static QRect place(SkinWindow window, const char* controlName);
  static const std::vector<ControlPlace>& table();

  // The offset added to the traced outline of a window's picture (its Image1 / PL_Ia place).
  static QPoint pictureOffset(SkinWindow window);

 private:
  mutable std::map<std::pair<int, int>, QPixmap> pixmaps_;  // (id, scale) -> pixmap
};

}  // namespace vemla::ui
