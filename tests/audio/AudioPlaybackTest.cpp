// Playing through SDL's dummy (real time) and disk (full speed) drivers: states, end sync,
// sample-accurate seeks, what is heard (data, spectrum, levels), volume, and freeing safely.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "AudioTestSupport.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla::audio;
using namespace vemla::audio::test;
using std::chrono::milliseconds;

namespace {

void sleepMs(int ms) { std::this_thread::sleep_for(milliseconds(ms)); }

// Waits (a minute at most, for a busy machine) until `h` has been heard past `seconds`.
bool heardPast(AudioLib& lib, Handle h, double seconds) {
  const uint64_t bytes = lib.ChannelSeconds2Bytes(h, seconds);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (lib.ChannelGetPosition(h) < bytes || lib.ChannelGetPosition(h) == UINT64_MAX) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    sleepMs(1);
  }
  return true;
}

// Leading silence of the device output is what played before the stream started.
size_t firstSound(const std::vector<int16_t>& pcm) {
  size_t i = 0;
  while (i < pcm.size() && std::abs(pcm[i]) < 64) ++i;
  return i / 2;
}

// Frame offset in `ref` where `probe` (stereo, `frames` long) fits best, searched in
// [from, to); also gives the normalised correlation there.
long bestOffset(const std::vector<int16_t>& ref, const int16_t* probe, long frames, long from,
                long to, double* score) {
  long best = -1;
  double bestScore = -2;
  for (long off = std::max(0L, from);
       off < to && (off + frames) * 2 <= static_cast<long>(ref.size()); ++off) {
    double xy = 0, xx = 0, yy = 0;
    for (long i = 0; i < frames; i += 8) {
      double x = ref[static_cast<size_t>((off + i) * 2)], y = probe[i * 2];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    double s = xy / std::sqrt(xx * yy + 1e-9);
    if (s > bestScore) {
      bestScore = s;
      best = off;
    }
  }
  *score = bestScore;
  return best;
}

TEST(AudioPlayback, PlayPauseResumeStopStates) {
  fs::path file = makeFixture("wav", 3.0);
  ASSERT_FALSE(file.empty());
  auto lib = makeLib();
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(lib->ChannelIsActive(h), kStopped);
  EXPECT_FALSE(lib->ChannelPause(h)) << "nothing to pause before playing";
  EXPECT_TRUE(lib->ChannelPreBuf(h, 20));
  const auto played = std::chrono::steady_clock::now();
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  EXPECT_EQ(lib->ChannelIsActive(h), kPlaying);
  ASSERT_TRUE(heardPast(*lib, h, 0.05));
  ASSERT_TRUE(lib->ChannelPause(h));
  EXPECT_EQ(lib->ChannelIsActive(h), kPaused);
  sleepMs(100);  // the last device buffer drains: a position settles within one buffer's time
  uint64_t pausedAt = lib->ChannelGetPosition(h);
  double pausedSec = lib->ChannelBytes2Seconds(h, pausedAt);
  double since = std::chrono::duration<double>(std::chrono::steady_clock::now() - played).count();
  EXPECT_GE(pausedSec, 0.05);
  EXPECT_LE(pausedSec, since + 0.1) << "a sound card plays in real time, never ahead of it";
  sleepMs(200);
  EXPECT_EQ(lib->ChannelGetPosition(h), pausedAt) << "a paused stream stands still";
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  EXPECT_EQ(lib->ChannelIsActive(h), kPlaying);
  EXPECT_TRUE(heardPast(*lib, h, pausedSec + 0.05));
  EXPECT_TRUE(lib->ChannelStop(h));
  EXPECT_EQ(lib->ChannelIsActive(h), kStopped);
  EXPECT_TRUE(lib->StreamFree(h));
  EXPECT_EQ(lib->ChannelIsActive(h), kStopped);
}

TEST(AudioPlayback, EndSyncFiresOnceOnALibraryThreadAfterTheLastSample) {
  fs::path file = makeFixture("ogg", 1.0);
  ASSERT_FALSE(file.empty());
  auto lib = makeLib(vemla::test::tempDir() / "end.raw");
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  EndCounter ends;
  ASSERT_NE(lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends), 0u);
  EXPECT_EQ(lib->ChannelSetSync(h, 7, 0, &EndCounter::proc, &ends), 0u) << "only the end sync";
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  sleepMs(200);
  EXPECT_EQ(ends.count, 1);
  EXPECT_TRUE(ends.onOtherThread);
  EXPECT_EQ(lib->ChannelIsActive(h), kStopped);
  EXPECT_EQ(lib->ChannelGetPosition(h), lib->ChannelGetLength(h));
  // Playing an ended stream again starts it over, and it ends (and syncs) once more.
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(2, 60));
  sleepMs(100);
  EXPECT_EQ(ends.count, 2);
}

