// Saving through the window, each saved file judged by fitsverify and astropy.
#include <sys/resource.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "app/image_window.h"
#include "fits/platform_file.h"
#include "window_fixture.h"

// A 5 x 4 image without WCS after a header of these cards; velorin.ini removes SWCREATE.
static std::string Image(std::vector<std::string> cards = {}) {
  cards.insert(cards.begin(), {"OBJECT  = 'M 35'", "SWCREATE= 'Capture'"});
  return fits_test::MakeFits(5, 4, cards);
}

// A plate-solved image: CD matrix (1.2 arc-seconds, 35 degrees), SIP terms.
static const std::string kPlateSolved =
    Header(
        "SIMPLE  = T|BITPIX  = -32|NAXIS   = 2|NAXIS1  = 6|NAXIS2  = 4|CTYPE1  = 'RA---TAN-SIP'|"
        "CTYPE2  = 'DEC--TAN-SIP'|CRVAL1  =        83.8221000000|CRVAL2  =        -5.3911000000|CRPIX1  = 3|"
        "CRPIX2  = 2|CD1_1   = -2.7307193708478E-04|CD1_2   = -1.9120804880305E-04|"
        "CD2_1   = -1.9120804880305E-04|CD2_2   =  2.7307193708478E-04|A_ORDER = 2|A_0_2   = 1.23456E-06|"
        "B_ORDER = 2|B_2_0   = -2.34567E-06|CUNIT1  = 'deg     '|CUNIT2  = 'deg     '|EQUINOX = 2000.0|"
        "CTYPE1A = 'RA---TAN'|TELESCOP= 'O''Neil 12'          / owner|END") +
    std::string(96, '\x3f') + std::string(2880 - 96, '\0');

class SaveWorkflow : public app_test::WindowTest {
 protected:
  // Saves and expects the status; the file must satisfy fitsverify and astropy: pixel (3, crpix2) at the
  // typed position, unless the extra JSON says otherwise.
  void SaveAndJudge(const std::string& name, const char* status = "FERTIG", const std::string& extra = "") {
    Save();
    EXPECT_EQ(Status(), status);
    EXPECT_EQ(FitsverifyProblems(Path(name)), "");
    EXPECT_EQ(app_test::AstropyProblems(R"({"path": ")" + Path(name) +
                                        R"(", "crpix": [3, 2], "crval": [92.225, 24.33])" + extra + "}"),
              "");
  }
};

TEST_F(SaveWorkflow, HeaderOnlyInPlaceOrUnderTheSameFilesOtherName) {
  Write("m35.fit", Image());
  fs::create_symlink(Path("m35.fit"), Path("link.fit"));
  ReadAndEnterWcs("m35.fit");
  form->Chk_speichernunter->setChecked(true);
  for (QRadioButton* option : {form->ob_flipNS, form->ob_NurHeader}) {  // a cancelled dialog changes nothing
    option->setChecked(true);
    AnswerDialog("");
    Save();
    EXPECT_EQ(Slurp(Path("m35.fit")), Image());
    EXPECT_TRUE(State().starts_with("v+ v+ ") && State().ends_with("| v+ | h+ ")) << State();
  }
  AnswerDialog(Path("./link.fit"));  // rewritten in place, the link not replaced by a copy
  SaveAndJudge("m35.fit", "FERTIG", R"(, "cdelt": [-0.000355, 0.000355])");
  EXPECT_EQ(asked, "fits-File zum speichern auswählen|Fits-Bilddateien (*.fit)|*.fit|" + Path("m35.fit"));
  // Saving is closed until the next read; reading and the options stay open.
  EXPECT_TRUE(State().starts_with("v+ v- v+x v+ v+x v+x ")) << State();
  const std::string opening = "**** FITS-fileheader von Output-Datei: " + Path("./link.fit") + " ****\r\n";
  EXPECT_TRUE(fs::is_symlink(Path("link.fit")) &&
              Log().find(opening + "SIMPLE  =                    T /written by Velorin\r\n") !=
                  std::string::npos &&
              Log().ends_with("END      \r\n**** Ende des FITS-fileheaders der Output-Datei ****\r\n"));
}

// How often a card's text stands in a file.
static std::size_t Count(const std::string& bytes, const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = bytes.find(text); at != std::string::npos; at = bytes.find(text, at + 1)) ++count;
  return count;
}

