// The information window on the offscreen platform, over files made by ffmpeg and tagged by
// mutagen: the texts it shows, when it fills itself, the picture it finds, and what saving
// writes (read back by mutagen, with the audio bytes compared).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <csignal>
#include <filesystem>
#include <memory>
#include <sstream>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "support/Fixtures.h"
#include "tags/TID3v2.h"
#include "ui/TInfo.h"

namespace fs = std::filesystem;
using namespace vemla;
using namespace vemla::test;
using vemla::ui::TInfo;

namespace {

std::string Quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a mutagen script on `file` with the system interpreter; returns what it printed.
std::string Python(const std::string& script, const fs::path& file, const std::string& arg = "") {
  fs::path py = writeFile("info/script.py", script);
  fs::path out = tempDir() / "info" / "python.out";
  fs::remove(out);
  int rc = run("/usr/bin/python3 " + Quote(py.string()) + " " + Quote(file.string()) + " " +
               Quote(arg) + " > " + Quote(out.string()));
  EXPECT_EQ(rc, 0) << readFile(tempDir() / "commands.log");
  return readFile(out);
}

// Tags a file: "v23" and "v24" write texts, a red PNG cover, lyrics and a gain frame in that
// version ("big-cover": v2.3 with a cover of some 270 KB); "v1" only an ID3v1 tag; "bad-picture" a
// v2.3 cover that is no picture.
const char* kTagger = R"(import os, sys, struct, zlib
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, TYER, TCON, COMM, APIC, USLT, TXXX
f, mode = sys.argv[1], sys.argv[2]
def png(r, g, b, side=8):
    # A solid picture; a large one has noise around its solid middle, so it stays large.
    def px(x, y):
        if side == 8 or abs(x - side // 2) < side // 5 and abs(y - side // 2) < side // 5:
            return bytes([r, g, b])
        return os.urandom(3)
    raw = b''.join(b'\0' + b''.join(px(x, y) for x in range(side)) for y in range(side))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', side, side, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
t = ID3()
t.add(TIT2(encoding=0, text='Canci\u00f3n vieja'))
t.add(TPE1(encoding=0, text='Artista'))
t.add(TALB(encoding=0, text='Disco'))
t.add(TRCK(encoding=0, text='7/12'))
t.add(TYER(encoding=0, text='1999'))
t.add(TCON(encoding=0, text='(13)Pop'))
t.add(COMM(encoding=0, lang='eng', desc='', text='Nice'))
if mode == 'bad-picture':
    t.add(APIC(encoding=0, mime='image/jpeg', type=3, desc='', data=b'not a picture at all'))
elif mode != 'v1':
    side = 300 if mode == 'big-cover' else 8
    t.add(APIC(encoding=0, mime='image/png', type=3, desc='', data=png(255, 0, 0, side)))
    t.add(USLT(encoding=0, lang='eng', desc='', text='la la la'))
    t.add(TXXX(encoding=0, desc='replaygain_track_gain', text='-6.5 dB'))
if mode == 'v1':
    t.save(f, v1=2, v2_version=3)
    ID3(f).delete(f, delete_v1=False, delete_v2=True)
else:
    t.save(f, v1=0, v2_version=4 if mode == 'v24' else 3)
)";

// What mutagen reads back: the ID3v2 version and frames in order, then the ID3v1 fields.
const char* kReader = R"(import sys, hashlib
from mutagen.id3 import ID3, ParseID3v1
f = sys.argv[1]
try:
    t = ID3(f, load_v1=False, translate=False)
    print('v2.%d' % t.version[1])
    for fr in t.values():
        if fr.FrameID in ('APIC', 'USLT', 'PRIV'):
            print(fr.FrameID, hashlib.md5(fr._writeData()).hexdigest())
        else:
            print(fr.HashKey, str(fr))
except Exception as e:
    print('no v2')
data = open(f, 'rb').read()
v1 = ParseID3v1(data[-128:]) if data[-128:-125] == b'TAG' else None
if v1:
    for k in sorted(v1):
        print('v1', k, str(v1[k]))
)";

