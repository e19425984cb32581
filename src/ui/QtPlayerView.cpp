#include "ui/QtPlayerView.h"

#include <QMessageBox>
#include <QMetaObject>

#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"

namespace vemla::ui {

namespace {
QString q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

QtPlayerView::QtPlayerView(TVemlaMain& main, TPlaylist* playlist, QObject* parent)
    : QObject(parent), main_(&main), playlist_(playlist) {}

void QtPlayerView::setTrayHintHandler(std::function<void(const QString&)> handler) {
  trayHintHandler_ = std::move(handler);
  if (trayHintHandler_ && !trayHint_.isEmpty()) trayHintHandler_(trayHint_);
}

void QtPlayerView::SetTimeText(const std::string& text) {
  if (main_) main_->setTimeText(q(text));
}

void QtPlayerView::SetPositionKnob(bool visible, bool trackEnabled, int left) {
  if (main_) main_->setPositionKnob(visible, trackEnabled, left);
}

void QtPlayerView::SetVolumeKnob(int left) {
  if (main_) main_->setVolumeKnob(left);
}

void QtPlayerView::SetPlaybackTimers(bool running) {
  if (main_) main_->setPlaybackTimers(running);
}

void QtPlayerView::AppendRow(const std::string& text) {
  if (playlist_) playlist_->appendRow(text);
}

void QtPlayerView::AppendRows(const std::vector<std::string>& texts) {
  if (playlist_) playlist_->appendRows(texts);
}

void QtPlayerView::AppendRows(const std::vector<playlist::Text>& texts) {
  if (playlist_) playlist_->appendRows(texts);
}

void QtPlayerView::SetRowText(int row, const std::string& text) {
  if (playlist_) playlist_->setRowText(row, text);
}

void QtPlayerView::RemoveRow(int row) {
  if (playlist_) playlist_->removeRow(row);
}

void QtPlayerView::ClearRows() {
  if (playlist_) playlist_->clearRows();
}

void QtPlayerView::SelectRow(int row) {
  if (playlist_) {
    playlist_->selectRow(row);
  } else {
    selectedWithoutList_ = row;
  }
}

int QtPlayerView::SelectedRow() const {
  return playlist_ ? playlist_->selectedRow() : selectedWithoutList_;
}

void QtPlayerView::SetTitleLine(const std::string& text) {
  if (main_) main_->setTitleLine(q(text));
}

void QtPlayerView::SetTrayHint(const std::string& text) {
  trayHint_ = q(text);
  if (trayHintHandler_) trayHintHandler_(trayHint_);
}

void QtPlayerView::RestartTitleScroll(bool scroll) {
  if (main_) main_->restartTitleScroll(scroll);
}

void QtPlayerView::ShowNowPlayingInfo() {
  if (playlist_) playlist_->ShowNowPlayingInfo();
  if (nowPlaying_) nowPlaying_();
}

void QtPlayerView::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::Information, "VemlaPlayer", q(text), QMessageBox::Ok, main_);
  box.exec();
}

void QtPlayerView::PostToUiThread(std::function<void()> task) {
  // Queued onto this object's thread; dropped if the view is gone by then.
  QMetaObject::invokeMethod(
      this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

}  // namespace vemla::ui
