// Coordinate systems asked of the person: the one a grid is saved in, and
// the projected one that data given in degrees are brought into.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

namespace kessadon::app {

struct MainContext;

// The Japan Plane Rectangular zones I to XIX, JGD2011 (EPSG:6669 to 6687).
QStringList PlaneRectangularZones();

// The system an answer names as WKT: a listed "... (EPSG:n)", a bare number
// as an EPSG code, or anything GDAL reads; remembered among the recent ones.
// Nothing when GDAL cannot read it (the reason shown).
std::optional<std::string> CrsOfAnswer(MainContext& context, const QString& answer);

// The projected system for the points of `file`, which lie in the system
// `geographic` (degrees) around (`longitude`, `latitude`): the systems that
// hold them offered first, then the recent ones and the zones. Nothing when
// cancelled or refused.
std::optional<std::string> AskProjectedCrs(MainContext& context, const QString& file,
                                           const std::string& geographic, double longitude,
                                           double latitude);

}  // namespace kessadon::app
