#include "RenderCommand.h"

#include <CLI/CLI.hpp>
#include <QGuiApplication>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ColorOptions.h"
#include "DataFileOptions.h"
#include "GridFileOptions.h"
#include "color/ContourLevels.h"
#include "io/Defaults.h"
#include "io/NumberText.h"
#include "overlay/DataDistribution.h"
#include "overlay/FaultOverlay.h"
#include "raster/FaultLayers.h"
#include "raster/Gdal.h"
#include "render/GridPicture.h"
#include "render/Legend.h"
#include "render/LinePicture.h"
#include "render/PictureFile.h"
#include "render/RasterSurface.h"
#include "render/VectorSurface.h"
#include "render/ViewSettings.h"

namespace kessadon {
namespace {

struct RenderArguments {
  std::string grid, mode = "grid", view = "plan", base, frame = "4", output;
  std::optional<double> scale, exaggeration;
  std::optional<int> divisions;
  std::vector<double> perspective, levels;
  std::vector<int> size = {800, 800};
  double dpi = 96;
  bool scaleTicks = false, scaleBar = false, black = false;
  GridReadOptions read;

  // The measured data over the picture, with the display options' start-up values.
  DataFileOptions data;
  bool dataView = false, elevationOnly = false, noDipLabel = false, whiteLabels = false,
       crowdedLabels = false;
  double symbolScale = 1, labelSize = 7;

  ColorOptions colors;
  bool noContourLines = false, roundLevels = false;
  std::vector<std::string> faults;

