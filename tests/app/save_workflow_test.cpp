// Saving through the window, each saved file judged by fitsverify and
// astropy; the whole road as a person walks it, read back into the window.
#include <sys/resource.h>

#include "fits/platform_file.h"
#include "window_fixture.h"

// A 5 x 4 BITPIX 16 image without WCS, each data byte telling its position;
// headerRecords > 1 pads the old header with cards that velorin.ini removes.
static std::string Image(int headerRecords = 1, int historyCards = 0) {
  std::string image;
  for (const char* c : {"SIMPLE  =                    T", "BITPIX  =                   16",
                        "NAXIS   =                    2", "NAXIS1  =                    5",
                        "NAXIS2  =                    4", "OBJECT  = 'M 35'", "SWCREATE= 'Capture'"})
    image += Card(c);
  for (int i = 0; i < historyCards; ++i) image += Card("HISTORY step " + std::to_string(i));
  while (image.size() < std::size_t(headerRecords - 1) * 2880 + 80) image += Card("SWCREATE= 'old'");
  image = (image + Card("END")).append(std::size_t(headerRecords) * 2880 - image.size() - 80, ' ');
  for (char i = 1; i <= 40; ++i) image.push_back(i);
  return image + std::string(2880 - 40, '\0');
}

// A plate-solved image: CD matrix (1.2 arc-seconds, 35 degrees), SIP terms.
static std::string PlateSolved(const char* telescope = "TELESCOP= 'Newton 8'") {
  // clang-format off
  return fits_test::Header({"SIMPLE  =                    T", "BITPIX  =                  -32", "NAXIS   =                    2",
      "NAXIS1  =                    6", "NAXIS2  =                    4", "CTYPE1  = 'RA---TAN-SIP'", "CTYPE2  = 'DEC--TAN-SIP'",
      "CRVAL1  =        83.8221000000", "CRVAL2  =        -5.3911000000", "CRPIX1  =                    3",
      "CRPIX2  =                    2", "CD1_1   = -2.7307193708478E-04", "CD1_2   = -1.9120804880305E-04",
      "CD2_1   = -1.9120804880305E-04", "CD2_2   =  2.7307193708478E-04", "A_ORDER =                    2",
      "A_0_2   =          1.23456E-06", "B_ORDER =                    2", "B_2_0   =         -2.34567E-06",
      "CUNIT1  = 'deg     '", "CUNIT2  = 'deg     '", "EQUINOX =               2000.0", "CTYPE1A = 'RA---TAN'", telescope,
      "END"}) + std::string(96, '\x3f') + std::string(2880 - 96, '\0');
  // clang-format on
}

class SaveWorkflow : public app_test::WindowTest {
 protected:
  // Saves and expects the status; a saved file must satisfy fitsverify and astropy: the typed position
  // at pixel (3, crpix2), and what the extra JSON asks.
  void SaveAndJudge(const std::string& name, const char* status = "FERTIG", int crpix2 = 2,
                    const std::string& extra = "") {
    Save();
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(app_test::FitsverifyProblems(Path(name)), "");
    EXPECT_EQ(
        app_test::AstropyProblems(R"({"path": ")" + Path(name) + R"(", "crpix": [3, )" +
                                  std::to_string(crpix2) + R"(], "crval": [92.225, 24.33])" + extra + "}"),
        "");
  }
  // Saving is closed until the next read; reading and the options stay open.
  void ExpectUnlocked() {
    EXPECT_TRUE(State().starts_with("v+ v- ") && State().substr(0, 20).find('h') == std::string::npos)
        << State();
  }
};

