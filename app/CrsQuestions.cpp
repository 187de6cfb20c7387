#include "CrsQuestions.h"

#include <QRegularExpression>
#include <algorithm>

#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "raster/Gdal.h"
#include "raster/Reprojection.h"

namespace kessadon::app {

QStringList PlaneRectangularZones() {
  static const char* const kRoman[] = {"I",    "II",  "III",  "IV",    "V",   "VI",   "VII",
                                       "VIII", "IX",  "X",    "XI",    "XII", "XIII", "XIV",
                                       "XV",   "XVI", "XVII", "XVIII", "XIX"};
  QStringList zones;
  for (int k = 0; k < 19; ++k) {
    zones << QString("JGD2011 平面直角座標系 第%1系 (EPSG:%2)").arg(kRoman[k]).arg(6669 + k);
  }
  return zones;
}

std::optional<std::string> CrsOfAnswer(MainContext& context, const QString& answer) {
  const QString text = answer.trimmed();
  // A picked zone by its code; a bare number as an EPSG code.
  const QRegularExpressionMatch code = QRegularExpression(R"(\(EPSG:(\d+)\)$)").match(text);
  bool number = false;
  text.toInt(&number);
  const std::string definition =
      code.hasMatch() ? "EPSG:" + FromQ(code.captured(1)) : (number ? "EPSG:" : "") + FromQ(text);
  Result<std::string> wkt = CrsFromDefinition(definition);
  if (!wkt) {
    context.platform->ShowMessage(context.window, ToQ(wkt.failure().message));
    return std::nullopt;
  }
  std::vector<std::string>& recent = context.state.RecentCrs;
  recent.erase(std::remove(recent.begin(), recent.end(), definition), recent.end());
  recent.insert(recent.begin(), definition);
  if (recent.size() > 5) recent.resize(5);
  return std::move(*wkt);
}

std::optional<std::string> AskProjectedCrs(MainContext& context, const QString& file,
                                           const std::string& geographic, double longitude,
                                           double latitude) {
  QStringList items;
  for (const std::string& code : SuggestedProjections(longitude, latitude)) {
    const Result<std::string> wkt = CrsFromDefinition(code);
    items << (wkt ? ToQ(CrsDescription(*wkt)) : ToQ(code));
  }
  for (const std::string& recent : context.state.RecentCrs) items << ToQ(recent);
  for (const QString& zone : PlaneRectangularZones()) {
    if (!items.contains(zone)) items << zone;
  }
  const std::optional<QString> answer = context.platform->AskItemOrText(
      context.window,
      file + " の座標は経緯度（" + ToQ(CrsDescription(geographic)) +
          "）です。メートルの格子に推定できるよう変換する投影座標系を選ぶか、EPSG コード（例 "
          "6677）などで入力してください",
      items, 0);
  if (!answer || answer->trimmed().isEmpty()) return std::nullopt;
  std::optional<std::string> crs = CrsOfAnswer(context, *answer);
  if (crs && IsGeographicCrs(*crs)) {
    context.platform->ShowMessage(context.window,
                                  ToQ(CrsDescription(*crs)) + " も経緯度の座標系です");
    return std::nullopt;
  }
  return crs;
}

}  // namespace kessadon::app
