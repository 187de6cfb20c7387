// Every frame of the main window's tab control, for the handlers that read and
// write more than one of them.
#pragma once

#include "ColorFrames.h"
#include "DataFileFrame.h"
#include "EstimationFrames.h"
#include "GridFrames.h"
#include "ViewFrames.h"

namespace kessadon::app {

struct Panel {
  GridFileFrame* gridFile = nullptr;
  GridSpecFrame* gridSpec = nullptr;
  DataFileFrame* dataFile = nullptr;
  EstimationFrame* estimation = nullptr;
  ReportFrame* report = nullptr;
  GridChangeFrame* gridChange = nullptr;
  ViewFrame* view = nullptr;
  DisplayFrame* display = nullptr;
  PictureOptionsFrame* pictureOptions = nullptr;
  OutputFrame* output = nullptr;
  WindowAreaFrame* windowArea = nullptr;
  AngleDiagramFrame* angleDiagram = nullptr;
  ContourFrame* contour = nullptr;
  ColorTableFrame* colorTable = nullptr;
  LightFrame* light = nullptr;
  DataDisplayFrame* dataDisplay = nullptr;
};

}  // namespace kessadon::app
