// Saving a picture. The format follows the name's ending: a 24-bit Windows BMP
// (bottom-up rows of blue, green, red, each padded to four bytes), PNG, JPEG
// or TIFF from the bitmap; SVG or PDF from a vector surface. Qt's own BMP
// writer gives exactly that file for the surface's 32-bit images.
#pragma once

#include <QImage>
#include <optional>
#include <string>

#include "io/Result.h"

namespace kessadon {

enum class PictureFormat { Bmp, Png, Jpeg, Tiff, Svg, Pdf };

// The format a file name asks for by its ending (any case): .bmp, .png, .jpg,
// .jpeg, .tif, .tiff (where this Qt writes them), .svg, .pdf.
std::optional<PictureFormat> PictureFormatOf(const std::string& path);
// The endings a picture may be saved under, as a list for messages.
std::string PictureEndings();
// The same, or a refusal that lists the endings understood.
Result<PictureFormat> RequirePictureFormat(const std::string& path);
bool IsVectorFormat(PictureFormat format);

// Writes the image to `path` without ever leaving a partial file there, in
// the bitmap format its ending names, as BMP when it names none (the
// desktop's save adds no ending). A vector ending is refused: those pictures
// are drawn again on a VectorSurface.
Status SavePicture(const QImage& image, const std::string& path);

}  // namespace kessadon
