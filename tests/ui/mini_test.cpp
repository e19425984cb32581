// The mini window and the tray on the offscreen platform (which has no notification area; the
// tray's probe stands in for one where a test needs it), over a scripted audio layer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <filesystem>

#include "FakeAudio.h"
#include "core/Player.h"
#include "core/Settings.h"
#include "support/Fixtures.h"
#include "ui/AccessibleControl.h"
#include "ui/GlyphButton.h"
#include "ui/QtPlayerView.h"
#include "ui/QtSettingsWindows.h"
#include "ui/TFmini.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"
#include "ui/VemlaTray.h"

using namespace vemla;
using ui::TFmini;

namespace {

class MiniTest : public ::testing::Test {
 protected:
  MiniTest() {
    player.SetDefaults((test::tempDir() / "VemlaPlayer").string());
    // The glyph files the build draws beside the program.
    player.ProgramDir = std::string(std::getenv("VEMLA_PROGRAM_DIR")) + "/";
    main = std::make_unique<ui::TVemlaMain>(player);
    playlist = std::make_unique<ui::TPlaylist>(player);
    main->setPlaylistWindow(playlist.get());
    view = std::make_unique<ui::QtPlayerView>(*main, playlist.get());
    player.SetView(view.get());
    mini = std::make_unique<TFmini>(player, *main);
    main->setMiniWindowHooks({[this](const QString& t) { mini->setTime(t); },
                              [this](int left) { mini->setKnobLeft(left); },
                              [this](const QString& t) { mini->setTitle(t); }});
    tray = std::make_unique<ui::VemlaTray>(player, *main, playlist.get(), *mini);
    tray->setTrayProbe([this] { return trayThere; });
  }
  ~MiniTest() override {
    player.SetView(nullptr);
    tray.reset();
    main->setMiniWindowHooks({});
  }

  void addSongs(int n) {
    for (int i = 0; i < n; ++i) {
      player.AddFileEntry(test::writeFile("song" + std::to_string(i) + ".wav", "x").string());
    }
    playlist->selectRow(0);
  }
  template <class T = QWidget>
  T* child(const char* name) {
    return mini->findChild<T*>(name);
  }
  void press(const char* name) { QTest::mouseClick(child(name), Qt::LeftButton); }
  void showUp() {
    main->show();
    playlist->show();
  }

  bool trayThere = true;
  test::FakeAudio audio;
  core::Player player{audio};
  std::unique_ptr<ui::TVemlaMain> main;
  std::unique_ptr<ui::TPlaylist> playlist;
  std::unique_ptr<ui::QtPlayerView> view;
  std::unique_ptr<TFmini> mini;
  std::unique_ptr<ui::VemlaTray> tray;
};

TEST_F(MiniTest, ControlsSitAtTheirPlacesAndNameThemselves) {
  EXPECT_EQ(mini->size(), QSize(150, 100));
  EXPECT_TRUE(mini->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(mini->windowFlags().testFlag(Qt::Tool)) << "no task-bar entry of its own";
  struct Control {
    const char* name;
    QRect place;
    const char* hint;
  } controls[] = {
      {"B_Cerrar", {139, 16, 11, 10}, "Ocultar MiniVemla"},
      {"B_Max", {139, 29, 11, 10}, "Maximizar"},
      {"B_anterior", {19, 74, 25, 26}, "Anterior"},
      {"B_Reproducir", {44, 74, 25, 26}, "Reproducir"},
      {"B_Stop", {69, 74, 25, 26}, "Parar"},
      {"B_Siguiente", {94, 74, 25, 26}, "Siguiente"},
      {"B_silencio", {125, 42, 25, 26}, "Silencio"},
      {"B_repetir", {125, 65, 25, 21}, "Repetir"},
      {"B_Random", {125, 79, 25, 21}, "Aleatorio"},
  };
  for (const auto& c : controls) {
    QWidget* w = child(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->geometry(), c.place) << c.name;
    EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.hint)) << c.name;
    EXPECT_EQ(ui::accessibleNameOf(w), QString::fromUtf8(c.hint)) << c.name;
  }
  EXPECT_EQ(mini->Pant_tiempo()->geometry(), QRect(36, 24, 77, 23));
  EXPECT_EQ(ui::accessibleNameOf(mini->Pant_tiempo()), "00:00");
  EXPECT_EQ(mini->bot_despl()->geometry(), QRect(25, 60, 12, 7));
  EXPECT_EQ(ui::accessibleNameOf(mini->bot_despl()), QString::fromUtf8("Posición 00:00"));
  EXPECT_TRUE(mini->punto_repetir()->isHidden());
  // Red is see-through; the body and the buttons cut to their glyphs are not.
  EXPECT_FALSE(mini->mask().contains(QPoint(1, 1)));
  EXPECT_TRUE(mini->mask().contains(QPoint(75, 50)));
  EXPECT_FALSE(child("B_Reproducir")->mask().isEmpty());
}

