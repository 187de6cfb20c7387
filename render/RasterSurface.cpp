#include "RasterSurface.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>
#include <vector>

#include "Clip.h"
#include "PolygonOutline.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

// 96 dots per inch at scale 1, so font points turn into the pixels a desktop
// would give; more for a picture made for print.
int DotsPerMeter(double scale) { return static_cast<int>(std::lround(3780 * scale)); }

// Beyond this distance from the image nothing is visible; a margin wider than
// any pen keeps clipped edges out of sight.
double Margin(int drawWidth) { return 16.0 + drawWidth; }

QImage NewImage(int width, int height, Color background, double scale) {
  QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
  image.setDotsPerMeterX(DotsPerMeter(scale));
  image.setDotsPerMeterY(DotsPerMeter(scale));
  image.fill(ToQColor(background));
  return image;
}

Color PixelAt(const QImage& image, int x, int y) {
  if (!image.valid(x, y)) return -1;
  return FromQRgb(image.pixel(x, y));
}

}  // namespace

QColor ToQColor(Color color) { return QColor(RedOf(color), GreenOf(color), BlueOf(color)); }

Color FromQRgb(QRgb rgb) { return Rgb(qRed(rgb), qGreen(rgb), qBlue(rgb)); }

QFont SurfaceFont(const std::string& name, double points) {
  QFont font;
  QStringList families{QString::fromStdString(name)};
  // Century Schoolbook clones share Century's metrics, so text keeps its size.
  if (QString::fromStdString(name).compare("Century", Qt::CaseInsensitive) == 0) {
    families << "C059"
             << "TeX Gyre Schola"
             << "Century Schoolbook L";
  }
  font.setFamilies(families);
  font.setPointSizeF(points > 0 ? points : 1);
  // Smoothed in grey, never in colour fringes: small figures stay readable.
  font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoSubpixelAntialias));
  return font;
}

RasterSurface::RasterSurface(int width, int height)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      persistent_(NewImage(width, height, BackColor(), 1)) {}

RasterSurface::RasterSurface(const RasterSurface& whole, uchar* bits, int top, int bottom)
    : width_(whole.width_),
      height_(whole.height_),
      persistent_(bits, whole.Target().width(), whole.Target().height(),
                  whole.Target().bytesPerLine(), whole.Target().format()),
      band_(true),
      bandTop_(top),
      bandBottom_(bottom) {
  persistent_.setDotsPerMeterX(whole.Target().dotsPerMeterX());
  persistent_.setDotsPerMeterY(whole.Target().dotsPerMeterY());
  SetForeColor(whole.ForeColor());
  SetDrawStyle(whole.DrawStyle());
  SetDrawWidth(whole.DrawWidth());
  SetScale(whole.Scale());
  SetFillStyle(whole.FillStyle());
  SetFillColor(whole.FillColor());
  SetFontName(whole.FontName());
  SetFontSize(whole.FontSize());
  SetCurrentX(whole.CurrentX());
  SetCurrentY(whole.CurrentY());
}

RasterSurface::~RasterSurface() { EndPainting(); }

std::vector<SurfaceBand> RasterSurface::SplitIntoBands(std::span<const int> cuts) {
  EndPainting();
  QImage& target = Target();
  if (band_ || target.isNull()) return {};
  // Detached here, once, rather than by a band's thread.
  uchar* bits = target.bits();
  std::vector<SurfaceBand> bands;
  int top = 0;
  auto add = [&](int bottom) {
    bands.push_back({std::unique_ptr<DrawingSurface>(new RasterSurface(*this, bits, top, bottom)),
                     top, bottom});
    top = bottom;
  };
  for (const int cut : cuts) {
    if (cut > top && cut < target.height()) add(cut);
  }
  add(target.height());
  return bands;
}

bool RasterSurface::Reaches(double top, double bottom) const {
  if (!band_) return true;
  const double reach = PenWidth() + 2.0;  // round caps and joins stick out half the width
  return bottom + reach >= bandTop_ && top - reach < bandBottom_;
}

void RasterSurface::EndPainting() const {
  rows_ = PixelRows{};
  if (painter_) {
    painter_->end();
    painter_.reset();
  }
}

QPainter* RasterSurface::Painter() {
  if (!painter_) {
    QImage& target = Target();
    if (target.isNull()) return nullptr;
    painter_ = std::make_unique<QPainter>(&target);
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    if (band_) painter_->setClipRect(QRect(0, bandTop_, target.width(), bandBottom_ - bandTop_));
    pen_ = PenKey{};
    brush_ = BrushKey{};
  }
  return painter_.get();
}

