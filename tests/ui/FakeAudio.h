#pragma once
// A scripted audio layer: every file opens as a 16-bit stereo 44.1 kHz stream of
// `lengthSeconds`, positions are set by the test, and the calls that matter are recorded.
#include <map>

#include "support/StubAudioLib.h"

namespace vemla::test {

class FakeAudio : public StubAudioLib {
 public:
  static constexpr double kBytesPerSecond = 176400;
  double lengthSeconds = 260;
  double positionSeconds = 0;
  int lastVolume = -1;
  int64_t lastSetPosition = -1;

  struct Stream {
    int state = audio::kStopped;
  };
  std::map<audio::Handle, Stream> streams;

  bool Init(int, uint32_t, uint32_t) override { return true; }
  void Free() override { streams.clear(); }

  bool ChannelPlay(audio::Handle h, bool) override { return set(h, audio::kPlaying); }
  bool ChannelPause(audio::Handle h) override { return set(h, audio::kPaused); }
  bool ChannelStop(audio::Handle h) override { return set(h, audio::kStopped); }
  bool StreamFree(audio::Handle h) override { return streams.erase(h) > 0; }
  int ChannelIsActive(audio::Handle h) override {
    auto it = streams.find(h);
    return it == streams.end() ? audio::kStopped : it->second.state;
  }
  bool ChannelPreBuf(audio::Handle, uint32_t) override { return true; }
  uint32_t ChannelSetSync(audio::Handle, uint32_t, uint64_t, audio::SyncProc, void*) override {
    return 1;
  }
  bool ChannelSetAttributes(audio::Handle, int, int volume, int) override {
    if (volume >= 0) lastVolume = volume;
    return true;
  }
  uint64_t ChannelGetPosition(audio::Handle) override {
    return static_cast<uint64_t>(positionSeconds * kBytesPerSecond);
  }
  uint64_t ChannelGetLength(audio::Handle) override {
    return static_cast<uint64_t>(lengthSeconds * kBytesPerSecond);
  }
  double ChannelBytes2Seconds(audio::Handle, uint64_t bytes) override {
    return static_cast<double>(bytes) / kBytesPerSecond;
  }
  uint64_t ChannelSeconds2Bytes(audio::Handle, double seconds) override {
    return static_cast<uint64_t>(seconds * kBytesPerSecond);
  }
  bool ChannelSetPosition(audio::Handle, uint64_t bytes) override {
    lastSetPosition = static_cast<int64_t>(bytes);
    return true;
  }
  bool ChannelGetInfo(audio::Handle, audio::ChannelInfo* info) override {
    info->freq = 44100;
    info->chans = 2;
    info->ctype = audio::kTypeFile;
    return true;
  }
  // Silence rather than a refusal: the window's meters and visualiser stay quiet.
  int ChannelGetData(audio::Handle, void*, uint32_t) override { return 0; }
  uint32_t ChannelGetLevel(audio::Handle) override { return 0; }

 protected:
  audio::Handle OpenFile(const char*, const std::string&) override {
    streams[next_] = Stream{};
    return next_++;
  }

 private:
  bool set(audio::Handle h, int state) {
    auto it = streams.find(h);
    if (it == streams.end()) return false;
    it->second.state = state;
    return true;
  }
  audio::Handle next_ = 100;
};

}  // namespace vemla::test
