// The layer's pure pieces: Musepack and LAME headers, ".cda" stubs, spectrum scaling.
#include <gtest/gtest.h>

#include <cmath>

#include "AudioTestSupport.h"
#include "audio/CdDrives.h"
#include "audio/LameHeader.h"
#include "audio/LibraryVersions.h"
#include "audio/MusepackHeader.h"
#include "audio/SpectrumAnalyzer.h"
#include "support/Fixtures.h"

using namespace vemla::audio;

namespace {

std::string sv8(uint64_t samples, uint64_t silence) {
  auto varint = [](uint64_t v) {
    std::string b;
    std::string rev;
    do {
      rev += static_cast<char>(v & 0x7f);
      v >>= 7;
    } while (v);
    for (size_t i = rev.size(); i-- > 0;) b += static_cast<char>(rev[i] | (i ? 0x80 : 0));
    return b;
  };
  std::string body = std::string(4, '\0') + '\x08' + varint(samples) + varint(silence) + "\x00\x00";
  return "MPCK" + std::string("SH") + static_cast<char>(body.size() + 3) + body;
}

TEST(LibraryVersions, EveryLibraryAnswersWithANumberedVersion) {
  EXPECT_EQ(packedVersionText((59u << 16) | (27u << 8) | 100u), "59.27.100");
  EXPECT_EQ(packedVersionText(0), "0.0.0");
  const char* const names[] = {"FFmpeg",        "libavformat", "libavcodec", "libavutil",
                               "libswresample", "SDL",         "libcdio",    "libcdio-paranoia"};
  const std::vector<LibraryVersion> all = libraryVersions();
  ASSERT_EQ(all.size(), std::size(names));
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i].name, names[i]);
    // A release number, not a placeholder or a build-host suffix.
    EXPECT_TRUE(!all[i].version.empty() &&
                std::isdigit(static_cast<unsigned char>(all[i].version[0])))
        << all[i].name << " " << all[i].version;
    EXPECT_EQ(all[i].version.find(' '), std::string::npos) << all[i].name;
  }
}

TEST(MusepackHeader, ReadsTheExactSampleCount) {
  struct {
    std::string bytes;
    int64_t samples;
  } cases[] = {
      {sv8(88200, 0), 88200},
      {sv8(1234567, 1200), 1234567 - 1200},
      {sv8(100, 200), 0},  // more silence than samples
      {"MPCK", 0},         // no header packet
      {"MPCKSH", 0},       // cut short
      {"ID3\x03", 0},      // not Musepack
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(MusepackHeader::sampleCount(c.bytes), c.samples);
  // A key packet with a size pointing backwards ends the walk instead of looping.
  EXPECT_EQ(MusepackHeader::sampleCount(std::string("MPCKRG\x01", 7) + std::string(20, 'x')), 0);
}

TEST(LameHeader, GivesTheSampleCountWithoutDelayAndPadding) {
  namespace fs = std::filesystem;
  fs::path wav = vemla::audio::test::makeFixture("wav", 2.0);
  ASSERT_FALSE(wav.empty());
  struct {
    const char* name;
    const char* args;
    int64_t samples;  // 0: no header to read
  } cases[] = {
      {"mpeg1.mp3", "", 88200},
      {"mono.mp3", "-ac 1", 88200},
      {"mpeg2.mp3", "-ar 22050", 44100},
      {"mpeg25.mp3", "-ar 8000 -ac 1", 16000},
      {"vbr.mp3", "-q:a 4", 88200},
      {"noxing.mp3", "-write_xing 0", 0},
      {"bigtag.mp3", "-metadata comment=$(head -c 30000 /dev/zero | tr '\\0' x)", 88200},
  };
  for (const auto& c : cases) {
    fs::path out = vemla::test::tempDir() / c.name;
    ASSERT_EQ(vemla::test::run("ffmpeg -nostdin -loglevel error -y -i '" + wav.string() +
                               "' -c:a libmp3lame " + c.args + " '" + out.string() + "'"),
              0)
        << c.name;
    EXPECT_EQ(LameHeader::sampleCountOfFile(out.string()), c.samples) << c.name;
  }
  std::string good = vemla::test::readFile(vemla::test::tempDir() / "mpeg1.mp3");
  EXPECT_EQ(LameHeader::sampleCount(good.substr(0, 200)), 0) << "cut inside the header";
  EXPECT_EQ(LameHeader::sampleCount(""), 0);
  EXPECT_EQ(LameHeader::sampleCount(std::string("ID3\x04\x00\x00\x7f\x7f\x7f\x7f", 10)), 0);
  EXPECT_EQ(LameHeader::sampleCountOfFile("/nonexistent/file.mp3"), 0);
}

TEST(CdaStub, GivesTheTrackNumber) {
  std::string stub(44, '\0');
  stub.replace(0, 4, "RIFF");
  stub.replace(8, 4, "CDDA");
  stub.replace(12, 4, "fmt ");
  stub[22] = 7;
  EXPECT_EQ(CdDrives::cdaTrackNumber(stub), 7);
  EXPECT_EQ(CdDrives::cdaTrackNumber(stub.substr(0, 43)), -1);
  std::string zero = stub;
  zero[22] = 0;
  EXPECT_EQ(CdDrives::cdaTrackNumber(zero), -1);
  std::string wave = stub;
  wave.replace(8, 4, "WAVE");
  EXPECT_EQ(CdDrives::cdaTrackNumber(wave), -1);
}

TEST(SpectrumAnalyzer, FullScaleSinePeaksNearOneAtItsBin) {
  SpectrumAnalyzer fft;
  std::vector<int16_t> frames(2048);
  for (int bin : {10, 100, 300}) {
    for (int i = 0; i < 1024; ++i) {
      auto v = static_cast<int16_t>(32767 * std::sin(2 * M_PI * bin * i / 1024.0));
      frames[2 * i] = frames[2 * i + 1] = v;
    }
    float out[512];
    ASSERT_TRUE(fft.analyze(frames.data(), out));
    EXPECT_NEAR(out[bin], 1.0, 0.01);
    EXPECT_NEAR(out[bin + 1], 0.5, 0.01) << "Hann window's neighbour";
    EXPECT_LT(out[bin + 5], 1e-3);
  }
  // Opposite channels cancel in the mono mix.
  for (int i = 0; i < 1024; ++i) {
    frames[2 * i] = 10000;
    frames[2 * i + 1] = -10000;
  }
  float out[512];
  fft.analyze(frames.data(), out);
  EXPECT_LT(*std::max_element(out, out + 512), 1e-6);
}

}  // namespace
