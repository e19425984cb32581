#pragma once
// "A cerca de VemlaPlayer": a fixed 327 x 288 dialog, centred on the screen, not modal, with
// three flat pages (version lines, credits, change history). It has no behaviour of its own.
#include <QDialog>
#include <QStringList>

class QTabWidget;

namespace vemla::ui {

class TAcerca : public QDialog {
  Q_OBJECT

 public:
  explicit TAcerca(QWidget* parent = nullptr);
  // Made when first asked for or shown.
  QTabWidget* pages();
  void setVisible(bool visible) override;
  // The lines of the first page: the program's version, then those of FFmpeg, SDL, libcdio
  // and Qt as they run.
  static QStringList versionLines();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QTabWidget* pages_ = nullptr;
};

}  // namespace vemla::ui
