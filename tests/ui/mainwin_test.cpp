// The main window on the offscreen platform: controls, menus, keys, knobs, time, titles, fade
// and docking, driven through a real Player over a scripted audio layer.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTest>
#include <QWindow>
#include <thread>

#include "FakeAudio.h"
#include "core/Player.h"
#include "core/Settings.h"
#include "support/Fixtures.h"
#include "ui/AccessibleControl.h"
#include "ui/FxPanel.h"
#include "ui/MainMenus.h"
#include "ui/QtPlayerView.h"
#include "ui/QtSettingsWindows.h"
#include "ui/TAcerca.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"

using namespace vemla;
using ui::TVemlaMain;

namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  MainWindowTest() {
    player.SetDefaults((test::tempDir() / "VemlaPlayer").string());
    main = std::make_unique<TVemlaMain>(player);
    playlist = std::make_unique<ui::TPlaylist>(player);
    main->setPlaylistWindow(playlist.get());
    view = std::make_unique<ui::QtPlayerView>(*main, playlist.get());
    player.SetView(view.get());
  }
  ~MainWindowTest() override { player.SetView(nullptr); }

  // Adds an entry for a real (empty) file; the scripted layer gives it its length.
  void addSong(const std::string& name) {
    player.AddFileEntry(test::writeFile(name, "x").string());
  }
  void playFirst() {
    playlist->selectRow(0);
    main->DispatchKey('X');
  }
  QWidget* child(const char* name) { return main->findChild<QWidget*>(name); }
  void key(QWidget* w, Qt::Key k, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(w, &press);
  }

  test::FakeAudio audio;
  core::Player player{audio};
  std::unique_ptr<TVemlaMain> main;
  std::unique_ptr<ui::TPlaylist> playlist;
  std::unique_ptr<ui::QtPlayerView> view;
};

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesWithTheirHints) {
  EXPECT_EQ(main->windowTitle(), "VemlaPlayer v1.0b");
  EXPECT_EQ(main->size(), QSize(344, 237));
  EXPECT_EQ(main->pos(), QPoint(332, 96));
  struct Control {
    const char* name;
    QRect place;
    const char* hint;
  } controls[] = {
      {"Image1", {-2, 0, 345, 175}, ""},
      {"B_menu", {3, 8, 11, 10}, "Menu"},
      {"B_Min", {297, 6, 11, 10}, "Minimizar"},
      {"B_Max", {310, 6, 11, 10}, "Maximizar"},
      {"B_Cerrar", {323, 6, 11, 10}, "Cerrar"},
      {"Pant_tiempo", {12, 48, 85, 27}, ""},
      {"Pant_titulo", {12, 102, 291, 17}, ""},
      {"Despl_pos", {6, 128, 295, 9}, ""},
      {"bot_despl", {6, 128, 32, 9}, ""},
      {"Despl_Vol", {220, 158, 83, 9}, ""},
      {"bot_vol", {277, 161, 12, 7}, ""},
      {"B_repetir", {317, 37, 25, 21}, "Repetir"},
      {"B_Random", {317, 57, 25, 21}, "Aleatorio"},
      {"B_Playlist", {312, 80, 29, 18}, "Lista de Canciones"},
      {"B_info", {312, 100, 29, 18}, "Información de canción"},
      {"B_fx", {312, 119, 29, 18}, "Efectos Especiales"},
      {"B_anterior", {19, 141, 25, 26}, "Anterior"},
      {"B_Reproducir", {48, 143, 25, 26}, "Reproducir"},
      {"B_Pausa", {79, 143, 25, 26}, "Pausa"},
      {"B_Stop", {109, 143, 25, 26}, "Parar"},
      {"B_Siguiente", {139, 141, 25, 26}, "Siguiente"},
      {"B_silencio", {193, 145, 25, 26}, "Silencio"},
      {"Pant_FXD", {195, 64, 99, 35}, ""},
      {"Bevel1", {195, 62, 101, 39}, ""},
      {"B_Archivo", {10, 22, 47, 13}, ""},
      {"B_Ver", {153, 22, 25, 13}, ""},
  };
  for (const auto& c : controls) {
    QWidget* w = child(c.name);
    ASSERT_NE(w, nullptr) << c.name;
    EXPECT_EQ(w->geometry(), c.place) << c.name;
    EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.hint)) << c.name;
  }
  for (const char* hidden : {"bot_despl", "punto_repetir", "punto_random", "B_Archivo", "B_Play",
                             "B_Opciones", "B_Ver", "B_Ayuda"}) {
    EXPECT_TRUE(child(hidden)->isHidden()) << hidden;
  }
  EXPECT_FALSE(child("Despl_pos")->isEnabled());
  EXPECT_EQ(main->Pant_tiempo()->text(), "00:00");
  EXPECT_TRUE(main->Pant_titulo()->text().isEmpty());

  const QFont time = main->Pant_tiempo()->font();
  EXPECT_TRUE(time.bold());
  EXPECT_EQ(time.pixelSize(), 20);
  EXPECT_EQ(main->Pant_tiempo()->palette().color(QPalette::WindowText), QColor(0, 255, 255));
  EXPECT_EQ(main->Pant_titulo()->font().family(), "Arial");
  EXPECT_EQ(main->Pant_titulo()->font().pixelSize(), 16);
  EXPECT_EQ(main->Tinfo2()->palette().color(QPalette::WindowText), QColor(192, 192, 192));
  EXPECT_TRUE(main->Tinfo3()->font().bold());

  const char* labels[5][2] = {{"F_archivo", "Archivo"},
                              {"F_Play", "Play"},
                              {"F_Opciones", "Opciones"},
                              {"F_Ver", "Ver"},
                              {"F_Ayuda", "Ayuda"}};
  const int lefts[5] = {12, 62, 94, 156, 184};
  for (int i = 0; i < 5; ++i) {
    auto* l = main->findChild<QLabel*>(labels[i][0]);
    ASSERT_NE(l, nullptr) << labels[i][0];
    EXPECT_EQ(l->text(), labels[i][1]);
    EXPECT_EQ(l->pos(), QPoint(lefts[i], 22));
    EXPECT_EQ(main->menus().popupPoint(i), main->pos() + QPoint(lefts[i], 40));
  }
  // The window is cut to its skin.
  EXPECT_FALSE(main->mask().isEmpty());
}

