// The playlist window on the offscreen platform: rows, menus, keys, drops, the start-up timer,
// docking and the now-playing texts.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>

#include "core/Player.h"
#include "core/PlayerView.h"
#include "support/Fixtures.h"
#include "ui/DroppedFiles.h"
#include "ui/GlyphButton.h"
#include "ui/KeyDispatch.h"
#include "ui/NowPlayingText.h"
#include "ui/PlaylistSnap.h"
#include "ui/QtSettingsWindows.h"
#include "ui/ScreenClamp.h"
#include "ui/Skin.h"
#include "ui/TPlaylist.h"

namespace fs = std::filesystem;
using namespace vemla;
using vemla::ui::TPlaylist;

namespace {

// The rows of the player's view go to the window, as the main window's view does.
class RowsView : public core::NullPlayerView {
 public:
  explicit RowsView(TPlaylist*& window) : window_(window) {}
  void AppendRow(const std::string& t) override { window_->appendRow(t); }
  void AppendRows(const std::vector<std::string>& t) override { window_->appendRows(t); }
  void SetRowText(int r, const std::string& t) override { window_->setRowText(r, t); }
  void RemoveRow(int r) override { window_->removeRow(r); }
  void ClearRows() override { window_->clearRows(); }
  void SelectRow(int r) override { window_->selectRow(r); }
  int SelectedRow() const override { return window_->selectedRow(); }

 private:
  TPlaylist*& window_;
};

class PlaylistWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    player_.SetDefaults((test::tempDir() / "VemlaPlayer").string());
    player_.SetView(&view_);
    window_ = new TPlaylist(player_);
    keys_.setHandler([this](ui::KeyCommand c) { commands_.push_back(c); });
    window_->setKeyDispatch(&keys_);
  }
  void TearDown() override {
    player_.SetView(nullptr);
    delete window_;
  }
  void addListed(int n) {
    for (int i = 1; i <= n; ++i) {
      player_.AddListedEntry("/m/" + std::to_string(i) + ".mp3", "", "T" + std::to_string(i), 60);
    }
  }
  QPoint rowCenter(int row) {
    return window_->Listado()->visualRect(window_->Listado()->model()->index(row, 0)).center();
  }
  void rightClick(QPoint at) {
    QTest::mouseClick(window_->Listado()->viewport(), Qt::RightButton, {}, at);
  }
  QStringList captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions()) {
      out << (a->isSeparator() ? QString("-") : a->text() + (a->isEnabled() ? "" : " [off]"));
    }
    return out;
  }

  std::unique_ptr<audio::AudioLib> audio_ = audio::createAudioLib();
  core::Player player_{*audio_};
  TPlaylist* window_ = nullptr;
  RowsView view_{window_};
  ui::KeyDispatch keys_;
  std::vector<ui::KeyCommand> commands_;
};

TEST_F(PlaylistWindow, ControlsCarryTheirNamesAndPlaces) {
  EXPECT_EQ(window_->size(), QSize(345, 451));
  struct Case {
    const char* name;
    QRect place;
  } cases[] = {{"PL_Ia", {0, 0, 345, 451}},       {"Image1", {326, 430, 19, 19}},
               {"Image2", {114, 2, 107, 19}},     {"Label1", {14, 432, 101, 13}},
               {"Listado", {5, 34, 336, 399}},    {"PL_B_menu", {5, 3, 18, 18}},
               {"PL_B_Cerrar", {327, 5, 16, 14}}, {"PL_B_Maximizar", {311, 5, 14, 14}}};
  for (const Case& c : cases) {
    auto* w = window_->findChild<QWidget*>(c.name);
    ASSERT_TRUE(w) << c.name;
    EXPECT_EQ(w->geometry(), c.place) << c.name;
  }
  EXPECT_EQ(window_->findChild<QLabel*>("Label1")->text(), "0/0");
  EXPECT_EQ(window_->findChild<QWidget*>("PL_B_Cerrar")->toolTip(), "Cerrar");
}

