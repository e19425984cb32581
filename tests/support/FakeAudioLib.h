#pragma once
// A scripted audio layer: files and CD tracks it "knows" open with the figures given, anything
// else is refused (drive queries, sample data and levels too); every call is logged so tests
// can check what the core asked for.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "support/StubAudioLib.h"

namespace vemla::test {

class FakeAudioLib : public StubAudioLib {
 public:
  struct Script {
    uint64_t length = 176400ull * 10;  // bytes
    double bytesPerSecond = 176400;
    uint32_t freq = 44100;
    uint32_t chans = 2;
    uint32_t flags = 0;
    uint32_t origres = 16;
    bool infoFails = false;
  };
  struct Stream {
    std::string source;
    Script script;
    int state = audio::kStopped;
    uint64_t position = 0;
    int volume = -1;
    audio::SyncProc sync = nullptr;
    void* user = nullptr;
  };

  std::map<std::string, Script> files;             // by path
  std::map<std::pair<int, int>, Script> cdTracks;  // by (drive, track)
  // Drives the queries list: device path and description by drive; a drive's track count is
  // its highest scripted track + 1, or `discTracks` when set there.
  std::vector<std::pair<std::string, std::string>> cdDrives;
  std::map<int, int> discTracks;
  std::map<int, std::vector<std::string>> cdIds;  // CD_GetID(drive, 4)
  bool refusePlay = false;
  std::set<std::string> refusePlayOf;  // sources whose play request is refused
  bool initOk = true;
  std::vector<std::string> calls;
  std::map<audio::Handle, Stream> streams;  // open (not freed) streams

  // Plays `h` to its end: the state drops to stopped and the end sync runs (on this thread).
  void End(audio::Handle h) {
    auto it = streams.find(h);
    if (it == streams.end()) return;
    it->second.state = audio::kStopped;
    it->second.position = it->second.script.length;
    if (it->second.sync) it->second.sync(1, h, 0, it->second.user);
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const auto& c : calls) n += c.compare(0, prefix.size(), prefix) == 0;
    return n;
  }
  // The one stream that is playing or paused, 0 when none.
  audio::Handle Active() const {
    for (const auto& [h, s] : streams)
      if (s.state == audio::kPlaying || s.state == audio::kPaused) return h;
    return 0;
  }

  bool Init(int, uint32_t, uint32_t) override { return initOk; }
  void Free() override { streams.clear(); }

  audio::Handle CD_StreamCreateFile(const std::string& path, uint32_t) override {
    return OpenFile("CD_StreamCreateFile", path);
  }
  audio::Handle CD_StreamCreate(int drive, int track, uint32_t) override {
    calls.push_back("CD_StreamCreate " + std::to_string(drive) + "," + std::to_string(track));
    auto it = cdTracks.find({drive, track});
    if (it == cdTracks.end()) return 0;
    return Add("CDA://" + std::to_string(drive) + "," + std::to_string(track), it->second);
  }

  std::string CD_GetDriveDescription(int drive) override {
    return drive >= 0 && drive < static_cast<int>(cdDrives.size()) ? cdDrives[drive].second : "";
  }
  std::string CD_GetDriveLetter(int drive) override {
    return drive >= 0 && drive < static_cast<int>(cdDrives.size()) ? cdDrives[drive].first : "";
  }
  int CD_GetTracks(int drive) override {
    if (discTracks.count(drive)) return discTracks.at(drive);
    int n = -1;
    for (const auto& [key, script] : cdTracks)
      if (key.first == drive) n = std::max(n, key.second + 1);
    return n;
  }
  int64_t CD_GetTrackLength(int drive, int track) override {
    auto it = cdTracks.find({drive, track});
    return it == cdTracks.end() ? -1 : static_cast<int64_t>(it->second.length);
  }
  std::vector<std::string> CD_GetID(int drive, uint32_t id) override {
    return id == 4 && cdIds.count(drive) ? cdIds.at(drive) : std::vector<std::string>{};
  }

