#include "app/CodecPreloader.h"

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>

#include "app/LazyCodecs.h"

namespace vemla::app {

CodecPreloader::CodecPreloader(QApplication& app) : app_(app) { app_.installEventFilter(this); }

CodecPreloader::~CodecPreloader() {
  if (!started_) app_.removeEventFilter(this);
  if (loader_.joinable()) loader_.join();
}

void CodecPreloader::start() {
  if (started_) return;
  started_ = true;
  app_.removeEventFilter(this);
  loader_ = std::thread([] {
    // Below the window's priority, so a long list stays responsive meanwhile.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 10);
    LoadCodecLibraries();
  });
}

bool CodecPreloader::eventFilter(QObject* watched, QEvent* event) {
  // A file is chosen or dropped a good while after these: the libraries are open by then.
  if (event->type() == QEvent::DragEnter ||
      (event->type() == QEvent::Show && watched->inherits("QFileDialog"))) {
    start();
  }
  return false;
}

}  // namespace vemla::app