// The audio bytes: what follows the ID3v2 tag, without an ID3v1 tag at the end.
std::string AudioOf(const fs::path& f) {
  std::string b = readFile(f);
  if (b.size() >= 128 && b.compare(b.size() - 128, 3, "TAG") == 0) b.resize(b.size() - 128);
  if (b.size() < 10 || b.compare(0, 3, "ID3") != 0) return b;
  return b.substr((size_t(b[6] & 0x7F) << 21) + (size_t(b[7] & 0x7F) << 14) +
                  (size_t(b[8] & 0x7F) << 7) + size_t(b[9] & 0x7F) + 10);
}

bool HaveTools() { return haveTool("ffmpeg") && run("/usr/bin/python3 -c 'import mutagen'") == 0; }

QColor Centre(const QLabel* picture) {
  QImage image = picture->pixmap().toImage();
  return image.pixelColor(image.width() / 2, image.height() / 2);
}

bool Near(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) < 40 && std::abs(a.green() - b.green()) < 40 &&
         std::abs(a.blue() - b.blue()) < 40;
}

class InfoWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveTools()) GTEST_SKIP() << "needs ffmpeg and python3-mutagen";
    static int n = 0;
    dir_ = tempDir() / ("info" + std::to_string(++n));
    fs::create_directories(dir_ / "prog" / "skin");
    player_.SetDefaults((dir_ / "prog" / "VemlaPlayer").string());
    player_.SetView(&view_);
    window_ = std::make_unique<TInfo>(player_);
  }
  void TearDown() override {
    window_.reset();
    player_.SetView(nullptr);
  }

  // A fresh MP3 (no tag of its own) copied to `name`, tagged by `mode` unless empty.
  fs::path Mp3(const std::string& name, const std::string& mode = "") {
    fs::path src = makeSine("info-src.mp3", 1.0, 440, 44100, 2, 0.5,
                            "-c:a libmp3lame -b:a 128k -id3v2_version 0 -write_xing 0");
    fs::path f = dir_ / name;
    fs::create_directories(f.parent_path());
    fs::copy_file(src, f, fs::copy_options::overwrite_existing);
    if (!mode.empty()) Python(kTagger, f, mode);
    return f;
  }
  int Add(const fs::path& f) {
    EXPECT_TRUE(player_.AddFileEntry(f.string())) << f;
    return player_.List.EntryCount;
  }
  // Shows the window for `row` and waits until its picture search ended.
  void ShowFor(int row) {
    window_->hide();
    view_.SelectRow(row);
    window_->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window_->pictureLoading(); }, 60000));
  }
  QString Text(const char* name) {
    if (auto* l = window_->findChild<QLabel*>(name)) return l->text();
    if (auto* e = window_->findChild<QLineEdit*>(name)) return e->text();
    return "?";
  }
  void Edit(const char* name, const QString& text) {
    window_->findChild<QLineEdit*>(name)->setText(text);
  }
  // Presses "Salvar Nueva Información"; returns the message shown, if any.
  QString Save() {
    window_->findChild<QPushButton*>("Button1")->click();
    QString said;
    for (QMessageBox* box : window_->findChildren<QMessageBox*>()) {
      said += box->text();
      delete box;
    }
    return said;
  }

  fs::path dir_;
  std::unique_ptr<audio::AudioLib> audio_ = audio::createAudioLib();
  core::NullPlayerView view_;
  core::Player player_{*audio_};
  std::unique_ptr<TInfo> window_;
};

TEST_F(InfoWindow, ShowsTheSelectedEntrysFiguresAndTexts) {
  const int tagged = Add(Mp3("tagged.mp3", "v23"));
  fs::path wav = makeSine("info-mono.wav", 1.0, 440, 22050, 1, 0.5, "-c:a pcm_s16le");
  const int mono = Add(wav);
  ShowFor(tagged - 1);
  const auto& e = player_.List.Entries[tagged];
  EXPECT_EQ(window_->InfoEntry(), tagged);
  struct Want {
    const char* control;
    QString text;
  } wants[] = {
      {"Ttam", QString::fromUtf8("Tamaño: %1 bytes").arg(e.SizeBytes)},
      {"Tlong", "Longitud: 1 segundos"},
      {"Ttipo", "Tipo de Archivo: MP3"},
      {"Tkbps", QString("%1 Kbps").arg(e.BitRate)},
      {"THz", "44100 Hz"},
      {"TFreq", "Estereo - 16bits"},
      {"TIp", "IP: :0"},
      {"Edit1", QString::fromStdString(e.Path)},
      {"npista", "7"},
      {"titulo", QString::fromUtf8("Canción vieja")},
      {"artista", "Artista"},
      {"autor", ""},
      {"album", "Disco"},
      {"Edit2", "Pop"},
      {"fecha", "1999"},
  };
  for (const auto& w : wants) EXPECT_EQ(Text(w.control), w.text) << w.control;
  EXPECT_EQ(window_->Memo1()->toPlainText(), "Nice");
  EXPECT_GT(e.SizeBytes, 0u);

  ShowFor(mono - 1);
  EXPECT_EQ(Text("TFreq"), "Mono - 16bits");
  EXPECT_EQ(Text("THz"), "22050 Hz");
  EXPECT_EQ(Text("Ttipo"), "Tipo de Archivo: WAV");
  EXPECT_EQ(Text("titulo"), "");
  EXPECT_EQ(Text("artista"), "info-mono");
}

