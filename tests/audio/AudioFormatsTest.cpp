// Every file kind the player knows opens with its opener and reports its true length, rate and
// channels; bad files give handle 0 or play what decodes and end normally.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include "AudioTestSupport.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::audio;
using namespace vemla::audio::test;

namespace {
using Opener = Handle (AudioLib::*)(bool, const std::string&, uint64_t, uint64_t, uint32_t);

struct Format {
  const char* kind;
  Opener open;
  int rate;
  int channels;
};

const Format kFormats[] = {
    {"wav", &AudioLib::StreamCreateFile, 22050, 1},
    {"ogg", &AudioLib::StreamCreateFile, 44100, 2},
    {"mpg", &AudioLib::StreamCreateFile, 44100, 2},
    {"mp2", &AudioLib::StreamCreateFile, 48000, 2},
    {"mp3", &AudioLib::StreamCreateFile, 44100, 2},
    {"wma", &AudioLib::WMA_StreamCreateFile, 44100, 2},
    {"aac", &AudioLib::AAC_StreamCreateFile, 44100, 2},
    {"mp4", &AudioLib::AAC_StreamCreateFile, 48000, 2},
    {"ac3", &AudioLib::AC3_StreamCreateFile, 48000, 2},
    {"alac", &AudioLib::ALAC_StreamCreateFile, 44100, 2},
    {"m4a", &AudioLib::ALAC_StreamCreateFile, 44100, 2},
    {"ape", &AudioLib::APE_StreamCreateFile, 44100, 2},
    {"mpc", &AudioLib::MPC_StreamCreateFile, 44100, 2},
    {"spx", &AudioLib::SPX_StreamCreateFile, 16000, 1},
    {"tta", &AudioLib::TTA_StreamCreateFile, 44100, 2},
    {"wv", &AudioLib::WV_StreamCreateFile, 44100, 2},
    {"flac", &AudioLib::FLAC_StreamCreateFile, 96000, 2},
};

class FormatTest : public ::testing::TestWithParam<Format> {};

TEST_P(FormatTest, OpensWithTrueLengthRateAndChannels) {
  const Format& f = GetParam();
  fs::path file = makeFixture(f.kind, 2.0, false, f.rate, f.channels);
  if (file.empty()) GTEST_SKIP() << "no encoder for " << f.kind;
  auto lib = createAudioLib();  // opening needs no device
  Handle h = ((*lib).*(f.open))(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u) << file;
  ChannelInfo info;
  ASSERT_TRUE(lib->ChannelGetInfo(h, &info));
  EXPECT_EQ(info.freq, static_cast<uint32_t>(f.rate));
  EXPECT_EQ(info.chans, static_cast<uint32_t>(f.channels));
  EXPECT_EQ(info.ctype, kTypeFile);
  uint64_t bytes = lib->ChannelGetLength(h);
  EXPECT_EQ(bytes % (2 * info.chans), 0u);
  EXPECT_NEAR(lib->ChannelBytes2Seconds(h, bytes), 2.0, 0.05) << f.kind;
  EXPECT_TRUE(lib->StreamFree(h));
}

TEST_P(FormatTest, PlaysToTheEndThroughTheDevice) {
  const Format& f = GetParam();
  fs::path file = makeFixture(f.kind, 2.0, false, f.rate, f.channels);
  if (file.empty()) GTEST_SKIP() << "no encoder for " << f.kind;
  fs::path out = vemla::test::tempDir() / (std::string("out-") + f.kind + ".raw");
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  Handle h = ((*lib).*(f.open))(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  EndCounter ends;
  ASSERT_NE(lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends), 0u);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  lib->Free();
  // What was heard: a 1 kHz half-scale sine at 44100 Hz, about 2 s of it.
  std::vector<int16_t> pcm = readPcm(out);
  int peak = 0;
  size_t loud = 0;
  for (int16_t s : pcm) {
    peak = std::max(peak, std::abs(static_cast<int>(s)));
    if (std::abs(static_cast<int>(s)) > 4000) ++loud;
  }
  EXPECT_NEAR(peak, 16384, 16384 * 0.15) << f.kind;
  // About 2/3 of a sine's samples lie above a quarter of its peak.
  EXPECT_NEAR(static_cast<double>(loud) / 2 / 44100, 2.0 * 0.84, 0.25) << f.kind;
}

INSTANTIATE_TEST_SUITE_P(AllKinds, FormatTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.kind); });

