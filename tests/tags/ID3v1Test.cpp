#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "OtherUser.h"
#include "TagBytes.h"
#include "support/Fixtures.h"
#include "tags/MemorySource.h"
#include "tags/TID3v1.h"

using namespace vemla::tags;
using namespace vemla::test;
namespace fs = std::filesystem;

namespace {

// A 128-byte record: "TAG", then the fields padded with `pad`, then bytes 125..127.
std::string Record(const std::string& title, const std::string& comment, char b125, char b126,
                   char genre = 17, char pad = '\0') {
  auto field = [&](std::string s, size_t w) {
    s.resize(w, pad);
    return s;
  };
  std::string r = "TAG" + field(title, 30) + field("Artista", 30) + field("Album", 30) +
                  field("1999", 4) + field(comment, 28);
  r += b125;
  r += b126;
  r += genre;
  return r;
}

}  // namespace

TEST(ID3v1, ParsesRevisionsCommentsAndTrack) {
  struct Case {
    const char* name;
    std::string record;
    bool present;
    int revision;
    std::string title, comment;
    int track;
  } cases[] = {
      {"v1.1 zero then track", Record("Titulo", "Comentario", 0, 5), true, 2, "Titulo",
       "Comentario", 5},
      {"v1.0 both zero", Record("Titulo", "Comentario", 0, 0), true, 1, "Titulo", "Comentario", 0},
      {"space then digit", Record("T", "abc", 0x20, 0x35, 17, ' '), true, 2, "T", "abc", 53},
      {"space then space", Record("T", "abc", 0x20, 0x20, 17, ' '), true, 1, "T", "abc", 0},
      {"30-byte comment", Record("T", std::string(28, 'c'), 'd', 'e'), true, 1, "T",
       std::string(28, 'c') + "de", 0},
      {"inner NUL kept", Record(std::string("ab\0cd", 5), "", 0, 0, 17, ' '), true, 1,
       std::string("ab\0cd", 5), "", 0},
      {"lower-case tag", "tag" + Record("Titulo", "", 0, 1).substr(3), false, 1, "", "", 0},
      {"TAg", "TAg" + Record("Titulo", "", 0, 1).substr(3), false, 1, "", "", 0},
      {"Latin-1 title", Record("Canci\xF3n", "", 0, 0), true, 1, "Canci\xC3\xB3n", "", 0},
  };
  for (const auto& c : cases) {
    std::string file = FakeAudio(300) + c.record;
    MemorySource src(file);
    TID3v1 tag;
    ASSERT_TRUE(tag.LoadFrom(src)) << c.name;
    EXPECT_EQ(tag.Present(), c.present) << c.name;
    EXPECT_EQ(tag.Revision(), c.revision) << c.name;
    EXPECT_EQ(tag.Title(), c.title) << c.name;
    EXPECT_EQ(tag.Comment(), c.comment) << c.name;
    EXPECT_EQ(tag.TrackNo(), c.track) << c.name;
    EXPECT_EQ(tag.GenreCode(), c.present ? 17 : 255) << c.name;
    if (c.present) {
      EXPECT_EQ(tag.Artist(), "Artista") << c.name;
      EXPECT_EQ(tag.Year(), "1999") << c.name;
    }
  }
}

TEST(ID3v1, ShortOrMissingInputFails) {
  std::string tiny = "TAG" + std::string(100, 'x');
  MemorySource src(tiny);
  TID3v1 tag;
  EXPECT_FALSE(tag.LoadFrom(src));
  EXPECT_FALSE(tag.Present());
  EXPECT_EQ(tag.GenreCode(), 255);
  EXPECT_FALSE(tag.Load(writeFile("v1/tiny.mp3", tiny).string()));
  EXPECT_FALSE(tag.Load((tempDir() / "v1/missing.mp3").string()));
  EXPECT_FALSE(tag.Load(tempDir().string()));  // a folder
  EXPECT_TRUE(tag.Load(writeFile("v1/exact.mp3", Record("Solo", "", 0, 0)).string()));
  EXPECT_EQ(tag.Title(), "Solo");
}

TEST(ID3v1, AssignmentTrimsThenCutsToWidth) {
  TID3v1 tag;
  tag.SetTitle(std::string(35, 'a') + "     ");
  EXPECT_EQ(tag.Title(), std::string(30, 'a'));
  tag.SetYear("2024-01-01");
  EXPECT_EQ(tag.Year(), "2024");
  tag.SetArtist(std::string("Nombre \t\0", 9));
  EXPECT_EQ(tag.Artist(), "Nombre");
  // Widths count characters: 30 "ñ" fit, the 31st does not.
  std::string enes;
  for (int i = 0; i < 31; ++i) enes += "\xC3\xB1";
  tag.SetAlbum(enes);
  EXPECT_EQ(tag.Album(), enes.substr(0, 60));
}

