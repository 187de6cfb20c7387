#include "PictureFile.h"

#include <QBuffer>
#include <QByteArray>

#include "io/TextFile.h"

namespace kessadon {
namespace {

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
  for (int k = 0; k < bytes; ++k) out.push_back(static_cast<char>((value >> (8 * k)) & 0xFF));
}

bool EndsWithPng(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ending = path.substr(path.size() - 4);
  for (char& c : ending) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return ending == ".png";
}

}  // namespace

std::string EncodeBmp(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const std::uint32_t width = static_cast<std::uint32_t>(rgb.width());
  const std::uint32_t height = static_cast<std::uint32_t>(rgb.height());
  const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
  const std::uint32_t pixelBytes = rowBytes * height;
  constexpr std::uint32_t kHeaderBytes = 14 + 40;
  const auto dotsPerMeter =
      static_cast<std::uint32_t>(rgb.dotsPerMeterX() > 0 ? rgb.dotsPerMeterX() : 3780);

  std::string out;
  out.reserve(kHeaderBytes + pixelBytes);
  // File header.
  out += "BM";
  PutLittleEndian(out, kHeaderBytes + pixelBytes, 4);
  PutLittleEndian(out, 0, 4);  // reserved
  PutLittleEndian(out, kHeaderBytes, 4);
  // Info header; a positive height means the bottom row comes first.
  PutLittleEndian(out, 40, 4);
  PutLittleEndian(out, width, 4);
  PutLittleEndian(out, height, 4);
  PutLittleEndian(out, 1, 2);   // planes
  PutLittleEndian(out, 24, 2);  // bits per pixel
  PutLittleEndian(out, 0, 4);   // no compression
  PutLittleEndian(out, pixelBytes, 4);
  PutLittleEndian(out, dotsPerMeter, 4);
  PutLittleEndian(out, dotsPerMeter, 4);
  PutLittleEndian(out, 0, 4);  // colours used
  PutLittleEndian(out, 0, 4);  // important colours

  for (std::uint32_t row = height; row-- > 0;) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(static_cast<int>(row)));
    for (std::uint32_t x = 0; x < width; ++x) {
      out.push_back(static_cast<char>(qBlue(line[x])));
      out.push_back(static_cast<char>(qGreen(line[x])));
      out.push_back(static_cast<char>(qRed(line[x])));
    }
    out.append(rowBytes - width * 3, '\0');
  }
  return out;
}

Status SavePicture(const QImage& image, const std::string& path) {
  if (!EndsWithPng(path)) return WriteFileAtomically(path, EncodeBmp(image));
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) return Failure{"PNG 画像を作れません"};
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace kessadon
