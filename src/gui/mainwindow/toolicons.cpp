#include "gui/mainwindow/toolicons.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kInk(0x2b, 0x3a, 0x55);
const QColor kBlue(0x2a, 0x7d, 0xe1);
const QColor kPaper(0xfb, 0xfc, 0xfe);
const QColor kYellow(0xf2, 0xb7, 0x3f);
const QColor kGreen(0x2e, 0x9e, 0x6b);
const QColor kRed(0xd6, 0x45, 0x45);

QPen Pen(const QColor& c, qreal w = 1.4)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& p, const QRectF& r)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 5, r.top());
    path.lineTo(r.right(), r.top() + 5);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(path);
}

void Lines(QPainter& p, qreal x, qreal y, qreal w, int n)
{
    p.setPen(Pen(QColor(0xa9, 0xb4, 0xc6), 1.5));
    for (int i = 0; i < n; ++i)
        p.drawLine(QPointF(x, y + i * 3.5), QPointF(x + w - (i % 2) * 3, y + i * 3.5));
}

void Arrow(QPainter& p, QPointF from, QPointF to, const QColor& c)
{
    p.setPen(Pen(c, 2.2));
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(5);
    a.setAngle(line.angle() + 40);
    QLineF b = line;
    b.setLength(5);
    b.setAngle(line.angle() - 40);
    p.drawLine(a);
    p.drawLine(b);
}

void Plus(QPainter& p, QPointF c, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawEllipse(c, 5, 5);
    p.setPen(Pen(Qt::white, 1.8));
    p.drawLine(c + QPointF(-2.5, 0), c + QPointF(2.5, 0));
    p.drawLine(c + QPointF(0, -2.5), c + QPointF(0, 2.5));
}

