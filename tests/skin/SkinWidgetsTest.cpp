#include <gtest/gtest.h>

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <functional>

#include "ui/ActiveSkin.h"
#include "ui/GlyphButton.h"
#include "ui/Skin.h"
#include "ui/SkinnedWidget.h"

namespace vemla::ui {
namespace {

QImage picture(int w, int h, const std::function<bool(int, int)>& ink) {
  QImage image(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      image.setPixel(x, y, ink(x, y) ? qRgb(250, 250, 250) : qRgb(0, 0, 255));
  }
  return image;
}

QString programSkin(const char* name) {
  return QStringLiteral(VEMLA_SKIN_DIR "/") + QString::fromLatin1(name);
}

TEST(ActiveSkin, CutsTheWindowOnlyWhenTheOutlineHasTwoVertices) {
  struct Case {
    const char* name;
    QImage image;
    bool cut;
    QRegion mask;
  };
  const Case cases[] = {
      {"rectangle",
       picture(15, 15, [](int x, int y) { return x >= 2 && x <= 12 && y >= 2 && y <= 11; }), true,
       QRegion(2, 2, 11, 10)},
      {"all background", picture(15, 15, [](int, int) { return false; }), false, QRegion()},
      {"single pixel", picture(15, 15, [](int x, int y) { return x == 4 && y == 4; }), false,
       QRegion()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QWidget window;
    window.resize(15, 15);
    EXPECT_EQ(ActiveSkin(window, c.image, {0, 0}), c.cut);
    EXPECT_EQ(window.mask(), c.mask);
  }
  QWidget moved;
  moved.resize(15, 15);
  ASSERT_TRUE(ActiveSkin(moved, cases[0].image, {-2, 0}));
  EXPECT_EQ(moved.mask(), QRegion(0, 2, 11, 10));
}

TEST(ActiveSkin, GlyphOffsetCentresAndTruncatesTowardZero) {
  struct Case {
    QSize button, glyph;
    QPoint offset;
  };
  const Case cases[] = {
      {{25, 26}, {30, 30}, {-2, -1}},  // negative halves truncate toward zero
      {{25, 26}, {25, 26}, {0, 0}},
      {{29, 18}, {24, 14}, {3, 2}},
      {{25, 21}, {20, 20}, {3, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(glyphOffset(c.button, c.glyph), c.offset);
}

TEST(ActiveSkin, RealWindowsAreShapedAndKeepTheirControls) {
  Skin skin;
  QWidget main;
  main.resize(Skin::place(SkinWindow::Main, "Form").size());
  ASSERT_TRUE(ActiveSkin(main, skin.outline(Picture::MainBackground),
                         Skin::pictureOffset(SkinWindow::Main)));
  const QRegion mask = main.mask();
  // Shaped, not a rectangle: the corners are cut, the picture's height bounds it.
  EXPECT_FALSE(mask.contains(QPoint(0, 1)));
  EXPECT_FALSE(mask.contains(QPoint(340, 1)));
  EXPECT_FALSE(mask.contains(QPoint(180, 170)));  // the notch
  EXPECT_TRUE(mask.contains(QPoint(150, 80)));
  EXPECT_LE(mask.boundingRect().bottom(), 174);

  QWidget playlist;
  playlist.resize(Skin::place(SkinWindow::Playlist, "Form").size());
  ASSERT_TRUE(ActiveSkin(playlist, skin.outline(Picture::PlaylistBackground), {0, 0}));
  EXPECT_TRUE(playlist.mask().contains(QPoint(344, 200)));
  EXPECT_TRUE(playlist.mask().contains(QPoint(170, 450)));
  EXPECT_FALSE(playlist.mask().contains(QPoint(1, 1)));
}

TEST(GlyphButton, TakesItsPlaceFromTheTableAndIsCutToItsGlyph) {
  Skin skin;
  QWidget window;
  window.resize(344, 237);
  GlyphButton play(&window, "B_Reproducir", Picture::Reproducir, &skin);
  EXPECT_EQ(play.objectName(), "B_Reproducir");
  EXPECT_EQ(play.geometry(), QRect(48, 143, 25, 26));
  CutButtonToGlyph(play);
  const QRegion mask = play.mask();
  ASSERT_FALSE(mask.isEmpty());
  EXPECT_TRUE(mask.contains(QPoint(12, 13)));  // the disc's centre
  EXPECT_FALSE(mask.contains(QPoint(0, 0)));   // its transparent corner
  EXPECT_NE(mask, QRegion(play.rect()));

  GlyphButton mini(&window, "B_repetir", Picture::Repetir, &skin, SkinWindow::Mini);
  EXPECT_EQ(mini.geometry(), QRect(125, 65, 25, 21));

  // Loading a glyph file later does not re-cut the button.
  ASSERT_TRUE(play.loadGlyph(programSkin("b_pausa.bmp")));
  CutButtonToGlyph(play);
  EXPECT_EQ(play.mask(), mask);
}

TEST(GlyphButton, CutKeepsEveryOpaquePixelOfTheGlyph) {
  Skin skin;
  QWidget window;
  const std::pair<const char*, Picture> buttons[] = {
      {"PL_B_menu", Picture::PlMenu},     {"PL_B_Maximizar", Picture::PlMaximizar},
      {"PL_B_Cerrar", Picture::PlCerrar}, {"B_Playlist", Picture::Playlist},
      {"B_repetir", Picture::Repetir},    {"B_Siguiente", Picture::Siguiente}};
  for (const auto& [name, glyph] : buttons) {
    SCOPED_TRACE(name);
    const bool playlist = name[0] == 'P';
    GlyphButton button(&window, name, glyph, &skin,
                       playlist ? SkinWindow::Playlist : SkinWindow::Main);
    CutButtonToGlyph(button);
    const QImage image = button.creationGlyph().convertToFormat(QImage::Format_ARGB32);
    const QPoint offset = glyphOffset(button.size(), image.size());
    int lost = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, y)) > 0 && !button.mask().contains(QPoint(x, y) + offset)) {
          ++lost;
        }
      }
    }
    EXPECT_EQ(lost, 0);
  }
}

TEST(GlyphButton, ClicksWithTheLeftButtonOrSpaceAndPassesOtherKeysOn) {
  Skin skin;
  QWidget window;
  window.resize(344, 237);
  GlyphButton button(&window, "B_Stop", Picture::Stop, &skin);
  CutButtonToGlyph(button);
  window.show();
  QSignalSpy clicks(&button, &SkinnedWidget::clicked);
  QSignalSpy presses(&button, &SkinnedWidget::mousePressed);
  QSignalSpy keys(&button, &SkinnedWidget::keyPressed);
  const QPoint centre(12, 13);

  QTest::mouseClick(&button, Qt::LeftButton, {}, centre);
  EXPECT_EQ(clicks.count(), 1);
  QTest::mouseClick(&button, Qt::RightButton, {}, centre);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_EQ(presses.count(), 2);
  // Pressed on the button, released away from it: no click.
  QTest::mousePress(&button, Qt::LeftButton, {}, centre);
  QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(40, 40));
  EXPECT_EQ(clicks.count(), 1);
  // Released on a cut-away corner: no click either.
  QTest::mousePress(&button, Qt::LeftButton, {}, centre);
  const QPoint corner(1, 1);  // (0, 0) would mean "the centre" to QTest
  ASSERT_FALSE(button.mask().contains(corner));
  QTest::mouseRelease(&button, Qt::LeftButton, {}, corner);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_FALSE(button.isPressed());

