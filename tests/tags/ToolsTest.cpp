// Files written by other tools are read right, and what we write other tools read right.
#include <gtest/gtest.h>

#include <filesystem>

#include "TagBytes.h"
#include "support/Fixtures.h"

using namespace vemla::tags;
using namespace vemla::test;
namespace fs = std::filesystem;

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// The system interpreter, where python3-mutagen is installed. Returns what the script printed.
std::string Python(const std::string& script, const fs::path& file) {
  fs::path py = writeFile("tools/script.py", script);
  fs::path out = tempDir() / "tools" / "python.out";
  fs::remove(out);
  EXPECT_EQ(run("/usr/bin/python3 " + Quote(py.string()) + " " + Quote(file.string()) + " > " +
                Quote(out.string())),
            0);
  return readFile(out);
}

bool HaveMutagen() { return run("/usr/bin/python3 -c 'import mutagen'") == 0; }

// A fresh copy of a short MP3 made by ffmpeg (which puts its own ID3v2.4 tag in front).
fs::path Mp3Copy(const std::string& name) {
  fs::path src = makeSine("tools-src.mp3", 0.5, 440, 44100, 1, 0.5, "-c:a libmp3lame -b:a 64k");
  fs::path out = tempDir() / "tools" / name;
  fs::create_directories(out.parent_path());
  if (!src.empty()) fs::copy_file(src, out, fs::copy_options::overwrite_existing);
  return src.empty() ? fs::path() : out;
}

// The bytes after the file's ID3v2 tag: the audio.
std::string AudioOf(const fs::path& f) {
  std::string b = readFile(f);
  if (b.size() < 10 || b.compare(0, 3, "ID3") != 0) return b;
  return b.substr((size_t(b[6] & 0x7F) << 21) + (size_t(b[7] & 0x7F) << 14) +
                  (size_t(b[8] & 0x7F) << 7) + size_t(b[9] & 0x7F) + 10);
}

const char* kMutagenV23 = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM
ID3(sys.argv[1]).delete()
t = ID3()
for f in [TIT2, TPE1, TALB, TRCK, TYER, TCON]:
    t.add(f(encoding=0, text={'TIT2': 'Canci\u00f3n', 'TPE1': 'Artista', 'TALB': 'Disco \u00f1',
          'TRCK': '5/9', 'TYER': '1987', 'TCON': 'Pop'}[f.__name__]))
t.add(COMM(encoding=0, lang='spa', desc='', text='Bien'))
t.save(sys.argv[1], v1=2, v2_version=3)
)";

const char* kMutagenPrint = R"(import sys
from mutagen.id3 import ID3
t = ID3(sys.argv[1], translate=False)
c = t.getall('COMM')
print(t.version[1], *[t[k].text[0] for k in ['TIT2', 'TPE1', 'TALB', 'TRCK', 'TYER', 'TCON']],
      c[0].lang, c[0].text[0], sep='|')
)";

}  // namespace

TEST(TagTools, ReadsId3TagsOfOtherTools) {
  struct Case {
    const char* tool;
    std::string command;  // run on the file
    std::string v2, v1;   // Fields() expected; empty: no tag of that kind to check
  } cases[] = {
      {"id3v2", "id3v2 -D F && id3v2 -t Titulo -a Artista -A Disco -y 2001 -T 3/12 -g 17 -c Nice F",
       // "(17)": numeric genre references are not looked up.
       "Titulo|Artista|Disco|3|2001||Nice", "Titulo|Artista|Disco|3|2001|17|Nice"},
      {"eyeD3",
       "eyeD3 -Q --remove-all F && LC_ALL=C.UTF-8 eyeD3 -Q -2 --to-v2.3 --encoding latin1 -t "
       "'Canci\xC3\xB3n' -a Artista -A Disco -n 3 -N 12 --recording-date 1999 -G Rock -c Nice F",
       "Canci\xC3\xB3n|Artista|Disco|3|1999|Rock|Nice", ""},
      {"/usr/bin/python3",
       "/usr/bin/python3 " + Quote(writeFile("tools/v23.py", kMutagenV23)) + " F",
       "Canci\xC3\xB3n|Artista|Disco \xC3\xB1|5|1987|Pop|Bien",
       "Canci\xC3\xB3n|Artista|Disco \xC3\xB1|5|1987|13|"},
  };
  for (const auto& c : cases) {
    if (!haveTool(c.tool) || (c.tool[0] == '/' && !HaveMutagen())) continue;
    fs::path f = Mp3Copy(std::string(c.tool).substr(std::string(c.tool).rfind('/') + 1) + ".mp3");
    ASSERT_FALSE(f.empty());
    std::string cmd = c.command;
    for (size_t p; (p = cmd.find(" F")) != std::string::npos;) cmd.replace(p + 1, 1, Quote(f));
    ASSERT_EQ(run(cmd), 0) << cmd;
    TID3v2 v2;
    ASSERT_TRUE(v2.Load(f.string()));
    EXPECT_EQ(v2.MajorVersion(), 3) << c.tool;
    EXPECT_EQ(Fields(v2), c.v2) << c.tool;
    TID3v1 v1;
    ASSERT_TRUE(v1.Load(f.string()));
    if (!c.v1.empty()) {
      EXPECT_EQ(Fields(v1), c.v1) << c.tool;
    }
  }
}

