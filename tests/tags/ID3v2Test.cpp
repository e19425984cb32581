#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "OtherUser.h"
#include "TagBytes.h"
#include "support/Fixtures.h"
#include "tags/MemorySource.h"
#include "tags/TID3v2.h"

using namespace vemla::tags;
using namespace vemla::test;
namespace fs = std::filesystem;

namespace {

TID3v2 Read(const std::string& bytes, bool expectOk = true) {
  MemorySource src(bytes);
  TID3v2 tag;
  EXPECT_EQ(tag.LoadFrom(src), expectOk);
  return tag;
}

std::string Text(const std::string& s) { return std::string(1, '\0') + s; }

std::string FooterTag() {
  std::string tag = Id3v2(Frame("TIT2", Text("x")), 4);
  tag[5] = 0x10;
  std::string footer = tag.substr(0, 10);
  footer.replace(0, 3, "3DI");
  return tag + footer;
}

}  // namespace

TEST(ID3v2, ReadsTheSevenItems) {
  std::string body = Frame("TIT2", Text("Canci\xF3n")) + Frame("TPE1", Text("Artista")) +
                     Frame("TALB", Text("  Disco  ")) + Frame("TRCK", Text("7/12")) +
                     Frame("TYER", Text("1999")) + Frame("TCON", Text("(17)Rock")) +
                     Frame("COMM", Text(std::string("eng\0Nice", 8))) +
                     Frame("TXXX", Text("other")) + std::string(64, '\0');
  TID3v2 tag = Read(Id3v2(body) + FakeAudio(500));
  EXPECT_TRUE(tag.Present());
  EXPECT_EQ(tag.MajorVersion(), 3);
  EXPECT_EQ(tag.TagSize(), int(body.size() + 10));
  EXPECT_EQ(Fields(tag), "Canci\xC3\xB3n|Artista|Disco|7|1999|Rock|Nice");
}

TEST(ID3v2, ItemRules) {
  struct Case {
    std::string id, data;
    std::string (*get)(const TID3v2&);
    std::string want;
  };
  auto title = [](const TID3v2& t) { return t.Title(); };
  auto genre = [](const TID3v2& t) { return t.Genre(); };
  auto comment = [](const TID3v2& t) { return t.Comment(); };
  auto track = [](const TID3v2& t) { return std::to_string(t.TrackNo()); };
  Case cases[] = {
      {"TRCK", Text("7/12"), track, "7"},
      {"TRCK", Text("07"), track, "7"},
      {"TRCK", Text("A7"), track, "0"},
      {"TRCK", Text("300"), track, "44"},
      {"TCON", Text("(13)"), genre, ""},
      {"TCON", Text("(13)(14)Pop"), genre, "Pop"},
      {"TCON", Text("Rock"), genre, "Rock"},
      {"COMM", Text(std::string("eng\0Nice", 8)), comment, "Nice"},
      {"COMM", Text(std::string("engdesc\0Nice", 12)), comment, std::string("desc\0Nice", 9)},
      {"COMM", Text("en"), comment, ""},
      {"TIT2", std::string("\x01") + "Hola", title, "Hola"},  // encoding byte 1 trimmed too
      {"TIT2", Text(std::string(300, 'a')), title, std::string(249, 'a')},
      {"TIT2", Text(std::string(259, 'b')), title, std::string(249, 'b')},
      {"TIT2", "", title, ""},
      {"TIT", Text("short id"), title, ""},
  };
  for (const auto& c : cases) {
    TID3v2 tag = Read(Id3v2(Frame(c.id, c.data)) + FakeAudio(400));
    EXPECT_EQ(c.get(tag), c.want) << c.id << " " << c.data;
  }
}

