#include "ui/ActiveSkin.h"

#include "ui/GlyphButton.h"
#include "vis/GenRegion.h"

namespace vemla::ui {

QPoint glyphOffset(QSize button, QSize glyph) {
  // C++ division truncates toward zero, as the centring rule wants: (25 - 30 + 1) / 2 = -2.
  return {(button.width() - glyph.width() + 1) / 2, (button.height() - glyph.height() + 1) / 2};
}

// The region takes in every traced vertex, the last one too: leaving it out would let the
// closing edge cut across the shape when the trace ends with a straight run (a rounded corner
// at the start loses the whole left column otherwise).
bool ActiveSkin(QWidget& window, const QImage& picture, QPoint offset) {
  vis::VertexList vertices;
  const int last = vis::GenRegion(vertices, picture, offset.x(), offset.y());
  if (last < 1) return false;
  window.setMask(vis::outlineRegion(vertices, last + 1));
  return true;
}

void CutButtonToGlyph(GlyphButton& button) {
  const QImage& glyph = button.creationGlyph();
  if (glyph.isNull()) return;
  vis::VertexList vertices;
  const QPoint offset = glyphOffset(button.size(), glyph.size());
  const int last = vis::GenRegion(vertices, glyph, offset.x(), offset.y());
  if (last < 1) return;
  button.setMask(vis::outlineRegion(vertices, last + 1));
}

}  // namespace vemla::ui
