#include "imageview/loaded_image.h"

namespace imageview {

ImageLoad LoadImage(const DataRequest& request, Curve curve, const std::atomic<bool>& cancelled) {
  ImageLoad load;
  load.image.data = ReadDataUnit(request, cancelled);
  if (load.image.data.code != LoadCode::Loaded) return load;
  load.image.statistics = SampleOf(load.image.data.pixels);
  load.display = MakeDisplay(load.image, curve, cancelled);
  if (cancelled.load()) load.image.data = {LoadCode::Cancelled, {}, {}, {}};
  return load;
}

DisplayImage MakeDisplay(const LoadedImage& image, Curve curve, const std::atomic<bool>& cancelled) {
  DisplayImage display;
  display.map = MapFor(curve, image.statistics, image.data.pixels);
  display.table = MakeLevelTable(image.data.pixels, display.map);
  display.halves = HalvedLevels(image.data.pixels, display.table, cancelled);
  return display;
}

}  // namespace imageview
