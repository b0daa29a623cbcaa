#include "gui/analysis/charttool.h"

#include "gui/help/help.h"
#include "core/interaction/messages.h"
#include "gui/analysis/chartbuilder.h"
#include "core/base/inisettings.h"
#include "core/base/settingstable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>

QIcon ColourSwatch(int storedColour)
{
    QPixmap pixmap(28, 14);
    pixmap.fill(ColourFromStored(storedColour));
    QPainter painter(&pixmap);
    painter.setPen(QColor(0x60, 0x60, 0x60));
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

QIcon ChartTypeIcon(int chartType)
{
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor a = PointColour(0), b = PointColour(1), c = PointColour(2);
    const QPolygonF line({QPointF(2, 16), QPointF(8, 8), QPointF(13, 12), QPointF(18, 3)});
    switch (chartType) {
    case ctPie:
        p.setPen(Qt::white);
        p.setBrush(a);
        p.drawPie(QRectF(2, 2, 16, 16), 90 * 16, 150 * 16);
        p.setBrush(b);
        p.drawPie(QRectF(2, 2, 16, 16), 240 * 16, 130 * 16);
        p.setBrush(c);
        p.drawPie(QRectF(2, 2, 16, 16), 10 * 16, 80 * 16);
        break;
    case ctArea: {
        QPolygonF area = line;
        area << QPointF(18, 18) << QPointF(2, 18);
        p.setPen(a.darker(130));
        p.setBrush(a);
        p.drawPolygon(area);
        break;
    }
    case ctHorizontalBar:
        p.fillRect(QRectF(2, 3, 14, 4), a);
        p.fillRect(QRectF(2, 8, 9, 4), b);
        p.fillRect(QRectF(2, 13, 16, 4), c);
        break;
    case ctLine:
        p.setPen(QPen(a, 2));
        p.drawPolyline(line);
        break;
    case ctScatter:
        p.setPen(Qt::NoPen);
        for (int i = 0; i < line.size(); ++i) {
            p.setBrush(PointColour(i));
            p.drawEllipse(line[i], 2.5, 2.5);
        }
        break;
    default:
        p.fillRect(QRectF(3, 8, 4, 10), a);
        p.fillRect(QRectF(8, 3, 4, 15), b);
        p.fillRect(QRectF(13, 11, 4, 7), c);
        break;
    }
    return QIcon(pixmap);
}

TORVChartTool::TORVChartTool(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Chart Toolbox"));
    setObjectName(QStringLiteral("ChartTool"));
    pcTool = new QTabWidget(this);
    pcTool->addTab(MakeStylePage(), QStringLiteral("Style"));
    pcTool->addTab(MakeBackgroundPage(), QStringLiteral("Background"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(pcTool);
    LoadStyle(style_);
}

TORVChartTool::~TORVChartTool()
{
    TSettings& s = AppSettings();
    s.WriteInteger(QString(settings::ChartToolbox), settings::Top, pos().y());
    s.WriteInteger(QString(settings::ChartToolbox), settings::Left, pos().x());
}

void TORVChartTool::PlaceBeside(const QWidget* owner)
{
    const TSettings& s = AppSettings();
    const QString section = QString(settings::ChartToolbox);
    const int top = s.ReadInteger(section, settings::Top, settings::NotStored);
    const int left = s.ReadInteger(section, settings::Left, settings::NotStored);
    adjustSize();
    if (top != settings::NotStored) {
        move(left, top);
    } else if (owner) {
        const QRect frame = owner->frameGeometry();
        move(frame.left(), frame.bottom() - frameGeometry().height() + 1);
    }
}

QWidget* TORVChartTool::MakeStylePage()
{
    auto* page = new QWidget(this);
    cmbChartType = new QComboBox(page);
    const QStringList types = ChartTypeNames();
    for (int i = 0; i < types.size(); ++i)
        cmbChartType->addItem(ChartTypeIcon(i), types[i]);
    cbDisplayLegend = new QCheckBox(QStringLiteral("Display &Legend"), page);
    cmbLegend = new QComboBox(page);
    cmbLegend->addItems(LegendStyleNames());
    cbMarks = new QCheckBox(QStringLiteral("Display &Marks"), page);
    cmbMarks = new QComboBox(page);
    cmbMarks->addItems(MarksStyleNames());
    lblRotation = new QLabel(QStringLiteral("&Rotation:"), page);
    tbRotation = new QSlider(Qt::Horizontal, page);
    tbRotation->setRange(0, 360);
    tbRotation->setPageStep(60);
    tbRotation->setTickInterval(30);
    tbRotation->setTickPosition(QSlider::TicksBelow);
    lblRotation->setBuddy(tbRotation);
    lblDegrees = new QLabel(page);
    lblDegrees->setMinimumWidth(lblDegrees->fontMetrics().horizontalAdvance(QStringLiteral("360 Degrees ")));
    btnApplyToAll = new QPushButton(QStringLiteral("&Apply To All..."), page);

    auto* typeLabel = new QLabel(QStringLiteral("Chart &Type:"), page);
    typeLabel->setBuddy(cmbChartType);
    auto* grid = new QGridLayout(page);
    grid->addWidget(typeLabel, 0, 0);
    grid->addWidget(cmbChartType, 0, 1, 1, 2);
    grid->addWidget(cbDisplayLegend, 1, 0);
    grid->addWidget(cmbLegend, 1, 1, 1, 2);
    grid->addWidget(cbMarks, 2, 0);
    grid->addWidget(cmbMarks, 2, 1, 1, 2);
    grid->addWidget(lblRotation, 3, 0);
    grid->addWidget(tbRotation, 3, 1);
    grid->addWidget(lblDegrees, 3, 2);
    grid->addWidget(btnApplyToAll, 4, 0, 1, 3, Qt::AlignRight);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(1, 1);
    SetHelpContext(cmbChartType, 4301);
    SetHelpContext(cmbLegend, 4302);
    SetHelpContext(cmbMarks, 4303);
    SetHelpContext(tbRotation, 4304);
    SetHelpContext(btnApplyToAll, 4305);

    const auto changed = [this] {
        if (loading_)
            return;
        ReadStyleControls();
        EnableControls();
        Q_EMIT ChartFieldsChanged(style_);
    };
    connect(cmbChartType, &QComboBox::currentIndexChanged, this, changed);
    connect(cbDisplayLegend, &QCheckBox::toggled, this, changed);
    connect(cmbLegend, &QComboBox::currentIndexChanged, this, changed);
    connect(cbMarks, &QCheckBox::toggled, this, changed);
    connect(cmbMarks, &QComboBox::currentIndexChanged, this, changed);
    connect(tbRotation, &QSlider::valueChanged, this, [this, changed](int value) {
        lblDegrees->setText(QStringLiteral("%1 Degrees").arg(value));
        changed();
    });
    connect(btnApplyToAll, &QPushButton::clicked, this, [this] {
        if (AskYesNo(QStringLiteral("Do you want to apply these chart settings to all other questions?")))
            Q_EMIT ApplyToAllRequested(style_);
    });
    return page;
}

QComboBox* TORVChartTool::MakeColourList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    for (const TNamedColour& colour : ChartColours())
        list->addItem(ColourSwatch(colour.Value), QString::fromLatin1(colour.Name), colour.Value);
    list->setIconSize(QSize(28, 14));
    connect(list, &QComboBox::currentIndexChanged, this, [this] {
        if (loading_)
            return;
        ReadBackgroundControls();
        EnableControls();
        Q_EMIT BackgroundChanged(style_);
    });
    return list;
}

QWidget* TORVChartTool::MakeBackgroundPage()
{
    auto* page = new QWidget(this);
    rbSolid = new QRadioButton(QStringLiteral("&Solid"), page);
    rbGradient = new QRadioButton(QStringLiteral("&Gradient"), page);
    cmbBGColor = MakeColourList(page);
    cmbFromColor = MakeColourList(page);
    cmbToColor = MakeColourList(page);
    cmbDirection = new QComboBox(page);
    cmbDirection->addItems(GradientDirectionNames());
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Color:"), cmbBGColor);
    form->addRow(QStringLiteral("&From Color:"), cmbFromColor);
    form->addRow(QStringLiteral("&To Color:"), cmbToColor);
    form->addRow(QStringLiteral("&Direction:"), cmbDirection);
    auto* kinds = new QHBoxLayout;
    kinds->addWidget(rbSolid);
    kinds->addWidget(rbGradient);
    kinds->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(kinds);
    layout->addLayout(form);
    layout->addStretch(1);
    SetHelpContext(rbSolid, 4306);
    SetHelpContext(rbGradient, 4306);
    SetHelpContext(cmbBGColor, 4307);
    SetHelpContext(cmbDirection, 4308);
    const auto changed = [this] {
        if (loading_)
            return;
        ReadBackgroundControls();
        EnableControls();
        Q_EMIT BackgroundChanged(style_);
    };
    connect(rbSolid, &QRadioButton::toggled, this, changed);
    connect(cmbDirection, &QComboBox::currentIndexChanged, this, changed);
    return page;
}

void TORVChartTool::LoadStyle(const TChartStyle& style)
{
    style_ = style;
    loading_ = true;
    ShowStyle();
    loading_ = false;
    EnableControls();
}

void TORVChartTool::ShowStyle()
{
    cmbChartType->setCurrentIndex(std::clamp(style_.ChartType, 0, cmbChartType->count() - 1));
    cbDisplayLegend->setChecked(style_.DisplayLegend);
    cmbLegend->setCurrentIndex(std::clamp(style_.LegendStyle, 0, cmbLegend->count() - 1));
    cbMarks->setChecked(style_.DisplayMarks);
    cmbMarks->setCurrentIndex(std::clamp(style_.MarksStyle, 0, cmbMarks->count() - 1));
    tbRotation->setValue(style_.Rotation);
    lblDegrees->setText(QStringLiteral("%1 Degrees").arg(tbRotation->value()));
    rbSolid->setChecked(style_.SolidBackground);
    rbGradient->setChecked(!style_.SolidBackground);
    // A stored colour shows as the first entry with that colour (none for one not in the list).
    cmbBGColor->setCurrentIndex(ChartColourIndex(style_.SolidColor));
    cmbFromColor->setCurrentIndex(ChartColourIndex(style_.FromColor));
    cmbToColor->setCurrentIndex(ChartColourIndex(style_.ToColor));
    cmbDirection->setCurrentIndex(std::clamp(style_.GradientDirection, 0, 3));
}

void TORVChartTool::ReadStyleControls()
{
    style_.ChartType = cmbChartType->currentIndex();
    style_.DisplayLegend = cbDisplayLegend->isChecked();
    style_.LegendStyle = cmbLegend->currentIndex();
    style_.DisplayMarks = cbMarks->isChecked();
    style_.MarksStyle = cmbMarks->currentIndex();
    style_.Rotation = tbRotation->value();
}

void TORVChartTool::ReadBackgroundControls()
{
    style_.SolidBackground = rbSolid->isChecked();
    if (cmbBGColor->currentIndex() >= 0)
        style_.SolidColor = cmbBGColor->currentData().toInt();
    if (cmbFromColor->currentIndex() >= 0)
        style_.FromColor = cmbFromColor->currentData().toInt();
    if (cmbToColor->currentIndex() >= 0)
        style_.ToColor = cmbToColor->currentData().toInt();
    style_.GradientDirection = cmbDirection->currentIndex();
}

void TORVChartTool::EnableControls()
{
    cmbLegend->setEnabled(cbDisplayLegend->isChecked());
    cmbMarks->setEnabled(cbMarks->isChecked());
    const bool pie = cmbChartType->currentIndex() == ctPie;
    lblRotation->setEnabled(pie);
    tbRotation->setEnabled(pie);
    lblDegrees->setEnabled(pie);
    cmbBGColor->setEnabled(rbSolid->isChecked());
    cmbFromColor->setEnabled(!rbSolid->isChecked());
    cmbToColor->setEnabled(!rbSolid->isChecked());
    cmbDirection->setEnabled(!rbSolid->isChecked());
}