  bool ColorMode() const { return mode == "color-contour" || mode == "color-shade"; }
};

// "plan", or the direction and dip as "ALPHA,GAMMA".
Result<ViewTexts> ViewFromArguments(const RenderArguments& a, const GridData& grid) {
  if (a.view == "plan") return PlanViewTexts();
  const std::size_t comma = a.view.find(',');
  double alpha = 0, gamma = 0;
  if (comma == std::string::npos || !CLI::detail::lexical_cast(a.view.substr(0, comma), alpha) ||
      !CLI::detail::lexical_cast(a.view.substr(comma + 1), gamma)) {
    return Failure{"--view: give plan or ALPHA,GAMMA"};
  }
  ViewTexts texts = DefaultViewTexts(ProgramDefaults(), grid.Zmin);
  texts.Alpha = FormatGeneral(alpha);
  texts.Gamma = FormatGeneral(gamma);
  return texts;
}

// What the desktop's divisions field would read: as given, else 20 for the
// contour picture and the colour table's count once a colour picture chose
// its table; nothing where no levels are drawn.
std::optional<std::string> DivisionsFromArguments(const RenderArguments& a,
                                                  const ColorTable& table) {
  if (a.divisions) return std::to_string(*a.divisions);
  if (a.ColorMode()) return FormatGeneral(table.NColor);
  if (a.mode == "contour") return "20";
  return std::nullopt;
}

DisplayMode ModeFromArguments(const RenderArguments& a) {
  if (a.mode == "contour") return DisplayMode::Contour;
  if (a.mode == "shade") return DisplayMode::Shade;
  if (a.mode == "color-contour") return DisplayMode::ColorContour;
  if (a.mode == "color-shade") return DisplayMode::ColorShade;
  return DisplayMode::Grid;
}

DataDisplaySettings DisplaySettingsFrom(const RenderArguments& a) {
  DataDisplaySettings settings;
  settings.Symbols = !a.elevationOnly;
  settings.DipLabels = !a.noDipLabel;
  settings.SdBai = static_cast<float>(a.symbolScale);
  settings.ChrSize = a.labelSize < 1 ? 1 : a.labelSize;  // as the panel's field holds it
  settings.DataTextColor = a.whiteLabels ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
  settings.CrowdedLabels = a.crowdedLabels;
  return settings;
}

// Text needs the GUI part of Qt; no window is ever shown.
std::unique_ptr<QGuiApplication> StartGuiIfNeeded() {
  if (QGuiApplication::instance()) return nullptr;
  // Qt's notes about the session it does not have are not the user's concern here.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type >= QtCriticalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
  });
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "kessadon";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

// The view the arguments ask for, taken as the view frame takes its fields.
Status TakeView(const RenderArguments& a, const DrawingSurface& surface, const GridData& grid,
                ViewProjection& view, const DataExtent& extent) {
  Result<ViewTexts> texts = ViewFromArguments(a, grid);
  if (!texts) return texts.failure();
  if (a.scale) texts->Sca = FormatGeneral(*a.scale);
  if (a.exaggeration) texts->Ve = FormatGeneral(*a.exaggeration);
  if (a.base == "none") {
    texts->Zbase = FormatGeneral(NoBase);
  } else if (!a.base.empty()) {
    double zbase = 0;
    if (!CLI::detail::lexical_cast(a.base, zbase)) return Failure{"--base: give a height or none"};
    texts->Zbase = FormatGeneral(zbase);
  }
  if (!a.perspective.empty()) {
    texts->Dist = FormatGeneral(a.perspective[0]);
    texts->Ppz = FormatGeneral(a.perspective[1]);
  }
  const ViewTaken taken =
      TakeViewSettings(view, *texts, grid, extent, surface.ScaleWidth(), surface.ScaleHeight());
  if (taken.Refusal) return Failure{"--perspective: " + *taken.Refusal};
  if (!taken) return Failure{"the magnification (--scale) must be above 0"};
  return Ok();
}

// The settings as the panel would hold them, in the desktop's order of
// checks: the colour table, the refusal, then the colour shade's palette.
Result<GridPictureSettings> SettingsFromArguments(const RenderArguments& a, const GridData& grid) {
  GridPictureSettings settings;
  settings.mode = ModeFromArguments(a);
  if (a.ColorMode()) {
    Result<ColorTable> table = a.colors.Table();
    if (!table) return table.failure();
    settings.table = *table;
  }
  // Levels as given, as if typed into the fields, or automatic ones.
  LevelRequest request;
  if (!a.levels.empty()) {
    request.typed = {FormatGeneral(a.levels[0]), FormatGeneral(a.levels[1]),
                     FormatGeneral(a.levels[2])};
  }
  const std::optional<std::string> divisions = DivisionsFromArguments(a, settings.table);
  if (a.roundLevels && divisions) {
    // Round levels of at most that many bands, as the desktop's map of deviations takes.
    settings.levels = RoundContourLevels(grid.Zmin, grid.Zmax, std::stoi(*divisions));
    settings.bands = std::round((settings.levels.Cen - settings.levels.Cst) / settings.levels.Cin);
    settings.options.Contour = ContourLinesPossible(settings.levels) && !a.noContourLines;
  } else if (request.typed || divisions) {
    request.divisions = divisions.value_or("");
    const ChosenLevels chosen = ChooseContourLevels(request, grid.Zmin, grid.Zmax);
    settings.levels = chosen.levels;
    settings.bands = chosen.bands.value_or(0);
    settings.options.Contour = ContourLinesPossible(chosen.levels) && !a.noContourLines;
  }
  settings.options.LineColor = a.black ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
  settings.options.ScaleLine = a.scaleTicks;
  settings.options.ScaleBar = a.scaleBar;
  settings.options.Waku = a.frame != "none";
  settings.options.Waku4 = a.frame == "4";
  settings.light = a.colors.Light(ProgramDefaults());

  if (std::optional<std::string> refusal = GridPictureRefusal(settings)) return Failure{*refusal};
  if (settings.mode == DisplayMode::ColorShade) {
    Result<ColorTable> shades = ShadePalette();
    if (!shades) return shades.failure();
    settings.table = *shades;
  }
  return settings;
}

// The grid picture with its faults as the display commands draw it; the
// settings are left with the levels and the table a colour picture's legend
// needs.
Status DrawGrid(const RenderArguments& a, DrawingSurface& surface, GridData& grid,
                const std::string& crs, ViewProjection& view, const DataExtent& extent,
                GridPictureSettings& settings, const FaultTraces& faults) {
  Status viewed = TakeView(a, surface, grid, view, extent);
  if (!viewed) return viewed;
  Result<GridPictureSettings> filled = SettingsFromArguments(a, grid);
  if (!filled) return filled.failure();
  settings = std::move(*filled);
  // The bar's lengths in the grid's own units, where its coordinate system names them.
  if (settings.options.ScaleBar) settings.options.MapUnit = CrsUnitsOf(crs).horizontal;
  NodeArray<Color> cellColors;
  return DrawFaultedGridPicture(surface, grid, view, extent, cellColors, settings, faults);
}

// Without a grid the data view fits a plan window around the data first.
void OpenDataWindow(const RenderArguments& a, DrawingSurface& surface, GridData& grid,
                    ViewProjection& view, const PreparedData& prepared) {
  const FittedDataWindow fitted =
      FitDataWindow(prepared, {prepared.XminH, prepared.XmaxH, prepared.YminH, prepared.YmaxH},
                    prepared.ZminH, prepared.ZmaxH);
  PlaceDataWindow(grid, fitted);
  TakeViewSettings(view, PlanViewTexts(), grid, fitted.extent, surface.ScaleWidth(),
                   surface.ScaleHeight());
  surface.Cls();
  surface.SetBackColor(BackgroundFor(a.black ? Rgb(255, 255, 255) : Rgb(0, 0, 0)));
}

// A bitmap, or a vector picture for SVG and PDF; at the resolution asked for.
std::unique_ptr<DrawingSurface> NewSurface(const RenderArguments& a, PictureFormat format,
                                           int width, int height) {
  std::unique_ptr<DrawingSurface> surface;
  if (IsVectorFormat(format)) {
    // Seen from straight above without perspective, no cell hides another.
    const bool flat = a.view == "plan" && a.perspective.empty();
    surface = std::make_unique<VectorSurface>(width, height, flat);
  } else {
    surface = std::make_unique<RasterSurface>(width, height);
  }
  surface->SetScale(a.dpi / 96);
  return surface;
}

Status SavePictureAs(const DrawingSurface& surface, const std::string& path, PictureFormat format) {
  if (const auto* vector = dynamic_cast<const VectorSurface*>(&surface)) {
    return vector->Save(path, format);
  }
  return SavePicture(static_cast<const RasterSurface&>(surface).Image(), path);
}

// What a picture draws: the grid first, then the faults and the data,
// brought into the grid's coordinate system, with a note for any that miss it.
struct Layers {
  GridData grid;
  std::string crs;
  FaultTraces faults;
  std::optional<MeasuredData> records;
  PreparedData prepared;
};

Result<Layers> ReadLayers(const CLI::App& command, const RenderArguments& a, std::ostream& err) {
  Layers out;
  GridData& grid = out.grid;
  if (!a.grid.empty()) {
    Result<LoadedGrid> read = ReadGridInput(a.grid, a.read);
    if (!read) return read.failure();
    grid = std::move(read->grid);
    out.crs = std::move(read->crs);
  }
  for (const std::string& file : a.faults) {
    std::string moved;
    Result<FaultTraces> traces = ReadFaultTraces(file, out.crs, &moved);
    if (!traces) return Failure{file + ": " + Describe(traces.failure())};
    if (!moved.empty()) err << "note: " << file << ": " << moved << '\n';
    if (const std::optional<std::string> outside =
            OutsideTracesNote(*traces, grid.Xmin, grid.Xmax, grid.Ymin, grid.Ymax)) {
      err << "note: " << file << ": " << *outside << '\n';
    }
    out.faults.Add(*traces);
  }
  if (!a.data.files.empty() || !a.data.layouts.empty()) {
    Result<MeasuredData> loaded = a.data.Load(command, err, &out.crs);
    if (!loaded) return loaded.failure();
    out.records = std::move(*loaded);
    out.prepared = PrepareMeasuredData(*out.records);
    const std::optional<std::string> outside =
        a.grid.empty() ? std::nullopt
                       : OutsideDataNote(*out.records, grid.Xmin, grid.Xmax, grid.Ymin, grid.Ymax);
    if (outside) err << "note: " << *outside << '\n';
  }
  return out;
}

int Run(const CLI::App& command, const RenderArguments& a, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "kessadon render: " << reason << '\n';
    return 1;
  };
  if (a.grid.empty() && !a.dataView) return fail("give a grid data file, or --data-view");
  if (a.dataView && a.data.files.empty()) return fail("--data-view: give the data with --data");
  if (a.grid.empty() && a.view != "plan") {
    return fail("--view: the data view without a grid is drawn in plan");
  }
  if (!a.colors.legend.empty() && (!a.ColorMode() || a.grid.empty())) {
    return fail("--legend: only the colour pictures (color-contour, color-shade) have a legend");
  }
  if (a.scaleBar && (a.view != "plan" || !a.perspective.empty())) {
    return fail("--scale-bar: only the plan view without perspective has one scale and north up");
  }
  // Before any reading, so that a long run never ends in an unwritable name.
  const Result<PictureFormat> format = RequirePictureFormat(a.output);
  if (!format) return fail(a.output + ": " + format.failure().message);
  const Result<PictureFormat> legendFormat = a.colors.legend.empty()
                                                 ? Result<PictureFormat>(PictureFormat::Bmp)
                                                 : RequirePictureFormat(a.colors.legend);
  if (!legendFormat) return fail(a.colors.legend + ": " + legendFormat.failure().message);