TEST_F(PlaylistWindow, MenusListEveryItemInOrder) {
  auto* row = window_->findChild<QMenu*>("ListaPOPUP");
  auto* empty = window_->findChild<QMenu*>("ListaPOPUPAux");
  ASSERT_TRUE(row && empty);
  EXPECT_EQ(captions(row),
            QStringList({"Reproducir\tX", "-", "Salvar Pista a .WAV [off]", "-",
                         QString::fromUtf8("Información"), "-", "Insertar Archivo\tInsert",
                         "Quitar Cancion\tDelete", "-", "Cargar lista", "Salvar Lista", "-",
                         "Cargar Pistas de CD", "-", "Ordenar", "-", "Limpiar Lista"}));
  EXPECT_EQ(captions(window_->findChild<QMenu*>("Ordenar")),
            QStringList({"Nombre [off]", "Fichero [off]"}));
  EXPECT_EQ(captions(empty),
            QStringList({"Abrir Archivo\tInsert", "-", "Cargar Lista", "Salvar Lista", "-",
                         "Cargar Pistas de CD", "-", "Limpiar Lista"}));
}

TEST_F(PlaylistWindow, RightClickPicksTheRowOrTheEmptyAreaMenu) {
  window_->show();
  addListed(3);
  ASSERT_EQ(window_->rowCount(), 3);
  auto* row = window_->findChild<QMenu*>("ListaPOPUP");
  auto* empty = window_->findChild<QMenu*>("ListaPOPUPAux");

  rightClick(rowCenter(1));
  EXPECT_EQ(window_->selectedRow(), 1);
  EXPECT_EQ(player_.List.ClickedRow, 1);
  EXPECT_TRUE(row->isVisible());
  row->hide();

  // Below the last row: the other menu, selection and clicked row untouched.
  rightClick(QPoint(20, 300));
  EXPECT_TRUE(empty->isVisible());
  empty->hide();
  EXPECT_EQ(window_->selectedRow(), 1);
  EXPECT_EQ(player_.List.ClickedRow, 1);

  // "Quitar Cancion" removes the clicked row's entry.
  row->findChild<QAction*>("QuitarCancion1")->trigger();
  EXPECT_EQ(player_.List.EntryCount, 2);
  EXPECT_EQ(window_->rowText(1).toStdString(), player_.List.Entries[2].DisplayLine.str());
  EXPECT_NE(window_->rowText(1).indexOf("T3"), -1);
  window_->findChild<QAction*>("LimpiarLista3")->trigger();
  EXPECT_EQ(window_->rowCount(), 0);
}

TEST_F(PlaylistWindow, KeysRemoveTheSelectionAndReachTheDispatcher) {
  window_->show();
  addListed(3);
  QListView* list = window_->Listado();

  // Delete with nothing selected removes nothing, and is still passed on.
  window_->selectRow(-1);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(player_.List.EntryCount, 3);

  window_->selectRow(0);
  QTest::keyClick(list, Qt::Key_Delete);
  EXPECT_EQ(player_.List.EntryCount, 2);
  EXPECT_NE(window_->rowText(0).indexOf("T2"), -1);

  // Shift+X: the Shift key itself goes first (the playlist toggle), then X plays.
  QTest::keyClick(list, Qt::Key_X);
  QTest::keyClick(list, Qt::Key_X, Qt::ShiftModifier);
  QTest::keyClick(list, Qt::Key_B);
  using ui::KeyCommand;
  EXPECT_EQ(commands_,
            std::vector<KeyCommand>({KeyCommand::PlaySelected, KeyCommand::TogglePlaylist,
                                     KeyCommand::PlaySelected, KeyCommand::PlayNext}));

  // Arrows still move through the list.
  window_->selectRow(0);
  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(window_->selectedRow(), 1);

  // Return plays the selected row, as a double click does.
  ASSERT_TRUE(player_.InitAudioDevice());
  fs::path tone = test::makeSine("keys.wav", 1.0, 440, 44100, 2, 0.5, "-c:a pcm_s16le");
  player_.AddFileEntry(tone.string());
  window_->selectRow(player_.List.EntryCount - 1);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(player_.Stopped, 0);
  EXPECT_EQ(player_.List.CurrentEntry, player_.List.EntryCount);
  player_.StopPlayback();
  player_.FreeAudioDevice();
}

