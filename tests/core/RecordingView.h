#pragma once
// A PlayerView that keeps what the core asked for: the rows of the list box, the texts, the
// timers, the messages, and the tasks posted to the "UI thread", which a test runs with Pump.
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/PlayerView.h"

namespace vemla::test {

class RecordingView : public core::PlayerView {
 public:
  std::vector<std::string> rows;
  int selected = -1;
  std::string timeText = "-";
  bool knobVisible = false;
  bool trackEnabled = false;
  int knobLeft = -1;
  int volumeKnob = -1;
  bool timers = false;
  std::string title;
  std::string trayHint;
  int scrollRestarts = 0;
  bool scrolling = false;
  int nowPlaying = 0;
  std::vector<std::string> messages;

  void SetTimeText(const std::string& t) override { timeText = t; }
  void SetPositionKnob(bool visible, bool enabled, int left) override {
    knobVisible = visible;
    trackEnabled = enabled;
    knobLeft = left;
  }
  void SetVolumeKnob(int left) override { volumeKnob = left; }
  void SetPlaybackTimers(bool running) override { timers = running; }
  void AppendRow(const std::string& t) override { rows.push_back(t); }
  void SetRowText(int row, const std::string& t) override { rows.at(static_cast<size_t>(row)) = t; }
  void RemoveRow(int row) override {
    rows.erase(rows.begin() + row);
    if (selected >= static_cast<int>(rows.size())) selected = -1;
  }
  void ClearRows() override {
    rows.clear();
    selected = -1;
  }
  void SelectRow(int row) override { selected = row; }
  int SelectedRow() const override { return selected; }
  void SetTitleLine(const std::string& t) override { title = t; }
  void SetTrayHint(const std::string& t) override { trayHint = t; }
  void RestartTitleScroll(bool scroll) override {
    ++scrollRestarts;
    scrolling = scroll;
  }
  void ShowNowPlayingInfo() override { ++nowPlaying; }
  void ShowMessage(const std::string& t) override { messages.push_back(t); }
  void PostToUiThread(std::function<void()> task) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(std::move(task));
  }

  // Runs the posted tasks (and those they post) in order; returns how many ran.
  int Pump() {
    int n = 0;
    while (true) {
      std::vector<std::function<void()>> batch;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        batch.swap(posted_);
      }
      if (batch.empty()) return n;
      for (auto& t : batch) {
        t();
        ++n;
      }
    }
  }
  size_t Pending() {
    std::lock_guard<std::mutex> lock(mutex_);
    return posted_.size();
  }

 private:
  std::mutex mutex_;
  std::vector<std::function<void()>> posted_;
};

}  // namespace vemla::test
