#include "core/base/clock.h"

#include <utility>

namespace {
TClockFunction& InstalledClock()
{
    static TClockFunction clock;
    return clock;
}
} // namespace

QDateTime Now()
{
    const TClockFunction& clock = InstalledClock();
    return clock ? clock() : QDateTime::currentDateTime();
}

void SetClock(TClockFunction clock)
{
    InstalledClock() = std::move(clock);
}

TScopedClock::TScopedClock(TClockFunction clock)
{
    SetClock(std::move(clock));
}

TScopedClock::TScopedClock(const QDateTime& fixed)
{
    SetClock([fixed] { return fixed; });
}

TScopedClock::~TScopedClock()
{
    SetClock({});
}