TEST_F(InfoWindow, FillsOnlyWhenShownAndRereadsOtherEntries) {
  // An empty list: nothing is filled, nothing can be saved.
  window_->show();
  EXPECT_EQ(Text("Ttipo"), "Tipo de Archivo: MP3");
  EXPECT_EQ(window_->InfoEntry(), 0);
  EXPECT_FALSE(window_->Imagen()->pixmap().isNull())
      << "the skin's neutral picture until one loads";
  window_->hide();

  fs::path a = Mp3("a.mp3", "v23");
  const int first = Add(a);
  const int second = Add(Mp3("b.mp3"));
  // Retagged after it was listed: showing a row that is not playing reads it again.
  Python(
      "from mutagen.id3 import ID3, TIT2\nimport sys\nt = ID3(sys.argv[1])\n"
      "t.add(TIT2(encoding=0, text='Nueva'))\nt.save(v2_version=3)\n",
      a);
  ShowFor(first - 1);
  EXPECT_EQ(Text("titulo"), "Nueva");
  EXPECT_EQ(player_.List.Entries[first].Title.str(), "Nueva");

  // Shown again while visible (the playlist's menu item): nothing changes.
  view_.SelectRow(second - 1);
  window_->show();
  EXPECT_EQ(Text("titulo"), "Nueva");
  EXPECT_EQ(window_->InfoEntry(), first);

  // No row selected: the window is the current entry's, its texts stay as they were.
  player_.List.CurrentEntry = second;
  window_->hide();
  view_.SelectRow(-1);
  window_->show();
  EXPECT_EQ(window_->InfoEntry(), second);
  EXPECT_EQ(Text("titulo"), "Nueva");

  // The current entry is not read again.
  Python(
      "from mutagen.id3 import ID3, TIT2\nimport sys\nt = ID3(sys.argv[1])\n"
      "t.add(TIT2(encoding=0, text='Otra'))\nt.save(v2_version=3)\n",
      a);
  player_.List.CurrentEntry = first;
  ShowFor(first - 1);
  EXPECT_EQ(Text("titulo"), "Nueva");
}

TEST_F(InfoWindow, PictureComesFromTheEntryTheFileItsFolderOrTheSkin) {
  auto solid = [](const fs::path& f, QColor c, const char* format) {
    fs::create_directories(f.parent_path());
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(c);
    ASSERT_TRUE(image.save(QString::fromStdString(f.string()), format));
  };
  solid(dir_ / "prog" / "skin" / "noimagen.jpg", Qt::white, "JPG");
  solid(dir_ / "prog" / "own.png", Qt::blue, "PNG");
  solid(dir_ / "withcover" / "Cover.JPG", Qt::green, "JPG");
  fs::path notPicture = dir_ / "withcover" / "folder.png";
  writeFile(fs::relative(notPicture, tempDir()).string(), "not a picture");

  const int embedded = Add(Mp3("embedded/a.mp3", "v23"));
  // A tag this large is passed over before the container is probed; the file still opens whole.
  const int big = Add(Mp3("embedded/big.mp3", "big-cover"));
  EXPECT_EQ(player_.List.Entries[big].LengthSeconds, 1);
  EXPECT_EQ(player_.List.Entries[big].SampleRate, 44100);
  const int badEmbedded = Add(Mp3("withcover/a.mp3", "bad-picture"));
  const int plain = Add(Mp3("plain/a.mp3"));
  const int own = Add(Mp3("plain/b.mp3"));
  player_.List.Entries[own].ImageFile = "own.png";
  player_.NoSave = 1;

  struct Case {
    int entry;
    QColor colour;
  } cases[] = {{embedded, Qt::red},
               {big, Qt::red},
               {badEmbedded, Qt::green},
               {plain, Qt::white},
               {own, Qt::blue}};
  for (const auto& c : cases) {
    ShowFor(c.entry - 1);
    EXPECT_TRUE(Near(Centre(window_->Imagen()), c.colour))
        << c.entry << " shows " << Centre(window_->Imagen()).name().toStdString();
  }
  // Without the skin's picture, an entry with none keeps the one shown before.
  fs::remove(dir_ / "prog" / "skin" / "noimagen.jpg");
  ShowFor(plain - 1);
  EXPECT_TRUE(Near(Centre(window_->Imagen()), Qt::blue));
}

