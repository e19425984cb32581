// The playlist window under load: handing over hundreds of audio files (as a drop does) while
// a 5 ms probe timer measures how long the event loop is kept from turning, and 40,000 rows
// put into the list and painted.
// Usage: handover_bench <folder of audio files>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QListView>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "audio/AudioLib.h"
#include "core/Player.h"
#include "core/PlayerView.h"
#include "ui/TPlaylist.h"

namespace {

class RowsView : public vemla::core::NullPlayerView {
 public:
  explicit RowsView(vemla::ui::TPlaylist& w) : w_(w) {}
  void AppendRow(const std::string& t) override { w_.appendRow(t); }
  void AppendRows(const std::vector<std::string>& t) override { w_.appendRows(t); }
  void SetRowText(int r, const std::string& t) override { w_.setRowText(r, t); }
  void RemoveRow(int r) override { w_.removeRow(r); }
  void ClearRows() override { w_.clearRows(); }
  void SelectRow(int r) override { w_.selectRow(r); }
  int SelectedRow() const override { return w_.selectedRow(); }

 private:
  vemla::ui::TPlaylist& w_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s <folder of audio files>\n", argv[0]);
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication app(argc, argv);
  auto audio = vemla::audio::createAudioLib();
  vemla::core::Player player(*audio);
  player.SetDefaults();
  if (!player.InitAudioDevice()) return 1;
  vemla::ui::TPlaylist window(player);
  RowsView view(window);
  player.SetView(&view);
  window.show();

  QStringList files;
  QDir dir(argv[1]);
  for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) files << dir.filePath(name);

  QElapsedTimer clock, sinceTick;
  qint64 longestGap = 0;
  int ticks = 0;
  QTimer probe;
  probe.setInterval(5);
  QObject::connect(&probe, &QTimer::timeout, [&] {
    longestGap = std::max(longestGap, sinceTick.restart());
    ++ticks;
  });
  QObject::connect(&window, &vemla::ui::TPlaylist::handOverDone, &app, &QApplication::quit);
  clock.start();
  sinceTick.start();
  probe.start();
  window.handOver(files);
  app.exec();
  const qint64 total = clock.elapsed();
  std::printf(
      "hand-over of %d files: %lld ms (%.0f files/s), %d entries added, "
      "longest event-loop stall %lld ms (%d probe ticks)\n",
      static_cast<int>(files.size()), static_cast<long long>(total),
      files.size() * 1000.0 / std::max<qint64>(total, 1), player.List.EntryCount,
      static_cast<long long>(longestGap), ticks);

  std::vector<std::string> rows;
  rows.reserve(40000);
  for (int i = 1; i <= 40000; ++i) {
    rows.push_back(std::to_string(i) + ".  - Artista - Cancion numero " + std::to_string(i) +
                   " - (05:00)");
  }
  window.clearRows();
  clock.restart();
  window.appendRows(rows);
  window.selectRow(0);
  window.Listado()->grab();
  std::printf("40000 rows into the list, selected and painted: %lld ms\n",
              static_cast<long long>(clock.elapsed()));
  player.SetView(nullptr);
  player.FreeAudioDevice();
  return 0;
}
