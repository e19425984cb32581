#pragma once
// Unix-domain stream sockets for the single-instance notices (SingleInstance.h, HandOver.h),
// on the system calls themselves: the toolkit's network module and its dependencies took longer
// to load at every start than all the notices of a session take.
#include <QByteArray>
#include <QDeadlineTimer>

namespace vemla::ui::local {

// A non-blocking, close-on-exec socket connected to `path`, or -1 with errno set: ECONNREFUSED
// when nobody listens there any more, ENOENT when there is no such socket, EAGAIN when the
// listener has more connections waiting than it takes.
int Connect(const QByteArray& path);

// Whether `path` is a socket owned by this user: another copy's, never anyone else's.
bool IsOwnSocket(const QByteArray& path);

// Connect() to another copy's socket; one nobody listens on any more (its copy is gone) is
// removed on the way.
int ConnectToCopy(const QByteArray& path);

// A non-blocking, close-on-exec socket listening on `path` (which must not exist), readable and
// writable by this user only; -1 when it cannot be made.
int Listen(const QByteArray& path);

// Writes all of `data`, waiting for room until `deadline`; false on error or time out. A peer
// that went away is an error, never a signal.
bool WriteAll(int fd, const QByteArray& data, QDeadlineTimer deadline);

// Appends what can be read now, up to `limit` bytes in `to`. Returns false at the end of the
// stream or on an error (what was read before stays in `to`).
bool ReadAvailable(int fd, QByteArray& to, qsizetype limit);

// Waits at most `timeoutMs` for `fd` to be readable; false on time out.
bool WaitReadable(int fd, int timeoutMs);

}  // namespace vemla::ui::local
