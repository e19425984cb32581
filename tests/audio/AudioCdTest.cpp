// CD access through disc images made at test time (BIN/CUE with raw 2352-byte sectors).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "AudioTestSupport.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::audio;
using namespace vemla::audio::test;

namespace {

std::string rawSine(double seconds, int hz) {
  fs::path out = vemla::test::tempDir() / ("cd-" + std::to_string(hz) + ".raw");
  std::string cmd =
      "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i 'aevalsrc=0.5*sin(2*PI*" +
      std::to_string(hz) + "*t)|0.5*sin(2*PI*" + std::to_string(hz) +
      "*t):s=44100:d=" + std::to_string(seconds) + "' -f s16le '" + out.string() + "'";
  if (vemla::test::run(cmd) != 0) return {};
  return vemla::test::readFile(out);
}

std::string cdaStub(int track) {
  std::string b(44, '\0');
  b.replace(0, 4, "RIFF");
  b[4] = 36;
  b.replace(8, 4, "CDDA");
  b.replace(12, 4, "fmt ");
  b[16] = 24;
  b[20] = 1;
  b[22] = static_cast<char>(track);
  return b;
}

// Images come after the machine's drives: find ours by its path.
int driveOf(AudioLib& lib, const fs::path& image) {
  for (int d = 0; d < 64; ++d) {
    if (lib.CD_GetDriveLetter(d) == image.string()) return d;
  }
  return -1;
}

class CdImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string one = rawSine(2.0, 1000), two = rawSine(1.0, 500);
    ASSERT_EQ(one.size(), 150u * 2352);
    ASSERT_EQ(two.size(), 75u * 2352);
    vemla::test::writeFile("disc/disc.bin", one + two);
    audio_ = vemla::test::writeFile("disc/disc.cue",
                                    "TITLE \"Disco de prueba\"\n"
                                    "PERFORMER \"Nadie\"\n"
                                    "FILE \"disc.bin\" BINARY\n"
                                    "  TRACK 01 AUDIO\n"
                                    "    TITLE \"Primera canción\"\n"
                                    "    INDEX 01 00:00:00\n"
                                    "  TRACK 02 AUDIO\n"
                                    "    TITLE \"Segunda canci\xf3n\"\n"
                                    "    INDEX 01 00:02:00\n");
    vemla::test::writeFile("data/data.bin", std::string(20 * 2352, '\0'));
    data_ = vemla::test::writeFile("data/data.cue",
                                   "FILE \"data.bin\" BINARY\n"
                                   "  TRACK 01 MODE1/2352\n"
                                   "    INDEX 01 00:00:00\n");
    // A cue sheet whose BIN is missing, and an image that does not exist at all.
    broken_ = vemla::test::writeFile("broken/broken.cue",
                                     "FILE \"gone.bin\" BINARY\n"
                                     "  TRACK 01 AUDIO\n"
                                     "    INDEX 01 00:00:00\n");
    std::string images = audio_.string() + ":" + data_.string() + ":" + broken_.string() + ":" +
                         (vemla::test::tempDir() / "nowhere.toc").string();
    setenv("VEMLA_CD_IMAGES", images.c_str(), 1);
  }
  fs::path audio_, data_, broken_;
};

