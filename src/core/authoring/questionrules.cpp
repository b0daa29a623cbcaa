#include "core/authoring/questionrules.h"

#include <cmath>
#include <limits>
#include <optional>

namespace {

std::optional<long long> ParseInteger(const QString& text)
{
    bool ok = false;
    const long long value = text.trimmed().toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

// The minimum and maximum as the step arithmetic sees them.
std::optional<std::pair<long long, long long>> Range(const QString& minText, const QString& maxText)
{
    const QString minTrimmed = minText.trimmed();
    const QString maxTrimmed = maxText.trimmed();
    const std::optional<long long> min = minTrimmed.isEmpty() ? 1 : ParseInteger(minTrimmed);
    const std::optional<long long> max = maxTrimmed.isEmpty() ? 10 : ParseInteger(maxTrimmed);
    // Box texts are short, but an item read from a file may carry anything: keep the arithmetic
    // far from overflow.
    const auto fits = [](long long v) {
        return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
    };
    if (!min || !max || !fits(*min) || !fits(*max))
        return std::nullopt;
    return std::make_pair(*min == 0 ? 1 : *min, *max);
}

std::optional<int> Groups(long long min, long long max, long long step)
{
    if (step == 0)
        return std::nullopt;
    const long long groups = RoundHalfEven(static_cast<double>(max - min) / static_cast<double>(step));
    if (groups > std::numeric_limits<int>::max() || groups < std::numeric_limits<int>::min())
        return std::nullopt;
    return static_cast<int>(groups);
}

} // namespace

EValidationException::EValidationException(const QString& message, const QString& field)
    : std::runtime_error(message.toStdString())
    , field_(field)
{
}

long long RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<long long>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && result % 2 != 0))
        ++result;
    return result;
}

TStepProposal AutomaticStep(const QString& minText, const QString& maxText)
{
    const auto range = Range(minText, maxText);
    if (!range)
        return {};
    const auto [min, max] = *range;
    long long step = max / min;
    if (step > 10)
        step = (max - min) / 10;
    const std::optional<int> groups = Groups(min, max, step);
    if (!groups || step > std::numeric_limits<int>::max() || step < std::numeric_limits<int>::min())
        return {};
    return {static_cast<int>(step), *groups};
}

int StepGroups(const QString& minText, const QString& maxText, const QString& stepText)
{
    const auto range = Range(minText, maxText);
    const QString stepTrimmed = stepText.trimmed();
    const std::optional<long long> step = stepTrimmed.isEmpty() ? 10 : ParseInteger(stepTrimmed);
    if (!range || !step || *step < std::numeric_limits<int>::min() || *step > std::numeric_limits<int>::max())
        return 1;
    return Groups(range->first, range->second, *step).value_or(1);
}

QString StepGroupCaption(int groups)
{
    return QStringLiteral("(Results will be groups of %1)").arg(groups);
}

int IntegerOr(const QString& text, int fallback)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? value : fallback;
}

void ValidateQuestionLengths(bool includeOther, bool responsesPageShown, const QString& otherLength,
    bool includeComment, const QString& commentLength)
{
    const auto inRange = [](const QString& text) {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        return ok && value >= 30 && value <= 250;
    };
    const QString message = QString::fromLatin1(kLengthRangeMessage);
    if (includeOther && responsesPageShown && !inRange(otherLength))
        throw EValidationException(message, QStringLiteral("eOtherLength"));
    if (includeComment && !inRange(commentLength))
        throw EValidationException(message, QStringLiteral("eCommentLength"));
}

QStringList MemoLines(const QString& text)
{
    if (text.isEmpty())
        return {};
    QString normalized = text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normalized.split(QLatin1Char('\n'));
    if (normalized.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}
