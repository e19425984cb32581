#include "ui/ObservedView.h"

namespace vemla::ui {

void ObservedView::SetTimeText(const std::string& text) {
  inner_.SetTimeText(text);
  changed();
}

void ObservedView::SetPositionKnob(bool visible, bool trackEnabled, int left) {
  inner_.SetPositionKnob(visible, trackEnabled, left);
  changed();
}

void ObservedView::SetVolumeKnob(int left) {
  inner_.SetVolumeKnob(left);
  changed();
}

void ObservedView::SetPlaybackTimers(bool running) {
  inner_.SetPlaybackTimers(running);
  changed();
}

void ObservedView::AppendRow(const std::string& text) {
  inner_.AppendRow(text);
  changed();
}

void ObservedView::AppendRows(const std::vector<std::string>& texts) {
  inner_.AppendRows(texts);
  changed();
}

void ObservedView::AppendRows(const std::vector<playlist::Text>& texts) {
  inner_.AppendRows(texts);
  changed();
}

void ObservedView::SetRowText(int row, const std::string& text) {
  inner_.SetRowText(row, text);
  changed();
}

void ObservedView::RemoveRow(int row) {
  inner_.RemoveRow(row);
  changed();
}

void ObservedView::ClearRows() {
  inner_.ClearRows();
  changed();
}

void ObservedView::SetTitleLine(const std::string& text) {
  inner_.SetTitleLine(text);
  changed();
}

void ObservedView::ShowNowPlayingInfo() {
  inner_.ShowNowPlayingInfo();
  changed();
}

}  // namespace vemla::ui
