// The player on the real audio layer, through SDL's disk driver without delay, so a short track
// plays to its end in a few milliseconds.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "core/RecordingView.h"
#include "support/Fixtures.h"

using namespace vemla;
using test::makeSine;
using test::RecordingView;

namespace {

class RealAudio : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    setenv("SDL_DISKAUDIOFILE", (test::tempDir() / "disk.raw").c_str(), 1);
    audio_ = audio::createAudioLib();
    player_ = std::make_unique<core::Player>(*audio_);
    player_->SetView(&view_);
    player_->SetDefaults((test::tempDir() / "VemlaPlayer").string());
    ASSERT_TRUE(player_->InitAudioDevice());
    wav_ = makeSine("core_a.wav", 0.4, 440).string();
    mp3_ = makeSine("core_b.mp3", 0.4, 880, 44100, 2, 0.5, "-c:a libmp3lame -b:a 128k").string();
    ASSERT_FALSE(wav_.empty());
    ASSERT_FALSE(mp3_.empty());
  }
  void TearDown() override {
    player_->StopPlayback();
    player_->FreeAudioDevice();
    player_.reset();
    audio_.reset();
  }
  // Waits for the end-of-track request and runs it, as the window's event loop would.
  bool EndAndPump() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (view_.Pending() == 0) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    view_.Pump();
    return true;
  }
  int Active() {
    int slot = player_->CurrentSlot;
    return slot < 0 ? -1 : audio_->ChannelIsActive(player_->StreamSlots[slot].Handle);
  }
  // At full speed a short track may be over before anyone looks: started means playing, or
  // played to its last byte (a stream that never started stands at 0).
  bool Started() {
    int slot = player_->CurrentSlot;
    if (slot < 0) return false;
    audio::Handle h = player_->StreamSlots[slot].Handle;
    if (audio_->ChannelIsActive(h) == audio::kPlaying) return true;
    return audio_->ChannelGetPosition(h) == audio_->ChannelGetLength(h);
  }

  RecordingView view_;
  std::unique_ptr<audio::AudioLib> audio_;
  std::unique_ptr<core::Player> player_;
  std::string wav_;
  std::string mp3_;
};

}  // namespace

TEST_F(RealAudio, PlaysTheListToItsEnd) {
  player_->AddFileEntry(wav_);
  player_->AddFileEntry(mp3_);
  ASSERT_EQ(player_->List.EntryCount, 2);
  view_.SelectRow(0);
  player_->PlaySelected();
  EXPECT_EQ(player_->List.CurrentEntry, 1);
  EXPECT_TRUE(Started());
  ASSERT_TRUE(EndAndPump());
  EXPECT_EQ(player_->List.CurrentEntry, 2);
  EXPECT_EQ(view_.selected, 1);
  ASSERT_TRUE(EndAndPump());
  // Nothing after the last entry: it stays current, ended.
  EXPECT_EQ(player_->List.CurrentEntry, 2);
  EXPECT_NE(player_->CurrentSlot, -1);
  EXPECT_EQ(Active(), audio::kStopped);
  EXPECT_EQ(view_.nowPlaying, 2);
}

TEST_F(RealAudio, RepeatPlaysTwice) {
  player_->AddFileEntry(wav_);
  player_->RepeatMode = 1;
  view_.SelectRow(0);
  player_->PlaySelected();
  ASSERT_TRUE(EndAndPump());
  EXPECT_EQ(view_.nowPlaying, 2);
  EXPECT_TRUE(Started());
  ASSERT_TRUE(EndAndPump());
  EXPECT_EQ(view_.nowPlaying, 2);
}

TEST_F(RealAudio, PauseBeforeAnythingPlaysHoldsAtTheStart) {
  player_->AddFileEntry(mp3_);
  view_.SelectRow(0);
  player_->TogglePause();
  EXPECT_EQ(player_->Paused, 1);
  EXPECT_EQ(Active(), audio::kPaused);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  // The time display reads "00:00": at most a few buffers slipped out before the pause.
  EXPECT_LT(player_->StreamPositionSeconds(), 0.5f);
  player_->TogglePause();
  EXPECT_TRUE(Started());
  ASSERT_TRUE(EndAndPump());
}

