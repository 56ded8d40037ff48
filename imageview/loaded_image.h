// An image as the view keeps it: the data unit with its statistics, and
// what a curve makes of them for the screen. Both are made off the window's
// thread and then only read.
#pragma once

#include <atomic>
#include <vector>

#include "imageview/data_unit.h"
#include "imageview/display_levels.h"
#include "imageview/stretch.h"

namespace imageview {

struct LoadedImage {
  LoadedData data;
  SampleStatistics statistics;
};

struct DisplayImage {
  DisplayMap map;
  LevelTable table;
  std::vector<LevelImage> halves;
};

// Everything the first picture needs: the data read, sampled and stretched.
// The display stays empty when the load failed or was cancelled.
struct ImageLoad {
  LoadedImage image;
  DisplayImage display;
};
ImageLoad LoadImage(const DataRequest& request, Curve curve, const std::atomic<bool>& cancelled);

// The display of a loaded image for another curve.
DisplayImage MakeDisplay(const LoadedImage& image, Curve curve, const std::atomic<bool>& cancelled);

}  // namespace imageview
