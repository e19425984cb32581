// The tray icon, its menu and the minimise and restore steps shared with the mini window.
#include "ui/VemlaTray.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QResource>
#include <QSystemTrayIcon>
#include <QWidget>

#include "core/Player.h"
#include "ui/MiniGeometry.h"
#include "ui/QtSettingsWindows.h"
#include "ui/RawPicture.h"
#include "ui/Skin.h"
#include "ui/TFmini.h"
#include "ui/TPlaylist.h"
#include "ui/TVemlaMain.h"
#include "ui/VolumeKnob.h"

namespace vemla::ui {

namespace {
QIcon programIcon() {
  const Skin registersTheResources;
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128}) {
    icon.addPixmap(QPixmap::fromImage(DecodeRawPicture(
        QResource(QStringLiteral(":/skin/tray_%1.raw").arg(size)).uncompressedData())));
  }
  return icon;
}
}  // namespace

VemlaTray::VemlaTray(core::Player& player, TVemlaMain& main, TPlaylist* playlist, TFmini& mini,
                     QObject* parent)
    : QObject(parent), player_(player), main_(main), playlist_(playlist), mini_(mini) {
  setObjectName("CoolTrayIcon1");
  icon_ = new QSystemTrayIcon(programIcon(), this);
  icon_->setObjectName("CoolTrayIcon1");
  buildMenu();
  icon_->setContextMenu(menu_);
  setHint("VemlaPlayer v1.0b");

  leftClick_.setSingleShot(true);
  leftClick_.setInterval(QApplication::doubleClickInterval());
  connect(&leftClick_, &QTimer::timeout, this, [this] { menu_->popup(QCursor::pos()); });
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    switch (r) {
      case QSystemTrayIcon::Trigger:
        CoolTrayIcon1MouseDown();
        leftClick_.start();
        break;
      case QSystemTrayIcon::Context:
        // The context menu opens by itself.
        CoolTrayIcon1MouseDown();
        break;
      case QSystemTrayIcon::DoubleClick:
        leftClick_.stop();
        CoolTrayIcon1DblClick();
        break;
      default:
        break;
    }
  });

  main_.setMinimizeHandler([this] { minimizeApplication(); });
  main_.installEventFilter(this);
  mini_.setRestoreHandler([this] { RestoreFromTray(); });
  mini_.setHiddenHandler([this] {
    // Nothing would be left to reach the player by: keep the main window in the task bar.
    if (away_ && !iconified_ && !trayAvailable()) HideToTray();
  });
  icon_->show();
}

VemlaTray::~VemlaTray() { main_.removeEventFilter(this); }

QAction* VemlaTray::add(QMenu* menu, const char* name, const QString& caption) {
  QAction* a = menu->addAction(caption);
  a->setObjectName(name);
  return a;
}

QAction* VemlaTray::item(const char* name) const {
  return menu_->findChild<QAction*>(QString::fromLatin1(name));
}

void VemlaTray::buildMenu() {
  menu_ = new QMenu(&main_);
  menu_->setObjectName("P_Tray");
  QAction* cancion = add(menu_, "cancion", QString());
  cancion->setEnabled(false);
  setSongCaption(QString::fromUtf8("Cancion nº 0 = \"...\""));

  QMenu* play = menu_->addMenu(QString::fromUtf8("Reproducción"));
  play->setObjectName("Reproduccin1");
  play->menuAction()->setObjectName("Reproduccin1");
  auto command = [this](QAction* a, std::function<void()> f) {
    connect(a, &QAction::triggered, this, [this, f = std::move(f)] {
      f();
      afterCommand();
    });
  };
  command(add(play, "Play1", "Play"), [this] { player_.PlaySelected(); });
  command(add(play, "Stop1", "Pausa"), [this] { player_.TogglePause(); });
  command(add(play, "Anterior1", "<< Anterior"), [this] { player_.PlayPrevious(); });
  command(add(play, "Siguiente2", "Siguiente >>"), [this] { player_.PlayNext(); });
  command(add(play, "Stop2", "Stop"), [this] { player_.StopPlayback(); });
  menu_->addSeparator()->setObjectName("N14");
  connect(add(menu_, "MostrarMiniVemla1", "Mostrar/Esconder MiniVemla"), &QAction::triggered, this,
          &VemlaTray::MostrarMiniVemla1Click);
  connect(add(menu_, "MostrarEsconderVentana1", "Mostrar/Esconder Ventana"), &QAction::triggered,
          this, &VemlaTray::MostrarEsconderVentana1Click);
  menu_->addSeparator()->setObjectName("N15");
  add(menu_, "VolumenActual01", "Volumen Actual: 0%")->setEnabled(false);

  QMenu* volume = menu_->addMenu("Volumen");
  volume->setObjectName("Volumen1");
  volume->menuAction()->setObjectName("Volumen1");
  connect(add(volume, "Silencio1", "Silencio"), &QAction::triggered, this,
          &VemlaTray::Silencio1Click);
  const std::pair<const char*, int> presets[] = {
      {"N101", 10}, {"N251", 25}, {"N501", 50}, {"N751", 75}, {"Maximo1", 100}};
  for (const auto& [name, percent] : presets) {
    const QString caption = percent == 100 ? QString("Maximo") : QString("%1%").arg(percent);
    command(add(volume, name, caption), [this, p = percent] { main_.SetVolumePercent(p); });
  }
  menu_->addSeparator()->setObjectName("N12");
  QAction* repeat = add(menu_, "Repetir2", "Repetir");
  repeat->setCheckable(true);
  connect(repeat, &QAction::triggered, this, &VemlaTray::Repetir2Click);
  QAction* random = add(menu_, "Aleatorio2", "Aleatorio");
  random->setCheckable(true);
  random->setChecked(true);
  connect(random, &QAction::triggered, this, &VemlaTray::Aleatorio2Click);
  menu_->addSeparator()->setObjectName("N13");
  connect(add(menu_, "Cerrar2", "Cerrar"), &QAction::triggered, this, &VemlaTray::Cerrar2Click);
  connect(menu_, &QMenu::aboutToShow, this, &VemlaTray::P_TrayPopup);
}