TEST_F(PlaylistWindow, StartupTimerRunsOnceFromTheFirstShowing) {
  QTimer* timer = window_->Encendedor();
  EXPECT_FALSE(timer->isActive());
  window_->show();
  EXPECT_TRUE(timer->isActive());
  EXPECT_EQ(timer->interval(), 2000);
  window_->hide();
  QMetaObject::invokeMethod(timer, "timeout");
  EXPECT_FALSE(timer->isActive());
  EXPECT_EQ(player_.StartupDone, 1);
  window_->show();
  EXPECT_FALSE(timer->isActive());
}

TEST_F(PlaylistWindow, ClosingRemembersThePlace) {
  window_->show();
  window_->move(123, 456);
  window_->findChild<QWidget*>("PL_B_Cerrar");
  player_.PlaylistVisible = 1;
  window_->close();
  EXPECT_FALSE(window_->isVisible());
  EXPECT_EQ(player_.PlaylistVisible, 0);
  EXPECT_EQ(player_.PlaylistLeft, 123);
  EXPECT_EQ(player_.PlaylistTop, 456);
}

TEST_F(PlaylistWindow, DraggingTheFaceSnapsAndDocksUnderTheMainWindow) {
  // The offscreen screen is 800 x 600; the main window's face ends at (445, 225).
  QWidget main;
  main.resize(344, 237);
  main.move(100, 50);
  main.show();
  window_->setMainWindow(&main);
  window_->show();
  window_->move(300, 330);
  QWidget* face = window_->findChild<QWidget*>("PL_Ia");
  const QPoint grip(200, 442);  // on the face, below the list
  const QPoint target = QPoint(470, 235) + grip;
  QTest::mousePress(face, Qt::LeftButton, {}, grip);
  QTest::mouseMove(face, target - window_->pos());
  QTest::mouseRelease(face, Qt::LeftButton, {}, target - window_->pos());
  // Past the screen's right side it is pulled back to 460, which is within 30 of 445.
  EXPECT_EQ(window_->pos(), QPoint(438, 218));
  EXPECT_EQ(player_.PlaylistDocked, 1);

  // Dragged away from everything: undocked, left where it was dropped.
  const QPoint away = QPoint(100, 300) + grip;
  QTest::mousePress(face, Qt::LeftButton, {}, grip);
  QTest::mouseMove(face, away - window_->pos());
  QTest::mouseRelease(face, Qt::LeftButton, {}, away - window_->pos());
  EXPECT_EQ(window_->pos(), QPoint(100, 300));
  EXPECT_EQ(player_.PlaylistDocked, 0);
}