  bool ChannelPlay(audio::Handle h, bool) override {
    calls.push_back("ChannelPlay " + Source(h));
    auto* s = Find(h);
    if (!s || refusePlay || refusePlayOf.count(s->source)) return false;
    s->state = audio::kPlaying;
    return true;
  }
  bool ChannelPause(audio::Handle h) override {
    calls.push_back("ChannelPause " + Source(h));
    auto* s = Find(h);
    if (!s || s->state != audio::kPlaying) return false;
    s->state = audio::kPaused;
    return true;
  }
  bool ChannelStop(audio::Handle h) override {
    calls.push_back("ChannelStop " + Source(h));
    auto* s = Find(h);
    if (!s) return false;
    s->state = audio::kStopped;
    return true;
  }
  bool StreamFree(audio::Handle h) override {
    calls.push_back("StreamFree " + Source(h));
    return streams.erase(h) > 0;
  }
  int ChannelIsActive(audio::Handle h) override {
    auto* s = Find(h);
    return s ? s->state : audio::kStopped;
  }
  bool ChannelPreBuf(audio::Handle h, uint32_t) override { return Find(h) != nullptr; }
  uint32_t ChannelSetSync(audio::Handle h, uint32_t type, uint64_t, audio::SyncProc proc,
                          void* user) override {
    auto* s = Find(h);
    if (!s || type != audio::kSyncEnd) return 0;
    s->sync = proc;
    s->user = user;
    return 1;
  }
  bool ChannelSetAttributes(audio::Handle h, int, int volume, int) override {
    calls.push_back("Volume " + std::to_string(volume));
    auto* s = Find(h);
    if (!s) return false;
    s->volume = volume;
    return true;
  }
  uint64_t ChannelGetPosition(audio::Handle h) override {
    auto* s = Find(h);
    return s ? s->position : ~0ull;
  }
  uint64_t ChannelGetLength(audio::Handle h) override {
    auto* s = Find(h);
    return s ? s->script.length : ~0ull;
  }
  double ChannelBytes2Seconds(audio::Handle h, uint64_t bytes) override {
    auto* s = Find(h);
    return s ? static_cast<double>(bytes) / s->script.bytesPerSecond : -1;
  }
  uint64_t ChannelSeconds2Bytes(audio::Handle h, double seconds) override {
    auto* s = Find(h);
    return s ? static_cast<uint64_t>(seconds * s->script.bytesPerSecond) : ~0ull;
  }
  bool ChannelSetPosition(audio::Handle h, uint64_t bytes) override {
    calls.push_back("SetPosition " + std::to_string(bytes));
    auto* s = Find(h);
    if (!s) return false;
    s->position = bytes;
    return true;
  }
  bool ChannelGetInfo(audio::Handle h, audio::ChannelInfo* info) override {
    auto* s = Find(h);
    if (!s || s->script.infoFails) return false;
    info->freq = s->script.freq;
    info->chans = s->script.chans;
    info->flags = s->script.flags;
    info->ctype = audio::kTypeFile;
    info->origres = s->script.origres;
    return true;
  }

  std::string Source(audio::Handle h) const {
    auto it = streams.find(h);
    return it == streams.end() ? "?" : it->second.source;
  }

 protected:
  audio::Handle OpenFile(const char* opener, const std::string& path) override {
    calls.push_back(std::string(opener) + " " + path);
    auto it = files.find(path);
    if (it == files.end()) return 0;
    return Add(path, it->second);
  }

 private:
  audio::Handle Add(const std::string& source, const Script& script) {
    audio::Handle h = next_++;
    streams[h] = Stream{source, script};
    return h;
  }
  Stream* Find(audio::Handle h) {
    auto it = streams.find(h);
    return it == streams.end() ? nullptr : &it->second;
  }
  audio::Handle next_ = 100;
};

}  // namespace vemla::test