void RasterSurface::UsePen(Color color, bool visible) {
  const PenKey key{color, visible ? kDrawSolid : kDrawInvisible, PenWidth()};
  if (key == pen_) return;
  pen_ = key;
  if (!visible) {
    painter_->setPen(Qt::NoPen);
    return;
  }
  QPen pen(ToQColor(color));
  if (key.width > 1) {
    pen.setWidth(key.width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
  } else {
    // One pixel wide, both end points set.
    pen.setWidth(1);
    pen.setCapStyle(Qt::SquareCap);
  }
  painter_->setPen(pen);
}

void RasterSurface::UseBrush(bool solid, Color color) {
  const BrushKey key{solid ? color : -1, solid, true};
  if (key == brush_) return;
  brush_ = key;
  if (solid) {
    painter_->setBrush(ToQColor(color));
  } else {
    painter_->setBrush(Qt::NoBrush);
  }
}

void RasterSurface::Erase() {
  if (band_) return;  // a band only draws; the whole surface erases
  EndPainting();
  persistent_.fill(ToQColor(BackColor()));
  if (!screenFollows_) screen_.fill(ToQColor(BackColor()));
}

void RasterSurface::AutoRedrawChanged() {
  if (band_) return;  // a band draws into the one image it shares
  EndPainting();
  if (AutoRedraw()) {
    screenFollows_ = true;
    screen_ = QImage();
  } else {
    screen_ = persistent_.copy();
    screenFollows_ = false;
  }
}

void RasterSurface::ScaleChanged() {
  EndPainting();
  for (QImage* image : {&persistent_, &screen_}) {
    if (image->isNull()) continue;
    image->setDotsPerMeterX(DotsPerMeter(Scale()));
    image->setDotsPerMeterY(DotsPerMeter(Scale()));
  }
}

void RasterSurface::Resize(int width, int height) {
  EndPainting();
  width_ = std::max(width, 0);
  height_ = std::max(height, 0);
  auto resized = [&](const QImage& old) {
    QImage image = NewImage(width_, height_, BackColor(), Scale());
    if (!image.isNull() && !old.isNull()) {
      QPainter painter(&image);
      painter.drawImage(0, 0, old);
    }
    return image;
  };
  persistent_ = resized(persistent_);
  if (!screenFollows_) screen_ = resized(screen_);
}

void RasterSurface::SegmentClipped(double x1, double y1, double x2, double y2) {
  const double m = Margin(PenWidth());
  const ClipRect rect{-m, -m, width_ + m, height_ + m};
  if (rect.Contains(x1, y1) && rect.Contains(x2, y2)) {
    painter_->drawLine(QPoint(static_cast<int>(x1), static_cast<int>(y1)),
                       QPoint(static_cast<int>(x2), static_cast<int>(y2)));
    return;
  }
  PointF a{x1, y1}, b{x2, y2};
  if (!ClipSegment(rect, a, b)) return;
  painter_->drawLine(QPointF(a.x, a.y), QPointF(b.x, b.y));
}

void RasterSurface::DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) {
  if (!Reaches(std::min(y1, y2), std::max(y1, y2))) return;
  QPainter* painter = Painter();
  if (!painter) return;
  if (form == LineForm::FilledBox) {
    const double m = Margin(0);
    const double left = std::clamp<double>(std::min(x1, x2), -m, width_ + m);
    const double right = std::clamp<double>(std::max(x1, x2), -m, width_ + m);
    const double top = std::clamp<double>(std::min(y1, y2), -m, height_ + m);
    const double bottom = std::clamp<double>(std::max(y1, y2), -m, height_ + m);
    painter->fillRect(QRect(QPoint(static_cast<int>(left), static_cast<int>(top)),
                            QPoint(static_cast<int>(right), static_cast<int>(bottom))),
                      ToQColor(color));
    return;
  }
  if (DrawStyle() == kDrawInvisible) return;
  UsePen(color, true);
  if (form == LineForm::Segment) {
    SegmentClipped(x1, y1, x2, y2);
    return;
  }
  SegmentClipped(x1, y1, x2, y1);
  SegmentClipped(x2, y1, x2, y2);
  SegmentClipped(x2, y2, x1, y2);
  SegmentClipped(x1, y2, x1, y1);
}

void RasterSurface::DrawPoint(int x, int y, Color color) {
  if (PenWidth() == 1 && Rows() && static_cast<unsigned>(x) < static_cast<unsigned>(rows_.width) &&
      static_cast<unsigned>(y) < static_cast<unsigned>(rows_.height)) {
    if (y >= rows_.firstRow && y < rows_.endRow) {
      rows_.bits[y * rows_.stride + x] = qRgb(RedOf(color), GreenOf(color), BlueOf(color));
    }
    return;
  }
  const double m = Margin(PenWidth());
  if (x < -m || y < -m || x > width_ + m || y > height_ + m || !Reaches(y, y)) return;
  QPainter* painter = Painter();
  if (!painter) return;
  UsePen(color, true);
  painter->drawPoint(x, y);
}

void RasterSurface::DrawCircle(int x, int y, int radius, Color color) {
  const double reach = std::abs(static_cast<double>(radius)) + Margin(PenWidth());
  if (x < -reach || y < -reach || x > width_ + reach || y > height_ + reach) return;
  if (std::abs(radius) > (1 << 20)) return;  // larger than any window could show
  QPainter* painter = Painter();
  if (!painter) return;
  UsePen(color, DrawStyle() != kDrawInvisible);
  UseBrush(FillStyle() == kFillSolid, FillColor());
  painter->drawEllipse(QPoint(x, y), radius, radius);
}

