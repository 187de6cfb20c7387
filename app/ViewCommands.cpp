#include "ViewCommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "AppReset.h"
#include "Controls.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "render/ViewDrag.h"

namespace kessadon::app {
namespace {

// Written field by field; each write retakes the settings, as typing would.
// An empty text leaves its field as it is.
void WriteViewTexts(ViewFrame& v, const ViewTexts& texts) {
  const std::pair<QLineEdit*, const std::string*> fields[] = {
      {v.txtAlpha, &texts.Alpha}, {v.txtGamma, &texts.Gamma}, {v.txtSca, &texts.Sca},
      {v.txtVe, &texts.Ve},       {v.txtZbase, &texts.Zbase}, {v.txtDist, &texts.Dist},
      {v.txtPpz, &texts.Ppz}};
  for (const auto& [box, text] : fields) {
    if (!text->empty()) box->setText(ToQ(*text));
  }
}

// The reason for a refused perspective stays in the status bar until the
// fields hold a view that can be drawn.
void ShowPerspectiveRefusal(MainContext& context, const std::optional<std::string>& refusal) {
  if (refusal) {
    context.ShowStatus(ToQ(*refusal));
  } else if (context.statusBar &&
             context.statusBar->currentMessage().contains(QString(kPerspectiveRefused))) {
    context.statusBar->clearMessage();
  }
}

}  // namespace

DataExtent MeasuredExtent(const MainContext& context) {
  const MeasuredDataState& d = context.state.Data;
  return {d.XminH, d.XmaxH, d.YminH, d.YmaxH};
}

void UpdateViewProjection(MainContext& context) {
  ViewFrame& v = *context.panel.view;
  const ViewTexts texts{NumberFieldText(v.txtVe),    NumberFieldText(v.txtAlpha),
                        NumberFieldText(v.txtGamma), NumberFieldText(v.txtSca),
                        NumberFieldText(v.txtZbase), NumberFieldText(v.txtDist),
                        NumberFieldText(v.txtPpz)};
  const RasterSurface& surface = context.formImage->picImage->Surface();
  AppState& s = context.state;
  const ViewTaken taken = TakeViewSettings(s.View, texts, s.Grid, MeasuredExtent(context),
                                           surface.ScaleWidth(), surface.ScaleHeight());
  if (taken) s.ViewReady = 1;
  if (taken.Refusal) s.ViewReady = 0;
  ShowPerspectiveRefusal(context, taken.Refusal);
  UpdateDisplayCommands(context);
}

void ShowViewInFields(MainContext& context) {
  const ViewProjection& view = context.state.View;
  // Before any view was taken nothing draws, and the fields stay empty.
  if (!(view.Sca > 0)) return;
  ViewFrame& v = *context.panel.view;
  const std::pair<QLineEdit*, double> fields[] = {
      {v.txtAlpha, view.Alpha}, {v.txtGamma, view.Gamma}, {v.txtSca, view.Sca}, {v.txtVe, view.Ve}};
  for (const auto& [box, value] : fields) {
    if (box->text().isEmpty()) SetText(box, value);
  }
}

void cmd2D_Click(MainContext& context) {
  WriteViewTexts(*context.panel.view, PlanViewTexts());
  context.panel.pictureOptions->chkWaku->setChecked(true);
  context.panel.pictureOptions->optWaku4->setChecked(true);
  UpdateViewProjection(context);
}

void cmd3DDefault_Click(MainContext& context) {
  WriteViewTexts(*context.panel.view,
                 DefaultViewTexts(context.state.Defaults, context.state.Grid.Zmin));
  context.panel.view->chkBase->setChecked(true);
  UpdateViewProjection(context);
}

void LeavePlanView(MainContext& context) {
  const AppState& s = context.state;
  WriteViewTexts(*context.panel.view, LeavePlanViewTexts(s.Defaults, s.Grid.Zmin, s.View.Sca));
  context.panel.view->chkBase->setChecked(true);
  UpdateViewProjection(context);
}

void chkBase_Click(MainContext& context, bool on) {
  AppState& s = context.state;
  QLineEdit* txtZbase = context.panel.view->txtZbase;
  txtZbase->setText(ToQ(BaseSwitchText(on, s.View.Zbase, s.SavedView)));
  txtZbase->setEnabled(on);
}

void chkPers_Click(MainContext& context, bool on) {
  AppState& s = context.state;
  ViewFrame& v = *context.panel.view;
  const PerspectiveTexts texts = PerspectiveSwitchTexts(on, s.View.Dist, s.View.Ppz, s.SavedView);
  v.txtDist->setText(ToQ(texts.Dist));
  v.txtPpz->setText(ToQ(texts.Ppz));
  v.txtDist->setEnabled(on);
  v.txtPpz->setEnabled(on);
  UpdateViewProjection(context);
}

void ConnectViewFrame(MainContext& context) {
  ViewFrame& v = *context.panel.view;
  for (QLineEdit* field :
       {v.txtVe, v.txtAlpha, v.txtGamma, v.txtSca, v.txtZbase, v.txtDist, v.txtPpz}) {
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&context] { UpdateViewProjection(context); });
  }
  QObject::connect(v.cmd2D, &QPushButton::clicked, v.cmd2D, [&context] { cmd2D_Click(context); });
  QObject::connect(v.cmd3DDefault, &QPushButton::clicked, v.cmd3DDefault,
                   [&context] { cmd3DDefault_Click(context); });
  QObject::connect(v.chkBase, &QCheckBox::toggled, v.chkBase,
                   [&context](bool on) { chkBase_Click(context, on); });
  QObject::connect(v.chkPers, &QCheckBox::toggled, v.chkPers,
                   [&context](bool on) { chkPers_Click(context, on); });
}

}  // namespace kessadon::app
