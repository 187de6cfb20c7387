// Saving a picture: a 24-bit Windows BMP (bottom-up rows of blue, green, red,
// each padded to four bytes), or PNG when the name ends in ".png". Qt's own
// BMP writer gives exactly that file for the surface's 32-bit images.
#pragma once

#include <QImage>
#include <string>

#include "io/Result.h"

namespace kessadon {

// Writes the image to `path` without ever leaving a partial file there.
Status SavePicture(const QImage& image, const std::string& path);

}  // namespace kessadon
