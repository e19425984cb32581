#pragma once
// The forced-setup file "obligador.ini" in the program folder: when present and active it can
// make the player start playing by itself and replace the saved list by a fixed list of
// audio-CD tracks with their own titles, artists, comments and pictures.
//
// Reading is split from applying so the file's rules are tested from memory:
// - ReadForcedSetup turns the file's bytes into values (sections and keys without regard to
//   case, values trimmed, texts that are not UTF-8 taken as Windows-1252);
// - ApplyForcedSetup sets the player's flags and adds the songs' tracks.
//
// Numbers that do not parse never end the program: STARTRACK and UNIDAD read as 0; a song whose
// TRACK holds something other than a whole number is left out before anything of it is added
// (an empty TRACK is no track number: 0). PISTAS reads like a profile integer (leading digits,
// "0x" for hexadecimal, anything else 0). A disc holds at most 99 tracks, so songs past the
// disc's last track (or past 99) are never read or tried.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vemla::core {

class Player;

inline constexpr const char* kForcedSetupFile = "obligador.ini";
inline constexpr int32_t kAutomaticDrive = -10;  // "UNIDAD=A"
inline constexpr int kMaxDiscTracks = 99;

struct ForcedSong {
  int number = 0;  // n of "SONG%03d", from 1; plays track n - 1
  std::string image, year, title, artist, author, genre, comment;
  uint8_t track = 0;  // TRACK's low 8 bits
  bool valid = true;  // false: TRACK was not a whole number, the song is left out
};

struct ForcedSetup {
  bool active = false;            // ACTIVO is exactly "1"
  bool autoStart = false;         // AUTOSTART is "1"
  int32_t startRow = 0;           // STARTRACK
  bool listAsked = false;         // PL_EXTEND is "1"
  int32_t listType = 0;           // 1 when PL_TIPO is "CDA"
  int32_t drive = 0;              // UNIDAD, or kAutomaticDrive
  int32_t trackCount = 0;         // PISTAS as written
  std::vector<ForcedSong> songs;  // songs 1 … min(PISTAS, 99), in order; none unless listAsked
};

ForcedSetup ReadForcedSetup(std::string_view bytes);

// Whole number as the settings conversions take it: optional sign, decimal digits or "0x"/"$"
// hexadecimal, within 32 bits, nothing else. False when it is not one.
bool ParseWholeNumber(std::string_view text, int32_t& out);
// Profile-file integer: optional sign, then "0x" hexadecimal or decimal digits up to the first
// other character; nothing readable gives 0; too large saturates.
int32_t ParseProfileInt(std::string_view text);

// The CD drive whose mounted file system holds `programDir`: the deepest mount point of
// `mountsTable` (/proc/self/mounts format) holding it, matched by device path against
// `drivePaths` (after resolving links); 0 when none is a CD drive.
int AutomaticCdDrive(std::string_view mountsTable, const std::string& programDir,
                     const std::vector<std::string>& drivePaths);

// Start-up: reads ProgramDir + "obligador.ini" and applies it. Does nothing without the file.
void ApplyForcedSetup(Player& player);
// Applies file contents already read (what ApplyForcedSetup does after reading).
void ApplyForcedSetupBytes(Player& player, std::string_view bytes);

}  // namespace vemla::core
