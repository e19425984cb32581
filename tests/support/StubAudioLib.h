#pragma once
// An audio layer that refuses everything the way the contract refuses an unknown handle: no
// stream opens, no drive exists, every channel call fails. Test doubles derive from it and
// override only the calls they script.
#include <string>
#include <vector>

#include "audio/AudioLib.h"

namespace vemla::test {

class StubAudioLib : public audio::AudioLib {
 public:
  bool Init(int, uint32_t, uint32_t) override { return false; }
  void Free() override {}

#define VEMLA_STUB_OPENER(name)                                                              \
  audio::Handle name(bool, const std::string& path, uint64_t, uint64_t, uint32_t) override { \
    return OpenFile(#name, path);                                                            \
  }
  VEMLA_STUB_OPENER(StreamCreateFile)
  VEMLA_STUB_OPENER(WMA_StreamCreateFile)
  VEMLA_STUB_OPENER(FLAC_StreamCreateFile)
  VEMLA_STUB_OPENER(WV_StreamCreateFile)
  VEMLA_STUB_OPENER(TTA_StreamCreateFile)
  VEMLA_STUB_OPENER(SPX_StreamCreateFile)
  VEMLA_STUB_OPENER(OFR_StreamCreateFile)
  VEMLA_STUB_OPENER(MPC_StreamCreateFile)
  VEMLA_STUB_OPENER(APE_StreamCreateFile)
  VEMLA_STUB_OPENER(ALAC_StreamCreateFile)
  VEMLA_STUB_OPENER(AC3_StreamCreateFile)
  VEMLA_STUB_OPENER(AAC_StreamCreateFile)
#undef VEMLA_STUB_OPENER

  audio::Handle CD_StreamCreateFile(const std::string&, uint32_t) override { return 0; }
  audio::Handle CD_StreamCreate(int, int, uint32_t) override { return 0; }
  std::string CD_GetDriveDescription(int) override { return {}; }
  std::string CD_GetDriveLetter(int) override { return {}; }
  int CD_GetTracks(int) override { return -1; }
  int64_t CD_GetTrackLength(int, int) override { return -1; }
  std::vector<std::string> CD_GetID(int, uint32_t) override { return {}; }

  bool ChannelPlay(audio::Handle, bool) override { return false; }
  bool ChannelPause(audio::Handle) override { return false; }
  bool ChannelStop(audio::Handle) override { return false; }
  bool StreamFree(audio::Handle) override { return false; }
  int ChannelIsActive(audio::Handle) override { return audio::kStopped; }
  bool ChannelPreBuf(audio::Handle, uint32_t) override { return false; }
  uint32_t ChannelSetSync(audio::Handle, uint32_t, uint64_t, audio::SyncProc, void*) override {
    return 0;
  }
  bool ChannelSetAttributes(audio::Handle, int, int, int) override { return false; }
  uint64_t ChannelGetPosition(audio::Handle) override { return ~0ull; }
  uint64_t ChannelGetLength(audio::Handle) override { return ~0ull; }
  double ChannelBytes2Seconds(audio::Handle, uint64_t) override { return -1; }
  uint64_t ChannelSeconds2Bytes(audio::Handle, double) override { return ~0ull; }
  bool ChannelSetPosition(audio::Handle, uint64_t) override { return false; }
  bool ChannelGetInfo(audio::Handle, audio::ChannelInfo*) override { return false; }
  int ChannelGetData(audio::Handle, void*, uint32_t) override { return -1; }
  uint32_t ChannelGetLevel(audio::Handle) override { return 0xFFFFFFFFu; }

 protected:
  // Every file opener lands here with its own name, so a double scripts opening once.
  virtual audio::Handle OpenFile(const char* /*opener*/, const std::string& /*path*/) {
    return 0;
  }
};

}  // namespace vemla::test
