#pragma once
// Cutting windows and buttons to the outline of their pictures (the visible and clickable area
// becomes the traced polygon, through QWidget::setMask).
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QWidget>

namespace vemla::ui {

class GlyphButton;

// Traces `picture` (1x) with GenRegion, moved by `offset`; when the last index n is at least 1
// the window's mask becomes the pixels of the traced polygon (vertices 0..n, edges included)
// and the result is true; otherwise the window stays rectangular and the result is false.
// Call once, before the window is shown.
bool ActiveSkin(QWidget& window, const QImage& picture, QPoint offset);

// Cuts the button to the outline of the glyph it was created with, centred as the button
// draws it. A glyph without any opaque pixel leaves the button rectangular.
void CutButtonToGlyph(GlyphButton& button);

// ((button width - glyph width + 1) / 2, (button height - glyph height + 1) / 2), truncating
// toward zero: the place of the glyph's top-left corner in the button.
QPoint glyphOffset(QSize button, QSize glyph);

}  // namespace vemla::ui
