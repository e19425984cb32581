#pragma once
// "A cerca de VemlaPlayer": a fixed 327 x 288 dialog, centred on the screen, not modal, with
// three flat pages (version lines, credits, change history). It has no behaviour of its own.
#include <QDialog>

class QTabWidget;

namespace vemla::ui {

class TAcerca : public QDialog {
  Q_OBJECT

 public:
  explicit TAcerca(QWidget* parent = nullptr);
  QTabWidget* pages() const { return pages_; }

 private:
  QTabWidget* pages_ = nullptr;
};

}  // namespace vemla::ui
