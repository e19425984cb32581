#pragma once
// The audio library on FFmpeg (decoding), SDL2 (output) and libcdio (CD).
//
// Threads and locks:
// - One SDL device, opened once by Init in one format (stereo 16-bit at the asked rate). Its
//   callback mixes the playing streams from their lock-free rings; it never decodes, allocates
//   or takes a lock. The list of streams it mixes (mix_) changes only with the device locked
//   (SDL_LockAudioDevice, never called from the callback).
// - Each stream decodes on its own worker thread (see Stream.h).
// - One notifier thread runs the end syncs: the callback wakes it through a semaphore (sem_post
//   neither blocks nor allocates) when a stream's last sample has been heard.
// - table_ (handles) is guarded by tableMutex_; the user-interface thread and the notifier use it.
// - The device is paused whenever no stream plays, so an idle player costs nothing.
// - SDL's `disk` driver is a test sink, not a sound card: there the callback waits (at most
//   5 s, and never while another thread is about to lock the device) for streams still
//   decoding instead of writing silence, and runs at real-time pace while nothing plays,
//   because a paused SDL device still writes silence as fast as it can. Its file then holds
//   exactly what was played, at full speed.
#include <SDL2/SDL.h>
#include <semaphore.h>

#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/AudioLib.h"
#include "audio/CdDrives.h"
#include "audio/SpectrumAnalyzer.h"
#include "audio/Stream.h"

namespace vemla::audio {

class SdlAudioLib : public AudioLib {
 public:
  SdlAudioLib();
  ~SdlAudioLib() override;
  SdlAudioLib(const SdlAudioLib&) = delete;
  SdlAudioLib& operator=(const SdlAudioLib&) = delete;

  bool Init(int device, uint32_t freq, uint32_t flags) override;
  void Free() override;

  Handle StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                          uint32_t flags) override;
  Handle WMA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle FLAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                               uint32_t flags) override;
  Handle WV_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                             uint32_t flags) override;
  Handle TTA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle SPX_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle OFR_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle MPC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle APE_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle ALAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                               uint32_t flags) override;
  Handle AC3_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;
  Handle AAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset, uint64_t length,
                              uint32_t flags) override;

  Handle CD_StreamCreateFile(const std::string& path, uint32_t flags) override;
  Handle CD_StreamCreate(int drive, int track, uint32_t flags) override;
  std::string CD_GetDriveDescription(int drive) override;
  std::string CD_GetDriveLetter(int drive) override;
  int CD_GetTracks(int drive) override;
  int64_t CD_GetTrackLength(int drive, int track) override;
  std::vector<std::string> CD_GetID(int drive, uint32_t id) override;

  bool ChannelPlay(Handle h, bool restart) override;
  bool ChannelPause(Handle h) override;
  bool ChannelStop(Handle h) override;
  bool StreamFree(Handle h) override;
  int ChannelIsActive(Handle h) override;
  bool ChannelPreBuf(Handle h, uint32_t length) override;
  uint32_t ChannelSetSync(Handle h, uint32_t type, uint64_t param, SyncProc proc,
                          void* user) override;
  bool ChannelSetAttributes(Handle h, int freq, int volume, int pan) override;
  uint64_t ChannelGetPosition(Handle h) override;
  uint64_t ChannelGetLength(Handle h) override;
  double ChannelBytes2Seconds(Handle h, uint64_t bytes) override;
  uint64_t ChannelSeconds2Bytes(Handle h, double seconds) override;
  bool ChannelSetPosition(Handle h, uint64_t bytes) override;
  bool ChannelGetInfo(Handle h, ChannelInfo* info) override;
  int ChannelGetData(Handle h, void* buffer, uint32_t length) override;
  uint32_t ChannelGetLevel(Handle h) override;

  // Not part of the interface, for the benchmark: ns from the last ChannelPlay to the first
  // frame handed to the device (0 when none yet or a bad handle).
  int64_t startDelayNs(Handle h);

 private:
  struct Sync {
    uint32_t id;
    SyncProc proc;
    void* user;
  };
  struct Entry {
    std::shared_ptr<Stream> stream;
    std::vector<Sync> syncs;
  };
  static constexpr int kMaxMixed = 256;
  static constexpr uint32_t kMaxDataFrames = 4096;  // 16384 bytes of stereo data

  std::shared_ptr<Stream> find(Handle h);
  Handle add(std::unique_ptr<Decoder> decoder, uint32_t ctype);
  Handle openFile(bool mem, const std::string& path, uint64_t offset, uint64_t length);
  // The drive list, read again when `reread`. Guarded: CD queries may come from a worker.
  std::shared_ptr<const CdDrives> drives(bool reread = false);
  bool seek(Stream& s, int64_t frame);
  void lockDevice();
  void unlockDevice();
  void updateDevicePause();
  int64_t latencyFrames(const Stream& s) const;

  static void callbackThunk(void* self, Uint8* stream, int len);
  void mixCallback(int16_t* out, int frames);
  void waitUntimed(int frames);
  // Disk sink: waits up to `ns` for a wake-up from a thread about to lock the device.
  bool wokenWithin(int64_t ns);
  void notifierLoop();

  SDL_AudioDeviceID dev_ = 0;
  int deviceRate_ = 44100;
  int bufferFrames_ = 1024;
  bool untimed_ = false;  // SDL's disk driver

  std::mutex tableMutex_;
  std::map<Handle, Entry> table_;
  Handle nextHandle_ = 1;
  uint32_t nextSync_ = 1;

  // Read by the callback; changed only with the device locked.
  std::array<Stream*, kMaxMixed> mix_{};
  int mixCount_ = 0;
  std::vector<int32_t> acc_;
  std::vector<int16_t> scratch_;
  std::atomic<uint64_t> callbackIndex_{0};
  std::atomic<int64_t> lastCallbackNs_{0};

  sem_t endSignal_{};
  sem_t untimedWake_{};
  std::atomic<int> lockWaiters_{0};        // threads about to lock the device (disk sink)
  std::atomic<uint64_t> lockRequests_{0};  // every such lock asked for, ever (disk sink)
  uint64_t servedRequests_ = 0;  // lockRequests_ when the callback last ended early for them
  void announceLock();
  bool waiterToLetIn();
  std::thread notifier_;
  std::atomic<bool> notifierQuit_{false};
  std::mutex pauseMutex_;

  std::mutex drivesMutex_;
  std::shared_ptr<const CdDrives> drives_;
  // Made at the first spectrum asked for: its FFT comes from libavutil, which the program
  // opens only when there is something to decode.
  std::unique_ptr<SpectrumAnalyzer> spectrum_;
  // ChannelGetData's frames, kept so the visualiser's tick allocates nothing.
  std::vector<int16_t> heard_ = std::vector<int16_t>(kMaxDataFrames * 2);
};

}  // namespace vemla::audio