// Draws on a 24 x 24 grid.
void Draw(QPainter& p, TToolIcon kind)
{
    switch (kind) {
    case TToolIcon::New:
        Page(p, QRectF(5, 3, 13, 18));
        Plus(p, QPointF(17, 17), kGreen);
        break;
    case TToolIcon::Open: {
        p.setPen(Pen(kInk));
        p.setBrush(kYellow.lighter(115));
        p.drawRect(QRectF(3, 6, 16, 13));
        QPainterPath front;
        front.moveTo(3, 19);
        front.lineTo(7, 10);
        front.lineTo(22, 10);
        front.lineTo(19, 19);
        front.closeSubpath();
        p.setBrush(kYellow);
        p.drawPath(front);
        break;
    }
    case TToolIcon::Save:
        p.setPen(Pen(kInk));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(4, 4, 16, 16), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 4, 10, 6));
        p.drawRect(QRectF(7, 13, 10, 7));
        break;
    case TToolIcon::Print:
        Page(p, QRectF(7, 3, 10, 8));
        p.setPen(Pen(kInk));
        p.setBrush(QColor(0xd5, 0xdb, 0xe5));
        p.drawRoundedRect(QRectF(3, 10, 18, 8), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 15, 10, 6));
        break;
    case TToolIcon::Preview:
        p.setPen(Pen(kBlue, 1.5));
        p.setBrush(QColor(0xe3, 0xef, 0xfc));
        p.drawEllipse(QRectF(4, 4, 16, 16));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(8.5, 4, 7, 16));
        p.drawLine(QPointF(4, 12), QPointF(20, 12));
        break;
    case TToolIcon::Cut:
        p.setPen(Pen(kInk, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(4, 14, 6, 6));
        p.drawEllipse(QRectF(14, 14, 6, 6));
        p.drawLine(QPointF(9, 15), QPointF(17, 3));
        p.drawLine(QPointF(15, 15), QPointF(7, 3));
        break;
    case TToolIcon::Copy:
        Page(p, QRectF(4, 3, 11, 14));
        Page(p, QRectF(9, 7, 11, 14));
        Lines(p, 11.5, 12, 6, 3);
        break;
    case TToolIcon::Paste:
        p.setPen(Pen(kInk));
        p.setBrush(QColor(0xc8, 0x9b, 0x62));
        p.drawRoundedRect(QRectF(4, 5, 14, 16), 2, 2);
        p.setBrush(QColor(0xd5, 0xdb, 0xe5));
        p.drawRoundedRect(QRectF(8, 3, 6, 4), 1, 1);
        Page(p, QRectF(10, 9, 10, 12));
        break;
    case TToolIcon::Properties:
        p.setPen(Pen(kInk, 1.6));
        for (int i = 0; i < 3; ++i)
            p.drawLine(QPointF(4, 6 + i * 6), QPointF(20, 6 + i * 6));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(9, 6), 2.5, 2.5);
        p.drawEllipse(QPointF(16, 12), 2.5, 2.5);
        p.drawEllipse(QPointF(7, 18), 2.5, 2.5);
        break;
    case TToolIcon::Library:
        p.setPen(Pen(kInk));
        p.setBrush(kBlue);
        p.drawRect(QRectF(4, 5, 4, 15));
        p.setBrush(kGreen);
        p.drawRect(QRectF(9, 3, 4, 17));
        p.setBrush(kYellow);
        p.save();
        p.translate(15, 5);
        p.rotate(-12);
        p.drawRect(QRectF(0, 0, 4, 15));
        p.restore();
        p.drawLine(QPointF(3, 20.5), QPointF(21, 20.5));
        break;
    case TToolIcon::Wizard:
        p.setPen(Pen(kInk, 2.2));
        p.drawLine(QPointF(5, 19), QPointF(15, 9));
        p.setPen(Pen(kYellow, 1.6));
        for (QPointF c : {QPointF(17, 5), QPointF(20, 10), QPointF(12, 4)}) {
            p.drawLine(c + QPointF(-2, 0), c + QPointF(2, 0));
            p.drawLine(c + QPointF(0, -2), c + QPointF(0, 2));
        }
        break;
    case TToolIcon::Publish:
        p.setPen(Pen(kBlue, 1.5));
        p.setBrush(QColor(0xe3, 0xef, 0xfc));
        p.drawEllipse(QRectF(3, 7, 14, 14));
        Arrow(p, QPointF(16, 16), QPointF(16, 3), kGreen);
        break;
    case TToolIcon::EMail:
        p.setPen(Pen(kInk));
        p.setBrush(kPaper);
        p.drawRect(QRectF(3, 6, 18, 13));
        p.drawLine(QPointF(3, 6), QPointF(12, 13));
        p.drawLine(QPointF(21, 6), QPointF(12, 13));
        break;
    case TToolIcon::AddQuestion:
        Page(p, QRectF(4, 3, 13, 17));
        Lines(p, 6.5, 8, 7, 3);
        Plus(p, QPointF(17, 17), kGreen);
        break;
    case TToolIcon::AddHeader:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x6b, 0x78, 0x8c));
        p.drawRect(QRectF(3, 5, 16, 6));
        Lines(p, 4, 15, 12, 2);
        Plus(p, QPointF(17, 17), kGreen);
        break;
    case TToolIcon::Edit:
        Page(p, QRectF(4, 3, 13, 17));
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(kYellow);
        p.save();
        p.translate(16, 8);
        p.rotate(45);
        p.drawRect(QRectF(0, -2, 13, 4));
        p.restore();
        break;
    case TToolIcon::Remove:
        p.setPen(Pen(kRed, 2.6));
        p.drawLine(QPointF(6, 6), QPointF(18, 18));
        p.drawLine(QPointF(18, 6), QPointF(6, 18));
        break;
    case TToolIcon::SkipGroup: {
        p.setPen(Pen(kInk, 1.2));
        p.setBrush(kPaper);
        for (int i = 0; i < 3; ++i)
            p.drawRect(QRectF(10, 3 + i * 6.5, 10, 4.5));
        QPainterPath jump;
        jump.moveTo(9, 5);
        jump.cubicTo(1, 7, 1, 17, 9, 18.5);
        p.setPen(Pen(kBlue, 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(jump);
        Arrow(p, QPointF(6, 18.3), QPointF(9.5, 18.5), kBlue);
        break;
    }
    case TToolIcon::MoveUp:
        Arrow(p, QPointF(12, 20), QPointF(12, 4), kBlue);
        break;
    case TToolIcon::MoveDown:
        Arrow(p, QPointF(12, 4), QPointF(12, 20), kBlue);
        break;
    case TToolIcon::Update: {
        p.setPen(Pen(kGreen, 2.2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 5, 14, 14), 60 * 16, 280 * 16);
        Arrow(p, QPointF(14, 4), QPointF(17, 7), kGreen);
        break;
    }
    }
}

class TToolIconEngine : public QIconEngine {
public:
    explicit TToolIconEngine(TToolIcon kind)
        : kind_(kind)
    {
    }
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override
    {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.35);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 24.0, rect.height() / 24.0);
        Draw(*painter, kind_);
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pix(size);
        pix.fill(Qt::transparent);
        QPainter p(&pix);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pix;
    }
    QIconEngine* clone() const override { return new TToolIconEngine(kind_); }

private:
    TToolIcon kind_;
};

} // namespace

QIcon ToolIcon(TToolIcon kind)
{
    return QIcon(new TToolIconEngine(kind));
}
