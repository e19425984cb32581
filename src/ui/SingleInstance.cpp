#include "ui/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <algorithm>

namespace vemla::ui {

namespace {

constexpr char kNotice[] = "restore";

// The folder must be ours and closed to everyone else; a folder we cannot trust is not used.
bool makePrivateFolder(const QString& folder) {
  QByteArray path = QFile::encodeName(folder);
  if (!QDir().mkpath(folder)) return false;
  struct stat st {};
  if (::lstat(path.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
    return false;
  }
  if ((st.st_mode & 0777) != 0700 && ::chmod(path.constData(), 0700) != 0) return false;
  return true;
}

}  // namespace

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent), folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)) {
  if (name.isEmpty()) name = QString::number(::getpid());
  socketPath_ = folder_ + "/" + name + ".sock";
}

SingleInstance::~SingleInstance() {
  if (server_) {
    server_->close();
    QFile::remove(socketPath_);
  }
}

QString SingleInstance::defaultFolder() {
  QString base = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (base.isEmpty()) base = QDir::tempPath() + "/VemlaPlayer-" + QString::number(::getuid());
  return base + "/VemlaPlayer";
}

bool SingleInstance::listen() {
  if (!makePrivateFolder(folder_)) return false;
  // A socket file with our pid can only be a leftover of a copy that died.
  QLocalServer::removeServer(socketPath_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(socketPath_)) {
    delete server_;
    server_ = nullptr;
    return false;
  }
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* s = server_->nextPendingConnection()) accept(s);
  });
  return true;
}

void SingleInstance::accept(QLocalSocket* socket) {
  if (static_cast<int>(held_.size()) >= kMaxHeldConnections) drop(held_.front());
  held_.push_back(socket);
  socket->setReadBufferSize(kMaxNoticeBytes + 1);
  // A sender writes its lines at once and closes; one still open after this is idle or stuck.
  auto* idle = new QTimer(socket);
  idle->setSingleShot(true);
  connect(idle, &QTimer::timeout, this, [this, socket] { drop(socket); });
  connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
    readNotice(socket);
    drop(socket);
  });
  connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readNotice(socket); });
  idle->start(kIdleTimeoutMs);
  if (socket->bytesAvailable() > 0) readNotice(socket);
}

void SingleInstance::drop(QLocalSocket* socket) {
  auto it = std::find(held_.begin(), held_.end(), socket);
  if (it == held_.end()) return;
  held_.erase(it);
  for (QTimer* t : socket->findChildren<QTimer*>()) t->stop();
  socket->disconnect(this);
  socket->abort();
  socket->deleteLater();
}

void SingleInstance::readNotice(QLocalSocket* socket) {
  if (std::find(held_.begin(), held_.end(), socket) == held_.end()) return;
  while (socket->canReadLine()) {
    QByteArray line = socket->readLine(kMaxNoticeBytes + 1);
    if (!line.endsWith('\n')) {
      drop(socket);  // longer than any request of ours
      return;
    }
    line.chop(1);
    if (line == kNotice) {
      emit restoreRequested();
    } else if (line == "sync") {
      // Every line before it was handed on: the sender may now leave.
      socket->write("ok\n");
      socket->flush();
    } else if (!line.isEmpty()) {
      emit lineReceived(line);
    }
    // A slot may have dropped the connection.
    if (std::find(held_.begin(), held_.end(), socket) == held_.end()) return;
  }
  // Past the limit without a line end: nothing of ours is that long.
  if (socket->bytesAvailable() > kMaxNoticeBytes) drop(socket);
}

int SingleInstance::notifyOthers(int timeoutMs) {
  QDir dir(folder_);
  const QFileInfoList entries = dir.entryInfoList({"*.sock"}, QDir::System | QDir::Files);
  int tried = 0;
  for (const QFileInfo& info : entries) {
    QString path = info.absoluteFilePath();
    if (path == socketPath_) continue;
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISSOCK(st.st_mode) ||
        st.st_uid != ::getuid()) {
      continue;
    }
    ++tried;
    ++outstanding_;
    auto* socket = new QLocalSocket(this);
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    auto finish = [this, socket, timer] {
      timer->stop();
      socket->disconnect(this);
      socket->abort();
      socket->deleteLater();
      oneNoticeDone();
    };
    connect(socket, &QLocalSocket::connected, this, [socket] {
      socket->write(QByteArray(kNotice) + '\n');
      socket->flush();
    });
    connect(socket, &QLocalSocket::bytesWritten, this, [finish] { finish(); });
    connect(socket, &QLocalSocket::errorOccurred, this,
            [finish, path](QLocalSocket::LocalSocketError error) {
              // Nobody listens there any more: the copy that made it is gone.
              if (error == QLocalSocket::ConnectionRefusedError ||
                  error == QLocalSocket::ServerNotFoundError) {
                QFile::remove(path);
              }
              finish();
            });
    connect(timer, &QTimer::timeout, this, [finish] { finish(); });
    timer->start(timeoutMs);
    socket->connectToServer(path);
  }
  if (outstanding_ == 0) QTimer::singleShot(0, this, [this] { emit notifyFinished(); });
  return tried;
}

void SingleInstance::oneNoticeDone() {
  if (--outstanding_ == 0) emit notifyFinished();
}

}  // namespace vemla::ui