TEST_F(RealAudio, MissingAndUnreadableFilesArePassedOver) {
  std::string junk = test::writeFile("core_junk.mp3", std::string(5000, 'j')).string();
  std::string list = "#EXTM3U\n/no/such/file.mp3\n" + junk + "\n#EXTINF:1,good\n" + wav_ + "\n";
  player_->LoadPlaylistFile(test::writeFile("core_list.m3u", list).string());
  ASSERT_EQ(player_->List.EntryCount, 3);
  view_.SelectRow(0);
  player_->PlaySelected();
  EXPECT_EQ(player_->List.CurrentEntry, 3);
  EXPECT_TRUE(Started());
  EXPECT_EQ(player_->List.Entries[3].FormatName, "WAV");

  // A file added directly that the layer cannot read is not added at all.
  player_->AddFileEntry(junk);
  EXPECT_EQ(player_->List.EntryCount, 3);
}

TEST_F(RealAudio, ListsNamedAsAudioArePassedOverWithoutOpeningWhatTheyName) {
  auto dir = test::tempDir() / "named";
  std::filesystem::create_directories(dir);
  ASSERT_EQ(::mkfifo((dir / "y.wav").c_str(), 0600), 0);
  std::string concat =
      test::writeFile("named/fifo_concat.mp3", "ffconcat version 1.0\nfile y.wav\n").string();
  std::string hls = test::writeFile("named/hls.mp3",
                                    "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\ny.wav\n"
                                    "#EXT-X-ENDLIST\n")
                        .string();
  std::string list = "#EXTM3U\n" + wav_ + "\n" + concat + "\n" + hls + "\n" + mp3_ + "\n";
  player_->LoadPlaylistFile(test::writeFile("named.m3u", list).string());
  ASSERT_EQ(player_->List.EntryCount, 4);
  view_.SelectRow(0);
  player_->PlaySelected();
  // The end of the first track passes both over to the last; with the FIFO opened this hung.
  ASSERT_TRUE(EndAndPump());
  EXPECT_EQ(player_->List.CurrentEntry, 4);
  EXPECT_TRUE(Started());
  // Added directly, neither is taken.
  EXPECT_FALSE(player_->AddFileEntry(concat));
  EXPECT_FALSE(player_->AddFileEntry(hls));
}

TEST_F(RealAudio, EntryFiguresAndSeeking) {
  std::string mp3 =
      makeSine("core_2s.mp3", 2.0, 440, 44100, 2, 0.5, "-c:a libmp3lame -b:a 128k").string();
  std::string ogg = makeSine("core_2s.ogg", 2.0, 440, 44100, 2, 0.5,
                             "-c:a libvorbis -b:a 96k -metadata title=Tema -metadata artist=Grupo")
                        .string();
  std::string wav = makeSine("core_2s.wav", 2.0, 440).string();
  player_->AddFileEntry(mp3);
  player_->AddFileEntry(ogg);
  player_->AddFileEntry(wav);
  ASSERT_EQ(player_->List.EntryCount, 3);
  EXPECT_EQ(player_->List.Entries[3].BitRate, 172);  // 176,400 decoded bytes a second
  const auto& m = player_->List.Entries[1];
  EXPECT_EQ(m.LengthSeconds, 2);
  EXPECT_NEAR(m.BitRate, 172, 5);
  EXPECT_EQ(m.SampleRate, 44100);
  EXPECT_EQ(m.Channels, 2);
  EXPECT_EQ(m.BitsPerSample, 16);
  EXPECT_EQ(m.Artist, "core_2s");
  EXPECT_TRUE(m.Title.empty());
  const auto& o = player_->List.Entries[2];
  EXPECT_EQ(o.Artist, "Grupo");
  EXPECT_EQ(o.Title, "Tema");
  EXPECT_EQ(o.DisplayLine, "2. Grupo - Tema - (00:02)");
  // The Ogg reader's average rate of the compressed file, not the decoded figure.
  EXPECT_GT(o.BitRate, 10);
  EXPECT_LT(o.BitRate, 150);

  view_.SelectRow(0);
  player_->TogglePause();  // held paused so the position can be read back exactly
  EXPECT_NEAR(player_->StreamLengthSeconds(), 2.0f, 0.06f);
  player_->SeekSeconds(1);
  EXPECT_NEAR(player_->StreamPositionSeconds(), 1.0f, 0.05f);
}
