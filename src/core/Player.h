#pragma once
// The player: its process-wide state under the names the rest of the program uses, the
// playlist, the stream slots, and the operations of the playback engine, transport and the
// playlist. One Player lives for the whole run and is handed to every window; it reaches the
// audio layer and the windows only through the interfaces it is given.
//
// Threads: everything runs on the user-interface thread except EndOfTrack, which the audio
// layer calls on its own thread and which only posts a request through the view.
#include <array>
#include <atomic>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "audio/AudioLib.h"
#include "core/PlayerView.h"
#include "playlist/Playlist.h"

namespace vemla::core {

struct StreamSlot {
  uint8_t InUse = 0;    // holds an open stream that was not freed
  uint8_t Playing = 0;  // the stream was started
  audio::Handle Handle = 0;
};

constexpr int kStreamSlotCount = 129;

// Texts the player shows.
inline constexpr const char* kAudioInitError = "No puedo inicializar el dispositivo de audio";
inline constexpr const char* kPlaylistFullMessage =
    "La lista está llena: no caben más de 40000 canciones.";

class Player {
 public:
  explicit Player(audio::AudioLib& audio);
  // Frees every stream still open, so no end sync can reach a destroyed Player. The audio layer
  // must outlive the Player.
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  // The windows attach themselves once they exist; nullptr detaches (a null view is used).
  void SetView(PlayerView* view);
  PlayerView& View() const { return *view_.load(std::memory_order_acquire); }
  audio::AudioLib& Audio() { return audio_; }

  // ---- State (user-interface thread only) ----
  std::string ProgramPath;  // the running executable
  std::string ProgramDir;   // its folder, ending in "/"; skin files are ProgramDir + "/skin/…"
  uint8_t Paused = 0;
  uint8_t Stopped = 1;
  uint8_t MiniShown = 0;
  uint8_t MiniPrimed = 0;
  uint8_t MiniSeekDragging = 0;
  uint8_t ForcedListLoaded = 0;
  int32_t ForcedListType = 0;  // forced-setup working values
  int32_t ForcedDrive = 0;
  int32_t ForcedTrackCount = 0;
  uint8_t AutoPlay = 0;
  uint8_t NoSave = 0;
  int32_t ForcedStartRow = 0;
  uint8_t StartupDone = 0;
  uint8_t RepeatMode = 0;
  uint8_t RandomMode = 0;
  uint8_t PlaylistVisible = 0;
  uint8_t Muted = 0;
  int32_t SavedVolume = 0;       // volume knob left edge to restore when mute is lifted
  int32_t VolumeKnobLeft = 277;  // `bot_vol` left edge, 220…295; volume = VolumeKnobLeft - 220
  uint8_t PlaylistDocked = 0;
  int32_t PlaylistLeft = 0;
  int32_t PlaylistTop = 0;
  uint8_t TimeMode = 2;  // 1 elapsed, 2 remaining
  uint16_t TitleOffset = 0;
  uint16_t TitleBackwards = 0;
  uint16_t MiniTitleOffset = 0;
  uint16_t MiniTitleBackwards = 0;
  uint8_t VolumeDragging = 0;
  uint8_t SeekDragging = 0;
  uint8_t FxType = 3;  // 1 circle, 2 oscilloscope, 3 spectrum
  uint8_t FxMode = 0;
  int32_t FxCenterX = 50;
  int32_t FxCenterY = 18;
  int32_t LastOpenResult = 0;
  std::array<StreamSlot, kStreamSlotCount> StreamSlots{};
  int32_t CurrentSlot = -1;
  // Entries, EntryCount, CurrentEntry, ClickedRow. Change it only through the operations
  // below, which keep the list view in step.
  playlist::Playlist List;

