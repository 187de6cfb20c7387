#include "PictureFile.h"

#include <QBuffer>
#include <QByteArray>

#include "io/TextFile.h"

namespace kessadon {
namespace {

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ending == ".png";
}

}  // namespace

Status SavePicture(const QImage& image, const std::string& path) {
  const bool png = EndsWithPng(path);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Without an alpha channel the BMP writer stores 24 bits a pixel.
  if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, png ? "PNG" : "BMP")) {
    return Failure{png ? "PNG 画像を作れません" : "BMP 画像を作れません"};
  }
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace kessadon
