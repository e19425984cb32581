// The drawn pictures fit the face: sizes, backgrounds, traced outlines, and every control
// inside the shape of its window.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <string>

#include "ui/ActiveSkin.h"
#include "ui/RawPicture.h"
#include "ui/Skin.h"
#include "vis/GenRegion.h"

namespace vemla::ui {
namespace {

using W = SkinWindow;

// Pictures that shapes are cut from: the window faces (mini: by its red) and glyph buttons.
bool isCut(Picture id) {
  switch (id) {
    case Picture::PositionKnob:
    case Picture::VolumeKnob:
    case Picture::MiniPositionKnob:
    case Picture::Dot:
    case Picture::PlCorner:
    case Picture::PlTitle:
    case Picture::Menu:
    case Picture::Minimizar:
    case Picture::Maximizar:
    case Picture::Cerrar:
      return false;
    default:
      return true;
  }
}

QString programSkin(const char* name) {
  return QStringLiteral(VEMLA_SKIN_DIR "/") + QString::fromLatin1(name);
}

QRegion tracedRegion(const QImage& image, QPoint offset = {}) {
  vis::VertexList v;
  const int last = vis::GenRegion(v, image, offset.x(), offset.y());
  return last < 1 ? QRegion() : vis::outlineRegion(v, last + 1);
}

TEST(SkinPictures, EveryPictureHasItsSizeAtBothScales) {
  Skin skin;
  for (int i = 0; i < static_cast<int>(Picture::Count); ++i) {
    const auto id = static_cast<Picture>(i);
    SCOPED_TRACE(Skin::resourceName(id));
    const QPixmap one = skin.picture(id, 1.0);
    const QPixmap two = skin.picture(id, 2.0);
    ASSERT_FALSE(one.isNull());
    ASSERT_FALSE(two.isNull());
    EXPECT_EQ(one.size(), Skin::size(id));
    EXPECT_EQ(two.size(), Skin::size(id) * 2);
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    EXPECT_EQ(skin.picture(id, 1.5).devicePixelRatio(), 2.0);
    const QImage outline = skin.outline(id);
    EXPECT_EQ(outline.size(), id == Picture::PlaylistBackground ? QSize(349, 500) : Skin::size(id));
  }
}

TEST(SkinPictures, CutPicturesHaveABackgroundBorderAndOneShapeTheMaskCovers) {
  Skin skin;
  for (int i = 0; i < static_cast<int>(Picture::Count); ++i) {
    const auto id = static_cast<Picture>(i);
    if (!isCut(id)) continue;
    SCOPED_TRACE(Skin::resourceName(id));
    const QImage image = skin.outline(id).convertToFormat(QImage::Format_ARGB32);
    const QRgb back = image.pixel(0, 0);
    if (id == Picture::MiniBackground) {
      EXPECT_EQ(back, qRgb(255, 0, 0));
    }
    // The outline must never run along the picture's edge: a background border all round.
    const int w = image.width();
    const int h = image.height();
    {
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(image.pixel(x, 0), back) << x;
        ASSERT_EQ(image.pixel(x, h - 1), back) << x;
      }
      for (int y = 0; y < h; ++y) {
        ASSERT_EQ(image.pixel(0, y), back) << y;
        ASSERT_EQ(image.pixel(w - 1, y), back) << y;
      }
    }
    if (id == Picture::MiniBackground) continue;  // keyed on its red, not cut by a polygon
    const QRegion mask = tracedRegion(image);
    ASSERT_FALSE(mask.isEmpty());
    int uncovered = 0;
    int spilled = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const bool ink = image.pixel(x, y) != back;
        if (ink && !mask.contains(QPoint(x, y))) ++uncovered;
        if (!ink && mask.contains(QPoint(x, y))) ++spilled;
      }
    }
    EXPECT_EQ(uncovered, 0);
    // A diagonal edge may take in a pixel here and there, never a visible patch.
    EXPECT_LE(spilled, (w + h) / 4) << spilled;
  }
}

TEST(SkinPictures, GlyphFilesMatchTheGlyphsTheirButtonsAreCutFrom) {
  Skin skin;
  const std::pair<const char*, Picture> files[] = {{"b_silencio.bmp", Picture::Silencio},
                                                   {"b_silencio2.bmp", Picture::Silencio2},
                                                   {"b_play.bmp", Picture::Reproducir},
                                                   {"b_pausa.bmp", Picture::Pausa}};
  for (const auto& [name, id] : files) {
    SCOPED_TRACE(name);
    QImage file(programSkin(name));
    ASSERT_FALSE(file.isNull());
    EXPECT_FALSE(file.hasAlphaChannel());
    EXPECT_EQ(file.size(), Skin::size(id));
    const QRegion fromFile = tracedRegion(file);
    const QRegion fromGlyph = tracedRegion(skin.outline(id));
    // The button keeps the region of its creation glyph: the file's shape must fit in it.
    EXPECT_TRUE((fromFile - fromGlyph).isEmpty());
    EXPECT_FALSE(fromFile.isEmpty());
    QImage big(programSkin((QString::fromLatin1(name).chopped(4) + "@2x.bmp").toLatin1()));
    EXPECT_EQ(big.size(), Skin::size(id) * 2);
  }
  QImage noPicture(programSkin("noimagen.jpg"));
  EXPECT_EQ(noPicture.size(), QSize(261, 215));
}