TEST(TagTools, MutagenVersion4IsRecognisedNotRead) {
  if (!HaveMutagen()) GTEST_SKIP() << "python3-mutagen missing";
  fs::path f = Mp3Copy("mutagen4.mp3");
  Python(
      "import sys\nfrom mutagen.id3 import ID3, TIT2\nt = ID3(sys.argv[1])\n"
      "t.add(TIT2(encoding=3, text='x'))\nt.save()\n",
      f);
  TID3v2 v2;
  ASSERT_TRUE(v2.Load(f.string()));
  EXPECT_TRUE(v2.Present());
  EXPECT_EQ(v2.MajorVersion(), 4);
  EXPECT_EQ(Fields(v2), "|||0|||");
}

TEST(TagTools, OurTagsAreReadByMutagenAndFfprobeWithAudioUnchanged) {
  if (!HaveMutagen()) GTEST_SKIP() << "python3-mutagen missing";
  fs::path f = Mp3Copy("ours.mp3");
  ASSERT_FALSE(f.empty());
  std::string audio = AudioOf(f);
  const std::string title =
      "Canci\xC3\xB3n de \xC3\xB1"
      "and\xC3\xBA";
  TID3v2 tag;
  tag.SetTitle(title);
  tag.SetArtist("Artista");
  tag.SetAlbum("Disco \xE2\x82\xAC");  // outside ISO-8859-1: written as "?"
  tag.SetTrackNo(11);
  tag.SetYear("2003");
  tag.SetGenre("Rock");
  tag.SetComment("Muy bien");
  ASSERT_TRUE(tag.Store(f.string()));
  EXPECT_EQ(AudioOf(f), audio);
  EXPECT_EQ(Python(kMutagenPrint, f),
            "3|" + title + "|Artista|Disco ?|11|2003|Rock|eng|Muy bien\n");
  if (haveTool("ffprobe")) {
    fs::path out = tempDir() / "tools" / "ffprobe.out";
    ASSERT_EQ(run("ffprobe -v error -show_entries format_tags=title,track -of default=nw=1 " +
                  Quote(f.string()) + " > " + Quote(out.string())),
              0);
    EXPECT_EQ(readFile(out), "TAG:title=" + title + "\nTAG:track=11\n");
  }

  TID3v1 v1;
  v1.SetTitle("Canci\xC3\xB3n");
  v1.SetTrackNo(2);
  v1.SetGenreCode(13);
  ASSERT_TRUE(v1.Store(f.string()));
  EXPECT_EQ(Python("import sys\nfrom mutagen.id3 import ParseID3v1\n"
                   "t = ParseID3v1(open(sys.argv[1], 'rb').read()[-128:])\n"
                   "print(t['TIT2'].text[0], t['TRCK'].text[0], t['TCON'].text[0])\n",
                   f),
            "Canci\xC3\xB3n 2 13\n");
  EXPECT_EQ(AudioOf(f).substr(0, audio.size()), audio);
}

TEST(TagTools, ReadsOggFromOggencAndFfmpeg) {
  fs::path wav = makeSine("tools-src.wav", 2.0, 440, 44100, 2, 0.5, "");
  ASSERT_FALSE(wav.empty());
  const std::string title = "Canci\xC3\xB3n \xC3\xB1 \xE2\x82\xAC \xF0\x9F\x8E\xB5";
  struct Case {
    const char* tool;
    std::string command, fields, vendor;
  } cases[] = {
      {"oggenc",
       "LC_ALL=C.UTF-8 oggenc -Q -q 2 -t " + Quote(title) +
           " -a Artista -l Disco -N 3/10 -d 2001 -G Pop -c 'COMMENT=Muy bien' -o OUT " +
           Quote(wav.string()),
       title + "|Artista|Disco|3|2001|Pop|Muy bien", "Xiph.Org"},
      // ffmpeg stores a comment under DESCRIPTION, which is not one of the keys read.
      {"ffmpeg",
       "ffmpeg -nostdin -loglevel error -y -i " + Quote(wav.string()) +
           " -c:a libvorbis -q:a 2 -metadata title=" + Quote(title) +
           " -metadata artist=Artista -metadata album=Disco -metadata track=3/10"
           " -metadata date=2001 -metadata genre=Pop -metadata 'comment=Muy bien' OUT",
       title + "|Artista|Disco|3|2001|Pop|", "Lavf"},
  };
  for (const auto& c : cases) {
    if (!haveTool(c.tool)) continue;
    fs::path out = tempDir() / "tools" / (std::string(c.tool) + ".ogg");
    fs::create_directories(out.parent_path());
    std::string cmd = c.command;
    cmd.replace(cmd.find("OUT"), 3, Quote(out.string()));
    ASSERT_EQ(run(cmd), 0) << c.tool;
    TOggVorbis ogg;
    ASSERT_TRUE(ogg.Load(out.string())) << c.tool;
    EXPECT_TRUE(ogg.Present()) << c.tool;
    EXPECT_EQ(ogg.Channels(), 2) << c.tool;
    EXPECT_EQ(ogg.SampleRate(), 44100) << c.tool;
    EXPECT_EQ(Fields(ogg), c.fields) << c.tool;
    EXPECT_EQ(ogg.Vendor().substr(0, c.vendor.size()), c.vendor) << c.tool;
    EXPECT_NEAR(ogg.Duration(), 2.0, 0.05) << c.tool;
    EXPECT_NEAR(ogg.BitRate(), fs::file_size(out) * 8 / 2.0 / 1000, 2) << c.tool;
  }
}
