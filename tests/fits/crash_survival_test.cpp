// A full rewrite killed at any moment leaves the target exactly as it was or
// exactly the complete new file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <thread>

#include "fits/pixel_copy.h"
#include "fits_test_files.h"
#include "temp_dir.h"

namespace {

using fits_test::Slurp;
using fits_test::TempDir;
using fits_test::WriteBytes;

TEST(CrashSurvival, KilledRewriteLeavesOldOrNewFile) {
  TempDir dir;
  const fits::ImageLayout layout{16, 1000, 1000, 2880};  // 2 MB of data
  std::string input = fits_test::Header({"SIMPLE  = T", "END"});
  for (int row = 0; row < 1000; ++row) input += std::string(2000, static_cast<char>(row));
  input.resize(input.size() + static_cast<std::size_t>(fits::FillBytes(2000000)), '\0');
  const std::string header = fits_test::Header({"SIMPLE  = T", "COMMENT new", "END"});

  // The complete new file, made once without interruption.
  WriteBytes(dir / "img.fit", input);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "new.fit").ok());
  const auto took =
      std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
  const std::string expected = Slurp(dir / "new.fit");

  std::mt19937 random(20261206);
  int sawOld = 0, sawNew = 0;
  constexpr int kKillPoints = 150;
  for (int i = 0; i < kKillPoints; ++i) {
    WriteBytes(dir / "img.fit", input);
    const pid_t child = ::fork();
    if (child == 0) {
      const fits::SaveResult result =
          fits::WriteFlippedImage(dir / "img.fit", layout, header, dir / "img.fit");
      ::_exit(result.ok() ? 0 : 1);
    }
    // Kill points spread from before the first write to after the rename.
    std::this_thread::sleep_for(std::chrono::microseconds(random() % (took.count() * 5 / 4 + 1)));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::string now = Slurp(dir / "img.fit");
    ASSERT_TRUE(now == input || now == expected) << "kill point " << i << ": a mix of old and new";
    (now == input ? sawOld : sawNew)++;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().filename().string().starts_with(".img.fit.velorin-"))
        std::filesystem::remove(entry.path());
  }
  std::printf("kill points: %d, old file kept %d times, new file complete %d times\n", kKillPoints, sawOld,
              sawNew);
  EXPECT_GT(sawOld, 0);
  EXPECT_GT(sawNew, 0);
}

}  // namespace
