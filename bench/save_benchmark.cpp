// How fast the two save paths are, each against a plain copy of the same file
// measured in the same run: the full rewrite of a 512 MiB BITPIX 16 image
// against copy_file plus fsync, and the in-place header rewrite of a 1 GiB
// image against copying that file. Each case checks what it wrote. Inputs are
// on the disk before the first timed iteration, and every timed write starts
// from a settled disk, so an fsync pays only for what that write changed. The
// last lines printed are the ratios; the exit code is not 0 when one is over
// its limit or could not be computed.
//
// The files go to velorin_bench/ in $VELORIN_BENCH_DIR, else in the current
// folder (not /tmp, which may be a RAM disk), and are deleted at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/durable_files.h"
#include "bench/ratio_reporter.h"
#include "bench/row_images.h"
#include "fits/checksum.h"
#include "fits/fits_sizes.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDir = bench::BenchDir("velorin_bench");
constexpr std::int16_t kSide512 = 16384;                     // 16384 x 16384 x 2 bytes = 512 MiB
constexpr std::int16_t kWidth1G = 16384, kHeight1G = 32767;  // about 1 GiB
constexpr auto kHeaderBytes = static_cast<std::int64_t>(fits::kRecordBytes);

fits::platform::FileIdentity Identity(const std::string& path) {
  fits::platform::FileIdentity identity;
  std::string error;
  fits::platform::IdentityOf(path, identity, error);
  return identity;
}

std::string HeaderRecord() {
  std::string header(fits::kRecordBytes, ' ');
  header.replace(0, 30, "SIMPLE  =                    T");
  header.replace(80, 3, "END");
  return header;
}

// An image whose row r is filled with the 16-bit value r, on the disk. The
// repetitions of a case, and later cases, take the one already made.
std::string MakeImage(benchmark::State& state, const std::string& name, std::int16_t width,
                      std::int16_t height) {
  const std::string path = (kDir / name).string();
  const std::int64_t data = std::int64_t{width} * height * 2;
  std::error_code error;
  if (static_cast<std::int64_t>(fs::file_size(path, error)) != kHeaderBytes + data + fits::FillBytes(data))
    bench::WriteRowImage(path, HeaderRecord(), width, height);
  if (!bench::MakeDurable(path)) state.SkipWithError("input not on disk");
  return path;
}

void CopyAndSync(const std::string& from, const std::string& to) {
  fs::copy_file(from, to, fs::copy_options::overwrite_existing);
  const int fd = ::open(to.c_str(), O_WRONLY);
  ::fsync(fd);
  ::close(fd);
}

// Untimed: the last iteration's output goes and the disk settles, so every
// timed iteration writes a new file from the same state.
void FreshOutput(benchmark::State& state, const std::string& out) {
  state.PauseTiming();
  std::error_code ignored;
  fs::remove(out, ignored);
  bench::SettleDisk();
  state.ResumeTiming();
}

void BM_CopyAndSync512MiB(benchmark::State& state) {
  const std::string in = MakeImage(state, "in512.fit", kSide512, kSide512);
  const std::string out = (kDir / "copy512.fit").string();
  bench::ReadIntoCache(in);
  for (auto _ : state) {
    FreshOutput(state, out);
    CopyAndSync(in, out);
  }
  if (fs::file_size(out) != fs::file_size(in)) state.SkipWithError("copy has the wrong size");
}

void BM_FullRewrite512MiB(benchmark::State& state) {
  const std::string in = MakeImage(state, "in512.fit", kSide512, kSide512);
  const std::string out = (kDir / "flip512.fit").string();
  const fits::ImageLayout layout{16, kSide512, kSide512, kHeaderBytes};
  const std::string header = HeaderRecord();
  bench::ReadIntoCache(in);
  for (auto _ : state) {
    FreshOutput(state, out);
    const fits::SaveResult result = fits::WriteFlippedImage(in, layout, header, out);
    if (!result.ok()) {
      state.SkipWithError(result.error.c_str());
      break;
    }
  }
  // The first output row is the last input row, and the other way round.
  const std::int64_t rowBytes = std::int64_t{kSide512} * 2;
  if (bench::RowValueAt(out, 2880) != kSide512 - 1 ||
      bench::RowValueAt(out, 2880 + rowBytes * (kSide512 - 1)) != 0)
    state.SkipWithError("rows not reversed");
}