TEST_F(MainWindowTest, MenusListEveryItemWithShortcutAndState) {
  // "-" is a separator, a leading "!" a disabled item.
  const std::vector<std::pair<QMenu*, QStringList>> menus = {
      {main->menus().P_Archivo(),
       {"Abrir Archivo\tL", "!Abrir URL\tCtrl+L", "!Abrir Favoritos\tCtrl+F", "-",
        "Abrir Lista\tCtrl+O", "Salvar Lista\tCtrl+S", "-", "Salir\tAlt+F4"}},
      {main->menus().P_Play(),
       {"Anterior\tZ", "Play\tX", "Pausa\tC", "Parar\tV", "Siguiente\tB", "-",
        "Atras 5 segundos\tA", "Adelante 5 segundos\tD", "-", "Repetir\tR", "Aleatorio\tS", "-",
        "Subir Volumen\tQ", "Bajar Volumen\tE"}},
      {main->menus().P_Opciones(),
       {"Skins", "Efectos Especiales", "-", "Cambiar Tiempo Transcurrido\tAlt+T", "-",
        "!Siempre Arriba\tCtrl+A", "-", "Preferencias\tCtrl+P"}},
      {main->menus().P_Ver(),
       {"Playlist\tCtrl+P", "Información\tCtrl+I", "!Efectos Especiales\tCtrl+E"}},
      {main->menus().P_Ayuda(), {"!Ayuda\tF1", "-", "A cerca de...\tCtrl+H"}},
      {main->menus().MenuPOPUP(), {"A cerca de...", "-"}},
  };
  for (const auto& [menu, want] : menus) {
    QStringList got;
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) {
        got << "-";
      } else {
        got << (a->isEnabled() ? "" : "!") + a->text();
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->text().toStdString();
      }
    }
    EXPECT_EQ(got, want) << menu->objectName().toStdString();
  }
  QMenu* skins = main->menus().P_Opciones()->actions()[0]->menu();
  ASSERT_NE(skins, nullptr);
  ASSERT_EQ(skins->actions().size(), 1);
  EXPECT_EQ(skins->actions()[0]->text(), "Propiedades");
  EXPECT_FALSE(skins->actions()[0]->isEnabled());
  QMenu* fx = main->menus().P_Opciones()->actions()[1]->menu();
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(fx->actions()[0]->text(), "Configuración");
  EXPECT_FALSE(fx->actions()[0]->isEnabled());
}

