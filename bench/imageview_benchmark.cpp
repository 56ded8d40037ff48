// How fast the image view gets a 9576 x 6388 16-bit frame (122 MB) onto the
// screen: reading its data unit, sampling and stretching it and halving it
// down to window size, against reading the same bytes into memory in the
// same run; and the peak memory of that load against the image's size.
// Both files are in the page cache before timing, as after the header read
// that comes first. The last lines printed are the ratios; the exit code is
// not 0 when one is over its limit or could not be computed.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/durable_files.h"
#include "bench/ratio_reporter.h"
#include "bench/row_images.h"
#include "fits/fits_sizes.h"
#include "fits/platform_file.h"
#include "imageview/loaded_image.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDir = bench::BenchDir("velorin_view_bench");
constexpr std::int16_t kWidth = 9576, kHeight = 6388;
constexpr std::int64_t kDataBytes = std::int64_t{kWidth} * kHeight * 2;
constexpr auto kHeaderBytes = static_cast<std::int64_t>(fits::kRecordBytes);
double loadPeakOverImage = -1.0;  // the memory figure, kept for the end

std::string Header() {
  std::string header;
  for (const std::string card : {"SIMPLE  =                    T", "BITPIX  =                   16",
                                 "NAXIS   =                    2", "NAXIS1  =                 9576",
                                 "NAXIS2  =                 6388", "BZERO   =                32768", "END"})
    header += card + std::string(fits::kCardBytes - card.size(), ' ');
  return header + std::string(fits::kRecordBytes - header.size(), ' ');
}

// A sky of about 1000 counts with noise and a star every few hundred pixels,
// stored as unsigned 16-bit values (BZERO 32768), as cameras write them.
std::string MakeFrame(benchmark::State& state) {
  const std::string path = (kDir / "frame.fit").string();
  std::error_code error;
  if (static_cast<std::int64_t>(fs::file_size(path, error)) !=
      kHeaderBytes + kDataBytes + fits::FillBytes(kDataBytes)) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << Header();
    std::uint32_t random = 12345;
    std::string row(static_cast<std::size_t>(kWidth) * 2, '\0');
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        random = random * 1664525u + 1013904223u;
        int value = 1000 + static_cast<int>(random >> 27);
        if (x % 300 == 150 && y % 300 == 150) value = 30000;
        const auto stored = static_cast<std::uint16_t>(value - 32768);
        row[static_cast<std::size_t>(2 * x)] = static_cast<char>(stored >> 8);
        row[static_cast<std::size_t>(2 * x + 1)] = static_cast<char>(stored & 0xFF);
      }
      file.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    file << std::string(static_cast<std::size_t>(fits::FillBytes(kDataBytes)), '\0');
  }
  if (!bench::MakeDurable(path)) state.SkipWithError("frame not on disk");
  bench::ReadIntoCache(path);
  return path;
}

// Kilobytes of the process's resident memory now (VmRSS) or at its peak (VmHWM).
double ResidentKiB(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  double kib = -1.0;
  while (status >> word)
    if (word == key + ":") status >> kib;
  return kib;
}

const imageview::DataRequest& Request(const std::string& path) {
  static const imageview::DataRequest request{path, 16, kWidth, kHeight, kHeaderBytes};
  return request;
}

// First in the run, so that no earlier case's buffers count in the peak.
void BM_LoadFramePeakMemory(benchmark::State& state) {
  const std::string path = MakeFrame(state);
  const double before = ResidentKiB("VmRSS");
  const std::atomic<bool> cancelled{false};
  for (auto _ : state) {
    const imageview::ImageLoad load = imageview::LoadImage(Request(path), imageview::Curve::Auto, cancelled);
    benchmark::DoNotOptimize(load.display.halves.data());
  }
  loadPeakOverImage = (ResidentKiB("VmHWM") - before) * 1024.0 / static_cast<double>(kDataBytes);
  state.counters["peak_over_image"] = loadPeakOverImage;
}

void BM_ReadFrameBytes(benchmark::State& state) {
  const std::string path = MakeFrame(state);
  std::vector<char> bytes(static_cast<std::size_t>(kDataBytes));
  for (auto _ : state) {
    std::string error;
    const fits::platform::File file = fits::platform::OpenForReading(path, error);
    if (!fits::platform::ReadAt(file, bytes.data(), kDataBytes, kHeaderBytes, error))
      state.SkipWithError("read failed");
    benchmark::DoNotOptimize(bytes.data());
  }
}

void BM_LoadFrame(benchmark::State& state) {
  const std::string path = MakeFrame(state);
  const std::atomic<bool> cancelled{false};
  imageview::ImageLoad load;
  for (auto _ : state) {
    load = imageview::LoadImage(Request(path), imageview::Curve::Auto, cancelled);
    benchmark::DoNotOptimize(load.display.halves.data());
  }
  // The sky's median, the stars as the brightest values, halves down to window size.
  const imageview::LoadedImage& image = load.image;
  if (image.data.code != imageview::LoadCode::Loaded || std::abs(image.statistics.median - 1015.5) > 1.0 ||
      image.data.pixels.maximum != 30000.0 || load.display.halves.size() != 5)
    state.SkipWithError("wrong image");
}

BENCHMARK(BM_LoadFramePeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ReadFrameBytes)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_LoadFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!bench::MakeScratchFolder(kDir)) return 2;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::error_code error;
  fs::remove_all(kDir, error);
  // About three times the ratio measured when the limit was set (4.5 to 5: some 230 ms against 50 ms, the
  // load paying for fresh memory as the window's does), which keeps the picture well within a second.
  reporter.PrintRatio("BM_LoadFrame", "BM_ReadFrameBytes", "load and stretch 122 MB frame / read its bytes",
                      15.0);
  // The data in their own type, their halves and a sample: at most twice the image.
  std::printf("load peak memory / image bytes (limit 2): %.5f%s\n", loadPeakOverImage,
              loadPeakOverImage < 0.0 || loadPeakOverImage > 2.0 ? "  OVER LIMIT" : "");
  benchmark::Shutdown();
  return reporter.ExitCode() != 0 || loadPeakOverImage < 0.0 || loadPeakOverImage > 2.0 ? 1 : 0;
}
