#pragma once
// Tells the copies of the player already running to restore and raise their windows, and
// listens for the same notice from copies started later.
//
// Every copy listens on $XDG_RUNTIME_DIR/VemlaPlayer/<pid>.sock (folder mode 0700, so no other
// user reaches it). A new copy connects to every socket in that folder, sends "restore" and
// moves on; a socket nobody answers on (left by a crashed copy) is removed. Connections are
// asynchronous with a short timeout, so the window thread never waits on another copy.
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace vemla::ui {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `folder` empty: $XDG_RUNTIME_DIR/VemlaPlayer (or a per-user folder under the temp dir
  // when XDG_RUNTIME_DIR is unset). `name` empty: this process's id.
  explicit SingleInstance(QString folder = {}, QString name = {}, QObject* parent = nullptr);
  ~SingleInstance() override;

  static QString defaultFolder();

  // Starts listening; false when the folder or socket cannot be made (the player still runs).
  bool listen();
  // Sends the notice to every other copy; returns how many sockets were tried.
  int notifyOthers(int timeoutMs = 300);

  QString socketPath() const { return socketPath_; }

 signals:
  // Another copy started: restore the windows and bring them to the front.
  void restoreRequested();
  // Every notice sent by notifyOthers() was delivered or given up.
  void notifyFinished();

 private:
  void readNotice(QLocalSocket* socket);
  void oneNoticeDone();

  QString folder_;
  QString socketPath_;
  QLocalServer* server_ = nullptr;
  int outstanding_ = 0;
};

}  // namespace vemla::ui