struct SeekCase {
  const char* kind;
  double target;
};

class SeekTest : public ::testing::TestWithParam<SeekCase> {};

TEST_P(SeekTest, FirstSampleHeardIsTheTarget) {
  const SeekCase& c = GetParam();
  fs::path file = makeFixture(c.kind, 6.0, true);
  if (file.empty()) GTEST_SKIP() << "no encoder for " << c.kind;
  std::vector<int16_t> ref = referencePcm(file);
  ASSERT_GT(ref.size(), 44100u * 2 * 5);
  fs::path out = vemla::test::tempDir() / (std::string("seek-") + c.kind + ".raw");
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  uint64_t bytes = lib->ChannelSeconds2Bytes(h, c.target);
  ASSERT_TRUE(lib->ChannelSetPosition(h, bytes));
  EXPECT_EQ(lib->ChannelGetPosition(h), bytes);
  lib->ChannelPreBuf(h, 20);
  EndCounter ends;
  lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  lib->Free();
  std::vector<int16_t> pcm = readPcm(out);
  size_t start = firstSound(pcm);
  const long probe = 4096;
  ASSERT_GT(pcm.size(), (start + probe) * 2);
  long target = std::lround(c.target * 44100);
  double score = 0;
  long found = bestOffset(ref, &pcm[start * 2], probe, target - 11025, target + 11025, &score);
  EXPECT_GT(score, 0.9) << c.kind;
  EXPECT_NEAR(found, target, 441) << c.kind << ": heard from " << found / 44100.0 << " s";
}

INSTANTIATE_TEST_SUITE_P(Formats, SeekTest,
                         ::testing::Values(SeekCase{"mp3", 3.3}, SeekCase{"ogg", 4.1},
                                           SeekCase{"flac", 2.7}, SeekCase{"ape", 3.9},
                                           SeekCase{"tta", 1.6}, SeekCase{"mp3", 0.4}),
                         [](const auto& info) {
                           return std::string(info.param.kind) + "_" + std::to_string(info.index);
                         });

TEST(AudioPlayback, SeeksDropWhatWasDecodedAhead) {
  fs::path file = makeFixture("flac", 6.0, true);
  ASSERT_FALSE(file.empty());
  std::vector<int16_t> ref = referencePcm(file);
  fs::path out = vemla::test::tempDir() / "seek-ahead.raw";
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  EndCounter ends;
  lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
  // The start is decoded ahead, then left for 4 s, and 1 s is asked for while playing.
  ASSERT_TRUE(lib->ChannelPreBuf(h, 20));
  ASSERT_TRUE(lib->ChannelSetPosition(h, lib->ChannelSeconds2Bytes(h, 4.0)));
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(lib->ChannelSetPosition(h, lib->ChannelSeconds2Bytes(h, 1.0)));
  ASSERT_TRUE(ends.waitFor(1, 60));
  EXPECT_EQ(ends.count, 1);
  lib->Free();
  std::vector<int16_t> pcm = readPcm(out);
  size_t first = firstSound(pcm) * 2;
  ASSERT_LT(first + 512, pcm.size());
  const size_t four = 4 * 44100 * 2, one = 44100 * 2;
  // What plays first is the 4-s point, or the 1-s point when the second seek came before the
  // device took anything: never the start that was decoded ahead.
  auto start = std::search(ref.begin(), ref.end(), pcm.begin() + first, pcm.begin() + first + 256);
  ASSERT_NE(start, ref.end()) << "heard something that is not in the stream";
  size_t from = static_cast<size_t>(start - ref.begin());
  EXPECT_TRUE((from + 4 >= four && from <= four + 4) || (from + 4 >= one && from <= one + 4))
      << "first heard: sample " << from / 2;
  // From the 1-s point on, the rest of the stream, sample for sample.
  auto at = std::search(pcm.begin(), pcm.end(), ref.begin() + one, ref.begin() + one + 256);
  ASSERT_NE(at, pcm.end()) << "the second target was never heard";
  ASSERT_GE(static_cast<size_t>(pcm.end() - at), ref.size() - one);
  EXPECT_TRUE(std::equal(ref.begin() + one, ref.end(), at));
}

