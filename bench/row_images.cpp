#include "bench/row_images.h"

#include <sys/resource.h>

#include <fstream>
#include <vector>

#include "fits/fits_sizes.h"

namespace bench {

void WriteRowImage(const std::string& path, const std::string& header, std::int16_t width,
                   std::int16_t height) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << header;
  std::string row(static_cast<std::size_t>(width) * 2, '\0');
  for (std::int16_t r = 0; r < height; ++r) {
    for (std::size_t i = 0; i < row.size(); i += 2) {
      row[i] = static_cast<char>(r >> 8);
      row[i + 1] = static_cast<char>(r & 0xFF);
    }
    file.write(row.data(), static_cast<std::streamsize>(row.size()));
  }
  file << std::string(static_cast<std::size_t>(fits::FillBytes(std::int64_t{width} * height * 2)), '\0');
}

std::int16_t RowValueAt(const std::string& path, std::int64_t offset) {
  std::ifstream file(path, std::ios::binary);
  file.seekg(offset);
  unsigned char bytes[2] = {};
  file.read(reinterpret_cast<char*>(bytes), 2);
  return static_cast<std::int16_t>(bytes[0] << 8 | bytes[1]);
}

std::string FirstBytes(const std::string& path, std::size_t count) {
  std::ifstream file(path, std::ios::binary);
  std::string bytes(count, '\0');
  file.read(bytes.data(), static_cast<std::streamsize>(count));
  return bytes;
}

void ReadIntoCache(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::vector<char> buffer(std::size_t{1} << 20);
  while (file.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || file.gcount() > 0) {
  }
}

void ReportPeakMemory(benchmark::State& state) {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

}  // namespace bench