  Result<Layers> layers = ReadLayers(command, a, err);
  if (!layers) return fail(layers.failure().message);
  GridData& grid = layers->grid;
  const std::string& crs = layers->crs;
  const FaultTraces& faults = layers->faults;
  const std::optional<MeasuredData>& records = layers->records;
  const PreparedData& prepared = layers->prepared;
  const DataExtent extent =
      records ? DataExtent{prepared.XminH, prepared.XmaxH, prepared.YminH, prepared.YmaxH}
              : DataExtent{};

  const std::unique_ptr<QGuiApplication> application = StartGuiIfNeeded();
  const std::unique_ptr<DrawingSurface> picture = NewSurface(a, *format, a.size[0], a.size[1]);
  DrawingSurface& surface = *picture;
  ViewProjection view;
  GridPictureSettings settings;
  if (!a.grid.empty()) {
    Status drawn = DrawGrid(a, surface, grid, crs, view, extent, settings, faults);
    if (!drawn) return fail(drawn.failure().message);
  } else {
    OpenDataWindow(a, surface, grid, view, prepared);
  }

  if (records) {
    const DataDisplaySettings display = DisplaySettingsFrom(a);
    if (a.dataView) {
      DrawDataDistribution(surface, view, MapWindowOf(grid), *records, display,
                           a.grid.empty() ? nullptr : &grid);
    } else {
      DrawMeasuredData(surface, grid, view, *records, display);
    }
  }
  Status saved = SavePictureAs(surface, a.output, *format);
  if (!saved) return fail(a.output + ": " + Describe(saved.failure()));
  if (!a.colors.legend.empty()) {
    // The legend window as it first opens, grown with the resolution.
    const std::unique_ptr<DrawingSurface> legend =
        NewSurface(a, *legendFormat, static_cast<int>(std::lround(kLegendWidth * a.dpi / 96)),
                   static_cast<int>(std::lround(kLegendHeight * a.dpi / 96)));
    DrawLegend(*legend, settings.mode, GridPicturePalette(settings), settings.levels, grid.Zmin,
               grid.Zmax);
    saved = SavePictureAs(*legend, a.colors.legend, *legendFormat);
    if (!saved) return fail(a.colors.legend + ": " + Describe(saved.failure()));
  }
  return 0;
}