void VemlaTray::setHint(const QString& text) { icon_->setToolTip(text); }

void VemlaTray::setSongCaption(const QString& text) {
  QString shown = text;
  shown.replace(QLatin1Char('&'), QLatin1String("&&"));
  item("cancion")->setText(shown);
}

bool VemlaTray::trayAvailable() const {
  return probe_ ? probe_() : QSystemTrayIcon::isSystemTrayAvailable();
}

bool VemlaTray::mainShowing() const { return main_.isVisible() && !main_.isMinimized(); }

// The mini window shows what the commands changed (its play glyph, mute glyph and dots).
void VemlaTray::afterCommand() { mini_.syncFromPlayer(); }

// ---- Minimise and restore ----

void VemlaTray::CoolTrayIcon1MinimizeToTray() {
  if (player_.MiniShown) return;
  if (!player_.MiniPrimed) {
    mini_.showHideShow();
    player_.MiniPrimed = 1;
  }
  mini_.bringUp();
}

void VemlaTray::minimizeApplication() {
  CoolTrayIcon1MinimizeToTray();
  HideToTray();
}

void VemlaTray::HideToTray() {
  inMove_ = true;
  if (!away_) playlistWasUp_ = playlist_ && playlist_->isVisible();
  away_ = true;
  if (playlist_) playlist_->hide();
  if (trayAvailable()) {
    iconified_ = false;
    main_.hide();
  } else {
    iconified_ = true;
    if (!main_.isVisible()) main_.show();
    main_.showMinimized();
  }
  inMove_ = false;
}

void VemlaTray::RestoreFromTray() {
  inMove_ = true;
  const bool bringPlaylist = away_ && playlistWasUp_;
  away_ = false;
  iconified_ = false;
  main_.setWindowState(main_.windowState() & ~Qt::WindowMinimized);
  main_.show();
  main_.raise();
  main_.activateWindow();
  if (bringPlaylist && playlist_) {
    playlist_->show();
    playlist_->raise();
  }
  inMove_ = false;
}

void VemlaTray::restoreAll() {
  if (player_.MiniShown) mini_.putAway();
  RestoreFromTray();
}

bool VemlaTray::eventFilter(QObject* watched, QEvent* event) {
  if (watched != &main_ || event->type() != QEvent::WindowStateChange || inMove_) return false;
  const bool minimized = main_.isMinimized();
  if (minimized && !away_) {
    // Iconified by the window manager or the task bar: the same as our own minimise button,
    // once the state change has been delivered.
    QTimer::singleShot(0, this, [this] {
      if (main_.isMinimized() && !away_) minimizeApplication();
    });
  } else if (!minimized && away_ && iconified_) {
    // Restored from the task bar where there is no tray.
    QTimer::singleShot(0, this, [this] {
      if (!away_ || main_.isMinimized()) return;
      if (player_.MiniShown) mini_.putAway();
      RestoreFromTray();
    });
  }
  return false;
}

// ---- Icon and menu handlers ----

void VemlaTray::CoolTrayIcon1MouseDown() {
  if (main_.isVisible()) main_.activateWindow();
}

void VemlaTray::CoolTrayIcon1DblClick() {
  mini_.putAway();
  RestoreFromTray();
}

void VemlaTray::MostrarEsconderVentana1Click() {
  if (mainShowing()) {
    player_.MiniShown = 0;
    minimizeApplication();
  } else {
    if (player_.MiniShown) mini_.putAway();
    RestoreFromTray();
  }
}

void VemlaTray::MostrarMiniVemla1Click() {
  if (mainShowing()) return;
  if (player_.MiniShown) {
    mini_.putAway();
  } else {
    mini_.bringUp();
  }
}

void VemlaTray::P_TrayPopup() {
  const QWidget* knob = main_.bot_vol();
  const QWidget* track = main_.Despl_Vol();
  const int p = MiniGeometry::trayVolumePercent(knob->x(), track->x(), track->width());
  item("Repetir2")->setChecked(player_.RepeatMode != 0);
  item("Aleatorio2")->setChecked(player_.RandomMode != 0);
  item("VolumenActual01")->setText(QStringLiteral("Volumen Actual: %1%").arg(p));
}

void VemlaTray::Silencio1Click() {
  // Always mutes. Already muted, the volume to come back to is kept: taking the muted knob's
  // place instead would leave a later un-mute silent.
  if (!player_.Muted) {
    player_.SavedVolume = player_.VolumeKnobLeft;
    player_.Muted = 1;
  }
  QtSettingsWindows(&main_, nullptr, nullptr, player_.ProgramDir).SetMuteGlyph(true);
  player_.SetVolumeKnobLeft(VolumeKnob::kMin);
  player_.ApplyVolume();
  afterCommand();
}

void VemlaTray::Repetir2Click() {
  main_.B_repetirClick();
  afterCommand();
}

void VemlaTray::Aleatorio2Click() {
  main_.B_RandomClick();
  afterCommand();
}

void VemlaTray::Cerrar2Click() { main_.close(); }

}  // namespace vemla::ui
