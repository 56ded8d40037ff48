// Saves that meet a file changed by another program, links, protections, a
// kill at any moment, or a folder that cannot be flushed.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <random>
#include <set>
#include <thread>

#include "fits/file_replace.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

namespace {

using fits::SaveCode;
using fits_test::Slurp;
using fits_test::TempDir;
using fits_test::WriteBytes;
namespace fs = std::filesystem;

std::set<std::string> Names(const fs::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
  return names;
}

fits::WriteBody Writes(const std::string& text) {
  return [text](const fits::platform::File& file, std::string& error) {
    return fits::platform::Write(file, text, error);
  };
}

// A 16-bit image of 3 x 2 pixels, and the same flipped under a new header.
const fits::ImageLayout kLayout{16, 3, 2, 2880};
const std::string kHeader = fits_test::Header("SIMPLE  = T|COMMENT new|END");
const std::string kImage = std::string(2880, 'H') + "lowrow" + "uprow!" + std::string(2868, '\0');
const std::string kFlipped = kHeader + "uprow!" + "lowrow" + std::string(2868, '\0');

TEST(InputUnchanged, RewrittenOrReplacedFileIsNoticed) {
  TempDir dir;
  const std::string path = dir / "img.fit";
  struct Row {
    const char* what;
    std::function<void()> change;
    SaveCode code;
  };
  const Row rows[] = {
      {"only read", [&] { Slurp(path); }, SaveCode::Saved},
      {"grown in place", [&] { std::ofstream(path, std::ios::app) << "more"; }, SaveCode::InputChanged},
      {"same size, one nanosecond later",
       [&] { fs::last_write_time(path, fs::last_write_time(path) + std::chrono::nanoseconds(1)); },
       SaveCode::InputChanged},
      {"replaced by rename, same bytes and time",
       [&] {
         WriteBytes(path + ".new", "AAAA");
         fs::last_write_time(path + ".new", fs::last_write_time(path));
         fs::rename(path + ".new", path);
       },
       SaveCode::InputChanged},
      {"removed", [&] { fs::remove(path); }, SaveCode::InputChanged},
  };
  for (const Row& row : rows) {
    WriteBytes(path, "AAAA");
    fits::platform::FileIdentity asRead;
    std::string error;
    ASSERT_TRUE(fits::platform::IdentityOf(path, asRead, error)) << error;
    row.change();
    const fits::SaveResult result = fits::InputUnchanged(path, asRead);
    EXPECT_EQ(result.code, row.code) << row.what;
    EXPECT_EQ(result.error.empty(), row.code == SaveCode::Saved) << row.what << ": " << result.error;
  }
}

TEST(ReplaceFile, SymbolicLinkStaysAndRealFileKeepsOwner) {
  TempDir dir;
  fs::create_directory(dir / "real");
  WriteBytes(dir / "real/img.fit", kImage);
  ::chmod((dir / "real/img.fit").c_str(), 0640);
  const bool root = ::geteuid() == 0;  // only root may give a file away
  if (root) {
    ASSERT_EQ(::chown((dir / "real/img.fit").c_str(), 4321, 4322), 0);
  }
  fs::create_symlink("real/img.fit", dir / "link.fit");
  const fits::SaveResult result =
      fits::WriteFlippedImage(dir / "link.fit", kLayout, kHeader, dir / "link.fit");
  ASSERT_TRUE(result.ok()) << result.error;
  EXPECT_TRUE(fs::is_symlink(dir / "link.fit"));
  EXPECT_EQ(Slurp(dir / "real/img.fit"), kFlipped);
  EXPECT_EQ(Names(dir.path), (std::set<std::string>{"link.fit", "real"}));
  EXPECT_EQ(Names(dir.path / "real"), std::set<std::string>{"img.fit"});
  struct stat status {};
  ::stat((dir / "real/img.fit").c_str(), &status);
  EXPECT_EQ(status.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(std::pair(status.st_uid, status.st_gid), std::pair(4321u, 4322u));
  }
}

TEST(ReplaceFile, WriteProtectedOrHardLinkedTargetIsRefusedUntouched) {
  struct Row {
    const char* what;
    std::function<void(const TempDir&)> protect;
    SaveCode replaced, headerInPlace;
  };
  const Row rows[] = {
      {"no write bit", [](const TempDir& d) { ::chmod((d / "img.fit").c_str(), 0444); }, SaveCode::ReadOnly,
       SaveCode::ReadOnly},
      {"second name", [](const TempDir& d) { fs::create_hard_link(d / "img.fit", d / "other.fit"); },
       SaveCode::HardLinked, SaveCode::Saved},
  };
  for (const Row& row : rows) {
    TempDir dir;
    WriteBytes(dir / "img.fit", kImage);
    WriteBytes(dir / "in.fit", kImage);
    row.protect(dir);
    const std::set<std::string> before = Names(dir.path);
    const fits::SaveResult flip = fits::WriteFlippedImage(dir / "img.fit", kLayout, kHeader, dir / "img.fit");
    const fits::SaveResult copy = fits::CopyWithNewHeader(dir / "in.fit", kHeader, 2880, dir / "img.fit");
    EXPECT_EQ(flip.code, row.replaced) << row.what;
    EXPECT_EQ(copy.code, row.replaced) << row.what;
    EXPECT_FALSE(flip.error.empty()) << row.what;
    EXPECT_EQ(Slurp(dir / "img.fit"), kImage) << row.what;
    EXPECT_EQ(Names(dir.path), before) << row.what;
    // The header-only rewrite writes through the file: every name sees it.
    EXPECT_EQ(fits::RewriteHeaderInPlace(dir / "img.fit", kHeader, 2880).code, row.headerInPlace) << row.what;
    EXPECT_EQ(Slurp(dir / "img.fit").starts_with(kHeader), row.headerInPlace == SaveCode::Saved) << row.what;
  }
}

TEST(ReplaceFile, KilledSaveLeavesNoTemporary) {
  TempDir dir;
  const fits::ImageLayout layout{16, 1000, 1000, 2880};  // 2 MB of data
  std::string input = kHeader;
  for (int row = 0; row < 1000; ++row) input += std::string(2000, static_cast<char>(row));
  input.resize(input.size() + static_cast<std::size_t>(fits::FillBytes(2000000)), '\0');
  WriteBytes(dir / "img.fit", input);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "new.fit").ok());
  const auto took =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string complete = Slurp(dir / "new.fit");
  fs::remove(dir / "new.fit");

  std::mt19937 random(20261207);
  int namedNotRenamed = 0;
  for (int i = 0; i < 80; ++i) {
    WriteBytes(dir / "img.fit", input);
    const pid_t child = ::fork();
    if (child == 0) ::_exit(fits::WriteFlippedImage(dir / "img.fit", layout, kHeader, dir / "img.fit").ok());
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (took.count() * 5 / 4 + 1)));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    // Only a kill between naming the complete file and the rename may leave
    // it; the next save removes it.
    for (const std::string& name : Names(dir.path))
      if (name != "img.fit") {
        ASSERT_EQ(Slurp(dir / name), complete) << "kill point " << i << " left " << name;
        fs::remove(dir / name);
        ++namedNotRenamed;
      }
  }
  std::printf("80 kill points, %d left the complete file named but not renamed\n", namedNotRenamed);
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
    const fits::SaveResult result =
        fits::detail::ReplaceFileVia(dir / "img.fit", "", Writes("new"), makeTemp);
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(Slurp(dir / "img.fit"), "new");
    EXPECT_EQ(Names(dir.path), kept);
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
    const fits::SaveResult result = fits::ReplaceFile(dir / "locked/out.fit", dir / "in.fit", Writes("new"));
    std::fprintf(stderr, "%s\n", result.error.c_str());
    ::_exit(result.code == SaveCode::NotDurable && result.ok() && !result.error.empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot leave root";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ::chmod((dir / "locked").c_str(), 0700);
  EXPECT_EQ(Slurp(dir / "locked/out.fit"), "new");
}

}  // namespace