TEST(ID3v2, ScanStopsAndSurvivesBadFrames) {
  struct Case {
    const char* name;
    std::string file;
    std::string title, artist;
  } cases[] = {
      {"later frame wins",
       Id3v2(Frame("TIT2", Text("Uno")) + Frame("TIT2", Text("Dos"))) + FakeAudio(100), "Dos", ""},
      {"zero byte ends scan",
       Id3v2(Frame("TIT2", Text("Uno")) + std::string(1, '\0') + Frame("PE1", Text("x"))) +
           FakeAudio(100),
       "Uno", ""},
      {"lower-case id ends scan",
       Id3v2(Frame("tit2", Text("Uno")) + Frame("TPE1", Text("Art"))) + FakeAudio(100), "", ""},
      {"size 0 frame", Id3v2(Frame("TIT2", "") + Frame("TPE1", Text("Art"))) + FakeAudio(100), "",
       "Art"},
      {"size 0xFFFFFFFF skips past the end",
       Id3v2(Frame("TIT2", Text("Uno")) + Frame("TALB", Text("x"), 0xFFFFFFFF) +
             Frame("TPE1", Text("Art"))) +
           FakeAudio(100),
       "Uno", ""},
      {"frame data past the end of file",
       Id3v2(Frame("TIT2", Text("Uno")) + Frame("TPE1", Text("Art"), 200)), "Uno", ""},
      {"frame header cut short", Id3v2(Frame("TIT2", Text("Uno")) + "TPE"), "Uno", ""},
      {"tag end stops the scan",
       Id3v2(Frame("TIT2", Text("Uno")), 3, 14) + Frame("TPE1", Text("Art")), "Uno", ""},
  };
  for (const auto& c : cases) {
    TID3v2 tag = Read(c.file);
    EXPECT_TRUE(tag.Present()) << c.name;
    EXPECT_EQ(tag.Title(), c.title) << c.name;
    EXPECT_EQ(tag.Artist(), c.artist) << c.name;
  }
}

TEST(ID3v2, HeaderRules) {
  std::string tit = Frame("TIT2", Text("Titulo"));
  struct Case {
    const char* name;
    std::string file;
    bool ok, present;
    int version, size;
    std::string title;
  } cases[] = {
      {"v2.4 not read", Id3v2(tit, 4) + FakeAudio(50), true, true, 4, int(tit.size() + 10), ""},
      {"v2.2 not read", Id3v2(tit, 2) + FakeAudio(50), true, true, 2, int(tit.size() + 10), ""},
      {"size past file", Id3v2(tit, 3, 5000) + FakeAudio(50), true, true, 3, 0, ""},
      {"no tag", FakeAudio(50), true, false, 0, 0, ""},
      {"lower-case id3", "id3" + Id3v2(tit).substr(3), true, false, 0, 0, ""},
      {"nine bytes", "ID3\3\0\0\0\0\0", false, false, 0, 0, ""},
      {"empty", "", false, false, 0, 0, ""},
      {"header only", Id3v2("", 3, 0), true, true, 3, 10, ""},
  };
  for (const auto& c : cases) {
    TID3v2 tag = Read(c.file, c.ok);
    EXPECT_EQ(tag.Present(), c.present) << c.name;
    EXPECT_EQ(tag.MajorVersion(), c.version) << c.name;
    EXPECT_EQ(tag.TagSize(), c.size) << c.name;
    EXPECT_EQ(tag.Title(), c.title) << c.name;
  }
}

TEST(ID3v2, BuildTagLayout) {
  TID3v2 tag;
  std::string out;
  ASSERT_TRUE(tag.BuildTag(out));
  EXPECT_EQ(out, std::string("ID3\3\0\0\0\0\0\0", 10));

  tag.SetTitle("Hola   ");
  ASSERT_TRUE(tag.BuildTag(out));
  EXPECT_EQ(out, std::string("ID3\3\0\0\0\0\0\x0F", 10) + Frame("TIT2", Text("Hola")));

  tag.SetTitle(std::string(20000 - 11, 'x'));
  ASSERT_TRUE(tag.BuildTag(out));
  EXPECT_EQ(out.substr(6, 4), std::string("\0\x01\x1C\x20", 4));
  EXPECT_EQ(out.size(), 20010u);

  TID3v2 all;
  all.SetTitle("T");
  all.SetArtist("A");
  all.SetAlbum("Al");
  all.SetTrackNo(12);
  all.SetYear("2001");
  all.SetGenre("Pop");
  all.SetComment("Bien \xE2\x82\xAC");
  ASSERT_TRUE(all.BuildTag(out));
  std::string body = Frame("TIT2", Text("T")) + Frame("TPE1", Text("A")) +
                     Frame("TALB", Text("Al")) + Frame("TRCK", Text("12")) +
                     Frame("TYER", Text("2001")) + Frame("TCON", Text("Pop")) +
                     Frame("COMM", Text(std::string("eng\0Bien ?", 10)));
  EXPECT_EQ(out, Id3v2(body));
  EXPECT_EQ(Fields(Read(out + FakeAudio(10))), "T|A|Al|12|2001|Pop|Bien ?");
}

