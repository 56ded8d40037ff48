#include "cli/option_values.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <iterator>
#include <thread>

#include "cli/instrument_rows.h"
#include "coords/typed_text.h"
#include "fits/file_replace.h"
#include "fits/platform_file.h"
#include "pipeline/configuration.h"
#include "skycheck/index_files.h"

namespace cli {
namespace {

constexpr double kMostJobs = 256;

// Names one a line (CR LF too; blank lines skipped), or with nulEnded each
// ended by a NUL byte as find -print0 writes them; "-" reads standard input.
// A NUL in a list of lines means the wrong kind of list: a name never has one.
std::string ReadNameList(const std::string& source, bool nulEnded, std::vector<std::string>& names) {
  std::ifstream file;
  std::istream* input = &std::cin;
  if (source != "-") {
    file.open(fits::platform::NativePath(source), std::ios::binary);
    if (!file.is_open()) return "--files-from: nicht lesbar: " + source;
    input = &file;
  }
  const std::string list{std::istreambuf_iterator<char>(*input), {}};
  if (input->bad()) return "--files-from: nicht lesbar: " + source;
  if (!nulEnded && list.find('\0') != std::string::npos)
    return "--files-from: NUL-Zeichen in der Namensliste " + source +
           " (Liste von find -print0: mit -0 lesen)";
  const char end = nulEnded ? '\0' : '\n';
  for (std::size_t at = 0; at < list.size();) {
    const std::size_t stop = std::min(list.find(end, at), list.size());
    std::string name = list.substr(at, stop - at);
    at = stop + 1;
    if (!nulEnded && name.ends_with('\r')) name.pop_back();
    if (nulEnded ? !name.empty() : name.find_first_not_of(" \t") != std::string::npos)
      names.push_back(std::move(name));
  }
  return {};
}

// The log is created anew before the first file is read: never over an
// input, under any of its names, nor over a FITS image.
std::string CheckLogFile(const Options& options) {
  if (options.logFile.empty()) return {};
  for (const std::string& file : options.files)
    if (fits::IsSameFile(options.logFile, file))
      return "--log ist die Eingabe " + file + "; sie wird nie überschrieben";
  // Only a regular file is read: a pipe given as log would wait for data.
  std::error_code ignored;
  const std::filesystem::path path = fits::platform::NativePath(options.logFile);
  std::ifstream existing;
  if (std::filesystem::is_regular_file(path, ignored)) existing.open(path, std::ios::binary);
  constexpr std::string_view kFitsStart = "SIMPLE  =";
  std::string start(kFitsStart.size(), '\0');
  if (existing.read(start.data(), static_cast<std::streamsize>(start.size())) && start == kFitsStart)
    return "--log ist eine FITS-Datei: " + options.logFile + "; sie wird nie überschrieben";
  return {};
}

std::string CheckNumbers(const OptionTexts& texts, Options& options) {
  if (texts.ra && !(options.raHours = coords::RaHoursFromText(*texts.ra)))
    return "--ra: keine Rektaszension, wie sie in die Felder getippt werden kann: " + *texts.ra;
  if (texts.dec && !(options.decDegrees = coords::DecDegreesFromText(*texts.dec)))
    return "--dec: keine Deklination, wie sie in die Felder getippt werden kann: " + *texts.dec;
  if (options.decDegrees && !(std::fabs(*options.decDegrees) <= 90.0f))
    return "--dec: Deklination außerhalb -90° bis +90°: " + *texts.dec;
  if (texts.x && !(options.x = coords::PixelFromText(*texts.x)))
    return "--x: kein Referenzpixel (ganze Zahl, höchstens 5 Zeichen, 16 Bit): " + *texts.x;
  if (texts.y && !(options.y = coords::PixelFromText(*texts.y)))
    return "--y: kein Referenzpixel (ganze Zahl, höchstens 5 Zeichen, 16 Bit): " + *texts.y;
  if (texts.scale) {
    const auto scale = coords::ParseWholeNumber(*texts.scale);
    if (!scale || !std::isfinite(*scale) || *scale <= 0.0)
      return "--scale: keine positive Zahl (Bogensekunden je Pixel): " + *texts.scale;
    options.scaleArcsec = static_cast<float>(*scale);
  }
  if (texts.rotation) {
    const auto rotation = coords::ParseWholeNumber(*texts.rotation);
    if (!rotation || !std::isfinite(*rotation)) return "--rotation: keine Zahl (Grad): " + *texts.rotation;
    options.rotation = static_cast<float>(*rotation);
  }
  options.jobs = std::max(1u, std::thread::hardware_concurrency());
  if (texts.jobs) {
    const auto jobs = coords::ParseWholeNumber(*texts.jobs);
    if (!jobs || *jobs < 1 || *jobs > kMostJobs || std::floor(*jobs) != *jobs)
      return "-j: keine ganze Zahl von 1 bis 256: " + *texts.jobs;
    options.jobs = static_cast<unsigned>(*jobs);
  }
  return {};
}

std::string CheckCombinations(const Options& options) {
  if (options.instrument && options.scaleArcsec) return "--instrument und --scale schließen einander aus";
  if (options.raHours.has_value() != options.decDegrees.has_value() && !options.fromHeader)
    return "--ra und --dec nur zusammen (oder mit --from-header)";
  if (options.rotation && !options.scaleArcsec && !options.fromHeader)
    return "--rotation nur mit --scale oder --from-header";
  if (options.rotation && options.instrument)
    return "--rotation nicht mit --instrument: die Zeile aus velorin.ini hat ihre eigene Drehung";
  return {};
}

// The sky check's settings: the index folders, by default astrometry.net's
// own, and velorin.ini's tolerance.
std::string CheckSkyOptions(Options& options) {
  const bool sky = options.command == Command::Check || options.check || options.solve;
  if (options.check && options.solve) return "--check und --solve schließen einander aus";
  if (!sky) return options.indexFolders.empty() ? "" : "--index nur mit check, --check oder --solve";
  for (const std::filesystem::path& folder : options.indexFolders) {
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error))
      return "--index: kein vorhandener Ordner: " + fits::platform::Utf8Name(folder);
  }
  if (options.indexFolders.empty()) options.indexFolders = skycheck::InstalledIndexFolders();
  options.tolerancePixels = LoadInstrumentRows(options).checkTolerance.value_or(options.tolerancePixels);
  return {};
}