// The same rewrite for an input with CHECKSUM and DATASUM: the data are
// summed as they stream out and the header is written again at the end.
void BM_FullRewrite512MiBWithDatasum(benchmark::State& state) {
  const std::string in = MakeImage(state, "in512.fit", kSide512, kSide512);
  const std::string out = (kDir / "flipsum512.fit").string();
  const fits::ImageLayout layout{16, kSide512, kSide512, kHeaderBytes};
  const std::string header = HeaderRecord();
  std::uint32_t dataSum = 0;
  const fits::HeaderForDataSum seal = [&](std::uint32_t sum) {
    dataSum = sum;
    return header;
  };
  bench::ReadIntoCache(in);
  for (auto _ : state) {
    FreshOutput(state, out);
    if (!fits::WriteFlippedImage(in, layout, header, out, seal).ok()) {
      state.SkipWithError("rewrite failed");
      break;
    }
  }
  // Row r holds the value r in every pixel; each row has 8192 words (r << 16 | r).
  fits::OnesComplementSum expected;
  for (std::int32_t r = 0; r < kSide512; ++r) {
    const std::string word = {static_cast<char>(r >> 8), static_cast<char>(r), static_cast<char>(r >> 8),
                              static_cast<char>(r)};
    std::string row;
    for (int i = 0; i < kSide512 / 2; ++i) row += word;
    expected.Add(row);
  }
  if (dataSum != expected.Value()) state.SkipWithError("wrong data sum");
  fs::remove(out);
}

void BM_FullRewrite1GiBPeakMemory(benchmark::State& state) {
  const std::string in = MakeImage(state, "in1g.fit", kWidth1G, kHeight1G);
  const std::string out = (kDir / "flip1g.fit").string();
  const fits::ImageLayout layout{16, kWidth1G, kHeight1G, kHeaderBytes};
  for (auto _ : state) {
    if (!fits::WriteFlippedImage(in, layout, HeaderRecord(), out).ok()) {
      state.SkipWithError("rewrite failed");
      break;
    }
  }
  bench::ReportPeakMemory(state);
  fs::remove(out);
}

void BM_CopyAndSync1GiB(benchmark::State& state) {
  const std::string in = MakeImage(state, "in1g.fit", kWidth1G, kHeight1G);
  const std::string out = (kDir / "copy1g.fit").string();
  bench::ReadIntoCache(in);
  for (auto _ : state) {
    FreshOutput(state, out);
    CopyAndSync(in, out);
  }
  if (fs::file_size(out) != fs::file_size(in)) state.SkipWithError("copy has the wrong size");
  fs::remove(out);
}

void BM_HeaderOnlyInPlace1GiB(benchmark::State& state) {
  // A copy of its own, since the save changes the file it is given; the
  // further calls that find the iteration count take the one made first.
  const std::string in = MakeImage(state, "in1g.fit", kWidth1G, kHeight1G);
  const std::string path = (kDir / "header1g.fit").string();
  std::error_code error;
  if (fs::file_size(path, error) != fs::file_size(in))
    fs::copy_file(in, path, fs::copy_options::overwrite_existing);
  if (!bench::MakeDurable(path)) state.SkipWithError("input not on disk");
  const std::string before = HeaderRecord();
  std::string header = before;
  header.replace(160, 20, "OBJECT  = 'bench'   ");
  for (auto _ : state) {
    // Untimed: the old header back and flushed, so each save changes a file
    // that is on the disk.
    state.PauseTiming();
    const bool restored = fits::RewriteHeaderInPlace({path, before, kHeaderBytes, Identity(path), {}}).ok();
    const fits::InPlaceHeader next{path, header, kHeaderBytes, Identity(path), {}};
    state.ResumeTiming();
    const fits::SaveResult result = fits::RewriteHeaderInPlace(next);
    if (!restored || !result.ok()) {
      state.SkipWithError(restored ? result.error.c_str() : "old header not restored");
      break;
    }
  }
  if (bench::FirstBytes(path, header.size()) != header) state.SkipWithError("header not written");
  if (bench::RowValueAt(path, 2880 + 2 * std::int64_t{kWidth1G} * 7) != 7) state.SkipWithError("data moved");
}

BENCHMARK(BM_CopyAndSync512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(7);
BENCHMARK(BM_FullRewrite512MiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(7);
BENCHMARK(BM_FullRewrite512MiBWithDatasum)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3)
    ->Repetitions(7);
BENCHMARK(BM_CopyAndSync1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_HeaderOnlyInPlace1GiB)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(1);
BENCHMARK(BM_FullRewrite1GiBPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (!bench::MakeScratchFolder(kDir)) return 2;
  std::error_code error;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  fs::remove_all(kDir, error);
  reporter.PrintRatio("BM_FullRewrite512MiB", "BM_CopyAndSync512MiB", "512 MiB full rewrite / copy+fsync",
                      1.3);
  // Summing as the data stream out may cost what the rewrite may cost over a copy.
  reporter.PrintRatio("BM_FullRewrite512MiBWithDatasum", "BM_FullRewrite512MiB",
                      "512 MiB full rewrite with DATASUM / without", 1.3);
  reporter.PrintRatio("BM_FullRewrite512MiBWithDatasum", "BM_CopyAndSync512MiB",
                      "512 MiB full rewrite with DATASUM / copy+fsync", 1.3);
  reporter.PrintRatio("BM_HeaderOnlyInPlace1GiB", "BM_CopyAndSync1GiB",
                      "1 GiB header-only in place / copy+fsync", 0.01);
  benchmark::Shutdown();
  return reporter.ExitCode();
}
