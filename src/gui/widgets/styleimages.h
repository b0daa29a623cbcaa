#pragma once

#include <QPixmap>

class QPainter;
class QRectF;

// The images of the six question styles (0 Single Select ... 5 Numeric Value), 44 by 32 logical
// pixels. They are drawn as vector shapes, so they stay crisp at any device pixel ratio.
inline constexpr int kStyleImageWidth = 44;
inline constexpr int kStyleImageHeight = 32;

void PaintStyleImage(QPainter& painter, const QRectF& rect, int image);
QPixmap StyleImage(int image, qreal devicePixelRatio);