TEST(AudioFileNames, AnyLocalPathOpensAsAFile) {
  fs::path flac = makeFixture("flac", 1.0);
  ASSERT_FALSE(flac.empty());
  auto lib = createAudioLib();
  // Characters a URL would read as protocol, query or fragment are just a file's name.
  for (const char* name : {"canción #1?.flac", "http:not-a-host.flac", "a:b c%20d.flac"}) {
    fs::path odd = vemla::test::tempDir() / "odd" / name;
    fs::create_directories(odd.parent_path());
    fs::copy_file(flac, odd, fs::copy_options::overwrite_existing);
    Handle h = lib->FLAC_StreamCreateFile(false, odd.string(), 0, 0, 0);
    EXPECT_NE(h, 0u) << name;
    lib->StreamFree(h);
  }
  EXPECT_EQ(lib->StreamCreateFile(false, "http://127.0.0.1:9/x.mp3", 0, 0, 0), 0u);
}

TEST(AudioBadInput, EveryBadFileGivesNoHandleOrPlaysToAnEnd) {
  fs::path mp3 = makeFixture("mp3", 2.0);
  fs::path flac = makeFixture("flac", 2.0);
  ASSERT_FALSE(mp3.empty());
  ASSERT_FALSE(flac.empty());
  std::string mp3Bytes = vemla::test::readFile(mp3);
  std::string flacBytes = vemla::test::readFile(flac);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise += static_cast<char>((i * 7919 + 13) % 251);
  fs::create_directories(vemla::test::tempDir() / "folder.mp3");
  std::string flacCorrupt = flacBytes;
  for (size_t i = flacCorrupt.size() / 3; i < flacCorrupt.size() / 2; ++i) flacCorrupt[i] ^= 0x5a;
  struct Case {
    const char* what;
    fs::path path;
  } cases[] = {
      {"missing", vemla::test::tempDir() / "nothing-here.mp3"},
      {"directory", vemla::test::tempDir() / "folder.mp3"},
      {"empty", vemla::test::writeFile("empty.mp3", "")},
      {"text", vemla::test::writeFile("text.mp3", "#EXTM3U\nnot audio at all\n")},
      {"noise", vemla::test::writeFile("noise.flac", noise)},
      {"truncated mp3", vemla::test::writeFile("cut.mp3", mp3Bytes.substr(0, 3000))},
      {"truncated flac",
       vemla::test::writeFile("cut.flac", flacBytes.substr(0, flacBytes.size() / 2))},
      {"corrupt flac", vemla::test::writeFile("corrupt.flac", flacCorrupt)},
      {"header only", vemla::test::writeFile("head.flac", flacBytes.substr(0, 100))},
      {"flac named mp3", vemla::test::writeFile("really-flac.mp3", flacBytes)},
  };
  auto lib = makeLib(vemla::test::tempDir() / "bad.raw");
  ASSERT_TRUE(lib);
  for (const Case& c : cases) {
    Handle h = lib->StreamCreateFile(false, c.path.string(), 0, 0, 0);
    if (h == 0) continue;
    EndCounter ends;
    ASSERT_NE(lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends), 0u) << c.what;
    ASSERT_TRUE(lib->ChannelPlay(h, false)) << c.what;
    EXPECT_TRUE(ends.waitFor(1, 60)) << c.what << " did not end";
    EXPECT_EQ(lib->ChannelIsActive(h), kStopped) << c.what;
    EXPECT_TRUE(lib->StreamFree(h));
  }
  // What must fail, fails.
  for (int i : {0, 1, 2, 3}) {
    EXPECT_EQ(lib->StreamCreateFile(false, cases[i].path.string(), 0, 0, 0), 0u) << cases[i].what;
  }
  Handle named = lib->StreamCreateFile(false, cases[9].path.string(), 0, 0, 0);
  ASSERT_NE(named, 0u) << "content decides, not the extension";
  EXPECT_NEAR(lib->ChannelBytes2Seconds(named, lib->ChannelGetLength(named)), 2.0, 0.05);
  // No free OptimFROG decoder: the add-on counts as missing.
  EXPECT_EQ(lib->OFR_StreamCreateFile(false, flac.string(), 0, 0, 0), 0u);
  // Memory streams and file sections are not offered.
  EXPECT_EQ(lib->StreamCreateFile(true, flac.string(), 0, 0, 0), 0u);
  EXPECT_EQ(lib->StreamCreateFile(false, flac.string(), 100, 0, 0), 0u);
}

}  // namespace
