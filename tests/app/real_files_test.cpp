// Files as other programs write them, through the window: a flip keeps each
// pixel's sky position, and a field's text and value always agree.
#include <gtest/gtest.h>

#include "fits_test_files.h"
#include "fits_tools.h"
#include "window_fixture.h"

namespace {

using app_test::AstropyProblems;
using app_test::FitsverifyProblems;
using fits_test::Card;

// A BITPIX 8 image of width x height with the given cards before END.
std::string Image(int width, int height, const std::vector<std::string>& cards) {
  std::string header;
  for (const std::string& c :
       {std::string("SIMPLE  =                    T"), std::string("BITPIX  =                    8"),
        std::string("NAXIS   =                    2"), "NAXIS1  = " + std::to_string(width),
        "NAXIS2  = " + std::to_string(height)})
    header += Card(c);
  for (const std::string& c : cards) header += Card(c);
  header += Card("END");
  header.resize(2880, ' ');
  std::string data(static_cast<std::size_t>(width * height), '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i % 251);
  data.resize(data.size() + static_cast<std::size_t>(fits::FillBytes(static_cast<std::int64_t>(data.size()))),
              '\0');
  return header + data;
}

class RealFiles : public app_test::SaveTest {};

TEST_F(RealFiles, AFlipKeepsEveryPixelOnItsSkyPosition) {
  // A plate solver's rotated CD matrix; saved header-only and flipped.
  Write("solved.fit", Image(8, 6,
                            {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "EQUINOX =               2000.0",
                             "CRVAL1  =              92.2250", "CRVAL2  =              24.3300",
                             "CRPIX1  =                    3", "CRPIX2  =                    2",
                             "CD1_1   =        -3.4158E-04", "CD1_2   =         2.3918E-04",
                             "CD2_1   =         2.3918E-04", "CD2_2   =         3.4158E-04"}));
  for (const char* output : {"kept.fit", "flipped.fit"}) {
    ReadFile(Path("solved.fit"));
    ASSERT_TRUE(form->chk_wcs->isChecked());
    form->Chk_speichernunter->setChecked(true);
    const bool flip = std::string(output) == "flipped.fit";
    if (flip) form->ob_flipNS->setChecked(true);
    EXPECT_EQ(form->tb_y->text().toStdString(), flip ? " 5" : " 2");
    AnswerDialog(Path(output));
    Save();
    ASSERT_EQ(Status(), "FERTIG");
    EXPECT_EQ(FitsverifyProblems(Path(output)), "");
  }
  EXPECT_EQ(
      AstropyProblems(R"({"path": ")" + Path("kept.fit") + R"(", "crpix": [3, 2], "crval": [92.225, 24.33],
                                 "flipped": ")" +
                      Path("flipped.fit") + R"("})"),
      "");
}

TEST_F(RealFiles, AFieldRefusesAKeyOverItsLimitWhateverTheProgramWroteThere) {
  // Mirrored at 12000 rows, Y = 100 becomes " 11901": six characters in a
  // field of five. A typed digit would make it " 119015" while CRPIX2 stayed.
  Write("tall.fit", Image(1, 12000, {}));
  ReadFile(Path("tall.fit"));
  QTest::mouseClick(form->chk_wcs, Qt::LeftButton, {}, QPoint(5, 8));
  Type(form->tb_y, "100");
  form->ob_flipNS->setChecked(true);
  ASSERT_EQ(form->tb_y->text().toStdString(), " 11901");
  form->tb_y->setFocus();
  form->tb_y->end(false);
  QTest::keyClicks(form->tb_y, "5");
  EXPECT_EQ(form->tb_y->text().toStdString(), " 11901");
  EXPECT_EQ(form->shared.Crpix2, 11901);
  QTest::keyClick(form->tb_y, Qt::Key_Backspace);
  EXPECT_EQ(form->tb_y->text().toStdString(), " 1190");
  EXPECT_EQ(form->shared.Crpix2, 1190);
}

TEST_F(RealFiles, AFileThatCannotBeSavedSafelyIsLeftAsItIs) {
  // Changed by another program after the read, write-protected, or one of
  // several hard links replaced by a flip: nothing is written, and the status
  // says why; the header-only save of a hard-linked file writes in place.
  struct Row {
    const char* what;
    bool flip;
    const char* status;
  };
  const Row rows[] = {{"changed", false, "Error: Datei seit dem Lesen verändert, nichts gespeichert"},
                      {"changed", true, "Error: Datei seit dem Lesen verändert, nichts gespeichert"},
                      {"protected", false, "Error: Datei schreibgeschützt, nichts gespeichert"},
                      {"protected", true, "Error: Datei schreibgeschützt, nichts gespeichert"},
                      {"linked", true, "Error: Datei hat mehrere Hardlinks, nichts gespeichert"},
                      {"linked", false, "FERTIG"}};
  for (const Row& row : rows) {
    const std::string what = row.what;
    std::filesystem::remove(Path("other.fit"));
    Write("a.fit", Image(4, 3, {"OBJECT  = 'M 35'"}));
    if (what == "linked") std::filesystem::create_hard_link(Path("a.fit"), Path("other.fit"));
    ReadAndEnterWcs("a.fit");
    if (row.flip) form->ob_flipNS->setChecked(true);
    if (what == "protected") std::filesystem::permissions(Path("a.fit"), std::filesystem::perms::owner_read);
    // Another program writes a header of two records into the file.
    const std::string before = what == "changed" ? Image(4, 3, std::vector<std::string>(40, "COMMENT x"))
                                                 : app_test::Slurp(Path("a.fit"));
    if (what == "changed") Write("a.fit", before);
    Save();
    EXPECT_EQ(Status(), row.status) << what << " " << row.flip;
    if (std::string_view(row.status) != "FERTIG") {
      EXPECT_EQ(app_test::Slurp(Path("a.fit")), before) << what;
    }
    std::filesystem::permissions(Path("a.fit"), std::filesystem::perms::owner_all);
  }
}

}  // namespace
