#include "audio/SdlAudioLib.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <thread>

#include "audio/FfmpegDecoder.h"

namespace vemla::audio {

namespace {
// Playback starts once this much is decoded (about 46 ms): quick to reach, no start gap.
constexpr size_t kStartFrames = 2048;
constexpr int kStartTimeoutMs = 500;
constexpr int kPrebufTimeoutMs = 500;
constexpr int kLevelMs = 20;
// How long the disk sink waits for a starved stream before it writes silence in its place. Its
// file must hold exactly what played even when a busy machine holds the decoder up for a while;
// nobody waits on the sink meanwhile (callers that want the device wake it).
constexpr int kUntimedWaitMs = 5000;

int64_t nowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}
}  // namespace

std::unique_ptr<AudioLib> createAudioLib() { return std::make_unique<SdlAudioLib>(); }

SdlAudioLib::SdlAudioLib() = default;

SdlAudioLib::~SdlAudioLib() { Free(); }

bool SdlAudioLib::Init(int /*device*/, uint32_t freq, uint32_t /*flags*/) {
  if (dev_) return true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  SDL_AudioSpec want{}, have{};
  want.freq = freq > 0 && freq <= 192000 ? static_cast<int>(freq) : 44100;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  const char* driver = SDL_GetCurrentAudioDriver();
  untimed_ = driver && std::strcmp(driver, "disk") == 0;
  // Short buffers for a sound card (start latency, visualiser in step); long ones for the disk
  // sink, where each buffer costs SDL a sleep. 2048 would halve the callback's wake-ups but
  // double the wait for the first callback after ChannelPlay.
  want.samples = untimed_ ? 8192 : 1024;
  want.callback = &SdlAudioLib::callbackThunk;
  want.userdata = this;
  // No allowed changes: SDL converts to whatever the hardware takes, so our format is fixed.
  dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!dev_) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  deviceRate_ = have.freq;
  bufferFrames_ = have.samples > 0 ? have.samples : 1024;
  acc_.assign(static_cast<size_t>(bufferFrames_) * 2, 0);
  scratch_.assign(static_cast<size_t>(bufferFrames_) * 2, 0);
  sem_init(&endSignal_, 0, 0);
  sem_init(&untimedWake_, 0, 0);
  notifierQuit_ = false;
  notifier_ = std::thread([this] { notifierLoop(); });
  if (untimed_) SDL_PauseAudioDevice(dev_, 0);
  return true;
}

void SdlAudioLib::Free() {
  if (dev_) {
    notifierQuit_ = true;
    sem_post(&endSignal_);
    if (notifier_.joinable()) notifier_.join();
    if (untimed_) announceLock();
    SDL_CloseAudioDevice(dev_);  // waits for the callback to finish
    lockWaiters_ = 0;
    dev_ = 0;
    mixCount_ = 0;
    sem_destroy(&endSignal_);
    sem_destroy(&untimedWake_);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  std::map<Handle, Entry> gone;
  {
    std::lock_guard<std::mutex> lock(tableMutex_);
    gone.swap(table_);
  }
  gone.clear();  // joins every worker
}

// ---------------------------------------------------------------------------------------------
// Streams

std::shared_ptr<Stream> SdlAudioLib::find(Handle h) {
  std::lock_guard<std::mutex> lock(tableMutex_);
  auto it = table_.find(h);
  return it == table_.end() ? nullptr : it->second.stream;
}

Handle SdlAudioLib::add(std::unique_ptr<Decoder> decoder, uint32_t ctype) {
  if (!decoder) return 0;
  // The disk sink drains a ring at once: refill it promptly there.
  auto stream = std::make_shared<Stream>(std::move(decoder), ctype, deviceRate_, !untimed_);
  std::lock_guard<std::mutex> lock(tableMutex_);
  while (nextHandle_ == 0 || table_.count(nextHandle_)) ++nextHandle_;
  Handle h = nextHandle_++;
  table_[h].stream = std::move(stream);
  return h;
}

Handle SdlAudioLib::openFile(bool mem, const std::string& path, uint64_t offset, uint64_t length) {
  // Memory streams and file sections are not used by the player.
  if (mem || offset != 0 || length != 0 || path.empty()) return 0;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return 0;
  return add(FfmpegDecoder::open(path), kTypeFile);
}

Handle SdlAudioLib::StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                     uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::WMA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::FLAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                          uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::WV_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                        uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::TTA_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::SPX_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::OFR_StreamCreateFile(bool, const std::string&, uint64_t, uint64_t, uint32_t) {
  return 0;  // no free OptimFROG decoder exists: the add-on is missing
}
Handle SdlAudioLib::MPC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::APE_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::ALAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                          uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::AC3_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}
Handle SdlAudioLib::AAC_StreamCreateFile(bool mem, const std::string& path, uint64_t offset,
                                         uint64_t length, uint32_t) {
  return openFile(mem, path, offset, length);
}

