#pragma once
// What the core asks the windows to show. The windows implement it (the main window's controls
// and the playlist window's list box `Listado`); tests implement it to record the requests.
//
// Every call but PostToUiThread comes from the user-interface thread. Rows count from 0 and the
// list box is the view of the playlist model: after every Player operation it has EntryCount
// rows and row r shows Entries[r + 1].DisplayLine.
#include <functional>
#include <string>
#include <vector>

#include "playlist/Text.h"

namespace vemla::core {

class PlayerView {
 public:
  virtual ~PlayerView() = default;

  // Main window's time display `Pant_tiempo`.
  virtual void SetTimeText(const std::string& text) = 0;
  // Position knob `bot_despl` (shown or hidden, left edge in window pixels) and its track
  // `Despl_pos` (enabled or not).
  virtual void SetPositionKnob(bool visible, bool trackEnabled, int left) = 0;
  // Volume knob `bot_vol` moved to `left` (the Player keeps the value in VolumeKnobLeft).
  virtual void SetVolumeKnob(int left) = 0;
  // Counter `Contador` and visualiser timer `Pant_FX`, always switched together.
  virtual void SetPlaybackTimers(bool running) = 0;

  // The list box `Listado`.
  virtual void AppendRow(const std::string& text) = 0;
  virtual void AppendRows(const std::vector<std::string>& texts) {
    for (const auto& t : texts) AppendRow(t);
  }
  // The entries' own row texts: a view that keeps them can share them instead of copying.
  virtual void AppendRows(const std::vector<playlist::Text>& texts) {
    AppendRows(std::vector<std::string>(texts.begin(), texts.end()));
  }
  virtual void SetRowText(int row, const std::string& text) = 0;
  virtual void RemoveRow(int row) = 0;
  virtual void ClearRows() = 0;
  virtual void SelectRow(int row) = 0;
  // First selected row, -1 when none.
  virtual int SelectedRow() const = 0;

  // Title line `Pant_titulo` and the tray icon's hint, both given the started entry's row text.
  virtual void SetTitleLine(const std::string& text) = 0;
  virtual void SetTrayHint(const std::string& text) = 0;
  // Title scrolling restarted: offsets were reset, both scroll timers get 2000 ms and run only
  // when `scroll` (the title has 27 characters or more).
  virtual void RestartTitleScroll(bool scroll) = 0;
  // Now-playing texts of the current entry (`Tinfo2`, `Tinfo3`, the tray's song item).
  virtual void ShowNowPlayingInfo() = 0;

  // A message for the user (Spanish text, shown in a message box).
  virtual void ShowMessage(const std::string& text) = 0;

  // Runs `task` later on the user-interface thread. Called from any thread (the audio layer's
  // end-of-track callback); must not block.
  virtual void PostToUiThread(std::function<void()> task) = 0;
};

// Shows nothing; posted tasks are dropped. What the Player uses before a window is attached.
class NullPlayerView : public PlayerView {
 public:
  void SetTimeText(const std::string&) override {}
  void SetPositionKnob(bool, bool, int) override {}
  void SetVolumeKnob(int) override {}
  void SetPlaybackTimers(bool) override {}
  void AppendRow(const std::string&) override {}
  void AppendRows(const std::vector<std::string>&) override {}
  void SetRowText(int, const std::string&) override {}
  void RemoveRow(int) override {}
  void ClearRows() override {}
  void SelectRow(int row) override { selected_ = row; }
  int SelectedRow() const override { return selected_; }
  void SetTitleLine(const std::string&) override {}
  void SetTrayHint(const std::string&) override {}
  void RestartTitleScroll(bool) override {}
  void ShowNowPlayingInfo() override {}
  void ShowMessage(const std::string&) override {}
  void PostToUiThread(std::function<void()>) override {}

 private:
  int selected_ = -1;
};

}  // namespace vemla::core
