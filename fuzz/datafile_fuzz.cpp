// libFuzzer target: a server data file of arbitrary bytes read line by line (with a small line
// limit, so that overlong lines are met), each line tested and split into its Name=Value items.

#include "core/responses/datafile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QString path
        = QDir::tempPath() + QStringLiteral("/orvalle-fuzz-%1.dat").arg(QCoreApplication::applicationPid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    TDataLineReader reader(4096);
    if (!reader.Open(path))
        return 0;
    TResponseValues values;
    const int address = values.AddName(QStringLiteral("RemoteAddr"));
    const int comment = values.AddName(QStringLiteral("ORV1Comment"));
    QByteArray line;
    while (reader.ReadLine(line)) {
        (void)IsErrorStatusLine(line);
        (void)IsEndOfDataLine(line);
        if (!IsResponseLine(line))
            continue;
        const std::string_view bytes(line.constData(), static_cast<size_t>(line.size()));
        values.Parse(bytes);
        (void)values.Value(address);
        (void)values.Value(comment);
        (void)SplitCommaItems(bytes);
    }
    return 0;
}
