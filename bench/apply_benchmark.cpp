// How fast a night of frames is saved through the road `velorin-cli apply`
// takes (ReadInput into a log buffer, ComposeHeader, WriteOutput), each case
// against a yardstick measured in the same run:
// - the header-only save in place of 1,000 copies of a 1 MiB image, all in
//   one run of the command (one file a core, the headers written behind one
//   journal per folder and flushed together),
//   against a cfitsio loop that opens each file, updates the same cards with
//   fits_update_key and closes it (cfitsio flushes nothing; the same loop
//   with an fsync of each file is shown too);
// - the flip of 50 images of 32 MiB into another folder, one file a core as
//   the command line does by default and one file at a time, against copying
//   each file as cp does (one copy_file_range over the whole file after a
//   sequential-read hint, in this process) and then fsync;
// - the flip of one 512 MiB image with and without starting write-back of
//   each block as it is written, each against the same copy and fsync.
// Inputs are on the disk before timing, and every timed iteration starts from
// the same files and a settled disk; the repetitions of all cases take turns.
// The last lines printed are the ratios; the exit code is not 0 when one is
// over its limit or could not be computed.
//
// The files go to velorin_apply_bench/ in $VELORIN_BENCH_DIR, else in the
// current folder (not /tmp, which may be a RAM disk), and are deleted at the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <fitsio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/durable_files.h"
#include "bench/ratio_reporter.h"
#include "bench/row_images.h"
#include "cli/apply_file.h"
#include "cli/run.h"
#include "coords/sky_position.h"
#include "fits/fits_sizes.h"
#include "fits/pixel_copy.h"
#include "pipeline/read_input.h"
#include "pipeline/write_output.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDir = bench::BenchDir("velorin_apply_bench");
constexpr int kSmallFiles = 1000;
constexpr std::int16_t kSmallWidth = 1024, kSmallHeight = 512;  // 1 MiB of BITPIX 16
constexpr int kMediumFiles = 50;
constexpr std::int16_t kMediumSide = 4096;  // 32 MiB
constexpr std::int16_t kLargeSide = 16384;  // 512 MiB

// What the entries say: the position as typed, the instrument row of velorin.ini.
constexpr float kRaHours = 6.148333f;
constexpr float kDecDegrees = 24.32972f;
const config::Instrument kInstrument{"Refraktor 80/480", 0.000396f, 0.000396f, 0.0f};

// A capture program's header without a WCS, in one record.
std::string InputHeader(std::int16_t width, std::int16_t height) {
  char naxis[2][32];
  std::snprintf(naxis[0], sizeof naxis[0], "NAXIS1  = %20d", width);
  std::snprintf(naxis[1], sizeof naxis[1], "NAXIS2  = %20d", height);
  const char* const cards[] = {"SIMPLE  =                    T",
                               "BITPIX  =                   16",
                               "NAXIS   =                    2",
                               naxis[0],
                               naxis[1],
                               "OBJECT  = 'M 35    '",
                               "DATE-OBS= '2026-01-12T21:14:03'",
                               "EXPTIME =                 120.",
                               "INSTRUME= 'ASI294MC'",
                               "END"};
  std::string header(fits::kRecordBytes, ' ');
  for (std::size_t i = 0; i < std::size(cards); ++i) header.replace(i * 80, std::strlen(cards[i]), cards[i]);
  return header;
}

std::string Numbered(const fs::path& folder, int i) {
  char name[32];
  std::snprintf(name, sizeof name, "frame%04d.fit", i);
  return (folder / name).string();
}

