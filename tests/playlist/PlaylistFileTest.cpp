#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "support/Fixtures.h"

using namespace vemla::playlist;

namespace {

struct Recorder : ListSink {
  std::vector<std::string> got;  // "path|title|seconds" or "CD d,t|title|seconds"
  bool ListedEntry(const std::string& path, const std::string& title, int32_t seconds) override {
    got.push_back(path + "|" + title + "|" + std::to_string(seconds));
    return true;
  }
  bool ListedCdTrack(int d, int t, const std::string& title, int32_t seconds) override {
    got.push_back("CD " + std::to_string(d) + "," + std::to_string(t) + "|" + title + "|" +
                  std::to_string(seconds));
    return true;
  }
};

}  // namespace

TEST(PlaylistFile, ReadsEveryLineClass) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> want;
    std::string error;
  } cases[] = {
      {"small-letter header", "#extm3u\r\nsong.mp3\r\n", {}, ""},
      {"blank line before header", "\r\n#EXTM3U\r\nsong.mp3\r\n", {}, ""},
      {"header with trailing blank", "#EXTM3U \r\nsong.mp3\r\n", {}, ""},
      {"empty file", "", {}, ""},
      {"seconds without comma", "#EXTM3U\r\n#EXTINF:123\r\n/a.mp3\r\n", {"/a.mp3||123"}, ""},
      {"title keeps later commas",
       "#EXTM3U\r\n#EXTINF:60,A, B\r\n/a.mp3\r\n",
       {"/a.mp3|A, B|60"},
       ""},
      {"second EXTINF wins",
       "#EXTM3U\n#EXTINF:1,one\n#EXTINF:2,two\n/a.mp3\n",
       {"/a.mp3|two|2"},
       ""},
      {"no EXTINF", "#EXTM3U\r\n/a.mp3\r\n/b.mp3", {"/a.mp3||0", "/b.mp3||0"}, ""},
      {"values reset after entry",
       "#EXTM3U\n#EXTINF:5,x\n/a.mp3\n/b.mp3\n",
       {"/a.mp3|x|5", "/b.mp3||0"},
       ""},
      {"other # and blank lines keep values",
       "#EXTM3U\n#EXTINF:5,x\n\n#comment\n/a.mp3\n",
       {"/a.mp3|x|5"},
       ""},
      {"a lone @ is no entry and keeps values",
       "#EXTM3U\r\n#EXTINF:5,x\r\n@\r\n/a.mp3\r\n@@\r\n",
       {"/a.mp3|x|5", "/lists/@@||0"},
       ""},
      {"file addresses name local files",
       "#EXTM3U\n#EXTINF:7,t\nfile:///m/Mi%20canci%C3%B3n%25.mp3\nFILE://localhost/m/b.ogg\n"
       "file:///m/%zz%4.mp3\n",
       {"/m/Mi canci\xC3\xB3n%.mp3|t|7", "/m/b.ogg||0", "/m/%zz%4.mp3||0"},
       ""},
      {"other machines' files and NUL bytes skipped, values reset",
       "#EXTM3U\n#EXTINF:7,t\nfile://host/m/a.mp3\nfile:///m/a%00b.mp3\nfile:/m/c.mp3\n",
       {"/lists/file:/m/c.mp3||0"},
       ""},
      {"negative seconds", "#EXTM3U\n#EXTINF:-1,x\n/a.mp3\n", {"/a.mp3|x|-1"}, ""},
      {"relative path",
       "#EXTM3U\r\nsong.mp3\r\nsub/b.ogg\r\n",
       {"/lists/song.mp3||0", "/lists/sub/b.ogg||0"},
       ""},
      {"parent parts are not resolved", "#EXTM3U\n../x.mp3\n", {"/lists/../x.mp3||0"}, ""},
      {"windows paths stand as they are",
       "#EXTM3U\nC:\\m\\a.mp3\nc:/m/b.mp3\n",
       {"C:\\m\\a.mp3||0", "c:/m/b.mp3||0"},
       ""},
      {"UNC path is relative",
       "#EXTM3U\n\\\\server\\share\\a.mp3\n",
       {"/lists/\\\\server\\share\\a.mp3||0"},
       ""},
      {"web address skipped, values reset",
       "#EXTM3U\n#EXTINF:9,web\nhttp://x/y.mp3\n/a.mp3\n",
       {"/a.mp3||0"},
       ""},
      {"CD track",
       "#EXTM3U\r\n#EXTINF:185,Canci\xC3\xB3n\r\nCDA://1,5\r\n",
       {"CD 1,5|Canci\xC3\xB3n|185"},
       ""},
      {"Windows-1252 line",
       "#EXTM3U\r\n#EXTINF:1,Canci\xF3n\r\n/m/\xE1.mp3\r\n",
       {"/m/\xC3\xA1.mp3|Canci\xC3\xB3n|1"},
       ""},
      {"bad seconds stop the reading",
       "#EXTM3U\n/a.mp3\n#EXTINF:12x,t\n/b.mp3\n",
       {"/a.mp3||0"},
       "'12x' is not a valid integer value"},
      {"empty seconds", "#EXTM3U\n#EXTINF:,t\n/b.mp3\n", {}, "'' is not a valid integer value"},
      {"seconds past 32 bits",
       "#EXTM3U\n#EXTINF:4294967296,t\n/b.mp3\n",
       {},
       "'4294967296' is not a valid integer value"},
      {"bad CD drive", "#EXTM3U\nCDA://x,1\n", {}, "'x' is not a valid integer value"},
      {"CD line without track",
       "#EXTM3U\nCDA://1\n/b.mp3\n",
       {},
       "'' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    Recorder r;
    ListReadResult res = ParsePlaylist(c.bytes, "/lists/", r);
    EXPECT_EQ(r.got, c.want) << c.name;
    EXPECT_EQ(res.error, c.error) << c.name;
  }
}

