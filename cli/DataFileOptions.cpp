#include "DataFileOptions.h"

#include <utility>

namespace kessadon {

void DataFileOptions::AddLayoutOption(CLI::App& command) {
  layoutOption = command
                     .add_option("--layout", layouts,
                                 "Layout of the data files after it: 1 id,x,y,z  2 id,x,y,z,l  "
                                 "3 id,x,y,z,l,trend,dip  4 id,x,y,z,l + id,x,y,z,trend,dip  "
                                 "5 grid data file (default 1); in layouts 1 to 4 the last line "
                                 "ends the file and is not read as a point")
                     ->allow_extra_args(false)
                     ->check(CLI::Range(1, 5));
}

Result<MeasuredData> DataFileOptions::Load(const CLI::App& command, std::ostream& notes) const {
  // Pair each file with the last --layout before it, in the order given.
  std::vector<std::pair<std::string, int>> paired;
  int layout = 1;
  bool layoutUnused = false;
  std::size_t nextLayout = 0, nextFile = 0;
  for (const CLI::Option* option : command.parse_order()) {
    if (option == layoutOption && nextLayout < layouts.size()) {
      layout = layouts[nextLayout++];
      layoutUnused = true;
    } else if (option == fileOption && nextFile < files.size()) {
      paired.emplace_back(files[nextFile++], layout);
      layoutUnused = false;
    }
  }
  // Ignored, it would leave the file it was meant for read in another layout, its points misplaced.
  if (layoutUnused) {
    return Failure{"--layout " + std::to_string(layout) +
                   " comes after the last data file and applies to none: "
                   "put --layout before the files it describes"};
  }
  if (paired.empty()) return Failure{"no measured-data file given"};

  const auto noteHeader = [&notes](const std::string& path, const MeasuredData& data) {
    if (data.LastFile.headerSkipped) {
      notes << "note: " << path << ": line 1 was read as a header, not as a point\n";
    }
  };
  Result<MeasuredData> data = LoadMeasuredData(paired[0].first, paired[0].second);
  if (!data) return Failure{paired[0].first + ": " + Describe(data.failure())};
  noteHeader(paired[0].first, *data);
  for (std::size_t k = 1; k < paired.size(); ++k) {
    Status added = AppendMeasuredData(*data, paired[k].first, paired[k].second);
    if (!added) return Failure{paired[k].first + ": " + Describe(added.failure())};
    noteHeader(paired[k].first, *data);
  }
  return data;
}

}  // namespace kessadon
