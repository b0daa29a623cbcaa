#pragma once

#include <QDateTime>

#include <functional>

// "Now" for every part of the program that stamps times into documents. Tests replace the clock
// so that time stamps, unique names and history entries are predictable.
using TClockFunction = std::function<QDateTime()>;

// The current local date and time from the installed clock (the system clock by default).
QDateTime Now();

// Installs a clock; an empty function restores the system clock.
void SetClock(TClockFunction clock);

// Installs a fixed or scripted clock for the lifetime of the object (tests).
class TScopedClock {
public:
    explicit TScopedClock(TClockFunction clock);
    explicit TScopedClock(const QDateTime& fixed);
    ~TScopedClock();
    TScopedClock(const TScopedClock&) = delete;
    TScopedClock& operator=(const TScopedClock&) = delete;
};
