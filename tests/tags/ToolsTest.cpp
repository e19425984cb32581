// Files written by other tools are read right, and what we write other tools read right.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "support/Fixtures.h"
#include "tags/TID3v1.h"
#include "tags/TID3v2.h"
#include "tags/TOggVorbis.h"

using namespace vemla::tags;
using namespace vemla::test;
namespace fs = std::filesystem;

namespace {

// The system interpreter, where python3-mutagen is installed.
const char* kPython = "/usr/bin/python3";

bool HaveMutagen() { return run(std::string(kPython) + " -c 'import mutagen'") == 0; }

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// A fresh copy of a short MP3 made by ffmpeg (which puts its own ID3v2.4 tag in front).
fs::path Mp3Copy(const std::string& name) {
  fs::path src = makeSine("tools-src.mp3", 0.5, 440, 44100, 1, 0.5, "-c:a libmp3lame -b:a 64k");
  if (src.empty()) return {};
  fs::path out = tempDir() / "tools" / name;
  fs::create_directories(out.parent_path());
  fs::copy_file(src, out, fs::copy_options::overwrite_existing);
  return out;
}

// Bytes of the file after its ID3v2 tag (the audio).
std::string AudioOf(const fs::path& f) {
  std::string bytes = readFile(f);
  if (bytes.size() < 10 || bytes.compare(0, 3, "ID3") != 0) return bytes;
  size_t size = (size_t(bytes[6] & 0x7F) << 21) + (size_t(bytes[7] & 0x7F) << 14) +
                (size_t(bytes[8] & 0x7F) << 7) + size_t(bytes[9] & 0x7F) + 10;
  return bytes.substr(size);
}

// Runs a mutagen script with the file as argument; what it prints lands in the returned text.
std::string Mutagen(const std::string& script, const fs::path& file) {
  fs::path py = writeFile("tools/script.py", script);
  fs::path out = tempDir() / "tools" / "mutagen.out";
  fs::remove(out);
  EXPECT_EQ(run(std::string(kPython) + " " + Quote(py.string()) + " " + Quote(file.string()) +
                " > " + Quote(out.string())),
            0);
  return readFile(out);
}

const char* kWriteV23Latin1 = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM
ID3(sys.argv[1]).delete()
t = ID3()
t.add(TIT2(encoding=0, text='Canci\u00f3n'))
t.add(TPE1(encoding=0, text='Artista'))
t.add(TALB(encoding=0, text='Disco \u00f1'))
t.add(TRCK(encoding=0, text='5/9'))
t.add(TYER(encoding=0, text='1987'))
t.add(TCON(encoding=0, text='Pop'))
t.add(COMM(encoding=0, lang='spa', desc='', text='Bien'))
t.save(sys.argv[1], v1=2, v2_version=3)
)";

const char* kPrintTags = R"(import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
print(t.version[1])
for k in ['TIT2', 'TPE1', 'TALB', 'TRCK', 'TYER', 'TCON']:
    print(k, t[k].text[0] if k in t else '-')
c = t.getall('COMM')
print('COMM', c[0].text[0] if c else '-', c[0].lang if c else '-')
)";

}  // namespace

TEST(TagTools, ReadsMutagenV23AndV1) {
  if (!HaveMutagen()) GTEST_SKIP() << "python3-mutagen missing";
  fs::path f = Mp3Copy("mutagen.mp3");
  ASSERT_FALSE(f.empty());
  Mutagen(kWriteV23Latin1, f);
  TID3v2 v2;
  ASSERT_TRUE(v2.Load(f.string()));
  EXPECT_TRUE(v2.Present());
  EXPECT_EQ(v2.MajorVersion(), 3);
  EXPECT_EQ(v2.Title(), "Canci\xC3\xB3n");
  EXPECT_EQ(v2.Artist(), "Artista");
  EXPECT_EQ(v2.Album(), "Disco \xC3\xB1");
  EXPECT_EQ(v2.TrackNo(), 5);
  EXPECT_EQ(v2.Year(), "1987");
  EXPECT_EQ(v2.Genre(), "Pop");
  EXPECT_EQ(v2.Comment(), "Bien");

  TID3v1 v1;
  ASSERT_TRUE(v1.Load(f.string()));
  EXPECT_TRUE(v1.Present());
  EXPECT_EQ(v1.Revision(), 2);
  EXPECT_EQ(v1.Title(), "Canci\xC3\xB3n");
  EXPECT_EQ(v1.Album(), "Disco \xC3\xB1");
  EXPECT_EQ(v1.TrackNo(), 5);
  EXPECT_EQ(v1.GenreCode(), 13);

  // mutagen's default is version 4: recognised, not read.
  fs::path f4 = Mp3Copy("mutagen4.mp3");
  Mutagen(
      "import sys\nfrom mutagen.id3 import ID3, TIT2\nt = ID3(sys.argv[1])\n"
      "t.add(TIT2(encoding=3, text='x'))\nt.save()\n",
      f4);
  ASSERT_TRUE(v2.Load(f4.string()));
  EXPECT_TRUE(v2.Present());
  EXPECT_EQ(v2.MajorVersion(), 4);
  EXPECT_EQ(v2.Title(), "");
}