TEST_F(MainWindowTest, HoverShowsOnlyTheBevelOfTheLabel) {
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(child("F_Ver"), &enter);
  QApplication::sendEvent(child("F_Play"), &enter);
  EXPECT_TRUE(child("B_Play")->isVisibleTo(main.get()));
  EXPECT_FALSE(child("B_Ver")->isVisibleTo(main.get()));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(child("F_Play"), &leave);
  EXPECT_FALSE(child("B_Play")->isVisibleTo(main.get()));
}

TEST_F(MainWindowTest, KeysOnWindowAndButtonsInBothCases) {
  addSong("one.wav");
  addSong("two.wav");
  playlist->selectRow(0);
  key(main.get(), Qt::Key_X, "x");
  EXPECT_EQ(player.List.CurrentEntry, 1);
  EXPECT_NE(player.CurrentSlot, -1);
  EXPECT_TRUE(main->Contador()->isActive());
  EXPECT_TRUE(child("bot_despl")->isVisibleTo(main.get()));

  key(child("B_Stop"), Qt::Key_V, "v");  // keys on a glyph button reach the same table
  EXPECT_EQ(player.Stopped, 1);
  EXPECT_FALSE(main->Contador()->isActive());
  key(child("B_Reproducir"), Qt::Key_X, "X");
  EXPECT_EQ(player.Stopped, 0);
  key(main.get(), Qt::Key_B, "b");
  EXPECT_EQ(player.List.CurrentEntry, 2);

  for (const char* text : {"r", "R"}) {
    const uint8_t before = player.RepeatMode;
    key(main.get(), Qt::Key_R, text);
    EXPECT_NE(player.RepeatMode, before);
    EXPECT_EQ(child("punto_repetir")->isVisibleTo(main.get()), player.RepeatMode != 0);
  }
  key(child("B_fx"), Qt::Key_S, "s");
  EXPECT_EQ(player.RandomMode, 1);
  EXPECT_TRUE(child("punto_random")->isVisibleTo(main.get()));

  // Shift alone shows and hides the playlist window.
  key(main.get(), Qt::Key_Shift);
  EXPECT_EQ(player.PlaylistVisible, 1);
  EXPECT_TRUE(playlist->isVisible());
  key(main.get(), Qt::Key_Shift);
  EXPECT_EQ(player.PlaylistVisible, 0);
  EXPECT_FALSE(playlist->isVisible());

  // A and D turn the volume, Q and E skip.
  const int vol = player.VolumeKnobLeft;
  key(main.get(), Qt::Key_A, "a");
  EXPECT_EQ(player.VolumeKnobLeft, vol - 5);
  key(main.get(), Qt::Key_D, "D");
  key(main.get(), Qt::Key_D, "d");
  EXPECT_EQ(player.VolumeKnobLeft, vol + 5);
  EXPECT_EQ(child("bot_vol")->x(), vol + 5);
  const int knob = main->bot_despl()->x();
  key(main.get(), Qt::Key_E, "e");
  EXPECT_EQ(main->bot_despl()->x(), knob + 16);
  key(main.get(), Qt::Key_Q, "Q");
  EXPECT_EQ(main->bot_despl()->x(), knob);
}

TEST_F(MainWindowTest, SkipBackFromKnob106SeeksTo85Seconds) {
  addSong("song.wav");
  playFirst();
  ASSERT_EQ(player.List.Entries[1].LengthSeconds, 260);
  audio.positionSeconds = 100.4;
  main->ContadorTimer();
  ASSERT_EQ(main->bot_despl()->x(), 106);
  main->skipBack();
  EXPECT_EQ(main->bot_despl()->x(), 90);
  EXPECT_EQ(audio.lastSetPosition, static_cast<int64_t>(85 * test::FakeAudio::kBytesPerSecond));
  // Skips stop at the ends of the bar.
  for (int i = 0; i < 20; ++i) main->skipForward();
  EXPECT_EQ(main->bot_despl()->x(), 271);

  // Nothing current: the hidden knob moves, nothing is sought.
  player.StopPlayback();
  audio.lastSetPosition = -1;
  main->skipBack();
  EXPECT_EQ(audio.lastSetPosition, -1);
}

