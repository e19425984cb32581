// The face in numbers: every picture's size and every control's place. Shared with the skin
// generator, which draws the pictures to fit these places.
#include <cstring>

#include "ui/Skin.h"

namespace vemla::ui {
namespace {

struct PictureInfo {
  const char* name;
  int w, h;
};

// Indexed by Picture.
constexpr PictureInfo kPictures[] = {
    {"main", 345, 175},
    {"playlist", 345, 451},
    {"mini", 150, 100},
    {"repetir", 25, 21},
    {"random", 25, 21},
    {"playlist_button", 29, 18},
    {"info", 29, 18},
    {"fx", 29, 18},
    {"silencio", 25, 26},
    {"silencio2", 25, 26},
    {"anterior", 25, 26},
    {"reproducir", 25, 26},
    {"pausa", 25, 26},
    {"stop", 25, 26},
    {"siguiente", 25, 26},
    {"menu", 11, 10},
    {"minimizar", 11, 10},
    {"maximizar", 11, 10},
    {"cerrar", 11, 10},
    {"position_knob", 32, 9},
    {"volume_knob", 12, 7},
    {"mini_knob", 12, 7},
    {"dot", 2, 2},
    {"pl_menu", 18, 18},
    {"pl_maximizar", 14, 14},
    {"pl_cerrar", 16, 14},
    {"pl_corner", 19, 19},
    {"pl_title", 107, 19},
};
static_assert(sizeof(kPictures) / sizeof(kPictures[0]) == static_cast<int>(Picture::Count),
              "one entry per picture id");

using W = SkinWindow;

// Every control of the three windows, in window pixels. Tinfo2/Tinfo3 size themselves to
// their text; the widths here are the room their panel leaves them.
const std::vector<ControlPlace> kTable = {
    // Main window, client area 344 x 237; only the outline of Image1 is visible.
    {W::Main, "Form", 0, 0, 344, 237},
    {W::Main, "Image1", -2, 0, 345, 175},
    {W::Main, "F_archivo", 12, 22, 43, 13},
    {W::Main, "F_Play", 62, 22, 25, 13},
    {W::Main, "F_Opciones", 94, 22, 54, 13},
    {W::Main, "F_Ver", 156, 22, 20, 13},
    {W::Main, "F_Ayuda", 184, 22, 35, 13},
    {W::Main, "B_Archivo", 10, 22, 47, 13},
    {W::Main, "B_Play", 60, 22, 29, 13},
    {W::Main, "B_Opciones", 92, 22, 58, 13},
    {W::Main, "B_Ver", 153, 22, 25, 13},
    {W::Main, "B_Ayuda", 181, 22, 40, 13},
    {W::Main, "B_menu", 3, 8, 11, 10},
    {W::Main, "B_Min", 297, 6, 11, 10},
    {W::Main, "B_Max", 310, 6, 11, 10},
    {W::Main, "B_Cerrar", 323, 6, 11, 10},
    {W::Main, "Pant_tiempo", 12, 48, 85, 27},
    {W::Main, "Pant_titulo", 12, 102, 291, 17},
    {W::Main, "Tinfo2", 18, 76, 172, 13},
    {W::Main, "Tinfo3", 18, 88, 172, 13},
    {W::Main, "Despl_pos", 6, 128, 295, 9},
    {W::Main, "bot_despl", 6, 128, 32, 9},
    {W::Main, "Despl_Vol", 220, 158, 83, 9},
    {W::Main, "bot_vol", 277, 161, 12, 7},
    {W::Main, "punto_repetir", 315, 46, 2, 2},
    {W::Main, "punto_random", 315, 67, 2, 2},
    {W::Main, "B_repetir", 317, 37, 25, 21},
    {W::Main, "B_Random", 317, 57, 25, 21},
    {W::Main, "B_Playlist", 312, 80, 29, 18},
    {W::Main, "B_info", 312, 100, 29, 18},
    {W::Main, "B_fx", 312, 119, 29, 18},
    {W::Main, "B_anterior", 19, 141, 25, 26},
    {W::Main, "B_Reproducir", 48, 143, 25, 26},
    {W::Main, "B_Pausa", 79, 143, 25, 26},
    {W::Main, "B_Stop", 109, 143, 25, 26},
    {W::Main, "B_Siguiente", 139, 141, 25, 26},
    {W::Main, "B_silencio", 193, 145, 25, 26},
    {W::Main, "Gauge1", 194, 48, 50, 13},
    {W::Main, "Gauge2", 246, 48, 50, 13},
    {W::Main, "Pant_FXD", 195, 64, 99, 35},
    {W::Main, "Bevel1", 195, 62, 101, 39},
    // Playlist window, client area 345 x 451.
    {W::Playlist, "Form", 0, 0, 345, 451},
    {W::Playlist, "PL_Ia", 0, 0, 345, 451},
    {W::Playlist, "Image1", 326, 430, 19, 19},
    {W::Playlist, "Image2", 114, 2, 107, 19},
    {W::Playlist, "Label1", 14, 432, 101, 13},
    {W::Playlist, "Listado", 5, 34, 336, 399},
    {W::Playlist, "PL_B_menu", 5, 3, 18, 18},
    {W::Playlist, "PL_B_Cerrar", 327, 5, 16, 14},
    {W::Playlist, "PL_B_Maximizar", 311, 5, 14, 14},
    // Mini window, client area 150 x 100; red is see-through.
    {W::Mini, "Form", 0, 0, 150, 100},
    {W::Mini, "Image1", 0, 0, 150, 100},
    {W::Mini, "B_Cerrar", 139, 16, 11, 10},
    {W::Mini, "B_Max", 139, 29, 11, 10},
    {W::Mini, "Pant_tiempo", 36, 24, 77, 23},
    {W::Mini, "Pant_Titulo", 24, 47, 95, 11},
    {W::Mini, "Despl_pos", 26, 59, 87, 9},
    {W::Mini, "bot_despl", 25, 60, 12, 7},
    {W::Mini, "B_anterior", 19, 74, 25, 26},
    {W::Mini, "B_Reproducir", 44, 74, 25, 26},
    {W::Mini, "B_Stop", 69, 74, 25, 26},
    {W::Mini, "B_Siguiente", 94, 74, 25, 26},
    {W::Mini, "B_silencio", 125, 42, 25, 26},
    {W::Mini, "B_repetir", 125, 65, 25, 21},
    {W::Mini, "B_Random", 125, 79, 25, 21},
    {W::Mini, "punto_repetir", 121, 75, 2, 2},
    {W::Mini, "punto_random", 121, 90, 2, 2},
};

}  // namespace

QSize Skin::size(Picture id) {
  const auto& info = kPictures[static_cast<int>(id)];
  return {info.w, info.h};
}

const char* Skin::resourceName(Picture id) { return kPictures[static_cast<int>(id)].name; }

QRect Skin::place(SkinWindow window, const char* controlName) {
  if (!controlName) return {};
  for (const auto& c : kTable) {
    if (c.window == window && std::strcmp(c.name, controlName) == 0) {
      return {c.x, c.y, c.w, c.h};
    }
  }
  return {};
}

const std::vector<ControlPlace>& Skin::table() { return kTable; }

QPoint Skin::pictureOffset(SkinWindow window) {
  switch (window) {
    case SkinWindow::Main:
      return {-2, 0};
    case SkinWindow::Playlist:
    case SkinWindow::Mini:
      return {0, 0};
  }
  return {};
}

}  // namespace vemla::ui