// ---------------------------------------------------------------------------------------------
// CD

std::shared_ptr<const CdDrives> SdlAudioLib::drives(bool reread) {
  std::lock_guard<std::mutex> lock(drivesMutex_);
  if (!drives_ || reread) drives_ = std::make_shared<CdDrives>(std::getenv("VEMLA_CD_IMAGES"));
  return drives_;
}

Handle SdlAudioLib::CD_StreamCreateFile(const std::string& path, uint32_t flags) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return 0;
  std::string head(64, '\0');
  f.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<size_t>(f.gcount()));
  int track = CdDrives::cdaTrackNumber(head);
  if (track < 1) return 0;
  return CD_StreamCreate(drives()->driveForFile(path), track - 1, flags);
}

Handle SdlAudioLib::CD_StreamCreate(int drive, int track, uint32_t) {
  return add(drives()->openTrack(drive, track), kTypeCd);
}

std::string SdlAudioLib::CD_GetDriveDescription(int drive) {
  // The drive list is read again whenever a caller starts listing from the first drive.
  return drives(drive == 0)->description(drive);
}

std::string SdlAudioLib::CD_GetDriveLetter(int drive) { return drives()->path(drive); }

int SdlAudioLib::CD_GetTracks(int drive) { return drives()->tracks(drive); }

int64_t SdlAudioLib::CD_GetTrackLength(int drive, int track) {
  return drives()->trackLength(drive, track);
}

std::vector<std::string> SdlAudioLib::CD_GetID(int drive, uint32_t id) {
  if (id != 4) return {};
  return drives()->cdText(drive);
}

// ---------------------------------------------------------------------------------------------
// Device and mixing

void SdlAudioLib::lockDevice() {
  if (!dev_) return;
  if (untimed_) announceLock();
  SDL_LockAudioDevice(dev_);
  if (untimed_) lockWaiters_.fetch_sub(1, std::memory_order_acq_rel);
}

void SdlAudioLib::unlockDevice() {
  if (dev_) SDL_UnlockAudioDevice(dev_);
}

void SdlAudioLib::updateDevicePause() {
  std::lock_guard<std::mutex> pauseLock(pauseMutex_);
  if (!dev_ || untimed_) return;  // the disk sink runs throughout, at its own pace
  bool playing = false;
  {
    std::lock_guard<std::mutex> lock(tableMutex_);
    for (auto& [h, e] : table_) {
      if (e.stream->state() == Stream::kPlaying) {
        playing = true;
        break;
      }
    }
  }
  SDL_PauseAudioDevice(dev_, playing ? 0 : 1);
}

int64_t SdlAudioLib::latencyFrames(const Stream& s) const {
  if (s.state() == Stream::kEnded) return 0;
  // The chunk filled at the last callback plays after the one before it: two buffers at the
  // callback, shrinking by one as the playing buffer runs out.
  int64_t last = lastCallbackNs_.load(std::memory_order_acquire);
  int64_t elapsed = last ? (nowNs() - last) * deviceRate_ / 1000000000 : 0;
  return 2 * static_cast<int64_t>(bufferFrames_) - std::clamp<int64_t>(elapsed, 0, bufferFrames_);
}

