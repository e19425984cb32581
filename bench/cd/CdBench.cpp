// CD figures: the CD dialog filled for a disc image, and the forced setup's share of the
// start-up (a 99-song list on an image, hostile files) against no file at all.
// Usage: cd_bench <20-track cue> <99-track cue> <work folder>   (offscreen Qt)
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "audio/AudioLib.h"
#include "core/ForcedSetup.h"
#include "core/Player.h"
#include "ui/CdListing.h"
#include "ui/TVemlaCDAudio.h"

namespace fs = std::filesystem;
using vemla::core::Player;

namespace {

double medianMs(int runs, const std::function<void()>& once) {
  std::vector<double> ms;
  for (int i = 0; i < runs; ++i) {
    QElapsedTimer t;
    t.start();
    once();
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

void writeText(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string forcedFile(int songs, const std::string& pistas) {
  std::string s =
      "[GENERAL]\r\nACTIVO=1\r\nAUTOSTART=1\r\nSTARTRACK=3\r\nPL_EXTEND=1\r\n[PL_EXTEND]\r\n"
      "PL_TIPO=CDA\r\nUNIDAD=0\r\nPISTAS=" +
      pistas + "\r\n";
  for (int n = 1; n <= songs; ++n) {
    char section[32];
    std::snprintf(section, sizeof section, "[SONG%03d]\r\n", n);
    s += section;
    s += "TITLE=Canción " + std::to_string(n) + "\r\nARTIST=Grupo\r\nTRACK=" + std::to_string(n) +
         "\r\nCOMM1=Grabado en|Madrid\r\nCOMM2=2024\r\nIMG=tapa.jpg\r\n";
  }
  return s;
}

// One start-up's forced-setup step: a fresh Player in `dir`, the file read and applied.
double forcedSetupMs(vemla::audio::AudioLib& audio, const fs::path& dir, int* entries) {
  return medianMs(9, [&] {
    Player p(audio);
    p.SetDefaults((dir / "VemlaPlayer").string());
    vemla::core::ApplyForcedSetup(p);
    *entries = p.List.EntryCount;
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: cd_bench <20-track cue> <99-track cue> <work folder>\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  const std::string twenty = argv[1], ninetyNine = argv[2];
  const fs::path work = argv[3];
  QApplication app(argc, argv);

  // Images follow the machine's drives; only ours are listed here.
  setenv("VEMLA_CD_IMAGES", (twenty + ":" + ninetyNine).c_str(), 1);
  auto audio = vemla::audio::createAudioLib();
  int drive20 = -1, drive99 = -1;
  for (int d = 0; d < 64; ++d) {
    if (audio->CD_GetDriveLetter(d) == twenty) drive20 = d;
    if (audio->CD_GetDriveLetter(d) == ninetyNine) drive99 = d;
  }
  if (drive20 < 0 || drive99 < 0) {
    std::fprintf(stderr, "images not listed\n");
    return 1;
  }
  Player player(*audio);
  player.SetDefaults((work / "VemlaPlayer").string());
  if (!player.InitAudioDevice()) {
    std::fprintf(stderr, "no audio device\n");
    return 1;
  }

  // The dialog: shown, drive rows and the 20 tracks read off the window thread, rows shown.
  {
    vemla::ui::TVemlaCDAudio dialog(player);
    int rows = 0;
    const double list = medianMs(
        31, [&] { rows = static_cast<int>(vemla::ui::ListCdTracks(*audio, drive20).size()); });
    std::printf("CD dialog: reading the 20 track rows of an image, ms: %.2f (%d rows)\n", list,
                rows);
    // The first showing selects drive 0; make the 20-track image the listed drive.
    dialog.show();
    while (dialog.filling()) app.processEvents(QEventLoop::AllEvents, 1);
    if (dialog.CdDialogDrive() != drive20) {
      dialog.Unidades()->setCurrentIndex(drive20);
      emit dialog.Unidades()->activated(drive20);
      while (dialog.filling()) app.processEvents(QEventLoop::AllEvents, 1);
    }
    const double fill = medianMs(31, [&] {
      dialog.hide();
      dialog.show();
      while (dialog.filling()) app.processEvents(QEventLoop::AllEvents, 1);
    });
    std::printf("CD dialog: shown -> drives and tracks filled (drive %d, %d rows), ms: %.2f\n",
                dialog.CdDialogDrive(), dialog.CDPistas()->count(), fill);
  }

  // The forced setup's step of the start-up.
  const fs::path none = work / "none", songs = work / "songs99", many = work / "many",
                 garbage = work / "garbage", huge = work / "huge";
  for (const auto& d : {none, songs, many, garbage, huge}) fs::create_directories(d);
  std::string file99 = forcedFile(99, "99");
  std::string drive = "UNIDAD=" + std::to_string(drive99);
  auto onDrive = [&](std::string s) {
    s.replace(s.find("UNIDAD=0"), 8, drive);
    return s;
  };
  writeText(songs / "obligador.ini", onDrive(file99));
  std::string sections = onDrive(forcedFile(99, "2000000000"));
  for (int n = 100; n <= 10000; ++n) sections += "[SONG" + std::to_string(n) + "]\r\nTITLE=x\r\n";
  writeText(many / "obligador.ini", sections);
  std::string junk = onDrive(forcedFile(0, "99"));
  uint32_t x = 1;
  while (junk.size() < (1u << 20)) {
    x = x * 1103515245u + 12345u;
    junk += static_cast<char>(x >> 16);
  }
  writeText(garbage / "obligador.ini", junk);
  writeText(huge / "obligador.ini", onDrive(forcedFile(0, "2000000000")));

  int entries = 0;
  const double base = forcedSetupMs(*audio, none, &entries);
  std::printf("forced setup: no obligador.ini, ms: %.2f\n", base);
  struct Case {
    const char* what;
    fs::path dir;
  } cases[] = {
      {"99 songs on a 99-track image", songs},
      {"10,000 SONG sections, PISTAS=2000000000", many},
      {"1 MB of garbage after the keys", garbage},
      {"PISTAS=2000000000, no SONG sections", huge},
  };
  for (const Case& c : cases) {
    const double ms = forcedSetupMs(*audio, c.dir, &entries);
    std::printf("forced setup: %s, ms: %.2f (+%.2f over none, %d entries)\n", c.what, ms, ms - base,
                entries);
  }
  player.FreeAudioDevice();
  return 0;
}
