#include "VectorSurface.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPainterPath>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

#include "Clip.h"
#include "RasterSurface.h"
#include "io/NumberText.h"
#include "io/TextFile.h"

namespace kessadon {
namespace {

// A pixel's line runs through its centre; a fill's edges lie on pixel borders.
constexpr double kCentre = 0.5;
// A stub too short to see but long enough for every viewer to draw its caps.
constexpr double kStub = 0.01;

// Beyond this distance from the picture nothing is visible; coordinates far
// outside would only bloat the file and strain the viewer.
ClipRect Reach(int width, int height, int pen) {
  const double m = 16.0 + pen;
  return {-m, -m, width + m, height + m};
}

QImage MetricsDevice(double scale) {
  QImage image(1, 1, QImage::Format_RGB32);
  const int dpm = static_cast<int>(std::lround(3780 * scale));
  image.setDotsPerMeterX(dpm);
  image.setDotsPerMeterY(dpm);
  return image;
}

QString Utf8(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

VectorSurface::VectorSurface(int width, int height, bool flat)
    : width_(std::max(width, 0)),
      height_(std::max(height, 0)),
      flat_(flat),
      metrics_(MetricsDevice(1)) {}

VectorSurface::~VectorSurface() = default;

void VectorSurface::Erase() {
  ops_.clear();
  points_.clear();
  texts_.clear();
  cells_ = 0;
  raster_.reset();
}

void VectorSurface::ScaleChanged() {
  metrics_ = MetricsDevice(Scale());
  if (raster_) raster_->SetScale(Scale());
}

VectorSurface::Op VectorSurface::StateOp(Op::Kind kind, Color color) const {
  Op op{kind};
  op.color = color;
  op.drawStyle = DrawStyle();
  op.drawWidth = DrawWidth();
  op.fillStyle = FillStyle();
  op.fillColor = FillColor();
  return op;
}

void VectorSurface::Record(Op op, std::span<const SurfacePoint> points) {
  const bool cell = op.kind == Op::Kind::Polygon;
  if (cell && ++cells_ > kMostVectorCells && !raster_) StartRaster();
  if (raster_ && cell) {
    // In a 3-D view the lines since the last cell may lie behind this one.
    if (!flat_) Flush();
    op.count = points.size();
    const std::size_t keep = points_.size();
    points_.insert(points_.end(), points.begin(), points.end());
    op.first = keep;
    Replay(*raster_, op);
    points_.resize(keep);
    return;
  }
  op.first = points_.size();
  op.count = points.size();
  points_.insert(points_.end(), points.begin(), points.end());
  ops_.push_back(op);
}

// The cells so far go to the image; in a 3-D view everything drawn so far,
// since the cells may hide any of it.
void VectorSurface::StartRaster() {
  raster_ = std::make_unique<RasterSurface>(width_, height_);
  raster_->SetScale(Scale());
  raster_->SetBackColor(BackColor());
  if (!flat_) {
    Flush();
    return;
  }
  std::vector<Op> lines;
  for (const Op& op : ops_) {
    if (op.kind == Op::Kind::Polygon) {
      Replay(*raster_, op);
    } else {
      lines.push_back(op);
    }
  }
  ops_ = std::move(lines);
}

// Everything recorded goes to the image, in order.
void VectorSurface::Flush() {
  for (const Op& op : ops_) Replay(*raster_, op);
  ops_.clear();
  points_.clear();
  texts_.clear();
}

void VectorSurface::Replay(DrawingSurface& target, const Op& op) const {
  target.SetDrawStyle(op.drawStyle);
  target.SetDrawWidth(op.drawWidth);
  target.SetFillStyle(op.fillStyle);
  target.SetFillColor(op.fillColor);
  target.SetForeColor(op.color);
  const SurfacePoint* p = points_.data() + op.first;
  switch (op.kind) {
    case Op::Kind::Segment:
      target.Line(p[0].x, p[0].y, p[1].x, p[1].y, op.color, LineForm::Segment);
      break;
    case Op::Kind::Box:
      target.Line(p[0].x, p[0].y, p[1].x, p[1].y, op.color, LineForm::Box);
      break;
    case Op::Kind::FilledBox:
      target.Line(p[0].x, p[0].y, p[1].x, p[1].y, op.color, LineForm::FilledBox);
      break;
    case Op::Kind::Point:
      target.PSet(p[0].x, p[0].y, op.color);
      break;
    case Op::Kind::Circle:
      target.Circle(p[0].x, p[0].y, op.radius, op.color);
      break;
    case Op::Kind::Polygon:
      target.Polygon(std::span<const SurfacePoint>(p, op.count));
      break;
    case Op::Kind::Text:
      target.SetFontName(fonts_[op.font]);
      target.SetFontSize(op.fontSize);
      target.SetCurrentX(p[0].x);
      target.SetCurrentY(p[0].y);
      target.Print(texts_[op.text]);
      break;
  }
}

void VectorSurface::DrawLine(int x1, int y1, int x2, int y2, Color color, LineForm form) {
  if (form != LineForm::FilledBox && DrawStyle() == kDrawInvisible) return;
  const Op::Kind kind = form == LineForm::Segment ? Op::Kind::Segment
                        : form == LineForm::Box   ? Op::Kind::Box
                                                  : Op::Kind::FilledBox;
  const SurfacePoint ends[2] = {{x1, y1}, {x2, y2}};
  Record(StateOp(kind, color), ends);
}

void VectorSurface::DrawPoint(int x, int y, Color color) {
  const SurfacePoint at[1] = {{x, y}};
  Record(StateOp(Op::Kind::Point, color), at);
}

void VectorSurface::DrawCircle(int x, int y, int radius, Color color) {
  if (std::abs(radius) > (1 << 20)) return;  // larger than any page could show
  Op op = StateOp(Op::Kind::Circle, color);
  op.radius = std::abs(radius);
  const SurfacePoint at[1] = {{x, y}};
  Record(op, at);
}

void VectorSurface::Polygon(std::span<const SurfacePoint> points) {
  if (points.empty()) return;
  Record(StateOp(Op::Kind::Polygon, ForeColor()), points);
}

void VectorSurface::DrawText(double x, double y, std::string_view text) {
  if (text.empty()) return;
  const double left = IntFloor(x), top = IntFloor(y);
  constexpr double kFar = 1 << 24;
  if (!(std::abs(left) < kFar && std::abs(top) < kFar)) return;
  Op op = StateOp(Op::Kind::Text, ForeColor());
  op.fontSize = FontSize();
  const auto font = std::find(fonts_.begin(), fonts_.end(), FontName());
  op.font = static_cast<std::size_t>(font - fonts_.begin());
  if (font == fonts_.end()) fonts_.push_back(FontName());
  op.text = texts_.size();
  texts_.emplace_back(text);
  const SurfacePoint at[1] = {{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top)}};
  Record(op, at);
}

double VectorSurface::TextWidth(std::string_view text) const {
  return QFontMetricsF(SurfaceFont(FontName(), FontSize()), &metrics_)
      .horizontalAdvance(Utf8(text));
}

double VectorSurface::TextHeight(std::string_view) const {
  return QFontMetricsF(SurfaceFont(FontName(), FontSize()), &metrics_).height();
}

// One pixel wide with both end pixels covered, as on the raster; wider pens round.
QPen VectorSurface::PenOf(const Op& op) const {
  const int width = std::max(1, static_cast<int>(std::lround(op.drawWidth * Scale())));
  return QPen(ToQColor(op.color), width, Qt::SolidLine, width > 1 ? Qt::RoundCap : Qt::SquareCap,
              Qt::RoundJoin);
}

void VectorSurface::Paint(QPainter& painter, const Op& op) const {
  const SurfacePoint* p = points_.data() + op.first;
  const QPen pen = PenOf(op);
  const int penWidth = pen.width();
  const bool outline = op.drawStyle != kDrawInvisible;
  const ClipRect reach = Reach(width_, height_, penWidth);
  auto segment = [&](double x1, double y1, double x2, double y2) {
    PointF a{x1, y1}, b{x2, y2};
    if (!ClipSegment(reach, a, b)) return;
    painter.drawLine(QPointF(a.x + kCentre, a.y + kCentre), QPointF(b.x + kCentre, b.y + kCentre));
  };
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::NoBrush);
  switch (op.kind) {
    case Op::Kind::Segment:
      painter.setPen(pen);
      segment(p[0].x, p[0].y, p[1].x, p[1].y);
      break;
    case Op::Kind::Box:
      painter.setPen(pen);
      segment(p[0].x, p[0].y, p[1].x, p[0].y);
      segment(p[1].x, p[0].y, p[1].x, p[1].y);
      segment(p[1].x, p[1].y, p[0].x, p[1].y);
      segment(p[0].x, p[1].y, p[0].x, p[0].y);
      break;
    case Op::Kind::FilledBox: {
      const double left = std::clamp<double>(std::min(p[0].x, p[1].x), reach.left, reach.right);
      const double right = std::clamp<double>(std::max(p[0].x, p[1].x), reach.left, reach.right);
      const double top = std::clamp<double>(std::min(p[0].y, p[1].y), reach.top, reach.bottom);
      const double bottom = std::clamp<double>(std::max(p[0].y, p[1].y), reach.top, reach.bottom);
      painter.fillRect(QRectF(left, top, right - left + 1, bottom - top + 1), ToQColor(op.color));
      break;
    }
    case Op::Kind::Point:  // in the runs of PaintAll
      break;
    case Op::Kind::Circle:
      if (!reach.Contains(p[0].x, p[0].y)) break;
      if (outline) painter.setPen(pen);
      if (op.fillStyle == kFillSolid) painter.setBrush(ToQColor(op.fillColor));
      painter.drawEllipse(QPointF(p[0].x + kCentre, p[0].y + kCentre), op.radius, op.radius);
      break;
    case Op::Kind::Polygon: {
      std::vector<PointF> corners;
      corners.reserve(op.count);
      for (std::size_t k = 0; k < op.count; ++k)
        corners.push_back({double(p[k].x), double(p[k].y)});
      const std::vector<PointF> clipped = ClipPolygon(reach, corners);
      if (clipped.size() < 2) break;
      QPolygonF fill, line;
      for (const PointF& c : clipped) {
        fill << QPointF(c.x, c.y);
        line << QPointF(c.x + kCentre, c.y + kCentre);
      }
      if (op.fillStyle == kFillSolid) {
        // A hairline in the fill's own colour closes the seams a viewer's
        // smoothing leaves between cells that share an edge.
        painter.setPen(QPen(ToQColor(op.fillColor), 0.5));
        painter.setBrush(ToQColor(op.fillColor));
        painter.drawPolygon(fill, Qt::OddEvenFill);
      }
      if (outline) {
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(line, Qt::OddEvenFill);
      }
      break;
    }
    case Op::Kind::Text: {
      const QFont font = SurfaceFont(fonts_[op.font], op.fontSize);
      painter.setFont(font);
      painter.setPen(ToQColor(op.color));
      const double ascent = QFontMetricsF(font, painter.device()).ascent();
      painter.drawText(QPointF(p[0].x, p[0].y + ascent), Utf8(texts_[op.text]));
      break;
    }
  }
}

void VectorSurface::PaintAll(QPainter& painter) const {
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.fillRect(QRectF(0, 0, width_, height_), ToQColor(BackColor()));
  if (raster_) painter.drawImage(QRectF(0, 0, width_, height_), raster_->Image());
  // In a flat picture the cells go beneath every line.
  const bool cellsFirst = flat_ && !raster_;
  auto paintable = [&](const Op& op, bool cellPass) {
    return !cellsFirst || (op.kind == Op::Kind::Polygon) == cellPass;
  };
  for (const bool cellPass : {true, false}) {
    if (cellPass && !cellsFirst) continue;
    // Segments drawn one after another in one pen go out as one path: a
    // contour picture's thousands of pieces stay a few elements.
    QPainterPath run;
    const Op* runPen = nullptr;
    auto endRun = [&] {
      if (!runPen) return;
      painter.setBrush(Qt::NoBrush);
      painter.setPen(PenOf(*runPen));
      painter.drawPath(run);
      run.clear();
      runPen = nullptr;
    };
    for (const Op& op : ops_) {
      if (!paintable(op, cellPass)) continue;
      if (op.kind != Op::Kind::Segment && op.kind != Op::Kind::Point) {
        endRun();
        Paint(painter, op);
        continue;
      }
      if (runPen && (runPen->color != op.color || runPen->drawWidth != op.drawWidth)) endRun();
      runPen = &op;
      const SurfacePoint* p = points_.data() + op.first;
      // A point is a stub as long as the pen is wide: its cap makes the pixel.
      PointF a{double(p[0].x), double(p[0].y)};
      PointF b = op.kind == Op::Kind::Point ? PointF{a.x + kStub, a.y}
                                            : PointF{double(p[1].x), double(p[1].y)};
      if (!ClipSegment(Reach(width_, height_, PenOf(op).width()), a, b)) continue;
      if (a.x == b.x && a.y == b.y) b.x += kStub;  // a path keeps no empty piece
      run.moveTo(a.x + kCentre, a.y + kCentre);
      run.lineTo(b.x + kCentre, b.y + kCentre);
    }
    endRun();
  }
}

Status VectorSurface::Save(const std::string& path, PictureFormat format) const {
  if (!IsVectorFormat(format)) return Failure{"ベクトル図は SVG か PDF で保存します"};
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const int dpi = static_cast<int>(std::lround(96 * Scale()));
  if (format == PictureFormat::Svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(QSize(width_, height_));
    svg.setViewBox(QRect(0, 0, width_, height_));
    svg.setResolution(dpi);
    svg.setTitle("Kessadon");
    QPainter painter(&svg);
    PaintAll(painter);
  } else {
    QPdfWriter pdf(&buffer);
    pdf.setCreator("Kessadon");
    pdf.setResolution(dpi);
    pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
    pdf.setPageSize(QPageSize(QSizeF(width_ * 72.0 / dpi, height_ * 72.0 / dpi), QPageSize::Point,
                              QString(), QPageSize::ExactMatch));
    QPainter painter(&pdf);
    PaintAll(painter);
  }
  return WriteFileAtomically(
      path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

}  // namespace kessadon
