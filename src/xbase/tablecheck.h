#pragma once

// The full check of a table and its index, for tools: every tag's nodes against every rule of
// the format, every key recomputed from the records, the free-page list, every memo pointer.
// Opening a table checks far less (see TTable::Open); this reads everything once.

#include "xbase/filesystem.h"
#include "xbase/status.h"

#include <QStringList>

#include <memory>

namespace xbase {

struct TTableCheck {
    int Records = 0;
    int Deleted = 0;
    QStringList Lines; // what was looked at, one finding per line
    int Problems = 0;
};

// Fails only when the table cannot be read at all; what is wrong inside goes to `result`.
TStatus CheckTable(
    const QString& path, TTableCheck* result, std::shared_ptr<TFileSystem> fs = TFileSystem::Real());

} // namespace xbase
