// How fast the information window shows an entry, and how fast it saves a tag.
//
// 1. Makes, with ffmpeg and mutagen, a 3-minute MP3 with an ID3v2.3 tag, the same with a 1 MB
//    JPEG cover in the tag, and a 10 MB MP3 with an ID3v2.3 tag.
// 2. Shows the window for each of the first two (neither is the playing entry, so each showing
//    reads the entry again and looks for its picture), hiding it in between; prints the median
//    and the slowest showing, and how long until the picture (found and decoded on a worker
//    thread) is on the window. Then where a showing's processor time goes, part by part.
// 3. Saves edited texts into the 10 MB file, and copies the same file with `cp`, alternating;
//    prints both medians and their ratio. The save ends with an fsync of the new file, so a
//    `cp` followed by `sync` of the copy is printed as well.
#include <time.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/AttachedPicture.h"
#include "audio/AudioLib.h"
#include "core/Player.h"
#include "ui/InfoPicture.h"
#include "ui/TInfo.h"

namespace fs = std::filesystem;

namespace {

bool Shell(const std::string& cmd) { return std::system(cmd.c_str()) == 0; }

// Processor time of this thread, in ms: on a loaded machine it tells the work apart from the wait.
double CpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

const char* kTagger = R"(import sys
from mutagen.id3 import ID3, TIT2, TPE1, TALB, TRCK, APIC
t = ID3()
t.add(TIT2(encoding=0, text='Titulo'))
t.add(TPE1(encoding=0, text='Artista'))
t.add(TALB(encoding=0, text='Disco'))
t.add(TRCK(encoding=0, text='3'))
if len(sys.argv) > 2:
    t.add(APIC(encoding=0, mime='image/jpeg', type=3, desc='', data=open(sys.argv[2], 'rb').read()))
t.save(sys.argv[1], v2_version=3)
)";

