#pragma once
// The CD-audio dialog "Carga de CD-Audio": pick a drive, see its disc's tracks with their
// lengths (and CD-TEXT names), tick tracks and append them to the playlist as CD-track entries.
// Created once at start-up, shown from the playlist window's menus; closing only hides it.
//
// Drives can take seconds to answer (spinning up, no disc), so every listing is read on a worker
// thread while the dialog shows a busy pointer; the window thread only applies the finished
// listing. One worker runs at a time: a request made meanwhile waits for it, and the older
// result is dropped.
//
// At each showing the drive rows are read again and the row of the drive listed last is
// selected, so the selected row is always the drive whose tracks are listed (when that drive is
// gone, the first drive is listed).
#include <QDialog>
#include <optional>
#include <string>
#include <thread>

#include "ui/CdListing.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class TVemlaCDAudio : public QDialog {
  Q_OBJECT

 public:
  explicit TVemlaCDAudio(core::Player& player, QWidget* parent = nullptr);
  ~TVemlaCDAudio() override;  // waits for a listing still being read

  // The controls exist from the first showing on, or from this call.
  void BuildControls();
  void setVisible(bool visible) override;

  int CdDialogDrive() const { return cdDialogDrive_; }
  bool filling() const { return running_ || pending_.has_value(); }

  QComboBox* Unidades() const { return unidades_; }
  QListWidget* CDPistas() const { return pistas_; }
  QLineEdit* Titulo() const { return titulo_; }

  // Button handlers, public for the keyboard and tests alike.
  void BitBtn1Click();  // "Todas"
  void BitBtn2Click();  // "Ninguna"
  void BitBtn3Click();  // "Invertir"
  void BitBtn4Click();  // "Aceptar"
  void BitBtn5Click();  // "Cancelar"
  void BitBtn6Click();  // "Refrescar"

 signals:
  // A listing was read and shown (after a showing, a drive change or "Refrescar").
  void filled();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct Request {
    bool withDrives = false;
    int drive = 0;
  };
  void FormShow();
  void UnidadesChange(int row);
  void requestFill(Request request);
  void launch();
  void finishFill(Request request, CdListing listing);
  void setBusy(bool busy);

  core::Player& player_;
  int cdDialogDrive_ = 0;
  QComboBox* unidades_ = nullptr;
  QListWidget* pistas_ = nullptr;
  QLineEdit* titulo_ = nullptr;
  QPushButton* aceptar_ = nullptr;

  std::thread worker_;
  bool running_ = false;
  std::optional<Request> pending_;
};

}  // namespace vemla::ui
