#include "ui/SkinnedWidget.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/AccessibleControl.h"

namespace vemla::ui {

SkinnedWidget::SkinnedWidget(QWidget* parent, const char* objectName, const Skin* skin,
                             Picture picture)
    : QWidget(parent), skin_(skin), picture_(picture) {
  setObjectName(QString::fromUtf8(objectName));
  setAttribute(Qt::WA_Hover);
  if (picture_ != Picture::Count) resize(Skin::size(picture_));
  // A picture until a subclass says what it is; named by its hint when it has one.
  AccessibleTraits traits;
  traits.role = QAccessible::Graphic;
  setAccessibleTraits(this, std::move(traits));
}

void SkinnedWidget::setPicture(Picture picture) {
  picture_ = picture;
  own_ = QPixmap();
  update();
}

void SkinnedWidget::setPixmap(const QPixmap& pixmap) {
  own_ = pixmap;
  update();
}

QSize SkinnedWidget::sizeHint() const {
  if (!own_.isNull()) return (QSizeF(own_.size()) / own_.devicePixelRatio()).toSize();
  if (picture_ != Picture::Count) return Skin::size(picture_);
  return QWidget::sizeHint();
}

QPixmap SkinnedWidget::currentPixmap() const {
  if (!own_.isNull()) return own_;
  if (!skin_ || picture_ == Picture::Count) return {};
  return skin_->picture(picture_, devicePixelRatioF());
}

void SkinnedWidget::paintEvent(QPaintEvent*) {
  const QPixmap pixmap = currentPixmap();
  if (pixmap.isNull()) return;
  QPainter painter(this);
  painter.drawPixmap(pictureOrigin(), pixmap);
}

void SkinnedWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    update();
  }
  emit mousePressed(event->button(), event->position().toPoint(),
                    event->globalPosition().toPoint());
}

void SkinnedWidget::mouseReleaseEvent(QMouseEvent* event) {
  const bool wasPressed = pressed_ && event->button() == Qt::LeftButton;
  if (wasPressed) {
    pressed_ = false;
    update();
  }
  const QPoint pos = event->position().toPoint();
  emit mouseReleased(event->button(), pos, event->globalPosition().toPoint());
  // A click counts only when released over the visible (unmasked) part of the widget.
  if (wasPressed && rect().contains(pos) && (mask().isEmpty() || mask().contains(pos))) {
    emit clicked();
  }
}

void SkinnedWidget::mouseMoveEvent(QMouseEvent* event) {
  emit mouseMoved(event->buttons(), event->position().toPoint(), event->globalPosition().toPoint());
}

void SkinnedWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  emit doubleClicked(event->button());
  // A double click still presses the button a second time, as a fast second click should.
  mousePressEvent(event);
}

void SkinnedWidget::enterEvent(QEnterEvent*) {
  hovered_ = true;
  update();
  emit hoverChanged(true);
}

void SkinnedWidget::leaveEvent(QEvent*) {
  hovered_ = false;
  update();
  emit hoverChanged(false);
}

void SkinnedWidget::keyPressEvent(QKeyEvent* event) {
  emit keyPressed(event->key(), event->modifiers());
  event->accept();
}

}  // namespace vemla::ui
