#include "ui/LocalSocket.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vemla::ui::local {

namespace {

bool addressFor(const QByteArray& path, sockaddr_un& addr) {
  addr = {};
  addr.sun_family = AF_UNIX;
  if (path.isEmpty() || static_cast<size_t>(path.size()) >= sizeof addr.sun_path) {
    errno = ENAMETOOLONG;
    return false;
  }
  std::memcpy(addr.sun_path, path.constData(), static_cast<size_t>(path.size()));
  return true;
}

int newSocket() { return ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0); }

bool waitFor(int fd, short events, int timeoutMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = ::poll(&p, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (n >= 0) return n > 0;
    if (errno != EINTR) return false;
  }
}

}  // namespace

int Connect(const QByteArray& path) {
  sockaddr_un addr;
  if (!addressFor(path, addr)) return -1;
  const int fd = newSocket();
  if (fd < 0) return -1;
  // A local connect completes at once or not at all; there is nothing to wait for.
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
  }
  return fd;
}

bool IsOwnSocket(const QByteArray& path) {
  struct stat st {};
  return ::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::getuid();
}

int ConnectToCopy(const QByteArray& path) {
  const int fd = Connect(path);
  if (fd < 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
    const int error = errno;
    ::unlink(path.constData());
    errno = error;
  }
  return fd;
}

int Listen(const QByteArray& path) {
  sockaddr_un addr;
  if (!addressFor(path, addr)) return -1;
  const int fd = newSocket();
  if (fd < 0) return -1;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 ||
      ::chmod(path.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool WriteAll(int fd, const QByteArray& data, QDeadlineTimer deadline) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n =
        ::send(fd, data.constData() + done, static_cast<size_t>(data.size() - done), MSG_NOSIGNAL);
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitFor(fd, POLLOUT, static_cast<int>(deadline.remainingTime()))) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool ReadAvailable(int fd, QByteArray& to, qsizetype limit) {
  char buffer[4096];
  while (to.size() < limit) {
    const size_t room = static_cast<size_t>(std::min<qsizetype>(sizeof buffer, limit - to.size()));
    const ssize_t n = ::read(fd, buffer, room);
    if (n > 0) {
      to.append(buffer, n);
    } else if (n == 0) {
      return false;
    } else if (errno == EINTR) {
      continue;
    } else {
      return errno == EAGAIN || errno == EWOULDBLOCK;
    }
  }
  return true;
}

bool WaitReadable(int fd, int timeoutMs) { return waitFor(fd, POLLIN, timeoutMs); }

}  // namespace vemla::ui::local
