#include "PictureDrag.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

#include "Controls.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "Platform.h"
#include "ViewCommands.h"
#include "render/ViewDrag.h"

namespace kessadon::app {
namespace {

// The wheel's whole picture waits for the hand to rest this long.
constexpr int kWheelRestMs = 300;

// Wheels report eighths of a degree, 15 degrees a notch.
constexpr double kWheelNotch = 120;

bool CanTurn(const MainContext& context) {
  return context.state.GridLoaded == 1 && !context.run.active && HasGridPicture(context);
}

class PictureDrag : public QObject {
 public:
  PictureDrag(MainContext& context, PictureBox* picture)
      : QObject(picture), c_(context), picture_(*picture) {
    // A frame is drawn once the events waiting are handled, so that the
    // moves that came during a slow frame make one frame, not a backlog.
    frame_.setSingleShot(true);
    frame_.setInterval(0);
    connect(&frame_, &QTimer::timeout, this, [this] { DrawQuick(); });
    rest_.setSingleShot(true);
    rest_.setInterval(kWheelRestMs);
    connect(&rest_, &QTimer::timeout, this, [this] { DrawWhole(); });
    picture->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        return Press(*static_cast<QMouseEvent*>(event));
      case QEvent::MouseMove:
        return Move(*static_cast<QMouseEvent*>(event));
      case QEvent::MouseButtonRelease:
        return Release(*static_cast<QMouseEvent*>(event));
      case QEvent::Wheel:
        return Wheel(*static_cast<QWheelEvent*>(event));
      case QEvent::Hide:
        Stop();
        break;
      default:
        break;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  bool Press(const QMouseEvent& event) {
    if (event.button() != Qt::LeftButton || dragging_ || !CanTurn(c_)) return false;
    rest_.stop();
    dragging_ = true;
    moved_ = false;
    last_ = event.position().toPoint();
    picture_.setCursor(Qt::ClosedHandCursor);
    return true;
  }

  bool Move(const QMouseEvent& event) {
    if (!dragging_) return false;
    const QPoint at = event.position().toPoint();
    const QPoint motion = at - last_;
    last_ = at;
    if (motion.isNull() || !CanTurn(c_)) return true;
    if (!moved_ && IsPlanView(c_.state.View)) LeavePlanView(c_);
    moved_ = true;
    Turn(motion);
    frame_.start();
    return true;
  }

  bool Release(const QMouseEvent& event) {
    if (!dragging_ || event.button() != Qt::LeftButton) return false;
    const bool moved = moved_;
    Stop();
    if (moved) DrawWhole();
    return true;
  }

  bool Wheel(const QWheelEvent& event) {
    if (dragging_ || !CanTurn(c_)) return false;
    const double notches = event.angleDelta().y() / kWheelNotch;
    if (notches == 0) return true;
    if (const std::optional<double> sca = WheelMagnification(c_.state.View.Sca, notches)) {
      SetText(c_.panel.view->txtSca, *sca);
      frame_.start();
      rest_.start();
    }
    return true;
  }

  void Stop() {
    dragging_ = false;
    frame_.stop();
    picture_.unsetCursor();
  }

  // Writes the turned angles into their fields, which retake the view.
  void Turn(QPoint motion) {
    const ViewAngles from{c_.state.View.Alpha, c_.state.View.Gamma};
    const ViewAngles to = DragViewAngles(from, motion.x(), motion.y());
    if (to.Alpha != from.Alpha) SetText(c_.panel.view->txtAlpha, to.Alpha);
    if (to.Gamma != from.Gamma) SetText(c_.panel.view->txtGamma, to.Gamma);
  }

  // A view the fields refuse (a perspective from inside the block) is not
  // drawn; the picture stays at the last view that could be.
  bool TakeFieldView() {
    if (c_.state.ViewReady != 1) return false;
    ReplacePictureView(c_, c_.state.View);
    return true;
  }

  void DrawQuick() {
    if (!HasGridPicture(c_) || !TakeFieldView()) return;
    RedrawPicture(c_, picture_.Surface(), {.thinned = true, .overlays = false});
    picture_.Changed();
  }

  void DrawWhole() {
    rest_.stop();
    if (!HasGridPicture(c_)) return;
    TakeFieldView();
    BusyPointer busy(*c_.platform);
    RedrawPicture(c_, picture_.Surface(), {});
    picture_.Changed();
  }

  MainContext& c_;
  PictureBox& picture_;
  QTimer frame_, rest_;
  bool dragging_ = false;
  bool moved_ = false;
  QPoint last_;
};

}  // namespace

void ConnectPictureDrag(MainContext& context) {
  new PictureDrag(context, context.formImage->picImage);
}

}  // namespace kessadon::app