// count copies of one image in folder, on the disk. Later calls find them made.
std::vector<std::string> MakeImages(benchmark::State& state, const std::string& folder, int count,
                                    std::int16_t width, std::int16_t height) {
  const fs::path dir = kDir / folder;
  fs::create_directories(dir);
  const std::string first = Numbered(dir, 0);
  const std::int64_t data = std::int64_t{width} * height * 2;
  const auto size = static_cast<std::uintmax_t>(fits::kRecordBytes + data + fits::FillBytes(data));
  std::vector<std::string> paths;
  std::error_code error;
  bool made = false;
  for (int i = 0; i < count; ++i) {
    paths.push_back(Numbered(dir, i));
    if (fs::file_size(paths.back(), error) == size) continue;
    if (i == 0) {
      bench::WriteRowImage(first, InputHeader(width, height), width, height);
    } else {
      fs::copy_file(first, paths.back(), fs::copy_options::overwrite_existing);
    }
    made = true;
  }
  if (made && !bench::MakeDurable(first)) state.SkipWithError("inputs not on disk");
  return paths;
}

// The instrument row as velorin.ini holds it, read with every file.
fs::path IniFolder() {
  const fs::path dir = kDir / "ini";
  fs::create_directories(dir);
  std::ofstream(dir / "velorin.ini")
      << "[instruments]\r\n'Refraktor 80/480' 0.000396 0.000396 0\r\n[end]\r\n";
  return dir;
}

// The entries as typed and the instrument row of the folder's velorin.ini.
cli::Options Entries(const fs::path& iniFolder) {
  cli::Options options;
  options.raHours = kRaHours;
  options.decDegrees = kDecDegrees;
  options.instrument = kInstrument.name;
  options.iniFile = iniFolder / "velorin.ini";
  options.startDirectory = iniFolder;
  return options;
}

// One file through `velorin-cli apply`'s own per-file road; false when not
// saved.
bool Apply(const std::string& input, const std::string& output, const fs::path& iniFolder, bool flip) {
  cli::Options options = Entries(iniFolder);
  options.flip = flip;
  if (output != input) options.output = fs::path(output).parent_path().string();
  return cli::ApplyToFile(options, input).ok;
}

// All files in one `velorin-cli apply --quiet`, one file a core as the
// command does by default; false when one was not saved. The result lines
// go nowhere.
bool ApplyAll(const std::vector<std::string>& paths, const fs::path& iniFolder) {
  cli::Options options = Entries(iniFolder);
  options.files = paths;
  options.quiet = true;
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  std::ostringstream lines;
  std::streambuf* const terminal = std::cout.rdbuf(lines.rdbuf());
  const int status = cli::RunApply(options);
  std::cout.rdbuf(terminal);
  return status == 0;
}

// The cfitsio loop's work for one file: the same cards, updated in place.
bool UpdateWithCfitsio(const std::string& path) {
  fitsfile* file = nullptr;
  int status = 0;
  double crval1 = coords::Crval1FromRaHours(kRaHours), crval2 = kDecDegrees;
  double crpix1 = kSmallWidth / 2, crpix2 = kSmallHeight / 2;
  double cdelt1 = kInstrument.cdelt1, cdelt2 = kInstrument.cdelt2, crota2 = kInstrument.rotation;
  double equinox = 2000.0;
  char ctype1[] = "RA---TAN", ctype2[] = "DEC--TAN", radesys[] = "FK5", telescop[] = "Refraktor 80/480";
  fits_open_file(&file, path.c_str(), READWRITE, &status);
  fits_update_key(file, TSTRING, "CTYPE1", ctype1, "", &status);
  fits_update_key(file, TSTRING, "CTYPE2", ctype2, "", &status);
  fits_update_key(file, TDOUBLE, "CRVAL1", &crval1, "", &status);
  fits_update_key(file, TDOUBLE, "CRVAL2", &crval2, "", &status);
  fits_update_key(file, TDOUBLE, "CRPIX1", &crpix1, "", &status);
  fits_update_key(file, TDOUBLE, "CRPIX2", &crpix2, "", &status);
  fits_update_key(file, TDOUBLE, "CDELT1", &cdelt1, "", &status);
  fits_update_key(file, TDOUBLE, "CDELT2", &cdelt2, "", &status);
  fits_update_key(file, TDOUBLE, "CROTA2", &crota2, "", &status);
  fits_update_key(file, TDOUBLE, "EQUINOX", &equinox, "", &status);
  fits_update_key(file, TSTRING, "RADESYS", radesys, "", &status);
  fits_update_key(file, TSTRING, "TELESCOP", telescop, "", &status);
  fits_write_history(file, "WCS written by the benchmark", &status);
  fits_close_file(file, &status);
  return status == 0;
}

