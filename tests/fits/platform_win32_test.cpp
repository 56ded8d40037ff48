// The Windows file calls with what Windows users meet: names with umlauts
// and blanks, other spellings of one file, read-only files, files another
// program holds open, hard links, a file changed since it was read.
#include <gtest/gtest.h>
#include <windows.h>
#undef ReplaceFile  // windows.h's other name for ReplaceFileA, not fits::ReplaceFile

#include <filesystem>
#include <functional>

#include "fits/file_replace.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

namespace {

using fits::SaveCode;
using fits::platform::NativePath;
using fits_test::Slurp;
using fits_test::WriteBytes;
namespace fs = std::filesystem;

// A 16-bit image of 3 x 2 pixels, and the same flipped under a new header.
const fits::ImageLayout kLayout{16, 3, 2, 2880};
const std::string kHeader = fits_test::Header("SIMPLE  = T|COMMENT new|END");
const std::string kImage = std::string(2880, 'H') + "lowrow" + "uprow!" + std::string(2868, '\0');
const std::string kFlipped = kHeader + "uprow!" + "lowrow" + std::string(2868, '\0');

fits::WriteBody Writes(const std::string& text) {
  return [text](const fits::platform::File& file, std::string& error) {
    return fits::platform::Write(file, text, error);
  };
}

TEST(Win32Files, UmlautNamesSavedEveryWayAndKnownUnderOtherSpellings) {
  EXPECT_EQ(::GetACP(), UINT{CP_UTF8});  // the manifest makes arguments UTF-8 as well
  fits_test::TempDir dir;
  const std::string folder = dir.path.string();
  const std::string image = folder + "\\Bild Größe ä.fit";
  WriteBytes(NativePath(image), kImage);
  // c:/bilder/../Bilder/A.FIT for C:\Bilder\a.fit: slashes, a detour, other case.
  std::string other = folder + "/../" + dir.path.filename().string() + "/BILD GRößE ä.FIT";
  for (char& c : other) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(fits::IsSameFile(image, other));
  EXPECT_FALSE(fits::IsSameFile(image, folder + "\\Bild Grösse a.fit"));

  const std::string copy = folder + "\\Kopie mit Ü.fit";
  EXPECT_TRUE(fits::CopyWithNewHeader(image, kHeader, 2880, copy).ok());
  EXPECT_EQ(Slurp(NativePath(copy)), kHeader + kImage.substr(2880));
  EXPECT_TRUE(fits::IsSameFile(copy, copy));
  EXPECT_FALSE(fits::IsSameFile(copy, image));
  // In place, while the input is still being read from.
  const fits::SaveResult flipped = fits::WriteFlippedImage(image, kLayout, kHeader, other);
  EXPECT_TRUE(flipped.ok()) << flipped.error;
  EXPECT_EQ(Slurp(NativePath(image)), kFlipped);
  EXPECT_TRUE(fits::RewriteHeaderInPlace(image, fits_test::Header("SIMPLE  = T|END"), 2880).ok());
  EXPECT_EQ(Slurp(NativePath(image)).substr(2880), kFlipped.substr(2880));
  EXPECT_EQ(dir.Count(), 2);  // no temporary left
}

TEST(Win32Files, RefusedTargetsStayAsTheyWere) {
  struct Row {
    const char* what;
    std::function<HANDLE(const std::wstring&)> prepare;  // a handle to hold while saving
    SaveCode code;
    const char* says;
  };
  const Row rows[] = {
      {"read-only attribute",
       [](const std::wstring& path) {
         ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
         return INVALID_HANDLE_VALUE;
       },
       SaveCode::ReadOnly, "schreibgeschützt"},
      {"held open without sharing",
       [](const std::wstring& path) {
         return ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
       },
       SaveCode::Failed, "in einem anderen Programm geöffnet"},
      {"second name",
       [](const std::wstring& path) {
         ::CreateHardLinkW((path + L".zweiter Name").c_str(), path.c_str(), nullptr);
         return INVALID_HANDLE_VALUE;
       },
       SaveCode::HardLinked, "2 Hardlinks"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    fits_test::TempDir dir;
    const std::string target = dir.path.string() + "\\Ziel ö.fit";
    WriteBytes(NativePath(target), kImage);
    const HANDLE held = row.prepare(NativePath(target).wstring());
    const auto entries = dir.Count();
    const fits::SaveResult result = fits::ReplaceFile(target, target, Writes("neu"));
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    ::SetFileAttributesW(NativePath(target).c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result.code, row.code);
    EXPECT_NE(result.error.find(row.says), std::string::npos) << result.error;
    EXPECT_EQ(Slurp(NativePath(target)), kImage);
    EXPECT_EQ(dir.Count(), entries);
  }
}

TEST(Win32Files, FileChangedSinceTheReadIsNoticed) {
  fits_test::TempDir dir;
  const std::string path = dir.path.string() + "\\Änderung.fit";
  WriteBytes(NativePath(path), kImage);
  fits::platform::FileIdentity asRead;
  std::string error;
  ASSERT_TRUE(fits::platform::IdentityOf(path, asRead, error)) << error;
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::Saved);
  // Same size, one tick of the clock later.
  fs::last_write_time(NativePath(path),
                      fs::last_write_time(NativePath(path)) + std::chrono::nanoseconds(100));
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::InputChanged);
  fits::platform::IdentityOf(path, asRead, error);
  WriteBytes(NativePath(path + ".neu"), kImage);
  ASSERT_TRUE(
      ::MoveFileExW(NativePath(path + ".neu").c_str(), NativePath(path).c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::InputChanged);
}

}  // namespace
