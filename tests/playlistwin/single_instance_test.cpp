// The notice a new copy of the player sends to the copies already running.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QSignalSpy>
#include <cstring>

#include "support/Fixtures.h"
#include "ui/SingleInstance.h"

namespace {

// A socket file nobody listens on, as a crashed copy leaves behind.
void makeDeadSocket(const QString& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  QByteArray p = QFile::encodeName(path);
  std::memcpy(addr.sun_path, p.constData(), static_cast<size_t>(p.size()));
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ::close(fd);
}

TEST(SingleInstance, NewCopyWakesTheRunningOneAndClearsDeadSockets) {
  QString folder = QString::fromStdString((vemla::test::tempDir() / "instances").string());
  vemla::ui::SingleInstance running(folder);
  ASSERT_TRUE(running.listen());
  struct stat st {};
  ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);

  QString dead = folder + "/999999999.sock";
  makeDeadSocket(dead);
  QFile junk(folder + "/junk.sock");  // a plain file is never connected to or removed
  ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
  junk.close();

  QSignalSpy restored(&running, &vemla::ui::SingleInstance::restoreRequested);
  // The new copy runs in the same process here, so it needs a socket name of its own.
  vemla::ui::SingleInstance newcomer(folder, "newcomer");
  QSignalSpy finished(&newcomer, &vemla::ui::SingleInstance::notifyFinished);
  EXPECT_EQ(newcomer.notifyOthers(), 2);
  ASSERT_TRUE(finished.count() > 0 || finished.wait(3000));
  ASSERT_TRUE(restored.count() > 0 || restored.wait(3000));
  EXPECT_EQ(restored.count(), 1);
  EXPECT_FALSE(QFile::exists(dead));
  EXPECT_TRUE(QFile::exists(folder + "/junk.sock"));
  EXPECT_TRUE(QFile::exists(running.socketPath()));
}

TEST(SingleInstance, NobodyElseRunning) {
  QString folder = QString::fromStdString((vemla::test::tempDir() / "alone").string());
  vemla::ui::SingleInstance only(folder);
  ASSERT_TRUE(only.listen());
  QSignalSpy finished(&only, &vemla::ui::SingleInstance::notifyFinished);
  EXPECT_EQ(only.notifyOthers(), 0);
  EXPECT_TRUE(finished.count() > 0 || finished.wait(1000));
}

}  // namespace