  // ---- Start-up and shutdown ----
  // Start values of every field above; `programPath` empty means the running executable.
  void SetDefaults(const std::string& programPath = "");
  void SeedRandom(uint32_t seed) { rng_.seed(seed); }
  // Opens the audio device (device 1, 44100 Hz). On false the caller shows kAudioInitError
  // (caption "Error") and ends the program.
  bool InitAudioDevice();
  void FreeAudioDevice();
  // "<program>.INI" / "<program>.M3U": the executable's path with the suffix appended, or in
  // $XDG_CONFIG_HOME/VemlaPlayer/ (~/.config/VemlaPlayer/) when the program's folder is not
  // writable.
  std::string ProgramFilePath(const std::string& suffix) const;
  std::string AutosaveListPath() const { return ProgramFilePath(".M3U"); }
  std::string SettingsFilePath() const { return ProgramFilePath(".INI"); }
  // Where those files are read from: where they are written, except that a read-only program
  // folder whose user has no copy in the config folder yet (a fresh install, a player on a CD)
  // starts from the files beside the program.
  std::string ProgramFileReadPath(const std::string& suffix) const;
  std::string AutosaveListReadPath() const { return ProgramFileReadPath(".M3U"); }
  std::string SettingsReadPath() const { return ProgramFileReadPath(".INI"); }
  // Start-up read of the autosave list: like LoadPlaylistFile, but its messages (a malformed
  // number, a full playlist) are kept until ShowPendingMessage, called once the windows are up.
  void LoadAutosaveList();
  // True when that read took the file whole: it holds exactly what the list would be written as
  // (line endings aside), so the exit's save over it loses nothing.
  bool AutosaveListReadWhole() const { return autosaveReadWhole_; }
  void ShowPendingMessage();
  // Exit-time write of the autosave list: errors are silent. False when it failed.
  bool SaveAutosaveList();

  // ---- Playback engine ----
  // Slot 0…128, or -3 no free slot, -2 file missing, -1 the library cannot open it.
  int OpenEntryStream(const std::string& path, int entryIndex);
  bool StartStream(int slot);
  void StopPlayback();
  void TogglePause();
  bool FreeCurrentStream();
  void ResetStreamSlots();
  void ApplyVolume();
  // Entry 1…EntryCount: 0 on success, -1 on failure (the entry keeps its information).
  int ReadEntryInfo(const std::string& path, int entryIndex);
  float StreamPositionSeconds();
  float StreamLengthSeconds();
  void SeekSeconds(float seconds);
  // Audio-layer end sync; `user` is the Player. Posts a PlayNext request for that channel.
  static void EndOfTrack(uint32_t sync, audio::Handle channel, uint32_t data, void* user);

  // ---- Transport and navigation ----
  int NextIndex();
  int PreviousIndex();
  void PlaySelected();
  void PlayNext();
  void PlayPrevious();
  // Moves the volume knob (clamped to 220…295), tells the view; callers settle mute and volume.
  void SetVolumeKnobLeft(int left);

  // ---- Playlist ----
  // Each add appends one row; true when the entry was added (it is then List.EntryCount).
  bool AddFileEntry(const std::string& path);
  bool AddCdTrackEntry(int drive, int track, const std::string& name);
  bool AddListedEntry(const std::string& path, const std::string& author, const std::string& title,
                      int32_t seconds);
  bool AddListedCdTrack(int drive, int track, const std::string& title, int32_t seconds);
  int ReadCdTrackInfo(int drive, int track, int entryIndex, const std::string& name);
  void RemoveEntry(int index);
  void ClearPlaylist();
  void RefreshListRows();
  // -2 no rows, -1 no row selected, otherwise the first selected row + 1.
  int SelectedEntry() const;
  std::string BuildNumberedName(int index) const { return List.BuildNumberedName(index); }
  std::string BuildFullTitle(int index) const { return List.BuildFullTitle(index); }
  std::string BuildDisplayLine(const std::string& text, int index) const {
    return List.BuildDisplayLine(text, index);
  }

  // ---- Playlist files ----
  static int PlaylistKindOf(const std::string& path);
  // Appends the entries of an M3U list; a malformed number stops it with a message.
  void LoadPlaylistFile(const std::string& path);
  // Replaces `path` with the whole list. "" on success, else the I/O error text.
  std::string WritePlaylistFile(const std::string& path);
  // A file chosen in a dialog or dropped: a list is read, an audio file added, PLS ignored.
  void HandOverFile(const std::string& path);
  // "Salvar Lista" once the user chose `chosenName`: writes `<name>.m3u`, errors shown.
  void SaveListAs(const std::string& chosenName);

 private:
  bool SlotCurrent() const;
  audio::Handle CurrentHandle() const;
  int StepIndex(int step);
  void ShowStartedEntry(int index);
  void StartAt(int index);
  bool ReportAdd(playlist::AddResult result);
  // True when `readBack` and the file holds exactly what the list would be written as.
  bool LoadList(const std::string& path, bool deferMessage, bool readBack = false);
  void OnEndOfTrack(audio::Handle channel);

  audio::AudioLib& audio_;
  NullPlayerView nullView_;
  std::atomic<PlayerView*> view_{&nullView_};  // read by EndOfTrack on the library's thread
  std::mt19937 rng_;
  std::vector<std::string> pendingMessages_;
  bool fullReported_ = false;
  bool autosaveReadWhole_ = false;
};

}  // namespace vemla::core