  QTest::keyClick(&button, Qt::Key_Space);
  EXPECT_EQ(clicks.count(), 2);
  QTest::keyClick(&button, Qt::Key_X);
  QTest::keyClick(&button, Qt::Key_Shift);
  ASSERT_EQ(keys.count(), 2);
  EXPECT_EQ(keys.at(0).at(0).toInt(), int(Qt::Key_X));
  EXPECT_EQ(keys.at(1).at(0).toInt(), int(Qt::Key_Shift));
}

TEST(GlyphButton, GlyphFilesAreKeyedOnTheirCornerColourAndBadFilesAreRefused) {
  Skin skin;
  QWidget window;
  GlyphButton mute(&window, "B_silencio", Picture::Silencio, &skin);
  const QSize before = mute.glyphSize();
  EXPECT_FALSE(mute.loadGlyph(programSkin("no_such_glyph.bmp")));
  EXPECT_EQ(mute.glyphSize(), before);
  ASSERT_TRUE(mute.loadGlyph(programSkin("b_silencio2.bmp")));
  EXPECT_EQ(mute.glyphSize(), QSize(25, 26));
  // A user's replacement saved as PNG under the BMP name still shows.
  QTemporaryDir dir;
  QImage png(20, 21, QImage::Format_RGB32);
  png.fill(Qt::red);
  ASSERT_TRUE(png.save(dir.filePath("b_silencio.bmp"), "PNG"));
  ASSERT_TRUE(mute.loadGlyph(dir.filePath("b_silencio.bmp")));
  EXPECT_EQ(mute.glyphSize(), QSize(20, 21));

  const QImage keyed = keyedGlyph(QImage(programSkin("b_silencio2.bmp")));
  EXPECT_EQ(qAlpha(keyed.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(keyed.pixel(12, 13)), 255);
  QImage withAlpha(4, 4, QImage::Format_ARGB32);
  withAlpha.fill(qRgba(1, 2, 3, 255));
  EXPECT_EQ(keyedGlyph(withAlpha), withAlpha);  // alpha pictures are left as they are
}

TEST(GlyphButton, DoubleSizeCompanionNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"/opt/vp/skin/b_play.bmp", "/opt/vp/skin/b_play@2x.bmp"},
      {"/opt/v.p/skin/b_play", "/opt/v.p/skin/b_play@2x"},
      {"/opt/vp/skin/.hidden", "/opt/vp/skin/.hidden@2x"},
      {"b.x.bmp", "b.x@2x.bmp"},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(doubleSizeName(in), QString(out)) << in;
}

TEST(SkinnedWidget, PaintsItsPictureAtTheDevicePixelRatio) {
  Skin skin;
  SkinnedWidget knob(nullptr, "bot_despl", &skin, Picture::PositionKnob);
  EXPECT_EQ(knob.size(), QSize(32, 9));
  const QImage shot = knob.grab().toImage();
  EXPECT_EQ(shot.size(), QSize(32, 9) * shot.devicePixelRatio());
  // The knob's middle is painted, not left empty.
  EXPECT_GT(qAlpha(shot.pixel(shot.width() / 2, shot.height() / 2)), 0);
}

}  // namespace
}  // namespace vemla::ui