TEST_F(SaveWorkflow, HeaderOnlyInPlaceOrUnderTheSameFilesOtherName) {
  Write("m35.fit", Image());
  std::filesystem::create_symlink(Path("m35.fit"), Path("link.fit"));
  ReadAndEnterWcs("m35.fit");
  form->Chk_speichernunter->setChecked(true);
  for (QRadioButton* option : {form->ob_flipNS, form->ob_NurHeader}) {  // a cancelled dialog changes nothing
    option->setChecked(true);
    AnswerDialog("");
    Save();
    EXPECT_EQ(Slurp(Path("m35.fit")), Image());
    EXPECT_TRUE(State().starts_with("v+ v+ ") && State().ends_with("| v+ | h+ ")) << State();
  }
  form->CommonDialog1.answer = [this](const CommonDialog& dialog) {
    EXPECT_EQ(dialog.DialogTitle, "fits-File zum speichern auswählen");
    EXPECT_EQ(dialog.FileName, Path("m35.fit"));
    return std::optional<std::string>(
        Path("./link.fit"));  // rewritten in place, the link not replaced by a copy
  };
  SaveAndJudge("m35.fit", "FERTIG", 2, R"(, "cdelt": [-0.000355, 0.000355])");
  ExpectUnlocked();
  EXPECT_TRUE(std::filesystem::is_symlink(Path("link.fit")));
  const std::string saved = Slurp(Path("m35.fit"));
  EXPECT_EQ(saved.substr(2880), Image().substr(2880));
  EXPECT_EQ(saved.substr(6 * 80, 80), Card("TELESCOP= 'C14 Hyperstar'"));
  EXPECT_EQ(saved.find("CHECKSUM"), std::string::npos);  // the input had none
  const std::string opening = "**** FITS-fileheader von Output-Datei: " + Path("./link.fit") + " ****\r\n";
  EXPECT_NE(Log().find(opening + "SIMPLE  =                    T /written by Velorin\r\n"),
            std::string::npos);
  EXPECT_NE(Log().find("CROTA2  =  12.500000000 /\r\nOBSERVER= 'Velorin'\r\n"), std::string::npos);
  EXPECT_TRUE(Log().ends_with("END      \r\n**** Ende des FITS-fileheaders der Output-Datei ****\r\n"));
}

TEST_F(SaveWorkflow, OldHeaderSizeKeptOrCutWithWarningOrRefused) {
  Write("long.fit", Image(3));
  ReadAndEnterWcs("long.fit");
  ASSERT_EQ(form->shared.HeaderCardCount, 108);
  SaveAndJudge("long.fit");
  EXPECT_EQ(Slurp(Path("long.fit")).substr(3 * 2880), Image(3).substr(3 * 2880));
  Write("full.fit", Image(1, 28));  // 36 cards, END the last one
  ReadAndEnterWcs("full.fit");
  SaveAndJudge("full.fit", "Warnung: FITS-Header war zu lang, gekürzt");
  EXPECT_EQ(Slurp(Path("full.fit")).size(), 5760u);
  EXPECT_NE(Log().find("Fatal: neuer FITS-Header zu lang, musste abgeschnitten werden \r\n"),
            std::string::npos);
  ReadAndEnterWcs("full.fit");
  form->Cb_instrume->setEditText("meine Kamera");
  const std::string before = Slurp(Path("full.fit"));
  Save();
  EXPECT_EQ(Status(), "Error: kein Instrument ausgewählt, nichts gespeichert");
  EXPECT_EQ(Slurp(Path("full.fit")), before);
  EXPECT_TRUE(form->cmd_start->isEnabled());  // pick an instrument and save again
}

TEST_F(SaveWorkflow, MatrixWcsIsCarriedAsScaleAndRotation) {
  Write("original.fit", PlateSolved());
  for (const char* check : {"like", "mirror_of"}) {
    Write("solved.fit", PlateSolved());
    ReadFile(Path("solved.fit"));
    ASSERT_TRUE(State().starts_with("v+ v+ v+x ") && State().ends_with("| v- | h+ "))
        << check;  // shown, not editable
    EXPECT_EQ(form->Cb_instrume->currentText(), "Newton 8");
    form->ob_flipNS->setChecked(check[0] == 'm');
    SaveAndJudge("solved.fit", "FERTIG", 2,
                 std::string(R"(, "crval": [83.8221, -5.3911], ")") + check + R"(": ")" +
                     Path("original.fit") + R"(")");
    const std::string saved = Slurp(Path("solved.fit")).substr(0, 2880);
    for (const char* dropped : {"CD1_1", "A_ORDER", "A_0_2", "B_2_0", "CUNIT1", "TAN-SIP"})
      EXPECT_EQ(saved.find(dropped), std::string::npos) << dropped;
    EXPECT_NE(saved.find("CTYPE1A = 'RA---TAN'"), std::string::npos);
  }
  Write("oneil.fit", PlateSolved("TELESCOP= 'O''Neil 12'          / owner"));  // stays one FITS string
  ReadFile(Path("oneil.fit"));
  EXPECT_EQ(form->Cb_instrume->currentText(), "O'Neil 12");
  SaveAndJudge("oneil.fit", "FERTIG", 2, R"(, "crval": [83.8221, -5.3911], "telescop": "O\u0027Neil 12")");
  EXPECT_EQ(Slurp(Path("oneil.fit")).substr(6 * 80, 80), Card("TELESCOP= 'O''Neil 12'"));
}

