#pragma once
// What the Player asks to be shown, done on the windows: the main window's controls and timers,
// and the rows of the playlist window's list `Listado`.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "core/PlayerView.h"

namespace vemla::ui {

class TPlaylist;
class TVemlaMain;

class QtPlayerView : public QObject, public core::PlayerView {
  Q_OBJECT

 public:
  // Both windows must outlive the view, or be gone before the Player speaks again.
  QtPlayerView(TVemlaMain& main, TPlaylist* playlist, QObject* parent = nullptr);

  void setPlaylistWindow(TPlaylist* playlist) { playlist_ = playlist; }
  // The tray icon's hint; kept until a tray is attached.
  void setTrayHintHandler(std::function<void(const QString&)> handler);
  QString trayHint() const { return trayHint_; }
  // Called after the now-playing texts were filled (the tray's song item reads them).
  void setNowPlayingHandler(std::function<void()> handler) { nowPlaying_ = std::move(handler); }

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
  void SelectRow(int row) override;
  int SelectedRow() const override;
  void SetTitleLine(const std::string& text) override;
  void SetTrayHint(const std::string& text) override;
  void RestartTitleScroll(bool scroll) override;
  void ShowNowPlayingInfo() override;
  void ShowMessage(const std::string& text) override;
  void PostToUiThread(std::function<void()> task) override;

 private:
  QPointer<TVemlaMain> main_;
  QPointer<TPlaylist> playlist_;
  std::function<void(const QString&)> trayHintHandler_;
  QString trayHint_;
  std::function<void()> nowPlaying_;
  int selectedWithoutList_ = -1;
};

}  // namespace vemla::ui