TEST_F(PlaylistWindow, DropsAddAcceptedFilesInOrderWithoutBlocking) {
  ASSERT_TRUE(player_.InitAudioDevice());
  fs::path a = test::makeSine("drop-a.mp3", 1.0, 440, 44100, 2, 0.5, "-c:a libmp3lame -b:a 128k");
  fs::path b = test::makeSine("drop-b.wav", 1.0, 880, 44100, 1, 0.5, "-c:a pcm_s16le");
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  fs::path folder = test::tempDir() / "folder.mp3";
  fs::create_directories(folder);
  fs::path zero = test::writeFile("empty.mp3", "");
  fs::path list = test::writeFile("drop.M3U", "#EXTM3U\r\n#EXTINF:30,Listed\r\n/m/listed.mp3\r\n");
  fs::path pls = test::writeFile("x.pls", "[playlist]\n");
  fs::path flac = test::writeFile("x.flac", "fLaC");

  QList<QUrl> urls;
  for (const fs::path& p : {a, fs::path(pls), folder, zero, list, flac, b, a}) {
    urls << QUrl::fromLocalFile(QString::fromStdString(p.string()));
  }
  urls << QUrl("http://example.invalid/x.mp3");
  EXPECT_EQ(ui::droppedFiles(urls).size(), 5) << "mp3, empty mp3, M3U, wav, mp3";

  window_->show();
  QSignalSpy done(window_, &TPlaylist::handOverDone);
  QMimeData mime;
  mime.setUrls(urls);
  QPoint at(100, 100);
  // Qt delivers a drop only to the widget that took the drag's entry.
  QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_, &drop);
  EXPECT_EQ(player_.List.EntryCount, 0) << "nothing is read inside the drop";
  ASSERT_TRUE(done.wait(60000));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  ASSERT_EQ(player_.List.EntryCount, 4) << "the 0-byte file is not audio";
  EXPECT_EQ(player_.List.Entries[1].Path, a.string());
  EXPECT_EQ(player_.List.Entries[2].Path, "/m/listed.mp3");
  EXPECT_EQ(player_.List.Entries[3].Path, b.string());
  EXPECT_EQ(player_.List.Entries[4].Path, a.string());
  EXPECT_EQ(window_->rowCount(), 4);
  EXPECT_EQ(player_.Stopped, 1) << "nothing is played";
}

TEST_F(PlaylistWindow, NowPlayingFillsTheMainWindowLines) {
  QWidget main;
  auto* tinfo2 = new QLabel(&main);
  tinfo2->setObjectName("Tinfo2");
  auto* tinfo3 = new QLabel(&main);
  tinfo3->setObjectName("Tinfo3");
  window_->setMainWindow(&main);
  addListed(1);
  auto& e = player_.List.Entries[1];
  e.FormatName = "MP3";
  e.SampleRate = 44100;
  e.BitRate = 172;
  e.Channels = 2;
  e.BitsPerSample = 16;
  player_.List.CurrentEntry = 1;
  window_->ShowNowPlayingInfo();
  EXPECT_EQ(tinfo2->text(), "MP3 - 44100 Hz - 172 Kbps");
  EXPECT_EQ(tinfo3->text(), "Estereo - 16bits");
  EXPECT_TRUE(window_->trayCaption().startsWith(QString::fromUtf8("Cancion nº 1.")));
}

TEST(NowPlayingText, FormatLinesAndTrayCaption) {
  playlist::Tcancion mono;
  mono.FormatName = "WAV";
  mono.SampleRate = 22050;
  mono.BitRate = 43;
  mono.Channels = 1;
  mono.BitsPerSample = 16;
  mono.DisplayLine = "1234567890";
  ui::NowPlayingText t = ui::nowPlayingText(mono);
  EXPECT_EQ(t.channelsLine, "Mono - 16bits");
  EXPECT_EQ(t.trayCaption, QString::fromUtf8("Cancion nº 1234567890..."));

  playlist::Tcancion cd;  // a CD track from a list file: never read
  t = ui::nowPlayingText(cd);
  EXPECT_EQ(t.formatLine, " - 0 Hz - 0 Kbps");
  EXPECT_EQ(t.channelsLine, "Mono - 0bits");

  playlist::Tcancion longer;
  longer.DisplayLine = std::string(60, 'a');
  t = ui::nowPlayingText(longer);
  EXPECT_EQ(t.trayCaption, QString::fromUtf8("Cancion nº ") + QString(29, 'a') + "...");

  // Characters, not bytes: accented letters and a character beyond 16 bits stay whole.
  longer.DisplayLine = std::string("\xc3\xb1\xf0\x9f\x8e\xb5") + std::string(40, 'b');
  t = ui::nowPlayingText(longer);
  EXPECT_EQ(t.trayCaption.toUcs4().size(), 43);
  EXPECT_EQ(t.trayCaption.mid(11, 3), QString::fromUtf8("\xc3\xb1\xf0\x9f\x8e\xb5"));
}