TEST_F(MainWindowTest, DraggingAndClickingThePositionBarSeeks) {
  addSong("song.wav");
  playFirst();
  QWidget* knob = child("bot_despl");
  QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(16, 4));
  EXPECT_EQ(player.SeekDragging, 1);
  // The cursor ends 110 pixels right of the knob's left edge (at 6): the knob's left edge
  // follows at cursor - 16.
  QMouseEvent move(QEvent::MouseMove, QPointF(110, 4), knob->mapToGlobal(QPointF(110, 4)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(knob, &move);
  const int expected = 6 + 110 - 16;
  EXPECT_EQ(knob->x(), expected);
  EXPECT_EQ(audio.lastSetPosition,
            static_cast<int64_t>((expected - 5) * 260 / 260 * test::FakeAudio::kBytesPerSecond));
  QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(10, 4));
  EXPECT_EQ(player.SeekDragging, 0);

  QTest::mouseClick(child("Despl_pos"), Qt::LeftButton, {}, QPoint(200, 4));
  EXPECT_EQ(knob->x(), 6 + 200 - 16);
  QTest::mouseClick(child("Despl_pos"), Qt::LeftButton, {}, QPoint(2, 4));
  EXPECT_EQ(knob->x(), 6);
}

TEST_F(MainWindowTest, VolumeKnobMuteAndPresets) {
  addSong("song.wav");
  playFirst();
  QWidget* knob = child("bot_vol");
  // Drag the knob to the left end of its track: mute with saved place 222.
  QTest::mousePress(knob, Qt::LeftButton, {}, QPoint(5, 3));
  QMouseEvent move(QEvent::MouseMove, QPointF(5, 3), knob->mapToGlobal(QPointF(-200, 3)),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(knob, &move);
  QTest::mouseRelease(knob, Qt::LeftButton, {}, QPoint(5, 3));
  EXPECT_EQ(knob->x(), 220);
  EXPECT_EQ(player.Muted, 1);
  EXPECT_EQ(player.SavedVolume, 222);
  EXPECT_EQ(main->muteGlyphName(), "b_silencio2.bmp");
  EXPECT_EQ(audio.lastVolume, 0);
  // The mute button then brings volume 2 back, even though the glyph file is missing here.
  QTest::mouseClick(child("B_silencio"), Qt::LeftButton, {}, QPoint(12, 13));
  EXPECT_EQ(player.Muted, 0);
  EXPECT_EQ(player.VolumeKnobLeft, 222);
  EXPECT_EQ(audio.lastVolume, 2);
  EXPECT_EQ(main->muteGlyphName(), "b_silencio.bmp");

  main->SetVolumePercent(100);
  EXPECT_EQ(audio.lastVolume, 75);
  main->SetVolumePercent(50);
  EXPECT_EQ(knob->x(), 257);
  main->B_silencioClick();
  EXPECT_EQ(audio.lastVolume, 0);
  EXPECT_EQ(player.SavedVolume, 257);
  main->B_silencioClick();
  EXPECT_EQ(audio.lastVolume, 37);
  main->SetVolumePercent(0);
  EXPECT_EQ(player.Muted, 1);
  EXPECT_EQ(player.SavedVolume, 222);

  // A click on the track places the knob under the cursor.
  QTest::mouseClick(child("Despl_Vol"), Qt::LeftButton, {}, QPoint(40, 4));
  EXPECT_EQ(knob->x(), 220 + 40 - 5);
  EXPECT_EQ(player.Muted, 0);
  EXPECT_EQ(audio.lastVolume, 35);
}

TEST_F(MainWindowTest, TimeDisplayModesAndCounter) {
  // Nothing current: zero in either mode.
  QTest::mouseClick(main->Pant_tiempo(), Qt::LeftButton);
  EXPECT_EQ(player.TimeMode, 1);
  EXPECT_EQ(main->Pant_tiempo()->text(), "00:00");
  main->Pant_tiempoClick();
  EXPECT_EQ(main->Pant_tiempo()->text(), "-00:00");

  addSong("song.wav");
  audio.lengthSeconds = 3725;
  playFirst();
  audio.positionSeconds = 125.2;
  main->ContadorTimer();
  EXPECT_EQ(main->Pant_tiempo()->text(), "-60:00");
  EXPECT_TRUE(main->Contador()->isActive());
  main->Pant_tiempoClick();
  EXPECT_EQ(main->Pant_tiempo()->text(), "02:05");
  audio.positionSeconds = 3725;
  main->ContadorTimer();
  EXPECT_EQ(main->Pant_tiempo()->text(), "62:05");

  player.StopPlayback();
  EXPECT_FALSE(main->Contador()->isActive());
  EXPECT_FALSE(main->bot_despl()->isVisibleTo(main.get()));
}

TEST_F(MainWindowTest, TitleScrollsOnlyFrom27CharactersAndNeverCutsACharacter) {
  addSong("song.wav");
  player.List.CurrentEntry = 1;
  player.List.Entries[1].DisplayLine = std::string(26, 'a');
  main->restartTitleScroll(false);
  EXPECT_FALSE(main->Despl_titulo()->isActive());

  // 27 characters, one of them two bytes long: it turns between its first and second.
  const QString title = QString::fromUtf8("Canción ") + QString(19, 'b');
  ASSERT_EQ(title.size(), 27);
  player.List.Entries[1].DisplayLine = title.toStdString();
  main->restartTitleScroll(true);
  EXPECT_TRUE(main->Despl_titulo()->isActive());
  EXPECT_EQ(main->Despl_titulo()->interval(), 2000);
  EXPECT_TRUE(main->Despl_Titulo2()->isActive());
  const QString shown[4] = {title, title, title.mid(1), title};
  for (const QString& s : shown) {
    main->Despl_tituloTimer();
    EXPECT_EQ(main->Pant_titulo()->text(), s);
    EXPECT_EQ(main->Despl_titulo()->interval(), 5000);
    EXPECT_TRUE(main->Despl_titulo()->isActive());
  }

  // A longer title moves one character every 400 ms.
  const QString longTitle = QString::fromUtf8("ñandú ") + QString(30, 'c');
  player.List.Entries[1].DisplayLine = longTitle.toStdString();
  main->restartTitleScroll(true);
  main->Despl_tituloTimer();
  main->Despl_tituloTimer();
  main->Despl_tituloTimer();
  EXPECT_EQ(main->Pant_titulo()->text(), longTitle.mid(2));
  EXPECT_EQ(main->Despl_titulo()->interval(), 400);
}

TEST_F(MainWindowTest, OnlyALongTitleTicksWhileNothingPlays) {
  addSong("song.wav");
  playFirst();
  player.List.Entries[1].DisplayLine = std::string(40, 'z');
  main->restartTitleScroll(true);
  main->Despl_tituloTimer();
  EXPECT_EQ(player.TitleOffset, 1);

  main->DispatchKey('C');  // pause: the counter and the visualiser stop, the title goes on
  EXPECT_FALSE(main->Contador()->isActive());
  EXPECT_FALSE(main->fxPanel()->isRunning());
  EXPECT_TRUE(main->Despl_titulo()->isActive());
  EXPECT_TRUE(main->Despl_Titulo2()->isActive());
  main->Despl_tituloTimer();
  EXPECT_EQ(player.TitleOffset, 2);
  main->DispatchKey('C');  // resume
  EXPECT_TRUE(main->Contador()->isActive());
  EXPECT_TRUE(main->Despl_titulo()->isActive());

  // Played to its end: the last time stays shown and the counter stops.
  audio.positionSeconds = 260;
  audio.streams.begin()->second.state = audio::kStopped;
  main->ContadorTimer();
  EXPECT_EQ(main->Pant_tiempo()->text(), "-00:00");
  EXPECT_FALSE(main->Contador()->isActive());

  main->DispatchKey('V');
  EXPECT_FALSE(main->Contador()->isActive());
  EXPECT_FALSE(main->fxPanel()->isRunning());
}

TEST_F(MainWindowTest, EveryStartScrollsALongTitleFromItsStart) {
  const std::string longTitle(40, 'L');
  for (const char* name : {"a.wav", "b.wav", "c.wav"}) addSong(name);
  player.List.Entries[1].DisplayLine = "corto";
  player.List.Entries[2].DisplayLine = longTitle;
  player.List.Entries[3].DisplayLine = longTitle + "!";
  playFirst();
  EXPECT_FALSE(main->Despl_titulo()->isActive());
  struct Step {
    char key;   // what the user does (0: the track ends by itself)
    int entry;  // what plays then
    bool scrolling;
  } steps[] = {{'B', 2, true}, {0, 3, true}, {'Z', 2, true}, {'Z', 1, false}};
  for (const Step& step : steps) {
    SCOPED_TRACE(step.entry);
    // Part of the way through the current title, as a running scroll leaves it.
    player.TitleOffset = 9;
    player.TitleBackwards = 1;
    if (step.key) {
      main->DispatchKey(step.key);
    } else {
      player.PlayNext();  // what the end-of-track notice runs
    }
    ASSERT_EQ(player.List.CurrentEntry, step.entry);
    EXPECT_EQ(main->Despl_titulo()->isActive(), step.scrolling);
    EXPECT_EQ(main->Despl_Titulo2()->isActive(), step.scrolling);
    EXPECT_EQ(player.TitleOffset, 0);
    EXPECT_EQ(player.TitleBackwards, 0);
    if (!step.scrolling) continue;
    EXPECT_EQ(main->Despl_titulo()->interval(), 2000);
    main->Despl_tituloTimer();  // the first step still shows the whole title
    EXPECT_EQ(main->Pant_titulo()->text().toStdString(),
              std::string(player.List.Entries[step.entry].DisplayLine));
  }
}

TEST_F(MainWindowTest, ScreenReadersFindEveryControlByItsCaption) {
  addSong("song.wav");
  player.List.Entries[1].DisplayLine = "1. Canción de prueba";
  playFirst();
  const std::pair<const char*, const char*> named[] = {{"B_Reproducir", "Reproducir"},
                                                       {"B_Siguiente", "Siguiente"},
                                                       {"B_Cerrar", "Cerrar"},
                                                       {"B_menu", "Menu"},
                                                       {"B_repetir", "Repetir"},
                                                       {"F_archivo", "Archivo"},
                                                       {"F_Ayuda", "Ayuda"},
                                                       {"bot_vol", "Volumen"},
                                                       {"bot_despl", "Posición"},
                                                       {"Pant_tiempo", "00:00"},
                                                       {"Pant_titulo", "1. Canción de prueba"},
                                                       {"Pant_FXD", "Visualizador: Espectro"},
                                                       {"Gauge1", "Nivel izquierdo"}};
  for (const auto& [object, name] : named) {
    EXPECT_EQ(ui::accessibleNameOf(child(object)), QString::fromUtf8(name)) << object;
  }
  EXPECT_EQ(ui::accessibleValueOf(main->bot_vol()), "57");
  EXPECT_EQ(ui::accessibleValueOf(main->bot_despl()), "00:00");

  // Pressed as a screen reader presses them.
  ASSERT_TRUE(ui::pressAccessibly(child("B_repetir")));
  EXPECT_EQ(player.RepeatMode, 1);
  EXPECT_TRUE(QAccessible::queryAccessibleInterface(child("B_repetir"))->state().checked);
  ASSERT_TRUE(ui::pressAccessibly(main->Pant_tiempo()));
  EXPECT_EQ(player.TimeMode, 1);
  ASSERT_TRUE(ui::pressAccessibly(child("F_Play")));
  EXPECT_TRUE(main->menus().P_Play()->isVisible());
  main->menus().P_Play()->hide();
  QAccessible::queryAccessibleInterface(main->bot_vol())->valueInterface()->setCurrentValue(0);
  EXPECT_EQ(player.Muted, 1);

  // Menu items are read by their captions, without the shortcut shown beside them.
  QAccessibleInterface* play = QAccessible::queryAccessibleInterface(main->menus().P_Play());
  QStringList items;
  for (int i = 0; i < play->childCount(); ++i) items << play->child(i)->text(QAccessible::Name);
  EXPECT_EQ(items.mid(0, 6).join('|'), "Anterior|Play|Pausa|Parar|Siguiente|");
  QAccessibleInterface* repeat = play->child(items.indexOf("Repetir"));
  EXPECT_EQ(
      repeat->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction()),
      QStringList("R"));
  repeat->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_EQ(player.RepeatMode, 0);

  // The playlist window and its rows.
  EXPECT_EQ(ui::accessibleNameOf(playlist.get()), "Lista de Canciones");
  EXPECT_EQ(ui::accessibleNameOf(playlist->findChild<QWidget*>("PL_B_Cerrar")), "Cerrar");
  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(playlist->Listado());
  ASSERT_NE(list, nullptr);
  QStringList rows;
  for (int i = 0; i < list->childCount(); ++i) rows << list->child(i)->text(QAccessible::Name);
  EXPECT_TRUE(rows.contains(playlist->rowText(0))) << rows.join('|').toStdString();
}

