// Progress of the numeric core's long computations, and how they are stopped:
// a callback told the share of the work done, 0 ... 1, that returns whether
// to go on. A computation that is told to stop returns a Cancelled status.
#pragma once

#include <algorithm>
#include <chrono>
#include <functional>

namespace kessadon {

using SolveProgress = std::function<bool(double fraction)>;

// Tells progress, if there is one; true when it says stop.
inline bool StopAsked(const SolveProgress& progress, double fraction) {
  return progress && !progress(fraction);
}

// The share from..to of `progress` as a progress of its own, 0 ... 1; none
// when there is none. `progress` must outlive it.
inline SolveProgress ProgressShare(const SolveProgress& progress, double from, double to) {
  if (!progress) return {};
  return [&progress, from, to](double f) { return progress(from + f * (to - from)); };
}

// Lets a work loop ask at every step while the callback is told at most ten
// times a second, with a share that never falls. Once the callback has said
// stop, every later ask says stop without telling it again.
class ProgressCheck {
 public:
  explicit ProgressCheck(const SolveProgress& progress) : progress_(progress) {}

  bool operator()(double fraction) {
    if (stopped_) return false;
    if (!progress_) return true;
    const Clock::time_point now = Clock::now();
    return now < next_ || Tell(fraction, now);
  }
  // Tells the callback now, as at the start and the end of a stage.
  bool Tell(double fraction) { return stopped_ ? false : Tell(fraction, Clock::now()); }
  bool Stopped() const { return stopped_; }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr Clock::duration kInterval = std::chrono::milliseconds(100);

  bool Tell(double fraction, Clock::time_point now) {
    shown_ = std::clamp(fraction, shown_, 1.0);
    next_ = now + kInterval;
    stopped_ = progress_ && !progress_(shown_);
    return !stopped_;
  }

  const SolveProgress& progress_;
  Clock::time_point next_{};
  double shown_ = 0;
  bool stopped_ = false;
};

// A part of a stage: its share f is the share from + f (to - from) of the
// stage. Without a check nobody is told and nothing stops.
struct ProgressPart {
  ProgressCheck* check = nullptr;
  double from = 0, to = 1;

  double At(double f) const { return from + f * (to - from); }
  bool operator()(double f) const { return check == nullptr || (*check)(At(f)); }
  // The part [f0, f1) of this part.
  ProgressPart Within(double f0, double f1) const { return {check, At(f0), At(f1)}; }
};

}  // namespace kessadon
