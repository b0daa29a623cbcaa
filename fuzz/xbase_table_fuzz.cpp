// libFuzzer target: a table, its memo file and its index made of arbitrary bytes are opened,
// counted, walked in every order and seeked. Anything may be refused; nothing may crash or hang.
// The input is split in three at two 16-bit lengths at its start.

#include "xbase/filesystem.h"
#include "xbase/table.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const size_t dbfLength = std::min<size_t>(size - 4, data[0] | data[1] << 8);
    const size_t fptLength = std::min<size_t>(size - 4 - dbfLength, data[2] | data[3] << 8);
    const char* p = reinterpret_cast<const char*>(data) + 4;
    auto fs = std::make_shared<xbase::TMemoryFileSystem>();
    fs->SetContent("/f/t.dbf", QByteArray(p, qsizetype(dbfLength)));
    fs->SetContent("/f/t.fpt", QByteArray(p + dbfLength, qsizetype(fptLength)));
    fs->SetContent(
        "/f/t.cdx", QByteArray(p + dbfLength + fptLength, qsizetype(size - 4 - dbfLength - fptLength)));

    xbase::TTable table(fs);
    if (!table.OpenReadOnly("/f/t.dbf").ok())
        return 0;
    (void)table.VisibleCount();
    for (int order = 0; order <= table.TagCount(); ++order) {
        (void)table.SetOrder(order);
        int guard = 0;
        for ((void)table.First(); !table.Eof() && guard < 10000; (void)table.Skip(), ++guard)
            for (int f = 0; f < table.FieldCount(); ++f)
                (void)table.FieldValue(f);
        if (order > 0) {
            (void)table.Seek("a");
            (void)table.Seek("1", xbase::TSeekMode::Exact);
            (void)table.Seek("");
        }
    }
    return 0;
}
