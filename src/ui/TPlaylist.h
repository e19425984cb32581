#pragma once
// The playlist window: a borderless skinned window with the list `Listado`, its two popup
// menus, file drops, dragging with docking against the main window, and the one-shot start-up
// timer `Encendedor`.
//
// Row r of `Listado` shows entry r + 1. The core keeps the rows in step through its view, which
// forwards to appendRow/setRowText/removeRow/clearRows/selectRow/selectedRow.
//
// Files handed over (drops, the open dialog) are added one by one from the event loop, in the
// order given, so hundreds of files never freeze the window; a busy pointer shows meanwhile.
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "playlist/Text.h"

class QListView;
class QMenu;
class QLabel;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class GlyphButton;
class KeyDispatch;
class PlaylistRows;
class Skin;

class TPlaylist : public QWidget {
  Q_OBJECT

 public:
  explicit TPlaylist(core::Player& player, QWidget* parent = nullptr);
  ~TPlaylist() override;

  // Wiring, done once by the program entry when every window exists. The main window gives
  // the docking geometry and holds `Tinfo2`/`Tinfo3`; the other windows are shown by menus.
  void setMainWindow(QWidget* mainWindow);
  void setKeyDispatch(const KeyDispatch* dispatch);
  void setInfoWindow(QWidget* infoWindow);
  void setCdDialog(QWidget* cdDialog);

  // Rows of `Listado` (UTF-8 texts, rows from 0).
  void appendRow(const std::string& text);
  void appendRows(const std::vector<std::string>& texts);
  void appendRows(const std::vector<playlist::Text>& texts);  // shared, not copied
  void setRowText(int row, const std::string& text);
  void removeRow(int row);
  void clearRows();
  int rowCount() const;
  QString rowText(int row) const;
  void selectRow(int row);  // -1 clears the selection
  int selectedRow() const;  // -1 when nothing is selected

  // Commands the main window's menus share with this window's.
  void AddFromOpenDialog();
  void CargarLista2Click();
  void SalvarLista1Click();

  // Fills the main window's format lines from the current entry; the tray caption is kept
  // for the tray icon.
  void ShowNowPlayingInfo();
  QString trayCaption() const { return trayCaption_; }

  // Clamps to the screen and docks against the main window after a drag.
  void SnapPlaylistWindow();

  // Adds files (audio files and .m3u lists) in this order without blocking the event loop.
  void handOver(const QStringList& paths);
  bool handingOver() const { return !pending_.empty(); }

  QListView* Listado() const { return listado_; }
  QTimer* Encendedor() { return &encendedor_; }

 signals:
  // Every file of the hand-overs so far has been dealt with.
  void handOverDone();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void buildMenus();
  void EncendedorTimer();
  void PL_B_CerrarClick();
  void PL_IaMouseDown(Qt::MouseButton button, QPoint globalPos);
  void dragTo(QPoint globalPos);
  void endDrag(Qt::MouseButton button);
  bool ListadoMouseDown(QMouseEvent* event);
  void ListadoDblClick();
  bool ListadoKeyDown(QKeyEvent* event);
  void Informacin1Click();
  void QuitarCancion1Click();
  void showCdDialog();
  void rememberPosition();
  void handOverNext();
  void finishHandOver();

  core::Player& player_;
  std::unique_ptr<Skin> skin_;
  QPointer<QWidget> main_;
  QPointer<QWidget> info_;
  QPointer<QWidget> cd_;
  const KeyDispatch* keys_ = nullptr;

  PlaylistRows* rows_ = nullptr;
  QListView* listado_ = nullptr;
  QLabel* label1_ = nullptr;
  GlyphButton* menuButton_ = nullptr;
  GlyphButton* closeButton_ = nullptr;
  GlyphButton* maxButton_ = nullptr;
  QMenu* listaPopup_ = nullptr;
  QMenu* listaPopupAux_ = nullptr;
  QTimer encendedor_;
  QTimer handOverTimer_;
  std::deque<std::string> pending_;
  bool busyCursor_ = false;
  bool inHandOver_ = false;
  QString trayCaption_;

  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace vemla::ui