TEST_F(SaveWorkflow, EveryCardKeptAndTheOldSizeWhereTheHeaderFits) {
  std::vector<std::string> history, blanks(81), many(3000, "COMMENT c");
  for (int i = 0; i < 28; ++i) history.push_back("HISTORY step " + std::to_string(i));
  blanks[40] = "SWCREATE= 'old'";
  Write("long.fit", Image(blanks));  // three records: counted, logged, and kept with the data after them
  ReadAndEnterWcs("long.fit");
  EXPECT_TRUE(Status() == "Fitsfileheader > 36 Zeilen" &&
              Log().find("\r\nWarnung: Fitsheader länger als 36 Zeilen\r\n") != std::string::npos)
      << Status();
  SaveAndJudge("long.fit");
  EXPECT_EQ(Slurp(Path("long.fit")).substr(3 * 2880), Image().substr(2880));
  Write("full.fit", Image(history));        // 36 cards, END the last one: the header grows by a record
  for (const bool grows : {true, false}) {  // saved again, it fits
    ReadAndEnterWcs("full.fit");
    SaveAndJudge("full.fit");
    EXPECT_EQ(Log().find("Warnung: Header um 1 2880Byte-Record(s) verlängert, Datei ganz neu geschrieben") !=
                  std::string::npos,
              grows);
  }
  const std::string full = Slurp(Path("full.fit"));
  EXPECT_TRUE(full.substr(2 * 2880) == Image(history).substr(2880) && Count(full, "HISTORY step ") == 28 &&
              Count(full, "OBSERVER= 'Velorin'") == 1);
  Write("many.fit", Image(many));
  for (QRadioButton* option : {form->ob_NurHeader, form->ob_flipNS}) {
    ReadAndEnterWcs("many.fit");
    option->setChecked(true);
    SaveAndJudge("many.fit", "FERTIG", option == form->ob_flipNS ? R"(, "crpix": [3, 3])" : "");
    EXPECT_EQ(Count(Slurp(Path("many.fit")), "COMMENT c"), 3000u);
  }
  ReadAndEnterWcs("full.fit");
  form->Cb_instrume->setEditText("meine Kamera");
  Save();
  EXPECT_EQ(Status(), "Error: kein Instrument ausgewählt, nichts gespeichert");
  EXPECT_TRUE(Slurp(Path("full.fit")) == full && form->cmd_start->isEnabled());  // pick one, save again
}

// Saved header-only and flipped, each beside the input: row j of the input is row NAXIS2 + 1 - j of the
// flipped file, and astropy puts each pixel of one where its mirror lies in the other.
TEST_F(SaveWorkflow, PlateSolvedWcsIsSavedAsTheFileHasIt) {
  Write("solved.fit", kPlateSolved);
  for (const std::string check : {"like", "mirror_of"}) {
    const bool flip = check == "mirror_of";
    const std::string output = flip ? "flipped.fit" : "kept.fit";
    ReadFile(Path("solved.fit"));
    ASSERT_TRUE(State().starts_with("v+ v+ v+x ") && State().ends_with("| v- | h+ "))
        << check;  // shown, fixed
    EXPECT_EQ(form->Cb_instrume->currentText(), "O'Neil 12");
    form->ob_flipNS->setChecked(flip);
    EXPECT_EQ(form->tb_y->text().toStdString(), flip ? " 3" : " 2");
    form->Chk_speichernunter->setChecked(true);
    AnswerDialog(Path(output));
    SaveAndJudge(output, "FERTIG",
                 R"(, "crval": [83.8221, -5.3911], "telescop": "O\u0027Neil 12", ")" + check + R"(": ")" +
                     Path("solved.fit") + (flip ? R"(", "crpix": [3, 3])" : R"(")"));
  }
}

TEST_F(SaveWorkflow, ChecksumsStayTrueAndExtensionsFollowUnchanged) {
  // Inputs written by astropy; "checksum_only" lacks its DATASUM card. DATASUM is recomputed only when the
  // data changed or it was missing; CHECKSUM always.
  for (const auto& [kind, flip] :
       {std::pair{"checksum_only", false}, {"extensions", false}, {"extensions", true}}) {
    SCOPED_TRACE(kind + std::string(flip ? " flip" : ""));
    Problems(std::string(VELORIN_PYTHON) + " " + VELORIN_MAKE_FITS + " " + kind + " " + Path("in.fit"), "");
    const std::string input = Slurp(Path("in.fit"));
    ReadAndEnterWcs("in.fit");
    (flip ? form->ob_flipNS : form->ob_NurHeader)->setChecked(true);
    SaveAndJudge("in.fit", "FERTIG",
                 flip ? R"(, "checksum": true, "crpix": [3, 3])" : R"(, "checksum": true)");
    const std::string saved = Slurp(Path("in.fit"));
    const bool recomputed = flip || kind == std::string("checksum_only");
    EXPECT_NE(Log().find("Warnung: CHECKSUM"), std::string::npos);
    EXPECT_EQ(Log().find("Warnung: DATASUM") != std::string::npos, recomputed);
    EXPECT_TRUE(recomputed ||
                saved.substr(saved.find("DATASUM ="), 80) == input.substr(input.find("DATASUM ="), 80));
    EXPECT_EQ(saved.substr(5760), input.substr(5760));  // extensions after one header and one data record
  }
}

