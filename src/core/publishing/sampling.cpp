#include "core/publishing/sampling.h"

#include <cfenv>
#include <cmath>

int ClampSamplingPercent(int percent)
{
    return std::clamp(percent, 1, 100);
}

int SampleTarget(int recordCount, int percent)
{
    // The factor and both products stay in extended precision; volatile keeps the compiler
    // from folding them in another precision.
    volatile long double factor = 0.01L;
    volatile long double share = static_cast<long double>(percent) * factor;
    volatile long double product = static_cast<long double>(recordCount) * share;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const long double rounded = std::nearbyintl(product);
    std::fesetround(saved);
    return static_cast<int>(rounded);
}

TDrawOutcome DrawSample(int target, const TSampleSource& source, TSample& sample)
{
    if (source.RecordCount <= 0)
        return TDrawOutcome::Complete;
    int counted = 0;
    do {
        if (source.stopRequested && source.stopRequested())
            return TDrawOutcome::Stopped;
        const int r = source.random(1, source.RecordCount);
        if (!source.eligible(r)) {
            ++counted;
        } else if (sample.insert(QString::number(r)).second) {
            ++counted;
        }
        if (source.drawn)
            source.drawn(counted);
        if (static_cast<int>(sample.size()) >= source.LiveCount)
            break;
    } while (counted < target);
    if (source.stopRequested && source.stopRequested())
        return TDrawOutcome::Stopped;
    return TDrawOutcome::Complete;
}
