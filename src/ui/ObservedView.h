#pragma once
// A PlayerView that passes every request on to the windows' view and tells a listener that
// what the player shows may have changed (a start, a stop, a pause, the volume, the list, the
// time each second while playing). The listener coalesces; nothing here polls.
#include <functional>

#include "core/PlayerView.h"

namespace vemla::ui {

class ObservedView : public core::PlayerView {
 public:
  // `inner` must outlive this view.
  ObservedView(core::PlayerView& inner, std::function<void()> changed)
      : inner_(inner), changed_(std::move(changed)) {}

  void SetTimeText(const std::string& text) override;
  void SetPositionKnob(bool visible, bool trackEnabled, int left) override;
  void SetVolumeKnob(int left) override;
  void SetPlaybackTimers(bool running) override;
  void AppendRow(const std::string& text) override;
  void AppendRows(const std::vector<std::string>& texts) override;
  void AppendRows(const std::vector<playlist::Text>& texts) override;
  void SetRowText(int row, const std::string& text) override;
  void RemoveRow(int row) override;
  void ClearRows() override;
  void SelectRow(int row) override { inner_.SelectRow(row); }
  int SelectedRow() const override { return inner_.SelectedRow(); }
  void SetTitleLine(const std::string& text) override;
  void SetTrayHint(const std::string& text) override { inner_.SetTrayHint(text); }
  void RestartTitleScroll(bool scroll) override { inner_.RestartTitleScroll(scroll); }
  void ShowNowPlayingInfo() override;
  void ShowMessage(const std::string& text) override { inner_.ShowMessage(text); }
  void PostToUiThread(std::function<void()> task) override {
    inner_.PostToUiThread(std::move(task));
  }

 private:
  void changed() {
    if (changed_) changed_();
  }

  core::PlayerView& inner_;
  std::function<void()> changed_;
};

}  // namespace vemla::ui
