#pragma once
// "Preferencias": tray-icon, general, file-association and language options in their default
// states. Nothing in it is acted on or stored; it only closes.
#include <QDialog>

namespace vemla::ui {

class Tfopciones : public QDialog {
  Q_OBJECT

 public:
  explicit Tfopciones(QWidget* parent = nullptr);
  // The controls exist from the first showing on, or from this call.
  void BuildControls();
  void setVisible(bool visible) override;
};

}  // namespace vemla::ui