// Untimed: the capture program's header back in every file and on the disk,
// so each iteration saves the same files.
void RestoreHeaders(benchmark::State& state, const std::vector<std::string>& paths) {
  state.PauseTiming();
  const std::string header = InputHeader(kSmallWidth, kSmallHeight);
  for (const std::string& path : paths) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0 || ::pwrite(fd, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()))
      state.SkipWithError("header not restored");
    if (fd >= 0) ::close(fd);
  }
  bench::SettleDisk();
  state.ResumeTiming();
}

// Untimed: the last iteration's outputs go, the inputs are read into the
// page cache again (the machine may have dropped them while other cases ran,
// and a case and its yardstick must both find them there), and the disk settles.
void FreshOutputs(benchmark::State& state, const fs::path& folder, const std::vector<std::string>& inputs) {
  state.PauseTiming();
  std::error_code ignored;
  fs::remove_all(folder, ignored);
  fs::create_directories(folder);
  for (const std::string& input : inputs) bench::ReadIntoCache(input);
  bench::SettleDisk();
  state.ResumeTiming();
}

// What cp does on this system: a sequential-read hint and one
// copy_file_range over the whole file; then the copy is flushed.
bool CopyAndSync(const std::string& from, const std::string& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = in >= 0 && out >= 0 && ::posix_fadvise(in, 0, 0, POSIX_FADV_SEQUENTIAL) == 0;
  for (ssize_t copied = 1; ok && copied > 0;) {
    copied = ::copy_file_range(in, nullptr, out, nullptr, SSIZE_MAX & ~std::size_t{0xFFFFFFF}, 0);
    ok = copied >= 0;
  }
  ok = ok && ::fsync(out) == 0;
  if (in >= 0) ::close(in);
  if (out >= 0) ok = ::close(out) == 0 && ok;
  return ok;
}

// The first data row of a flipped output holds the input's last row.
void CheckFlipped(benchmark::State& state, const std::string& path, std::int16_t height) {
  if (bench::RowValueAt(path, fits::kRecordBytes) != height - 1) state.SkipWithError("rows not reversed");
}

void BM_HeaderOnlyInPlace1000x1MiB(benchmark::State& state) {
  const std::vector<std::string> paths = MakeImages(state, "small", kSmallFiles, kSmallWidth, kSmallHeight);
  const fs::path ini = IniFolder();
  for (auto _ : state) {
    RestoreHeaders(state, paths);
    if (!ApplyAll(paths, ini)) {
      state.SkipWithError("a file was not saved");
      break;
    }
  }
  const std::string header = bench::FirstBytes(paths.back(), fits::kRecordBytes);
  if (header.find("CTYPE1  = 'RA---TAN'") == std::string::npos) state.SkipWithError("no WCS written");
  if (bench::RowValueAt(paths.back(), fits::kRecordBytes + 2 * std::int64_t{kSmallWidth} * 7) != 7)
    state.SkipWithError("data moved");
  bench::ReportPeakMemory(state);
}

void BM_CfitsioUpdate1000x1MiB(benchmark::State& state) {
  const std::vector<std::string> paths = MakeImages(state, "small", kSmallFiles, kSmallWidth, kSmallHeight);
  for (auto _ : state) {
    RestoreHeaders(state, paths);
    for (const std::string& path : paths)
      if (!UpdateWithCfitsio(path)) {
        state.SkipWithError(("cfitsio failed: " + path).c_str());
        break;
      }
  }
  if (bench::FirstBytes(paths.back(), fits::kRecordBytes).find("CTYPE1  = 'RA---TAN'") == std::string::npos)
    state.SkipWithError("cfitsio wrote no WCS");
}