TEST_F(MainWindowTest, MenuBarMarkGoesWhenThePopupClosesAwayFromItsLabel) {
  main->show();
  ui::MainMenus& m = main->menus();
  for (bool stillOver : {false, true}) {
    SCOPED_TRACE(stillOver);
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), m.label(1)->mapToGlobal(QPointF(2, 2)));
    QApplication::sendEvent(m.label(1), &enter);
    ASSERT_TRUE(m.bevel(1)->isVisibleTo(main.get()));
    m.openPopup(1);
    const QPoint over = m.label(1)->mapToGlobal(QPoint(3, 3));
    QCursor::setPos(stillOver ? over : over + QPoint(0, 120));
    m.P_Play()->hide();  // an item chosen, or a click elsewhere
    EXPECT_EQ(m.bevel(1)->isVisibleTo(main.get()), stillOver);
  }
}

TEST_F(MainWindowTest, SavedVisualiserAndDrawingModeComeBackAtStart) {
  const std::string ini = test::writeFile("fx.INI", "[FX]\r\nTIPO=2\r\nMODO=1\r\n").string();
  ui::QtSettingsWindows windows(main.get(), playlist.get(), nullptr, player.ProgramDir);
  core::LoadSettings(player, windows, ini);
  ui::FxPanel* fx = main->fxPanel();
  EXPECT_EQ(fx->oscilloscope().drawMode, 1);
  EXPECT_EQ(fx->spectrum().drawMode, 1);
  EXPECT_TRUE(fx->popup()->findChild<QAction*>("Osciloscopio1")->isChecked());
  EXPECT_TRUE(fx->popup()->findChild<QAction*>("Solido1")->isChecked());
}