std::string CheckOutputFolder(const Options& options) {
  if (options.output.empty()) return {};
  std::error_code error;
  using fits::platform::NativePath;
  if (!std::filesystem::is_directory(NativePath(options.output), error))
    return "--output: kein vorhandener Ordner: " + options.output;
  for (const std::string& file : options.files) {
    std::filesystem::path folder = NativePath(file).parent_path();
    if (folder.empty()) folder = ".";
    if (std::filesystem::equivalent(folder, NativePath(options.output), error))
      return "--output ist der Ordner der Eingabe " + file + "; die Eingabe wird nie überschrieben";
  }
  return {};
}

// Where velorin.ini was looked for, and where the example to copy lies.
std::string NoIniText(const std::filesystem::path& startDirectory) {
  std::string places;
  for (const std::filesystem::path& folder : config::IniFolders(startDirectory, pipeline::IniEnvironment()))
    places += (places.empty() ? "" : ", ") + fits::platform::Utf8Name(folder / config::kIniFileName);
  return "keine velorin.ini gefunden, gesucht: " + places +
         "; ein Beispiel zum Kopieren liegt in /usr/share/doc/velorin-cli/examples/velorin.ini "
         "(Windows: im ZIP neben velorin-cli.exe)";
}

}  // namespace

std::string CheckOptionValues(const OptionTexts& texts, Options& options) {
  if (std::string refused = CheckNumbers(texts, options); !refused.empty()) return refused;
  if (std::string refused = CheckCombinations(options); !refused.empty()) return refused;
  std::error_code error;
  options.startDirectory = std::filesystem::current_path(error);
  if (texts.ini) options.iniFile = fits::platform::NativePath(*texts.ini);
  if (texts.nulEnded && !texts.filesFrom) return "-0 nur mit --files-from";
  if (texts.filesFrom)
    if (std::string refused = ReadNameList(*texts.filesFrom, texts.nulEnded, options.files); !refused.empty())
      return refused;
  if (options.files.empty()) return "keine Datei angegeben";
  if (std::string refused = CheckLogFile(options); !refused.empty()) return refused;
  if (std::string refused = CheckSkyOptions(options); !refused.empty()) return refused;
  // A named file that cannot be read is an error whatever is asked of it.
  const IniRows rows =
      options.instrument || !options.iniFile.empty() ? LoadInstrumentRows(options) : IniRows{};
  if (!rows.opened && !options.iniFile.empty()) return "velorin.ini nicht lesbar: " + rows.path;
  if (options.instrument) {
    if (!rows.opened) return NoIniText(options.startDirectory);
    if (!FindRow(rows.rows, *options.instrument)) {
      std::string names;
      for (const config::Instrument& row : rows.rows) names += (names.empty() ? "'" : ", '") + row.name + "'";
      return "Instrument '" + *options.instrument + "' steht nicht in " + rows.path +
             (names.empty() ? "; dort steht keines" : "; dort stehen: " + names);
    }
  }
  return CheckOutputFolder(options);
}

}  // namespace cli
