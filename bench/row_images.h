// Benchmark images of BITPIX 16 whose row r holds the value r in every
// pixel, so that a flip shows in any row, and the small reads that check
// what a benchmark wrote.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

namespace bench {

// The header (whole records), the rows, then the zero fill of the last record.
void WriteRowImage(const std::string& path, const std::string& header, std::int16_t width,
                   std::int16_t height);

std::int16_t RowValueAt(const std::string& path, std::int64_t offset);
std::string FirstBytes(const std::string& path, std::size_t count);

// Reads the whole file once, so that a case and its yardstick both find it
// in the page cache.
void ReadIntoCache(const std::string& path);

// The process's peak resident memory, as the case's peak_MiB counter.
void ReportPeakMemory(benchmark::State& state);

}  // namespace bench