// Whether `a` is drawn over `b` (neither holds the other): the later of their branches under
// the nearest widget holding both.
bool stackedAbove(QWidget* a, QWidget* b) {
  for (QWidget* common = b->parentWidget(); common; common = common->parentWidget()) {
    if (!common->isAncestorOf(a)) continue;
    auto branch = [common](QWidget* w) {
      while (w->parentWidget() != common) w = w->parentWidget();
      return common->children().indexOf(w);
    };
    return branch(a) > branch(b);
  }
  return false;
}

// While playing, their frames are put straight onto the window over whatever lies there.
TEST_F(MainWindowTest, NothingElseSitsOnTheVisualiserOrTheMeters) {
  main->show();
  ui::FxPanel* fx = main->fxPanel();
  for (QWidget* target : {static_cast<QWidget*>(fx), fx->gauge1Widget(), fx->gauge2Widget()}) {
    ASSERT_EQ(target->window(), main.get());
    const QRect area(target->mapTo(main.get(), QPoint(0, 0)), target->size());
    for (QWidget* other : main->findChildren<QWidget*>()) {
      if (other == target || other->isWindow() || !other->isVisibleTo(main.get()) ||
          other->isAncestorOf(target) || target->isAncestorOf(other) ||
          !stackedAbove(other, target)) {
        continue;
      }
      const QRect at(other->mapTo(main.get(), QPoint(0, 0)), other->size());
      EXPECT_FALSE(at.intersects(area))
          << other->objectName().toStdString() << " on " << target->objectName().toStdString();
    }
  }
}

