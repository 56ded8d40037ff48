#include "pipeline/file_kind.h"

#include "tests/fits/fits_test_files.h"

namespace {

using namespace fits_test;

TEST(WhyNotAnImage, SaysWhatTheFileIs) {
  TempDir dir;
  std::filesystem::create_directory(dir / "folder.fit");
  const std::string empty = Header("SIMPLE  = T|BITPIX  = 8|NAXIS   = 0|EXTEND  = T|END");
  const std::pair<std::string, const char*> files[] = {
      {"", "keine FITS-Datei"},
      {std::string("\x1f\x8b\x08\0", 4), "gzip-, bzip2- oder xz-komprimiert"},
      {empty + Header("XTENSION= 'IMAGE   '|BITPIX  = 16|NAXIS   = 2|END"), "Bild in einer Erweiterung"},
      {empty + Header("XTENSION= 'BINTABLE'|ZIMAGE  = T|END"), "Bild mit fpack tile-komprimiert"},
      {MakeFits(2, 2), ""}};
  for (const auto& [bytes, why] : files) {
    WriteBytes(dir / "f.fit", bytes);
    EXPECT_TRUE(pipeline::WhyNotAnImage(dir / "f.fit").starts_with(why)) << why;
  }
  EXPECT_EQ(pipeline::WhyNotAnImage(dir / "folder.fit") + pipeline::WhyNotAnImage(dir / "none.fit"),
            "ist ein OrdnerDatei nicht gefunden");
}

}  // namespace
