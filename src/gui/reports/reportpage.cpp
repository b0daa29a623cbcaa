#include "gui/reports/reportpage.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>

namespace {

constexpr int kBasePointSize = 10;

// Gives back characters of an over-wide line up to a blank after its first ") ". The kept part
// (with the blank) goes to `lines`; the rest stays in `line`. False when there is no such blank.
bool BreakAtBlank(QString& line, QStringList& lines)
{
    const int marker = line.indexOf(QStringLiteral(") "));
    const int from = marker < 0 ? 0 : marker + 2;
    const int blank = line.lastIndexOf(QLatin1Char(' '));
    if (blank < from)
        return false;
    lines << line.left(blank + 1);
    line = line.mid(blank);
    return true;
}

} // namespace

QStringList WrapLines(const QString& text, double width, const std::function<double(const QString&)>& advance)
{
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    normalized.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    QStringList lines;
    QString line;
    for (const QChar c : normalized) {
        if (c == QLatin1Char('\r')) {
            lines << line;
            line.clear();
            continue;
        }
        line += c;
        if (advance(line) < width)
            continue;
        if (!BreakAtBlank(line, lines)) {
            lines << line;
            line.clear();
        }
    }
    if (!line.isEmpty())
        lines << line;
    return lines;
}

TReportPage::TReportPage(QPagedPaintDevice& device, const QString& title)
    : device_(device)
    , title_(title)
    , base_(QStringLiteral("Arial"), kBasePointSize)
{
    scale_ = device.logicalDpiY() / 300.0;
    if (!painter_.begin(&device))
        return;
    width_ = device.width();
    height_ = device.height();
    painter_.setRenderHint(QPainter::Antialiasing);
    ResetFont();
    Band();
}

TReportPage::~TReportPage()
{
    if (painter_.isActive()) {
        Footer();
        painter_.end();
    }
}

double TReportPage::TextHeight() const
{
    return QFontMetricsF(painter_.font(), &device_).height();
}

double TReportPage::TextWidth(const QString& text) const
{
    return QFontMetricsF(painter_.font(), &device_).horizontalAdvance(text);
}

void TReportPage::SetFont(bool bold, int sizeStep)
{
    QFont font = base_;
    font.setBold(bold);
    font.setPointSize(kBasePointSize + sizeStep);
    painter_.setFont(font);
}

void TReportPage::TextOut(double x, double y, const QString& text)
{
    const QFontMetricsF metrics(painter_.font(), &device_);
    painter_.drawText(QPointF(x, y + metrics.ascent()), text);
}

void TReportPage::Rule(double x1, double y, double x2, double penDots)
{
    painter_.setPen(QPen(Qt::black, Dots(penDots)));
    painter_.drawLine(QPointF(x1, y), QPointF(x2, y));
    painter_.setPen(QPen(Qt::black, Dots(1)));
}

void TReportPage::Band()
{
    const QFont font = painter_.font();
    SetFont(true);
    TextOut(M(), M(), title_);
    y_ = TextHeight() + Dots(30);
    Rule(M(), y_, width_ - Dots(10), 4);
    y_ += Dots(20);
    Rule(M(), y_, width_ - Dots(10), 4);
    y_ += Dots(10);
    painter_.setFont(font);
}

void TReportPage::Footer()
{
    const QFont font = painter_.font();
    ResetFont();
    const double h = TextHeight();
    Rule(M(), height_ - h - Dots(15), width_ - Dots(10), 4);
    const QString number = QStringLiteral("Page ") + QString::number(page_);
    TextOut((width_ - TextWidth(number)) / 2, height_ - h - Dots(5), number);
    painter_.setFont(font);
}

void TReportPage::PageCheck()
{
    if (y_ > height_ - 2 * TextHeight() - Dots(25)) // 10 dots clear of the footer rule
        NewPage();
}

void TReportPage::NewPage()
{
    const bool bold = painter_.font().bold();
    Footer();
    ResetFont();
    device_.newPage();
    ++page_;
    Band();
    if (bold)
        SetFont(true);
}

void TReportPage::WrappedText(const QString& text)
{
    const double width = width_ - 2 * M();
    for (const QString& line : WrapLines(text, width, [this](const QString& s) { return TextWidth(s); })) {
        TextOut(M(), y_, line);
        y_ += LineStep();
        PageCheck();
    }
}