TEST_F(MainWindowTest, PlaylistWindowBelongsToTheMainWindowNotToTheTaskBar) {
  playlist->setMainWindow(main.get());
  EXPECT_EQ(playlist->windowType(), Qt::Tool);
  ASSERT_NE(playlist->windowHandle(), nullptr);
  EXPECT_EQ(playlist->windowHandle()->transientParent(), main->windowHandle());
}

TEST_F(MainWindowTest, FadeOutAndBackIn) {
  main->applicationDeactivated();
  EXPECT_EQ(main->FadeDirection(), 2);
  EXPECT_TRUE(main->T_Fade()->isActive());
  int steps = 0;
  while (main->T_Fade()->isActive() && steps < 100) {
    main->T_FadeTimer();
    ++steps;
  }
  EXPECT_EQ(steps, 15);
  EXPECT_NEAR(main->windowOpacity(), 180 / 255.0, 0.01);
  EXPECT_NEAR(playlist->windowOpacity(), 180 / 255.0, 0.01);
  // Already faded (alpha 200 or below): no second fade-out.
  main->applicationDeactivated();
  EXPECT_FALSE(main->T_Fade()->isActive());

  main->applicationActivated();
  EXPECT_EQ(main->FadeDirection(), 1);
  steps = 0;
  while (main->T_Fade()->isActive() && steps < 100) {
    main->T_FadeTimer();
    ++steps;
  }
  EXPECT_EQ(steps, 15);
  EXPECT_DOUBLE_EQ(main->windowOpacity(), 1.0);
  // Fully opaque again: activation starts nothing.
  main->applicationActivated();
  EXPECT_FALSE(main->T_Fade()->isActive());
}

