// A long operation on a worker thread while the window stays live: the pages
// of parameters and commands are disabled, the status line and the share bar
// follow what the operation reports, 中止 stops it. Any long operation uses it
// as it is; it knows nothing of what the operation does.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProgressBar>
#include <QPushButton>
#include <QString>
#include <QTabWidget>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cmath>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "io/Result.h"

namespace kessadon::app {

// What an operation is doing, as it tells it from its thread.
struct BackgroundStep {
  QString text;      // for the status line
  double share = 0;  // of the whole operation, 0 to 1
  int stage = 0;     // a change restarts the seconds shown after the text
};

// The operation's side: each report returns false once a stop was asked.
using BackgroundProgress = std::function<bool(const BackgroundStep&)>;

// While a run works, the pages of parameters and commands are disabled, so
// that no click waits to be carried out after it; the share done and the stop
// show under them. Everything comes back as the enable rules left it.
class RunningWindow {
 public:
  explicit RunningWindow(MainContext& context) : c_(context) {
    c_.run.active = true;
    c_.run.stop = false;
    for (int k = 0; k < c_.tabs->count(); ++k) c_.tabs->widget(k)->setEnabled(false);
    c_.progress->setValue(0);
    c_.progress->show();
    c_.cmdStop->show();
  }
  ~RunningWindow() {
    c_.cmdStop->hide();
    c_.progress->hide();
    for (int k = 0; k < c_.tabs->count(); ++k) c_.tabs->widget(k)->setEnabled(true);
    c_.run.active = false;
  }
  RunningWindow(const RunningWindow&) = delete;
  RunningWindow& operator=(const RunningWindow&) = delete;

 private:
  MainContext& c_;
};

// Runs `job` on a worker thread while this one keeps the windows painted,
// the status bar and the share current five times a second, and takes the
// stop. A stage that reports no new share still shows how long it has been
// going. `what` names the operation ("推定") in the status while a stop is
// awaited and in the refusal of an exception. Nothing when it was stopped.
template <class T>
std::optional<Result<T>> RunWithProgress(
    MainContext& context, const QString& what,
    const std::function<Result<T>(const BackgroundProgress&)>& job) {
  struct Latest {
    std::mutex mutex;
    std::optional<BackgroundStep> step;
  };
  auto latest = std::make_shared<Latest>();
  const RunningWindow running(context);
  context.run.stopping = what + "を中止しています…";
  std::atomic<bool>& stop = context.run.stop;
  QEventLoop loop;
  std::optional<Result<T>> result;
  std::thread worker([&] {
    try {
      result.emplace(job([latest, &stop](const BackgroundStep& step) {
        const std::lock_guard<std::mutex> lock(latest->mutex);
        latest->step = step;
        return !stop;
      }));
    } catch (const std::exception& e) {
      // Nothing may escape a thread; the operation is refused like any other.
      result.emplace(Failure{FromQ(what) + "を終えられませんでした：" + e.what()});
    }
    QMetaObject::invokeMethod(
        &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
  });

  QElapsedTimer stageClock;
  stageClock.start();
  std::optional<BackgroundStep> shown;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, &timer, [&] {
    if (stop) {
      context.ShowStatus(context.run.stopping);
      return;
    }
    std::optional<BackgroundStep> step;
    {
      const std::lock_guard<std::mutex> lock(latest->mutex);
      step = latest->step;
    }
    if (!step) return;
    if (!shown || shown->stage != step->stage) stageClock.restart();
    shown = step;
    QString text = step->text;
    const qint64 seconds = stageClock.elapsed() / 1000;
    if (seconds >= 1) text += QString("（%1 秒）").arg(seconds);
    context.ShowStatus(text);
    context.progress->setValue(static_cast<int>(std::lround(1000 * step->share)));
  });
  timer.start(200);
  loop.exec();
  worker.join();
  // A stop that came after the last check still leaves everything as it was.
  if (stop) return std::nullopt;
  return result;
}

// What RunWithProgress gave, told: a stop in the status line (and, when the
// window was closed meanwhile, it closes now that the run let go), a refusal
// in a message box. The result, or null after either.
template <class T>
T* Outcome(MainContext& context, std::optional<Result<T>>& finished, const QString& stopped) {
  if (!finished) {
    context.ShowStatus(stopped);
    if (context.run.quitAfterwards) context.window->close();
    return nullptr;
  }
  if (!*finished) {
    context.ShowStatus(QString());
    context.platform->ShowMessage(context.window, ToQ(finished->failure().message));
    return nullptr;
  }
  return &**finished;
}

}  // namespace kessadon::app
