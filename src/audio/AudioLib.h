#pragma once
// The audio library interface: decoding, output, CD access, sample/spectrum data and levels.
//
// Contract for every operation:
// - Handles are non-zero 32-bit numbers; 0 means failure. A freed or unknown handle is refused
//   (the call returns 0 / false / -1 and does nothing); it never crashes.
// - Byte counts (length, position) are 64-bit and count the stream's own 16-bit interleaved
//   samples at its own rate and channel count: rate x channels x 2 bytes a second (176400 for
//   CD audio). Output is resampled to the device's 44100 Hz stereo internally.
// - Every call is made from one thread (the user-interface thread) except the end sync callback,
//   which the library calls once, on a thread of its own, after the stream's last sample was
//   heard. The callback must not call back into the library; it should only post a request.
//   The CD queries (CD_GetDriveDescription, CD_GetDriveLetter, CD_GetTracks, CD_GetTrackLength,
//   CD_GetID) may also be made from one other thread at a time, since a drive can take seconds
//   to answer and the window thread must not wait for it.
// - Position, data and levels describe what is being heard now (output latency taken off).
// - Opening never scans a whole file and never blocks longer than the container probe.
// - Tests: SDL_AUDIODRIVER=dummy plays in real time; SDL_AUDIODRIVER=disk with
//   SDL_DISKAUDIODELAY=0 plays at full speed and its file (SDL_DISKAUDIOFILE) holds exactly the
//   frames played, 44100 Hz stereo 16-bit, with real-time silence while nothing plays.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vemla::audio {

using Handle = uint32_t;

// ChannelIsActive results.
constexpr int kStopped = 0;  // stopped, never started, or played to its end
constexpr int kPlaying = 1;
constexpr int kStalled = 2;  // playing but starved of data (not reported: such a stream plays)
constexpr int kPaused = 3;

// ChannelSetSync type: end of stream.
constexpr uint32_t kSyncEnd = 2;

// ChannelGetData length flag: 512 float magnitudes of a 1024-sample FFT (2048 bytes).
constexpr uint32_t kDataFft1024 = 0x80000001u;

// ChannelInfo::flags bit for 8-bit samples (streams are decoded to 16-bit, so never set by
// file streams of this layer, but kept for callers that test it).
constexpr uint32_t kSample8Bits = 1;

struct ChannelInfo {
  uint32_t freq = 0;     // source sample rate, Hz
  uint32_t chans = 0;    // source channel count
  uint32_t flags = 0;    // kSample8Bits or 0
  uint32_t ctype = 0;    // kind of stream: see kType* below
  uint32_t origres = 0;  // original resolution in bits (0 when unknown)
};

constexpr uint32_t kTypeFile = 0x10000;  // any file stream
constexpr uint32_t kTypeCd = 0x10200;    // CD track

// End sync callback: sync handle, channel, data (0), user value.
using SyncProc = void (*)(uint32_t sync, Handle channel, uint32_t data, void* user);

class AudioLib {
 public:
  virtual ~AudioLib() = default;

  // Device. Init opens the default output device (device 1) at `freq` Hz stereo; window and
  // class id of the original call have no meaning here. False when no device can be opened.
  virtual bool Init(int device, uint32_t freq, uint32_t flags) = 0;
  // Frees every stream and closes the device. Safe to call when not initialised.
  virtual void Free() = 0;