TEST_F(CdImageTest, TracksLengthsAndTitles) {
  auto lib = createAudioLib();
  int d = driveOf(*lib, audio_);
  ASSERT_GE(d, 0);
  EXPECT_EQ(lib->CD_GetDriveDescription(d), "disc.cue");
  EXPECT_EQ(lib->CD_GetTracks(d), 2);
  EXPECT_EQ(lib->CD_GetTrackLength(d, 0), 352800);
  EXPECT_EQ(lib->CD_GetTrackLength(d, 1), 176400);
  EXPECT_EQ(lib->CD_GetTrackLength(d, 2), -1);
  std::vector<std::string> ids = lib->CD_GetID(d, 4);
  EXPECT_NE(std::find(ids.begin(), ids.end(), "Título1=Primera canción"), ids.end());
  EXPECT_NE(std::find(ids.begin(), ids.end(), "Título2=Segunda canción"), ids.end());
  EXPECT_TRUE(lib->CD_GetID(d, 1).empty());

  int data = driveOf(*lib, data_);
  ASSERT_EQ(data, d + 1);
  EXPECT_EQ(lib->CD_GetTracks(data), 1);
  EXPECT_EQ(lib->CD_GetTrackLength(data, 0), -1) << "a data track";
  EXPECT_EQ(lib->CD_StreamCreate(data, 0, 0), 0u);
  EXPECT_TRUE(lib->CD_GetID(data, 4).empty());

  for (int missing : {data + 1, data + 2}) {
    EXPECT_NE(lib->CD_GetDriveDescription(missing), "") << "listed, but holds no readable disc";
    EXPECT_EQ(lib->CD_GetTracks(missing), -1);
    EXPECT_EQ(lib->CD_GetTrackLength(missing, 0), -1);
    EXPECT_EQ(lib->CD_StreamCreate(missing, 0, 0), 0u);
    EXPECT_TRUE(lib->CD_GetID(missing, 4).empty());
  }
  for (int bad : {-1, data + 3, 1000}) {
    EXPECT_EQ(lib->CD_GetDriveDescription(bad), "");
    EXPECT_EQ(lib->CD_GetDriveLetter(bad), "");
    EXPECT_EQ(lib->CD_GetTracks(bad), -1);
    EXPECT_EQ(lib->CD_GetTrackLength(bad, 0), -1);
    EXPECT_EQ(lib->CD_StreamCreate(bad, 0, 0), 0u);
    EXPECT_TRUE(lib->CD_GetID(bad, 4).empty());
  }
  EXPECT_EQ(lib->CD_StreamCreate(d, 5, 0), 0u);
  EXPECT_EQ(lib->CD_StreamCreate(d, -1, 0), 0u);
}

TEST_F(CdImageTest, TrackPlaysWhatIsOnTheDisc) {
  fs::path out = vemla::test::tempDir() / "cd.raw";
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  int d = driveOf(*lib, audio_);
  ASSERT_GE(d, 0);
  Handle h = lib->CD_StreamCreate(d, 1, 0);
  ASSERT_NE(h, 0u);
  ChannelInfo info;
  ASSERT_TRUE(lib->ChannelGetInfo(h, &info));
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(info.ctype, kTypeCd);
  EXPECT_EQ(lib->ChannelGetLength(h), 176400u);
  EndCounter ends;
  lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  lib->Free();
  // Every sample of track 2 came out, in order, and nothing of track 1.
  std::string disc = vemla::test::readFile(audio_.parent_path() / "disc.bin");
  std::string heard = vemla::test::readFile(out);
  std::string track2 = disc.substr(150 * 2352);
  EXPECT_NE(heard.find(track2), std::string::npos) << "the whole track, without a gap";
  EXPECT_EQ(heard.find(disc.substr(1000, 4096)), std::string::npos);
}

// The disc's data gives out in the middle of a track (a disc ejected, an image cut short): the
// track ends there, as a file that went missing would, and its end is still reported.
TEST_F(CdImageTest, DataGivingOutEndsTheTrack) {
  fs::path out = vemla::test::tempDir() / "cut.raw";
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  int d = driveOf(*lib, audio_);
  ASSERT_GE(d, 0);
  Handle h = lib->CD_StreamCreate(d, 0, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(lib->ChannelGetLength(h), 352800u);
  fs::resize_file(audio_.parent_path() / "disc.bin", 40 * 2352);
  EndCounter ends;
  lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  lib->Free();
  std::string heard = vemla::test::readFile(out);
  std::string disc = vemla::test::readFile(audio_.parent_path() / "disc.bin");
  EXPECT_NE(heard.find(disc.substr(30 * 2352, 4096)), std::string::npos) << "what could be read";
  size_t sound = 0;
  for (size_t i = 0; i + 1 < heard.size(); i += 2) sound += heard[i] != 0 || heard[i + 1] != 0;
  EXPECT_LT(sound, 120u * 2352 / 2) << "no made-up sound past the cut";
}

TEST_F(CdImageTest, CdaStubOpensItsTrack) {
  auto lib = createAudioLib();
  int d = driveOf(*lib, audio_);
  if (d != 0) GTEST_SKIP() << "this machine has CD drives; a stub plays from the first one";
  fs::path stub = vemla::test::writeFile("Pista02.cda", cdaStub(2));
  Handle h = lib->CD_StreamCreateFile(stub.string(), 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(lib->ChannelGetLength(h), 176400u);
  EXPECT_EQ(lib->CD_StreamCreateFile(vemla::test::writeFile("bad.cda", "RIFF").string(), 0), 0u);
  EXPECT_EQ(lib->CD_StreamCreateFile(vemla::test::writeFile("t9.cda", cdaStub(9)).string(), 0), 0u);
  EXPECT_EQ(lib->CD_StreamCreateFile((vemla::test::tempDir() / "none.cda").string(), 0), 0u);
}

}  // namespace
