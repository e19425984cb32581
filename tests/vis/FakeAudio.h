#pragma once
// A scripted audio layer: one stream whose state, samples, spectrum and levels a test sets.
#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "audio/AudioLib.h"

namespace vemla::test {

class FakeAudio : public audio::AudioLib {
 public:
  static constexpr audio::Handle kStream = 7;

  int active = audio::kPlaying;
  uint32_t level = 0;
  int dataResult = 2048;  // what ChannelGetData reports; -1 plays a failed request
  std::array<uint32_t, 512> wave{};
  std::array<float, 512> fft{};
  int dataCalls = 0;

  bool Init(int, uint32_t, uint32_t) override { return true; }
  void Free() override {}
  audio::Handle StreamCreateFile(bool, const std::string&, uint64_t, uint64_t, uint32_t) override {
    return 0;
  }
  audio::Handle WMA_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle FLAC_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                      uint32_t) override {
    return 0;
  }
  audio::Handle WV_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                    uint32_t) override {
    return 0;
  }
  audio::Handle TTA_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle SPX_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle OFR_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle MPC_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle APE_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle ALAC_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                      uint32_t) override {
    return 0;
  }
  audio::Handle AC3_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle AAC_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t,
                                     uint32_t) override {
    return 0;
  }
  audio::Handle CD_StreamCreateFile(const std::string&, uint32_t) override { return 0; }
  audio::Handle CD_StreamCreate(int, int, uint32_t) override { return 0; }
  std::string CD_GetDriveDescription(int) override { return {}; }
  std::string CD_GetDriveLetter(int) override { return {}; }
  int CD_GetTracks(int) override { return -1; }
  int64_t CD_GetTrackLength(int, int) override { return -1; }
  std::vector<std::string> CD_GetID(int, uint32_t) override { return {}; }
  bool ChannelPlay(audio::Handle, bool) override { return true; }
  bool ChannelPause(audio::Handle) override { return true; }
  bool ChannelStop(audio::Handle) override { return true; }
  bool StreamFree(audio::Handle) override { return true; }
  int ChannelIsActive(audio::Handle h) override { return h == kStream ? active : audio::kStopped; }
  bool ChannelPreBuf(audio::Handle, uint32_t) override { return true; }
  uint32_t ChannelSetSync(audio::Handle, uint32_t, uint64_t, audio::SyncProc, void*) override {
    return 1;
  }
  bool ChannelSetAttributes(audio::Handle, int, int, int) override { return true; }
  uint64_t ChannelGetPosition(audio::Handle) override { return 0; }
  uint64_t ChannelGetLength(audio::Handle) override { return 0; }
  double ChannelBytes2Seconds(audio::Handle, uint64_t) override { return 0; }
  uint64_t ChannelSeconds2Bytes(audio::Handle, double) override { return 0; }
  bool ChannelSetPosition(audio::Handle, uint64_t) override { return true; }
  bool ChannelGetInfo(audio::Handle, audio::ChannelInfo*) override { return false; }

  int ChannelGetData(audio::Handle h, void* buffer, uint32_t length) override {
    ++dataCalls;
    if (h != kStream || dataResult < 0) return -1;
    if (length == audio::kDataFft1024) {
      std::memcpy(buffer, fft.data(), static_cast<size_t>(std::min(dataResult, 2048)));
    } else {
      std::memcpy(buffer, wave.data(), static_cast<size_t>(std::min<int>(dataResult, length)));
    }
    return dataResult;
  }
  uint32_t ChannelGetLevel(audio::Handle h) override { return h == kStream ? level : 0xFFFFFFFFu; }
};

}  // namespace vemla::test