void SdlAudioLib::callbackThunk(void* self, Uint8* stream, int len) {
  static_cast<SdlAudioLib*>(self)->mixCallback(reinterpret_cast<int16_t*>(stream), len / 4);
}

bool SdlAudioLib::wokenWithin(int64_t ns) {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  ns += ts.tv_nsec;
  ts.tv_sec += static_cast<time_t>(ns / 1000000000);
  ts.tv_nsec = static_cast<long>(ns % 1000000000);
  int rc;
  while ((rc = sem_timedwait(&untimedWake_, &ts)) != 0 && errno == EINTR) {
  }
  if (rc != 0) return false;
  while (sem_trywait(&untimedWake_) == 0) {
  }
  return true;
}

void SdlAudioLib::announceLock() {
  lockRequests_.fetch_add(1, std::memory_order_acq_rel);
  lockWaiters_.fetch_add(1, std::memory_order_acq_rel);
  sem_post(&untimedWake_);
}

// The callback ends early once for each lock asked for. Should the caller not have taken the
// lock by the next buffer (a busy machine did not run it), that buffer waits as usual: ending
// early again and again would pour out silence at full speed.
bool SdlAudioLib::waiterToLetIn() {
  if (lockWaiters_.load(std::memory_order_acquire) == 0) return false;
  const uint64_t asked = lockRequests_.load(std::memory_order_acquire);
  if (asked == servedRequests_) return false;
  servedRequests_ = asked;
  return true;
}

void SdlAudioLib::waitUntimed(int frames) {
  // The waits end early when another thread wants the device, so no caller is held up.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kUntimedWaitMs);
  while (true) {
    bool playing = false;
    for (int i = 0; i < mixCount_; ++i) {
      playing |= mix_[static_cast<size_t>(i)]->state() == Stream::kPlaying;
    }
    if (!playing) {
      // A buffer of silence in real time, unless a stream starts meanwhile.
      if (!wokenWithin(1000000000LL * frames / deviceRate_)) return;
      if (waiterToLetIn()) return;
      continue;
    }
    for (int i = 0; i < mixCount_; ++i) {
      while (mix_[static_cast<size_t>(i)]->starved(static_cast<size_t>(frames)) &&
             std::chrono::steady_clock::now() < until) {
        if (wokenWithin(1000000) && waiterToLetIn()) return;
      }
    }
    return;
  }
}

void SdlAudioLib::mixCallback(int16_t* out, int frames) {
  if (untimed_) waitUntimed(std::min(frames, bufferFrames_));
  bool ended = false;
  while (frames > 0) {
    int n = std::min(frames, bufferFrames_);
    uint64_t index = callbackIndex_.fetch_add(1, std::memory_order_acq_rel) + 1;
    std::fill(acc_.begin(), acc_.begin() + 2 * n, 0);
    for (int i = 0; i < mixCount_; ++i) {
      ended |= mix_[static_cast<size_t>(i)]->mix(acc_.data(), scratch_.data(), n, index);
    }
    for (int i = 0; i < 2 * n; ++i) {
      out[i] = static_cast<int16_t>(std::clamp(acc_[static_cast<size_t>(i)], -32768, 32767));
    }
    out += 2 * n;
    frames -= n;
  }
  lastCallbackNs_.store(nowNs(), std::memory_order_release);
  if (ended) sem_post(&endSignal_);
}

void SdlAudioLib::notifierLoop() {
  while (true) {
    while (sem_wait(&endSignal_) != 0 && errno == EINTR) {
    }
    if (notifierQuit_) return;
    struct Call {
      Sync sync;
      Handle handle;
    };
    std::vector<Call> calls;
    {
      std::lock_guard<std::mutex> lock(tableMutex_);
      for (auto& [h, e] : table_) {
        if (!e.stream->takeEndPending()) continue;
        for (const Sync& s : e.syncs) calls.push_back({s, h});
      }
    }
    for (const Call& c : calls) c.sync.proc(c.sync.id, c.handle, 0, c.sync.user);
    updateDevicePause();
  }
}