// Paths the line format cannot hold as they are still come back whole from a written list.
TEST(PlaylistFile, AwkwardPathsComeBackFromAWrittenList) {
  const std::string paths[] = {
      "/m/ends in cr\r", "/m/a\rb.mp3", "/m/line\nfeed.mp3", "/m/a:/x://y.mp3",
      "/m/50%25 \xC3\xB1 #1.mp3", "/m/latin\xE1.mp3",
  };
  Playlist list;
  for (const auto& p : paths) list.AddListedEntry(p, "", "t", 1);
  Recorder r;
  ParsePlaylist(FormatPlaylist(list), "/elsewhere/", r);
  ASSERT_EQ(r.got.size(), std::size(paths));
  // The Latin-1 name names no file here, so it reads back as Windows-1252 text.
  for (size_t i = 0; i + 1 < std::size(paths); ++i) EXPECT_EQ(r.got[i], paths[i] + "|t|1") << i;
  EXPECT_EQ(r.got.back(), "/m/latin\xC3\xA1.mp3|t|1");
}

// An 8-bit file name in a list keeps its bytes when they name a file (and is written back so);
// otherwise it is Windows-1252 text.
TEST(PlaylistFile, EightBitPathsThatNameFilesKeepTheirBytes) {
  namespace fs = std::filesystem;
  fs::path dir = vemla::test::tempDir() / "latin1";
  fs::create_directories(dir);
  const std::string name = "can\xE7\xE3o.mp3";
  vemla::test::writeFile("latin1/" + name, "x");
  const std::string abs = dir.string() + "/" + name;
  const std::string bytes = "#EXTM3U\r\n" + abs + "\r\n" + name + "\r\nfile://" + dir.string() +
                            "/can%E7%E3o.mp3\r\n" + dir.string() + "/otra\xE7.mp3\r\n";
  Recorder r;
  ParsePlaylist(bytes, dir.string() + "/", r);
  std::vector<std::string> want = {abs + "||0", abs + "||0", abs + "||0",
                                   dir.string() + "/otra\xC3\xA7.mp3||0"};
  EXPECT_EQ(r.got, want);

  Playlist list;
  list.AddListedEntry(abs, "", "", 0);
  EXPECT_EQ(list.Entries[1].Artist, "can\xC3\xA7\xC3\xA3o");  // shown readable
  EXPECT_NE(FormatPlaylist(list).find("\r\n" + abs + "\r\n"), std::string::npos);
}

