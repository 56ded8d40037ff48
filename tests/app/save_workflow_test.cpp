#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "fits_test_files.h"
#include "fits_tools.h"
#include "window_fixture.h"

namespace {

using app_test::AstropyProblems;
using app_test::FitsverifyProblems;
using app_test::Slurp;
using fits_test::Card;

// A 5 x 4 BITPIX 16 image without WCS, each data byte telling its position;
// headerRecords > 1 pads the old header with cards that velorin.ini removes.
std::string Image(int headerRecords = 1) {
  std::string header;
  for (const char* c : {"SIMPLE  =                    T", "BITPIX  =                   16",
                        "NAXIS   =                    2", "NAXIS1  =                    5",
                        "NAXIS2  =                    4", "OBJECT  = 'M 35'", "SWCREATE= 'Capture'"})
    header += Card(c);
  while (header.size() < static_cast<std::size_t>(headerRecords - 1) * 2880 + 80)
    header += Card("SWCREATE= 'old'");
  header += Card("END");
  header.resize(static_cast<std::size_t>(headerRecords) * 2880, ' ');
  std::string data;
  for (int i = 0; i < 40; ++i) data.push_back(static_cast<char>(i + 1));
  return header + data + std::string(2880 - 40, '\0');
}

class SaveWorkflow : public app_test::SaveTest {
 protected:
  // RA 6h 8m 54s = 92.225 degrees.
  std::string Expect(const std::string& path, int crpix2, const std::string& extra = "") {
    return R"({"path": ")" + path + R"(", "crpix": [3, )" + std::to_string(crpix2) +
           R"(], "crval": [92.225, 24.33])" + extra + "}";
  }
};

TEST_F(SaveWorkflow, HeaderOnlyInPlaceKeepsEveryDataByte) {
  Write("m35.fit", Image());
  ReadAndEnterWcs("m35.fit");
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  ExpectUnlocked();
  const std::string saved = Slurp(Path("m35.fit"));
  ASSERT_EQ(saved.size(), Image().size());
  EXPECT_EQ(saved.substr(2880), Image().substr(2880));
  EXPECT_EQ(saved.substr(6 * 80, 80), Card("TELESCOP= 'C14 Hyperstar'"));
  EXPECT_EQ(FitsverifyProblems(Path("m35.fit")), "");
  EXPECT_EQ(AstropyProblems(Expect(Path("m35.fit"), 2, R"(, "cdelt": [-0.000355, 0.000355])")), "");

  const std::string log = Slurp(Path("logfile.txt"));
  const std::string opening = "**** FITS-fileheader von Output-Datei: " + Path("m35.fit") + " ****\r\n";
  ASSERT_NE(log.find(opening), std::string::npos);
  EXPECT_NE(log.find(opening + "SIMPLE  =                    T /written by Velorin\r\n"), std::string::npos);
  EXPECT_NE(log.find("CROTA2  =  12.500000000 /\r\nOBSERVER= 'Velorin'\r\n"), std::string::npos);
  EXPECT_TRUE(log.ends_with("END      \r\n**** Ende des FITS-fileheaders der Output-Datei ****\r\n"));
}

TEST_F(SaveWorkflow, SaveUnderNewNameCopiesSameFileIsRewrittenInPlace) {
  Write("m35.fit", Image());
  std::filesystem::create_symlink(Path("m35.fit"), Path("link.fit"));
  ReadAndEnterWcs("m35.fit");
  form->Chk_speichernunter->setChecked(true);
  form->CommonDialog1.answer = [this](const CommonDialog& dialog) {
    EXPECT_EQ(dialog.DialogTitle, "fits-File zum speichern auswählen");
    EXPECT_EQ(dialog.FileName, Path("m35.fit"));
    return std::optional<std::string>(Path("m35_wcs.fit"));
  };
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_EQ(Slurp(Path("m35.fit")), Image());
  EXPECT_EQ(Slurp(Path("m35_wcs.fit")).substr(2880), Image().substr(2880));
  EXPECT_EQ(AstropyProblems(Expect(Path("m35_wcs.fit"), 2)), "");

  // The same file under another name form: its header is rewritten in place.
  ReadAndEnterWcs("m35.fit");
  AnswerDialog((dir / "." / "link.fit").string());
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.fit")));  // not replaced by a copy
  EXPECT_EQ(AstropyProblems(Expect(Path("m35.fit"), 2)), "");
}

TEST_F(SaveWorkflow, CancelledSaveDialogChangesNothing) {
  Write("m35.fit", Image());
  ReadAndEnterWcs("m35.fit");
  form->Chk_speichernunter->setChecked(true);
  for (QRadioButton* option : {form->ob_NurHeader, form->ob_flipNS}) {
    option->setChecked(true);
    AnswerDialog("");
    Save();
    EXPECT_EQ(Slurp(Path("m35.fit")), Image());
    EXPECT_TRUE(form->cmd_start->isEnabled());
    EXPECT_TRUE(form->cmd_fitsauswahl->isEnabled());
    EXPECT_FALSE(form->ob_flipNS->isHidden());
    EXPECT_FALSE(form->tb_x->isHidden());
  }
}

TEST_F(SaveWorkflow, FlipRewritesRowsInReverseOrder) {
  Write("m35.fit", Image());
  ReadAndEnterWcs("m35.fit");
  QTest::mouseClick(form->ob_flipNS, Qt::LeftButton, {}, QPoint(5, 6));
  ASSERT_EQ(form->tb_y->text(), " 2");  // 4 - 2
  Type(form->tb_y, "-50");              // beyond the image after the flip
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  ExpectUnlocked();
  EXPECT_TRUE(form->Image1->isHidden());
  EXPECT_FALSE(form->tb_x->isHidden());
  EXPECT_EQ(form->shared.Cdelt2, -0.000355f);
  const std::string saved = Slurp(Path("m35.fit"));
  ASSERT_EQ(saved.size(), 5760u);
  const std::string data = Image().substr(2880, 40);
  for (int row = 0; row < 4; ++row)
    EXPECT_EQ(saved.substr(2880 + row * 10, 10), data.substr((3 - row) * 10, 10));
  EXPECT_EQ(saved.substr(2920), std::string(2840, '\0'));
  EXPECT_EQ(saved.substr(15 * 80, 80), Card("CRPIX2  = -50 /"));  // a blank after "=", so FITS reads it
  EXPECT_EQ(FitsverifyProblems(Path("m35.fit")), "");
  EXPECT_EQ(AstropyProblems(Expect(Path("m35.fit"), -50, R"(, "cdelt": [-0.000355, -0.000355])")), "");
}

TEST_F(SaveWorkflow, LongerOldHeaderKeepsTheDataOffset) {
  Write("long.fit", Image(3));
  ReadAndEnterWcs("long.fit");
  ASSERT_EQ(form->shared.HeaderCardCount, 108);
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  const std::string saved = Slurp(Path("long.fit"));
  ASSERT_EQ(saved.size(), Image(3).size());
  EXPECT_EQ(saved.substr(3 * 2880), Image(3).substr(3 * 2880));
  EXPECT_EQ(FitsverifyProblems(Path("long.fit")), "");
  EXPECT_EQ(AstropyProblems(Expect(Path("long.fit"), 2)), "");
}

TEST_F(SaveWorkflow, HeaderThatDoesNotFitIsCutWithWarning) {
  std::string header;
  for (const char* c :
       {"SIMPLE  =                    T", "BITPIX  =                    8", "NAXIS   =                    2",
        "NAXIS1  =                    4", "NAXIS2  =                    2"})
    header += Card(c);
  for (int i = 0; i < 30; ++i) header += Card("HISTORY step " + std::to_string(i));
  header += Card("END");
  Write("full.fit", header + std::string(8, 'd') + std::string(2872, '\0'));
  ReadAndEnterWcs("full.fit");
  Save();
  EXPECT_EQ(Status(), "Warnung: FITS-Header war zu lang, gekürzt");
  EXPECT_EQ(Slurp(Path("full.fit")).size(), 5760u);
  EXPECT_EQ(FitsverifyProblems(Path("full.fit")), "");
  EXPECT_NE(
      Slurp(Path("logfile.txt")).find("Fatal: neuer FITS-Header zu lang, musste abgeschnitten werden \r\n"),
      std::string::npos);
}

TEST_F(SaveWorkflow, RefusedWithoutASelectedInstrument) {
  Write("m35.fit", Image());
  ReadAndEnterWcs("m35.fit");
  form->Cb_instrume->setEditText("meine Kamera");
  Save();
  EXPECT_EQ(Status(), "Error: kein Instrument ausgewählt, nichts gespeichert");
  EXPECT_EQ(Slurp(Path("m35.fit")), Image());
  EXPECT_TRUE(form->cmd_start->isEnabled());  // pick an instrument and save again
}

}  // namespace