TEST_F(SaveWorkflow, WriteFailureAtAnyPointKeepsTheInputAndTheWindowUsable) {
  std::string image = fits_test::Header(
      {"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 200", "NAXIS2  = 150", "END"});
  for (int i = 0; i < 60000; ++i) image.push_back(static_cast<char>(i % 251));  // 200 x 150 BITPIX 16
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
  form->Chk_speichernunter->setChecked(false);  // still usable: the same file reads and saves
  ReadAndEnterWcs("big.fit");
  Save();
  EXPECT_EQ(Status(), "FERTIG");
}

TEST_F(SaveWorkflow, ChecksumsStayTrueAndExtensionsFollowUnchanged) {
  // Inputs written by astropy; "checksum_only" lacks its DATASUM card.
  for (const std::string kind : {"checksum", "checksum_only", "extensions"}) {
    for (const bool flip : {false, true}) {
      SCOPED_TRACE(kind + (flip ? " flip" : ""));
      int status = 0;
      app_test::Run(std::string(VELORIN_PYTHON) + " " + VELORIN_MAKE_FITS + " " + kind + " " + Path("in.fit"),
                    status);
      const std::string input = Slurp(Path("in.fit"));
      ReadAndEnterWcs("in.fit");
      (flip ? form->ob_flipNS : form->ob_NurHeader)->setChecked(true);
      SaveAndJudge("in.fit", "FERTIG", 2, R"(, "checksum": true)");  // NAXIS2 4 mirrors 2 onto 2
      const std::string saved = Slurp(Path("in.fit"));
      const std::size_t checksum = saved.find("CHECKSUM= '");
      ASSERT_LT(checksum, 2880u);
      EXPECT_EQ(saved.substr(checksum + 80, 11), "DATASUM = '");  // right after CHECKSUM
      EXPECT_NE(saved.substr(checksum, 80).find("/ HDU checksum updated"),
                std::string::npos);  // comment kept
      EXPECT_NE(Log().find("Warnung: CHECKSUM"), std::string::npos);
      // DATASUM is recomputed only when the data changed or it was missing.
      const bool recomputed = flip || kind == "checksum_only";
      EXPECT_EQ(Log().find("Warnung: DATASUM") != std::string::npos, recomputed);
      EXPECT_TRUE(recomputed || saved.substr(checksum + 80, 80) == input.substr(input.find("DATASUM ="), 80));
      EXPECT_EQ(saved.substr(5760), input.substr(5760));  // extensions after one header and one data record
    }
  }
}

TEST_F(SaveWorkflow, HeaderOnlySaveOfALargeFileReadsNoData) {
  // 16384 x 32767 BITPIX 16: 1 GiB of data, a sparse file that takes no disk.
  Write("big.fit", fits_test::Header({"SIMPLE  = T", "BITPIX  = 16", "NAXIS   = 2", "NAXIS1  = 16384",
                                      "NAXIS2  = 32767", "END"}));
  std::filesystem::resize_file(Path("big.fit"), 2880 + std::int64_t{16384} * 32767 * 2);
  ReadAndEnterWcs("big.fit");
  const auto bytesRead = [] {  // rchar of this process: bytes read through system calls
    const std::string io = Slurp("/proc/self/io");
    return std::stoll(io.substr(io.find("rchar: ") + 7));
  };
  const long long before = bytesRead();
  Save();
  EXPECT_EQ(Status(), "FERTIG");
  EXPECT_LT(bytesRead() - before, 1 << 20);
}

class WholeRoad : public app_test::WindowTest {
 protected:
  void Click(QWidget* control) {
    QTest::mouseClick(control, Qt::LeftButton, {}, QPoint(6, control->height() / 2));
  }
  // Focus a field by clicking it, select all, type.
  void TypeInto(QLineEdit* field, const char* text) {
    Click(field);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(field, text);
  }
  void ReadBack(const std::string& name) {
    AnswerDialog(Path(name));
    Click(form->cmd_fitsauswahl);
    ASSERT_EQ(Status(), "Fitsfileheader gelesen");
  }
  std::string Fields() {
    std::string texts;
    for (QLineEdit* f : {form->tb_r_HH, form->tb_r_MM, form->tb_r_SS, form->tb_r, form->tb_d_dg,
                         form->tb_d_MM, form->tb_d, form->tb_x, form->tb_y})
      texts += f->text().toStdString() + "|";
    return texts;
  }
};

