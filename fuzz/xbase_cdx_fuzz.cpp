// libFuzzer target: the compound index reader on arbitrary bytes, with both trailing fills and
// the strict checks.

#include "xbase/cdxfile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(data), qsizetype(size));
    std::vector<xbase::TCdxTagHeader> tags;
    if (!xbase::ReadCdxTags(file, &tags).ok())
        return 0;
    std::vector<xbase::TCdxEntry> entries;
    for (const xbase::TCdxTagHeader& tag : tags) {
        (void)xbase::ReadCdxEntries(file, tag, ' ', &entries, false);
        (void)xbase::ReadCdxEntries(file, tag, '\0', &entries, true);
    }
    return 0;
}
