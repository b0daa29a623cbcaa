#include "gui/widgets/styleimages.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(0x2b, 0x3a, 0x55);
const QColor kAccent(0x2a, 0x7d, 0xe1);
const QColor kPaper(0xfb, 0xfc, 0xfe);
const QColor kLine(0xa9, 0xb4, 0xc6);

QPen Pen(const QColor& c, qreal w)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void TextLine(QPainter& p, qreal x, qreal y, qreal w)
{
    p.setPen(Pen(kLine, 2));
    p.drawLine(QPointF(x, y), QPointF(x + w, y));
}

void Tick(QPainter& p, const QRectF& box)
{
    QPainterPath path;
    path.moveTo(box.left() + box.width() * 0.2, box.center().y());
    path.lineTo(box.left() + box.width() * 0.45, box.bottom() - box.height() * 0.2);
    path.lineTo(box.right() - box.width() * 0.15, box.top() + box.height() * 0.2);
    p.setPen(Pen(kAccent, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void SingleSelect(QPainter& p)
{
    for (int i = 0; i < 3; ++i) {
        const QRectF c(4, 3 + i * 9, 7, 7);
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawEllipse(c);
        if (i == 1) {
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            p.drawEllipse(c.adjusted(1.8, 1.8, -1.8, -1.8));
        }
        TextLine(p, 15, c.center().y(), i == 1 ? 24 : 19);
    }
}

void MultipleSelect(QPainter& p)
{
    for (int i = 0; i < 3; ++i) {
        const QRectF b(4, 3 + i * 9, 7, 7);
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(kPaper);
        p.drawRect(b);
        if (i != 1)
            Tick(p, b.adjusted(-0.5, -1.5, 1.5, 0.5));
        TextLine(p, 15, b.center().y(), i == 2 ? 17 : 23);
    }
}

void SlidingScale(QPainter& p)
{
    p.setPen(Pen(kLine, 2));
    p.drawLine(QPointF(6, 16), QPointF(38, 16));
    for (int i = 0; i < 5; ++i) {
        const QRectF c(3 + i * 8, 12.5, 7, 7);
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(i == 3 ? kAccent : kPaper);
        p.drawEllipse(c);
    }
    p.setPen(Pen(kInk, 1.2));
    p.drawLine(QPointF(6, 25), QPointF(6, 28));
    p.drawLine(QPointF(38, 25), QPointF(38, 28));
}

void FreeFormText(QPainter& p)
{
    const QRectF box(3, 4, 38, 24);
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawRoundedRect(box, 2, 2);
    TextLine(p, 7, 10, 28);
    TextLine(p, 7, 16, 22);
    TextLine(p, 7, 22, 12);
    p.setPen(Pen(kAccent, 1.5));
    p.drawLine(QPointF(22, 19), QPointF(22, 25));
}

void PullDownList(QPainter& p)
{
    const QRectF box(3, 9, 38, 13);
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawRoundedRect(box, 2, 2);
    TextLine(p, 7, box.center().y(), 18);
    const QRectF button(29, 9, 12, 13);
    p.setBrush(QColor(0xe4, 0xea, 0xf3));
    p.drawRoundedRect(button, 2, 2);
    QPainterPath arrow;
    arrow.moveTo(32, 14);
    arrow.lineTo(38, 14);
    arrow.lineTo(35, 18);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPath(arrow);
}

void NumericValue(QPainter& p)
{
    const QRectF box(3, 7, 38, 18);
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(kPaper);
    p.drawRoundedRect(box, 2, 2);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(kInk);
    p.drawText(QRectF(4, 7, 26, 18), Qt::AlignCenter, QStringLiteral("123"));
    p.setPen(Pen(kAccent, 1.4));
    p.drawLine(QPointF(33, 13), QPointF(36, 10));
    p.drawLine(QPointF(36, 10), QPointF(39, 13));
    p.drawLine(QPointF(33, 19), QPointF(36, 22));
    p.drawLine(QPointF(36, 22), QPointF(39, 19));
}

} // namespace

void PaintStyleImage(QPainter& painter, const QRectF& rect, int image)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / kStyleImageWidth, rect.height() / kStyleImageHeight);
    switch (image) {
    case 1:
        MultipleSelect(painter);
        break;
    case 2:
        SlidingScale(painter);
        break;
    case 3:
        FreeFormText(painter);
        break;
    case 4:
        PullDownList(painter);
        break;
    case 5:
        NumericValue(painter);
        break;
    default:
        SingleSelect(painter);
        break;
    }
    painter.restore();
}

QPixmap StyleImage(int image, qreal ratio)
{
    QPixmap pix(QSize(kStyleImageWidth, kStyleImageHeight) * ratio);
    pix.setDevicePixelRatio(ratio);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    PaintStyleImage(p, QRectF(0, 0, kStyleImageWidth, kStyleImageHeight), image);
    return pix;
}