TEST_F(WholeRoad, ReadTypeSaveBothWaysAndReadBack) {
  std::filesystem::copy_file(VELORIN_SAMPLE_IMAGE, Path("sample.fit"));
  const std::string original = Slurp(Path("sample.fit"));
  // Added lines would be added again at every pass over the same file.
  Write(
      "velorin.ini",
      "[instruments]\n'Refraktor 80' -0.000417 0.000417 0\n'C14 Hyperstar' -0.000355 0.000355 12.5\n[end]\n");
  ReadBack("sample.fit");  // it has no WCS yet
  Click(form->chk_wcs);
  // Right ascension as hours, minutes, seconds; declination as a decimal.
  TypeInto(form->tb_r_HH, "6");
  QTest::keyClick(form->tb_r_HH, Qt::Key_Tab);
  QTest::keyClicks(form->tb_r_MM, "8");
  QTest::keyClick(form->tb_r_MM, Qt::Key_Tab);
  QTest::keyClicks(form->tb_r_SS, "54");
  TypeInto(form->tb_d, "24.33");
  TypeInto(form->tb_x, "100");
  TypeInto(form->tb_y, "60");
  EXPECT_EQ(Fields(), "6| 08| 054| 6.148334| 24| 19|24.33|100|60|");
  Click(form->Cb_instrume);
  QTest::keyClick(form->Cb_instrume, Qt::Key_Escape);
  form->Cb_instrume->setFocus();
  QTest::keyClick(form->Cb_instrume, Qt::Key_Down);
  ASSERT_EQ(form->SelectedInstrumentRow(), 1);
  Click(form->Chk_speichernunter);  // the header only, under a new name
  AnswerDialog(Path("sample_wcs.fit"));
  Click(form->cmd_start);
  ASSERT_EQ(Status(), "FERTIG");
  EXPECT_EQ(Slurp(Path("sample.fit")), original);
  EXPECT_EQ(app_test::FitsverifyProblems(Path("sample_wcs.fit")), "");
  EXPECT_EQ(app_test::AstropyProblems(R"({"path": ")" + Path("sample_wcs.fit") +
                                      R"(", "crpix": [100, 60], "crval": [92.225, 24.33]})"),
            "");
  // Read it back: the fields show what was written; its scale is a new instrument.
  const int instruments = form->Cb_instrume->count();
  ReadBack("sample_wcs.fit");
  EXPECT_TRUE(State().ends_with("| v- | h+ ")) << State();
  EXPECT_EQ(Fields(), " 6| 8| 54| 6.148334| 24| 19| 24.33| 100| 60|");
  EXPECT_EQ(form->Cb_instrume->count(), instruments + 1);
  EXPECT_EQ(form->Cb_instrume->currentText(), "C14 Hyperstar");
  EXPECT_EQ(form->shared.Crota2, 12.5f);
  EXPECT_EQ(Log().find("**** FITS-fileheader von Input-Datei " + Path("sample_wcs.fit")), 0u);
  // Flip it in place: y is mirrored at NAXIS2 150, CDELT2 changes sign.
  Click(form->Chk_speichernunter);
  Click(form->ob_flipNS);
  EXPECT_EQ(form->tb_y->text(), " 90");
  Click(form->cmd_start);
  ASSERT_EQ(Status(), "FERTIG");
  EXPECT_TRUE(State().starts_with("v+ v- ") && State().ends_with("| v- | h+ ")) << State();
  EXPECT_EQ(app_test::FitsverifyProblems(Path("sample_wcs.fit")), "");
  EXPECT_EQ(app_test::AstropyProblems(
                R"({"path": ")" + Path("sample_wcs.fit") +
                R"(", "crpix": [100, 90], "crval": [92.225, 24.33], "cdelt": [-0.000355, -0.000355]})"),
            "");
  ReadBack("sample_wcs.fit");
  EXPECT_EQ(Fields(), " 6| 8| 54| 6.148334| 24| 19| 24.33| 100| 90|");
  EXPECT_EQ(form->shared.Cdelt2, -0.000355f);
  EXPECT_EQ(form->Cb_instrume->count(), instruments + 2);
  EXPECT_TRUE(form->ob_NurHeader->isChecked() && !form->shared.FlipNorthSouth);
  // The rows are in reverse order: the first data row now is the last one before.
  EXPECT_EQ(Slurp(Path("sample_wcs.fit")).substr(2880, 400), original.substr(2880 + 149 * 400, 400));
}
