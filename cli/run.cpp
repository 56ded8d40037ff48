#include "cli/run.h"

#include <fstream>
#include <iostream>
#include <map>

#include "cli/apply_file.h"
#include "cli/batch.h"
#include "cli/json_text.h"
#include "cli/progress.h"
#include "cli/show_file.h"
#include "fits/platform_file.h"

namespace cli {
namespace {

// Files that are not run: a second name of a file already named, or a second
// input whose result would land on the same output name.
struct Skipped {
  std::optional<std::size_t> sameFile;
  std::optional<std::size_t> sameOutput;
};

std::vector<Skipped> FilesNotRun(const Options& options) {
  const auto earlier = EarlierNamesOfSameFile(options.files);
  std::vector<Skipped> skipped(options.files.size());
  std::map<std::string, std::size_t> outputs;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    skipped[i].sameFile = earlier[i];
    if (earlier[i] || options.output.empty()) continue;
    const std::string output = fits::platform::Utf8Name(
        fits::platform::NativePath(OutputName(options, options.files[i])).lexically_normal());
    const auto [at, inserted] = outputs.emplace(output, i);
    if (!inserted) skipped[i].sameOutput = at->second;
  }
  return skipped;
}

std::string ResultLine(const Options& options, const std::string& file, const FileResult& result) {
  if (!options.json) {
    std::string line = file + ": " + result.status + "\n";
    for (const std::string& card : result.headerCards) line += "  " + card + "\n";
    return line;
  }
  JsonObject object;
  object.String("file", file).Bool("ok", result.ok).String("status", result.status);
  for (std::size_t i = 0; i < kReportedCards.size(); ++i)
    object.Raw(kReportedCards[i], JsonNumber(result.values[i]));
  if (options.dryRun) {
    std::string cards = "[";
    for (const std::string& card : result.headerCards)
      cards += (cards.size() > 1 ? "," : "") + JsonString(card);
    object.Raw("header", cards + "]");
  }
  return object.Text() + "\n";
}

}  // namespace

int RunApply(const Options& options) {
  std::ofstream log;
  if (!options.logFile.empty() && !options.dryRun) {
    log.open(options.logFile, std::ios::binary | std::ios::trunc);
    if (!log.is_open()) {
      std::cerr << "velorin-cli: --log kann nicht angelegt werden: " << options.logFile << "\n";
      return 2;
    }
  }
  const std::vector<Skipped> skipped = FilesNotRun(options);
  std::vector<FileResult> results(options.files.size());
  Progress progress(options.files.size(), options.quiet);
  const auto work = [&](std::size_t i) {
    if (skipped[i].sameFile) return;
    if (skipped[i].sameOutput) {
      results[i].status = "Fehler: " + OutputName(options, options.files[i]) + " kommt schon von " +
                          options.files[*skipped[i].sameOutput] + "; nicht geändert";
    } else {
      results[i] = ApplyToFile(options, options.files[i]);
    }
    progress.FileDone(results[i].bytes);
  };
  bool allSaved = true;
  const auto report = [&](std::size_t i) {
    const std::string& file = options.files[i];
    FileResult& result = results[i];
    if (const auto first = skipped[i].sameFile) {
      result.ok = results[*first].ok;
      result.status = "dieselbe Datei wie " + options.files[*first] + ", nur einmal bearbeitet";
      progress.FileDone(0);
    }
    progress.Clear();
    std::cout << ResultLine(options, file, result) << std::flush;
    if (!result.ok) {
      allSaved = false;
      std::cerr << "velorin-cli: nicht gespeichert: " << file << ": " << result.status
                << (result.detail.empty() ? "" : " (" + result.detail + ")") << "\n";
    }
    if (log.is_open()) log << result.log << std::flush;
    // The log and the cards are written; only the outcome is kept.
    const bool ok = result.ok;
    result = FileResult();
    result.ok = ok;
    progress.Draw();
  };
  RunInOrder(options.files.size(), options.jobs, work, report, [&] { progress.Draw(); });
  progress.Clear();
  if (log.is_open() && !log) {
    std::cerr << "velorin-cli: --log nicht vollständig geschrieben: " << options.logFile << "\n";
    return 1;
  }
  return allSaved ? 0 : 1;
}

int RunShow(const Options& options) {
  std::vector<ShownFile> shown(options.files.size());
  bool allUsable = true;
  RunInOrder(
      options.files.size(), options.jobs,
      [&](std::size_t i) { shown[i] = ShowFile(options, options.files[i]); },
      [&](std::size_t i) {
        std::cout << shown[i].line << "\n" << std::flush;
        if (!shown[i].ok) {
          allUsable = false;
          std::cerr << "velorin-cli: nicht lesbar: " << options.files[i] << "\n";
        }
      },
      [] {});
  return allUsable ? 0 : 1;
}

}  // namespace cli
