// Many files at once: the header hints of capture software, threads that
// change nothing but speed, a bad file among good ones, JSON of any name.
#include <cmath>

#include "cli/json_text.h"
#include "cli_files.h"

namespace cli_test {
namespace {

const std::vector<std::string> kCaptureCards = {
    "OBJCTRA = '06 08 54.00'", "OBJCTDEC= '+24 19 47.0'", "FOCALLEN=                  530",
    "XPIXSZ  =                 3.76", "YPIXSZ  =                 3.76"};

TEST_F(CliFolder, FromHeaderTakesWhatCaptureSoftwareWrote) {
  fs::create_directories(dir / "out");
  WriteBytes(dir / "a.fit", MakeFits(101, 80, kCaptureCards));
  const std::string nofocal = MakeFits(101, 80, {kCaptureCards[0], kCaptureCards[1], kCaptureCards[3]});
  WriteBytes(dir / "nofocal.fit", nofocal);
  const std::pair<const char*, std::vector<std::string>> more[] = {
      {"jnow.fit", {"EQUINOX =              2024.04", "CHECKSUM= '0000000000000000'"}},
      {"twice.fit", {"RA      =               92.225", "DEC     =                24.35"}},
      {"pole.fit", {"OBJCTDEC= '+95 00 00'"}}};  // the first readable OBJCTDEC counts
  for (auto [name, cards] : more) {
    cards.insert(cards.end(), kCaptureCards.begin(), kCaptureCards.end());
    WriteBytes(dir / name, MakeFits(101, 80, cards));
  }
  const Ran ran =
      RunIn(dir, kCli +
                     " apply --json --from-header --flip --output out --log log.txt a.fit nofocal.fit "
                     "jnow.fit twice.fit pole.fit");
  // J2000 of 06 08 54 +24 19 47 on J2024.04 from astropy FK5: 91.8565099 24.334489608.
  for (const char* part : {R"({"file":"a.fit","ok":true,"status":"FERTIG","warnings":[],)",
                           R"("CRPIX1":50,)",  // 50.5 rounds to even
                           "nicht gespeichert: nofocal.fit: Fehler: Datei ohne WCS, es fehlt Maßstab "
                           "(FOCALLEN); nicht geändert",
                           R"("Warnung: CHECKSUM für den neuen Header neu berechnet",)"
                           R"("Warnung: DATASUM für die gespeicherten Daten neu berechnet"],)"
                           R"("CRVAL1":91.85651,"CRVAL2":24.33449,)",
                           "velorin-cli: jnow.fit: Warnung: CHECKSUM für den neuen Header neu berechnet\n",
                           "nicht gespeichert: twice.fit: Fehler: OBJCTRA/OBJCTDEC und RA/DEC liegen 1.2 "
                           "Bogenminuten auseinander (mehr als 1), --ra/--dec entscheiden; nicht geändert",
                           "nicht gespeichert: pole.fit: Error: Deklination außerhalb -90° bis +90°"})
    EXPECT_TRUE(ran.status == 1 && ran.out.find(part) != std::string::npos) << part << "\n" << ran.out;
  EXPECT_EQ(fits_test::FitsverifyProblems(dir / "out" / "a.fit") +
                (Slurp(dir / "nofocal.fit") == nofocal ? "" : "changed"),
            "");
  EXPECT_TRUE(!fs::exists(dir / "out" / "pole.fit") &&
              Slurp(dir / "log.txt")
                      .find("Position aus OBJCTRA/OBJCTDEC von Äquinoktium 2024.04 auf J2000 "
                            "umgerechnet\r\n") != std::string::npos);
  // A chosen scale more than 2 % off the optics' is told.
  const Ran off = RunIn(dir, kCli + " apply --from-header --scale 1.5 --dry-run a.fit");
  EXPECT_TRUE(
      off.out.starts_with("a.fit: Probelauf: nichts geschrieben, 1 Warnung\n") &&
      off.out.ends_with("\nvelorin-cli: a.fit: Warnung: Maßstab von --scale weicht um 2.5 % vom Maßstab "
                        "aus FOCALLEN und XPIXSZ/YPIXSZ ab (1.500 statt 1.463 Bogensekunden je Pixel)\n"))
      << off.out;
  const Ran sky = RunIn(dir, std::string(VELORIN_PYTHON) + " " + VELORIN_SKY_OF + " out/a.fit");
  double ra = 0, dec = 0, scale = 0;
  std::istringstream(sky.out) >> ra >> dec >> scale;
  EXPECT_TRUE(std::fabs(ra - 92.225) < 1e-4 && std::fabs(dec - 24.329722) < 1e-4 &&
              std::fabs(scale - 1.4633) < 1e-4)
      << sky.out;
}

// A WCS of the file's own, taken or not, gives way to entries or the header's
// hints only under --replace-wcs; the hints then replace it whole.
TEST_F(CliFolder, AWcsOfTheFilesOwnIsReplacedOnlyWhenAsked) {
  std::vector<std::string> taken = kCaptureCards, notTaken = kCaptureCards;
  taken.insert(taken.end(), {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 10", "CRVAL2  = 20",
                             "CRPIX1  = 1", "CRPIX2  = 1", "CDELT1  = -0.001", "CDELT2  = 0.001"});
  notTaken.push_back("CTYPE1  = 'RA---TAN'");
  const std::string refused = "Fehler: Datei hat schon ein WCS, Angaben abgelehnt (--replace-wcs ersetzt es)";
  const std::tuple<const std::vector<std::string>&, const char*, std::string> rows[] = {
      {taken, "--from-header", refused},
      {taken, "--x 3", refused},
      {notTaken, "--from-header", refused},
      {notTaken, "", "Fehler: WCS der Datei nicht übernommen, ein neues nur mit Angaben und --replace-wcs"},
      {taken, "--x 3 --replace-wcs", "  CRPIX1  = 3 /"},
      {taken, "--from-header --replace-wcs",
       "  CRVAL1  = 92.22501 /\n  CRPIX1  = 10 /\n  CDELT1  =  0.000406475 /"},
      {notTaken, "--from-header --replace-wcs", "  CRVAL1  = 92.22501 /"}};
  for (const auto& [cards, options, told] : rows) {
    WriteBytes(dir / "f.fit", MakeFits(20, 20, cards));
    const Ran ran = RunIn(dir, kCli + " apply --dry-run " + options + " f.fit");
    EXPECT_TRUE(ran.status == told.starts_with("Fehler") && ran.out.find(told) != std::string::npos)
        << options << ": " << ran.out;
  }
}

TEST_F(CliFolder, ThreadsWriteTheSameBytesAndABadFileTouchesNoOther) {
  const std::vector<std::pair<std::string, std::string>> bad = {
      {"naxis3.fit", MakeFits(10, 10, {}).replace(80 * 2 + 29, 1, "3")},
      {"notsimple.fit", MakeFits(10, 10, {}).replace(29, 1, "F")},
      {"short.fit", MakeFits(64, 64, {}).substr(0, 2880 + 100)},
      {"readonly.fit", MakeFits(20, 20, kCaptureCards)}};
  const auto good = [](int i) { return "g" + std::to_string(i) + ".fit"; };
  std::string arguments, expected, firstBytes;
  for (int i = 0; i < 6; ++i) {  // good and bad files in turn
    arguments += " " + good(i) + (i < 4 ? " " + bad[i].first : "");
    expected += good(i) + ": FERTIG\n";
  }
  const auto fresh = [&] {
    for (int i = 0; i < 6; ++i) WriteBytes(dir / good(i), MakeFits(30 + i, 20, kCaptureCards));
    for (const auto& [name, bytes] : bad) WriteBytes(dir / name, bytes);
    fs::permissions(dir / "readonly.fit", fs::perms::owner_read);
  };
  for (const char* jobs : {"1", "4"}) {
    fresh();
    const Ran ran = RunIn(dir, kCli + " apply --quiet --from-header -j " + jobs + arguments + " ./g0.fit");
    std::string bytes;
    for (int i = 0; i < 6; ++i) bytes += Slurp(dir / good(i));
    if (*jobs == '1') firstBytes = bytes;
    EXPECT_TRUE(ran.status == 1 && bytes == firstBytes) << "the bytes written with -j 4 differ";
    for (const auto& [name, bytes] : bad)
      EXPECT_TRUE(ran.out.find("nicht gespeichert: " + name) != std::string::npos &&
                  Slurp(dir / name) == bytes)
          << ran.out;
    EXPECT_NE(ran.out.find("./g0.fit: dieselbe Datei wie g0.fit, nur einmal bearbeitet"), std::string::npos);
    std::string saved;  // output lines keep the order of the arguments
    std::istringstream lines(ran.out);
    for (std::string line; std::getline(lines, line);)
      if (line.starts_with("g")) saved += line + "\n";
    EXPECT_EQ(saved, expected);
  }
  fresh();  // the flip into a folder: the bad files but the write-protected one are not written
  fs::create_directories(dir / "out");
  EXPECT_EQ(RunIn(dir, kCli + " apply --from-header --flip --output out -j 4" + arguments).status, 1);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(fits_test::FitsverifyProblems(dir / "out" / good(i)), "") << i;
  for (const auto& [name, bytes] : bad)
    EXPECT_EQ(fs::exists(dir / "out" / name), name == "readonly.fit") << name;
  fs::permissions(dir / "readonly.fit", fs::perms::owner_all);
}

// Headers written in place are flushed many at once: more files than wait for
// one flush are reported in order, each once, all saved.
// Waiting results hold no file open: 300 files pass with 24 file handles.
TEST_F(CliFolder, ManyHeadersInPlaceAreWrittenInGroupsAndReportedInOrder) {
  std::string names, expected;
  for (int i = 0; i < 300; ++i) {
    const std::string name = "f" + std::to_string(i) + ".fit";
    WriteBytes(dir / name, MakeFits(2, 2, kCaptureCards));
    names += " " + name;
    expected += name + ": FERTIG\n";
  }
  const Ran ran = RunIn(dir, "ulimit -n 24 && " + kCli + " apply --quiet --from-header -j 3" + names);
  EXPECT_TRUE(ran.status == 0 && ran.out == expected) << ran.out;
  EXPECT_TRUE(Slurp(dir / "f299.fit").find("CTYPE1  = 'RA---TAN'") != std::string::npos &&
              temp.Count() == 301);
}

// A result under --output never goes through a link at its name, nor onto a
// second name of the input; the input, the link and what it names stay.
TEST_F(CliFolder, OutputThatIsTheInputOrALinkIsRefused) {
  fs::create_directories(dir / "in");
  fs::create_directories(dir / "out");
  const std::string image = MakeFits(20, 20, kCaptureCards);
  const std::pair<const char*, bool> links[] = {
      {"../in/a.fit", false}, {"in/a.fit", true}, {"../b.fit", false}};
  for (const char* flip : {"", " --flip"})
    for (const auto& [target, hard] : links) {
      WriteBytes(dir / "in/a.fit", image);
      WriteBytes(dir / "b.fit", image);
      fs::remove(dir / "out/a.fit");
      hard ? fs::create_hard_link(dir / target, dir / "out/a.fit")
           : fs::create_symlink(target, dir / "out/a.fit");
      const Ran ran = RunIn(dir, kCli + " apply --from-header --output out" + flip + " in/a.fit");
      EXPECT_TRUE(ran.status == 1 && ran.out.find("in/a.fit: Fehler: out/a.fit ist ") != std::string::npos &&
                  Slurp(dir / "in/a.fit") == image && Slurp(dir / "b.fit") == image &&
                  fs::is_symlink(dir / "out/a.fit") == !hard)
          << target << flip << ": " << ran.out;
    }
}

TEST_F(CliFolder, FilesFromTakesNulEndedNamesCrLfAndSkipsBlankLines) {
  const std::pair<std::string, const char*> lists[] = {
      {std::string("a.fit\0b.fit\0", 12), " -0"}, {"a.fit\r\nb.fit\r\n", ""}, {"\na.fit\n \n\t\nb.fit", ""}};
  for (const auto& [list, nul] : lists) {
    for (const char* name : {"a.fit", "b.fit"}) WriteBytes(dir / name, MakeFits(4, 4, kCaptureCards));
    WriteBytes(dir / "list.txt", list);
    const Ran ran = RunIn(dir, kCli + " apply --quiet --from-header --files-from list.txt" + nul);
    EXPECT_TRUE(ran.status == 0 && ran.out == "a.fit: FERTIG\nb.fit: FERTIG\n") << nul << ": " << ran.out;
  }
}

// A signal or a closed output stops the batch between files: the signal is
// sent, or the reader quits, on the first line. Each file done is whole and
// in the log; every later file keeps its old bytes.
TEST_F(CliFolder, SignalOrClosedOutputStopsBetweenFilesAndNoFileIsHalfWritten) {
  std::string names;
  for (int i = 0; i < 100; ++i) names += " f" + std::to_string(i) + ".fit";
  const std::string cli = kCli + " apply --from-header --flip -j 1 --log log.txt" + names;
  const std::pair<std::string, int> stops[] = {
      {"rm -f lines; mkfifo lines; env --default-signal=INT " + cli +
           " >lines & { read -r line; kill -INT $!; cat; } <lines >/dev/null; wait $!; echo $? >status.txt",
       130},
      {"{ " + cli + "; echo $? >status.txt; } | head -1 >/dev/null", 141}};
  const std::string image = MakeFits(16, 16, kCaptureCards);
  for (const auto& [script, status] : stops) {
    for (int i = 0; i < 100; ++i) WriteBytes(dir / ("f" + std::to_string(i) + ".fit"), image);
    const Ran ran = RunIn(dir, "exec 2>&1; " + script);
    EXPECT_TRUE(Slurp(dir / "status.txt") == std::to_string(status) + "\n" &&
                ran.out.find("abgebrochen (Signal " + std::to_string(status - 128)) != std::string::npos)
        << ran.out;
    const std::string log = Slurp(dir / "log.txt");
    for (int i = 0; i < 100; ++i) {
      const std::string name = "f" + std::to_string(i) + ".fit", bytes = Slurp(dir / name);
      const bool logged = log.find("Output-Datei: " + name + " ") != std::string::npos;
      EXPECT_TRUE((i > 0 || logged) && (i < 99 || !logged) &&
                  (logged ? bytes.size() == image.size() && bytes.find("RA---TAN") != std::string::npos
                          : bytes == image))
          << status << " " << name;
    }
  }
}

TEST_F(CliFolder, ShowTellsWhatAReadShowsAndNothingIsWritten) {
  const std::string wcs =
      MakeFits(40, 27,
               {"CTYPE1  = 'RA---TAN'", "CTYPE2  = 'DEC--TAN'", "CRVAL1  = 92.225", "CRVAL2  = -0.5",
                "CRPIX1  = 20", "CRPIX2  = 10", "CDELT1  = -0.0004", "CDELT2  = 0.0004", "TELESCOP= 'C14'"});
  WriteBytes(dir / "wcs.fit", wcs);
  WriteBytes(dir / "plain.fit", MakeFits(3, 2, kCaptureCards));
  WriteBytes(dir / "nofocal.fit", MakeFits(3, 2, {kCaptureCards[0], kCaptureCards[1]}));
  const Ran text = RunIn(dir, kCli + " show wcs.fit missing.fit nofocal.fit");
  EXPECT_EQ(  // RA 6 h 8 min 53.99 s floored as the seconds field shows it
      std::to_string(text.status) + text.out,
      "1wcs.fit: Fitsfileheader gelesen | RA 6 8 53.9 (6.148333 h) | Dec -0 30 0 (-.5\u00b0) | X 20 | Y 10 | "
      "WCS ja | Instrument 'C14' -.0004 .0004 0\nmissing.fit: FATAL: Fitsdatei nicht lesbar (Datei nicht "
      "gefunden) | RA 0 0 0 (0 h) "
      "| Dec 0 0 0 (0\u00b0) | X 0 | Y 0 | WCS nein\nvelorin-cli: nicht lesbar: missing.fit\n"
      "nofocal.fit: Fitsfileheader gelesen | RA 0 0 0 (0 h) | Dec 0 0 0 (0\u00b0) | X 0 | Y 0 | WCS nein | "
      "--from-header: es fehlt FOCALLEN, XPIXSZ\n");
  const Ran json = RunIn(dir, kCli + " show --json plain.fit wcs.fit");
  EXPECT_EQ(
      std::to_string(json.status) + json.out,
      R"(0{"file":"plain.fit","ok":true,"status":"Fitsfileheader gelesen","ra_hms":"0 0 0","ra_hours":0,)"
      R"("dec_dms":"0 0 0","dec_degrees":0,"x":0,"y":0,"wcs":false,"instrument":null,"from_header":)"
      R"({"ra_hours":6.148334,"dec_degrees":24.32972,"x":2,"y":1,"scale_arcsec":1.463313}})"
      "\n"
      R"({"file":"wcs.fit","ok":true,"status":"Fitsfileheader gelesen","ra_hms":"6 8 53.9","ra_hours":6.148333,)"
      R"("dec_dms":"-0 30 0","dec_degrees":-0.5,"x":20,"y":10,"wcs":true,"instrument":{"name":"C14",)"
      R"("CDELT1":-0.0004,"CDELT2":0.0004,"CROTA2":0},"from_header":null})"
      "\n");
  EXPECT_EQ(Slurp(dir / "wcs.fit"), wcs);
}

// Choosing the flip mirrors Y at NAXIS2 + 1: a mirror beyond 16 bits is that
// file's error. A failed write is the window's test (the same write path).
TEST_F(CliFolder, RefusedSavesLeaveTheFileAsItWas) {
  const std::string tall = MakeFits(1, 32767, kCaptureCards);
  WriteBytes(dir / "tall.fit", tall);
  const Ran ran = RunIn(dir, kCli + " apply --from-header --y=-1 --flip tall.fit");
  EXPECT_NE(ran.out.find("tall.fit: Warnung: gespiegeltes Referenzpixel Y passt nicht in 16 Bit"),
            std::string::npos)
      << ran.out;
  EXPECT_TRUE(ran.status == 1 && Slurp(dir / "tall.fit") == tall);
  // A velorin.ini scale beyond float range would be no FITS number in CDELT1 (the composer's test has
  // the file's own CROTA2 3.4E38 and infinity), one of zero no scale at all: refused, the file as it was.
  WriteBytes(dir / "odd.ini", "[instruments]\n'Riese' 1E39 1E39 0\n'Null' 0 0.0004 0\n[end]\n");
  for (const auto& [row, status] : {std::pair{"Riese", "Error: Wert nicht als FITS-Zahl schreibbar"},
                                    {"Null", "Error: Maßstab null oder keine Zahl, nichts gespeichert"}}) {
    const Ran odd =
        RunIn(dir, kCli + " apply --ini odd.ini --instrument " + row + " --ra 1 --dec 2 tall.fit");
    EXPECT_TRUE(odd.status == 1 && Slurp(dir / "tall.fit") == tall &&
                odd.out.find(std::string("tall.fit: ") + status) != std::string::npos)
        << odd.out;
  }
}

TEST(JsonText, AnyBytesMakeValidJson) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\"b\\c", R"("a\"b\\c")"},
      {"tab\there", R"("tab\u0009here")"},
      {"M\xc3\xa4rz.fit", "\"M\xc3\xa4rz.fit\""},                       // valid UTF-8 stays
      {"M\xe4rz.fit", R"("M\u00e4rz.fit")"},                            // Latin-1 byte
      {"\xc0\xaf\xed\xa0\x80", R"("\u00c0\u00af\u00ed\u00a0\u0080")"},  // overlong, surrogate
      {"\xf0\x9f\x94\xad", "\"\xf0\x9f\x94\xad\""},
      {"\xe2\x82", R"("\u00e2\u0082")"},  // cut short
  };
  for (const auto& [bytes, json] : cases) EXPECT_EQ(cli::JsonString(bytes), json);
  EXPECT_EQ(cli::JsonNumber(std::string(" .5")) + cli::JsonNumber(std::string("-.25")) +
                cli::JsonNumber(std::nullopt),
            "0.5-0.25null");
}

}  // namespace
}  // namespace cli_test
