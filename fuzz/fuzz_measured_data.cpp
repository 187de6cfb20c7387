// Arbitrary bytes as a measured-data file of each layout (the first byte picks
// it). Whatever parses must be consistent; a failed additional load must leave
// the records it was appended to exactly as they were.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "io/ListInput.h"
#include "io/MeasuredData.h"
#include "io/NumberText.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "measured data: %s\n", what);
    std::abort();
  }
}

void CheckRecords(const kessadon::MeasuredData& data, int layout, std::size_t lines) {
  using namespace kessadon;
  const std::size_t n = data.DataX.size();
  Check(data.DataId.size() == n && data.DataY.size() == n && data.DataZ.size() == n &&
            data.DataL.size() == n && data.DataTrend.size() == n && data.DataDip.size() == n,
        "record arrays differ in length");
  if (layout <= 4) Check(n < lines, "more records than lines");
  for (std::size_t k = 0; k < n; ++k) {
    Check(std::isfinite(data.DataX[k]) && std::isfinite(data.DataY[k]) &&
              std::isfinite(data.DataZ[k]) && std::isfinite(data.DataTrend[k]) &&
              std::isfinite(data.DataDip[k]),
          "value not finite");
    if (layout == 1 || layout == 5) Check(data.DataL[k] == 0, "code of a layout without codes");
    if (layout <= 2 || layout == 5) Check(data.DataTrend[k] == NoValue, "trend without readings");
  }
}

void CheckPrepared(const kessadon::MeasuredData& data) {
  using namespace kessadon;
  const PreparedData p = PrepareMeasuredData(data);
  Check(p.Nh() <= data.Ndata() && p.Nd() <= data.Ndata(), "more data than records");
  Check(p.YH.size() == p.XH.size() && p.ZH.size() == p.XH.size() && p.LH.size() == p.XH.size(),
        "height arrays differ in length");
  Check(p.GxD.size() == p.XD.size() && p.GyD.size() == p.XD.size(), "dip arrays differ in length");
  if (p.Nh() > 0) Check(p.ZminH <= p.ZmaxH, "height range");
  if (p.Nh() + p.Nd() > 0) Check(p.XminH <= p.XmaxH && p.YminH <= p.YmaxH, "position range");
  Check(p.HasDipData == (p.Nd() > 0), "dip flag");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kessadon;
  if (size == 0) return 0;
  const int layout = data[0] % 5 + 1;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

  Result<MeasuredData> parsed = ParseMeasuredText(text, layout);
  if (!parsed) {
    Check(!parsed.failure().message.empty(), "failure without a reason");
    Check(parsed.failure().line >= 0, "negative line");
  } else {
    CheckRecords(*parsed, layout, CountLines(text));
    CheckPrepared(*parsed);
  }

  Result<MeasuredData> base = ParseMeasuredText("a,1,2,3\n\"b\",4,5,6\nend,0,0,0\n", 1);
  Check(base.ok() && base->Ndata() == 2, "base records");
  base->DataFileName = {"base"};
  const MeasuredData before = *base;
  Status appended = AppendMeasuredText(*base, text, layout, "more");
  Check(appended.ok() == parsed.ok(), "append and parse disagree");
  if (!appended) {
    Check(*base == before, "failed append changed the records");
  } else {
    Check(base->Ndata() == before.Ndata() + parsed->Ndata(), "appended count");
    for (int k = 0; k < parsed->Ndata(); ++k) {
      const std::size_t at = static_cast<std::size_t>(before.Ndata() + k);
      Check(base->DataId[at] == parsed->DataId[k] && base->DataX[at] == parsed->DataX[k] &&
                base->DataL[at] == parsed->DataL[k] && base->DataDip[at] == parsed->DataDip[k],
            "appended record");
    }
    Check(base->DataFileName.size() == 2, "file list");
  }
  return 0;
}
