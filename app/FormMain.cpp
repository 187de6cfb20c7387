#include "FormMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "AppReset.h"
#include "ColorCommands.h"
#include "ContourCommands.h"
#include "Controls.h"
#include "DataDisplayCommands.h"
#include "DataFileCommands.h"
#include "DisplayCommands.h"
#include "EstimationCommands.h"
#include "FieldHelp.h"
#include "FormColor.h"
#include "FormImage.h"
#include "GridChangeCommands.h"
#include "GridFileCommands.h"
#include "PictureBox.h"
#include "PictureDrag.h"
#include "Platform.h"
#include "UnsavedWork.h"
#include "ViewCommands.h"

namespace kessadon::app {

QString VersionText() {
  return QString("Kessadon 2001 バージョン %1 (2001/07/13)").arg(KESSADON_VERSION);
}

namespace {

// A tab page holding frames in columns; each column is a list of frames.
QWidget* NewPage(QTabWidget* tabs, const char* name, const QString& caption,
                 std::initializer_list<std::initializer_list<QWidget*>> columns) {
  auto* page = new QWidget(tabs);
  page->setObjectName(name);
  auto* row = new QHBoxLayout(page);
  for (const auto& frames : columns) {
    auto* column = new QVBoxLayout;
    for (QWidget* frame : frames) {
      frame->setParent(page);
      column->addWidget(frame);
    }
    column->addStretch(1);
    row->addLayout(column);
  }
  tabs->addTab(page, caption);
  return page;
}

}  // namespace

FormMain::FormMain(Platform& platform, const QString& programDir)
    : formImage_(std::make_unique<FormImage>()), formColor_(std::make_unique<FormColor>()) {
  setObjectName("formMain");
  setWindowTitle("Kessadon 2001");
  context_.platform = &platform;
  context_.window = this;
  context_.statusBar = statusBar();
  context_.formImage = formImage_.get();
  context_.formColor = formColor_.get();
  context_.programDir = programDir;
  BuildPanel();
  SetToolTips(this);
  ConnectHandlers();
  ConnectFieldChecks(context_);
}

FormMain::~FormMain() = default;

void FormMain::BuildPanel() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  tabParameter = new QTabWidget(central);
  tabParameter->setObjectName("tabParameter");
  layout->addWidget(tabParameter);

  Panel& p = context_.panel;
  p.gridFile = new GridFileFrame(nullptr);
  p.gridSpec = new GridSpecFrame(nullptr);
  p.dataFile = new DataFileFrame(nullptr);
  p.estimation = new EstimationFrame(nullptr);
  p.report = new ReportFrame(nullptr);
  p.gridChange = new GridChangeFrame(nullptr);
  p.view = new ViewFrame(nullptr);
  p.angleDiagram = new AngleDiagramFrame(nullptr);
  p.display = new DisplayFrame(nullptr);
  p.pictureOptions = new PictureOptionsFrame(nullptr);
  p.output = new OutputFrame(nullptr);
  p.windowArea = new WindowAreaFrame(nullptr);
  p.contour = new ContourFrame(nullptr);
  p.colorTable = new ColorTableFrame(nullptr);
  p.light = new LightFrame(nullptr);
  p.dataDisplay = new DataDisplayFrame(nullptr);

  NewPage(tabParameter, "tabDataFiles", "データファイル", {{p.gridFile, p.gridSpec}, {p.dataFile}});
  NewPage(tabParameter, "tabEstimation", "格子データ推定",
          {{p.estimation}, {p.report, p.gridChange}});
  NewPage(tabParameter, "tabPicture", "図の表示",
          {{p.view, p.angleDiagram}, {p.display, p.pictureOptions, p.output, p.windowArea}});
  NewPage(tabParameter, "tabContourLight", "コンター・色・光源",
          {{p.contour, p.light}, {p.colorTable}});
  NewPage(tabParameter, "tabDataDisplay", "測定データの表示", {{p.dataDisplay}});

