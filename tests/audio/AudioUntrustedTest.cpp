// Files that are not what their names say: list and playlist formats must not make the decoder
// open other files (a FIFO among them), and long runs of zeros must cost a bounded read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <fstream>

#include "AudioTestSupport.h"
#include "audio/FfmpegDecoder.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::audio;
using namespace vemla::audio::test;

namespace {

fs::path folder(const std::string& name) {
  fs::path dir = vemla::test::tempDir() / name;
  fs::create_directories(dir);
  return dir;
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// The first `head` bytes of `source`, then zeros up to `size` (a sparse hole, no disk used).
fs::path zeroTail(const fs::path& source, const std::string& name, uintmax_t head, uintmax_t size) {
  std::string bytes = vemla::test::readFile(source).substr(0, head);
  fs::path path = vemla::test::writeFile(name, bytes);
  fs::resize_file(path, size);
  return path;
}

TEST(AudioUntrusted, ListAndPlaylistFormatsOpenNothing) {
  fs::path dir = folder("lists");
  fs::path wav = makeFixture("wav", 1.0);
  ASSERT_FALSE(wav.empty());
  fs::copy_file(wav, dir / "good.wav", fs::copy_options::overwrite_existing);
  ASSERT_EQ(::mkfifo((dir / "y.wav").c_str(), 0600), 0);
  struct Case {
    const char* name;
    const char* text;
  } cases[] = {
      {"fifo_concat.mp3", "ffconcat version 1.0\nfile y.wav\n"},
      {"good_concat.mp3", "ffconcat version 1.0\nfile good.wav\n"},
      {"hls.mp3",
       "#EXTM3U\n#EXT-X-VERSION:3\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:0\n"
       "#EXTINF:1.0,\ngood.wav\n#EXTINF:1.0,\ny.wav\n#EXT-X-ENDLIST\n"},
      {"hls_fifo.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXTINF:1.0,\ny.wav\n#EXT-X-ENDLIST\n"},
  };
  auto lib = createAudioLib();
  ASSERT_NE(FfmpegDecoder::open((dir / "good.wav").string()), nullptr);
  for (const Case& c : cases) {
    fs::path path = dir / c.name;
    writeText(path, c.text);
    // With the old open, the FIFO cases never came back.
    EXPECT_EQ(FfmpegDecoder::open(path.string()), nullptr) << c.name;
    EXPECT_EQ(lib->StreamCreateFile(false, path.string(), 0, 0, 0), 0u) << c.name;
  }
  // A FIFO itself, named as audio, is refused without waiting for a writer.
  EXPECT_EQ(FfmpegDecoder::open((dir / "y.wav").string()), nullptr);
}

// Frames a decoder gives up to its end.
int64_t decodeAll(FfmpegDecoder& d) {
  std::vector<int16_t> buffer(4096 * 8);
  int64_t frames = 0;
  while (int n = d.read(buffer.data(), 4096)) frames += n;
  return frames;
}

TEST(AudioUntrusted, ZeroFilledAndSparseFilesCostABoundedRead) {
  fs::path mp3 = makeFixture("mp3", 3.0);
  fs::path flac = makeFixture("flac", 3.0);
  fs::path wav = makeFixture("wav", 3.0);
  ASSERT_FALSE(mp3.empty());
  ASSERT_FALSE(flac.empty());
  ASSERT_FALSE(wav.empty());
  DecoderLimits limits;
  // Reads come in whole I/O buffers: allow one more than the budget.
  const int64_t slack = 64 * 1024;
  enum Expect { kFails, kMayOpen, kPlaysWhole };
  struct Case {
    fs::path path;
    Expect expect;
  } cases[] = {
      // A pre-allocated download: the first 16 KB, then zeros.
      {zeroTail(mp3, "prealloc.mp3", 16 * 1024, 200u << 20), kMayOpen},
      {zeroTail(flac, "prealloc.flac", 16 * 1024, 200u << 20), kMayOpen},
      {zeroTail(flac, "sparse.flac", 16 * 1024, uintmax_t{8} << 30), kMayOpen},
      {zeroTail(mp3, "hole.mp3", 0, 200u << 20), kFails},
      // A whole song, then zeros: it plays, and the zeros end it.
      {zeroTail(mp3, "tail.mp3", fs::file_size(mp3), 200u << 20), kPlaysWhole},
      {zeroTail(wav, "tail.wav", fs::file_size(wav), 200u << 20), kPlaysWhole},
  };
  for (const Case& c : cases) {
    OpenReport report;
    auto d = FfmpegDecoder::open(c.path.string(), limits, &report);
    // A header and the stream probe: nowhere near the file.
    EXPECT_LE(report.bytesRead, limits.headerBytes + limits.probeBytes + 2 * slack) << c.path;
    if (c.expect == kFails) EXPECT_EQ(d, nullptr) << c.path;
    if (c.expect == kPlaysWhole) EXPECT_NE(d, nullptr) << c.path;
    if (!d) continue;
    int64_t frames = decodeAll(*d);
    int64_t whole = int64_t{3} * d->rate();
    if (c.expect == kPlaysWhole) EXPECT_GE(frames, whole - 4096) << c.path;
    EXPECT_LE(frames, whole + 4096) << c.path;
    // Past the audio, the zeros cost a step's budget, not the file.
    EXPECT_LE(d->bytesRead(), report.bytesRead + 2 * limits.stepBytes + 2 * slack) << c.path;
  }
}

TEST(AudioUntrusted, OpenStopsAtItsDeadlineAndBudget) {
  fs::path mp3 = makeFixture("mp3", 2.0);
  ASSERT_FALSE(mp3.empty());
  OpenReport report;
  ASSERT_NE(FfmpegDecoder::open(mp3.string(), DecoderLimits(), &report), nullptr);
  EXPECT_FALSE(report.timedOut);
  EXPECT_FALSE(report.overBudget);

  DecoderLimits late;
  late.openDeadline = std::chrono::milliseconds(0);
  EXPECT_EQ(FfmpegDecoder::open(mp3.string(), late, &report), nullptr);
  EXPECT_TRUE(report.timedOut);

  // A spent budget cuts the probe short, and what it found still plays to the end.
  DecoderLimits tiny;
  tiny.headerBytes = 4096;
  tiny.probeBytes = 1000;
  auto d = FfmpegDecoder::open(mp3.string(), tiny, &report);
  EXPECT_TRUE(report.overBudget);
  EXPECT_LE(report.bytesRead, 4096 + 1000 + 1024);  // the encoder's small ID3v2 tag is free
  ASSERT_NE(d, nullptr);
  EXPECT_NEAR(static_cast<double>(decodeAll(*d)) / d->rate(), 2.0, 0.1);
}

TEST(AudioUntrusted, LeadingTagIsReadBeyondTheHeaderBudgetUpToAPoint) {
  fs::path mp3 = makeFixture("mp3", 2.0);
  ASSERT_FALSE(mp3.empty());
  auto id3 = [](uint32_t size) {
    std::string tag = "ID3";
    tag += std::string("\x03\x00\x00", 3);
    for (int shift : {21, 14, 7, 0}) tag += static_cast<char>((size >> shift) & 0x7f);
    return tag;
  };
  // A tag of 3 MB of padding, as a tag with a big cover picture would be: it still opens.
  const uint32_t size = 3u << 20;
  fs::path tagged = vemla::test::writeFile(
      "bigtag.mp3", id3(size) + std::string(size, '\0') + vemla::test::readFile(mp3));
  DecoderLimits limits;
  limits.headerBytes = 1 << 20;
  auto d = FfmpegDecoder::open(tagged.string(), limits);
  ASSERT_NE(d, nullptr);
  EXPECT_NEAR(static_cast<double>(d->lengthFrames()) / d->rate(), 2.0, 0.05);

  // A tag that claims 256 MB of zeros is not read whole.
  fs::path huge = vemla::test::writeFile("hugetag.mp3", id3(0x0fffffff));
  fs::resize_file(huge, 300u << 20);
  OpenReport report;
  EXPECT_EQ(FfmpegDecoder::open(huge.string(), limits, &report), nullptr);
  EXPECT_LE(report.bytesRead, limits.headerBytes + (4 << 20) + limits.probeBytes);
}

}  // namespace
