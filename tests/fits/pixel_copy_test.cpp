#include "fits/pixel_copy.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fits/fits_sizes.h"
#include "fits/platform_file.h"
#include "fits_test_files.h"
#include "temp_dir.h"

namespace {

using fits::ImageLayout;
using fits_test::Slurp;
using fits_test::TempDir;
using fits_test::WriteBytes;

// An input: an old header of the given records, then data whose every byte
// tells its position, then the input's own fill.
std::string Input(const ImageLayout& layout) {
  std::string file(static_cast<std::size_t>(layout.dataOffset), 'H');
  const std::int64_t data = fits::DataBytes(layout);
  for (std::int64_t i = 0; i < data; ++i) file.push_back(static_cast<char>((i * 131 + i / 7) & 0xFF));
  file.append(static_cast<std::size_t>(fits::FillBytes(data)), '\0');
  return file;
}

// The expected output: header, rows in reverse order, zero fill.
std::string Flipped(const std::string& input, const ImageLayout& layout, const std::string& header) {
  const std::size_t rowBytes = static_cast<std::size_t>(fits::BytesPerElement(layout.bitpix) * layout.naxis1);
  std::string out = header;
  for (int row = layout.naxis2 - 1; row >= 0; --row)
    out += input.substr(
        static_cast<std::size_t>(layout.dataOffset) + static_cast<std::size_t>(row) * rowBytes, rowBytes);
  out.append(static_cast<std::size_t>(fits::FillBytes(fits::DataBytes(layout))), '\0');
  return out;
}

TEST(WriteFlippedImage, RowsReversedBytesKeptForEveryBitpix) {
  TempDir dir;
  const std::string header = fits_test::Header({"SIMPLE  = T", "END"});
  struct Row {
    std::int16_t bitpix, naxis1, naxis2, headerRecords;
  };
  const Row rows[] = {{8, 7, 5, 1},   {16, 3, 2, 1},    {32, 5, 3, 2},    {-32, 1, 9, 1},     {64, 3, 3, 1},
                      {-64, 2, 1, 3}, {8, 100, 100, 1}, {16, 1440, 1, 1}, {16, 4099, 1100, 1}};
  for (const Row& row : rows) {
    const ImageLayout layout{row.bitpix, row.naxis1, row.naxis2, row.headerRecords * 2880};
    const std::string input = Input(layout);
    WriteBytes(dir / "in.fit", input);
    // Starting write-back block by block (the last image takes several blocks) changes no byte.
    for (const bool writeBack : {true, false}) {
      const fits::SaveResult result = fits::detail::WriteFlippedImageWith(
          dir / "in.fit", layout, header, dir / "out.fit", nullptr, writeBack);
      ASSERT_TRUE(result.ok()) << result.error;
      EXPECT_EQ(Slurp(dir / "out.fit"), Flipped(input, layout, header))
          << row.bitpix << " " << row.naxis1 << " " << writeBack;
    }
  }
}

TEST(WriteFlippedImage, SizesTakeSixtyFourBits) {
  EXPECT_EQ(fits::DataBytes({-64, 32767, 32767, 0}), std::int64_t{32767} * 32767 * 8);
  EXPECT_EQ(fits::FillBytes(fits::DataBytes({16, 1440, 1, 0})), 0);
}

TEST(WriteFlippedImage, NanPatternsPassUnchanged) {
  TempDir dir;
  const ImageLayout layout{-32, 2, 2, 2880};
  std::string input(2880, ' ');
  const std::uint32_t patterns[] = {0x7FC00000u, 0x7F800001u, 0xFFFFFFFFu, 0xFF800000u};  // NaNs, -inf
  for (std::uint32_t p : patterns)
    for (int shift = 24; shift >= 0; shift -= 8) input.push_back(static_cast<char>((p >> shift) & 0xFF));
  input.resize(5760, '\0');
  WriteBytes(dir / "nan.fit", input);
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "nan.fit", layout, std::string(2880, 'N'), dir / "nan.fit").ok());
  const std::string out = Slurp(dir / "nan.fit");
  EXPECT_EQ(out.substr(2880, 8), input.substr(2888, 8));
  EXPECT_EQ(out.substr(2888, 8), input.substr(2880, 8));
}

TEST(WriteFlippedImage, InPlaceReplacesWholeAndKeepsPermissions) {
  TempDir dir;
  const ImageLayout layout{16, 3, 2, 2 * 2880};  // header of two records, the new one has one
  const std::string input = Input(layout);
  WriteBytes(dir / "img.fit", input);
  ::chmod((dir / "img.fit").c_str(), 0640);
  const std::string header = fits_test::Header({"SIMPLE  = T", "END"});
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "img.fit").ok());
  EXPECT_EQ(Slurp(dir / "img.fit"), Flipped(input, layout, header));
  struct stat status {};
  ::stat((dir / "img.fit").c_str(), &status);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // no temporary left

  // An existing, longer file of the target's name keeps no old bytes.
  WriteBytes(dir / "img.fit", input);
  WriteBytes(dir / "old.fit", std::string(100000, 'X'));
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "old.fit").ok());
  EXPECT_EQ(Slurp(dir / "old.fit"), Flipped(input, layout, header));
}

// Runs the save in a child whose files may not grow beyond limit bytes.
fits::SaveResult SaveWithFileSizeLimit(const std::string& input, const ImageLayout& layout,
                                       const std::string& header, const std::string& target, rlim_t limit) {
  const pid_t child = ::fork();
  if (child == 0) {
    fits::platform::IgnoreFileSizeSignal();
    const rlimit small{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &small);
    ::_exit(fits::WriteFlippedImage(input, layout, header, target).ok() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  fits::SaveResult result;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) result.code = fits::SaveCode::Saved;
  return result;
}

TEST(WriteFlippedImage, FailedWriteLeavesTargetUntouched) {
  TempDir dir;
  const ImageLayout layout{16, 300, 200, 2880};
  const std::string input = Input(layout);
  WriteBytes(dir / "img.fit", input);
  const std::string header = fits_test::Header({"SIMPLE  = T", "END"});
  for (const rlim_t limit : {rlim_t{0}, rlim_t{1000}, rlim_t{2880}, rlim_t{50000}, rlim_t{120000}}) {
    EXPECT_FALSE(SaveWithFileSizeLimit(dir / "img.fit", layout, header, dir / "img.fit", limit).ok())
        << limit;
    EXPECT_EQ(Slurp(dir / "img.fit"), input) << limit;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << limit;
  }
  EXPECT_TRUE(SaveWithFileSizeLimit(dir / "img.fit", layout, header, dir / "img.fit", 1 << 20).ok());

  // A directory in the target's place, a target in a missing directory.
  std::filesystem::create_directory(dir / "taken.fit");
  fits::SaveResult result = fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "taken.fit");
  EXPECT_FALSE(result.ok());
  EXPECT_FALSE(result.error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.fit"));
  result = fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "missing/out.fit");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(WriteFlippedImage, ShortInputFailsWithoutWriting) {
  TempDir dir;
  const ImageLayout layout{16, 300, 200, 2880};
  const std::string input = Input(layout).substr(0, 60000);
  WriteBytes(dir / "img.fit", input);
  EXPECT_FALSE(
      fits::WriteFlippedImage(dir / "img.fit", layout, std::string(2880, ' '), dir / "img.fit").ok());
  EXPECT_EQ(Slurp(dir / "img.fit"), input);
}

}  // namespace
