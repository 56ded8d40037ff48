// Writing files: the full rewrite with flipped rows and the header-only
// rewrite; a target is replaced whole or left as it was (a save cut short
// at any moment is the crash simulation's); files changed since the read,
// links, protections, stale temporaries and a folder that cannot be flushed.
#include <sys/stat.h>

#include <chrono>
#include <functional>

#include "fits/file_replace.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

using fits::ImageLayout;
using fits::SaveCode;
using namespace fits_test;
namespace fs = std::filesystem;

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

static const std::string kHeader = Header("SIMPLE  = T|END");

TEST(WriteFlippedImage, RowsReversedBytesKeptForEveryBitpix) {
  TempDir dir;
  const ImageLayout layouts[] = {{8, 7, 5, 2880},     {16, 3, 2, 2880},      {32, 5, 3, 5760},
                                 {-32, 1, 9, 2880},   {64, 3, 3, 2880},      {-64, 2, 1, 8640},
                                 {16, 1440, 1, 2880}, {16, 4099, 1100, 2880}};
  for (const ImageLayout& layout : layouts) {
    const std::string input = Input(layout);
    WriteBytes(dir / "in.fit", input);
    EXPECT_TRUE(fits::WriteFlippedImage(dir / "in.fit", layout, kHeader, dir / "out.fit").ok() &&
                Slurp(dir / "out.fit") == Flipped(input, layout, kHeader))
        << layout.bitpix << " " << layout.naxis1;
  }
}

// Permissions and owner kept: ReplaceFile.SymbolicLinkStaysAndRealFileKeepsOwner.
TEST(WriteFlippedImage, ReplacesWholeOrLeavesTargetUntouched) {
  TempDir dir;
  const ImageLayout layout{-32, 2, 2, 2 * 2880};  // NaN patterns and -inf pass unchanged
  std::string input = Input(layout);
  input.replace(5760, 16, "\x7F\xC0\0\0\x7F\x80\0\x01\xFF\xFF\xFF\xFF\xFF\x80\0\0", 16);
  WriteBytes(dir / "img.fit", input);
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "img.fit").ok());
  // A header of another size would move the data (a missing file: RewriteHeadersInPlace's test).
  EXPECT_FALSE(fits::RewriteHeaderInPlace(InPlace(dir / "img.fit", std::string(5760, ' '))).ok());
  EXPECT_EQ(Slurp(dir / "img.fit"), Flipped(input, layout, kHeader));
  EXPECT_EQ(dir.Count(), 1u);          // no temporary left
  WriteBytes(dir / "img.fit", input);  // a longer file of the target's name keeps no old bytes
  WriteBytes(dir / "old.fit", std::string(100000, 'X'));
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "old.fit").ok());
  EXPECT_EQ(Slurp(dir / "old.fit"), Flipped(input, layout, kHeader));
  fs::create_directory(dir / "taken.fit");  // a directory in the target's place
  const fits::SaveResult taken = fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "taken.fit");
  EXPECT_TRUE(!taken.ok() && !taken.error.empty() && fs::is_directory(dir / "taken.fit"));
  EXPECT_FALSE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "missing/out.fit").ok());
  WriteBytes(dir / "short.fit", input.substr(0, 5770));  // a short input fails without writing
  EXPECT_TRUE(!fits::WriteFlippedImage(dir / "short.fit", layout, kHeader, dir / "short.fit").ok() &&
              Slurp(dir / "short.fit") == input.substr(0, 5770));
  EXPECT_EQ(dir.Count(), 4u);
}

TEST(MirroredCrpix2, RowJOfTheInputIsRowNaxis2PlusOneMinusJ) {
  const std::tuple<std::int16_t, std::int16_t, std::optional<std::int16_t>> rows[] = {
      {1000, 300, 701}, {1000, 701, 300}, {100, 150, -49}, {1, 1, 1}, {32767, -1, std::nullopt}};
  for (const auto& [naxis2, crpix2, mirrored] : rows)
    EXPECT_EQ(fits::MirroredCrpix2(naxis2, crpix2), mirrored) << naxis2 << " " << crpix2;
}

static const fits::WriteBody kWritesNew = [](const fits::platform::File& file, std::string& error) {
  return fits::platform::Write(file, "new", error);
};

// A 16-bit image of 3 x 2 pixels.
static const fits::ImageLayout kLayout{16, 3, 2, 2880};
static const std::string kImage = Input(kLayout);

TEST(InputUnchanged, RewrittenOrReplacedFileIsNoticed) {
  TempDir dir;
  const std::string path = dir / "img.fit";
  const std::pair<const char*, std::function<void()>> rows[] = {
      {"only read", [&] { Slurp(path); }},
      {"one nanosecond later",
       [&] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::nanoseconds(1)); }},
      {"replaced by rename, same bytes and time",
       [&] {
         WriteBytes(path + ".new", "AAAA");
         fs::last_write_time(path + ".new", fs::last_write_time(path));
         fs::rename(path + ".new", path);
       }},
      {"removed", [&] { fs::remove(path); }}};
  for (const auto& [what, change] : rows) {
    WriteBytes(path, "AAAA");
    const fits::platform::FileIdentity asRead = InPlace(path, "").asRead;
    change();
    const fits::SaveResult result = fits::InputUnchanged(path, asRead);
    const bool same = std::string_view(what) == "only read";
    EXPECT_TRUE(result.code == (same ? SaveCode::Saved : SaveCode::InputChanged) &&
                result.error.empty() == same)
        << what << ": " << result.error;
  }
}

