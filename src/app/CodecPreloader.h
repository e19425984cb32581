#pragma once
// Opens the decoding libraries on a thread of their own once the player is about to need them:
// when the list holds songs, when a file dialog opens, when something is dragged over a window.
// A player left with an empty list never pays for them; one about to play has them ready.
#include <QObject>
#include <thread>

class QApplication;

namespace vemla::app {

class CodecPreloader : public QObject {
 public:
  explicit CodecPreloader(QApplication& app);
  ~CodecPreloader() override;

  // Once; later calls do nothing. Window thread only.
  void start();
  bool started() const { return started_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QApplication& app_;
  std::thread loader_;
  bool started_ = false;
};

}  // namespace vemla::app
