// Writing files: the full rewrite with flipped rows and the header-only
// rewrite; a target is replaced whole or left as it was, also when the
// process is killed at any moment.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <chrono>
#include <random>
#include <thread>

#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

using fits::ImageLayout;
using fits_test::Slurp;
using fits_test::WriteBytes;

// An input: an old header of the given size, then data whose every byte
// tells its position, then the input's own fill.
static std::string Input(const ImageLayout& layout) {
  std::string file(static_cast<std::size_t>(layout.dataOffset), 'H');
  for (std::int64_t i = 0; i < fits::DataBytes(layout); ++i)
    file.push_back(static_cast<char>(i * 131 + i / 7));
  return file.append(fits::FillBytes(fits::DataBytes(layout)), '\0');
}

// The expected output: header, rows in reverse order, zero fill.
static std::string Flipped(const std::string& input, const ImageLayout& layout, const std::string& header) {
  const std::size_t rowBytes = static_cast<std::size_t>(fits::BytesPerElement(layout.bitpix) * layout.naxis1);
  std::string out = header;
  for (std::size_t row = static_cast<std::size_t>(layout.naxis2); row-- > 0;)
    out += input.substr(static_cast<std::size_t>(layout.dataOffset) + row * rowBytes, rowBytes);
  return out.append(fits::FillBytes(std::int64_t(out.size())), '\0');
}

static const std::string kHeader = fits_test::Header("SIMPLE  = T|END");

TEST(WriteFlippedImage, RowsReversedBytesKeptForEveryBitpix) {
  fits_test::TempDir dir;
  const ImageLayout layouts[] = {{8, 7, 5, 2880},     {16, 3, 2, 2880},      {32, 5, 3, 5760},
                                 {-32, 1, 9, 2880},   {64, 3, 3, 2880},      {-64, 2, 1, 8640},
                                 {16, 1440, 1, 2880}, {16, 4099, 1100, 2880}};
  for (const ImageLayout& layout : layouts) {
    const std::string input = Input(layout);
    WriteBytes(dir / "in.fit", input);
    const fits::SaveResult result = fits::WriteFlippedImage(dir / "in.fit", layout, kHeader, dir / "out.fit");
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(Slurp(dir / "out.fit"), Flipped(input, layout, kHeader))
        << layout.bitpix << " " << layout.naxis1;
  }
  EXPECT_EQ(fits::DataBytes({-64, 32767, 32767, 0}), std::int64_t{32767} * 32767 * 8);  // 64 bits
}

TEST(WriteFlippedImage, ReplacesWholeKeepsPermissionsOrLeavesTargetUntouched) {
  fits_test::TempDir dir;
  const ImageLayout layout{-32, 2, 2, 2 * 2880};  // NaN patterns and -inf pass unchanged
  std::string input = Input(layout);
  input.replace(5760, 16, "\x7F\xC0\0\0\x7F\x80\0\x01\xFF\xFF\xFF\xFF\xFF\x80\0\0", 16);
  WriteBytes(dir / "img.fit", input);
  ::chmod((dir / "img.fit").c_str(), 0640);
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "img.fit").ok());
  EXPECT_EQ(Slurp(dir / "img.fit"), Flipped(input, layout, kHeader));
  struct stat status {};
  ::stat((dir / "img.fit").c_str(), &status);
  EXPECT_EQ(status.st_mode & 0777, 0640u);
  EXPECT_EQ(dir.Count(), 1u);          // no temporary left
  WriteBytes(dir / "img.fit", input);  // a longer file of the target's name keeps no old bytes
  WriteBytes(dir / "old.fit", std::string(100000, 'X'));
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "old.fit").ok());
  EXPECT_EQ(Slurp(dir / "old.fit"), Flipped(input, layout, kHeader));
  std::filesystem::create_directory(dir / "taken.fit");  // a directory in the target's place
  const fits::SaveResult result =
      fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "taken.fit");
  EXPECT_FALSE(result.ok() || result.error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir / "taken.fit"));
  EXPECT_FALSE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "missing/out.fit").ok());
  WriteBytes(dir / "short.fit", input.substr(0, 5770));  // a short input fails without writing
  EXPECT_FALSE(fits::WriteFlippedImage(dir / "short.fit", layout, kHeader, dir / "short.fit").ok());
  EXPECT_EQ(Slurp(dir / "short.fit"), input.substr(0, 5770));
  EXPECT_EQ(dir.Count(), 4u);
}

TEST(WriteFlippedImage, KilledRewriteLeavesOldOrNewFile) {
  fits_test::TempDir dir;
  const ImageLayout layout{16, 1000, 1000, 2880};  // 2 MB of data
  const std::string input = Input(layout);
  const std::string header = fits_test::Header("SIMPLE  = T|COMMENT new|END");
  WriteBytes(dir / "img.fit", input);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "new.fit").ok());
  const auto took =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string expected = Slurp(dir / "new.fit");
  std::mt19937 random(20261206);
  int sawOld = 0, sawNew = 0;
  for (int i = 0; i < 150; ++i) {
    WriteBytes(dir / "img.fit", input);
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "img.fit").ok() ? 0 : 1);
    // Kill points spread from before the first write to after the rename.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (took.count() * 5 / 4 + 1)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = Slurp(dir / "img.fit");
    ASSERT_TRUE(now == input || now == expected) << "kill point " << i << ": a mix of old and new";
    (now == input ? sawOld : sawNew)++;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
      if (entry.path().filename().string().starts_with(".img.fit.velorin-"))
        std::filesystem::remove(entry.path());
  }
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

TEST(RewriteHeaderInPlace, RefusesAHeaderOfAnotherSize) {
  fits_test::TempDir dir;
  const std::string old = std::string(2 * 2880, 'O') + std::string(10000, 'D');
  WriteBytes(dir / "a.fit", old);
  EXPECT_FALSE(fits::RewriteHeaderInPlace(dir / "a.fit", std::string(2880, 'X'), 2 * 2880).ok());
  EXPECT_EQ(Slurp(dir / "a.fit"), old);  // a header of another size would move the data
  EXPECT_FALSE(fits::RewriteHeaderInPlace(dir / "missing.fit", old.substr(0, 5760), 2 * 2880).ok());
  EXPECT_FALSE(
      fits::CopyWithNewHeader(dir / "a.fit", old.substr(0, 5760), 2 * 2880, dir / "no/dir.fit").ok());
}