class HeardTest : public ::testing::TestWithParam<bool> {};

// On a sound card (dummy driver, real time) and on the disk sink, whose long buffers must not
// push "what is heard" out of the stream's history.
TEST_P(HeardTest, DataSpectrumAndLevelsDescribeWhatIsHeard) {
  const bool disk = GetParam();
  // A half-scale 1722.66 Hz sine sits exactly on bin 40 of a 1024-point FFT at 44100 Hz.
  fs::path file = makeFixture("wav", disk ? 20.0 : 3.0, false, 44100, 2, 44100.0 / 1024 * 40);
  ASSERT_FALSE(file.empty());
  auto lib = makeLib(disk ? vemla::test::tempDir() / "heard.raw" : fs::path());
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  // Look as soon as a little has been heard (at full speed on the disk sink).
  ASSERT_TRUE(heardPast(*lib, h, 0.2));
  std::vector<float> fft(513, -1.0f);
  ASSERT_EQ(lib->ChannelGetData(h, fft.data(), kDataFft1024), 2048);
  std::vector<int16_t> wave(1024, 0);
  ASSERT_EQ(lib->ChannelGetData(h, wave.data(), 2048), 2048);
  uint32_t level = lib->ChannelGetLevel(h);
  if (lib->ChannelIsActive(h) != kPlaying) GTEST_SKIP() << "played out before it was looked at";

  EXPECT_EQ(fft[512], -1.0f) << "writes 512 floats, no more";
  int peakBin = static_cast<int>(std::max_element(fft.begin(), fft.begin() + 512) - fft.begin());
  EXPECT_EQ(peakBin, 40);
  EXPECT_NEAR(fft[40], 0.5, 0.03) << "a full-scale sine would peak near 1.0";
  EXPECT_LT(fft[60], 0.01);

  int peak = 0;
  for (int16_t s : wave) peak = std::max(peak, std::abs(static_cast<int>(s)));
  EXPECT_NEAR(peak, 16384, 300);

  EXPECT_NEAR(static_cast<double>(level & 0xffff), 16384, 400);
  EXPECT_NEAR(static_cast<double>(level >> 16), 16384, 400);

  ASSERT_TRUE(lib->ChannelPause(h));
  EXPECT_EQ(lib->ChannelGetLevel(h), 0u) << "nothing is heard from a paused stream";
}

INSTANTIATE_TEST_SUITE_P(Sinks, HeardTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "disk" : "device"; });

TEST(AudioPlayback, MonoDataHoldsConsecutiveSamples) {
  fs::path file = makeFixture("wav", 2.0, false, 22050, 1);
  ASSERT_FALSE(file.empty());
  auto lib = makeLib();
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(heardPast(*lib, h, 0.2));
  std::vector<int16_t> wave(1024, 0);
  ASSERT_EQ(lib->ChannelGetData(h, wave.data(), 2048), 2048);
  // 1024 samples of 1 kHz heard at 44100 Hz hold about 46 zero crossings (23 if they were
  // left/right pairs).
  int crossings = 0;
  for (size_t i = 1; i < wave.size(); ++i) crossings += (wave[i - 1] < 0) != (wave[i] < 0);
  EXPECT_NEAR(crossings, 46, 3);
}