TEST(TagTools, ReadsId3v2ToolAndEyeD3) {
  if (haveTool("id3v2")) {
    fs::path f = Mp3Copy("id3v2tool.mp3");
    ASSERT_FALSE(f.empty());
    ASSERT_EQ(run("id3v2 -D " + Quote(f.string()) +
                  " && id3v2 -t Titulo -a Artista -A Disco -y "
                  "2001 -T 3/12 -g 17 -c Nice " +
                  Quote(f.string())),
              0);
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(f.string()));
    EXPECT_EQ(v2.MajorVersion(), 3);
    EXPECT_EQ(v2.Title(), "Titulo");
    EXPECT_EQ(v2.Artist(), "Artista");
    EXPECT_EQ(v2.Album(), "Disco");
    EXPECT_EQ(v2.Year(), "2001");
    EXPECT_EQ(v2.TrackNo(), 3);
    EXPECT_EQ(v2.Genre(), "");  // "(17)": numeric references are not looked up
    EXPECT_EQ(v2.Comment(), "Nice");
    TID3v1 v1;
    ASSERT_TRUE(v1.Load(f.string()));
    EXPECT_EQ(v1.Title(), "Titulo");
    EXPECT_EQ(v1.Year(), "2001");
    EXPECT_EQ(v1.Comment(), "Nice");
    EXPECT_EQ(v1.TrackNo(), 3);
    EXPECT_EQ(v1.GenreCode(), 17);
  }
  if (haveTool("eyeD3")) {
    fs::path f = Mp3Copy("eyed3.mp3");
    ASSERT_FALSE(f.empty());
    ASSERT_EQ(run("LC_ALL=C.UTF-8 eyeD3 -Q --remove-all " + Quote(f.string()) +
                  " && LC_ALL=C.UTF-8 eyeD3 -Q -2 --to-v2.3 --encoding latin1 "
                  "-t 'Canci\xC3\xB3n' -a Artista -A Disco -n 3 -N 12 --recording-date 1999 "
                  "-G Rock -c Nice " +
                  Quote(f.string())),
              0);
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(f.string()));
    EXPECT_EQ(v2.MajorVersion(), 3);
    EXPECT_EQ(v2.Title(), "Canci\xC3\xB3n");
    EXPECT_EQ(v2.Artist(), "Artista");
    EXPECT_EQ(v2.Album(), "Disco");
    EXPECT_EQ(v2.TrackNo(), 3);
    EXPECT_EQ(v2.Year(), "1999");
    EXPECT_EQ(v2.Genre(), "Rock");
    EXPECT_EQ(v2.Comment(), "Nice");
  }
}

