#pragma once
// Tells the copies of the player already running to restore and raise their windows, and
// listens for the same notice from copies started later.
//
// Every copy listens on $XDG_RUNTIME_DIR/VemlaPlayer/<pid>.sock (folder mode 0700, so no other
// user reaches it). A new copy connects to every socket in that folder, sends "restore" and
// moves on; a socket nobody answers on (left by a crashed copy) is removed. A local connection
// is made or refused at once and the notice fits any socket buffer, so the window thread never
// waits on another copy.
//
// Protocol: newline-ended lines, each one request; "restore" raises the windows, any other line
// is handed on as it stands (lineReceived), so further requests need no new framing; "sync" is
// answered "ok\n" once the lines before it were handed on. The sender
// closes when done. The listener holds few connections at a time (the oldest goes when one more
// arrives), closes one still open after a moment, and one that sends more than a notice
// may hold, so idle or runaway peers cost nothing lasting.
#include <QObject>
#include <QString>
#include <memory>
#include <vector>

class QSocketNotifier;

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
  // Sends the notice to every other copy; returns how many sockets were tried. notifyFinished
  // follows from the event loop.
  int notifyOthers();

  QString socketPath() const { return socketPath_; }
  // Connections accepted and not closed yet.
  int heldConnections() const { return static_cast<int>(held_.size()); }

  static constexpr int kMaxHeldConnections = 8;
  static constexpr int kIdleTimeoutMs = 1500;
  static constexpr qint64 kMaxNoticeBytes = 64 * 1024;

 signals:
  // Another copy started: restore the windows and bring them to the front.
  void restoreRequested();
  // Every notice sent by notifyOthers() was delivered or given up.
  void notifyFinished();
  // A request line other than "restore", without its newline.
  void lineReceived(const QByteArray& line);

 private:
  class Connection;
  void acceptPending();
  void accept(int fd);
  void readNotice(Connection* c);
  void drop(Connection* c);
  bool holds(const Connection* c) const;

  QString folder_;
  QString socketPath_;
  int listenFd_ = -1;
  QSocketNotifier* listener_ = nullptr;
  std::vector<Connection*> held_;  // oldest first
};

}  // namespace vemla::ui
