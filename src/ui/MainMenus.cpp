#include "ui/MainMenus.h"

#include <QCursor>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include "ui/AccessibleControl.h"
#include "ui/TVemlaMain.h"

namespace vemla::ui {

namespace {
struct BarItem {
  const char* label;
  const char* text;
  int labelLeft;
  const char* bevel;
  int bevelLeft;
  int bevelWidth;
  const char* popup;
};

constexpr BarItem kBar[5] = {
    {"F_archivo", "Archivo", 12, "B_Archivo", 10, 47, "P_Archivo"},
    {"F_Play", "Play", 62, "B_Play", 60, 29, "P_Play"},
    {"F_Opciones", "Opciones", 94, "B_Opciones", 92, 58, "P_Opciones"},
    {"F_Ver", "Ver", 156, "B_Ver", 153, 25, "P_Ver"},
    {"F_Ayuda", "Ayuda", 184, "B_Ayuda", 181, 40, "P_Ayuda"},
};
constexpr int kBarTop = 22;
constexpr int kBarHeight = 13;
}  // namespace

MainMenus::MainMenus(TVemlaMain& window) : QObject(&window), main_(window) {
  buildBar();
  buildArchivo(popups_[0]);
  buildPlay(popups_[1]);
  buildOpciones(popups_[2]);
  buildVer(popups_[3]);
  buildAyuda(popups_[4]);

  menuPopup_ = new QMenu(&main_);
  menuPopup_->setObjectName("MenuPOPUP");
  connect(add(menuPopup_, "A cerca de...", ""), &QAction::triggered, &main_,
          &TVemlaMain::showAbout);
  menuPopup_->addSeparator();
}

void MainMenus::buildBar() {
  for (int i = 0; i < 5; ++i) {
    const BarItem& item = kBar[i];
    // Bevels first, so the labels sit on top of them.
    auto* bevel = new QFrame(&main_);
    bevel->setObjectName(item.bevel);
    bevel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    bevel->setLineWidth(1);
    bevel->setGeometry(item.bevelLeft, kBarTop, item.bevelWidth, kBarHeight);
    bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    bevel->hide();
    bevels_[i] = bevel;

    auto* label = new QLabel(item.text, &main_);
    label->setObjectName(item.label);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->move(item.labelLeft, kBarTop);
    label->setFixedHeight(kBarHeight);
    label->adjustSize();
    label->setFixedHeight(kBarHeight);
    label->installEventFilter(this);
    labels_[i] = label;

    auto* popup = new QMenu(&main_);
    popup->setObjectName(item.popup);
    popup->setTitle(item.text);
    popups_[i] = popup;
    // While the popup is open it holds the mouse, so the label never hears that the mouse
    // left it; settle the hover mark when the popup closes.
    connect(popup, &QMenu::aboutToHide, this, [this, i] { settleBevel(i); });

    AccessibleTraits traits;
    traits.role = QAccessible::ButtonMenu;
    traits.press = [this, i] { openPopup(i); };
    setAccessibleTraits(label, std::move(traits));
  }
}

QAction* MainMenus::add(QMenu* m, const QString& text, const QString& shortcut, bool enabled) {
  // The text after a tab is drawn as the shortcut column without binding the key.
  QAction* a = m->addAction(shortcut.isEmpty() ? text : text + '\t' + shortcut);
  a->setEnabled(enabled);
  return a;
}

void MainMenus::buildArchivo(QMenu* m) {
  connect(add(m, "Abrir Archivo", "L"), &QAction::triggered, &main_,
          &TVemlaMain::addFromOpenDialog);
  add(m, "Abrir URL", "Ctrl+L", false);
  add(m, "Abrir Favoritos", "Ctrl+F", false);
  m->addSeparator();
  connect(add(m, "Abrir Lista", "Ctrl+O"), &QAction::triggered, &main_, &TVemlaMain::loadList);
  connect(add(m, "Salvar Lista", "Ctrl+S"), &QAction::triggered, &main_, &TVemlaMain::saveList);
  m->addSeparator();
  connect(add(m, "Salir", "Alt+F4"), &QAction::triggered, &main_, &TVemlaMain::B_CerrarClick);
}

void MainMenus::buildPlay(QMenu* m) {
  TVemlaMain* w = &main_;
  auto command = [this, w](QMenu* menu, const char* text, const char* key, KeyCommand c) {
    connect(add(menu, text, key), &QAction::triggered, w, [w, c] { w->runCommand(c); });
  };
  command(m, "Anterior", "Z", KeyCommand::PlayPrevious);
  command(m, "Play", "X", KeyCommand::PlaySelected);
  command(m, "Pausa", "C", KeyCommand::TogglePause);
  command(m, "Parar", "V", KeyCommand::StopPlayback);
  command(m, "Siguiente", "B", KeyCommand::PlayNext);
  m->addSeparator();
  connect(add(m, "Atras 5 segundos", "A"), &QAction::triggered, w, &TVemlaMain::skipBack);
  connect(add(m, "Adelante 5 segundos", "D"), &QAction::triggered, w, &TVemlaMain::skipForward);
  m->addSeparator();
  connect(add(m, "Repetir", "R"), &QAction::triggered, w, &TVemlaMain::B_repetirClick);
  connect(add(m, "Aleatorio", "S"), &QAction::triggered, w, &TVemlaMain::B_RandomClick);
  m->addSeparator();
  connect(add(m, "Subir Volumen", "Q"), &QAction::triggered, w, &TVemlaMain::volumeUp);
  connect(add(m, "Bajar Volumen", "E"), &QAction::triggered, w, &TVemlaMain::volumeDown);
}

void MainMenus::buildOpciones(QMenu* m) {
  QMenu* skins = m->addMenu("Skins");
  add(skins, "Propiedades", "", false);
  QMenu* effects = m->addMenu("Efectos Especiales");
  add(effects, "Configuración", "", false);
  m->addSeparator();
  connect(add(m, "Cambiar Tiempo Transcurrido", "Alt+T"), &QAction::triggered, &main_,
          &TVemlaMain::Pant_tiempoClick);
  m->addSeparator();
  add(m, "Siempre Arriba", "Ctrl+A", false);
  m->addSeparator();
  connect(add(m, "Preferencias", "Ctrl+P"), &QAction::triggered, &main_,
          &TVemlaMain::showPreferences);
}

void MainMenus::buildVer(QMenu* m) {
  connect(add(m, "Playlist", "Ctrl+P"), &QAction::triggered, &main_, &TVemlaMain::B_PlaylistClick);
  connect(add(m, "Información", "Ctrl+I"), &QAction::triggered, &main_, &TVemlaMain::B_infoClick);
  add(m, "Efectos Especiales", "Ctrl+E", false);
}

void MainMenus::buildAyuda(QMenu* m) {
  add(m, "Ayuda", "F1", false);
  m->addSeparator();
  connect(add(m, "A cerca de...", "Ctrl+H"), &QAction::triggered, &main_, &TVemlaMain::showAbout);
}

QPoint MainMenus::popupPoint(int index) const {
  return main_.pos() + QPoint(kBar[index].labelLeft, 40);
}

void MainMenus::settleBevel(int index) {
  QLabel* label = labels_[index];
  const bool over =
      label->isVisible() && label->rect().contains(label->mapFromGlobal(QCursor::pos()));
  bevels_[index]->setVisible(over);
}

void MainMenus::openPopup(int index) { popups_[index]->popup(popupPoint(index)); }

void MainMenus::openMenuPopup() { menuPopup_->popup(main_.pos() + QPoint(2, 18)); }

bool MainMenus::eventFilter(QObject* watched, QEvent* event) {
  for (int i = 0; i < 5; ++i) {
    if (watched != labels_[i]) continue;
    switch (event->type()) {
      case QEvent::Enter:
        for (int j = 0; j < 5; ++j) bevels_[j]->setVisible(j == i);
        break;
      case QEvent::Leave:
        bevels_[i]->hide();
        break;
      case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
          openPopup(i);
          return true;
        }
        break;
      default:
        break;
    }
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace vemla::ui