namespace {

// A plate-solved image: CD matrix (1.2 arc-seconds, 35 degrees), SIP terms.
std::string PlateSolved() {
  std::string header;
  for (const char* c : {"SIMPLE  =                    T",
                        "BITPIX  =                  -32",
                        "NAXIS   =                    2",
                        "NAXIS1  =                    6",
                        "NAXIS2  =                    4",
                        "CTYPE1  = 'RA---TAN-SIP'",
                        "CTYPE2  = 'DEC--TAN-SIP'",
                        "CRVAL1  =        83.8221000000",
                        "CRVAL2  =        -5.3911000000",
                        "CRPIX1  =                    3",
                        "CRPIX2  =                    2",
                        "CD1_1   = -2.7307193708478E-04",
                        "CD1_2   = -1.9120804880305E-04",
                        "CD2_1   = -1.9120804880305E-04",
                        "CD2_2   =  2.7307193708478E-04",
                        "A_ORDER =                    2",
                        "A_0_2   =          1.23456E-06",
                        "B_ORDER =                    2",
                        "B_2_0   =         -2.34567E-06",
                        "CUNIT1  = 'deg     '",
                        "CUNIT2  = 'deg     '",
                        "EQUINOX =               2000.0",
                        "CTYPE1A = 'RA---TAN'",
                        "TELESCOP= 'Newton 8'",
                        "END"})
    header += Card(c);
  header.resize(2880, ' ');
  return header + std::string(96, '\x3f') + std::string(2880 - 96, '\0');
}

TEST_F(SaveWorkflow, TelescopeWithQuotesStaysOneFitsString) {
  std::string image = PlateSolved();
  image.replace(image.find("TELESCOP= 'Newton 8'"), 80, Card("TELESCOP= 'O''Neil 12'          / owner"));
  Write("oneil.fit", image);
  ReadFile(Path("oneil.fit"));
  EXPECT_EQ(form->Cb_instrume->currentText(), "O'Neil 12");
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_EQ(Slurp(Path("oneil.fit")).substr(6 * 80, 80), Card("TELESCOP= 'O''Neil 12'"));
  EXPECT_EQ(FitsverifyProblems(Path("oneil.fit")), "");
  EXPECT_EQ(AstropyProblems(R"({"path": ")" + Path("oneil.fit") +
                            R"(", "crpix": [3, 2], "crval": [83.8221, -5.3911], "telescop": "O'Neil 12"})"),
            "");
}

