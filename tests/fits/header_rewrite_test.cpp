#include "fits/header_rewrite.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "temp_dir.h"

namespace {

using fits_test::Slurp;
using fits_test::TempDir;
using fits_test::WriteBytes;

std::string OldFile() {
  return std::string(2 * 2880, 'O') + std::string(10000, 'D') + "TAIL";
}

TEST(RewriteHeaderInPlace, NewHeaderOverOldDataUntouched) {
  TempDir dir;
  WriteBytes(dir / "a.fit", OldFile());
  const std::string header(2 * 2880, 'N');
  ASSERT_TRUE(fits::RewriteHeaderInPlace(dir / "a.fit", header, 2 * 2880).ok());
  EXPECT_EQ(Slurp(dir / "a.fit"), header + OldFile().substr(2 * 2880));

  // A header of another size would move the data: refused, nothing written.
  const fits::SaveResult refused =
      fits::RewriteHeaderInPlace(dir / "a.fit", std::string(2880, 'X'), 2 * 2880);
  EXPECT_FALSE(refused.ok());
  EXPECT_EQ(Slurp(dir / "a.fit"), header + OldFile().substr(2 * 2880));
  EXPECT_FALSE(fits::RewriteHeaderInPlace(dir / "missing.fit", header, 2 * 2880).ok());
}

TEST(CopyWithNewHeader, CopyGetsHeaderInputStaysAsItWas) {
  TempDir dir;
  const std::string header(2 * 2880, 'N');
  // Data of several copy pieces, the last one short, each byte telling its place.
  std::string large = OldFile();
  for (std::int64_t i = 0; i < (9 << 20) + 123; ++i) large.push_back(static_cast<char>(i * 131 + i / 251));
  for (const std::string& input : {OldFile(), large}) {
    WriteBytes(dir / "in.fit", input);
    WriteBytes(dir / "out.fit", std::string(100000, 'Z'));  // an older, longer file of that name
    ASSERT_TRUE(fits::CopyWithNewHeader(dir / "in.fit", header, 2 * 2880, dir / "out.fit").ok());
    EXPECT_EQ(Slurp(dir / "out.fit"), header + input.substr(2 * 2880));
    EXPECT_EQ(Slurp(dir / "in.fit"), input);
  }
  EXPECT_FALSE(fits::CopyWithNewHeader(dir / "in.fit", header, 2 * 2880, dir / "no/dir.fit").ok());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST(IsSameFile, DecidedByIdentityNotByText) {
  TempDir dir;
  WriteBytes(dir / "a.fit", "x");
  WriteBytes(dir / "b.fit", "x");
  std::filesystem::create_symlink(dir / "a.fit", dir / "link.fit");
  std::filesystem::create_hard_link(dir / "a.fit", dir / "hard.fit");
  EXPECT_TRUE(fits::IsSameFile(dir / "a.fit", dir / "a.fit"));
  EXPECT_TRUE(fits::IsSameFile(dir / "a.fit", (dir.path() / "." / "a.fit").string()));
  EXPECT_TRUE(
      fits::IsSameFile(dir / "a.fit", (dir.path() / ".." / dir.path().filename() / "a.fit").string()));
  EXPECT_TRUE(fits::IsSameFile(dir / "a.fit", dir / "link.fit"));
  EXPECT_TRUE(fits::IsSameFile(dir / "a.fit", dir / "hard.fit"));
  EXPECT_FALSE(fits::IsSameFile(dir / "a.fit", dir / "b.fit"));
  EXPECT_FALSE(fits::IsSameFile(dir / "a.fit", dir / "new.fit"));
}

}  // namespace