TEST(PlaylistFile, KindsAndSaveNames) {
  EXPECT_EQ(PlaylistKindOf("/x/list.m3u"), 2);
  EXPECT_EQ(PlaylistKindOf("/x/LIST.M3U"), 2);
  EXPECT_EQ(PlaylistKindOf("/x/list.pls"), 1);
  EXPECT_EQ(PlaylistKindOf("/x/a.mp3"), 0);
  EXPECT_EQ(PlaylistKindOf("/x/m3u"), 0);
  EXPECT_EQ(SaveListName("/x/lista.txt"), "/x/lista.m3u");
  EXPECT_EQ(SaveListName("/x/lista"), "/x/lista.m3u");
  EXPECT_EQ(SaveListName("/x.d/lista"), "/x.d/lista.m3u");
  EXPECT_EQ(SaveListName("/x/lista.M3U"), "/x/lista.m3u");
  EXPECT_EQ(ListFolder("/x/y/list.m3u"), "/x/y/");
  EXPECT_EQ(ListFolder("list.m3u"), "");
}

TEST(PlaylistFile, WriteThenReadGivesTheSameEntries) {
  Playlist list;
  list.AddListedEntry("/m/tema.mp3", "", "Artist - Title", 247);
  list.AddListedCdTrack(0, 3, "Canci\xC3\xB3n", 185);
  list.AddListedEntry("/m/b, c.ogg", "", "", -1);
  list.AddListedEntry("/m/nl.ogg", "", "two\r\nlines", 5);
  std::string bytes = FormatPlaylist(list);
  EXPECT_EQ(bytes.rfind("#EXTM3U\r\n#EXTINF:247,Artist - Title\r\n/m/tema.mp3\r\n", 0), 0u);
  EXPECT_NE(bytes.find("#EXTINF:185,Canci\xC3\xB3n\r\nCDA://0,3\r\n"), std::string::npos);
  // Every line ends with CR LF, the last one too.
  size_t lf = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\n') {
      ++lf;
      EXPECT_EQ(bytes[i - 1], '\r');
    }
  }
  EXPECT_EQ(lf, 9u);
  EXPECT_EQ(bytes.back(), '\n');

  Recorder r;
  ParsePlaylist(bytes, "/elsewhere/", r);
  std::vector<std::string> want = {"/m/tema.mp3|Artist - Title|247", "CD 0,3|Canci\xC3\xB3n|185",
                                   "/m/b, c.ogg|b, c - |-1", "/m/nl.ogg|two  lines|5"};
  EXPECT_EQ(r.got, want);

  Playlist empty;
  EXPECT_EQ(FormatPlaylist(empty), "#EXTM3U\r\n");
}

TEST(PlaylistFile, ReplacesFilesWithoutTruncating) {
  namespace fs = std::filesystem;
  fs::path dir = vemla::test::tempDir() / "replace";
  fs::create_directories(dir);
  std::string target = (dir / "list.m3u").string();
  ASSERT_EQ(WriteFileReplacing(target, "old"), "");
  ::chmod(target.c_str(), 0640);
  ASSERT_EQ(WriteFileReplacing(target, "new contents"), "");
  EXPECT_EQ(vemla::test::readFile(target), "new contents");
  struct stat st;
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // permissions survive the rename

  // Through a link, the file it names is replaced and the link stays.
  std::string link = (dir / "link.m3u").string();
  fs::create_symlink(target, link);
  ASSERT_EQ(WriteFileReplacing(link, "via link"), "");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(vemla::test::readFile(target), "via link");

  // Failures report an error text and leave what was there.
  EXPECT_NE(WriteFileReplacing((dir / "no/such/dir/x.m3u").string(), "x"), "");
  EXPECT_NE(WriteFileReplacing(dir.string(), "x"), "");
  EXPECT_EQ(vemla::test::readFile(target), "via link");
  int leftovers = 0;
  for (const auto& e : fs::directory_iterator(dir))
    leftovers += e.path().filename().string().find(".m3u.") != std::string::npos;
  EXPECT_EQ(leftovers, 0);
}
