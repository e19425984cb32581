#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "OtherUser.h"
#include "TagBytes.h"
#include "support/Fixtures.h"
#include "tags/MemorySource.h"
#include "tags/TID3v2.h"
#include "tags/TagText.h"

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

// UTF-16 data of `s`, little- or big-endian, without a byte order mark.
std::string Le(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += {char(c & 0xFF), char(c >> 8)};
  return out;
}
std::string Be(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) out += {char(c >> 8), char(c & 0xFF)};
  return out;
}
const std::string kLeBom = "\xFF\xFE", kBeBom = "\xFE\xFF", kNul16(2, '\0');

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
      {"v2.4 footer flag without a footer", FooterTag().substr(0, FooterTag().size() - 10)},
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

// Rewriting the seven items of a version 2.3 tag keeps every other frame, byte for byte and in
// its order, after them; damaged frames, padding and other versions' frames are not carried.
TEST(ID3v2, StoreKeepsTheFramesItDoesNotWrite) {
  const std::string audio = FakeAudio(5000);
  const std::string apic =
      Frame("APIC", std::string("\0image/png\0\3\0", 14) + std::string("\xFF\xD8\xFF\0x", 5));
  const std::string uslt = Frame("USLT", Text("eng") + std::string(1, '\0') + "la la");
  const std::string txxx =
      Frame("TXXX", Text("replaygain_track_gain") + std::string(1, '\0') + "-6.5 dB");
  const std::string priv = Frame("PRIV", "owner\0\x01\x02");
  const std::string title = Frame("TIT2", Text("Viejo"));
  const std::string comm = Frame("COMM", Text("eng") + std::string(1, '\0') + "old");
  std::string extended = Id3v2(BigEndian(6) + std::string(6, '\0') + apic + title + uslt);
  extended[5] = 0x40;
  // Unsynchronised: every 0xFF followed by a zero or 0xE0+ byte gets a zero after it on disk.
  auto unsync = [](const std::string& body) {
    std::string out;
    for (size_t i = 0; i < body.size(); ++i) {
      out += body[i];
      if ((unsigned char)body[i] == 0xFF &&
          (i + 1 == body.size() || body[i + 1] == '\0' || (unsigned char)body[i + 1] >= 0xE0)) {
        out += '\0';
      }
    }
    return out;
  };
  std::string unsynced = Id3v2(unsync(apic + title + uslt));
  unsynced[5] = char(0x80);
  struct Case {
    const char* name;
    std::string before;
    std::string kept;
  } cases[] = {
      {"mixed frames and padding",
       Id3v2(apic + title + uslt + comm + txxx + priv + std::string(300, '\0')),
       apic + uslt + txxx + priv},
      {"only the seven", Id3v2(title + comm), ""},
      {"extended header skipped", extended, apic + uslt},
      {"unsynchronised tag read back", unsynced, apic + uslt},
      {"frame running past the tag", Id3v2(uslt + Frame("APIC", "xy", 5000) + txxx), uslt},
      {"junk ends the frames", Id3v2(uslt + "ab\x01d" + BigEndian(2) + "\0\0xx" + txxx), uslt},
      {"version 4 frames not carried", Id3v2(apic + title, 4), ""},
  };
  for (const auto& c : cases) {
    fs::path f = writeFile(std::string("v2/keep-") + c.name + ".mp3", c.before + audio);
    TID3v2 tag;
    tag.SetTitle("Nuevo");
    tag.SetComment("Bien");
    ASSERT_TRUE(tag.Store(f.string())) << c.name;
    std::string built;
    ASSERT_TRUE(tag.BuildTag(built, c.kept.size()));
    EXPECT_EQ(readFile(f), built + c.kept + audio) << c.name;
    TID3v2 back;
    ASSERT_TRUE(back.Load(f.string()));
    EXPECT_EQ(back.Title() + "|" + back.Comment(), "Nuevo|Bien") << c.name;
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

TEST(ID3v2, Utf16TextFrames) {
  struct Case {
    const char* name;
    std::string id, data;
    std::string want;  // the item read, UTF-8
  };
  const std::u16string cancion = u"Canci\u00F3n \u0395\u03BB\u03BB\u03B7\u03BD\u03B9\u03BA\u03AC";
  const std::string cancionUtf8 =
      "Canci\xC3\xB3n \xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
  Case cases[] = {
      {"encoding 1, little-endian", "TIT2", "\x01" + kLeBom + Le(cancion) + kNul16, cancionUtf8},
      {"encoding 1, big-endian", "TIT2", "\x01" + kBeBom + Be(cancion) + kNul16, cancionUtf8},
      {"encoding 2, no mark", "TIT2", "\x02" + Be(cancion), cancionUtf8},
      {"encoding 1 without a mark is big-endian", "TIT2", "\x01" + Be(u"Hola"), "Hola"},
      {"trimmed both ends", "TPE1", "\x01" + kLeBom + Le(u" \t Ana  \n") + kNul16, "Ana"},
      {"encoding byte only", "TPE1", "\x01", ""},
      // Strings after the first keep the zero between them, as 8-bit frames do.
      {"two strings, own marks", "TALB", "\x01" + kLeBom + Le(u"A") + kNul16 + kBeBom + Be(u"B"),
       std::string("A\0B", 3)},
      {"track", "TRCK", "\x01" + kLeBom + Le(u"7/12") + kNul16, "7"},
      {"track not a number", "TRCK", "\x01" + kLeBom + Le(u"\u0667"), "0"},
      {"genre, Greek", "TCON", "\x01" + kLeBom + Le(u"(17)\u0395\u03BB"), "\xCE\x95\xCE\xBB"},
      {"comment, empty marked description", "COMM",
       "\x01spa" + kLeBom + kNul16 + kLeBom + Le(u"\u00D1and\u00FA") + kNul16,
       "\xC3\x91\x61nd\xC3\xBA"},
      {"comment, unmarked empty description", "COMM", "\1eng" + kNul16 + kBeBom + Be(u"Bien"),
       "Bien"},
      {"comment, description and text", "COMM",
       "\1eng" + kLeBom + Le(u"d") + kNul16 + Le(u"x\u00E9"), std::string("d\0x\xC3\xA9", 5)},
      {"comment shorter than its language", "COMM", "\1en", ""},
      {"comment, encoding 2", "COMM", "\2eng" + kNul16 + Be(u"\u20AC5"), "\xE2\x82\xAC\x35"},
      // Other encoding bytes are read as 8-bit text, as always.
      {"encoding 3 stays 8-bit", "TIT2", "\x03Hola", "Hola"},
      {"encoding 0 keeps zero-looking bytes", "TIT2", Text(std::string("C\0a", 3)),
       std::string("C\0a", 3)},
  };
  for (const auto& c : cases) {
    TID3v2 tag = Read(Id3v2(Frame(c.id, c.data)) + FakeAudio(100));
    std::string got = c.id == "TIT2"   ? tag.Title()
                      : c.id == "TPE1" ? tag.Artist()
                      : c.id == "TALB" ? tag.Album()
                      : c.id == "TRCK" ? std::to_string(tag.TrackNo())
                      : c.id == "TCON" ? tag.Genre()
                                       : tag.Comment();
    EXPECT_EQ(got, c.want) << c.name;
  }
}

TEST(ID3v2, Utf16WindowNeverCutsACharacter) {
  // The window holds the first 250 bytes of the data: the encoding byte and 249 of UTF-16.
  struct Case {
    const char* name;
    std::string data;
    std::string want;
  };
  const std::string smile = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16
  Case cases[] = {
      // 1 + 2 + 246 bytes of pairs + half a unit: the half is dropped.
      {"odd byte at the edge", "\x01" + kLeBom + Le(std::u16string(200, u'a')),
       std::string(123, 'a')},
      {"pair cut at the edge", "\x01" + kLeBom + Le(std::u16string(122, u'a') + u"\U0001F600z"),
       std::string(122, 'a')},
      {"pair just inside", "\x01" + kLeBom + Le(std::u16string(121, u'a') + u"\U0001F600z"),
       std::string(121, 'a') + smile},
      {"big-endian pair cut", "\x02" + Be(std::u16string(123, u'b') + u"\U0001F600"),
       std::string(123, 'b')},
  };
  for (const auto& c : cases) {
    TID3v2 tag = Read(Id3v2(Frame("TIT2", c.data)) + FakeAudio(100));
    EXPECT_EQ(tag.Title(), c.want) << c.name;
    // What the playlist shows must be whole UTF-8.
    EXPECT_EQ(text::DecodeUtf8(tag.Title()), tag.Title()) << c.name;
  }
}

TEST(ID3v2, ReadsUtf16TagWrittenByFfmpeg) {
  const std::string title =
      "Canci\xC3\xB3n \xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";
  fs::path f = makeSine("id3v2-ffmpeg-utf16.mp3", 0.3, 440, 44100, 1, 0.5,
                        "-c:a libmp3lame -b:a 64k -id3v2_version 3 -metadata title='" + title +
                            "' -metadata artist='\xC3\x91\x61nd\xC3\xBA' -metadata album=Disco" +
                            " -metadata track=5/9 -metadata genre='(13)Pop'");
  ASSERT_FALSE(f.empty()) << "ffmpeg could not make the file";
  // Non-ASCII texts are written as UTF-16 with a byte order mark, the rest as ISO-8859-1.
  std::string bytes = readFile(f);
  ASSERT_NE(bytes.find("TIT2"), std::string::npos);
  ASSERT_EQ(bytes[bytes.find("TIT2") + 10], '\x01');
  TID3v2 tag;
  ASSERT_TRUE(tag.Load(f.string()));
  EXPECT_EQ(tag.MajorVersion(), 3);
  EXPECT_EQ(tag.Title(), title);
  EXPECT_EQ(Fields(tag), title + "|\xC3\x91\x61nd\xC3\xBA|Disco|5||Pop|");

  // Written back, the texts become ISO-8859-1 with "?" for what it cannot hold.
  fs::path copy = writeFile("v2/ffmpeg-utf16-stored.mp3", bytes);
  ASSERT_TRUE(tag.Store(copy.string()));
  TID3v2 back;
  ASSERT_TRUE(back.Load(copy.string()));
  EXPECT_EQ(Fields(back), "Canci\xC3\xB3n ????????|\xC3\x91\x61nd\xC3\xBA|Disco|5||Pop|");
}
