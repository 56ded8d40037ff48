#include "skycheck/astrometry_solve.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <fstream>

#include "coords/number_text.h"
#include "fits/card_text.h"
#include "fits/fits_sizes.h"
#include "skycheck/index_files.h"
#include "skycheck/program_run.h"
#include "skycheck/wcs_comparison.h"

namespace skycheck {
namespace {

std::string Number(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : "0";
}

// The cards of each header unit in turn: the primary, then the extensions.
std::vector<std::vector<std::string>> HeaderUnits(const std::filesystem::path& path, int count) {
  std::vector<std::vector<std::string>> units;
  std::ifstream file(path, std::ios::binary);
  std::string card(fits::kCardBytes, ' ');
  for (int unit = 0; unit < count; ++unit) {
    std::vector<std::string> cards;
    std::int64_t cardsRead = 0;
    while (file.read(card.data(), static_cast<std::streamsize>(card.size()))) {
      ++cardsRead;
      cards.push_back(card);
      if (fits::KeywordOf(card) == "END") break;
    }
    if (cards.empty() || fits::KeywordOf(cards.back()) != "END") break;
    // The data follow the header's last record, in whole records.
    std::int64_t bytes = 0, bitpix = 8, pcount = 0;
    int axes = 0;
    std::int64_t product = 1;
    for (const std::string& c : cards) {
      const std::string_view key = fits::KeywordOf(c);
      const auto value = static_cast<std::int64_t>(coords::ParseLeadingNumber(fits::ValueField(c)));
      if (key == "BITPIX") bitpix = value;
      if (key == "PCOUNT") pcount = value;
      if (key == "NAXIS") axes = static_cast<int>(value);
      if (key.starts_with("NAXIS") && key.size() > 5) product *= value;
    }
    if (axes > 0) bytes = std::llabs(bitpix) / 8 * (product + pcount);
    const auto records = [](std::int64_t n) {
      return (n + std::int64_t{fits::kRecordBytes} - 1) / std::int64_t{fits::kRecordBytes};
    };
    file.seekg(
        static_cast<std::streamoff>((records(cardsRead * std::int64_t{fits::kCardBytes}) + records(bytes)) *
                                    std::int64_t{fits::kRecordBytes}) -
            static_cast<std::streamoff>(cardsRead * std::int64_t{fits::kCardBytes}),
        std::ios::cur);
    units.push_back(std::move(cards));
  }
  return units;
}

// The rows of image2xy's star table.
int StarCount(const std::filesystem::path& starList) {
  const auto units = HeaderUnits(starList, 2);
  if (units.size() < 2) return 0;
  for (const std::string& card : units[1])
    if (fits::KeywordOf(card) == "NAXIS2")
      return static_cast<int>(coords::ParseLeadingNumber(fits::ValueField(card)));
  return 0;
}

std::string LastLine(std::string_view output) {
  const std::string_view trimmed = fits::TrimBlanks(output);
  const std::size_t start = trimmed.find_last_of('\n');
  return std::string(fits::TrimBlanks(start == std::string_view::npos ? trimmed : trimmed.substr(start + 1)));
}

std::string FieldText(double shortArcmin, double longArcmin) {
  return Fixed(longArcmin, 0) + "′ × " + Fixed(shortArcmin, 0) + "′";
}

struct Work {
  std::filesystem::path folder;
  ~Work() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
  }
};

std::string IndexConfig(const std::vector<IndexFile>& files) {
  std::string config = "inparallel\n";
  for (const IndexFile& file : files) config += "index " + file.path + "\n";
  return config;
}

Solution Solve(const std::string& image, int naxis1, int naxis2, const TanWcs& hint,
               const SolveSettings& settings) {
  Solution out;
  const double scale = ScaleArcsec(hint);
  const double longArcmin = std::max(naxis1, naxis2) * scale / 60.0;
  const double shortArcmin = std::min(naxis1, naxis2) * scale / 60.0;
  const QuadRange quads = QuadsForField(shortArcmin, longArcmin);
  if (!ProgramAvailable("image2xy") || !ProgramAvailable("solve-field")) {
    out.code = CanStartPrograms() ? SolveCode::NotInstalled : SolveCode::NotAvailable;
    out.detail = FittingPackages(quads);
    return out;
  }
  const std::vector<IndexFile> indexes = FittingIndexFiles(FindIndexFiles(settings.indexFolders), quads);
  if (indexes.empty()) {
    out.code = SolveCode::NoIndex;
    out.detail = "Feld " + FieldText(shortArcmin, longArcmin) + " braucht Quads von " +
                 Fixed(quads.lowArcmin, 1) + "′ bis " + Fixed(quads.highArcmin, 1) + "′, keine in";
    for (const auto& folder : settings.indexFolders) out.detail += " " + folder.string();
    const std::string packages = FittingPackages(quads);
    out.detail +=
        packages.empty() ? "; Debians Tycho-2-Pakete reichen erst ab 22′" : "; apt install " + packages;
    return out;
  }
  Work work{MakeWorkFolder()};
  if (work.folder.empty()) {
    out.detail = "kein Arbeitsordner im temporären Ordner";
    return out;
  }
  const std::filesystem::path stars = work.folder / "stars.fits";
  const double wall = settings.cpuLimitSeconds * 2 + 30;
  // A name beginning with "-" would be read as an option.
  const std::string input = image.starts_with('-') ? "./" + image : image;
  const ProgramRun found = RunProgram({"image2xy", "-O", "-o", stars.string(), input}, wall);
  out.stars = StarCount(stars);
  if (found.exitCode != 0) {
    out.code = found.timedOut ? SolveCode::TimeLimit : SolveCode::Failed;
    out.detail = found.timedOut ? Fixed(wall, 0) : "image2xy: " + LastLine(found.output + found.error);
    return out;
  }
  if (out.stars < kFewestStars) {
    out.code = SolveCode::TooFewStars;
    return out;
  }
  std::ofstream(work.folder / "index.cfg") << IndexConfig(indexes);
  const SkyPoint centre = PixelToSky(hint, (naxis1 + 1) / 2.0, (naxis2 + 1) / 2.0);
  const ProgramRun solved = RunProgram(
      {"solve-field", "--config", (work.folder / "index.cfg").string(), "--dir", work.folder.string(),
       "--temp-dir", work.folder.string(), "--no-plots", "--overwrite", "--ra", Number(centre.ra), "--dec",
       Number(centre.dec), "--radius", Number(kSearchFields * longArcmin / 60.0), "--scale-units",
       "arcsecperpix", "--scale-low", Number(scale * (1 - kScaleMargin)), "--scale-high",
       Number(scale * (1 + kScaleMargin)), "--cpulimit", Number(settings.cpuLimitSeconds),
       // The reference pixel at the centre, and a linear fit: the WCS Velorin writes.
       "--crpix-center", "--tweak-order", "1",
       // Neither step needs Python on a star list.
       "--no-remove-lines", "--uniformize", "0", "--x-column", "X", "--y-column", "Y", "--sort-column",
       "FLUX", "--width", std::to_string(naxis1), "--height", std::to_string(naxis2), stars.string()},
      wall);
  // solve-field ends with 0 when it found nothing: the solution file tells.
  const auto units = HeaderUnits(work.folder / "stars.wcs", 1);
  const std::optional<TanWcs> wcs = units.empty() ? std::nullopt : TanWcsFromCards(units[0]);
  if (wcs) {
    out.code = SolveCode::Solved;
    out.wcs = Recentred(*wcs, (naxis1 + 1) / 2.0, (naxis2 + 1) / 2.0);
  } else if (solved.timedOut || solved.cpuSeconds >= 0.9 * settings.cpuLimitSeconds) {
    out.code = SolveCode::TimeLimit;
    out.detail = Fixed(settings.cpuLimitSeconds, 0);
  } else if (solved.exitCode == 0) {
    out.code = SolveCode::NoMatch;
  } else {
    out.detail = "solve-field: " + LastLine(solved.output + solved.error);
  }
  return out;
}

}  // namespace

