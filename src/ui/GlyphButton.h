#pragma once
// A button that shows a glyph centred in it, brightened while hovered or focused and darkened
// while pressed. Space and Return click it when it has the focus; other keys are reported with
// keyPressed() for the window's key dispatcher. Shaped with CutButtonToGlyph (ActiveSkin.h),
// from the 1x glyph it had at creation: loading another glyph later does not re-cut it.
#include <QImage>
#include <QString>

#include "ui/SkinnedWidget.h"

namespace vemla::ui {

class GlyphButton : public SkinnedWidget {
  Q_OBJECT
 public:
  // Size and place are taken from the skin's table when `window` knows `objectName`;
  // otherwise the button has the glyph's size until setGeometry.
  GlyphButton(QWidget* parent, const char* objectName, Picture glyph, const Skin* skin,
              SkinWindow window = SkinWindow::Main);

  // The 1x glyph the button was created with, traced by CutButtonToGlyph.
  const QImage& creationGlyph() const { return creationGlyph_; }
  // Shows a skin glyph instead of the current one.
  void setGlyph(Picture glyph);
  // Shows the picture file as glyph. A picture without alpha channel is keyed: the colour of its
  // top-left pixel is transparent. On a high-DPI screen a companion drawn at twice the size
  // (doubleSizeName) is shown instead when it exists. Returns false (and keeps the old glyph)
  // when the file cannot be read; telling the user is the caller's business.
  bool loadGlyph(const QString& path);
  QSize glyphSize() const;

  // Simulates a full click (as if pressed and released with the left button).
  void click();

  void setToolTipText(const QString& text) { setToolTip(text); }

 protected:
  QPoint pictureOrigin() const override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  QImage creationGlyph_;
};

// Makes a picture without alpha channel transparent where it has the colour of its top-left
// pixel (the bitmap-glyph convention); a picture with alpha is returned as it is.
QImage keyedGlyph(const QImage& image);

// "dir/b_play.bmp" -> "dir/b_play@2x.bmp": the name of a picture's double-size companion.
QString doubleSizeName(const QString& path);

}  // namespace vemla::ui
