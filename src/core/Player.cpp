#include "core/Player.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>

#include "playlist/EntryInfo.h"

namespace vemla::core {

namespace {

std::string ExecutablePath() {
  std::string buf(4096, '\0');
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  buf.resize(static_cast<size_t>(n));
  return buf;
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// mkdir -p with user-only access for the folders it creates.
void MakeFolders(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == '/') {
      std::string part = dir.substr(0, i);
      if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return;
    }
  }
}

}  // namespace

Player::Player(audio::AudioLib& audio) : audio_(audio) {}

Player::~Player() {
  for (auto& s : StreamSlots) {
    if (s.InUse) audio_.StreamFree(s.Handle);
    s = StreamSlot{};
  }
  CurrentSlot = -1;
}

void Player::SetView(PlayerView* view) {
  view_.store(view ? view : &nullView_, std::memory_order_release);
}

void Player::SetDefaults(const std::string& programPath) {
  ProgramPath = programPath.empty() ? ExecutablePath() : programPath;
  size_t slash = ProgramPath.rfind('/');
  ProgramDir = slash == std::string::npos ? std::string() : ProgramPath.substr(0, slash + 1);

  Paused = 0;
  Stopped = 1;
  MiniShown = 0;
  MiniPrimed = 0;
  MiniSeekDragging = 0;
  ForcedListLoaded = 0;
  ForcedListType = 0;
  ForcedDrive = 0;
  ForcedTrackCount = 0;
  AutoPlay = 0;
  NoSave = 0;
  ForcedStartRow = 0;
  StartupDone = 0;
  RepeatMode = 0;
  RandomMode = 0;
  PlaylistVisible = 0;
  Muted = 0;
  SavedVolume = 0;
  PlaylistLeft = 0;
  PlaylistTop = 0;
  TimeMode = 2;
  TitleOffset = 0;
  TitleBackwards = 0;
  MiniTitleOffset = 0;
  MiniTitleBackwards = 0;
  FxType = 3;
  FxMode = 0;
  FxCenterX = 50;
  FxCenterY = 18;
  LastOpenResult = 0;
  StreamSlots.fill(StreamSlot{});
  CurrentSlot = -1;
  rng_.seed(static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  PlaylistDocked = 0;
  VolumeDragging = 0;
  SeekDragging = 0;
}

bool Player::InitAudioDevice() { return audio_.Init(1, 44100, 0); }

void Player::FreeAudioDevice() { audio_.Free(); }

std::string Player::ProgramFilePath(const std::string& suffix) const {
  if (!ProgramDir.empty() && ::access(ProgramDir.c_str(), W_OK) == 0) return ProgramPath + suffix;
  // An installed copy cannot write beside itself: keep its files in the user's config folder.
  std::string base;
  if (const char* x = std::getenv("XDG_CONFIG_HOME"); x && *x == '/') {
    base = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    base = std::string(h) + "/.config";
  } else {
    return ProgramPath + suffix;
  }
  std::string dir = base + "/VemlaPlayer";
  MakeFolders(dir);
  size_t slash = ProgramPath.rfind('/');
  std::string name = slash == std::string::npos ? ProgramPath : ProgramPath.substr(slash + 1);
  if (name.empty()) name = "VemlaPlayer";
  return dir + "/" + name + suffix;
}

std::string Player::ProgramFileReadPath(const std::string& suffix) const {
  std::string written = ProgramFilePath(suffix);
  std::string beside = ProgramPath + suffix;
  if (written == beside) return written;
  struct stat st;
  // lstat: a link the user put in the config folder counts as their copy, even a broken one.
  if (::lstat(written.c_str(), &st) == 0 || errno != ENOENT) return written;
  return beside;
}

// ---- Stream slots ----

bool Player::SlotCurrent() const {
  return CurrentSlot >= 0 && CurrentSlot < kStreamSlotCount && StreamSlots[CurrentSlot].InUse;
}

audio::Handle Player::CurrentHandle() const {
  return SlotCurrent() ? StreamSlots[CurrentSlot].Handle : 0;
}

int Player::OpenEntryStream(const std::string& path, int entryIndex) {
  int slot = -1;
  for (int i = 0; i < kStreamSlotCount; ++i) {
    if (!StreamSlots[i].InUse) {
      slot = i;
      break;
    }
  }
  if (slot < 0) return -3;
  const playlist::Tcancion& e = List.Entries[entryIndex];
  audio::Handle h = 0;
  if (e.IsCdTrack) {
    h = audio_.CD_StreamCreate(e.CdDrive, e.CdTrack, 0);
  } else {
    if (!IsFile(path)) return -2;
    if (playlist::IsSpecialFile(path)) return -1;
    h = playlist::OpenByKind(audio_, e.FormatKind, path);
  }
  if (h == 0) return -1;
  StreamSlots[slot] = StreamSlot{1, 0, h};
  return slot;
}

bool Player::StartStream(int slot) {
  if (slot < 0 || slot >= kStreamSlotCount || !StreamSlots[slot].InUse) return false;
  View().SetTimeText("00:00");
  StopPlayback();
  if (!StreamSlots[slot].InUse) return false;  // it was the current stream and is gone
  View().SetPositionKnob(true, true, 6);
  audio::Handle h = StreamSlots[slot].Handle;
  audio_.ChannelSetSync(h, audio::kSyncEnd, 0, &Player::EndOfTrack, this);
  audio_.ChannelPreBuf(h, 20);
  bool ok = audio_.ChannelPlay(h, false);
  StreamSlots[slot].Playing = 1;
  CurrentSlot = slot;
  ApplyVolume();
  View().SetPlaybackTimers(true);
  Paused = 0;
  Stopped = 0;
  return ok;
}

void Player::StopPlayback() {
  if (!SlotCurrent() || StreamSlots[CurrentSlot].Playing != 1) return;
  Paused = 0;
  Stopped = 1;
  View().SetPositionKnob(false, false, 6);
  FreeCurrentStream();
  View().SetPlaybackTimers(false);
  View().SetTimeText("00:00");
}

bool Player::FreeCurrentStream() {
  if (!SlotCurrent()) return false;
  StreamSlot& s = StreamSlots[CurrentSlot];
  if (s.Playing == 1) audio_.ChannelStop(s.Handle);
  Paused = 0;
  Stopped = 1;
  CurrentSlot = -1;
  audio_.StreamFree(s.Handle);
  s.Playing = 0;
  s.InUse = 0;
  return true;
}

void Player::TogglePause() {
  if (CurrentSlot == -1) PlaySelected();
  if (!SlotCurrent()) return;
  audio::Handle h = StreamSlots[CurrentSlot].Handle;
  int state = audio_.ChannelIsActive(h);
  // A stream starved of data for a moment is still playing as far as the user is concerned.
  if (state == audio::kPlaying || state == audio::kStalled) {
    Paused = 1;
    Stopped = 0;
    audio_.ChannelPause(h);
    View().SetPlaybackTimers(false);
  } else if (state == audio::kPaused) {
    Paused = 0;
    Stopped = 0;
    audio_.ChannelPlay(h, false);
    View().SetPlaybackTimers(true);
  }
}

void Player::ResetStreamSlots() {
  StopPlayback();
  for (auto& s : StreamSlots) {
    s.InUse = 0;
    s.Playing = 0;
  }
  CurrentSlot = -1;
}

void Player::ApplyVolume() {
  if (!SlotCurrent()) return;
  // The knob's place may come unchecked from the settings file; the layer takes 0…100.
  int volume = std::clamp(VolumeKnobLeft - 220, 0, 75);
  audio_.ChannelSetAttributes(StreamSlots[CurrentSlot].Handle, -1, volume, -1);
}

void Player::SetVolumeKnobLeft(int left) {
  VolumeKnobLeft = std::clamp(left, 220, 295);
  View().SetVolumeKnob(VolumeKnobLeft);
}

int Player::ReadEntryInfo(const std::string& path, int entryIndex) {
  // Only entries in the list: a read into the clear record past the end would leave residue.
  if (entryIndex < 1 || entryIndex > List.EntryCount) return -1;
  return playlist::ReadEntryInfo(audio_, path, List.Entries[entryIndex]);
}

float Player::StreamPositionSeconds() {
  audio::Handle h = CurrentHandle();
  if (!h) return 0;
  return static_cast<float>(audio_.ChannelBytes2Seconds(h, audio_.ChannelGetPosition(h)));
}

float Player::StreamLengthSeconds() {
  audio::Handle h = CurrentHandle();
  if (!h) return 0;
  return static_cast<float>(audio_.ChannelBytes2Seconds(h, audio_.ChannelGetLength(h)));
}

void Player::SeekSeconds(float seconds) {
  audio::Handle h = CurrentHandle();
  if (!h) return;
  audio_.ChannelSetPosition(h, audio_.ChannelSeconds2Bytes(h, seconds));
}

void Player::EndOfTrack(uint32_t, audio::Handle channel, uint32_t, void* user) {
  auto* self = static_cast<Player*>(user);
  if (!self) return;
  self->View().PostToUiThread([self, channel] { self->OnEndOfTrack(channel); });
}

void Player::OnEndOfTrack(audio::Handle channel) {
  // The request may arrive after the user already started or stopped something else; it only
  // concerns the stream that ended.
  if (channel == 0 || CurrentHandle() != channel) return;
  PlayNext();
}

}  // namespace vemla::core
