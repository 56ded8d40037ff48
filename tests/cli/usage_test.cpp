// Every usage error: exit 2, a German line naming the problem, and nothing
// read or written.
#include "cli_files.h"

namespace cli_test {
namespace {

TEST_F(CliFolder, UsageErrorsExitTwoAndTouchNothing) {
  const std::string image = MakeFits(20, 20, {"OBJCTRA = '06 08 54.00'"});
  WriteBytes(dir / "a.fit", image);
  WriteBytes(dir / "nul.txt", std::string("a.fit\0a.fit\n", 12));
  const auto before = fs::last_write_time(dir / "a.fit");
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"apply --bogus a.fit", "unbekannte Angabe"},
      {"apply", "keine Datei angegeben"},
      {"", "es fehlt der Befehl"},
      {"apply --ra abc --dec 1 a.fit", "--ra: keine Rektaszension"},
      {"apply --ra 6 --dec '1,5' a.fit", "--dec: keine Deklination"},
      {"apply --ra 6 --dec -90.01 a.fit", "--dec: Deklination außerhalb -90° bis +90°"},
      {"apply --x 40000 a.fit", "--x: kein Referenzpixel"},
      {"apply --y 123456 a.fit", "--y: kein Referenzpixel"},
      {"apply --scale -1 a.fit", "--scale: keine positive Zahl"},
      {"apply --scale 1 --rotation x a.fit", "--rotation: keine Zahl"},
      {"apply -j 0 a.fit", "-j: keine ganze Zahl"},
      {"apply --ra 6 a.fit", "--ra und --dec nur zusammen"},
      {"apply --rotation 5 a.fit", "--rotation nur mit"},
      {"apply --scale 1 --instrument 'Refraktor 80' a.fit", "schließen einander aus"},
      {"apply --instrument Unbekannt a.fit", "dort stehen: 'Refraktor 80', 'C14 Hyperstar'"},
      {"apply --ini fehlt.ini --instrument 'Refraktor 80' a.fit", "velorin.ini nicht lesbar: fehlt.ini"},
      {"apply --ini fehlt.ini --ra 1 --dec 2 --scale 1 a.fit", "velorin.ini nicht lesbar: fehlt.ini"},
      {"apply --output fehlt a.fit", "--output: kein vorhandener Ordner"},
      {"apply --output . a.fit", "--output ist der Ordner der Eingabe a.fit"},
      {"apply --files-from fehlt.txt", "--files-from: nicht lesbar"},
      {"apply --files-from nul.txt", "NUL-Zeichen in der Namensliste nul.txt"},
      {"apply -0 a.fit", "-0 nur mit --files-from"}};
  for (const auto& [arguments, message] : cases) {
    const Ran ran = RunIn(dir, kCli + " " + arguments + " --log log.txt");
    EXPECT_TRUE(ran.status == 2 && ran.out.find(message) != std::string::npos &&
                !fs::exists(dir / "log.txt") && Slurp(dir / "a.fit") == image &&
                fs::last_write_time(dir / "a.fit") == before)
        << arguments << ": " << ran.out;
  }
  // The log over an input under any of its names, or over another FITS image.
  fs::create_symlink("a.fit", dir / "link.fit");
  fs::create_hard_link(dir / "a.fit", dir / "hard.fit");
  WriteBytes(dir / "b.fit", image);
  for (const char* log : {"a.fit", "link.fit", "hard.fit", "b.fit"}) {
    const Ran ran = RunIn(dir, kCli + " apply --from-header --log " + log + " a.fit");
    EXPECT_TRUE(ran.status == 2 && ran.out.find("--log ist ") != std::string::npos &&
                Slurp(dir / "a.fit") == image && Slurp(dir / "b.fit") == image &&
                fs::is_symlink(dir / "link.fit"))
        << log << ": " << ran.out;
  }
}

}  // namespace
}  // namespace cli_test
