// The autosave list is never lost to a start-up read that could not take it in whole.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/AutosaveGuard.h"
#include "playlist/PlaylistFile.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;
using namespace vemla;

namespace {

// Reads `text` as the player reads its autosave list, then asks for the safety copy.
bool copyKept(const std::string& name, const std::string& text) {
  fs::path list = test::writeFile(name, text);
  fs::remove(list.string() + ".bak");
  playlist::Playlist loaded;
  struct Sink : playlist::ListSink {
    playlist::Playlist& p;
    explicit Sink(playlist::Playlist& p) : p(p) {}
    bool ListedEntry(const std::string& path, const std::string& title, int32_t seconds) override {
      return p.AddListedEntry(path, "", title, seconds) == playlist::AddResult::Added;
    }
    bool ListedCdTrack(int drive, int track, const std::string& title, int32_t seconds) override {
      return p.AddListedCdTrack(drive, track, title, seconds) == playlist::AddResult::Added;
    }
  } sink(loaded);
  std::string bytes;
  if (playlist::ReadWholeFile(list.string(), bytes)) {
    playlist::ParsePlaylist(bytes, playlist::ListFolder(list.string()), sink);
  }
  bool kept = app::keepUnreadAutosaveList(list.string(), loaded);
  EXPECT_EQ(kept, fs::exists(list.string() + ".bak")) << name;
  // The start-up's own check of the bytes it read agrees with the guard's read of the file.
  if (!text.empty()) {
    EXPECT_EQ(playlist::ReadsBackAs(bytes, loaded), !kept) << name;
  }
  if (kept) {
    EXPECT_EQ(test::readFile(list.string() + ".bak"), text) << name;
  }
  return kept;
}

TEST(AutosaveGuard, CopiesOnlyWhatTheReadCouldNotTakeInWhole) {
  const std::string good =
      "#EXTM3U\r\n#EXTINF:4,Uno\r\n/m/a.mp3\r\n#EXTINF:-1,Dos\r\nCDA://0,3\r\n";
  EXPECT_FALSE(copyKept("good.M3U", good));
  EXPECT_FALSE(copyKept("empty-list.M3U", "#EXTM3U\r\n"));
  EXPECT_TRUE(copyKept("bad-number.M3U",
                       "#EXTM3U\r\n#EXTINF:4,Uno\r\n/m/a.mp3\r\n"
                       "#EXTINF:x,Dos\r\n/m/b.mp3\r\n"));
  EXPECT_TRUE(copyKept("binary.M3U", std::string("\x00\xff\x13garbage", 10)));
  EXPECT_TRUE(copyKept("bom.M3U", "\xef\xbb\xbf#EXTM3U\r\n#EXTINF:4,Uno\r\n/m/a.mp3\r\n"));
  EXPECT_FALSE(copyKept("nothing.M3U", ""));
  // Line ends alone never make a copy; a change anywhere in the text does.
  EXPECT_FALSE(copyKept("lf-only.M3U", "#EXTM3U\n#EXTINF:4,Uno\n/m/a.mp3\n"));
  EXPECT_FALSE(copyKept("mixed-ends.M3U", "#EXTM3U\r\n#EXTINF:4,Uno\n/m/a.mp3\r\n"));
  EXPECT_TRUE(copyKept("no-extinf.M3U", "#EXTM3U\r\n/m/a.mp3\r\n"));
  EXPECT_TRUE(copyKept("blank-line.M3U", "#EXTM3U\r\n\r\n#EXTINF:4,Uno\r\n/m/a.mp3\r\n"));
  EXPECT_TRUE(copyKept("last-line-cut.M3U", "#EXTM3U\r\n#EXTINF:4,Uno\r\n/m/a.mp"));
  EXPECT_FALSE(copyKept("address.M3U", "#EXTM3U\r\n#EXTINF:4,Uno\r\nfile:///m/a%0Ab.mp3\r\n"));
  EXPECT_TRUE(copyKept("address-lower.M3U", "#EXTM3U\r\n#EXTINF:4,Uno\r\nfile:///m/a%0ab.mp3\r\n"));
  EXPECT_TRUE(copyKept("cr-in-line.M3U", "#EXTM3U\r\n#EXTINF:4,U\rno\r\n/m/a.mp3\r\n"));
  EXPECT_TRUE(copyKept("extra-line.M3U", "#EXTM3U\r\n#EXTINF:4,Uno\r\n/m/a.mp3\r\n\r\n"));
}

}  // namespace
