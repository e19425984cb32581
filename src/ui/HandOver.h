#pragma once
// Paths handed from a new copy of the player to the copy already running ("Open with" on a
// running player), over the single-instance sockets (see SingleInstance.h).
//
// The new copy sends, on one connection, one line per path and then two closing lines:
//   open <path, percent-encoded>\n ... play\n sync\n
// "play" ends the batch: the running copy appends the batch and plays its first entry.
// "sync" asks for "ok\n" once every line before it was taken in; the new copy exits only after
// that answer, so a hung copy (which accepts connections in the kernel but never reads) loses
// nothing: the new copy gives up after its time budget and starts on its own.
#include <QObject>
#include <QString>
#include <string>
#include <vector>

namespace vemla::ui {

class SingleInstance;

// Blocks for at most `timeoutMs` in all (it runs before any window exists). True when a
// running copy in `folder` confirmed the paths; false when none runs or none answered in time.
// Socket files nobody listens on any more are removed on the way.
bool handOverPaths(const QString& folder, const std::vector<std::string>& paths,
                   int timeoutMs = 1000);

// The running copy's side: collects the "open" lines of a connection's batch and hands the
// batch on at its "play" line.
class HandOverReceiver : public QObject {
  Q_OBJECT

 public:
  explicit HandOverReceiver(SingleInstance& instance, QObject* parent = nullptr);

  // A batch holds at most this many paths; the rest of it is dropped (the list holds 40000).
  static constexpr size_t kMaxBatch = 40000;

 signals:
  void pathsReceived(const std::vector<std::string>& paths);

 private:
  void takeLine(const QByteArray& line);

  std::vector<std::string> batch_;
};

}  // namespace vemla::ui