// Every control must lie inside its window's visible shape, or part of it is cut away.
TEST(SkinPictures, EveryControlLiesInsideItsWindowShape) {
  Skin skin;
  const QRegion mainShape =
      tracedRegion(skin.outline(Picture::MainBackground), Skin::pictureOffset(W::Main));
  const QRegion playlistShape = tracedRegion(skin.outline(Picture::PlaylistBackground)) &
                                QRegion(Skin::place(W::Playlist, "Form"));
  const QImage mini = skin.outline(Picture::MiniBackground);
  QRegion miniShape;
  for (int y = 0; y < mini.height(); ++y) {
    for (int x = 0; x < mini.width(); ++x) {
      if (mini.pixel(x, y) != qRgb(255, 0, 0)) miniShape += QRect(x, y, 1, 1);
    }
  }

  const std::pair<Picture, const char*> glyphs[] = {
      {Picture::Repetir, "B_repetir"},
      {Picture::Random, "B_Random"},
      {Picture::Playlist, "B_Playlist"},
      {Picture::Info, "B_info"},
      {Picture::Fx, "B_fx"},
      {Picture::Silencio, "B_silencio"},
      {Picture::Anterior, "B_anterior"},
      {Picture::Reproducir, "B_Reproducir"},
      {Picture::Pausa, "B_Pausa"},
      {Picture::Stop, "B_Stop"},
      {Picture::Siguiente, "B_Siguiente"},
      {Picture::PlMenu, "PL_B_menu"},
      {Picture::PlMaximizar, "PL_B_Maximizar"},
      {Picture::PlCerrar, "PL_B_Cerrar"},
  };
  for (const auto& c : Skin::table()) {
    const std::string name = c.name;
    if (name == "Form" || name == "Image1" || name == "PL_Ia") continue;
    SCOPED_TRACE(name);
    const QRegion& shape = c.window == W::Main       ? mainShape
                           : c.window == W::Playlist ? playlistShape
                                                     : miniShape;
    QRegion visible(QRect(c.x, c.y, c.w, c.h));
    for (const auto& [glyph, button] : glyphs) {
      if (name == button) {
        const QPoint offset = glyphOffset(QSize(c.w, c.h), Skin::size(glyph));
        visible = tracedRegion(skin.outline(glyph), offset).translated(c.x, c.y);
      }
    }
    if (c.window == W::Mini) {
      // Mini buttons reach the picture's one-pixel red border; their glyphs do not.
      visible &= QRegion(1, 1, 148, 98);
    }
    const QRegion outside = visible - shape;
    EXPECT_TRUE(outside.isEmpty())
        << outside.boundingRect().x() << "," << outside.boundingRect().y() << " "
        << outside.boundingRect().width() << "x" << outside.boundingRect().height();
  }
}

// The compiled-in form keeps every pixel, alpha and format as PNG did, odd widths included, and
// anything cut short or foreign reads as no picture rather than as garbage.
TEST(SkinPictures, CompiledInPicturesReadBackExactly) {
  QImage argb(7, 3, QImage::Format_ARGB32);
  QImage rgb(5, 2, QImage::Format_RGB32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) argb.setPixel(x, y, qRgba(x * 30, y * 80, 255 - x, x * 36));
  rgb.fill(QColor(10, 20, 30));
  const QImage premultiplied = argb.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  for (const QImage& image : {argb, rgb, premultiplied}) {
    const QImage back = DecodeRawPicture(EncodeRawPicture(image));
    EXPECT_EQ(back.format(),
              image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    EXPECT_EQ(back, image.convertToFormat(back.format()));
  }
  const QByteArray good = EncodeRawPicture(argb);
  QByteArray foreign = good;
  foreign[0] = 'X';
  QByteArray huge = good;
  huge[4] = '\xff';
  huge[5] = '\xff';
  for (const QByteArray& bad : {QByteArray(), good.left(15), good.chopped(1), good + "x", foreign,
                                huge}) {
    EXPECT_TRUE(DecodeRawPicture(bad).isNull()) << bad.size();
  }
}

}  // namespace
}  // namespace vemla::ui