// The same loop made as durable as the save: each file flushed after closing.
void BM_CfitsioUpdateAndSync1000x1MiB(benchmark::State& state) {
  const std::vector<std::string> paths = MakeImages(state, "small", kSmallFiles, kSmallWidth, kSmallHeight);
  for (auto _ : state) {
    RestoreHeaders(state, paths);
    for (const std::string& path : paths) {
      const int fd = UpdateWithCfitsio(path) ? ::open(path.c_str(), O_RDONLY | O_CLOEXEC) : -1;
      if (fd < 0 || ::fsync(fd) != 0 || ::close(fd) != 0) {
        state.SkipWithError(("cfitsio failed: " + path).c_str());
        break;
      }
    }
  }
}

// The flips of the folder by `workers` threads taking the next file in turn,
// as `-j` does; false when a file was not saved.
bool FlipAll(const std::vector<std::string>& paths, const fs::path& out, const fs::path& ini,
             unsigned workers) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> ok{true};
  const auto work = [&] {
    for (std::size_t i = next++; i < paths.size(); i = next++)
      if (!Apply(paths[i], (out / fs::path(paths[i]).filename()).string(), ini, true)) ok = false;
  };
  std::vector<std::thread> threads;
  for (unsigned w = 1; w < workers; ++w) threads.emplace_back(work);
  work();
  for (std::thread& thread : threads) thread.join();
  return ok;
}

void FlipFolder(benchmark::State& state, unsigned workers) {
  const std::vector<std::string> paths = MakeImages(state, "medium", kMediumFiles, kMediumSide, kMediumSide);
  const fs::path ini = IniFolder();
  const fs::path out = kDir / "flipped";
  for (auto _ : state) {
    FreshOutputs(state, out, paths);
    if (!FlipAll(paths, out, ini, workers)) {
      state.SkipWithError("a file was not saved");
      break;
    }
  }
  CheckFlipped(state, (out / fs::path(paths.back()).filename()).string(), kMediumSide);
  bench::ReportPeakMemory(state);
}

// -j 1, and the command line's default -j, one file a core.
void BM_FlipToFolder50x32MiBOneAtATime(benchmark::State& state) {
  FlipFolder(state, 1);
}

void BM_FlipToFolder50x32MiBOneACore(benchmark::State& state) {
  FlipFolder(state, std::max(1u, std::thread::hardware_concurrency()));
}

void BM_CopyAndSync50x32MiB(benchmark::State& state) {
  const std::vector<std::string> paths = MakeImages(state, "medium", kMediumFiles, kMediumSide, kMediumSide);
  const fs::path out = kDir / "copied";
  for (auto _ : state) {
    FreshOutputs(state, out, paths);
    for (const std::string& path : paths)
      if (!CopyAndSync(path, (out / fs::path(path).filename()).string())) {
        state.SkipWithError(("copy failed: " + path).c_str());
        break;
      }
  }
}

void FlipLarge(benchmark::State& state, bool startWriteBack) {
  const std::string in = MakeImages(state, "large", 1, kLargeSide, kLargeSide).front();
  const fs::path out = kDir / "flipped512";
  const std::string target = (out / "out.fit").string();
  const fits::ImageLayout layout{16, kLargeSide, kLargeSide, static_cast<std::int64_t>(fits::kRecordBytes)};
  const std::string header = InputHeader(kLargeSide, kLargeSide);
  for (auto _ : state) {
    FreshOutputs(state, out, {in});
    const fits::SaveResult result =
        fits::detail::WriteFlippedImageWith(in, layout, header, target, nullptr, startWriteBack);
    if (!result.ok()) {
      state.SkipWithError(result.error.c_str());
      break;
    }
  }
  CheckFlipped(state, target, kLargeSide);
  bench::ReportPeakMemory(state);
}

void BM_Flip512MiBWithWriteBack(benchmark::State& state) {
  FlipLarge(state, true);
}