TEST_F(MiniTest, MinimiseAndRestoreMoveExactlyTheWindowsThatWereUp) {
  showUp();
  main->B_MinClick();
  EXPECT_TRUE(player.MiniShown && player.MiniPrimed);
  EXPECT_TRUE(mini->isVisible());
  EXPECT_TRUE(mini->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_EQ(qRound(mini->windowOpacity() * 255), 160);
  EXPECT_FALSE(main->isVisible());
  EXPECT_FALSE(playlist->isVisible());

  // Shown or hidden only while the main window is away.
  tray->MostrarMiniVemla1Click();
  EXPECT_FALSE(mini->isVisible());
  tray->MostrarMiniVemla1Click();
  EXPECT_TRUE(mini->isVisible());

  tray->CoolTrayIcon1DblClick();
  EXPECT_FALSE(player.MiniShown);
  EXPECT_FALSE(mini->isVisible());
  EXPECT_FALSE(mini->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(playlist->isVisible());
  tray->MostrarMiniVemla1Click();
  EXPECT_FALSE(mini->isVisible()) << "does nothing while the main window shows";

  // The playlist was closed: it stays closed across the next round trip, via "Maximizar".
  playlist->hide();
  tray->MostrarEsconderVentana1Click();
  EXPECT_TRUE(mini->isVisible());
  EXPECT_FALSE(main->isVisible());
  mini->B_CerrarClick();
  EXPECT_FALSE(mini->isVisible());
  EXPECT_FALSE(main->isVisible()) << "the tray is there to bring it back";
  mini->B_CerrarClick();  // not up: nothing
  tray->MostrarMiniVemla1Click();
  QTest::mouseClick(child("B_Max"), Qt::LeftButton);
  EXPECT_FALSE(player.MiniShown);
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(playlist->isVisible());
}

TEST_F(MiniTest, WithoutATrayTheMainWindowStaysInTheTaskBar) {
  trayThere = false;
  showUp();
  main->B_MinClick();
  EXPECT_TRUE(mini->isVisible());
  EXPECT_TRUE(main->isMinimized());
  EXPECT_FALSE(playlist->isVisible());
  mini->B_CerrarClick();
  EXPECT_FALSE(mini->isVisible());
  EXPECT_TRUE(main->isMinimized());

  // Brought back from the task bar: the playlist returns, the mini window stays away.
  main->showNormal();
  QTRY_VERIFY_WITH_TIMEOUT(playlist->isVisible(), 10000);
  EXPECT_FALSE(player.MiniShown);
  EXPECT_FALSE(tray->mainAway());

  // A tray that appears later is used from the next minimise on.
  trayThere = true;
  main->B_MinClick();
  EXPECT_FALSE(main->isVisible());
  EXPECT_TRUE(mini->isVisible());
}

TEST_F(MiniTest, RapidMinimiseAndRestoreLeaveOneMiniWindow) {
  showUp();
  for (int i = 0; i < 200; ++i) {
    trayThere = i % 3 != 0;
    main->B_MinClick();
    QApplication::processEvents();
    if (i % 2) {
      tray->CoolTrayIcon1DblClick();
    } else {
      mini->B_MaxClick();
    }
    QApplication::processEvents();
  }
  int minis = 0;
  for (QWidget* w : QApplication::topLevelWidgets()) minis += qobject_cast<TFmini*>(w) != nullptr;
  EXPECT_EQ(minis, 1);
  EXPECT_FALSE(mini->isVisible());
  EXPECT_FALSE(player.MiniShown);
  EXPECT_TRUE(main->isVisible() && !main->isMinimized());
  EXPECT_TRUE(playlist->isVisible());
}

TEST_F(MiniTest, TrayMenuItemsInOrderAndRefreshedBeforeOpening) {
  QStringList got;
  for (QAction* a : tray->P_Tray()->actions()) {
    got << (a->isSeparator() ? "-" : (a->isEnabled() ? "" : "!") + a->text());
    if (QMenu* sub = a->menu()) {
      for (QAction* s : sub->actions()) got << "  " + s->text();
    }
  }
  const QStringList want = {QString::fromUtf8("!Cancion nº 0 = \"...\""),
                            QString::fromUtf8("Reproducción"),
                            "  Play",
                            "  Pausa",
                            "  << Anterior",
                            "  Siguiente >>",
                            "  Stop",
                            "-",
                            "Mostrar/Esconder MiniVemla",
                            "Mostrar/Esconder Ventana",
                            "-",
                            "!Volumen Actual: 0%",
                            "Volumen",
                            "  Silencio",
                            "  10%",
                            "  25%",
                            "  50%",
                            "  75%",
                            "  Maximo",
                            "-",
                            "Repetir",
                            "Aleatorio",
                            "-",
                            "Cerrar"};
  EXPECT_EQ(got, want);
  EXPECT_EQ(tray->CoolTrayIcon1()->toolTip(), "VemlaPlayer v1.0b");
  EXPECT_FALSE(tray->CoolTrayIcon1()->icon().isNull());

  struct Case {
    int knobAlong;
    const char* shown;
  } cases[] = {{37, "Volumen Actual: 50%"},
               {0, "Volumen Actual: 0%"},
               {75, "Volumen Actual: 100%"},
               {7, "Volumen Actual: 10%"},
               {56, "Volumen Actual: 75%"}};
  for (const auto& c : cases) {
    player.SetVolumeKnobLeft(220 + c.knobAlong);
    tray->P_TrayPopup();
    EXPECT_EQ(tray->item("VolumenActual01")->text(), c.shown) << c.knobAlong;
  }
  main->B_repetirClick();
  tray->P_TrayPopup();
  EXPECT_TRUE(tray->item("Repetir2")->isChecked());
  EXPECT_FALSE(tray->item("Aleatorio2")->isChecked());

  // A song's text is shown as it stands, "&" included.
  tray->setSongCaption(QString::fromUtf8("Cancion nº Simon & Garfunkel..."));
  EXPECT_EQ(tray->item("cancion")->text(), QString::fromUtf8("Cancion nº Simon && Garfunkel..."));
}

TEST_F(MiniTest, MuteIsSharedAndTheTrayAlwaysMutes) {
  player.SetVolumeKnobLeft(260);
  press("B_silencio");
  EXPECT_TRUE(player.Muted);
  EXPECT_EQ(main->bot_vol()->x(), 220);
  EXPECT_EQ(main->muteGlyphName(), "b_silencio2.bmp");
  EXPECT_EQ(mini->muteGlyphName(), "b_silencio2.bmp");
  press("B_silencio");
  EXPECT_FALSE(player.Muted);
  EXPECT_EQ(main->bot_vol()->x(), 260);
  EXPECT_EQ(mini->muteGlyphName(), "b_silencio.bmp");

  tray->item("Silencio1")->trigger();
  tray->item("Silencio1")->trigger();
  EXPECT_TRUE(player.Muted);
  EXPECT_EQ(main->bot_vol()->x(), 220);
  EXPECT_EQ(mini->muteGlyphName(), "b_silencio2.bmp");
  // Muting twice kept the volume to come back to.
  main->B_silencioClick();
  EXPECT_EQ(main->bot_vol()->x(), 260);
}

TEST_F(MiniTest, RepeatAndRandomDotsFollowTheStateOnBothWindows) {
  auto mainDot = [this](const char* n) { return !main->findChild<QWidget*>(n)->isHidden(); };
  press("B_repetir");
  EXPECT_TRUE(player.RepeatMode);
  EXPECT_TRUE(mainDot("punto_repetir"));
  EXPECT_FALSE(mini->punto_repetir()->isHidden());
  press("B_repetir");
  EXPECT_FALSE(player.RepeatMode);
  EXPECT_FALSE(mainDot("punto_repetir"));
  EXPECT_TRUE(mini->punto_repetir()->isHidden());
  // From the tray and from a key typed in the mini window, the mini dots follow too.
  tray->item("Aleatorio2")->trigger();
  EXPECT_FALSE(mini->punto_random()->isHidden());
  QTest::keyClick(mini.get(), Qt::Key_S);
  // Its time label switches the shared time mode.
  const int mode = player.TimeMode;
  QTest::mouseClick(mini->Pant_tiempo(), Qt::LeftButton);
  EXPECT_NE(player.TimeMode, mode);
  EXPECT_FALSE(player.RandomMode);
  EXPECT_TRUE(mini->punto_random()->isHidden());
  EXPECT_FALSE(mainDot("punto_random"));
}

TEST_F(MiniTest, PlayButtonPlaysPausesAndResumesWithItsGlyph) {
  addSongs(2);
  press("B_Reproducir");
  EXPECT_EQ(player.List.CurrentEntry, 1);
  EXPECT_FALSE(player.Stopped);
  // A title too short to scroll shows at once too.
  EXPECT_FALSE(mini->Pant_Titulo()->text().isEmpty());
  EXPECT_EQ(mini->Pant_Titulo()->text(), main->Pant_titulo()->text());
  press("B_Reproducir");
  EXPECT_TRUE(player.Paused);
  EXPECT_EQ(mini->playGlyphName(), "b_pausa.bmp");
  press("B_Reproducir");
  EXPECT_FALSE(player.Paused);
  EXPECT_EQ(mini->playGlyphName(), "b_play.bmp");
  // A screen reader presses it the same way.
  EXPECT_TRUE(ui::pressAccessibly(child("B_Siguiente")));
  EXPECT_EQ(player.List.CurrentEntry, 2);
  press("B_anterior");
  EXPECT_EQ(player.List.CurrentEntry, 1);
  // Paused, stopped, started again: the glyph does not keep saying "paused".
  press("B_Reproducir");
  press("B_Stop");
  EXPECT_TRUE(player.Stopped);
  press("B_Reproducir");
  EXPECT_FALSE(player.Stopped);
  EXPECT_EQ(mini->playGlyphName(), "b_play.bmp");
}

TEST_F(MiniTest, MissingGlyphFilesWarnOnceAndKeepTheButtonsWorking) {
  player.ProgramDir = (test::tempDir() / "nothing-here").string() + "/";
  addSongs(1);
  int warnings = 0;
  static int* counter = nullptr;
  counter = &warnings;
  QtMessageHandler old =
      qInstallMessageHandler([](QtMsgType t, const QMessageLogContext&, const QString& m) {
        if (t == QtWarningMsg && m.contains("b_")) ++*counter;
      });
  press("B_Reproducir");
  press("B_Reproducir");  // paused: b_pausa.bmp is missing
  press("B_Reproducir");
  press("B_silencio");
  qInstallMessageHandler(old);
  EXPECT_FALSE(player.Paused);
  EXPECT_TRUE(player.Muted);
  EXPECT_EQ(mini->playGlyphName(), "b_play.bmp");
  // One from this window; the main window tells about its own mute glyph once.
  EXPECT_LE(warnings, 2);
  EXPECT_GE(warnings, 1);
  auto* play = child<ui::GlyphButton>("B_Reproducir");
  EXPECT_FALSE(play->glyphSize().isEmpty()) << "the built-in drawing is shown";
}

TEST_F(MiniTest, KnobSeeksWithItsOwnOffsetsAndDropsSnapToTheEdges) {
  audio.lengthSeconds = 390;
  addSongs(1);
  press("B_Reproducir");
  mini->bot_desplMouseDown(Qt::RightButton);
  mini->bot_desplMouseMove(-500);
  EXPECT_EQ(mini->bot_despl()->x(), 25) << "a right button does not drag";
  struct Case {
    int cursorX, knob;
    long long seconds;
  } cases[] = {{-500, 25, 390 / 78}, {900, 100, 76 * 390 / 78}, {56, 50, 26 * 390 / 78}};
  for (const auto& c : cases) {
    mini->bot_desplMouseDown(Qt::LeftButton);
    mini->bot_desplMouseMove(c.cursorX);
    mini->bot_desplMouseUp();
    EXPECT_EQ(mini->bot_despl()->x(), c.knob);
    EXPECT_EQ(audio.lastSetPosition, c.seconds * 176400) << c.cursorX;
  }
  mini->bot_desplMouseMove(10);
  EXPECT_EQ(mini->bot_despl()->x(), 50) << "released: moves do nothing";
  EXPECT_EQ(ui::accessibleNameOf(mini->bot_despl()), QString::fromUtf8("Posición 02:10"));

  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  mini->move(screen.topLeft() + QPoint(10, 5));
  mini->endDrag();
  EXPECT_EQ(mini->pos(), screen.topLeft() + QPoint(0, -3));
  mini->move(screen.topLeft() + QPoint(screen.width() - 160, 300));
  mini->endDrag();
  EXPECT_EQ(mini->pos(), screen.topLeft() + QPoint(screen.width() - 149, 300));
}

TEST_F(MiniTest, SavedPlaceComesBackAndABadOneLandsOnAScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  ui::QtSettingsWindows windows(main.get(), playlist.get(), mini.get(), player.ProgramDir);
  const std::string ini = (test::tempDir() / "mini.ini").string();
  struct Case {
    const char* posx;
    const char* posy;
    bool exact;
  } cases[] = {{"120", "-3", true}, {"abc", "99999", false}, {"-40000", "x1", false}};
  for (const auto& c : cases) {
    mini->move(area.topLeft() + QPoint(50, 50));
    test::writeFile("mini.ini", std::string("[GENERAL]\r\nREPETIR=SI\r\n[MINIVEMLA]\r\nPOSX=") +
                                    c.posx + "\r\nPOSY=" + c.posy + "\r\n");
    core::LoadSettings(player, windows, ini);
    const QRect r = mini->geometry();
    if (c.exact) {
      EXPECT_EQ(mini->pos(), QPoint(120, -3));
    } else {
      EXPECT_TRUE(area.intersected(r).width() * 2 >= r.width() &&
                  area.intersected(r).height() * 2 >= r.height())
          << c.posx << "," << c.posy << " -> " << r.x() << "," << r.y();
    }
    EXPECT_TRUE(player.RepeatMode);
    EXPECT_FALSE(mini->punto_repetir()->isHidden());
  }
  mini->move(77, 88);
  ASSERT_TRUE(core::SaveSettings(player, windows, ini));
  const std::string saved = test::readFile(ini);
  EXPECT_NE(saved.find("[MINIVEMLA]\r\nPOSX=77\r\nPOSY=88"), std::string::npos) << saved;
}

}  // namespace
