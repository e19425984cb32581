#pragma once
// The main window's menu bar: five text labels with hover bevels, their popups, and the small
// popup `MenuPOPUP` of the skin picture and `B_menu`.
//
// Shortcuts are only shown beside the items (the text after a tab); the popups never react to
// them, because the keyboard belongs to DispatchKey alone and its letters differ (A, D, Q, E).
#include <QObject>
#include <array>

class QFrame;
class QLabel;
class QMenu;
class QAction;

namespace vemla::ui {

class TVemlaMain;

class MainMenus : public QObject {
  Q_OBJECT

 public:
  explicit MainMenus(TVemlaMain& window);

  QMenu* P_Archivo() const { return popups_[0]; }
  QMenu* P_Play() const { return popups_[1]; }
  QMenu* P_Opciones() const { return popups_[2]; }
  QMenu* P_Ver() const { return popups_[3]; }
  QMenu* P_Ayuda() const { return popups_[4]; }
  QMenu* MenuPOPUP() const { return menuPopup_; }
  QFrame* bevel(int index) const { return bevels_[index]; }
  QLabel* label(int index) const { return labels_[index]; }

  // Where the popup of menu-bar label `index` (0 "Archivo" ... 4 "Ayuda") opens, in screen
  // pixels: the window's corner plus (label left, 40).
  QPoint popupPoint(int index) const;
  void openPopup(int index);
  void openMenuPopup();  // B_menu: window corner + (2, 18)

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildBar();
  void settleBevel(int index);
  void buildArchivo(QMenu* m);
  void buildPlay(QMenu* m);
  void buildOpciones(QMenu* m);
  void buildVer(QMenu* m);
  void buildAyuda(QMenu* m);
  QAction* add(QMenu* m, const QString& text, const QString& shortcut, bool enabled = true);

  TVemlaMain& main_;
  std::array<QLabel*, 5> labels_{};
  std::array<QFrame*, 5> bevels_{};
  std::array<QMenu*, 5> popups_{};
  QMenu* menuPopup_ = nullptr;
};

}  // namespace vemla::ui
