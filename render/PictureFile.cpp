#include "PictureFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageWriter>
#include <array>
#include <utility>

#include "io/TextFile.h"

namespace kessadon {
namespace {

struct Ending {
  const char* text;
  PictureFormat format;
};

constexpr std::array<Ending, 8> kEndings = {{
    {".bmp", PictureFormat::Bmp},
    {".png", PictureFormat::Png},
    {".jpg", PictureFormat::Jpeg},
    {".jpeg", PictureFormat::Jpeg},
    {".tif", PictureFormat::Tiff},
    {".tiff", PictureFormat::Tiff},
    {".svg", PictureFormat::Svg},
    {".pdf", PictureFormat::Pdf},
}};

const char* WriterName(PictureFormat format) {
  switch (format) {
    case PictureFormat::Png:
      return "PNG";
    case PictureFormat::Jpeg:
      return "JPEG";
    case PictureFormat::Tiff:
      return "TIFF";
    default:
      return "BMP";
  }
}

// JPEG and TIFF come from Qt's image plugins, which a system may lack.
bool Writable(PictureFormat format) {
  if (IsVectorFormat(format)) return true;
  return QImageWriter::supportedImageFormats().contains(QByteArray(WriterName(format)).toLower());
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

}  // namespace

std::optional<PictureFormat> PictureFormatOf(const std::string& path) {
  const std::string name = Lower(path);
  for (const Ending& ending : kEndings) {
    const std::string text = ending.text;
    if (name.size() > text.size() &&
        name.compare(name.size() - text.size(), text.size(), text) == 0) {
      if (!Writable(ending.format)) return std::nullopt;
      return ending.format;
    }
  }
  return std::nullopt;
}

std::string PictureEndings() {
  std::string list;
  for (const Ending& ending : kEndings) {
    if (!Writable(ending.format)) continue;
    if (!list.empty()) list += ", ";
    list += ending.text;
  }
  return list;
}

Result<PictureFormat> RequirePictureFormat(const std::string& path) {
  if (std::optional<PictureFormat> format = PictureFormatOf(path)) return *format;
  return Failure{"unknown picture format; the name must end in one of " + PictureEndings()};
}

bool IsVectorFormat(PictureFormat format) {
  return format == PictureFormat::Svg || format == PictureFormat::Pdf;
}

Status SavePicture(const QImage& image, const std::string& path) {
  const PictureFormat format = PictureFormatOf(path).value_or(PictureFormat::Bmp);
  if (IsVectorFormat(format)) return Failure{"SVG と PDF はベクトル図として保存します"};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  // Without an alpha channel the BMP writer stores 24 bits a pixel.
  if (!image.convertToFormat(QImage::Format_RGB32).save(&buffer, WriterName(format))) {
    return Failure{std::string(WriterName(format)) + " 画像を作れません"};
  }
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace kessadon
