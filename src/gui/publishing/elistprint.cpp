#include "gui/publishing/elistprint.h"

#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>

namespace {

QPrinter& SharedPrinter()
{
    static QPrinter printer(QPrinter::HighResolution);
    return printer;
}

class TListPage {
public:
    TListPage(QPainter& painter, QPrinter& printer, const QString& title, TEmailOrder order)
        : painter_(painter)
        , printer_(printer)
        , title_(title)
        , order_(order)
    {
        const QRect page = painter.viewport();
        width_ = page.width();
        height_ = page.height();
    }

    void Head()
    {
        QFont bold = painter_.font();
        bold.setBold(true);
        const QFont plain = painter_.font();
        painter_.setFont(bold);
        painter_.drawText(
            10, 10 + painter_.fontMetrics().ascent(), QStringLiteral("Email List Manager - ") + title_);
        painter_.setFont(plain);
        y_ = LineHeight() + 30;
        Rule(4);
        y_ += 20;
        for (int column = 0; column < 3; ++column) {
            const TEmailOrder order = column == 0 ? TEmailOrder::FirstName
                : column == 1                     ? TEmailOrder::LastName
                                                  : TEmailOrder::Email;
            QString label = OrderDisplayLabel(order);
            if (order == order_)
                label += QStringLiteral(" *");
            DrawCell(column, label);
        }
        y_ += LineHeight() + 15;
        Rule(1);
        y_ += 10;
    }

    void Person(const TEmailPerson& p)
    {
        DrawCell(0, p.FirstName);
        DrawCell(1, p.LastName);
        DrawCell(2, p.Email);
        y_ += LineHeight() + 10;
        Rule(1);
        y_ += 10;
        if (y_ > height_ - 2 * LineHeight() - 15)
            NewPage();
    }

    void Foot()
    {
        const int h = LineHeight();
        QPen pen(Qt::black, 1);
        painter_.setPen(pen);
        painter_.drawLine(10, height_ - h - 15, width_ - 10, height_ - h - 15);
        const QString text = QStringLiteral("Page %1").arg(number_);
        const int textWidth = painter_.fontMetrics().horizontalAdvance(text);
        painter_.drawText((width_ - textWidth) / 2, height_ - h - 5 + painter_.fontMetrics().ascent(), text);
    }

private:
    int LineHeight() const { return painter_.fontMetrics().height(); }

    void Rule(int penWidth)
    {
        painter_.setPen(QPen(Qt::black, penWidth));
        painter_.drawLine(10, y_, width_ - 10, y_);
    }

    void DrawCell(int column, const QString& text)
    {
        static const int widths[3] = {emaillist::NameWidth, emaillist::NameWidth, emaillist::EmailWidth};
        const int charWidth = painter_.fontMetrics().horizontalAdvance(QLatin1Char('a'));
        int x = 10;
        for (int i = 0; i < column; ++i)
            x += widths[i] * charWidth;
        // A cell ends where the next column begins (the last at the right margin): longer text
        // is cut with an ellipsis rather than written over its neighbour or off the page.
        const int end = column < 2 ? x + widths[column] * charWidth - charWidth : width_ - 10;
        const QString shown = painter_.fontMetrics().elidedText(text, Qt::ElideRight, qMax(end - x, 0));
        painter_.drawText(x, y_ + painter_.fontMetrics().ascent(), shown);
    }

    void NewPage()
    {
        Foot();
        printer_.newPage();
        ++number_;
        y_ = 0;
        Head();
    }

    QPainter& painter_;
    QPrinter& printer_;
    QString title_;
    TEmailOrder order_;
    int width_ = 0, height_ = 0, y_ = 0, number_ = 1;
};

} // namespace

bool PrintEmailList(QPrinter& printer, const QString& listPath, TEmailOrder order,
    const std::vector<TEmailPerson>& people, const QFont& font)
{
    printer.setDocName(QStringLiteral("Email List Manager"));
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setFont(QFont(font, &printer));
    TListPage page(painter, printer, listPath, order);
    page.Head();
    for (const TEmailPerson& p : people)
        page.Person(p);
    page.Foot();
    return painter.end();
}

void PrintEmailListWithDialog(QWidget* parent, const QString& listPath, TEmailOrder order,
    const std::vector<TEmailPerson>& people, const QFont& font)
{
    QPrintDialog dialog(&SharedPrinter(), parent);
    if (dialog.exec() == QDialog::Accepted)
        PrintEmailList(SharedPrinter(), listPath, order, people, font);
}

void EmailListPrintSetup(QWidget* parent)
{
    QPageSetupDialog dialog(&SharedPrinter(), parent);
    dialog.exec();
}