TEST(PlaylistSnap, EdgesAndDocking) {
  // Main window face 345 x 175 at (400, 300): right edge 745, bottom 475. Playlist 345 x 451.
  struct Case {
    int left, top, mainTop;
    int wantLeft, wantTop;
    bool docked;
  } cases[] = {
      {10, 100, 300, -3, 100, false},                // near the screen's left
      {100, 5, 300, 100, -3, false},                 // near the top
      {1900, 100, 300, 1920 - 345 + 5, 100, false},  // past the right edge
      {770, 100, 300, 738, 100, true},               // 25 right of the main window's right edge
      {775, 100, 300, 775, 100, false},              // exactly 30 right: no dock
      {716, 100, 300, 738, 100, true},               // 29 left of it
      {715, 100, 300, 715, 100, false},              // 30 left of it
      {100, 500, 300, 100, 468, true},               // under the main window
      {80, 100, 300, 60, 100, true},                 // our right edge 25 right of main's left
      {100, 240, 700, 100, 251, true},               // our bottom 9 above main's top
  };
  for (const Case& c : cases) {
    ui::PlaylistSnapResult r =
        ui::snapPlaylist(c.left, c.top, 345, 451, 400, c.mainTop, 345, 175, 1920);
    EXPECT_EQ(r.left, c.wantLeft) << c.left << "," << c.top;
    EXPECT_EQ(r.top, c.wantTop) << c.left << "," << c.top;
    EXPECT_EQ(r.docked, c.docked) << c.left << "," << c.top;
  }
}

TEST(ScreenClamp, RestoredWindowsStayReachable) {
  QList<QRect> screens = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
  struct Case {
    QRect window;
    QPoint want;
  } cases[] = {
      {{-3, -3, 345, 175}, {-3, -3}},              // snapped against the corner: kept
      {{2000, 100, 345, 175}, {2000, 100}},        // on the second screen: kept
      {{-5000, 200, 345, 175}, {0, 200}},          // far left
      {{100, 9999, 345, 451}, {100, 1080 - 451}},  // below every screen
      {{5000, 5000, 345, 175}, {3200 - 345, 1024 - 175}},
      {{-2147483000, -2147483000, 345, 175}, {0, 0}},
      {{1800, 100, 345, 175}, {1800, 100}},  // straddles two screens
  };
  for (const Case& c : cases)
    EXPECT_EQ(ui::keepOnScreens(c.window, screens), c.want) << c.window.x();
}

}  // namespace

namespace {

TEST(QtSettingsWindows, MissingSkinFileAndLostWindowsStillWork) {
  QWidget main;
  main.resize(344, 237);
  ui::Skin skin;
  auto* mute = new ui::GlyphButton(&main, "B_silencio", ui::Picture::Silencio, &skin);
  auto* dot = new QWidget(&main);
  dot->setObjectName("punto_repetir");
  dot->hide();
  main.show();
  // A program folder without skin/: the built-in drawing of the glyph stands in.
  ui::QtSettingsWindows windows(&main, nullptr, nullptr, test::tempDir().string() + "/none/");
  windows.SetMuteGlyph(true);
  EXPECT_EQ(mute->pictureId(), ui::Picture::Silencio2);
  windows.SetMuteGlyph(false);
  EXPECT_EQ(mute->pictureId(), ui::Picture::Silencio);
  windows.ShowRepeatDots(true);
  EXPECT_TRUE(dot->isVisible());

  // A place far off every screen comes back onto one.
  windows.MoveMainWindow(-50000, 99999);
  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(main.geometry().topLeft())) << main.x() << "," << main.y();
  // No mini window yet: asking about it is harmless.
  windows.MoveMiniWindow(10, 10);
  EXPECT_EQ(windows.MiniWindowPos().left, 0);
}

}  // namespace