// Input made while a flip or a copy writes is dropped, never delivered once the window is free again.
TEST_F(SaveWorkflow, ALongSaveShowsHowFarItIsAndDropsInputMadeMeanwhile) {
  Write("a.fit", fits_test::MakeFits(200, 150));
  std::string seen;  // the status texts shown while it writes
  QTimer during;
  QObject::connect(&during, &QTimer::timeout, [&] {
    seen += Status() + "|";
    if (!Status().starts_with("BITTE WARTEN")) return;  // after the save, input is the user's again
    QCoreApplication::postEvent(form->tb_x, new QKeyEvent(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, "7"));
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
      QCoreApplication::postEvent(form->cmd_fitsauswahl,
                                  new QMouseEvent(type, {5, 5}, {5, 5}, Qt::LeftButton, Qt::LeftButton, {}));
  });
  for (QRadioButton* option : {form->ob_flipNS, form->ob_NurHeader}) {
    ReadAndEnterWcs("a.fit");
    option->setChecked(true);
    form->Chk_speichernunter->setChecked(option == form->ob_NurHeader);
    AnswerDialog(Path("copy.fit"));
    asked.clear();
    const QString entered = form->tb_x->text();
    during.start(0);
    Save();
    during.stop();
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.find("BITTE WARTEN: schreibe Bilddaten 100 %|") != std::string::npos &&
                Status() == "FERTIG" && form->tb_x->text() == entered &&
                asked.find("lesen") == std::string::npos)
        << Status() << " " << asked;
    seen.clear();
  }
}

TEST_F(SaveWorkflow, HeaderOnlySaveOfALargeFileReadsNoData) {
  // 8192 x 8192 BITPIX 16: 128 MiB of data, a sparse file that takes no disk.
  Write("big.fit", Header("SIMPLE  = T|BITPIX  = 16|NAXIS   = 2|NAXIS1  = 8192|NAXIS2  = 8192|END"));
  fs::resize_file(Path("big.fit"), 2880 + std::int64_t{8192} * 8192 * 2);
  ReadAndEnterWcs("big.fit");
  // The image view reads the data for its picture first; the save itself must not.
  for (int i = 0; i < 6000 && form->imageWindow->Loading(); ++i) QTest::qWait(10);
  const auto bytesRead = [] {  // rchar of this process: bytes read through system calls
    const std::string io = Slurp("/proc/self/io");
    return std::stoll(io.substr(io.find("rchar: ") + 7));
  };
  const long long before = bytesRead();
  Save();
  EXPECT_TRUE(Status() == "FERTIG" && bytesRead() - before < 1 << 20) << Status();
}

TEST_F(SaveWorkflow, ARefusedOrFailedSaveLeavesTheFileAndTheWindowUsable) {
  // Changed by another program after the read, write-protected, one of several hard links replaced by a
  // flip, or a write that fails at the file size limit as on a full disk (the header-only save must copy to
  // fail): nothing is written, and the status says why. Each refusal of the file functions in both modes,
  // and the header-only write through a hard link, are the fits tests'.
  const std::string image = fits_test::MakeFits(200, 150);  // 22 records
  fits::platform::IgnoreFileSizeSignal();
  rlimit normal{};
  ::getrlimit(RLIMIT_FSIZE, &normal);
  const rlimit small{30000, normal.rlim_max};
  const std::pair<std::string, const char*> rows[] = {
      {"changed", "Error: Datei seit dem Lesen verändert, nichts gespeichert"},
      {"protected", "Error: Datei schreibgeschützt, nichts gespeichert"},
      {"linked", "Error: Datei hat mehrere Hardlinks, nichts gespeichert"},
      {"full copy", "FATAL: Speichern fehlgeschlagen, siehe logfile.txt"},
      {"full flip", "FATAL: Speichern fehlgeschlagen, siehe logfile.txt"}};
  for (const auto& [what, status] : rows) {
    fs::remove(Path("copy.fit"));
    Write("a.fit", image);
    if (what == "linked") fs::create_hard_link(Path("a.fit"), Path("other.fit"));
    ReadAndEnterWcs("a.fit");
    form->ob_flipNS->setChecked(what != "changed" && what != "full copy");
    form->Chk_speichernunter->setChecked(what == "full copy");
    AnswerDialog(Path("copy.fit"));
    if (what == "protected") fs::permissions(Path("a.fit"), fs::perms::owner_read);
    // Another program writes a header of two records into the file.
    if (what == "changed") Write("a.fit", Image(std::vector<std::string>(40, "COMMENT x")));
    const std::string before = Slurp(Path("a.fit"));
    // The window as it was, "fits speichern" too: with the cause gone, the same entries save.
    const auto window = [this] {
      return State() +
             (form->tb_r->text() + form->tb_y->text() + form->Cb_instrume->currentText()).toStdString();
    };
    const std::string entered = window();
    if (what.starts_with("full")) ::setrlimit(RLIMIT_FSIZE, &small);
    Save();
    ::setrlimit(RLIMIT_FSIZE, &normal);
    EXPECT_TRUE(Status() == status && Slurp(Path("a.fit")) == before && !fs::exists(Path("copy.fit")) &&
                window() == entered)
        << what << ": " << Status() << " " << window();
    fs::permissions(Path("a.fit"), fs::perms::owner_all);
    fs::remove(Path("other.fit"));
    Save();
    EXPECT_EQ(Status(), what == "changed" ? status : "FERTIG") << what;  // a changed file is read again
  }
}