TEST(ID3v1, RecordLayoutFollowsTrackNumber) {
  TID3v1 tag;
  tag.SetTitle("Canci\xC3\xB3n \xE2\x82\xAC");
  tag.SetComment(std::string(30, 'c'));
  tag.SetGenreCode(13);
  auto r = tag.Record();
  std::string bytes(r.begin(), r.end());
  EXPECT_EQ(bytes.substr(0, 3), "TAG");
  EXPECT_EQ(bytes.substr(3, 10), std::string("Canci\xF3n ?\0", 10));
  EXPECT_EQ(bytes.substr(97, 30), std::string(30, 'c'));
  EXPECT_EQ(r[127], 13);

  tag.SetTrackNo(7);
  r = tag.Record();
  EXPECT_EQ(r[124], 'c');
  EXPECT_EQ(r[125], 0);
  EXPECT_EQ(r[126], 7);

  // Malformed UTF-8 (one "?" per stray byte) never spills into the next field.
  tag.SetComment(std::string(40, '\x80'));
  r = tag.Record();
  EXPECT_EQ(r[127], 13);
}

TEST(ID3v1, StoreAppendsOnceThenReplacesInPlace) {
  std::string audio = FakeAudio(5000);
  fs::path f = writeFile("v1/store.mp3", audio);
  TID3v1 tag;
  tag.SetTitle("Primero");
  tag.SetTrackNo(3);
  ASSERT_TRUE(tag.Store(f.string()));
  EXPECT_EQ(fs::file_size(f), audio.size() + 128);
  tag.SetTitle("Segundo");
  ASSERT_TRUE(tag.Store(f.string()));
  EXPECT_EQ(fs::file_size(f), audio.size() + 128);
  TID3v1 back;
  ASSERT_TRUE(back.Load(f.string()));
  EXPECT_TRUE(back.Present());
  EXPECT_EQ(back.Title(), "Segundo");
  EXPECT_EQ(back.TrackNo(), 3);
  EXPECT_EQ(back.Revision(), 2);
  EXPECT_EQ(readFile(f).substr(0, audio.size()), audio);

  ASSERT_TRUE(back.Strip(f.string()));
  EXPECT_EQ(readFile(f), audio);
  ASSERT_TRUE(back.Strip(f.string()));  // nothing left to remove
  EXPECT_EQ(readFile(f), audio);
}

TEST(ID3v1, WriteFaults) {
  TID3v1 tag;
  tag.SetTitle("X");
  EXPECT_FALSE(tag.Store((tempDir() / "v1/none.mp3").string()));
  EXPECT_FALSE(tag.Strip((tempDir() / "v1/none.mp3").string()));
  EXPECT_FALSE(tag.Store(tempDir().string()));
  EXPECT_FALSE(tag.Store(writeFile("v1/short.mp3", "TAG").string()));

  fs::path dir = UserDir("v1user");
  ASSERT_FALSE(dir.empty());
  std::string audio = FakeAudio(1000);
  std::string tagged = audio + Record("T", "", 0, 0);

  // A read-only file is made writable and rewritten; Strip of a file without a tag leaves it
  // alone, protection included.
  fs::path ro = writeFile("v1user/readonly.mp3", audio);
  GiveToUser(ro);
  fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_TRUE(AsUser([&] { return tag.Strip(ro.string()); }));
  EXPECT_EQ(fs::status(ro).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_TRUE(AsUser([&] { return tag.Store(ro.string()); }));
  EXPECT_NE(fs::status(ro).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_EQ(fs::file_size(ro), audio.size() + 128);

  // The tag is rewritten in place, so a protected folder is neither needed nor unprotected.
  fs::create_directories(dir / "ro");
  fs::path inRo = writeFile("v1user/ro/a.mp3", tagged);
  GiveToUser(inRo);
  GiveToUser(dir / "ro");
  fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_TRUE(AsUser([&] { return tag.Store(inRo.string()); }));
  EXPECT_EQ(fs::status(dir / "ro").permissions() & fs::perms::owner_write, fs::perms::none);
  fs::permissions(dir / "ro", fs::perms::owner_all);
  TID3v1 back;
  ASSERT_TRUE(back.Load(inRo.string()));
  EXPECT_EQ(back.Title(), "X");

  // A file the user may not read: every operation fails and the file is unchanged.
  fs::path locked = writeFile("v1user/locked.mp3", tagged);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(AsUser([&] { return back.Load(locked.string()); }));
  EXPECT_FALSE(AsUser([&] { return tag.Store(locked.string()); }));
  EXPECT_FALSE(AsUser([&] { return tag.Strip(locked.string()); }));
  EXPECT_EQ(readFile(locked), tagged);
}