  // File streams (mem false, offset 0, length 0, flags 0 as the player calls them). Every
  // opener decodes whatever FFmpeg recognises in the content; the add-on openers differ only
  // in that OFR has no decoder and always returns 0.
  virtual Handle StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                  uint64_t length, uint32_t flags) = 0;
  virtual Handle WMA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle FLAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                       uint64_t length, uint32_t flags) = 0;
  virtual Handle WV_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                     uint64_t length, uint32_t flags) = 0;
  virtual Handle TTA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle SPX_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle OFR_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle MPC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle APE_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle ALAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                       uint64_t length, uint32_t flags) = 0;
  virtual Handle AC3_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;
  virtual Handle AAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                      uint64_t length, uint32_t flags) = 0;

  // CD. Drives are the machine's CD devices followed by the disc images named in
  // VEMLA_CD_IMAGES (colon-separated .cue/.toc/.nrg paths). Drive and track count from 0.
  // A ".cda" stub (44-byte RIFF "CDDA") names a track of the drive its folder is on.
  virtual Handle CD_StreamCreateFile(const std::string& path, uint32_t flags) = 0;
  virtual Handle CD_StreamCreate(int drive, int track, uint32_t flags) = 0;
  // Description of the drive ("vendor model revision", or the image's file name); empty when
  // the drive does not exist.
  virtual std::string CD_GetDriveDescription(int drive) = 0;
  // Where the original gave a drive letter: the drive's device path; empty when none.
  virtual std::string CD_GetDriveLetter(int drive) = 0;
  // Track count, -1 without a disc (or no such drive).
  virtual int CD_GetTracks(int drive) = 0;
  // Bytes at 176400 a second; -1 for a data track or a bad drive/track.
  virtual int64_t CD_GetTrackLength(int drive, int track) = 0;
  // id 4: CD-TEXT as "key=value" texts (UTF-8), each track's title as "Título<n>=<title>"
  // with n from 1. Empty when the disc has none. Other ids: empty.
  virtual std::vector<std::string> CD_GetID(int drive, uint32_t id) = 0;

  // Channels.
  virtual bool ChannelPlay(Handle h, bool restart) = 0;
  virtual bool ChannelPause(Handle h) = 0;
  virtual bool ChannelStop(Handle h) = 0;
  virtual bool StreamFree(Handle h) = 0;
  virtual int ChannelIsActive(Handle h) = 0;
  // Decodes ahead so playback starts without a gap; `length` is accepted and not interpreted.
  virtual bool ChannelPreBuf(Handle h, uint32_t length) = 0;
  // Returns a sync handle (non-zero) or 0. Only kSyncEnd is supported.
  virtual uint32_t ChannelSetSync(Handle h, uint32_t type, uint64_t param, SyncProc proc,
                                  void* user) = 0;
  // freq -1 and pan -1 mean unchanged; volume 0..100 (-1 unchanged) is a linear gain v/100.
  virtual bool ChannelSetAttributes(Handle h, int freq, int volume, int pan) = 0;
  // Bytes (see contract above); -1 (all bits set) on a bad handle.
  virtual uint64_t ChannelGetPosition(Handle h) = 0;
  virtual uint64_t ChannelGetLength(Handle h) = 0;
  virtual double ChannelBytes2Seconds(Handle h, uint64_t bytes) = 0;    // < 0 on a bad handle
  virtual uint64_t ChannelSeconds2Bytes(Handle h, double seconds) = 0;  // -1 on a bad handle
  // Sample-accurate: the first sample heard afterwards is the one at `bytes`.
  virtual bool ChannelSetPosition(Handle h, uint64_t bytes) = 0;
  virtual bool ChannelGetInfo(Handle h, ChannelInfo* info) = 0;
  // length 2048 (or any byte count up to 16384): the most recent 16-bit samples being heard, at
  // the device rate, returns the bytes written: left/right pairs for a stream of two or more
  // channels (more are mixed down to two), consecutive samples for a mono stream.
  // kDataFft1024: 512 floats into `buffer`, returns 2048. -1 on a bad handle or other flags.
  virtual int ChannelGetData(Handle h, void* buffer, uint32_t length) = 0;
  // Peak of the last ~20 ms, 0..32768 per channel: left in the low word, right in the high word.
  // 0xFFFFFFFF on a bad handle.
  virtual uint32_t ChannelGetLevel(Handle h) = 0;
};

// The real layer on FFmpeg, SDL2 and libcdio.
std::unique_ptr<AudioLib> createAudioLib();

}  // namespace vemla::audio
