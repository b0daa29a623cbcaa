#pragma once

// JPEG files through libjpeg with its default settings (quality 75), from rows of 8-bit RGB.

#include <QString>

#include <functional>

// `row(y)` gives the 3 × width bytes of row y. Written under a temporary name and moved into
// place; an empty string on success, else libjpeg's or the file system's message.
QString WriteJpegFile(
    const QString& path, int width, int height, const std::function<const unsigned char*(int)>& row);
