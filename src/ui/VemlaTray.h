#pragma once
// The notification-area icon `CoolTrayIcon1` with its menu `P_Tray`, and the moves between the
// main window and the mini window.
//
// Minimising (the main window's B_Min, the menu's "Mostrar/Esconder Ventana", or the window
// manager iconifying the main window) brings the mini window up and sends the main window AND
// the playlist window away; restoring brings back exactly the windows that were up and puts
// the mini window away.
//
// Where no notification area exists (QSystemTrayIcon::isSystemTrayAvailable() false, asked at
// each move), the player is never hidden beyond reach: the mini window still comes up, but the
// main window is iconified instead of hidden, so it keeps its task-bar entry, and the playlist
// window hides with it. Hiding the mini window then leaves the main window iconified in the
// task bar, and restoring it from there puts the mini window away and brings the playlist back.
// A tray that appears later is used from the next move on. The icon itself is created and
// shown in every case.
//
// Everything runs on the user-interface thread.
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class TFmini;
class TPlaylist;
class TVemlaMain;

class VemlaTray : public QObject {
  Q_OBJECT

 public:
  // The windows and the Player must outlive the tray. Sets the main window's minimise handler
  // and the mini window's "Maximizar" and "Ocultar MiniVemla" follow-ups.
  VemlaTray(core::Player& player, TVemlaMain& main, TPlaylist* playlist, TFmini& mini,
            QObject* parent = nullptr);
  ~VemlaTray() override;

  QSystemTrayIcon* CoolTrayIcon1() const { return icon_; }
  QMenu* P_Tray() const { return menu_; }
  // A menu item by its name ("cancion", "Play1", "VolumenActual01", ...).
  QAction* item(const char* name) const;

  // The icon's tool tip ("VemlaPlayer v1.0b" at start, then the started song's row text).
  void setHint(const QString& text);
  // The `cancion` item's caption, shown exactly (an "&" is not a shortcut mark).
  void setSongCaption(const QString& text);
  // Tests stand in for the desktop: whether a notification area is there.
  void setTrayProbe(std::function<bool()> probe) { probe_ = std::move(probe); }
  bool trayAvailable() const;
  // The main window is away: hidden in the tray, or iconified where there is none.
  bool mainAway() const { return away_; }

  // ---- Handlers ----
  void CoolTrayIcon1MinimizeToTray();
  void CoolTrayIcon1MouseDown();
  void CoolTrayIcon1DblClick();
  void MostrarEsconderVentana1Click();
  void MostrarMiniVemla1Click();
  void P_TrayPopup();
  void Silencio1Click();
  void Repetir2Click();
  void Aleatorio2Click();
  void Cerrar2Click();

  // ---- The icon component's operations ----
  // Raises the minimise steps, then sends the main window away (HideToTray).
  void minimizeApplication();
  // Main window visible, not minimised, in front; the playlist window back when it was up.
  void RestoreFromTray();
  // Main and playlist windows hidden (or the main window iconified, without a tray).
  void HideToTray();
  // A copy started later asks us to come to the front: everything back as after a restore.
  void restoreAll();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildMenu();
  QAction* add(QMenu* menu, const char* name, const QString& caption);
  bool mainShowing() const;
  void afterCommand();

  core::Player& player_;
  TVemlaMain& main_;
  QPointer<TPlaylist> playlist_;
  TFmini& mini_;
  QSystemTrayIcon* icon_ = nullptr;
  QMenu* menu_ = nullptr;
  std::function<bool()> probe_;
  QTimer leftClick_;  // a left click opens the menu unless it becomes a double click
  bool away_ = false;
  bool iconified_ = false;  // away in the task bar rather than in the tray
  bool playlistWasUp_ = false;
  bool inMove_ = false;
};

}  // namespace vemla::ui