TEST(AudioPlayback, VolumeScalesTheOutput) {
  fs::path file = makeFixture("wav", 1.0);
  ASSERT_FALSE(file.empty());
  fs::path out = vemla::test::tempDir() / "volume.raw";
  // A half-scale sine peaks at 16384; volume 0 is mute. (Levels are of the stream itself,
  // before the volume.)
  const struct {
    int volume, peak, slack;
  } cases[] = {{25, 16384 / 4, 60}, {0, 0, 0}};
  for (const auto& c : cases) {
    auto lib = makeLib(out);
    ASSERT_TRUE(lib);
    Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
    ASSERT_NE(h, 0u);
    ASSERT_TRUE(lib->ChannelSetAttributes(h, -1, c.volume, -1));
    EndCounter ends;
    lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
    ASSERT_TRUE(lib->ChannelPlay(h, false));
    ASSERT_TRUE(ends.waitFor(1, 60));
    lib->Free();
    int peak = 0;
    for (int16_t s : readPcm(out)) peak = std::max(peak, std::abs(static_cast<int>(s)));
    EXPECT_NEAR(peak, c.peak, c.slack) << "volume " << c.volume;
  }
}

TEST(AudioPlayback, DiskSinkHoldsExactlyWhatPlayedAndIdlesInRealTime) {
  fs::path file = makeFixture("flac", 1.0);
  ASSERT_FALSE(file.empty());
  fs::path out = vemla::test::tempDir() / "exact.raw";
  const auto opened = std::chrono::steady_clock::now();
  auto lib = makeLib(out);
  ASSERT_TRUE(lib);
  sleepMs(300);  // nothing plays: silence in real time, not megabytes of it
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  EndCounter ends;
  lib->ChannelSetSync(h, kSyncEnd, 0, &EndCounter::proc, &ends);
  ASSERT_TRUE(lib->ChannelPlay(h, false));
  ASSERT_TRUE(ends.waitFor(1, 60));
  lib->Free();
  const double open =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - opened).count();
  std::vector<int16_t> pcm = readPcm(out);
  std::vector<int16_t> ref = referencePcm(file);
  ASSERT_EQ(ref.size(), 44100u * 2);
  // The second of sound, plus silence at about real time while the device was open: each
  // caller wanting the device wakes it early and it still writes a whole 8192-frame buffer, which
  // a busy machine does more often, so twice the open time and a few buffers more. Silence
  // written at full speed would be megabytes.
  const double bound = (44100 + 2 * open * 44100 + 8 * 8192) * 2;
  EXPECT_LE(static_cast<double>(pcm.size()), bound) << "open for " << open << " s";
  // Lossless and at the device's own rate: every sample comes out as it is, in one piece.
  auto mark = std::search(pcm.begin(), pcm.end(), ref.begin() + 400, ref.begin() + 528);
  ASSERT_NE(mark, pcm.end());
  size_t first = static_cast<size_t>(mark - pcm.begin()) - 400;
  ASSERT_GE(pcm.size(), first + ref.size());
  auto diff = std::mismatch(ref.begin(), ref.end(), pcm.begin() + static_cast<long>(first));
  EXPECT_EQ(diff.first, ref.end()) << "differs from sample " << (diff.first - ref.begin());
}