// The raster painter writes straight into the image as it draws, so pixels
// set through these rows and by the painter land in drawing order.
bool RasterSurface::Rows() {
  if (!rows_.bits) {
    QImage& target = Target();
    if (target.isNull()) return false;
    // Every image here is Format_RGB32.
    rows_ = PixelRows{reinterpret_cast<std::uint32_t*>(target.bits()), target.bytesPerLine() / 4,
                      target.width(), target.height()};
    if (band_) {
      rows_.firstRow = bandTop_;
      rows_.endRow = bandBottom_;
    }
  }
  return true;
}

bool RasterSurface::FillDirectly(std::span<const SurfacePoint> points) {
  if (DrawStyle() != kDrawInvisible || FillStyle() != kFillSolid || !Rows()) return false;
  const Color fill = FillColor();
  return FillPolygon(rows_, points, qRgb(RedOf(fill), GreenOf(fill), BlueOf(fill)));
}

bool RasterSurface::OutlineDirectly(std::span<const SurfacePoint> points) {
  if (DrawStyle() == kDrawInvisible || FillStyle() == kFillSolid || PenWidth() != 1 || !Rows()) {
    return false;
  }
  const Color pen = ForeColor();
  return OutlinePolygon(rows_, points, qRgb(RedOf(pen), GreenOf(pen), BlueOf(pen)));
}

void RasterSurface::Polygon(std::span<const SurfacePoint> points) {
  if (points.empty()) return;
  if (FillDirectly(points) || OutlineDirectly(points)) return;
  if (band_) {
    const auto [top, bottom] = std::minmax_element(
        points.begin(), points.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    if (!Reaches(top->y, bottom->y)) return;
  }
  QPainter* painter = Painter();
  if (!painter) return;
  UsePen(ForeColor(), DrawStyle() != kDrawInvisible);
  UseBrush(FillStyle() == kFillSolid, FillColor());

  const double m = Margin(PenWidth());
  const ClipRect rect{-m, -m, width_ + m, height_ + m};
  const bool inside = std::all_of(points.begin(), points.end(),
                                  [&](const SurfacePoint& p) { return rect.Contains(p.x, p.y); });
  if (inside) {
    // SurfacePoint is laid out as QPoint is: two 32-bit ints.
    static_assert(sizeof(SurfacePoint) == sizeof(QPoint));
    QPoint corners[8];
    if (points.size() <= 8) {
      std::transform(points.begin(), points.end(), corners,
                     [](const SurfacePoint& p) { return QPoint(p.x, p.y); });
      painter->drawPolygon(corners, static_cast<int>(points.size()), Qt::OddEvenFill);
    } else {
      std::vector<QPoint> many;
      many.reserve(points.size());
      for (const SurfacePoint& p : points) many.emplace_back(p.x, p.y);
      painter->drawPolygon(many.data(), static_cast<int>(many.size()), Qt::OddEvenFill);
    }
    return;
  }
  std::vector<PointF> polygon;
  polygon.reserve(points.size());
  for (const SurfacePoint& p : points) polygon.push_back({double(p.x), double(p.y)});
  const std::vector<PointF> clipped = ClipPolygon(rect, polygon);
  if (clipped.size() < 2) return;
  std::vector<QPointF> corners;
  corners.reserve(clipped.size());
  for (const PointF& p : clipped) corners.emplace_back(p.x, p.y);
  painter->drawPolygon(corners.data(), static_cast<int>(corners.size()), Qt::OddEvenFill);
}

const QFont& RasterSurface::Font() const {
  if (FontName() != fontName_ || FontSize() != fontSize_) {
    fontName_ = FontName();
    fontSize_ = FontSize();
    font_ = SurfaceFont(fontName_, fontSize_);
  }
  return font_;
}

double RasterSurface::TextWidth(std::string_view text) const {
  const QImage& device = persistent_;
  return QFontMetricsF(Font(), &device)
      .horizontalAdvance(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

double RasterSurface::TextHeight(std::string_view) const {
  const QImage& device = persistent_;
  return QFontMetricsF(Font(), &device).height();
}

void RasterSurface::DrawText(double x, double y, std::string_view text) {
  if (text.empty()) return;
  const double left = IntFloor(x), top = IntFloor(y);
  constexpr double kFar = 1 << 24;
  if (!(std::abs(left) < kFar && std::abs(top) < kFar)) return;
  QPainter* painter = Painter();
  if (!painter) return;
  UsePen(ForeColor(), true);
  const QFont& font = Font();
  painter->setFont(font);
  const double ascent = QFontMetricsF(font, painter->device()).ascent();
  painter->drawText(QPointF(left, top + ascent),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

const QImage& RasterSurface::Image() const {
  EndPainting();
  return persistent_;
}

const QImage& RasterSurface::Screen() const {
  EndPainting();
  return Target();
}

Color RasterSurface::ImagePixel(int x, int y) const { return PixelAt(Image(), x, y); }

Color RasterSurface::ScreenPixel(int x, int y) const { return PixelAt(Screen(), x, y); }

}  // namespace kessadon