bool MakeMp3(const fs::path& out, int seconds, const char* bitrate, const std::string& cover) {
  std::string cmd =
      "ffmpeg -nostdin -loglevel error -y -f lavfi -i 'sine=f=440:d=" + std::to_string(seconds) +
      "' -ac 2 -c:a libmp3lame -b:a " + bitrate + " -id3v2_version 0 '" + out.string() + "'";
  if (!Shell(cmd)) return false;
  fs::path py = out.parent_path() / "tag.py";
  FILE* f = std::fopen(py.c_str(), "w");
  if (!f) return false;
  std::fputs(kTagger, f);
  std::fclose(f);
  return Shell("/usr/bin/python3 '" + py.string() + "' '" + out.string() + "'" +
               (cover.empty() ? "" : " '" + cover + "'"));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: info_bench <work folder> [rounds]\n");
    return 2;
  }
  const fs::path work = argv[1];
  const int rounds = argc > 2 ? std::max(3, std::atoi(argv[2])) : 41;
  fs::create_directories(work);
  QApplication app(argc, argv);

  // A noise picture compresses badly: about 1 MB of JPEG.
  const fs::path cover = work / "cover.jpg";
  if (!Shell("ffmpeg -nostdin -loglevel error -y -f lavfi -i "
             "'nullsrc=s=1200x1200,geq=random(1)*255:128:128' -frames:v 1 -q:v 1 '" +
             cover.string() + "'")) {
    std::fprintf(stderr, "ffmpeg could not make the cover\n");
    return 1;
  }
  // Each song in a folder of its own, so no folder picture is found for it; the program's
  // "no picture" image stands in the skin folder as it does beside the player.
  for (const char* d : {"plain", "pictured", "big", "skin"}) fs::create_directories(work / d);
  const fs::path plain = work / "plain/a.mp3", pictured = work / "pictured/a.mp3",
                 big = work / "big/a.mp3";
  QImage none(261, 215, QImage::Format_RGB32);
  none.fill(Qt::darkGray);
  none.save(QString::fromStdString((work / "skin/noimagen.jpg").string()), "JPG", 90);
  if (!MakeMp3(plain, 180, "128k", "") || !MakeMp3(pictured, 180, "128k", cover.string()) ||
      !MakeMp3(big, 262, "320k", "")) {
    std::fprintf(stderr, "could not make the MP3 files (ffmpeg, python3-mutagen)\n");
    return 1;
  }

  auto audio = vemla::audio::createAudioLib();
  vemla::core::NullPlayerView view;
  vemla::core::Player player(*audio);
  player.SetDefaults((work / "VemlaPlayer").string());
  player.SetView(&view);
  player.AddFileEntry(plain.string());
  player.AddFileEntry(pictured.string());
  player.AddFileEntry(big.string());
  vemla::ui::TInfo window(player);

  std::printf("cover: %.2f MB\n", fs::file_size(cover) / 1048576.0);
  for (int row : {0, 1}) {
    std::vector<double> ms, cpu, pictured;
    for (int i = 0; i < rounds; ++i) {
      window.hide();
      view.SelectRow(row);
      QElapsedTimer t;
      t.start();
      const double c = CpuMs();
      window.show();
      cpu.push_back(CpuMs() - c);
      ms.push_back(t.nsecsElapsed() / 1e6);
      while (window.pictureLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      pictured.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf(
        "show %-24s median %6.2f ms (processor %5.2f ms), slowest %6.2f ms; "
        "picture shown after %6.2f ms (median) (%d showings)\n",
        row == 0 ? "MP3 without picture:" : "MP3 with 1 MB cover:", Median(ms), Median(cpu),
        *std::max_element(ms.begin(), ms.end()), Median(pictured), rounds);
  }
  // Where the time of a showing goes, for the pictured file.
  std::vector<double> reread, extract, decode;
  const std::string path = pictured.string();
  for (int i = 0; i < rounds; ++i) {
    double c = CpuMs();
    player.ReadEntryInfo(path, 2);
    reread.push_back(CpuMs() - c);
    c = CpuMs();
    const std::string bytes = vemla::audio::ReadAttachedPicture(path);
    extract.push_back(CpuMs() - c);
    c = CpuMs();
    vemla::ui::DecodePicture(QByteArray::fromStdString(bytes), QSize(249, 192));
    decode.push_back(CpuMs() - c);
  }
  std::printf(
      "  with the cover, processor time: entry re-read %.2f ms, cover extraction %.2f ms, "
      "cover decoding %.2f ms (medians)\n",
      Median(reread), Median(extract), Median(decode));

  window.hide();
  view.SelectRow(2);
  window.show();
  const fs::path copy = work / "copy.mp3";
  std::vector<double> save, cp, cpSync;
  const int saves = std::max(3, rounds / 4);
  for (int i = 0; i < saves; ++i) {
    window.findChild<QLineEdit*>("titulo")->setText(QString("Titulo %1").arg(i));
    QElapsedTimer t;
    t.start();
    window.findChild<QPushButton*>("Button1")->click();
    save.push_back(t.nsecsElapsed() / 1e6);
    t.restart();
    Shell("cp '" + big.string() + "' '" + copy.string() + "'");
    cp.push_back(t.nsecsElapsed() / 1e6);
    fs::remove(copy);
    t.restart();
    Shell("cp '" + big.string() + "' '" + copy.string() + "' && sync '" + copy.string() + "'");
    cpSync.push_back(t.nsecsElapsed() / 1e6);
    fs::remove(copy);
  }
  std::printf(
      "save on a %.1f MB MP3: median %.2f ms; cp median %.2f ms (ratio %.2f); "
      "cp + sync median %.2f ms (ratio %.2f)\n",
      fs::file_size(big) / 1048576.0, Median(save), Median(cp), Median(save) / Median(cp),
      Median(cpSync), Median(save) / Median(cpSync));
  player.SetView(nullptr);
  return 0;
}