TEST_F(InfoWindow, SavingWritesOnlyWhatTheRulesAllow) {
  const QString otherVersion = QString::fromUtf8(
      "La etiqueta ID3v2.4 de este archivo no se puede modificar; no se ha guardado nada.");
  struct Case {
    const char* name;
    std::string mode;  // tagger mode; "ogg" an Ogg file
    QString track, title;
    bool current;
    QString said;           // the message shown
    std::string wantLines;  // lines mutagen must read back; empty: the file must not change
  } cases[] = {
      {"v2.3 rewritten, other frames kept", "v23", "300", "Nuevo", false, "",
       "v2.3\nTIT2 Nuevo\nTPE1 Artista\nTALB Disco\nTRCK 44\nTYER 1999\nTCON Rock\n"
       "COMM::eng Nice\n"},
      {"v2.4 refused", "v24", "3", "Nuevo", false, otherVersion, ""},
      {"ID3v1 cut to its width", "v1", "2", "Un título que es mucho más largo que treinta", false,
       "", "no v2\nv1 TIT2 Un título que es mucho más lar\nv1 TRCK 2\n"},
      {"no tag gets none", "", "3", "Nuevo", false, "", ""},
      {"Ogg never written", "ogg", "3", "Nuevo", false, "", ""},
      {"the playing entry", "v23", "3", "Nuevo", true, "", ""},
      {"empty track number", "v23", "", "Nuevo", false, "'' is not a valid integer value", ""},
      {"track number with letters", "v1", "7a", "Nuevo", false, "'7a' is not a valid integer value",
       ""},
  };
  int n = 0;
  for (const auto& c : cases) {
    fs::path f;
    if (c.mode == "ogg") {
      f = dir_ / ("save" + std::to_string(++n) + ".ogg");
      fs::copy_file(makeSine("info.ogg", 1.0, 440, 44100, 2, 0.5, "-c:a libvorbis"), f);
    } else {
      f = Mp3("save" + std::to_string(++n) + ".mp3", c.mode);
    }
    const std::string before = readFile(f);
    const std::string before2 = Python(kReader, f);
    const int entry = Add(f);
    ShowFor(entry - 1);
    player_.List.CurrentEntry = c.current ? entry : 0;
    Edit("npista", c.track);
    Edit("titulo", c.title);
    Edit("Edit2", "Rock");
    Edit("autor", "Nadie");
    EXPECT_EQ(Save(), c.said) << c.name;

    const std::string after = Python(kReader, f);
    if (c.wantLines.empty()) {
      EXPECT_EQ(readFile(f), before) << c.name;
      continue;
    }
    // Every wanted line begins a line read back, in order; frames kept compare equal.
    size_t at = 0;
    std::istringstream want(c.wantLines);
    for (std::string line; std::getline(want, line);) {
      size_t found = after.find(line, at);
      EXPECT_NE(found, std::string::npos) << c.name << ": " << line << " in\n" << after;
      if (found != std::string::npos) at = found + line.size();
    }
    // The frames not written here follow the seven as they were, in their order.
    std::istringstream was(before2);
    for (std::string line; std::getline(was, line);) {
      static const std::string seven[] = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};
      bool written = line.rfind("v", 0) == 0 || line == "no v2";
      for (const auto& id : seven) written = written || line.rfind(id, 0) == 0;
      if (written) continue;
      size_t found = after.find(line + "\n", at);
      EXPECT_NE(found, std::string::npos) << c.name << ": kept " << line << " in\n" << after;
      if (found != std::string::npos) at = found + line.size();
    }
    EXPECT_EQ(after.find("Nadie"), std::string::npos) << c.name;
    fs::path copy = writeFile("info/before.mp3", before);
    EXPECT_EQ(AudioOf(f), AudioOf(copy)) << c.name;
  }
}