TEST(AudioPlayback, FreedAndUnknownHandlesAreRefused) {
  fs::path file = makeFixture("wav", 1.0);
  auto lib = makeLib();
  ASSERT_TRUE(lib);
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  Handle other = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  EXPECT_NE(other, h);
  ASSERT_TRUE(lib->StreamFree(h));
  EndCounter ends;
  char buf[4096];
  ChannelInfo info;
  for (Handle bad : {h, Handle(0), Handle(0xdeadbeef)}) {
    EXPECT_FALSE(lib->ChannelPlay(bad, false));
    EXPECT_FALSE(lib->ChannelPause(bad));
    EXPECT_FALSE(lib->ChannelStop(bad));
    EXPECT_FALSE(lib->StreamFree(bad));
    EXPECT_EQ(lib->ChannelIsActive(bad), kStopped);
    EXPECT_FALSE(lib->ChannelPreBuf(bad, 20));
    EXPECT_EQ(lib->ChannelSetSync(bad, kSyncEnd, 0, &EndCounter::proc, &ends), 0u);
    EXPECT_FALSE(lib->ChannelSetAttributes(bad, -1, 50, -1));
    EXPECT_EQ(lib->ChannelGetPosition(bad), UINT64_MAX);
    EXPECT_EQ(lib->ChannelGetLength(bad), UINT64_MAX);
    EXPECT_LT(lib->ChannelBytes2Seconds(bad, 1000), 0);
    EXPECT_EQ(lib->ChannelSeconds2Bytes(bad, 1.0), UINT64_MAX);
    EXPECT_FALSE(lib->ChannelSetPosition(bad, 0));
    EXPECT_FALSE(lib->ChannelGetInfo(bad, &info));
    EXPECT_EQ(lib->ChannelGetData(bad, buf, 2048), -1);
    EXPECT_EQ(lib->ChannelGetLevel(bad), 0xFFFFFFFFu);
  }
  // Seeking past the end is refused; byte/second conversions agree with the stream's format.
  EXPECT_FALSE(lib->ChannelSetPosition(other, lib->ChannelGetLength(other) + 4000));
  EXPECT_EQ(lib->ChannelSeconds2Bytes(other, 1.0), 176400u);
  EXPECT_DOUBLE_EQ(lib->ChannelBytes2Seconds(other, 88200), 0.5);
  EXPECT_TRUE(lib->StreamFree(other));
}

TEST(AudioPlayback, FreeingWhileStreamsPlayIsSafe) {
  fs::path a = makeFixture("mp3", 2.0);
  // Long enough to be playing still when looked at, however slowly the rounds go.
  fs::path b = makeFixture("flac", 30.0);
  ASSERT_FALSE(a.empty());
  ASSERT_FALSE(b.empty());
  auto lib = makeLib();
  ASSERT_TRUE(lib);
  for (int round = 0; round < 5; ++round) {
    Handle x = lib->StreamCreateFile(false, a.string(), 0, 0, 0);
    Handle y = lib->StreamCreateFile(false, b.string(), 0, 0, 0);
    Handle z = lib->StreamCreateFile(false, a.string(), 0, 0, 0);
    ASSERT_TRUE(lib->ChannelPlay(x, false));
    ASSERT_TRUE(lib->ChannelPlay(y, false));
    lib->ChannelPreBuf(z, 20);  // decoding ahead, never played
    sleepMs(30);
    lib->ChannelSetPosition(x, lib->ChannelSeconds2Bytes(x, 1.5));
    EXPECT_TRUE(lib->StreamFree(x));
    EXPECT_TRUE(lib->StreamFree(z));
    EXPECT_EQ(lib->ChannelIsActive(y), kPlaying);
    if (round % 2) {
      EXPECT_TRUE(lib->StreamFree(y));
    }
  }
  lib->Free();  // with a stream still playing
  lib->Free();  // twice is harmless
  EXPECT_TRUE(lib->Init(1, 44100, 0)) << "the device can be opened again";
}

TEST(AudioPlayback, PlayingWithoutADeviceFails) {
  fs::path file = makeFixture("wav", 1.0);
  auto lib = createAudioLib();
  Handle h = lib->StreamCreateFile(false, file.string(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  EXPECT_FALSE(lib->ChannelPlay(h, false));
  EXPECT_EQ(lib->ChannelIsActive(h), kStopped);
}

}  // namespace