// ---------------------------------------------------------------------------------------------
// Channels

bool SdlAudioLib::seek(Stream& s, int64_t frame) {
  // A stream not decoding yet seeks when its worker starts.
  s.parkWorker();
  lockDevice();
  s.resetPlayback(frame);
  if (s.state() == Stream::kEnded) s.setState(Stream::kStopped);
  unlockDevice();
  s.resumeWorkerAt(frame);
  return true;
}

bool SdlAudioLib::ChannelPlay(Handle h, bool restart) {
  auto s = find(h);
  if (!s || !dev_) return false;
  if (restart || s->state() == Stream::kEnded) {
    if (!seek(*s, 0)) return false;
  }
  if (s->state() == Stream::kPlaying) return true;
  s->markPlayRequested();
  lockDevice();
  bool listed =
      std::find(mix_.begin(), mix_.begin() + mixCount_, s.get()) != mix_.begin() + mixCount_;
  if (!listed && mixCount_ < kMaxMixed) {
    mix_[static_cast<size_t>(mixCount_++)] = s.get();
    listed = true;
  }
  unlockDevice();
  if (!listed) return false;
  s->prebuffer(kStartFrames, kStartTimeoutMs);
  s->setState(Stream::kPlaying);
  if (untimed_) sem_post(&untimedWake_);  // ends the disk sink's idle wait at once
  updateDevicePause();
  return true;
}

bool SdlAudioLib::ChannelPause(Handle h) {
  auto s = find(h);
  if (!s || s->state() != Stream::kPlaying) return false;
  s->setState(Stream::kPaused);
  updateDevicePause();
  return true;
}

bool SdlAudioLib::ChannelStop(Handle h) {
  auto s = find(h);
  if (!s) return false;
  if (s->state() != Stream::kEnded) s->setState(Stream::kStopped);
  updateDevicePause();
  return true;
}

bool SdlAudioLib::StreamFree(Handle h) {
  std::shared_ptr<Stream> s;
  {
    std::lock_guard<std::mutex> lock(tableMutex_);
    auto it = table_.find(h);
    if (it == table_.end()) return false;
    s = std::move(it->second.stream);
    table_.erase(it);
  }
  lockDevice();
  auto end = std::remove(mix_.begin(), mix_.begin() + mixCount_, s.get());
  mixCount_ = static_cast<int>(end - mix_.begin());
  unlockDevice();
  updateDevicePause();
  return true;  // the worker is joined when the last reference goes
}

int SdlAudioLib::ChannelIsActive(Handle h) {
  auto s = find(h);
  if (!s) return kStopped;
  switch (s->state()) {
    case Stream::kPlaying:
      return kPlaying;
    case Stream::kPaused:
      return kPaused;
    default:
      return kStopped;
  }
}

bool SdlAudioLib::ChannelPreBuf(Handle h, uint32_t) {
  auto s = find(h);
  if (!s) return false;
  s->prebuffer(SIZE_MAX, kPrebufTimeoutMs);
  return true;
}

uint32_t SdlAudioLib::ChannelSetSync(Handle h, uint32_t type, uint64_t, SyncProc proc, void* user) {
  if (type != kSyncEnd || !proc) return 0;
  std::lock_guard<std::mutex> lock(tableMutex_);
  auto it = table_.find(h);
  if (it == table_.end()) return 0;
  if (nextSync_ == 0) nextSync_ = 1;
  uint32_t id = nextSync_++;
  it->second.syncs.push_back({id, proc, user});
  return id;
}

bool SdlAudioLib::ChannelSetAttributes(Handle h, int, int volume, int) {
  auto s = find(h);
  if (!s) return false;
  if (volume != -1) s->setVolume(static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f);
  return true;
}

