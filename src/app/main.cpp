// Program entry: open the audio device, show the main window, release the device at exit.
#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cstdlib>

#include "audio/AudioLib.h"

int main(int argc, char** argv) {
  // Skinned windows need absolute positions, which native Wayland does not give clients.
  if (!std::getenv("QT_QPA_PLATFORM") && std::getenv("WAYLAND_DISPLAY")) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName("VemlaPlayer");

  auto audio = vemla::audio::createAudioLib();
  if (!audio->Init(1, 44100, 0)) {
    QMessageBox box(QMessageBox::Critical, "Error", "No puedo inicializar el dispositivo de audio");
    box.exec();
    return 1;
  }
  QWidget main;
  main.setWindowTitle("VemlaPlayer v1.0b");
  main.resize(345, 175);
  main.show();
  int rc = app.exec();
  audio->Free();
  return rc;
}
