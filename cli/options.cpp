#include "cli/options.h"

#include <CLI/CLI.hpp>

#include "cli/option_values.h"

namespace cli {
namespace {

constexpr const char* kVersion = "velorin-cli 1.0";

constexpr const char* kExamples = R"(Beispiele:
  velorin-cli show --json bild.fit
  velorin-cli apply --ra "6 8 54" --dec "+24 19 47" --instrument "Refraktor 80/480 + ASI294MC" bild.fit
  velorin-cli apply --from-header --instrument "Refraktor 80/480 + ASI294MC" -j 4 --log nacht.txt nacht/*.fit
  velorin-cli check --from-header --instrument "Refraktor 80/480 + ASI294MC" -j 2 nacht/*.fit
  velorin-cli apply --solve --from-header --scale 1.46 nacht/*.fit
  find archiv -name '*.fit' -print0 | velorin-cli apply --from-header --flip --output gedreht -0 --files-from -

Exit-Status: 0 alles gespeichert (check: alles passt), 1 mindestens eine Datei nicht (jede
auf stderr genannt und unverändert), 2 falscher Aufruf (dann wird nichts gelesen oder geschrieben),
128 + Signalnummer abgebrochen: 130 Strg-C (SIGINT), 143 SIGTERM, 129 SIGHUP,
141 Ausgabe geschlossen (SIGPIPE); keine weitere Datei begonnen, jede fertige gemeldet.)";

void GermanLabels(CLI::App& app) {
  const auto formatter = app.get_formatter();
  for (const auto& [key, german] :
       std::initializer_list<std::pair<const char*, const char*>>{{"Usage", "Aufruf"},
                                                                  {"OPTIONS", "OPTIONEN"},
                                                                  {"Options", "Optionen"},
                                                                  {"Positionals", "Argumente"},
                                                                  {"REQUIRED", "PFLICHT"},
                                                                  {"SUBCOMMAND", "BEFEHL"},
                                                                  {"SUBCOMMANDS", "BEFEHLE"},
                                                                  {"Subcommands", "Befehle"},
                                                                  {"Excludes", "schließt aus"},
                                                                  {"Needs", "braucht"}})
    formatter->label(key, german);
}

// CLI11's own messages are English; each kind gets a German text, followed
// by what CLI11 names in it (an option, an argument, a value).
template <typename Kind>
bool Is(const CLI::ParseError& error) {
  return dynamic_cast<const Kind*>(&error) != nullptr;
}

// What an English message of CLI11 names: the option or argument, or the value.
std::string NamedIn(const CLI::ParseError& error) {
  const std::string detail = error.what();
  if (Is<CLI::RequiredError>(error)) return detail.substr(0, detail.find(" is required"));
  if (Is<CLI::ArgumentMismatch>(error)) return detail.substr(0, detail.find(':'));
  const std::size_t colon = detail.rfind(": ");
  return colon == std::string::npos ? std::string() : detail.substr(colon + 2);
}

std::string GermanError(const CLI::ParseError& error) {
  const std::string detail = error.what();
  if (detail.find("ubcommand") != std::string::npos)
    return "velorin-cli: es fehlt der Befehl show, apply oder check\nHilfe: velorin-cli --help\n";
  const std::string lead = Is<CLI::ExtrasError>(error)        ? "unbekannte Angabe"
                           : Is<CLI::RequiredError>(error)    ? "es fehlt eine nötige Angabe"
                           : Is<CLI::ArgumentMismatch>(error) ? "es fehlt der Wert"
                           : Is<CLI::ConversionError>(error)  ? "Wert nicht lesbar"
                           : Is<CLI::ValidationError>(error)  ? "Wert nicht erlaubt"
                                                              : "falscher Aufruf";
  const std::string named = NamedIn(error);
  return "velorin-cli: " + lead + (named.empty() ? "" : ": " + named) + "\nHilfe: velorin-cli --help\n";
}

// The texts as given; the number rules and velorin.ini check them after
// parsing. What makes the WCS to save, shared by apply and check.
void EntryOptions(CLI::App& apply, Options& options, OptionTexts& texts, const char* flipHelp) {
  const auto text = [&apply](const char* name, std::optional<std::string>& target, const char* help,
                             const char* type) { apply.add_option(name, target, help)->type_name(type); };
  text("--ra", texts.ra, "Rektaszension in Stunden (6.148) oder \"6 8 54.5\", \"06:08:54\"", "TEXT");
  text("--dec", texts.dec, "Deklination in Grad (24.33) oder \"+24 19 47.5\", \"-0:30:0\"", "TEXT");
  text("--x", texts.x, "Referenzpixel X, ganze Zahl (Vorgabe: Bildmitte)", "N");
  text("--y", texts.y, "Referenzpixel Y, ganze Zahl (Vorgabe: Bildmitte)", "N");
  text("--scale", texts.scale, "quadratische Pixel von ARCSEC Bogensekunden", "ARCSEC");
  text("--rotation", texts.rotation, "Drehung in Grad zu --scale oder --from-header (Vorgabe 0)", "DEG");
  text("-j", texts.jobs, "so viele Dateien gleichzeitig (Vorgabe: Zahl der Kerne)", "N");
  text("--ini", texts.ini, "diese velorin.ini statt ./velorin.ini", "PFAD");
  text("--files-from", texts.filesFrom, "Dateinamen, einer je Zeile, aus DATEI (- für stdin)", "DATEI");
  apply.add_flag("-0,--null", texts.nulEnded,
                 "die Namen in --files-from enden mit NUL (wie von find -print0, xargs -0)");
  text("--instrument", options.instrument, "Instrumentenzeile aus velorin.ini mit diesem Namen", "NAME");
  apply.add_flag("--from-header", options.fromHeader,
                 "Position aus OBJCTRA/OBJCTDEC oder RA/DEC (von EQUINOX auf J2000 umgerechnet), Maßstab aus "
                 "FOCALLEN und XPIXSZ/YPIXSZ");
  apply.add_flag("--replace-wcs", options.replaceWcs,
                 "Angaben oder --from-header ersetzen das WCS einer Datei, die schon eines hat");
  apply.add_flag("--flip", options.flip, flipHelp);
  apply
      .add_option(
          "--index", options.indexFolders,
          "Indexdateien von astrometry.net in diesem Ordner (Vorgabe: add_path aus /etc/astrometry.cfg "
          "und /usr/share/astrometry)")
      ->type_name("ORDNER")
      ->allow_extra_args(false);  // repeated, one folder each
  apply.add_flag("--quiet", options.quiet, "keine Fortschrittsanzeige");
  apply.add_flag("--json", options.json, "ein JSON-Objekt je Zeile");
  apply.add_option("dateien", options.files, "FITS-Dateien")->type_name("DATEI");
}

void ApplyOptions(CLI::App& apply, Options& options, OptionTexts& texts) {
  EntryOptions(apply, options, texts, "ganze Datei neu schreiben, Nord/Süd gespiegelt (flip Nord/Süd)");
  apply.add_flag("--check", options.check,
                 "vor dem Speichern mit astrometry.net am Himmel prüfen, nur was passt speichern");
  apply.add_flag(
      "--solve", options.solve,
      "mit astrometry.net lösen (nahe den Angaben) und die Lösung speichern: Referenzpixel Bildmitte, "
      "Instrument \"gelöst\"");
  apply.add_option("--output", options.output, "Ergebnisse unter eigenem Namen in diesen Ordner")
      ->type_name("ORDNER");
  apply.add_option("--log", options.logFile, "was logfile.txt des Fensters für jede Datei hält, hierhin")
      ->type_name("DATEI");
  apply.add_flag("--dry-run", options.dryRun, "lesen und zusammenstellen, nichts schreiben");
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, const char* const* argv) {
  CLI::App app("velorin-cli: schreibt ein TAN-WCS in FITS-Header, nach denselben Regeln wie das Fenster.",
               "velorin-cli");
  app.option_defaults()->group("Optionen");
  app.set_help_flag("-h,--help", "diese Hilfe zeigen");
  app.set_version_flag("--version", kVersion, "Version zeigen");
  app.footer(kExamples);
  GermanLabels(app);
  // On Windows too a name beginning with "/" is a file, not an option.
  app.allow_windows_style_options(false);
  app.require_subcommand(1);
  Options options;
  OptionTexts texts;
  CLI::App* show = app.add_subcommand("show", "zeigt für jede Datei, was \"fits lesen\" zeigt");
  show->group("Befehle");
  show->get_help_ptr()->group("Optionen");
  show->add_flag("--json", options.json, "ein JSON-Objekt je Zeile");
  show->add_option("dateien", options.files, "FITS-Dateien")->type_name("DATEI")->required();
  CLI::App* apply =
      app.add_subcommand("apply", "liest jede Datei und speichert sie wie \"fits speichern\" im Fenster");
  apply->group("Befehle");
  apply->get_help_ptr()->group("Optionen");
  ApplyOptions(*apply, options, texts);
  apply->footer(kExamples);
  CLI::App* check = app.add_subcommand(
      "check",
      "prüft mit astrometry.net am Himmel, ob das WCS stimmt, das apply speichern würde; schreibt nichts");
  check->group("Befehle");
  check->get_help_ptr()->group("Optionen");
  EntryOptions(*check, options, texts,
               "das WCS prüfen, das mit Nord/Süd-Spiegelung gespeichert würde (flip Nord/Süd)");
  check->footer(kExamples);

  ParsedCommandLine parsed;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == 0) {
      std::ostringstream out, err;
      app.exit(error, out, err);
      parsed.text = out.str();
      return parsed;
    }
    parsed.exitCode = 2;
    parsed.text = GermanError(error);
    return parsed;
  }
  options.command = show->parsed() ? Command::Show : check->parsed() ? Command::Check : Command::Apply;
  if (const std::string refused = CheckOptionValues(texts, options); !refused.empty()) {
    parsed.exitCode = 2;
    parsed.text = "velorin-cli: " + refused + "\n";
    return parsed;
  }
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace cli
