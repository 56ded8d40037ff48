// Saved files whose input carried CHECKSUM/DATASUM or extensions, judged by
// astropy (checksum verification) and fitsverify.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QRadioButton>
#include <fstream>

#include "fits_test_files.h"
#include "fits_tools.h"
#include "window_fixture.h"

namespace {

using app_test::AstropyProblems;
using app_test::FitsverifyProblems;
using app_test::Slurp;

class Integrity : public app_test::SaveTest {
 protected:
  void MakeFits(const std::string& kind, const std::string& name) {
    int status = 0;
    const std::string output = app_test::Run(
        std::string(VELORIN_PYTHON) + " " + VELORIN_MAKE_FITS + " " + kind + " '" + Path(name) + "'", status);
    ASSERT_EQ(status, 0) << output;
  }
  // Reads, enters a WCS, saves with the option, judges the result.
  void SaveAndJudge(const std::string& name, bool flip) {
    ReadAndEnterWcs(name);
    (flip ? form->ob_flipNS : form->ob_NurHeader)->setChecked(true);
    Save();
    EXPECT_EQ(Status(), "FERTIG");
    EXPECT_EQ(FitsverifyProblems(Path(name)), "");
    const int crpix2 = flip ? 2 : 2;  // NAXIS2 4 mirrors 2 onto 2
    EXPECT_EQ(AstropyProblems(R"({"path": ")" + Path(name) + R"(", "crpix": [3, )" + std::to_string(crpix2) +
                              R"(], "crval": [92.225, 24.33], "checksum": true})"),
              "");
  }
  std::string Card(const std::string& file, const char* keyword) {
    const std::size_t at = file.substr(0, 2880).find(keyword);
    return at == std::string::npos ? "" : file.substr(at, 80);
  }
  std::string Log() { return Slurp(Path("logfile.txt")); }
};

TEST_F(Integrity, ChecksumAndDatasumStayTrue) {
  for (const bool flip : {false, true}) {
    MakeFits("checksum", "cs.fit");
    const std::string input = Slurp(Path("cs.fit"));
    SaveAndJudge("cs.fit", flip);
    const std::string saved = Slurp(Path("cs.fit"));
    EXPECT_NE(Card(saved, "CHECKSUM= '"), "") << flip;
    EXPECT_NE(Card(saved, "CHECKSUM=").find("/ HDU checksum updated"), std::string::npos);  // comment kept
    EXPECT_NE(Log().find("Warnung: CHECKSUM"), std::string::npos);
    if (!flip) {
      EXPECT_EQ(Card(saved, "DATASUM ="), Card(input, "DATASUM ="));  // the data did not change
      EXPECT_EQ(Log().find("Warnung: DATASUM"), std::string::npos);
    } else {
      EXPECT_NE(Log().find("Warnung: DATASUM"), std::string::npos);
    }
  }
}

TEST_F(Integrity, ChecksumAloneGetsItsDatasum) {
  for (const bool flip : {false, true}) {
    MakeFits("checksum_only", "cs1.fit");
    SaveAndJudge("cs1.fit", flip);
    const std::string saved = Slurp(Path("cs1.fit"));
    const std::size_t checksum = saved.find("CHECKSUM= '");
    ASSERT_NE(checksum, std::string::npos);
    EXPECT_EQ(saved.substr(checksum + 80, 11), "DATASUM = '") << "right after CHECKSUM";
    EXPECT_NE(Log().find("Warnung: DATASUM"), std::string::npos) << flip;
  }
}

TEST_F(Integrity, InputWithoutTheCardsGetsNone) {
  Write("plain.fit", fits_test::Header({"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 5",
                                        "NAXIS2  = 4", "END"}) +
                         std::string(2880, '\0'));
  SaveAndJudge("plain.fit", true);
  const std::string saved = Slurp(Path("plain.fit"));
  EXPECT_EQ(saved.find("CHECKSUM"), std::string::npos);
  EXPECT_EQ(saved.find("DATASUM"), std::string::npos);
}

TEST_F(Integrity, ExtensionsFollowTheFlippedImageUnchanged) {
  for (const bool flip : {false, true}) {
    MakeFits("extensions", "ext.fit");
    const std::string input = Slurp(Path("ext.fit"));
    SaveAndJudge("ext.fit", flip);
    const std::string saved = Slurp(Path("ext.fit"));
    // Input and output primary HDUs are one header record and one data record.
    ASSERT_EQ(saved.size(), input.size()) << flip;
    EXPECT_EQ(saved.substr(5760), input.substr(5760)) << flip;
  }
}

// rchar of this process: bytes read through system calls.
long long BytesRead() {
  std::ifstream io("/proc/self/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value)
    if (key == "rchar:") return value;
  return -1;
}

TEST_F(Integrity, HeaderOnlySaveOfALargeFileReadsNoData) {
  // 16384 x 32767 BITPIX 16: 1 GiB of data, a sparse file that takes no disk.
  Write("big.fit", fits_test::Header({"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 16384",
                                      "NAXIS2  = 32767", "END"}));
  std::filesystem::resize_file(Path("big.fit"), 2880 + std::int64_t{16384} * 32767 * 2 + 2880 * 0);
  ReadAndEnterWcs("big.fit");
  const long long before = BytesRead();
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_LT(BytesRead() - before, 1 << 20);
}

}  // namespace
