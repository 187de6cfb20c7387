// Saving a picture: a 24-bit Windows BMP (bottom-up rows of blue, green, red,
// each padded to four bytes), or PNG when the name ends in ".png".
#pragma once

#include <QImage>
#include <string>

#include "io/Result.h"

namespace kessadon {

// The bytes of a BMP file of the image.
std::string EncodeBmp(const QImage& image);

// Writes the image to `path` without ever leaving a partial file there.
Status SavePicture(const QImage& image, const std::string& path);

}  // namespace kessadon
