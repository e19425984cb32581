#pragma once
// "VemlaPlayerFX": an empty form kept for the effects that are not built.
#include <QDialog>

namespace vemla::ui {

class TVemlaPlayerFX : public QDialog {
  Q_OBJECT

 public:
  explicit TVemlaPlayerFX(QWidget* parent = nullptr) : QDialog(parent) {
    setObjectName("VemlaPlayerFX");
    setWindowTitle("VemlaPlayerFX");
    resize(320, 240);
  }
};

}  // namespace vemla::ui
