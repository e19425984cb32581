#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "playlist/EntryInfo.h"
#include "playlist/Playlist.h"
#include "playlist/PlaylistFile.h"
#include "playlist/TextCodec.h"

using namespace vemla::playlist;

TEST(DisplayLine, CutsByWeightAndAppendsTime) {
  struct Case {
    std::string text;
    int seconds;
    std::string want;
  } cases[] = {
      {"3. A - T", 247, "3. A - T - (04:07)"},
      {"1. tune", 65, "1. tune - (01:05)"},
      {"2.  - X", 30, "2.  - X - (00:30)"},
      {"1. x", -1, "1. x - (00:65535)"},
      {"1. x", 36000, "1. x - (600:00)"},
      {"1. x", 0, "1. x - (00:00)"},
      {std::string(50, 'A'), 10, std::string(38, 'A') + "... - (00:10)"},
      // 49 small letters weigh 147 and stay whole; the 50th reaches 150 and cuts after itself.
      {std::string(49, 'a'), 5, std::string(49, 'a') + " - (00:05)"},
      {std::string(51, 'a'), 5, std::string(50, 'a') + "... - (00:05)"},
      {std::string(19, '@'), 1, std::string(19, '@') + "... - (00:01)"},
      {std::string(75, ' '), 1, std::string(75, ' ') + "... - (00:01)"},
      // Weights add up the same across runs of plain letters and other characters.
      {std::string(18, '@') + "abc", 1, std::string(18, '@') + "ab... - (00:01)"},
      {std::string(45, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", 1,
       std::string(45, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9... - (00:01)"},
      {"\xC3\xA9" + std::string(47, 'a') + "b", 1,
       "\xC3\xA9" + std::string(47, 'a') + "b - (00:01)"},
  };
  for (const auto& c : cases) EXPECT_EQ(BuildDisplayLine(c.text, c.seconds), c.want) << c.text;
}

TEST(DisplayLine, WeighsCharactersNotBytes) {
  // "é" is two bytes but one character of weight 3: 50 of them reach 150 exactly.
  std::string e50;
  for (int i = 0; i < 55; ++i) e50 += "\xC3\xA9";
  std::string want;
  for (int i = 0; i < 50; ++i) want += "\xC3\xA9";
  EXPECT_EQ(BuildDisplayLine(e50, 0), want + "... - (00:00)");
  // "Ç" weighs 4 like a capital, "º" 2 like a blank.
  std::string c38;
  for (int i = 0; i < 40; ++i) c38 += "\xC3\x87";
  EXPECT_EQ(BuildDisplayLine(c38, 0).size(), 38 * 2 + std::string("... - (00:00)").size());
  std::string o;
  for (int i = 0; i < 80; ++i) o += "\xC2\xBA";
  EXPECT_EQ(BuildDisplayLine(o, 0).size(), 75 * 2 + std::string("... - (00:00)").size());
}

TEST(EntryInfo, FormatKindFromExtension) {
  struct Case {
    const char* path;
    uint8_t kind;
  } cases[] = {
      {"/m/song.Mp3", 5}, {"/m/song.mpeg", 0}, {"/m/a.b/song", 0}, {"MP3", 5},
      {"/m/x.mp4", 9},    {"/m/x.cda", 6},     {"/m/x.flac", 18},  {"/m/x.wv", 17},
      {"/m/x.ogg", 2},    {"/m/x.wav", 1},     {"/m/x.mp1", 0},    {"/m/x.", 0},
      {"/m/x.ALAC", 11},  {"/m/x.ofr", 14},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatKindOf(UpperExtension(c.path)), c.kind) << c.path;
}

TEST(EntryInfo, FileBaseName) {
  struct Case {
    const char* path;
    const char* want;
  } cases[] = {
      {"/music/tune.ogg", "tune"},
      {"/a.b/song", "a"},  // a dot in a folder name cuts too
      {"/song.mp3", "song"},
      {"/m/Canci\xF3n.mp3", "Canci\xC3\xB3n"},  // an 8-bit name becomes readable text
      {"/x/a.b/song", "a"},
      {"tune.ogg", "tune"},
      {".hidden", ".hidden"},
      {"/m/noext", "noext"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FileBaseName(c.path), c.want) << c.path;
}

TEST(EntryInfo, RoundsHalvesToEven) {
  EXPECT_EQ(RoundSeconds(2.5), 2);
  EXPECT_EQ(RoundSeconds(3.5), 4);
  EXPECT_EQ(RoundSeconds(0.49), 0);
  EXPECT_EQ(RoundSeconds(1e30), INT32_MAX);
  EXPECT_EQ(RoundSeconds(-0.5), 0);
}

TEST(TextCodec, Windows1252FallbackOnlyForInvalidUtf8) {
  EXPECT_EQ(ToUtf8("Canci\xC3\xB3n"), "Canci\xC3\xB3n");
  EXPECT_EQ(ToUtf8("Canci\xF3n"), "Canci\xC3\xB3n");
  EXPECT_EQ(ToUtf8("\x80 \x9F"), "\xE2\x82\xAC \xC5\xB8");
  EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));      // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x8E\xB5"));
}

TEST(Text, CompactTextBehavesAsAString) {
  Text a = "abc";
  Text b = a;
  Text c = std::move(a);
  EXPECT_TRUE(a.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty by design
  EXPECT_EQ(b, c);
  EXPECT_EQ(b + "d", "abcd");
  std::string s = c;
  EXPECT_EQ(s, "abc");
  c = "";
  EXPECT_TRUE(c.empty());
  EXPECT_STREQ(c.c_str(), "");
  c = std::string("x\0y", 3);
  EXPECT_EQ(c.size(), 3u);
  // Copies share the bytes; each lives on whatever happens to the others, on any thread.
  Text d = b;
  b = "zz";
  EXPECT_EQ(d, "abc");
  d = d;
  Text e = d;
  d = std::move(e);
  EXPECT_EQ(d, "abc");
  std::vector<Text> copies(2000, d);
  std::thread other([part = std::vector<Text>(copies.begin(), copies.begin() + 1000)]() mutable {
    part.clear();
  });
  copies.clear();
  other.join();
  EXPECT_EQ(d, "abc");
}

// Texts of entries read from a list: the number, the title, the cut and the time, for entries
// past the first (one buffer is reused from entry to entry, so nothing may leak between them).
TEST(ListedEntryTexts, EachEntryGetsItsOwnTexts) {
  struct Case {
    std::string title;
    int32_t seconds;
    std::string numbered, full, display;
  };
  const std::string longTitle(60, 'a');
  const Case cases[] = {
      {"Uno", 125, "1.  - Uno", "Uno", "1.  - Uno - (02:05)"},
      {"", 0, "2. x", "x - ", "2. x - (00:00)"},  // no title: named by the file
      {longTitle, 3725, "3.  - " + longTitle, longTitle,
       "3.  - " + std::string(46, 'a') + "... - (62:05)"},
      {"B", -1, "4.  - B", "B", "4.  - B - (00:65535)"},
      {"Canci\xc3\xb3n", 59, "5.  - Canci\xc3\xb3n", "Canci\xc3\xb3n",
       "5.  - Canci\xc3\xb3n - (00:59)"},
  };
  Playlist list;
  for (const Case& c : cases) {
    ASSERT_EQ(list.AddListedEntry("/m/x.mp3", "", c.title, c.seconds), AddResult::Added);
  }
  for (int i = 1; i <= list.EntryCount; ++i) {
    const Case& c = cases[i - 1];
    const Tcancion& e = list.Entries[i];
    EXPECT_EQ(e.NumberedName, c.numbered) << i;
    EXPECT_EQ(e.FullTitle, c.full) << i;
    EXPECT_EQ(e.DisplayLine, c.display) << i;
    EXPECT_EQ(list.BuildNumberedName(i), c.numbered) << i;
    EXPECT_EQ(list.BuildFullTitle(i), c.full) << i;
  }
}

// What a formatted list reads back as, entry by entry, equals the whole list formatted.
TEST(ListedEntryTexts, EntryLinesMakeUpTheFormattedList) {
  Playlist list;
  list.AddListedEntry("/m/a.mp3", "", "Uno\r\nDos", -7);
  list.AddListedEntry("/m/b\nc.mp3", "", "Fuera", 3);
  list.AddListedCdTrack(1, 12, "Pista", 200);
  std::string joined = "#EXTM3U\r\n";
  for (int i = 1; i <= list.EntryCount; ++i) AppendEntryLines(joined, list, i);
  EXPECT_EQ(joined, FormatPlaylist(list));
  EXPECT_EQ(joined,
            "#EXTM3U\r\n#EXTINF:-7,Uno  Dos\r\n/m/a.mp3\r\n#EXTINF:3,Fuera\r\n"
            "file:///m/b%0Ac.mp3\r\n#EXTINF:200,Pista\r\nCDA://1,12\r\n");
}
