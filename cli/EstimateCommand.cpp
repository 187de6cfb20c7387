#include "EstimateCommand.h"

#include <signal.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "DataFileOptions.h"
#include "GridFileOptions.h"
#include "estimate/SurfaceEstimate.h"
#include "io/MeasuredData.h"
#include "io/NumberText.h"
#include "raster/FaultLayers.h"
#include "raster/Gdal.h"

namespace kessadon {
namespace {

struct EstimateArguments {
  DataFileOptions data;
  std::vector<double> nodes, range, extend;
  std::optional<double> m1, m2, ratio, alphaMin, alphaMax, passes;
  GridOutputArguments output;
  bool progress = false, autoWeights = false;
  std::string solver = "auto";
  std::vector<std::string> faults;
  std::string uncertainty;
};

// The signal that asked the run to stop, or 0: all a handler may safely set.
volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void AskToStop(int signal) { gStopSignal = signal; }

// While this lives, Ctrl-C (SIGINT) and SIGTERM ask the run to stop instead
// of ending the program; a second one ends it as before. Signals the shell
// had this program ignore stay ignored, and calls under way are resumed, so
// that a file being written is not cut short.
class StopSignals {
 public:
  StopSignals() {
    gStopSignal = 0;
    struct sigaction ask {};
    ask.sa_handler = AskToStop;
    sigemptyset(&ask.sa_mask);
    ask.sa_flags = SA_RESETHAND | SA_RESTART;
    for (Saved& s : saved_) {
      sigaction(s.signal, nullptr, &s.before);
      s.installed = s.before.sa_handler != SIG_IGN && sigaction(s.signal, &ask, nullptr) == 0;
    }
  }
  ~StopSignals() {
    for (const Saved& s : saved_) {
      if (s.installed) sigaction(s.signal, &s.before, nullptr);
    }
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  int Received() const { return gStopSignal; }

 private:
  struct Saved {
    int signal;
    struct sigaction before {};
    bool installed = false;
  };
  Saved saved_[2] = {{SIGINT}, {SIGTERM}};
};

// Progress lines on stderr: every change of pass or stage, and within a stage
// at most twice a second.
std::function<void(const EstimationProgressStep&)> ProgressPrinter(std::ostream& err) {
  using Clock = std::chrono::steady_clock;
  struct Last {
    int pass = 0;
    EstimationStage stage = EstimationStage::Building;
    Clock::time_point at;
  };
  auto last = std::make_shared<Last>();
  return [&err, last](const EstimationProgressStep& step) {
    const Clock::time_point now = Clock::now();
    const bool sameStage = step.pass == last->pass && step.stage == last->stage;
    if (sameStage && step.fraction < 1 && now - last->at < std::chrono::milliseconds(500)) return;
    *last = {step.pass, step.stage, now};
    static const char* const kStages[] = {"assembling", "analysing",        "factorising",
                                          "iterating",  "choosing weights", "uncertainty",
                                          "statistics"};
    err << "pass " << step.pass << "/" << step.passes << ": "
        << kStages[static_cast<int>(step.stage)] << ' ' << static_cast<int>(step.fraction * 100)
        << "%" << std::endl;
  };
}

// The panel's fields, from the defaults the prepared data give and what was asked.
Result<EstimationParameters> Parameters(const EstimateArguments& a, const PreparedData& data) {
  const EstimationDefaults defaults = DefaultEstimationParameters(data);
  EstimationParameters p;
  std::optional<std::int32_t> nx = ToLong(a.nodes[0]), ny = ToLong(a.nodes[1]);
  if (!nx || !ny) return Failure{"--nodes: node counts out of range"};
  p.Nx = *nx;
  p.Ny = *ny;
  if (a.range.empty()) {
    p.Xmin = data.XminH;
    p.Ymin = data.YminH;
    p.Xmax = data.XmaxH;
    p.Ymax = data.YmaxH;
  } else {
    p.Xmin = a.range[0];
    p.Ymin = a.range[1];
    p.Xmax = a.range[2];
    p.Ymax = a.range[3];
  }
  p.Xexp = a.extend.empty() ? defaults.Xexp : a.extend[0];
  p.Yexp = a.extend.empty() ? defaults.Yexp : a.extend[1];
  p.M1 = a.m1.value_or(defaults.M1);
  p.M2 = a.m2.value_or(defaults.M2);
  p.Ratio = a.ratio.value_or(defaults.Ratio.value_or(0));
  p.AlphaMin = a.alphaMin.value_or(defaults.AlphaMin);
  p.AlphaMax = a.alphaMax.value_or(defaults.AlphaMax.value_or(0));
  p.Nitr = a.passes.value_or(defaults.Nitr.value_or(0));
  return p;
}

void PrintReport(std::ostream& out, const PreparedData& data, const EstimationReport& report) {
  out << "Nh = " << data.Nh() << '\n' << "Nd = " << data.Nd() << '\n';
  for (const ReportLine& line : ReportLines(report)) {
    if (line.value) out << line.caption << ' ' << *line.value << '\n';
  }
}

// What the weights chosen and the fit of the surface delivered leave to say:
// a thinned grid, and whose GCV, EDF and sigma are printed.
void NoteWeights(std::ostream& err, const PreparedData& data, const SurfaceEstimate& e) {
  const WeightChoice& chosen = *e.choice;
  if (chosen.GridNx != e.params.Nx || chosen.GridNy != e.params.Ny) {
    err << "note: the weights were chosen on a grid of " << chosen.GridNx << " x " << chosen.GridNy
        << " nodes over the same range\n";
  }
  const SurfaceFit& fit = *e.fit;
  if (!fit.delivered) {
    err << "note: GCV, EDF and sigma are the weight choice's"
        << (chosen.Thinned ? " on the thinned grid" : "")
        << " (alpha = " << FormatGeneral(chosen.Alpha)
        << "); those of the surface delivered could not be found: " << fit.unreachable << '\n';
    return;
  }
  if (!fit.reckoned) return;
  err << "note: GCV, EDF and sigma are those of the surface delivered";
  if (data.HasBoundData)
    err << " (its last pass, alpha = " << FormatGeneral(e.run.Report.Alpha) << ")";
  if (!fit.fit.ExactTrace) {
    err << ", EDF estimated to within about "
        << FormatGeneral(std::ceil(fit.fit.TraceError * 1000) / 10) << "%";
  }
  err << "; the weight choice's " << (chosen.Thinned ? "on the thinned grid " : "")
      << "were GCV = " << FormatGeneral(chosen.Gcv) << ", EDF = " << FormatGeneral(chosen.Edf)
      << ", sigma = " << FormatGeneral(chosen.Sigma) << '\n';
}

// A sigma from few degrees of freedom says so.
void NoteFewDegreesOfFreedom(std::ostream& err, std::int32_t count, double edf) {
  if (!FewDegreesOfFreedom(count, edf)) return;
  err << "note: sigma rests on few degrees of freedom: n - EDF = " << FormatGeneral(count - edf)
      << " of n = " << count << " heights\n";
}

void PrintWeights(std::ostream& out, const WeightChoice& chosen, const EstimationParameters& p,
                  const FitStatistics& fit) {
  out << "alpha = " << FormatGeneral(chosen.Alpha) << '\n'
      << "ratio = " << FormatGeneral(p.Ratio) << '\n'
      << "GCV = " << FormatGeneral(fit.Gcv) << '\n'
      << "EDF = " << FormatGeneral(fit.Edf) << '\n'
      << "sigma = " << FormatGeneral(fit.Sigma) << '\n';
}

// With --uncertainty, the standard deviations of the heights, saved.
Status SaveUncertainty(const EstimateArguments& a, const Uncertainty& sd, const std::string& crs,
                       std::ostream& err) {
  GridOutputArguments output = a.output;
  output.output = a.uncertainty;
  output.format.clear();
  return WriteGridOutput(output, sd.Sd, crs, err);
}

// The noise and its degrees of freedom unless the weight choice printed them,
// the standard deviations' mean and largest, and, beyond the exact size, the
// root mean square and the largest of their stated relative errors.
void PrintUncertainty(std::ostream& out, std::ostream& err, const Uncertainty& sd, bool withSigma) {
  if (withSigma) {
    out << "EDF = " << FormatGeneral(sd.Edf) << '\n'
        << "sigma = " << FormatGeneral(sd.Sigma) << '\n';
    NoteFewDegreesOfFreedom(err, sd.Count, sd.Edf);
  }
  double sum = 0, largest = 0;
  for (std::int32_t i = 1; i <= sd.Sd.Nx; ++i) {
    for (std::int32_t j = 1; j <= sd.Sd.Ny; ++j) {
      sum += sd.Sd.Z(i, j);
      largest = std::max(largest, sd.Sd.Z(i, j));
    }
  }
  out << "sd mean = " << FormatGeneral(sum / (double(sd.Sd.Nx) * sd.Sd.Ny)) << '\n'
      << "sd max = " << FormatGeneral(largest) << '\n';
  if (!sd.Exact) {
    out << "sd relative error = " << FormatGeneral(sd.RelativeError) << '\n'
        << "sd largest error = " << FormatGeneral(sd.LargestError) << '\n';
  }
}

// What the run found, on stdout; on stderr why it stopped early.
void PrintRun(std::ostream& out, std::ostream& err, const PreparedData& data,
              const SurfaceEstimate& e, bool faults) {
  PrintReport(out, data, e.run.Report);
  if (e.choice) PrintWeights(out, *e.choice, e.params, e.fit->fit);
  const EstimationSummary summary = SummaryOf(e.run, faults);
  if (summary.faults) {
    out << "cut links = " << summary.cutLinks << '\n'
        << "dropped data = " << summary.droppedData << '\n';
    // Slivers between crossing traces that no datum fixed, held to their neighbours.
    if (summary.tiedBlocks > 0) out << "tied blocks = " << summary.tiedBlocks << '\n';
  }
  if (e.sd) PrintUncertainty(out, err, *e.sd, !e.choice);
  if (summary.iterations > 0) {
    // The iterative path's last pass: its steps and how far the residual fell.
    out << "iterations = " << summary.iterations << '\n'
        << "residual = " << FormatGeneral(summary.residual) << '\n';
  }
  if (e.run.StoppedAtPass > 0) {
    // The surface of the last completed pass was saved; say why the rest did not run.
    err << "kessadon estimate: pass " << e.run.StoppedAtPass << " of " << e.run.PassesPlanned
        << " stopped: " << e.run.StopReason << '\n';
  }
}

int Run(const CLI::App& command, const EstimateArguments& a, std::ostream& out, std::ostream& err) {
  auto fail = [&err](const std::string& reason) {
    err << "kessadon estimate: " << reason << '\n';
    return 1;
  };
  // The data, and the faults after them, are brought into the system --crs
  // names, else the first projected layer's; it goes to the grids written.
  std::string crs;
  if (!a.output.crs.empty()) {
    Result<std::string> chosen = CrsFromDefinition(a.output.crs);
    if (!chosen) return fail("--crs: " + chosen.failure().message);
    crs = *chosen;
  }
  Result<MeasuredData> records = a.data.Load(command, err, &crs, true);
  if (!records) return fail(records.failure().message);
  const PreparedData data = PrepareMeasuredData(*records);

  Result<EstimationParameters> params = Parameters(a, data);
  if (!params) return fail(params.failure().message);
  for (const std::string& file : a.faults) {
    std::string moved;
    Result<FaultTraces> traces = ReadFaultTraces(file, crs, &moved);
    if (!traces) return fail(file + ": " + Describe(traces.failure()));
    if (!moved.empty()) err << "note: " << file << ": " << moved << '\n';
    const EstimationParameters& p = *params;
    if (const std::optional<std::string> outside =
            OutsideTracesNote(*traces, p.Xmin, p.Xmax, p.Ymin, p.Ymax)) {
      err << "note: " << file << ": " << *outside << '\n';
    }
    params->Faults.Add(*traces);
  }
  SurfaceRequest request;
  request.solver = a.solver == "band"        ? EstimationSolver::Band
                   : a.solver == "sparse"    ? EstimationSolver::Sparse
                   : a.solver == "iterative" ? EstimationSolver::Iterative
                                             : EstimationSolver::Automatic;
  request.chooseWeights = a.autoWeights;
  request.keepRatio = a.ratio.has_value();
  request.keepAlphaMax = a.alphaMax.has_value();
  request.uncertainty = !a.uncertainty.empty();
  // A stopped run writes nothing; the exit status is the shell's for the
  // signal, 128 + its number.
  StopSignals signals;
  auto stopped = [&](const std::string& reason) {
    fail(reason);
    return signals.Received() != 0 ? 128 + signals.Received() : 1;
  };
  std::function<void(const EstimationProgressStep&)> print;
  if (a.progress) print = ProgressPrinter(err);
  Result<SurfaceEstimate> estimate =
      EstimateSurface(data, *params, request, [&](const EstimationProgressStep& step) {
        if (print) print(step);
        return signals.Received() == 0;
      });
  if (!estimate && estimate.failure().cancelled) return stopped(estimate.failure().message);
  if (!estimate) return fail(Describe(estimate.failure()));
  if (signals.Received() != 0) return stopped("推定を中止しました");
  const SurfaceEstimate& e = *estimate;
  if (e.choice) {
    NoteWeights(err, data, e);
    NoteFewDegreesOfFreedom(err, e.fit->fit.Count, e.fit->fit.Edf);
  }
  if (e.sdRefusal) return fail(Describe(*e.sdRefusal));
  if (e.sd) {
    Status saved = SaveUncertainty(a, *e.sd, crs, err);
    if (!saved) return fail(Describe(saved.failure()));
  }
  Status written = WriteGridOutput(a.output, e.run.Grid, crs, err);
  if (!written) return fail(Describe(written.failure()));
  PrintRun(out, err, data, e, !a.faults.empty());
  return 0;
}

}  // namespace

void AddEstimateCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status) {
  CLI::App* command = app.add_subcommand(
      "estimate",
      "Estimate a grid surface from measured data and save it as a grid data file or a raster");
  auto a = std::make_shared<EstimateArguments>();
  a->data.AddLayoutOption(*command);
  a->data.fileOption = command
                           ->add_option("DATA", a->data.files,
                                        "Measured-data files; the first is the new load, the "
                                        "others additional loads")
                           ->required();
  command->add_option("--nodes", a->nodes, "Node counts NX,NY of the grid to produce")
      ->delimiter(',')
      ->expected(2)
      ->required();
  command
      ->add_option("--range", a->range,
                   "XMIN,YMIN,XMAX,YMAX of the grid (default: the range of the data)")
      ->delimiter(',')
      ->expected(4);
  command->add_option("--m1", a->m1, "Weight of the slope term J1 (default 0)");
  command->add_option("--m2", a->m2, "Weight of the curvature term J2 (default 1)");
  command->add_option("--ratio", a->ratio,
                      "Beta/Alpha, weight of dip data (default 1 with dip data)");
  CLI::Option* alphaMin = command->add_option(
      "--alpha-min", a->alphaMin, "First height-data weight (default 32; 0.25 with bounds)");
  command
      ->add_flag("--auto-weights", a->autoWeights,
                 "Choose the first height-data weight (and with dip data Beta/Alpha, unless "
                 "--ratio gives it) by generalized cross-validation on the ordinary heights, and "
                 "print them (alpha, ratio), GCV, EDF (degrees of freedom) and sigma (the "
                 "heights' noise); with bounds alpha-max, unless given, grows with alpha")
      ->excludes(alphaMin);
  command->add_option("--alpha-max", a->alphaMax,
                      "Last height-data weight (with bounds; default 16)");
  command->add_option("--passes", a->passes, "Number of passes (with bounds; default 6)");
  command
      ->add_option("--extend", a->extend,
                   "Extension XP,YP of the estimation grid in percent (0 to 50)")
      ->delimiter(',')
      ->expected(2);
  AddGridOutputOptions(*command, a->output);
  command->get_option("--crs")->description(
      "Coordinate system to estimate in and tag the output with (e.g. EPSG:6677, WKT, PROJ): "
      "data and fault layers in another are transformed into it; default: the first projected "
      "layer's (layers in longitude and latitude alone need it)");
  command->add_flag("--progress", a->progress,
                    "Show the passes, the assembly and the factorisation on stderr");
  command
      ->add_option("--solver", a->solver,
                   "auto (default): the band solver for small grids, the sparse factor for "
                   "mid-sized ones, the iterative (multigrid) one for large; band, sparse or "
                   "iterative to choose")
      ->check(CLI::IsMember({"auto", "band", "sparse", "iterative"}));
  command
      ->add_option("--faults", a->faults,
                   "Fault traces the surface may break along: a line layer (.gpkg, .shp, "
                   ".geojson, ...) or text (x,y a line; '>' or a blank line between traces); "
                   "repeatable")
      ->check(CLI::ExistingFile);
  command->add_option(
      "--uncertainty", a->uncertainty,
      "Also save the standard deviation of each node's height (its uncertainty under the "
      "weights as a model of the data's noise) as a grid (.grd, .tif, ...); prints sigma, "
      "EDF and the deviations' mean and largest (and beyond the exact size, their stated relative "
      "error, root mean square and largest)");
  command->callback([command, a, &out, &err, &status] { status = Run(*command, *a, out, err); });
}

}  // namespace kessadon
