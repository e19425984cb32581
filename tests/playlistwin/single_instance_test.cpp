// The notice a new copy of the player sends to the copies already running.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFile>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QTest>
#include <cstring>
#include <memory>
#include <vector>

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
  // A busy machine may take long to deliver the notice; the default timeout suits a start-up.
  EXPECT_EQ(newcomer.notifyOthers(), 2);
  ASSERT_TRUE(finished.count() > 0 || finished.wait(60000));
  ASSERT_TRUE(restored.count() > 0 || restored.wait(60000));
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
  EXPECT_TRUE(finished.count() > 0 || finished.wait(60000));
}

TEST(SingleInstance, IdleConnectionsAreCappedAndTimedOut) {
  using vemla::ui::SingleInstance;
  QString folder = QString::fromStdString((vemla::test::tempDir() / "idle").string());
  SingleInstance running(folder);
  ASSERT_TRUE(running.listen());
  QSignalSpy restored(&running, &SingleInstance::restoreRequested);

  const int extra = 4;
  std::vector<std::unique_ptr<QLocalSocket>> idle;
  for (int i = 0; i < SingleInstance::kMaxHeldConnections + extra; ++i) {
    idle.push_back(std::make_unique<QLocalSocket>());
    idle.back()->connectToServer(running.socketPath());
    ASSERT_TRUE(idle.back()->waitForConnected(60000));
  }
  auto closedCount = [&] {
    int n = 0;
    for (auto& s : idle) n += s->state() == QLocalSocket::UnconnectedState;
    return n;
  };
  // The oldest silent ones make room as more arrive; never more than the cap are held.
  ASSERT_TRUE(QTest::qWaitFor([&] { return closedCount() >= extra; }, 60000));
  EXPECT_LE(running.heldConnections(), SingleInstance::kMaxHeldConnections);

  // A real notice still gets through while the silent ones are held.
  SingleInstance newcomer(folder, "newcomer");
  newcomer.notifyOthers();
  ASSERT_TRUE(QTest::qWaitFor([&] { return restored.count() == 1; }, 60000));

  // Silence ends every connection.
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return closedCount() == static_cast<int>(idle.size()); }, 60000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return running.heldConnections() == 0; }, 60000));
}

TEST(SingleInstance, EachLineIsOneRequestAndARunawayPeerIsCutOff) {
  using vemla::ui::SingleInstance;
  QString folder = QString::fromStdString((vemla::test::tempDir() / "lines").string());
  SingleInstance running(folder);
  ASSERT_TRUE(running.listen());
  QSignalSpy restored(&running, &SingleInstance::restoreRequested);
  QSignalSpy lines(&running, &SingleInstance::lineReceived);
  QLocalSocket peer;
  peer.connectToServer(running.socketPath());
  ASSERT_TRUE(peer.waitForConnected(60000));
  // Split across writes, an empty line, and a last line never ended.
  peer.write("rest");
  peer.flush();
  QCoreApplication::processEvents();
  peer.write("ore\nopen /m\xc3\xbasica/a b.mp3\n\nunfinished");
  peer.flush();
  peer.disconnectFromServer();
  // Nothing answers, so the request is done once its lines arrived and the connection is gone.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return lines.count() >= 1 && running.heldConnections() == 0; }, 60000));
  EXPECT_EQ(restored.count(), 1);
  ASSERT_EQ(lines.count(), 1);
  EXPECT_EQ(lines.at(0).at(0).toByteArray(), QByteArray("open /m\xc3\xbasica/a b.mp3"));

  // A peer sending more than any request of ours without a line end is cut off, and nothing it
  // sends after that is taken.
  QLocalSocket runaway;
  runaway.connectToServer(running.socketPath());
  ASSERT_TRUE(runaway.waitForConnected(60000));
  runaway.write(QByteArray(SingleInstance::kMaxNoticeBytes + 100, 'x') + "\nrestore\n");
  runaway.flush();
  // Closed by the running copy: at once here, or when idle had the limit been missed.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return runaway.state() == QLocalSocket::UnconnectedState; }, 60000));
  EXPECT_EQ(running.heldConnections(), 0);
  EXPECT_EQ(restored.count(), 1);
  EXPECT_EQ(lines.count(), 1);
}

}  // namespace
