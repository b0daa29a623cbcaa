#pragma once

// The frame every printed report is drawn in: a title band at the top of each page (the title in
// bold between two rules), a footer with the page number, the current vertical position, the
// page check that starts a new page when the next line would reach the footer, and the wrapped
// text output. Distances are given in dots of a 300-dpi page and scaled to the device.

#include <QFont>
#include <QPainter>
#include <QString>

#include <functional>

class QPagedPaintDevice;

class TReportPage {
public:
    // Starts the document: base font (Arial 10), y at the top, page 1 with its band.
    TReportPage(QPagedPaintDevice& device, const QString& title);
    ~TReportPage(); // ends the document

    QPainter& Painter() { return painter_; }
    bool IsActive() const { return painter_.isActive(); }
    double Dots(double dots300) const { return dots300 * scale_; } // device units for 300-dpi dots
    double M() const { return Dots(20); }
    double Y() const { return y_; }
    void SetY(double y) { y_ = y; }
    void AddY(double dy) { y_ += dy; }
    double PageWidth() const { return width_; }
    double PageHeight() const { return height_; }
    double TextHeight() const; // height of "X" in the current font
    double LineStep() const { return TextHeight() + Dots(10); }
    double TextWidth(const QString& text) const;

    // Font changes relative to the base: bold, and a size step in points (+2, +3, -2).
    void SetFont(bool bold, int sizeStep = 0);
    void ResetFont() { SetFont(false, 0); }

    void TextOut(double x, double y, const QString& text);
    void Rule(double x1, double y, double x2, double penDots);
    // A new page when the next line would not fit above the footer; bold is kept.
    void PageCheck();
    void NewPage();
    // The text at the left margin, wrapped at the page width (see WrapLines), each line
    // advancing y by the line step with a page check after it.
    void WrappedText(const QString& text);
    int PageNumber() const { return page_; }

private:
    void Band();
    void Footer();

    QPagedPaintDevice& device_;
    QPainter painter_;
    QString title_;
    QFont base_;
    double scale_ = 1;
    double width_ = 0;
    double height_ = 0;
    double y_ = 0;
    int page_ = 1;
};

// The lines a text is printed as when each may be `width` wide, `advance` measuring a line: a
// line that grows too wide is broken after the last blank that follows its first ") " (so a
// numbered text "12) ..." is never split between the number and the text); the next line starts
// with that blank. A line without such a blank is printed whole. CR LF and CR end a line.
QStringList WrapLines(
    const QString& text, double width, const std::function<double(const QString&)>& advance);
