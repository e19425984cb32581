#include "playlist/EntryInfo.h"

#include <sys/stat.h>

#include <cmath>
#include <limits>

#include "playlist/TextCodec.h"
#include "tags/TID3v2.h"
#include "tags/TOggVorbis.h"

namespace vemla::playlist {

namespace {

struct KindName {
  const char* ext;
  uint8_t kind;
};

constexpr KindName kKinds[] = {
    {"WAV", 1},  {"OGG", 2},  {"MPG", 3},  {"MP2", 4},  {"MP3", 5},   {"CDA", 6},
    {"WMA", 7},  {"AAC", 8},  {"MP4", 9},  {"AC3", 10}, {"ALAC", 11}, {"APE", 12},
    {"MPC", 13}, {"OFR", 14}, {"SPX", 15}, {"TTA", 16}, {"WV", 17},   {"FLAC", 18},
};

}  // namespace

std::string UpperExtension(std::string_view path) {
  auto dot = path.rfind('.');
  std::string ext(dot == std::string_view::npos ? path : path.substr(dot + 1));
  for (char& c : ext) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return ext;
}

uint8_t FormatKindOf(std::string_view upperExtension) {
  for (const auto& k : kKinds) {
    if (upperExtension == k.ext) return k.kind;
  }
  return 0;
}

std::string FileBaseName(std::string_view path) {
  auto dot = path.rfind('.');
  if (dot != std::string_view::npos && dot > 0) path = path.substr(0, dot);
  auto slash = path.rfind('/');
  if (slash != std::string_view::npos) path = path.substr(slash + 1);
  // A file name in an old 8-bit encoding still needs a readable text.
  return ToUtf8(path);
}

audio::Handle OpenByKind(audio::AudioLib& a, uint8_t kind, const std::string& p) {
  switch (kind) {
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
      return a.StreamCreateFile(false, p, 0, 0, 0);
    case 6:
      return a.CD_StreamCreateFile(p, 0);
    case 7:
      return a.WMA_StreamCreateFile(false, p, 0, 0, 0);
    case 8:
    case 9:
      return a.AAC_StreamCreateFile(false, p, 0, 0, 0);
    case 10:
      return a.AC3_StreamCreateFile(false, p, 0, 0, 0);
    case 11:
      return a.ALAC_StreamCreateFile(false, p, 0, 0, 0);
    case 12:
      return a.APE_StreamCreateFile(false, p, 0, 0, 0);
    case 13:
      return a.MPC_StreamCreateFile(false, p, 0, 0, 0);
    case 14:
      return a.OFR_StreamCreateFile(false, p, 0, 0, 0);
    case 15:
      return a.SPX_StreamCreateFile(false, p, 0, 0, 0);
    case 16:
      return a.TTA_StreamCreateFile(false, p, 0, 0, 0);
    case 17:
      return a.WV_StreamCreateFile(false, p, 0, 0, 0);
    case 18:
      return a.FLAC_StreamCreateFile(false, p, 0, 0, 0);
    default:
      return 0;
  }
}

int32_t RoundSeconds(double seconds) {
  if (!std::isfinite(seconds)) return 0;
  double r = std::nearbyint(seconds);  // the default rounding mode: ties to even
  if (r > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (r < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(r);
}

namespace {

// Figures common to files and CD tracks, from an open handle.
void ReadFigures(audio::AudioLib& a, audio::Handle h, Tcancion& e, audio::ChannelInfo& info,
                 bool& haveInfo) {
  uint64_t length = a.ChannelGetLength(h);
  e.SizeBytes = static_cast<uint32_t>(length);
  e.LengthSeconds = RoundSeconds(a.ChannelBytes2Seconds(h, length));
  haveInfo = a.ChannelGetInfo(h, &info);
  if (haveInfo) {
    e.SampleRate = static_cast<int32_t>(info.freq);
    e.Channels = static_cast<uint8_t>(info.chans & 0xFF);
    e.BitsPerSample = info.flags == audio::kSample8Bits ? 8 : 16;
  }
}

}  // namespace

bool IsSpecialFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) ||
                                            S_ISBLK(st.st_mode) || S_ISSOCK(st.st_mode));
}

int ReadEntryInfo(audio::AudioLib& a, const std::string& path, Tcancion& e) {
  std::string ext = UpperExtension(path);
  uint8_t kind = FormatKindOf(ext);
  if (kind == 0 || IsSpecialFile(path)) return -1;
  audio::Handle h = OpenByKind(a, kind, path);
  // A failed open leaves the entry as it was: no error value lands in SizeBytes.
  if (h == 0) return -1;

  e.FormatName = ext;
  e.FormatKind = kind;
  e.Title.clear();
  e.Artist = FileBaseName(path);
  audio::ChannelInfo info;
  bool haveInfo = false;
  ReadFigures(a, h, e, info, haveInfo);
  if (haveInfo) {
    // Streams shorter than half a second have no meaningful rate: 0 instead of a division by 0.
    e.BitRate =
        e.LengthSeconds > 0
            ? static_cast<int32_t>((e.SizeBytes / static_cast<uint32_t>(e.LengthSeconds)) / 1024)
            : 0;
  }

  if (kind == 2) {
    tags::TOggVorbis ogg;
    if (ogg.Load(path) && ogg.Present()) {
      e.TrackNumber = ogg.TrackNo();
      e.Title = ogg.Title();
      e.Artist = ogg.Artist();
      e.Album = ogg.Album();
      e.Year = ogg.Date();
      e.Genre = ogg.Genre();
      e.Comment = ogg.Comment();
      e.GenreIndex = -1;
      e.BitRate = static_cast<uint16_t>(ogg.BitRate());
      e.SampleRate = ogg.SampleRate();
    }
  } else if (kind >= 3 && kind <= 5) {
    tags::TID3v2 id3;
    if (id3.Load(path) && id3.Present()) {
      e.TrackNumber = id3.TrackNo();
      e.Title = id3.Title();
      e.Artist = id3.Artist();
      e.Album = id3.Album();
      e.Year = id3.Year();
      e.Genre = id3.Genre();
      e.Comment = id3.Comment();
      e.GenreIndex = -1;
    }
  }
  if (e.Artist.empty()) e.Artist = FileBaseName(path);
  a.StreamFree(h);
  return 0;
}

int ReadCdTrackInfo(audio::AudioLib& a, int drive, int track, Tcancion& e,
                    const std::string& name) {
  audio::Handle h = a.CD_StreamCreate(drive, track, 0);
  if (h == 0) return -1;
  e.Title.clear();
  e.Artist = FileBaseName(name);
  e.FormatName = "CDA";
  e.FormatKind = kKindCda;
  audio::ChannelInfo info;
  bool haveInfo = false;
  ReadFigures(a, h, e, info, haveInfo);
  if (haveInfo) e.BitRate = static_cast<int32_t>(info.origres);
  a.StreamFree(h);
  return 0;
}

}  // namespace vemla::playlist
