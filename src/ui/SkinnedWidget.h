#pragma once
// Base of every skinned control: paints one skin picture (or a picture set on it) at the
// screen's device-pixel ratio, and reports the mouse as signals in both window and screen
// coordinates. It paints no background of its own, so transparent pixels show the window's
// face beneath.
#include <QPixmap>
#include <QPoint>
#include <QWidget>

#include "ui/Skin.h"

namespace vemla::ui {

class SkinnedWidget : public QWidget {
  Q_OBJECT
 public:
  // `skin` must outlive the widget. With Picture::Count the widget paints nothing until a
  // picture is set.
  SkinnedWidget(QWidget* parent, const char* objectName, const Skin* skin,
                Picture picture = Picture::Count);

  void setPicture(Picture picture);
  // A picture not from the skin (for example a glyph file); its devicePixelRatio is honoured.
  void setPixmap(const QPixmap& pixmap);
  Picture pictureId() const { return picture_; }
  const Skin* skin() const { return skin_; }

  bool isHovered() const { return hovered_; }
  bool isPressed() const { return pressed_; }

  QSize sizeHint() const override;

 signals:
  // pos is in widget coordinates, globalPos on the screen.
  void mousePressed(Qt::MouseButton button, QPoint pos, QPoint globalPos);
  void mouseReleased(Qt::MouseButton button, QPoint pos, QPoint globalPos);
  void mouseMoved(Qt::MouseButtons buttons, QPoint pos, QPoint globalPos);
  // A left press and release both inside the widget.
  void clicked();
  void doubleClicked(Qt::MouseButton button);
  void hoverChanged(bool hovered);
  // Every key pressed while the widget has the focus (Qt key code), for the window's dispatcher.
  void keyPressed(int key, Qt::KeyboardModifiers modifiers);

 protected:
  // The pixmap to paint now, at this widget's device-pixel ratio.
  QPixmap currentPixmap() const;
  // Where the picture's top-left corner goes, in widget coordinates (default (0, 0)).
  virtual QPoint pictureOrigin() const { return {0, 0}; }

  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const Skin* skin_;
  Picture picture_;
  QPixmap own_;  // set by setPixmap, replaces the skin picture
  bool hovered_ = false;
  bool pressed_ = false;
};

}  // namespace vemla::ui
