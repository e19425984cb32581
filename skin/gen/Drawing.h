#pragma once
// Shared drawing tools of the skin generator: rendering at a scale, hard window outlines, and
// the few materials every picture is made of (brushed dark metal, recessed panels, engraving).
#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "ui/Skin.h"

namespace skingen {

using DrawFn = std::function<void(QPainter&)>;

namespace colour {
const QColor kOutline(7, 9, 12);
const QColor kBodyTop(60, 67, 78);
const QColor kBodyMid(40, 45, 53);
const QColor kBodyBottom(26, 29, 35);
const QColor kHighlight(128, 140, 156);
const QColor kShadow(10, 12, 15);
const QColor kRecess(14, 16, 20);
const QColor kLcdTop(6, 18, 25);
const QColor kLcdBottom(11, 30, 40);
const QColor kAqua(92, 228, 255);
const QColor kAquaDim(40, 140, 170);
const QColor kSymbol(214, 236, 245);
// Glyph files without alpha are keyed on this colour, close to the body so edges blend.
const QColor kKey(35, 39, 46);
}  // namespace colour

// Paints `draw` (logical coordinates) on a transparent image of size x scale.
QImage render(QSize size, int scale, const DrawFn& draw);

// Makes a window picture's outline hard: pixels of the 1x picture at least half opaque become
// opaque, the others transparent, and the 2x picture follows the 1x shape pixel for pixel, so
// the outline traced from 1x matches both.
void hardenShape(QImage& picture1x, QImage& picture2x);

// Replaces transparent pixels by `background`; opaque pixels equal to it are nudged by one
// step so they never read as background.
QImage onBackground(const QImage& picture, QColor background);

// Brushed dark metal filling `body`, with a bevelled edge and a dark outline.
void metalBody(QPainter& p, const QPainterPath& body, quint32 seed);
// A panel sunk into the body: dark rim above and left, light rim below and right.
void recess(QPainter& p, const QRectF& r, qreal radius, const QBrush& fill);
// A groove line cut into metal: dark line with a light line under it.
void engrave(QPainter& p, QPointF a, QPointF b);
// A round metal cap for buttons.
void metalDisc(QPainter& p, QPointF centre, qreal radius);
void metalPill(QPainter& p, const QRectF& r, qreal radius);

void drawFace(vemla::ui::Picture id, QPainter& p);
void drawGlyph(vemla::ui::Picture id, QPainter& p);
QImage noImage();
// The program's icon, `px` pixels square.
QImage appIcon(int px);

}  // namespace skingen