// Damaged tags, a vanished file and a full disk: the window shows what it can, and the file is
// either rewritten whole or left as it was.
TEST_F(InfoWindow, BadInputLeavesTheFileWholeOrUntouched) {
  auto solid = QImage(16, 16, QImage::Format_RGB32);
  solid.fill(Qt::white);
  ASSERT_TRUE(solid.save(QString::fromStdString((dir_ / "prog/skin/noimagen.jpg").string())));
  fs::path mp3 = Mp3("bad/plain.mp3");
  const std::string audio = readFile(mp3);
  auto frame = [](const std::string& id, const std::string& data, uint32_t size) {
    return id + std::string{char(size >> 24),
                            char((size >> 16) & 0xFF),
                            char((size >> 8) & 0xFF),
                            char(size & 0xFF),
                            0,
                            0} +
           data;
  };
  auto tag = [](const std::string& body, uint32_t size) {
    std::string h = std::string("ID3\3\0\0", 6);
    for (int shift : {21, 14, 7, 0}) h += char((size >> shift) & 0x7F);
    return h + body;
  };
  const std::string lyrics = frame("USLT", std::string("\0eng\0la la", 10), 10);
  const std::string cut = frame("APIC", std::string("\0image/jpeg\0\3\0\xFF\xD8", 16), 90000);
  struct Case {
    const char* name;
    std::string before;  // the file's bytes
    std::string after;   // what follows the new tag's seven items once saved; empty: untouched
    size_t kept;         // bytes of old frames kept in the new tag
  } cases[] = {
      // The audio layer refuses it, so it is known only from a list; it is shown, never written.
      {"100 MB tag size field", tag("", 100u << 20) + audio, "", 0},
      {"truncated picture frame", tag(lyrics + cut, lyrics.size() + cut.size()) + audio,
       lyrics + audio, lyrics.size()},
  };
  for (const auto& c : cases) {
    fs::path f = writeFile(
        fs::relative(dir_ / "bad" / (std::string(c.name) + ".mp3"), tempDir()).string(), c.before);
    if (c.after.empty()) {
      ASSERT_TRUE(player_.AddListedEntry(f.string(), "", c.name, 1));
    } else {
      Add(f);
    }
    ShowFor(player_.List.EntryCount - 1);
    EXPECT_EQ(window_->InfoEntry(), player_.List.EntryCount);
    EXPECT_TRUE(Near(Centre(window_->Imagen()), Qt::white)) << c.name;
    Edit("titulo", "Nuevo");
    Edit("npista", "1");
    EXPECT_EQ(Save(), "") << c.name;
    if (c.after.empty()) {
      EXPECT_TRUE(readFile(f) == c.before) << c.name;
      continue;
    }
    tags::TID3v2 written;
    ASSERT_TRUE(written.Load(f.string()));
    std::string built;
    ASSERT_TRUE(written.BuildTag(built, c.kept));
    EXPECT_EQ(written.Title(), "Nuevo") << c.name;
    EXPECT_TRUE(readFile(f) == built + c.after) << c.name;
  }

  // The file vanished since it was listed: the window keeps its texts, nothing is written.
  fs::path gone = Mp3("bad/gone.mp3", "v23");
  const int goneEntry = Add(gone);
  fs::remove(gone);
  ShowFor(goneEntry - 1);
  EXPECT_EQ(Text("titulo"), QString::fromUtf8("Canción vieja"));
  EXPECT_EQ(Save(), "");
  EXPECT_FALSE(fs::exists(gone));

  // The disk fills up while the work file is written: the file stays as it was, no work file.
  fs::path full = Mp3("bad/full.mp3", "v23");
  const std::string before = readFile(full);
  ShowFor(Add(full) - 1);
  Edit("titulo", "Nuevo");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = before.size() / 2;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString said = Save();
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(said, "");
  EXPECT_EQ(readFile(full), before);
  EXPECT_FALSE(fs::exists(full.string() + "~"));
}

}  // namespace
