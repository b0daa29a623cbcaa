#include "gui/help/about.h"

#include "core/base/version.h"
#include "gui/help/weblinks.h"
#include "core/interaction/shell.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>

QPixmap AboutPicture(qreal ratio)
{
    const QSize size(360, 150);
    QPixmap pix(size * ratio);
    pix.setDevicePixelRatio(ratio);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, size.width(), size.height());
    bg.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    bg.setColorAt(1, QColor(0x2a, 0x9d, 0x8f));
    p.fillRect(QRect(QPoint(0, 0), size), bg);

    // A questionnaire sheet with ticked boxes and a small bar chart: writing and analysing.
    const QRectF sheet(28, 22, 84, 108);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 50));
    p.drawRoundedRect(sheet.translated(3, 3), 6, 6);
    p.setBrush(Qt::white);
    p.drawRoundedRect(sheet, 6, 6);
    for (int i = 0; i < 4; ++i) {
        const qreal y = sheet.top() + 16 + i * 22;
        p.setPen(QPen(QColor(0x1d, 0x4e, 0x89), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(sheet.left() + 10, y, 12, 12));
        if (i != 2) {
            QPainterPath tick;
            tick.moveTo(sheet.left() + 12, y + 6);
            tick.lineTo(sheet.left() + 16, y + 10);
            tick.lineTo(sheet.left() + 24, y - 1);
            p.setPen(QPen(QColor(0xe7, 0x6f, 0x51), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPath(tick);
        }
        p.setPen(QPen(QColor(0xb0, 0xb8, 0xc4), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(sheet.left() + 30, y + 6), QPointF(sheet.right() - 10 - (i % 2) * 12, y + 6));
    }
    const int bars[] = {34, 58, 44, 76, 62};
    for (int i = 0; i < 5; ++i) {
        const QRectF bar(136 + i * 18, 130 - bars[i], 12, bars[i]);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 255, 255, 90 + i * 30));
        p.drawRoundedRect(bar, 2, 2);
    }
    p.setPen(QPen(QColor(255, 255, 255, 200), 2));
    p.drawLine(QPointF(130, 131), QPointF(234, 131));
    return pix;
}

TORVAbout::TORVAbout(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog)
{
    setWindowTitle(QStringLiteral("About Orvalle"));
    setObjectName(QStringLiteral("ORVAbout"));
    setStyleSheet(QStringLiteral("#ORVAbout { background: white; border: 1px solid #1d4e89; }"));

    imgPicture = new QLabel(this);
    imgPicture->setPixmap(AboutPicture(devicePixelRatioF()));
    lblTitle = new QLabel(QStringLiteral("Orvalle for Linux"), this);
    QFont title = lblTitle->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    lblTitle->setFont(title);
    lblVersion = new QLabel(QStringLiteral("Version ") + VersionString(), this);
    lblWebSite = new QLabel(QStringLiteral("<a href=\"%1\">%1</a>").arg(weblinks::ProductSite), this);
    lblWebSite->setCursor(Qt::PointingHandCursor);
    lblWebSite->setTextInteractionFlags(Qt::LinksAccessibleByMouse);
    connect(lblWebSite, &QLabel::linkActivated, this, [](const QString& url) { OpenWithShell(url); });

    lblAnalyzing = new QLabel(QStringLiteral("Analyzing Results:"), this);
    pbAnalyzing = new QProgressBar(this);
    pbAnalyzing->setRange(0, 100);
    lblAnalyzing->hide();
    pbAnalyzing->hide();

    for (QLabel* l : {imgPicture, lblTitle, lblVersion})
        l->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 12);
    layout->addWidget(imgPicture);
    auto* text = new QVBoxLayout;
    text->setContentsMargins(18, 6, 18, 0);
    text->addWidget(lblTitle);
    text->addWidget(lblVersion);
    text->addWidget(lblWebSite);
    text->addWidget(lblAnalyzing);
    text->addWidget(pbAnalyzing);
    layout->addLayout(text);
    setFixedWidth(362);
}

bool TORVAbout::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && (watched == imgPicture || watched == lblTitle || watched == lblVersion)) {
        if (isModal())
            accept();
        else
            close();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TORVAbout::ShowAsSplash()
{
    setWindowFlag(Qt::SplashScreen, true);
    CentreOnScreen();
    show();
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TORVAbout::CentreOnScreen()
{
    adjustSize();
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TORVAbout::Start(int total)
{
    lblAnalyzing->show();
    pbAnalyzing->setRange(0, qMax(total, 1));
    pbAnalyzing->setValue(0);
    pbAnalyzing->show();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TORVAbout::Step(int done)
{
    pbAnalyzing->setValue(done);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TORVAbout::Finish()
{
    lblAnalyzing->hide();
    pbAnalyzing->hide();
}
