// GIS layers for the tests, written by GDAL's own translation.
#pragma once

#include <gdal_utils.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/Gdal.h"

namespace kessadon::testing {

// The layer `from` translated into `to` in the GDAL format `format`; in the
// coordinate system `srs` when one is given.
inline void TranslateLayer(const std::string& from, const std::string& to, const char* format,
                           const char* srs = nullptr) {
  EnsureGdal();
  GDALDatasetH source = GDALOpenEx(from.c_str(), GDAL_OF_VECTOR, nullptr, nullptr, nullptr);
  ASSERT_NE(source, nullptr) << from;
  std::vector<char*> argv = {const_cast<char*>("-f"), const_cast<char*>(format)};
  if (srs != nullptr)
    argv.insert(argv.end(), {const_cast<char*>("-t_srs"), const_cast<char*>(srs)});
  argv.push_back(nullptr);
  GDALVectorTranslateOptions* options = GDALVectorTranslateOptionsNew(argv.data(), nullptr);
  GDALDatasetH written = GDALVectorTranslate(to.c_str(), nullptr, 1, &source, options, nullptr);
  GDALVectorTranslateOptionsFree(options);
  ASSERT_NE(written, nullptr) << to;
  GDALClose(written);
  GDALClose(source);
}

}  // namespace kessadon::testing
