// Reading a header of 100 records and composing one of 221 cards, each
// against plainly moving the same bytes in the same run. The last lines
// printed are the ratios; the exit code is not 0 when one is over its limit or
// could not be computed.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "fits/fits_sizes.h"
#include "fits/header_composer.h"
#include "fits/header_reader.h"

namespace {

struct QuietWindow : fits::ReaderWindow {
  void SetFieldText(fits::CoordinateBox, const std::string&) override {}
  void CheckWcs() override {}
  bool AddInstrument(const config::Instrument&) override { return true; }
  void EnableWcsGroup() override {}
  void DisableWcsGroup() override {}
  void WriteLog(std::string_view line) override { benchmark::DoNotOptimize(line.data()); }
};

std::string Card(const std::string& text) {
  std::string card = text;
  card.resize(fits::kCardBytes, ' ');
  return card;
}

// 100 records: the basic cards, a WCS, then HISTORY cards up to END.
std::string LongHeader() {
  std::string header;
  for (const char* c :
       {"SIMPLE  =                    T", "BITPIX  =                   16", "NAXIS   =                    2",
        "NAXIS1  =                   10", "NAXIS2  =                   10", "CTYPE1  = 'RA---TAN'",
        "CRVAL1  =              83.6331", "CRPIX1  =                  5.0", "CDELT1  =           -0.0002"})
    header += Card(c);
  for (int i = 0; header.size() < 100 * fits::kRecordBytes - fits::kCardBytes; ++i)
    header += Card("HISTORY processing step " + std::to_string(i));
  header += Card("END");
  return header + std::string(fits::kRecordBytes, '\0');
}

void BM_ReadBytes100Records(benchmark::State& state) {
  const std::string file = LongHeader();
  std::vector<char> buffer(file.size());
  for (auto _ : state) {
    std::istringstream input(file);
    input.read(buffer.data(), static_cast<std::streamsize>(100 * fits::kRecordBytes));
    benchmark::DoNotOptimize(buffer.data());
  }
}

void BM_ReadHeader100Records(benchmark::State& state) {
  const std::string file = LongHeader();
  const std::vector<std::string> removeKeys = {"SWCREATE"};
  QuietWindow window;
  fits::HeaderReadResult result;
  for (auto _ : state) {
    std::istringstream input(file);
    result = fits::ReadHeader(input, removeKeys, window);
    benchmark::DoNotOptimize(result.keptCards.data());
  }
  if (result.headerCardCount != 3600 || result.code != fits::ReadCode::LongHeader)
    state.SkipWithError("wrong read");
}

std::vector<std::string> KeepLines() {
  std::vector<std::string> lines;
  for (int i = 0; i < 201; ++i) lines.push_back("HISTORY carried line " + std::to_string(i));
  return lines;
}

void BM_CopyCards221(benchmark::State& state) {
  const std::vector<std::string> lines = KeepLines();
  for (auto _ : state) {
    std::string header;
    for (int i = 0; i < 221; ++i) header += Card(lines[static_cast<std::size_t>(i) % lines.size()]);
    benchmark::DoNotOptimize(header.data());
  }
}

void BM_ComposeHeader221Cards(benchmark::State& state) {
  const std::vector<std::string> lines = KeepLines();
  fits::HeaderPlan plan;
  plan.bitpix = -32;
  plan.naxis1 = 4096;
  plan.naxis2 = 4096;
  plan.writeWcs = true;
  plan.flip = true;
  plan.hasWcs = true;
  plan.crval1 = 83.6331f;
  plan.crval2 = -5.391f;
  plan.crpix1 = 2048;
  plan.crpix2 = 2048;
  plan.cdelt1 = -0.0002f;
  plan.cdelt2 = 0.0002f;
  plan.crota1 = 0.5f;
  plan.crota2 = 0.5f;
  plan.instrument = config::Instrument{"Refraktor 80/480 + ASI294MC", -0.0002f, 0.0002f, 0.5f};
  plan.keepLines = lines;
  fits::ComposedHeader header;
  for (auto _ : state) {
    header = fits::ComposeHeader(plan);
    benchmark::DoNotOptimize(header.bytes.data());
  }
  if (header.cardCount != 221 || header.bytes.size() != 7 * fits::kRecordBytes)
    state.SkipWithError("wrong header");
}

BENCHMARK(BM_ReadBytes100Records);
BENCHMARK(BM_ReadHeader100Records);
BENCHMARK(BM_CopyCards221);
BENCHMARK(BM_ComposeHeader221Cards);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  // About three times the ratios measured when the limits were set (26 and 4),
  // so that only a real slowdown crosses them.
  reporter.PrintRatio("BM_ReadHeader100Records", "BM_ReadBytes100Records",
                      "read 100-record header / read its bytes", 100.0);
  reporter.PrintRatio("BM_ComposeHeader221Cards", "BM_CopyCards221", "compose 221 cards / copy 221 cards",
                      10.0);
  benchmark::Shutdown();
  return reporter.ExitCode();
}
