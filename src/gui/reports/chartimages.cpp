#include "gui/reports/chartimages.h"

#include "core/reports/jpegwriter.h"
#include "core/survey/survey.h"
#include "gui/analysis/chart.h"

#include <QImage>

TChartImageWriter MakeChartImageWriter(
    const TSurvey& survey, const TResultsList& results, const TChartStyle& background, QSize size)
{
    return [&survey, &results, background, size](int index, const QString& path) {
        const TQuestion& q = survey.GetQuestion(index);
        TChartStyle style = background;
        TakeChartFields(style, q);
        const QImage image = RenderChartImage(BuildChartData(q, results), style, size)
                                 .convertToFormat(QImage::Format_RGB888);
        return WriteJpegFile(
            path, image.width(), image.height(), [&image](int y) { return image.constScanLine(y); });
    };
}