TEST_F(SaveWorkflow, MatrixWcsIsCarriedAsScaleAndRotation) {
  Write("solved.fit", PlateSolved());
  Write("original.fit", PlateSolved());
  ReadFile(Path("solved.fit"));
  ASSERT_TRUE(form->cmd_start->isEnabled());
  EXPECT_TRUE(form->chk_wcs->isChecked());
  EXPECT_EQ(form->Cb_instrume->currentText(), "Newton 8");
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  const std::string saved = Slurp(Path("solved.fit"));
  for (const char* dropped : {"CD1_1", "A_ORDER", "A_0_2", "B_2_0", "CUNIT1", "TAN-SIP"})
    EXPECT_EQ(saved.substr(0, 2880).find(dropped), std::string::npos) << dropped;
  EXPECT_NE(saved.find("CTYPE1A = 'RA---TAN'"), std::string::npos);
  EXPECT_EQ(FitsverifyProblems(Path("solved.fit")), "");
  const std::string like = R"(, "like": ")" + Path("original.fit") + R"(")";
  EXPECT_EQ(AstropyProblems(R"({"path": ")" + Path("solved.fit") +
                            R"(", "crpix": [3, 2], "crval": [83.8221, -5.3911])" + like + "}"),
            "");

  Write("solved.fit", PlateSolved());
  ReadFile(Path("solved.fit"));
  form->ob_flipNS->setChecked(true);
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_EQ(FitsverifyProblems(Path("solved.fit")), "");
  const std::string mirror = R"(, "mirror_of": ")" + Path("original.fit") + R"(")";
  EXPECT_EQ(AstropyProblems(R"({"path": ")" + Path("solved.fit") +
                            R"(", "crpix": [3, 2], "crval": [83.8221, -5.3911])" + mirror + "}"),
            "");
}

}  // namespace

#include <sys/resource.h>

#include "fits/platform_file.h"

namespace {

TEST_F(SaveWorkflow, WriteFailureAtAnyPointKeepsTheInputAndTheWindowUsable) {
  // 200 x 150 BITPIX 16: 60000 data bytes.
  std::string image;
  for (const char* c :
       {"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 200", "NAXIS2  = 150", "END"})
    image += Card(c);
  image.resize(2880, ' ');
  for (int i = 0; i < 60000; ++i) image.push_back(static_cast<char>(i % 251));
  image.resize(2880 * 22, '\0');
  fits::platform::IgnoreFileSizeSignal();
  rlimit normal{};
  ::getrlimit(RLIMIT_FSIZE, &normal);
  for (const bool flip : {true, false}) {
    for (const rlim_t limit : {rlim_t{1000}, rlim_t{30000}, rlim_t{63000}}) {
      Write("big.fit", image);
      ReadAndEnterWcs("big.fit");
      (flip ? form->ob_flipNS : form->ob_NurHeader)->setChecked(true);
      form->Chk_speichernunter->setChecked(!flip);  // the header-only path must copy to fail
      AnswerDialog(Path("copy.fit"));
      rlimit small = normal;
      small.rlim_cur = limit;
      ::setrlimit(RLIMIT_FSIZE, &small);
      Save();
      ::setrlimit(RLIMIT_FSIZE, &normal);
      EXPECT_EQ(Status(), "FATAL: Speichern fehlgeschlagen, siehe logfile.txt") << flip << " " << limit;
      EXPECT_EQ(Slurp(Path("big.fit")), image) << flip << " " << limit;
      EXPECT_FALSE(std::filesystem::exists(Path("copy.fit")));
      ExpectUnlocked();
    }
  }
  // Still usable: the same file reads and saves.
  form->Chk_speichernunter->setChecked(false);
  ReadAndEnterWcs("big.fit");
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_EQ(FitsverifyProblems(Path("big.fit")), "");
}

}  // namespace