uint64_t SdlAudioLib::ChannelGetPosition(Handle h) {
  auto s = find(h);
  if (!s) return UINT64_MAX;
  // Played to its end: the position is the end even when the decoder gave a little less.
  if (s->state() == Stream::kEnded && s->lengthFrames() > 0) return ChannelGetLength(h);
  return static_cast<uint64_t>(s->heardFrame(latencyFrames(*s))) * s->channels() * 2;
}

uint64_t SdlAudioLib::ChannelGetLength(Handle h) {
  auto s = find(h);
  if (!s) return UINT64_MAX;
  return static_cast<uint64_t>(s->lengthFrames()) * s->channels() * 2;
}

double SdlAudioLib::ChannelBytes2Seconds(Handle h, uint64_t bytes) {
  auto s = find(h);
  if (!s) return -1.0;
  return static_cast<double>(bytes) / (static_cast<double>(s->rate()) * s->channels() * 2);
}

uint64_t SdlAudioLib::ChannelSeconds2Bytes(Handle h, double seconds) {
  auto s = find(h);
  if (!s) return UINT64_MAX;
  if (!(seconds > 0)) return 0;
  double frames = std::floor(seconds * s->rate());
  if (frames > 1e15) frames = 1e15;
  return static_cast<uint64_t>(frames) * s->channels() * 2;
}

bool SdlAudioLib::ChannelSetPosition(Handle h, uint64_t bytes) {
  auto s = find(h);
  if (!s) return false;
  uint64_t frame = bytes / (static_cast<uint64_t>(s->channels()) * 2);
  if (s->lengthFrames() > 0 && frame > static_cast<uint64_t>(s->lengthFrames())) return false;
  return seek(*s, static_cast<int64_t>(frame));
}

bool SdlAudioLib::ChannelGetInfo(Handle h, ChannelInfo* info) {
  auto s = find(h);
  if (!s || !info) return false;
  info->freq = static_cast<uint32_t>(s->rate());
  info->chans = static_cast<uint32_t>(s->channels());
  info->flags = 0;
  info->ctype = s->ctype();
  info->origres = s->originalBits();
  return true;
}

int SdlAudioLib::ChannelGetData(Handle h, void* buffer, uint32_t length) {
  auto s = find(h);
  if (!s || !buffer) return -1;
  if (length == kDataFft1024) {
    static_assert(SpectrumAnalyzer::kSize <= kMaxDataFrames);
    s->copyHeard(heard_.data(), SpectrumAnalyzer::kSize, latencyFrames(*s));
    if (!spectrum_) spectrum_ = std::make_unique<SpectrumAnalyzer>();
    spectrum_->analyze(heard_.data(), static_cast<float*>(buffer));
    return SpectrumAnalyzer::kSize / 2 * static_cast<int>(sizeof(float));
  }
  if (length & 0x80000000u) return -1;  // other FFT sizes are not offered
  auto* out = static_cast<int16_t*>(buffer);
  if (s->channels() == 1) {
    // Mono keeps its layout: consecutive samples (both sides of what is heard are equal).
    int samples = static_cast<int>(std::min<uint32_t>(length / 2, kMaxDataFrames));
    int n = s->copyHeard(heard_.data(), samples, latencyFrames(*s));
    for (int i = 0; i < n; ++i) out[i] = heard_[2 * static_cast<size_t>(i)];
    return n * 2;
  }
  int frames = static_cast<int>(std::min<uint32_t>(length / 4, kMaxDataFrames));
  int n = s->copyHeard(out, frames, latencyFrames(*s));
  return n * 4;
}

uint32_t SdlAudioLib::ChannelGetLevel(Handle h) {
  auto s = find(h);
  if (!s) return UINT32_MAX;
  if (s->state() != Stream::kPlaying) return 0;
  return s->level(deviceRate_ * kLevelMs / 1000, latencyFrames(*s));
}

int64_t SdlAudioLib::startDelayNs(Handle h) {
  auto s = find(h);
  return s ? s->startDelayNs() : 0;
}

}  // namespace vemla::audio
