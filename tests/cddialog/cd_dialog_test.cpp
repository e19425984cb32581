// The CD-audio dialog: its rows for drives and tracks, the ticks, what "Aceptar" adds, the drive
// it lists, and that a slow drive never holds up the window.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "core/Player.h"
#include "core/RecordingView.h"
#include "support/CdImage.h"
#include "support/FakeAudioLib.h"
#include "support/Fixtures.h"
#include "ui/CdListing.h"
#include "ui/TVemlaCDAudio.h"

using namespace vemla;
using vemla::test::FakeAudioLib;
using vemla::ui::TVemlaCDAudio;

namespace {

// Waits (pumping events) until `done` holds; generous, for a loaded machine.
template <typename F>
bool waitFor(F done, int ms = 60000) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

QStringList rows(const QListWidget* list) {
  QStringList out;
  for (int r = 0; r < list->count(); ++r) out << list->item(r)->text();
  return out;
}

QStringList drives(const QComboBox* box) {
  QStringList out;
  for (int r = 0; r < box->count(); ++r) out << box->itemText(r);
  return out;
}

std::vector<bool> ticks(const QListWidget* list) {
  std::vector<bool> out;
  for (int r = 0; r < list->count(); ++r) out.push_back(list->item(r)->checkState() == Qt::Checked);
  return out;
}

void setTicks(QListWidget* list, std::vector<bool> t) {
  for (int r = 0; r < list->count(); ++r)
    list->item(r)->setCheckState(t[static_cast<size_t>(r)] ? Qt::Checked : Qt::Unchecked);
}

QPushButton* buttonOf(TVemlaCDAudio& d, const char* name) {
  return d.findChild<QPushButton*>(name);
}

struct Rig {
  FakeAudioLib audio;
  test::RecordingView view;
  core::Player player{audio};
  Rig() {
    player.SetView(&view);
    player.SetDefaults("/opt/vemla/VemlaPlayer");
  }
  void Disc(int drive, std::vector<int> seconds) {
    for (size_t t = 0; t < seconds.size(); ++t) {
      FakeAudioLib::Script s;
      s.length = seconds[t] < 0 ? 0 : 176400ull * static_cast<uint64_t>(seconds[t]);
      if (seconds[t] >= 0) audio.cdTracks[{drive, static_cast<int>(t)}] = s;
    }
    audio.discTracks[drive] = static_cast<int>(seconds.size());
  }
  // Shows the dialog and waits for its listing.
  bool Show(TVemlaCDAudio& d) {
    d.show();
    return waitFor([&] { return !d.filling(); });
  }
};

TEST(CdTrackRow, NamesAndLengths) {
  const std::vector<std::string> ids = {
      "Artista=Grupo", "Título1=Amanecer", "Título12=Doce", "Título3=Tres=3", "", "Título2=Oculto"};
  struct Case {
    int track;
    int64_t bytes;
    const char* row;
  } cases[] = {
      {0, 33075000, "Amanecer (3:07)"},  // 187 seconds
      {1, 176399, "Pista 02 (0:00)"},    // after the empty text nothing counts
      {2, 176400 * 60, "Tres=3 (1:00)"}, {11, 176400 * 600, "Doce (10:00)"},
      {8, -1, "Pista 09 (data)"},        {99, 0, "Pista 100 (0:00)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ui::CdTrackRow(c.track, c.bytes, ids), c.row);
  EXPECT_EQ(ui::CdTrackRow(0, 176400 * 5, {}), "Pista 01 (0:05)");
}

// What a screen reader reads: the buttons by their captions, the other controls by their labels.
TEST(CdDialog, ControlsSayWhatTheyAre) {
  Rig r;
  TVemlaCDAudio d(r.player);
  d.BuildControls();
  EXPECT_EQ(d.windowTitle(), "Carga de CD-Audio");
  const char* buttons[][2] = {{"BitBtn1", "Todas"},    {"BitBtn2", "Ninguna"},
                              {"BitBtn3", "Invertir"}, {"BitBtn4", "Aceptar"},
                              {"BitBtn5", "Cancelar"}, {"BitBtn6", "Refrescar"}};
  for (const auto& b : buttons) EXPECT_EQ(buttonOf(d, b[0])->text(), b[1]);
  EXPECT_TRUE(buttonOf(d, "BitBtn5")->isDefault());
  EXPECT_EQ(d.Unidades()->accessibleName(), "Dispositivo:");
  EXPECT_EQ(d.CDPistas()->accessibleName(), "Pistas:");
  EXPECT_EQ(d.Titulo()->accessibleName(), QString::fromUtf8("Título de CD:"));
  EXPECT_EQ(d.Titulo()->text(), "CD-A");
}

TEST(CdDialog, NoDriveNoDiscAndDataTracks) {
  {
    Rig r;  // no drive at all
    TVemlaCDAudio d(r.player);
    ASSERT_TRUE(r.Show(d));
    EXPECT_EQ(d.Unidades()->count(), 0);
    EXPECT_EQ(d.CDPistas()->count(), 0);
    EXPECT_FALSE(buttonOf(d, "BitBtn4")->isEnabled());
  }
  Rig r;
  r.audio.cdDrives = {{"/dev/sr0", "ACME CD 1.0"}, {"/dev/sr1", "Otro"}};
  r.Disc(1, {187, -1});
  TVemlaCDAudio d(r.player);
  ASSERT_TRUE(r.Show(d));
  // Twice: each drive once.
  d.hide();
  ASSERT_TRUE(r.Show(d));
  EXPECT_EQ(drives(d.Unidades()), QStringList({"/dev/sr0: ACME CD 1.0", "/dev/sr1: Otro"}));
  EXPECT_EQ(d.CDPistas()->count(), 0) << "drive 0 holds no disc";
  EXPECT_TRUE(buttonOf(d, "BitBtn4")->isEnabled());
  d.BitBtn1Click();
  d.BitBtn4Click();
  EXPECT_EQ(r.player.List.EntryCount, 0);

  d.Unidades()->setCurrentIndex(1);
  emit d.Unidades()->activated(1);
  ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
  EXPECT_EQ(d.CdDialogDrive(), 1);
  EXPECT_EQ(rows(d.CDPistas()), QStringList({"Pista 01 (3:07)", "Pista 02 (data)"}));
}

TEST(CdDialog, TicksAndAdding) {
  Rig r;
  r.audio.cdDrives = {{"/dev/sr0", "ACME"}};
  r.Disc(0, {60, 61, 62});
  TVemlaCDAudio d(r.player);
  ASSERT_TRUE(r.Show(d));
  QListWidget* list = d.CDPistas();
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(ticks(list), std::vector<bool>({false, false, false}));
  d.BitBtn1Click();
  EXPECT_EQ(ticks(list), std::vector<bool>({true, true, true}));
  d.BitBtn2Click();
  EXPECT_EQ(ticks(list), std::vector<bool>({false, false, false}));
  setTicks(list, {true, false, true});
  d.BitBtn3Click();
  EXPECT_EQ(ticks(list), std::vector<bool>({false, true, false}));

  setTicks(list, {false, false, false});
  d.BitBtn4Click();
  EXPECT_TRUE(d.isVisible()) << "nothing ticked: nothing happens";

  setTicks(list, {true, false, true});
  buttonOf(d, "BitBtn4")->click();
  EXPECT_FALSE(d.isVisible());
  ASSERT_EQ(r.player.List.EntryCount, 2);
  EXPECT_EQ(r.player.List.Entries[1].CdTrack, 0);
  EXPECT_EQ(r.player.List.Entries[2].CdTrack, 2);
  EXPECT_EQ(r.view.rows[0], "1. CDA - CD-A - 1 - (01:00)");
  EXPECT_EQ(r.view.rows[1], "2. CDA - CD-A - 3 - (01:02)");

  // The title given is used; Cancelar adds nothing.
  ASSERT_TRUE(r.Show(d));
  d.Titulo()->setText("Directo");
  setTicks(list, {false, true, false});
  buttonOf(d, "BitBtn5")->click();
  EXPECT_FALSE(d.isVisible());
  EXPECT_EQ(r.player.List.EntryCount, 2);
  ASSERT_TRUE(r.Show(d));
  EXPECT_EQ(d.Titulo()->text(), "Directo");
  setTicks(list, {false, true, false});
  d.BitBtn4Click();
  EXPECT_EQ(r.view.rows.back(), "3. CDA - Directo - 2 - (01:01)");
}

TEST(CdDialog, ShownAgainTheSelectedRowIsTheListedDrive) {
  Rig r;
  r.audio.cdDrives = {{"/dev/sr0", "Uno"}, {"/dev/sr1", "Dos"}, {"/dev/sr2", "Tres"}};
  r.Disc(0, {10});
  r.Disc(2, {20, 30});
  TVemlaCDAudio d(r.player);
  ASSERT_TRUE(r.Show(d));
  d.Unidades()->setCurrentIndex(2);
  emit d.Unidades()->activated(2);
  ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
  d.hide();
  ASSERT_TRUE(r.Show(d));
  EXPECT_EQ(d.Unidades()->currentIndex(), 2);
  EXPECT_EQ(d.CdDialogDrive(), 2);
  EXPECT_EQ(d.CDPistas()->count(), 2);

  // The drive listed last is gone: back to the first.
  d.hide();
  r.audio.cdDrives.pop_back();
  ASSERT_TRUE(r.Show(d));
  EXPECT_EQ(d.Unidades()->currentIndex(), 0);
  EXPECT_EQ(d.CdDialogDrive(), 0);
  EXPECT_EQ(rows(d.CDPistas()), QStringList({"Pista 01 (0:10)"}));
}

// A drive that answers only when the test lets it.
class SlowDrive : public FakeAudioLib {
 public:
  int CD_GetTracks(int drive) override {
    std::unique_lock<std::mutex> lock(m_);
    asked_ = true;
    cv_.notify_all();
    cv_.wait(lock, [&] { return open_; });
    return FakeAudioLib::CD_GetTracks(drive);
  }
  void Open() {
    std::lock_guard<std::mutex> lock(m_);
    open_ = true;
    cv_.notify_all();
  }
  bool Asked() {
    std::lock_guard<std::mutex> lock(m_);
    return asked_;
  }

 private:
  std::mutex m_;
  std::condition_variable cv_;
  bool open_ = false;
  bool asked_ = false;
};

TEST(CdDialog, SlowDriveIsReadOffTheWindowThread) {
  SlowDrive audio;
  test::RecordingView view;
  core::Player player(audio);
  player.SetView(&view);
  player.SetDefaults("/opt/vemla/VemlaPlayer");
  audio.cdDrives = {{"/dev/sr0", "Lenta"}};
  FakeAudioLib::Script s;
  audio.cdTracks[{0, 0}] = s;
  TVemlaCDAudio d(player);
  QSignalSpy filled(&d, &TVemlaCDAudio::filled);
  d.show();  // returns while the drive has not answered
  ASSERT_TRUE(waitFor([&] { return audio.Asked(); }));
  bool ticked = false;
  QTimer::singleShot(0, &d, [&] { ticked = true; });
  EXPECT_TRUE(waitFor([&] { return ticked; })) << "the window thread kept running";
  EXPECT_TRUE(d.filling());
  EXPECT_EQ(d.cursor().shape(), Qt::BusyCursor);
  // "Refrescar" meanwhile waits for the first answer, then lists again.
  d.BitBtn6Click();
  audio.Open();
  ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
  EXPECT_EQ(filled.count(), 1) << "the out-of-date listing is not shown";
  EXPECT_EQ(d.CDPistas()->count(), 1);
  EXPECT_NE(d.cursor().shape(), Qt::BusyCursor);
}

// The real audio layer on disc images: CD-TEXT names, a data track, a missing BIN.
TEST(CdDialog, RealImagesListAndAdd) {
  if (!test::haveTool("ffmpeg")) GTEST_SKIP() << "needs ffmpeg";
  auto disc = test::makeCdImage(
      "dialogdisc",
      {{75 * 3, 440, false, "Primera"}, {75 * 2, 660, false, ""}, {150, 0, true, ""}});
  ASSERT_FALSE(disc.empty());
  auto missing = test::writeFile("nobin/nobin.cue",
                                 "FILE \"gone.bin\" BINARY\n  TRACK 01 AUDIO\n"
                                 "    INDEX 01 00:00:00\n");
  setenv("VEMLA_CD_IMAGES", (disc.string() + ":" + missing.string()).c_str(), 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  auto audio = audio::createAudioLib();
  test::RecordingView view;
  core::Player player(*audio);
  player.SetView(&view);
  player.SetDefaults("/opt/vemla/VemlaPlayer");
  ASSERT_TRUE(player.InitAudioDevice());
  {
    TVemlaCDAudio d(player);
    d.show();
    ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
    const QStringList all = drives(d.Unidades());
    const int ours =
        static_cast<int>(all.indexOf(QString::fromStdString(disc.string()) + ": dialogdisc.cue"));
    ASSERT_GE(ours, 0) << all.join("|").toStdString();
    ASSERT_EQ(all.size(), ours + 2);
    EXPECT_EQ(all[ours + 1], QString::fromStdString(missing.string()) + ": nobin.cue");

    d.Unidades()->setCurrentIndex(ours + 1);
    emit d.Unidades()->activated(ours + 1);
    ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
    EXPECT_EQ(d.CDPistas()->count(), 0);

    d.Unidades()->setCurrentIndex(ours);
    emit d.Unidades()->activated(ours);
    ASSERT_TRUE(waitFor([&] { return !d.filling(); }));
    EXPECT_EQ(rows(d.CDPistas()),
              QStringList({"Primera (0:03)", "Pista 02 (0:02)", "Pista 03 (data)"}));
    d.BitBtn1Click();
    d.BitBtn4Click();  // the data track cannot be opened: left out
  }
  ASSERT_EQ(player.List.EntryCount, 2);
  EXPECT_EQ(player.List.Entries[1].LengthSeconds, 3);
  EXPECT_EQ(view.rows[1], "2. CDA - CD-A - 2 - (00:02)");
  player.FreeAudioDevice();
  unsetenv("VEMLA_CD_IMAGES");
}

}  // namespace
