#include "core/reports/jpegwriter.h"

#include <QSaveFile>

#include <csetjmp>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace {

// libjpeg's default error handler ends the process; this one jumps back with the message.
struct TJpegError {
    jpeg_error_mgr Manager;
    std::jmp_buf Jump;
    char Message[JMSG_LENGTH_MAX];
};

void OnJpegError(j_common_ptr info)
{
    auto* error = reinterpret_cast<TJpegError*>(info->err);
    (*info->err->format_message)(info, error->Message);
    std::longjmp(error->Jump, 1);
}

// Compresses into memory; the caller writes the bytes.
QString Compress(int width, int height, const std::function<const unsigned char*(int)>& row,
    unsigned char** buffer, unsigned long* size)
{
    jpeg_compress_struct info{};
    TJpegError error{};
    info.err = jpeg_std_error(&error.Manager);
    error.Manager.error_exit = OnJpegError;
    if (setjmp(error.Jump)) {
        jpeg_destroy_compress(&info);
        return QString::fromLocal8Bit(error.Message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, buffer, size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = const_cast<JSAMPROW>(row(int(info.next_scanline)));
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return QString();
}

} // namespace

QString WriteJpegFile(
    const QString& path, int width, int height, const std::function<const unsigned char*(int)>& row)
{
    if (width <= 0 || height <= 0)
        return QStringLiteral("The image is empty.");
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const QString error = Compress(width, height, row, &buffer, &size);
    const QByteArray bytes
        = error.isEmpty() ? QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size)) : QByteArray();
    std::free(buffer);
    if (!error.isEmpty())
        return error;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return QString();
}
