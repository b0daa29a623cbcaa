#include "core/base/version.h"

TVersion GetVersion()
{
    return TVersion{
        ORVALLE_VERSION_MAJOR, ORVALLE_VERSION_MINOR, ORVALLE_VERSION_RELEASE, ORVALLE_VERSION_BUILD};
}

QString VersionString()
{
    const TVersion v = GetVersion();
    return QStringLiteral("%1.%2  (Build %3)").arg(v.Major).arg(v.Minor).arg(v.Build);
}