TEST(TagTools, OurTagIsReadByMutagenAndFfprobeWithAudioUnchanged) {
  if (!HaveMutagen()) GTEST_SKIP() << "python3-mutagen missing";
  fs::path f = Mp3Copy("ours.mp3");
  ASSERT_FALSE(f.empty());
  std::string audio = AudioOf(f);
  TID3v2 tag;
  tag.SetTitle(
      "Canci\xC3\xB3n de \xC3\xB1"
      "and\xC3\xBA");
  tag.SetArtist("Artista");
  tag.SetAlbum("Disco \xE2\x82\xAC");  // outside Latin-1: written as "?"
  tag.SetTrackNo(11);
  tag.SetYear("2003");
  tag.SetGenre("Rock");
  tag.SetComment("Muy bien");
  ASSERT_TRUE(tag.Store(f.string()));
  EXPECT_EQ(AudioOf(f), audio);

  std::string printed = Mutagen(kPrintTags, f);
  EXPECT_EQ(printed,
            "3\nTIT2 Canci\xC3\xB3n de \xC3\xB1"
            "and\xC3\xBA\nTPE1 Artista\nTALB Disco ?\n"
            "TRCK 11\nTYER 2003\nTCON Rock\nCOMM Muy bien eng\n");

  if (haveTool("ffprobe")) {
    fs::path out = tempDir() / "tools" / "ffprobe.out";
    ASSERT_EQ(run("ffprobe -v error -show_entries format_tags=title,artist,track -of "
                  "default=nw=1 " +
                  Quote(f.string()) + " > " + Quote(out.string())),
              0);
    std::string probed = readFile(out);
    EXPECT_NE(probed.find("TAG:title=Canci\xC3\xB3n de \xC3\xB1"
                          "and\xC3\xBA\n"),
              std::string::npos)
        << probed;
    EXPECT_NE(probed.find("TAG:artist=Artista\n"), std::string::npos) << probed;
    EXPECT_NE(probed.find("TAG:track=11\n"), std::string::npos) << probed;
  }

  // And ours reads it back the same.
  TID3v2 back;
  ASSERT_TRUE(back.Load(f.string()));
  EXPECT_EQ(back.Title(), tag.Title());
  EXPECT_EQ(back.Album(), "Disco ?");
  EXPECT_EQ(back.Comment(), "Muy bien");

  // The ID3v1 writer, too.
  TID3v1 v1;
  v1.SetTitle("Canci\xC3\xB3n");
  v1.SetTrackNo(2);
  v1.SetGenreCode(13);
  ASSERT_TRUE(v1.Store(f.string()));
  std::string v1printed = Mutagen(
      "import sys\nfrom mutagen.id3 import ParseID3v1\n"
      "d = open(sys.argv[1], 'rb').read()[-128:]\nt = ParseID3v1(d)\n"
      "print(t['TIT2'].text[0], t['TRCK'].text[0], t['TCON'].text[0])\n",
      f);
  EXPECT_EQ(v1printed, "Canci\xC3\xB3n 2 13\n");
}

TEST(TagTools, ReadsOggFromOggencAndFfmpeg) {
  fs::path wav = makeSine("tools-src.wav", 2.0, 440, 44100, 2, 0.5, "");
  ASSERT_FALSE(wav.empty());
  const std::string title = "Canci\xC3\xB3n \xC3\xB1 \xE2\x82\xAC \xF0\x9F\x8E\xB5";
  // ffmpeg stores a comment under DESCRIPTION, which is not one of the keys read.
  struct Case {
    const char* tool;
    std::string command;
    std::string comment, vendor;
  } cases[] = {
      {"oggenc",
       "LC_ALL=C.UTF-8 oggenc -Q -q 2 -t " + Quote(title) +
           " -a Artista -l Disco -N 3/10 -d 2001 -G Pop -c 'COMMENT=Muy bien' -o ",
       "Muy bien", "Xiph.Org"},
      {"ffmpeg",
       "ffmpeg -nostdin -loglevel error -y -i " + Quote(wav.string()) +
           " -c:a libvorbis -q:a 2 -metadata title=" + Quote(title) +
           " -metadata artist=Artista -metadata album=Disco -metadata track=3/10"
           " -metadata date=2001 -metadata genre=Pop -metadata 'comment=Muy bien' ",
       "", "Lavf"},
  };
  for (const auto& c : cases) {
    if (!haveTool(c.tool)) continue;
    fs::path out = tempDir() / "tools" / (std::string(c.tool) + ".ogg");
    fs::create_directories(out.parent_path());
    std::string cmd = c.command + Quote(out.string());
    if (std::string(c.tool) == "oggenc") cmd += " " + Quote(wav.string());
    ASSERT_EQ(run(cmd), 0) << c.tool;
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(out.string())) << c.tool;
    EXPECT_TRUE(ogg.Present()) << c.tool;
    EXPECT_EQ(ogg.Channels(), 2) << c.tool;
    EXPECT_EQ(ogg.SampleRate(), 44100) << c.tool;
    EXPECT_EQ(ogg.Title(), title) << c.tool;
    EXPECT_EQ(ogg.Artist(), "Artista") << c.tool;
    EXPECT_EQ(ogg.Album(), "Disco") << c.tool;
    EXPECT_EQ(ogg.TrackNo(), 3) << c.tool;
    EXPECT_EQ(ogg.Date(), "2001") << c.tool;
    EXPECT_EQ(ogg.Genre(), "Pop") << c.tool;
    EXPECT_EQ(ogg.Comment(), c.comment) << c.tool;
    EXPECT_EQ(ogg.Vendor().substr(0, c.vendor.size()), c.vendor) << c.tool;
    EXPECT_NEAR(ogg.Duration(), 2.0, 0.05) << c.tool;
    EXPECT_NEAR(ogg.BitRate(), fs::file_size(out) * 8 / 2.0 / 1000, 2) << c.tool;
  }
}
