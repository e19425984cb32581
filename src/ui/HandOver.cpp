#include "ui/HandOver.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>

#include "ui/LocalSocket.h"
#include "ui/SingleInstance.h"

namespace vemla::ui {

namespace {

constexpr char kOpen[] = "open ";

QByteArray requestFor(const std::vector<std::string>& paths) {
  QByteArray out;
  for (const std::string& p : paths) {
    // Everything but "/" and unreserved characters is encoded: a newline in a file name must
    // not end the line, and the bytes need not be UTF-8.
    out += kOpen + QByteArray::fromStdString(p).toPercentEncoding("/") + '\n';
  }
  out += "play\nsync\n";
  return out;
}

// One running copy: true once it answered "ok".
bool sendTo(const QString& path, const QByteArray& request, const QElapsedTimer& clock,
            int timeoutMs) {
  auto left = [&] { return std::max(0, timeoutMs - static_cast<int>(clock.elapsed())); };
  const int fd = local::ConnectToCopy(QFile::encodeName(path));
  if (fd < 0) return false;
  bool answered = false;
  if (local::WriteAll(fd, request, QDeadlineTimer(left()))) {
    QByteArray answer;
    while (!answered && left() > 0 && local::WaitReadable(fd, left())) {
      const bool open = local::ReadAvailable(fd, answer, 64);
      answered = answer.contains("ok\n");
      if (!open || answer.size() >= 64) break;  // a copy of ours answers nothing else
    }
  }
  ::close(fd);
  return answered;
}

}  // namespace

bool handOverPaths(const QString& folder, const std::vector<std::string>& paths, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  const QByteArray request = requestFor(paths);
  const QFileInfoList entries =
      QDir(folder).entryInfoList({"*.sock"}, QDir::System | QDir::Files, QDir::Time);
  for (const QFileInfo& info : entries) {
    if (clock.elapsed() >= timeoutMs) break;
    const QString path = info.absoluteFilePath();
    if (!local::IsOwnSocket(QFile::encodeName(path))) continue;
    if (sendTo(path, request, clock, timeoutMs)) return true;
  }
  return false;
}

HandOverReceiver::HandOverReceiver(SingleInstance& instance, QObject* parent) : QObject(parent) {
  connect(&instance, &SingleInstance::lineReceived, this, &HandOverReceiver::takeLine);
}

void HandOverReceiver::takeLine(const QByteArray& line) {
  if (line.startsWith(kOpen)) {
    if (batch_.size() < kMaxBatch) {
      batch_.push_back(QByteArray::fromPercentEncoding(line.mid(sizeof kOpen - 1)).toStdString());
    }
  } else if (line == "play") {
    std::vector<std::string> paths;
    paths.swap(batch_);
    if (!paths.empty()) emit pathsReceived(paths);
  }
}

}  // namespace vemla::ui
