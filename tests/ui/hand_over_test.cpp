// A new copy hands its files to the running one: every path arrives whole and in order, and a
// copy that does not answer is given up.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <atomic>
#include <cstring>
#include <thread>

#include "support/Fixtures.h"
#include "ui/HandOver.h"
#include "ui/SingleInstance.h"

using vemla::ui::handOverPaths;

namespace {

QString folderFor(const char* name) {
  return QString::fromStdString((vemla::test::tempDir() / name).string());
}

// Runs the (blocking) sending side on its own thread while this one serves the receiver.
bool handOverServed(const QString& folder, const std::vector<std::string>& paths, int timeoutMs) {
  std::atomic<int> result{-1};
  std::thread sender([&] { result = handOverPaths(folder, paths, timeoutMs) ? 1 : 0; });
  while (result < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  sender.join();
  return result == 1;
}

// A socket that accepts connections in the kernel but whose owner never reads: a hung copy.
int listenWithoutReading(const QString& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  QByteArray p = QFile::encodeName(path);
  std::memcpy(addr.sun_path, p.constData(), static_cast<size_t>(p.size()));
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 4) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

TEST(HandOver, TwoHundredPathsArriveWholeAndInOrderAsOneBatch) {
  const QString folder = folderFor("running");
  vemla::ui::SingleInstance running(folder);
  ASSERT_TRUE(running.listen());
  vemla::ui::HandOverReceiver receiver(running);
  std::vector<std::vector<std::string>> batches;
  QObject::connect(&receiver, &vemla::ui::HandOverReceiver::pathsReceived,
                   [&](const std::vector<std::string>& b) { batches.push_back(b); });

  std::vector<std::string> paths;
  // Long enough together that the running copy takes them in over several reads.
  for (int i = 0; i < 200; ++i) {
    paths.push_back("/music/" + std::string(400, char('a' + i % 26)) + std::to_string(i) + ".mp3");
  }
  paths[3] = "/m\xfasica/ca\xf1\xf3n \xe9t\xe9.mp3";    // Latin-1 bytes, not UTF-8
  paths[4] = "/odd/new\nline %41%% +plus&.ogg";          // a newline and percent signs
  paths[5] = "/long/" + std::string(3000, 'x') + ".wav";
  paths[6] = "/dos/open play\r\nsync.mp3";
  ASSERT_TRUE(handOverServed(folder, paths, 10000));
  // "ok" came after the lines were handed on, so the batch is already here.
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0], paths);
}

TEST(HandOver, NobodyRunningOrAHungCopyIsGivenUp) {
  const QString folder = folderFor("hung");
  {
    vemla::ui::SingleInstance gone(folder);  // makes the private folder and leaves
    ASSERT_TRUE(gone.listen());
  }
  EXPECT_FALSE(handOverPaths(folder, {"/a.mp3"}, 500));

  const int hung = listenWithoutReading(folder + "/12345.sock");
  ASSERT_GE(hung, 0);
  EXPECT_FALSE(handOverPaths(folder, {"/a.mp3"}, 1000));
  EXPECT_TRUE(QFile::exists(folder + "/12345.sock")) << "a hung copy's socket stays";
  ::close(hung);
  EXPECT_FALSE(handOverPaths(folder, {"/a.mp3"}, 1000));
  EXPECT_FALSE(QFile::exists(folder + "/12345.sock")) << "a dead copy's socket is removed";
}

}  // namespace
