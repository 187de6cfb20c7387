// The defaults file: six pairs of a caption line (ignored) and a value line.
#pragma once

#include <string>
#include <string_view>

namespace kessadon {

struct ViewLightDefaults {
  double AlphaDefault = 225;  // view from the south-west
  double GammaDefault = 30;   // at a moderate dip
  double ScaDefault = 1;
  double VeDefault = 1;
  double RoDefault = 315;  // light from the north-west
  double ThDefault = 45;
};

inline constexpr const char* kDefaultsFileName = "default.txt";

struct DefaultsRead {
  ViewLightDefaults values;
  bool complete = false;  // false: the file held fewer than twelve lines
};

// Reads the pairs from the text of a defaults file. Values of missing pairs,
// and values beyond the double range, keep the built-in defaults; a value
// line without a number gives 0.
DefaultsRead ParseDefaults(std::string_view text);

}  // namespace kessadon
