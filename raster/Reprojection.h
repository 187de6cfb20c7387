// Bringing measured data and fault traces into one coordinate system: the
// system a run works in, points transformed into it through GDAL/OSR, and
// the projected systems to suggest for data given in longitude and latitude.
//
// A surface is estimated in metres: x and y in degrees would make one
// degree of longitude a metre and every dip a flat sheet.
#pragma once

#include <string>
#include <vector>

#include "io/FaultTraces.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

// Whether the system (WKT) gives positions as longitude and latitude.
bool IsGeographicCrs(const std::string& wkt);

// Projected systems that hold the point (longitude, latitude in degrees), as
// "EPSG:n" codes, best first: in and around Japan the plane rectangular zone
// whose origin lies nearest and the JGD2011 UTM zone, elsewhere the WGS 84
// UTM zone.
std::vector<std::string> SuggestedProjections(double longitude, double latitude);

// The system a set of loads is brought into: `chosen` (WKT) when given, else
// the first projected one of `systems` ("" for a load without one). None
// ("") when no load has one. Refused when the result would be geographic:
// the message says why and names the projected systems that hold the data
// (their centre `longitude`, `latitude`), and `how` says how to choose one.
Result<std::string> WorkingCrs(const std::string& chosen, const std::vector<std::string>& systems,
                               double longitude, double latitude, const std::string& how);

// Transforms the points (x east, y north; longitude, latitude for a
// geographic system) from one system into another. Refuses a point the
// transformation cannot place, naming it (from 1), and leaves x and y as
// they were.
Status TransformPoints(const std::string& from, const std::string& to, std::vector<double>& x,
                       std::vector<double>& y);

// The records' positions from `from` into `to`; nothing when either is ""
// or they are the same. The note says what was done, for the person.
Status ReprojectData(MeasuredData& data, const std::string& from, const std::string& to,
                     std::string* note);

// The same for fault traces.
Status ReprojectTraces(FaultTraces& traces, const std::string& from, const std::string& to,
                       std::string* note);

}  // namespace kessadon