// The measured data and fault traces drawn over the picture, and how.
void AddDataOptions(CLI::App& command, RenderArguments& a) {
  a.data.AddLayoutOption(command);
  a.data.fileOption = command
                          .add_option("--data", a.data.files,
                                      "measured-data file drawn over the picture (repeatable; "
                                      "the first is the new load)")
                          ->allow_extra_args(false);
  command
      .add_option("--faults", a.faults,
                  "fault traces drawn over the picture in dark red, hidden behind the surface; "
                  "cells they cut draw no contour lines (repeatable)")
      ->check(CLI::ExistingFile);
  command.add_flag("--data-view", a.dataView,
                   "the data distribution view: every point, none hidden; without GRIDFILE in "
                   "a plan window fitted around the data");
  command.add_flag("--elevation-only", a.elevationOnly,
                   "elevation marks only, no strike/dip symbols");
  command.add_flag("--no-dip-label", a.noDipLabel, "no dip (and height) labels on symbols");
  command.add_option("--symbol-scale", a.symbolScale, "scale of symbols and marks (default 1)");
  command.add_option("--label-size", a.labelSize, "label size in points (default 7)");
  command.add_flag("--white-labels", a.whiteLabels, "white labels instead of black");
  command.add_flag("--crowded-labels", a.crowdedLabels,
                   "label every point even where so many crowd the picture that their labels "
                   "would cover it (else such pictures show the marks alone)");
}

}  // namespace