  auto* bottom = new QHBoxLayout;
  // A run's share done and its stop, shown only while one works.
  auto* progress = new QProgressBar(central);
  progress->setObjectName("prgRun");
  progress->setRange(0, 1000);
  progress->setTextVisible(false);
  progress->setFixedWidth(160);
  progress->hide();
  auto* cmdStop = NewButton(central, "cmdStop", "中止");
  cmdStop->setShortcut(Qt::Key_Escape);
  cmdStop->hide();
  context_.progress = progress;
  context_.cmdStop = cmdStop;
  context_.tabs = tabParameter;
  cmdVersion = NewButton(central, "cmdVersion", "バージョン情報");
  cmdEnd = NewButton(central, "cmdEnd", "終了");
  bottom->addWidget(progress);
  bottom->addWidget(cmdStop);
  bottom->addStretch(1);
  bottom->addWidget(cmdVersion);
  bottom->addWidget(cmdEnd);
  layout->addLayout(bottom);
  setCentralWidget(central);
}

void FormMain::ConnectHandlers() {
  MainContext& c = context_;
  Panel& p = c.panel;
  // Each command's own line replaces the last one; connected first, this runs
  // before every command.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    connect(button, &QPushButton::clicked, this, [&c] { c.ShowStatus(QString()); });
  }
  connect(cmdEnd, &QPushButton::clicked, this, [this] { close(); });
  connect(cmdVersion, &QPushButton::clicked, this,
          [&c] { c.platform->ShowMessage(c.window, VersionText()); });

  connect(p.gridFile->cmdOpenGridData, &QPushButton::clicked, this,
          [&c] { cmdOpenGridData_Click(c); });
  connect(p.gridFile->cmdSaveGridData, &QPushButton::clicked, this,
          [&c] { cmdSaveGridData_Click(c); });
  OnClick(c, p.gridFile->cmdOpenMem, cmdOpenMem_Click);

  connect(p.dataFile->cmdOpenData, &QPushButton::clicked, this, [&c] { cmdOpenData_Click(c); });
  connect(p.dataFile->cmdOpenDataAdd, &QPushButton::clicked, this,
          [&c] { cmdOpenDataAdd_Click(c); });
  connect(p.dataFile->cmdClear, &QPushButton::clicked, this, [&c] { cmdClear_Click(c); });
  connect(p.dataFile->cmdOpenFaults, &QPushButton::clicked, this, [&c] { cmdOpenFaults_Click(c); });
  connect(p.dataFile->cmdClearFaults, &QPushButton::clicked, this,
          [&c] { cmdClearFaults_Click(c); });
  for (int k = 0; k < 5; ++k) {
    connect(p.dataFile->optData[k], &QRadioButton::toggled, this, [&c, k](bool on) {
      if (on) c.state.Data.DataType = k + 1;
    });
  }

  ConnectEstimationFrame(c);
  ConnectViewFrame(c);
  ConnectContourFrame(c);
  ConnectDisplayCommands(c);
  ConnectDataDisplayFrame(c);
  ConnectColorCommands(c);
  ConnectGridChangeFrame(c);
  ConnectPictureRecipe(c);
  ConnectPictureDrag(c);

  formImage_->onResized = [&c](QSize outer) {
    SetCaption(c.panel.windowArea->lblWinX, outer.width());
    SetCaption(c.panel.windowArea->lblWinY, outer.height());
  };
}

void FormMain::Load() {
  // The drawing window takes the right half of the screen; keep to the left half
  // where the panel fits.
  const int half = QGuiApplication::primaryScreen()->availableGeometry().width() / 2;
  const QSize hint = sizeHint();
  resize(std::max(std::min(hint.width(), half), minimumSizeHint().width()), hint.height());
  move(0, 0);
  ResetAppState(context_);
  ResetEstimationPanel(context_);
  UpdateDisplayCommands(context_);
  show();
  formImage_->Load(frameGeometry());
}

void FormMain::closeEvent(QCloseEvent* event) {
  LongRun& run = context_.run;
  // A second close, once the stopped run has handed back, was asked about already.
  if (!run.quitAfterwards && !ConfirmDiscardGrids(context_)) {
    event->ignore();
    return;
  }
  if (run.active) {
    // The run stops at its next check; its command then closes the window.
    run.quitAfterwards = true;
    run.stop = true;
    context_.ShowStatus("推定を中止して終了します…");
    event->ignore();
    return;
  }
  // Closing the main window ends the program, the drawing window with it.
  formImage_->close();
  formColor_->close();
  event->accept();
}

}  // namespace kessadon::app
