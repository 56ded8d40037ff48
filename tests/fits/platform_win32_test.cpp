// The Windows file calls with what Windows users meet: names with umlauts
// and blanks, other spellings of one file, read-only files, files another
// program holds open, hard links, a file changed since it was read.
#include <gtest/gtest.h>
#include <windows.h>
#undef ReplaceFile  // windows.h's other name for ReplaceFileA, not fits::ReplaceFile

#include <filesystem>

#include "fits/file_replace.h"
#include "fits/header_rewrite.h"
#include "fits/pixel_copy.h"
#include "fits_test_files.h"

namespace {

using fits::SaveCode;
using fits::platform::NativePath;
using fits_test::Slurp;

// A 16-bit image of 3 x 2 pixels, and the same flipped under a new header.
const fits::ImageLayout kLayout{16, 3, 2, 2880};
const std::string kHeader = fits_test::Header("SIMPLE  = T|COMMENT new|END");
const std::string kImage = std::string(2880, 'H') + "lowrow" + "uprow!" + std::string(2868, '\0');
const std::string kFlipped = kHeader + "uprow!" + "lowrow" + std::string(2868, '\0');

// The image under path, written through the Windows name of it.
std::wstring Image(const std::string& path) {
  fits_test::WriteBytes(NativePath(path), kImage);
  return NativePath(path).wstring();
}

TEST(Win32Files, UmlautNamesSavedEveryWayAndKnownUnderOtherSpellings) {
  EXPECT_EQ(::GetACP(), UINT{CP_UTF8});  // the manifest makes arguments UTF-8 as well
  fits_test::TempDir dir;
  const std::string folder = dir.path.string();
  const std::string image = folder + "\\Bild Größe ä.fit";
  Image(image);
  // c:/bilder/../Bilder/A.FIT for C:\Bilder\a.fit: slashes, a detour, other case.
  std::string other = folder + "/../" + dir.path.filename().string() + "/BILD GRößE ä.FIT";
  for (char& c : other) c = c == '\\' ? '/' : c;
  EXPECT_TRUE(fits::IsSameFile(image, other));
  EXPECT_FALSE(fits::IsSameFile(image, folder + "\\Bild Grösse a.fit"));
  // Names not yet created compare the same way: two results for out\A.fit and out\a.fit collide.
  EXPECT_EQ(fits::platform::NameKey("out/Bild Größe ä.fit"), fits::platform::NameKey("out/BILD GRößE Ä.FIT"));
  EXPECT_NE(fits::platform::NameKey("out/a.fit"), fits::platform::NameKey("out/b.fit"));

  const std::string copy = folder + "\\Kopie mit Ü.fit";
  EXPECT_TRUE(fits::CopyWithNewHeader(image, kHeader, 2880, copy).ok());
  EXPECT_EQ(Slurp(NativePath(copy)), kHeader + kImage.substr(2880));
  EXPECT_TRUE(fits::IsSameFile(copy, copy));
  EXPECT_FALSE(fits::IsSameFile(copy, image));
  // In place, while the input is still being read from.
  const fits::SaveResult flipped = fits::WriteFlippedImage(image, kLayout, kHeader, other);
  EXPECT_TRUE(flipped.ok()) << flipped.error;
  EXPECT_EQ(Slurp(NativePath(image)), kFlipped);
  fits::InPlaceHeader inPlace{image, fits_test::Header("SIMPLE  = T|END"), 2880, {}, {}};
  std::string error;
  fits::platform::IdentityOf(image, inPlace.asRead, error);
  EXPECT_TRUE(fits::RewriteHeaderInPlace(inPlace).ok());  // behind a journal that is gone again
  EXPECT_EQ(Slurp(NativePath(image)).substr(2880), kFlipped.substr(2880));
  EXPECT_EQ(dir.Count(), 2);  // no temporary left
  bool busy = false;          // a log another window holds is never emptied
  const std::string logName = folder + "\\logfile ä.txt";
  const fits::platform::File log = fits::platform::OpenLockedAndEmptied(logName, busy, error);
  EXPECT_TRUE(fits::platform::Write(log, "A", error) && !busy &&
              !fits::platform::OpenLockedAndEmptied(logName, busy, error).IsOpen() && busy &&
              Slurp(NativePath(logName)) == "A");
}

TEST(Win32Files, RefusedTargetsStayAsTheyWere) {
  // A read-only attribute, a handle held without sharing, a second name.
  const SaveCode codes[] = {SaveCode::ReadOnly, SaveCode::Failed, SaveCode::HardLinked};
  const char* const says[] = {"schreibgeschützt", "in einem anderen Programm geöffnet", "2 Hardlinks"};
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(says[k]);
    fits_test::TempDir dir;
    const std::string target = dir.path.string() + "\\Ziel ö.fit";
    const std::wstring path = Image(target);
    HANDLE held = INVALID_HANDLE_VALUE;
    if (k == 0) ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    if (k == 1) held = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (k == 2) ::CreateHardLinkW((path + L".zweiter Name").c_str(), path.c_str(), nullptr);
    const auto entries = dir.Count();
    const auto result = fits::ReplaceFile(
        target, target, [](auto& file, auto& error) { return fits::platform::Write(file, "neu", error); });
    if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(result.code, codes[k]);
    EXPECT_NE(result.error.find(says[k]), std::string::npos) << result.error;
    EXPECT_EQ(Slurp(NativePath(target)), kImage);
    EXPECT_EQ(dir.Count(), entries);
  }
}

TEST(Win32Files, FileChangedSinceTheReadIsNoticed) {
  fits_test::TempDir dir;
  const std::string path = dir.path.string() + "\\Änderung.fit";
  const std::wstring native = Image(path);
  fits::platform::FileIdentity asRead;
  std::string error;
  ASSERT_TRUE(fits::platform::IdentityOf(path, asRead, error)) << error;
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::Saved);
  // Same size, one tick of the clock later.
  std::filesystem::last_write_time(native,
                                   std::filesystem::last_write_time(native) + std::chrono::nanoseconds(100));
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::InputChanged);
  fits::platform::IdentityOf(path, asRead, error);
  ASSERT_TRUE(::MoveFileExW(Image(path + ".neu").c_str(), native.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(fits::InputUnchanged(path, asRead).code, SaveCode::InputChanged);
}

}  // namespace