TEST(ID3v2, StoreReplacesTagAndKeepsAudio) {
  std::string audio = FakeAudio(70000);
  struct Case {
    const char* name;
    std::string before;
  } cases[] = {
      {"no tag", ""},
      {"v2.3 tag with padding", Id3v2(Frame("TIT2", Text("Viejo")) + std::string(500, '\0'))},
      {"v2.4 tag", Id3v2(Frame("TIT2", Text("x")), 4)},
      {"tag size past the end", Id3v2("", 3, 1u << 27).substr(0, 10)},
      {"v2.4 tag with footer", FooterTag()},
  };
  for (const auto& c : cases) {
    fs::path f = writeFile(std::string("v2/store-") + c.name + ".mp3", c.before + audio);
    TID3v2 tag;
    tag.SetTitle("Nuevo");
    tag.SetTrackNo(4);
    ASSERT_TRUE(tag.Store(f.string())) << c.name;
    std::string built;
    ASSERT_TRUE(tag.BuildTag(built));
    std::string after = readFile(f);
    std::string expectTail =
        c.name == std::string("tag size past the end") ? c.before + audio : audio;
    EXPECT_EQ(after, built + expectTail) << c.name;
    EXPECT_FALSE(fs::exists(f.string() + "~")) << c.name;
  }
}

TEST(ID3v2, StoreFaultsLeaveTheAudioWhole) {
  std::string original = Id3v2(Frame("TIT2", Text("Viejo"))) + FakeAudio(3000);
  TID3v2 tag;
  tag.SetTitle("Nuevo");
  EXPECT_FALSE(tag.Store((tempDir() / "v2/missing.mp3").string()));
  EXPECT_FALSE(tag.Store(writeFile("v2/short.mp3", "ID3").string()));
  EXPECT_FALSE(tag.Store(tempDir().string()));

  // The rename over the old file fails: the old file is whole and no work file remains.
  fs::path f = writeFile("v2/rename.mp3", original);
  TID3v2 failing([](const char*, const char*) {
    errno = EXDEV;
    return -1;
  });
  failing.SetTitle("Nuevo");
  EXPECT_FALSE(failing.Store(f.string()));
  EXPECT_EQ(readFile(f), original);
  EXPECT_FALSE(fs::exists(f.string() + "~"));

  // A rename that loses the old file on its way: the work file is then the only copy, kept.
  TID3v2 losing([](const char*, const char* to) {
    ::unlink(to);
    errno = EIO;
    return -1;
  });
  losing.SetTitle("Nuevo");
  EXPECT_FALSE(losing.Store(f.string()));
  std::string built;
  ASSERT_TRUE(losing.BuildTag(built));
  EXPECT_EQ(readFile(f.string() + "~"), built + original.substr(original.size() - 3000));

  // A read-only file is rewritten and keeps its other permission bits.
  fs::path ro = writeFile("v2/readonly.mp3", original);
  fs::permissions(ro, fs::perms::owner_read | fs::perms::group_read);
  ASSERT_TRUE(tag.Store(ro.string()));
  EXPECT_EQ(fs::status(ro).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

  // Through a link: the target is rewritten, the link stays a link.
  fs::path target = writeFile("v2/target.mp3", original);
  fs::path link = tempDir() / "v2/link.mp3";
  fs::create_symlink(target, link);
  ASSERT_TRUE(tag.Store(link.string()));
  EXPECT_TRUE(fs::is_symlink(link));
  TID3v2 back;
  ASSERT_TRUE(back.Load(target.string()));
  EXPECT_EQ(back.Title(), "Nuevo");

  // A protected folder: no work file can be made there, so nothing changes.
  fs::path dir = UserDir("v2user");
  ASSERT_FALSE(dir.empty());
  fs::path inRo = writeFile("v2user/a.mp3", original);
  GiveToUser(inRo);
  fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_FALSE(AsUser([&] { return tag.Store(inRo.string()); }));
  fs::permissions(dir, fs::perms::owner_all);
  EXPECT_EQ(readFile(inRo), original);
  EXPECT_FALSE(fs::exists(inRo.string() + "~"));

  // A file the user may not read.
  fs::path locked = writeFile("v2user/locked.mp3", original);
  fs::permissions(locked, fs::perms::owner_write);
  EXPECT_FALSE(AsUser([&] { return tag.Store(locked.string()); }));
  EXPECT_FALSE(AsUser([&] { return TID3v2().Load(locked.string()); }));
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(readFile(locked), original);
  EXPECT_FALSE(fs::exists(locked.string() + "~"));
}