TEST_F(MainWindowTest, DragEndDocksAt29PixelsAndCarriesADockedPlaylist) {
  playlist->move(600, 300);
  player.PlaylistDocked = 0;
  main->move(600 - 30 - 345, 40);
  main->endDrag(QPoint(100, 100));
  EXPECT_EQ(player.PlaylistDocked, 0);
  EXPECT_EQ(main->pos(), QPoint(600 - 30 - 345, 40));

  main->move(600 - 29 - 345, 40);
  main->endDrag(QPoint(100, 100));
  EXPECT_EQ(player.PlaylistDocked, 1);
  EXPECT_EQ(main->pos(), QPoint(600 - 345 + 7, 40));

  const QPoint start = main->pos();
  main->move(start + QPoint(50, 60));
  main->endDrag(start);
  EXPECT_EQ(playlist->pos(), QPoint(650, 360));
}

TEST_F(MainWindowTest, AboutAndPreferences) {
  ui::TAcerca* about = main->createAboutWindow();
  EXPECT_EQ(about->windowTitle(), "A cerca de VemlaPlayer");
  EXPECT_EQ(about->size(), QSize(327, 288));
  EXPECT_FALSE(about->isModal());
  ASSERT_EQ(about->pages()->count(), 3);
  EXPECT_EQ(about->pages()->tabText(0), "VemlaPlayer");
  EXPECT_EQ(about->pages()->tabText(1), "Creditos");
  EXPECT_EQ(about->pages()->tabText(2), "Historial");
  QStringList lines;
  for (QLabel* l : about->pages()->widget(0)->findChildren<QLabel*>()) lines << l->text();
  for (const char* want :
       {"VERSIÓN", "Vemlaplayer v1.0b", "QuarniteLT v0.0b", "Lomrix Stream Video v0.0b"}) {
    EXPECT_TRUE(lines.contains(QString::fromUtf8(want))) << want;
  }
  // The libraries it runs on, with the versions they report as they run.
  const QString all = lines.join('\n');
  EXPECT_TRUE(all.contains(QString("Qt ") + qVersion()));
  for (const char* lib : {"FFmpeg ", "libavformat ", "libavcodec ", "SDL ", "libcdio "}) {
    EXPECT_TRUE(all.contains(lib)) << lib;
  }
  // Shown, it reads the versions again (it is made before the decoding libraries are loaded)
  // and keeps its pages and the page the user was on.
  about->pages()->setCurrentIndex(2);
  about->show();
  ASSERT_EQ(about->pages()->count(), 3);
  EXPECT_EQ(about->pages()->tabText(0), "VemlaPlayer");
  EXPECT_EQ(about->pages()->currentIndex(), 2);
  QStringList shown;
  for (QLabel* l : about->pages()->widget(0)->findChildren<QLabel*>()) shown << l->text();
  EXPECT_EQ(shown, lines);
  about->hide();
  auto* history = about->findChild<QPlainTextEdit*>("Historial");
  ASSERT_NE(history, nullptr);
  EXPECT_TRUE(history->isReadOnly());
  EXPECT_EQ(history->lineWrapMode(), QPlainTextEdit::NoWrap);

  main->showPreferences();
  auto* prefs = main->findChild<QDialog*>("fopciones");
  ASSERT_NE(prefs, nullptr);
  EXPECT_EQ(prefs->windowTitle(), "Preferencias");
  EXPECT_TRUE(prefs->isVisible());
  EXPECT_FALSE(prefs->isModal());
}

TEST_F(MainWindowTest, EndOfTrackPostedFromAnotherThreadRunsOnTheWindowThread) {
  bool ran = false;
  std::thread t([&] { view->PostToUiThread([&] { ran = true; }); });
  t.join();
  EXPECT_FALSE(ran);
  QCoreApplication::processEvents();
  EXPECT_TRUE(ran);
}

}  // namespace