void AddRenderCommand(CLI::App& app, std::ostream& /*out*/, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand("render",
                                         "Draw a grid (grid data file, map sheet or raster) as the "
                                         "desktop's display commands do and save the picture");
  auto a = std::make_shared<RenderArguments>();
  command->add_option(
      "GRIDFILE", a->grid,
      "grid data file, elevation map sheet or raster (may be left out with --data-view)");
  AddGridInputOptions(*command, a->read);
  command
      ->add_option("--mode", a->mode,
                   "grid: grid lines; contour: contour lines; shade: black-and-white relief "
                   "shading; color-contour: colour bands; color-shade: colour bands with shading")
      ->check(CLI::IsMember({"grid", "contour", "shade", "color-contour", "color-shade"}));
  command->add_option("--view", a->view,
                      "plan (the 2-D setting, default) or ALPHA,GAMMA: view direction clockwise "
                      "from north and dip below the horizontal, in degrees");
  command->add_option("--scale", a->scale, "figure magnification");
  command->add_option("--exaggeration", a->exaggeration, "height exaggeration");
  command->add_option("--base", a->base, "base height of the pedestal, or none");
  command->add_option("--perspective", a->perspective, "eye distance and projection plane DIST,PPZ")
      ->delimiter(',')
      ->expected(2);
  auto* levels = command->add_option("--levels", a->levels, "contour levels CST,CEN,CIN")
                     ->delimiter(',')
                     ->expected(3);
  command->add_option("--divisions", a->divisions, "automatic contour levels in N divisions")
      ->excludes(levels);
  command
      ->add_flag("--round-levels", a->roundLevels,
                 "automatic levels on a round step (1, 2 or 5 times a power of ten) in at most "
                 "the colour table's bands (or --divisions), as the desktop draws standard "
                 "deviations: for grids that span a fraction of one unit")
      ->excludes(levels);
  command->add_option("--frame", a->frame, "frame along the surface: 4, 2 or none")
      ->check(CLI::IsMember({"4", "2", "none"}));
  command->add_flag("--no-contour-lines", a->noContourLines,
                    "no contour lines over the shaded or coloured picture");
  a->colors.Add(*command);
  command->add_flag("--scale-ticks", a->scaleTicks, "draw scale ticks");
  command->add_flag("--scale-bar", a->scaleBar,
                    "a scale bar in map units and a north arrow (plan view only)");
  command->add_flag("--black", a->black, "black background, white lines");
  command->add_option("--size", a->size, "picture size W,H in pixels (default 800,800)")
      ->delimiter(',')
      ->expected(2)
      ->check(CLI::PositiveNumber);
  AddDataOptions(*command, *a);
  command
      ->add_option("--dpi", a->dpi,
                   "resolution the picture is made for (default 96): line widths, marks and "
                   "text grow with it, and it sets the page size of SVG and PDF")
      ->check(CLI::Range(24.0, 2400.0));
  command
      ->add_option("-o,--output", a->output,
                   "picture file, its format by the ending: .bmp (24-bit), .png, .jpg, .svg or "
                   ".pdf (vector: lines and text stay lines and text)")
      ->required();
  command->callback([command, a, &err, &status] { status = Run(*command, *a, err); });
}

}  // namespace kessadon
