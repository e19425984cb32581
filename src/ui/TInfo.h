#pragma once
// "Informacion": one playlist entry's figures, tag texts and picture, and the writing of edited
// texts back into an MPEG file. Created once at start-up; closing only hides it. It is filled
// each time it becomes visible (FormShow), never while it stays visible. The picture is found
// and decoded on a worker thread (a 1 MB cover takes some milliseconds to decode) and shown when
// ready; a later showing supersedes a search still running.
#include <QDialog>
#include <QImage>
#include <QMessageBox>
#include <QThreadPool>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace vemla::core {
class Player;
}

namespace vemla::ui {

class TInfo : public QDialog {
  Q_OBJECT

 public:
  explicit TInfo(core::Player& player, QWidget* parent = nullptr);
  // Waits for a picture search still running.
  ~TInfo() override;

  // The 1-based entry the window was last filled for (or the current entry); saving works on it.
  int InfoEntry() const { return infoEntry_; }

  // The controls exist from the first showing on, or from this call.
  void BuildControls();
  void setVisible(bool visible) override;

  void FormShow();
  void Button1Click();
  void Button2Click() { hide(); }

  QLabel* Imagen() const { return imagen_; }
  // True from a showing until its picture search ended (whether or not it found one).
  bool pictureLoading() const { return pictureWanted_ != pictureDone_; }
  QLineEdit* npista() const { return npista_; }
  QLineEdit* titulo() const { return titulo_; }
  QPlainTextEdit* Memo1() const { return memo1_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void fillFrom(int index);
  void showPicture(int index);
  // A message box that does not hold up the window.
  void tell(const QString& text, QMessageBox::Icon icon);

  core::Player& player_;
  int infoEntry_ = 0;
  QThreadPool pictures_;
  unsigned pictureWanted_ = 0;  // searches started
  unsigned pictureDone_ = 0;    // the last search whose result arrived
  QLabel* imagen_ = nullptr;
  QLineEdit* npista_ = nullptr;
  QLineEdit* fecha_ = nullptr;
  QLineEdit* titulo_ = nullptr;
  QLineEdit* artista_ = nullptr;
  QLineEdit* autor_ = nullptr;
  QLineEdit* album_ = nullptr;
  QLineEdit* edit2_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QLineEdit* edit1_ = nullptr;
  QLabel* ttam_ = nullptr;
  QLabel* tlong_ = nullptr;
  QLabel* ttipo_ = nullptr;
  QLabel* tkbps_ = nullptr;
  QLabel* thz_ = nullptr;
  QLabel* tfreq_ = nullptr;
  QLabel* tip_ = nullptr;
};

}  // namespace vemla::ui