Solution SolveNear(const std::string& image, int naxis1, int naxis2, const TanWcs& hint,
                   const SolveSettings& settings) {
  const auto start = std::chrono::steady_clock::now();
  Solution out = Solve(image, naxis1, naxis2, hint, settings);
  out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return out;
}

std::string ReasonText(const Solution& s) {
  switch (s.code) {
    case SolveCode::Solved:
      return "gelöst in " + Fixed(s.seconds, 1) + " s, " + std::to_string(s.stars) + " Sterne";
    case SolveCode::NotAvailable:
      return "Prüfung am Himmel auf diesem System nicht verfügbar";
    case SolveCode::NotInstalled:
      return "astrometry.net ist nicht installiert (apt install astrometry.net" +
             (s.detail.empty() ? std::string() : " " + s.detail) + ")";
    case SolveCode::NoIndex:
      return "kein Index für diesen Maßstab (" + s.detail + ")";
    case SolveCode::TooFewStars:
      return "zu wenige Sterne (" + std::to_string(s.stars) + " gefunden, mindestens " +
             std::to_string(kFewestStars) + " nötig)";
    case SolveCode::TimeLimit:
      return "Zeitgrenze erreicht (" + s.detail + " s)";
    case SolveCode::NoMatch:
      return "keine Lösung nahe der eingetragenen Position beim eingetragenen Maßstab ±10 % (" +
             std::to_string(s.stars) + " Sterne)";
    case SolveCode::Failed:
      return "astrometry.net fehlgeschlagen: " + s.detail;
  }
  return {};
}

}  // namespace skycheck