TEST(ReplaceFile, SymbolicLinkStaysAndRealFileKeepsOwner) {
  TempDir dir;
  fs::create_directory(dir / "real");
  WriteBytes(dir / "real/img.fit", kImage);
  ::chmod((dir / "real/img.fit").c_str(), 0640);
  const bool root = ::geteuid() == 0;  // only root may give a file away
  ASSERT_EQ(root ? ::chown((dir / "real/img.fit").c_str(), 4321, 4322) : 0, 0);
  fs::create_symlink("real/img.fit", dir / "link.fit");
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "link.fit", kLayout, kHeader, dir / "link.fit").ok());
  struct stat status {};
  ::stat((dir / "real/img.fit").c_str(), &status);
  EXPECT_TRUE(fs::is_symlink(dir / "link.fit") && (status.st_mode & 07777) == 0640u &&
              Slurp(dir / "real/img.fit") == Flipped(kImage, kLayout, kHeader) &&
              Names(dir.path) == std::set<std::string>({"link.fit", "real"}) &&
              Names(dir.path / "real") == std::set<std::string>({"img.fit"}));
  EXPECT_TRUE(!root || (status.st_uid == 4321u && status.st_gid == 4322u))
      << status.st_uid << " " << status.st_gid;
}

TEST(ReplaceFile, WriteProtectedOrHardLinkedTargetIsRefusedUntouched) {
  const std::tuple<const char*, std::function<void(const TempDir&)>, SaveCode, SaveCode> rows[] = {
      {"no write bit", [](const TempDir& d) { ::chmod((d / "img.fit").c_str(), 0444); }, SaveCode::ReadOnly,
       SaveCode::ReadOnly},
      {"second name", [](const TempDir& d) { fs::create_hard_link(d / "img.fit", d / "other.fit"); },
       SaveCode::HardLinked, SaveCode::Saved}};
  for (const auto& [what, protect, replaced, headerInPlace] : rows) {
    TempDir dir;
    WriteBytes(dir / "img.fit", kImage);
    WriteBytes(dir / "in.fit", kImage);
    protect(dir);
    const std::set<std::string> before = Names(dir.path);
    // The flip's refusals are the window's save test, one status each.
    const fits::SaveResult copy = fits::CopyWithNewHeader(dir / "in.fit", kHeader, 2880, dir / "img.fit");
    EXPECT_TRUE(copy.code == replaced && !copy.error.empty() && Slurp(dir / "img.fit") == kImage &&
                Names(dir.path) == before)
        << what << ": " << copy.error;
    // The header-only rewrite writes through the file: every name sees it.
    EXPECT_EQ(fits::RewriteHeaderInPlace(InPlace(dir / "img.fit", kHeader)).code, headerInPlace) << what;
    EXPECT_EQ(Slurp(dir / "img.fit").starts_with(kHeader), headerInPlace == SaveCode::Saved) << what;
  }
}

TEST(ReplaceFile, StaleTemporariesOfTheTargetAreRemoved) {
  TempDir dir;
  const std::set<std::string> kept = {"img.fit", ".other.fit.velorin-AbC123", ".img.fit.velorin-Dir123",
                                      ".img.fit.velorin-AbC1234"};
  fs::create_directory(dir / ".img.fit.velorin-Dir123");
  for (const auto makeTemp : {&fits::platform::CreateNamedTempBeside, &fits::platform::CreateTempBeside}) {
    for (const char* name :
         {"img.fit", ".img.fit.velorin-AbC123", ".other.fit.velorin-AbC123", ".img.fit.velorin-AbC1234"})
      WriteBytes(dir / name, "old");
    EXPECT_TRUE(fits::detail::ReplaceFileVia(dir / "img.fit", "", kWritesNew, makeTemp).ok() &&
                Slurp(dir / "img.fit") == "new" && Names(dir.path) == kept);
  }
}

TEST(ReplaceFile, FolderThatCannotBeFlushedIsReported) {
  TempDir dir;
  fs::create_directory(dir / "locked");
  WriteBytes(dir / "in.fit", "in");
  const pid_t child = ::fork();
  if (child == 0) {
    // The folder may be written but not opened, as root sees none such.
    if (::geteuid() == 0 && (::chown((dir / "locked").c_str(), 65534, 65534) != 0 || ::setgid(65534) != 0 ||
                             ::setuid(65534) != 0))
      ::_exit(77);
    ::chmod((dir / "locked").c_str(), 0300);
    const fits::SaveResult result = fits::ReplaceFile(dir / "locked/out.fit", dir / "in.fit", kWritesNew);
    ::_exit(result.code == SaveCode::NotDurable && result.ok() && !result.error.empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot leave root";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::chmod((dir / "locked").c_str(), 0700);
  EXPECT_EQ(Slurp(dir / "locked/out.fit"), "new");
}