void BM_Flip512MiBWithoutWriteBack(benchmark::State& state) {
  FlipLarge(state, false);
}

void BM_CopyAndSync512MiB(benchmark::State& state) {
  const std::string in = MakeImages(state, "large", 1, kLargeSide, kLargeSide).front();
  const fs::path out = kDir / "copied512";
  for (auto _ : state) {
    FreshOutputs(state, out, {in});
    if (!CopyAndSync(in, (out / "out.fit").string())) {
      state.SkipWithError("copy failed");
      break;
    }
  }
}

// Each repetition is one timed run of the whole case, in wall-clock time.
void OneRunEach(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}

// A flush costs from a fraction of a millisecond to several here, from one
// repetition to the next, so the small files take more of them.
BENCHMARK(BM_CfitsioUpdate1000x1MiB)->Apply(OneRunEach)->Repetitions(9);
BENCHMARK(BM_CfitsioUpdateAndSync1000x1MiB)->Apply(OneRunEach)->Repetitions(9);
BENCHMARK(BM_HeaderOnlyInPlace1000x1MiB)->Apply(OneRunEach)->Repetitions(9);
BENCHMARK(BM_CopyAndSync50x32MiB)->Apply(OneRunEach)->Repetitions(7);
BENCHMARK(BM_FlipToFolder50x32MiBOneAtATime)->Apply(OneRunEach)->Repetitions(7);
BENCHMARK(BM_FlipToFolder50x32MiBOneACore)->Apply(OneRunEach)->Repetitions(7);
BENCHMARK(BM_CopyAndSync512MiB)->Apply(OneRunEach)->Repetitions(7);
BENCHMARK(BM_Flip512MiBWithoutWriteBack)->Apply(OneRunEach)->Repetitions(7);
BENCHMARK(BM_Flip512MiBWithWriteBack)->Apply(OneRunEach)->Repetitions(7);

}  // namespace

int main(int argc, char** argv) {
  // The repetitions of the cases take turns, so that load from other programs
  // falls on a case and its yardstick alike; a flag given wins.
  std::vector<char*> args(argv, argv + argc);
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  if (std::none_of(args.begin(), args.end(),
                   [](const char* arg) { return std::strstr(arg, "random_interleaving") != nullptr; }))
    args.push_back(interleave.data());
  int count = static_cast<int>(args.size());
  args.push_back(nullptr);
  benchmark::Initialize(&count, args.data());
  if (!bench::MakeScratchFolder(kDir)) return 2;
  std::error_code error;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  fs::remove_all(kDir, error);
  reporter.PrintRatio("BM_HeaderOnlyInPlace1000x1MiB", "BM_CfitsioUpdate1000x1MiB",
                      "1,000 x 1 MiB header-only in place / cfitsio update loop", 2.0);
  // cfitsio leaves its writes in the page cache; each save here is flushed.
  reporter.PrintRatio("BM_HeaderOnlyInPlace1000x1MiB", "BM_CfitsioUpdateAndSync1000x1MiB",
                      "1,000 x 1 MiB header-only in place / cfitsio update loop with fsync", 1.0);
  reporter.PrintRatio("BM_FlipToFolder50x32MiBOneACore", "BM_CopyAndSync50x32MiB",
                      "50 x 32 MiB flip to a folder, one file a core / copy+fsync", 0.9);
  reporter.PrintRatio("BM_FlipToFolder50x32MiBOneAtATime", "BM_CopyAndSync50x32MiB",
                      "50 x 32 MiB flip to a folder, one file at a time / copy+fsync", 0.9);
  reporter.PrintRatio("BM_Flip512MiBWithWriteBack", "BM_CopyAndSync512MiB",
                      "512 MiB flip with write-back / copy+fsync", 0.9);
  reporter.PrintRatio("BM_Flip512MiBWithoutWriteBack", "BM_CopyAndSync512MiB",
                      "512 MiB flip without write-back / copy+fsync", 1.3);
  benchmark::Shutdown();
  return reporter.ExitCode();
}
