#include "gui/help/tipofday.h"

#include "gui/help/help.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"
#include "core/base/textfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

// UTF-8, or Windows-1252 when the file is not valid UTF-8 (a tips file of the original platform).
QStringList ReadTips(const QString& path)
{
    QByteArray bytes;
    if (!ReadFileBytes(path, bytes))
        return {};
    QStringList tips;
    for (QString line : SplitLines(DecodeFileText(bytes))) {
        line = line.trimmed();
        if (!line.isEmpty())
            tips.append(line);
    }
    return tips;
}

QPixmap BulbPicture(qreal ratio)
{
    QPixmap pix(QSize(40, 40) * ratio);
    pix.setDevicePixelRatio(ratio);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x8a, 0x6d, 0x00), 1.5));
    p.setBrush(QColor(0xff, 0xd1, 0x4a));
    p.drawEllipse(QRectF(8, 3, 24, 24));
    p.setBrush(QColor(0x9a, 0xa3, 0xad));
    p.setPen(QPen(QColor(0x5c, 0x63, 0x6b), 1.2));
    p.drawRoundedRect(QRectF(14, 26, 12, 9), 2, 2);
    p.drawLine(QPointF(14, 30), QPointF(26, 30));
    return pix;
}

} // namespace

QString TORVTipOfDay::MissingTipsText()
{
    return QStringLiteral("The tips.txt file could not be found!  Tips are not available.");
}

TORVTipOfDay::TORVTipOfDay(const QString& dataDirectory, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setWindowTitle(QStringLiteral("Orvalle tip of the day"));
    setAttribute(Qt::WA_DeleteOnClose);

    tips_ = ReadTips(dataDirectory + QStringLiteral("tips.txt"));
    if (tips_.isEmpty())
        tips_.append(MissingTipsText());

    auto* bulb = new QLabel(this);
    bulb->setPixmap(BulbPicture(devicePixelRatioF()));
    bulb->setAlignment(Qt::AlignTop);
    auto* heading = new QLabel(QStringLiteral("Did you know..."), this);
    QFont bold = heading->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    heading->setFont(bold);

    memoTip = new QPlainTextEdit(this);
    memoTip->setReadOnly(true);
    QFont tipFont(QStringLiteral("Arial"), 10);
    memoTip->setFont(tipFont);
    memoTip->setMinimumSize(380, 130);

    cbTipsAtStartup = new QCheckBox(QStringLiteral("&Show tip of the day at startup"), this);
    btnPrevious = new QPushButton(QStringLiteral("<< &Previous Tip"), this);
    btnNext = new QPushButton(QStringLiteral("&Next Tip >>"), this);
    btnClose = new QPushButton(QStringLiteral("Close"), this);
    btnClose->setDefault(true);
    connect(btnPrevious, &QPushButton::clicked, this, &TORVTipOfDay::PreviousTip);
    connect(btnNext, &QPushButton::clicked, this, &TORVTipOfDay::NextTip);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);
    SetHelpContext(memoTip, 5801);
    SetHelpContext(cbTipsAtStartup, 5802);
    SetHelpContext(btnPrevious, 5803);
    SetHelpContext(btnNext, 5804);

    auto* top = new QHBoxLayout;
    top->addWidget(bulb);
    auto* right = new QVBoxLayout;
    right->addWidget(heading);
    right->addWidget(memoTip, 1);
    top->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbTipsAtStartup);
    buttons->addStretch(1);
    buttons->addWidget(btnPrevious);
    buttons->addWidget(btnNext);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    const TSettings& s = AppSettings();
    index_ = s.ReadInteger(settings::ApplicationDetails, settings::TipIndex, settings::DefaultTipIndex);
    cbTipsAtStartup->setChecked(
        s.ReadBool(settings::Preferences, settings::TipAtStartup, settings::DefaultTipAtStartup));
    const int top_ = s.ReadInteger(settings::TipWindow, settings::Top, settings::DefaultTipTop);
    const int left = s.ReadInteger(settings::TipWindow, settings::Left, settings::DefaultTipLeft);
    adjustSize();
    if (top_ == -1) {
        if (const QScreen* screen = QApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    } else {
        move(left, top_);
    }
    NextTip();
}

TORVTipOfDay::~TORVTipOfDay()
{
    SaveState();
}

void TORVTipOfDay::SaveState()
{
    TSettings& s = AppSettings();
    s.WriteInteger(settings::ApplicationDetails, settings::TipIndex, index_);
    s.WriteBool(settings::Preferences, settings::TipAtStartup, cbTipsAtStartup->isChecked());
    s.WriteInteger(settings::TipWindow, settings::Top, y());
    s.WriteInteger(settings::TipWindow, settings::Left, x());
}

void TORVTipOfDay::NextTip()
{
    ++index_;
    if (index_ >= tips_.size())
        index_ = 0;
    ShowTip();
}

void TORVTipOfDay::PreviousTip()
{
    --index_;
    if (index_ < 0)
        index_ = static_cast<int>(tips_.size()) - 1;
    ShowTip();
}

void TORVTipOfDay::ShowTip()
{
    if (index_ < 0 || index_ >= tips_.size())
        index_ = 0;
    QString tip = tips_[index_];
    tip.replace(QLatin1String("&CR;"), QLatin1String("\n"));
    memoTip->setPlainText(tip);
}
