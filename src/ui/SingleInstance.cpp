#include "ui/SingleInstance.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "ui/LocalSocket.h"

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

// One accepted connection: its socket, what came in and is not a whole line yet, and the timer
// that ends it when idle.
class SingleInstance::Connection : public QObject {
 public:
  Connection(int fd, QObject* parent)
      : QObject(parent), fd_(fd), notifier_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {}
  ~Connection() override { close(); }

  int fd() const { return fd_; }
  QSocketNotifier* notifier() const { return notifier_; }
  QByteArray buffer;
  bool ended = false;  // the peer closed its side

  void close() {
    if (fd_ < 0) return;
    notifier_->setEnabled(false);  // never watch a descriptor after it is closed
    ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
  QSocketNotifier* notifier_;
};

SingleInstance::SingleInstance(QString folder, QString name, QObject* parent)
    : QObject(parent), folder_(folder.isEmpty() ? defaultFolder() : std::move(folder)) {
  if (name.isEmpty()) name = QString::number(::getpid());
  socketPath_ = folder_ + "/" + name + ".sock";
}

SingleInstance::~SingleInstance() {
  for (Connection* c : held_) delete c;
  if (listenFd_ >= 0) {
    listener_->setEnabled(false);
    ::close(listenFd_);
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
  const QByteArray path = QFile::encodeName(socketPath_);
  ::unlink(path.constData());
  listenFd_ = local::Listen(path);
  if (listenFd_ < 0) return false;
  listener_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, this);
  connect(listener_, &QSocketNotifier::activated, this, [this] { acceptPending(); });
  return true;
}

void SingleInstance::acceptPending() {
  for (;;) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd >= 0) {
      accept(fd);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
      return;
    } else if (errno != EINTR && errno != ECONNABORTED) {
      // Out of descriptors or memory: the waiting connection keeps the socket readable, so
      // pause rather than spin on it.
      listener_->setEnabled(false);
      QTimer::singleShot(kIdleTimeoutMs, this, [this] { listener_->setEnabled(true); });
      return;
    }
  }
}

void SingleInstance::accept(int fd) {
  if (static_cast<int>(held_.size()) >= kMaxHeldConnections) drop(held_.front());
  auto* c = new Connection(fd, this);
  held_.push_back(c);
  // A sender writes its lines at once and closes; one still open after this is idle or stuck.
  auto* idle = new QTimer(c);
  idle->setSingleShot(true);
  connect(idle, &QTimer::timeout, this, [this, c] { drop(c); });
  connect(c->notifier(), &QSocketNotifier::activated, this, [this, c] { readNotice(c); });
  idle->start(kIdleTimeoutMs);
}

bool SingleInstance::holds(const Connection* c) const {
  return std::find(held_.begin(), held_.end(), c) != held_.end();
}

void SingleInstance::drop(Connection* c) {
  auto it = std::find(held_.begin(), held_.end(), c);
  if (it == held_.end()) return;
  held_.erase(it);
  for (QTimer* t : c->findChildren<QTimer*>()) t->stop();
  c->close();
  c->deleteLater();
}

void SingleInstance::readNotice(Connection* c) {
  if (!holds(c)) return;
  c->ended = !local::ReadAvailable(c->fd(), c->buffer, kMaxNoticeBytes + 1) || c->ended;
  qsizetype from = 0;
  for (qsizetype end; (end = c->buffer.indexOf('\n', from)) >= 0; from = end + 1) {
    const QByteArray line = c->buffer.mid(from, end - from);
    if (line == kNotice) {
      emit restoreRequested();
    } else if (line == "sync") {
      // Every line before it was handed on: the sender may now leave.
      local::WriteAll(c->fd(), "ok\n", QDeadlineTimer(0));
    } else if (!line.isEmpty()) {
      emit lineReceived(line);
    }
    // A slot may have dropped the connection.
    if (!holds(c)) return;
  }
  c->buffer.remove(0, from);
  // Past the limit without a line end: nothing of ours is that long. A closed peer's unended
  // last line is not a request.
  if (c->ended || c->buffer.size() > kMaxNoticeBytes) drop(c);
}

int SingleInstance::notifyOthers() {
  QDir dir(folder_);
  const QFileInfoList entries = dir.entryInfoList({"*.sock"}, QDir::System | QDir::Files);
  int tried = 0;
  for (const QFileInfo& info : entries) {
    QString path = info.absoluteFilePath();
    if (path == socketPath_) continue;
    const QByteArray name = QFile::encodeName(path);
    if (!local::IsOwnSocket(name)) continue;
    ++tried;
    const int fd = local::ConnectToCopy(name);
    if (fd < 0) continue;
    local::WriteAll(fd, QByteArray(kNotice) + '\n', QDeadlineTimer(0));
    ::close(fd);
  }
  QTimer::singleShot(0, this, [this] { emit notifyFinished(); });
  return tried;
}

}  // namespace vemla::ui
