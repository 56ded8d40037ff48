#include "cli/run.h"

#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <set>

#include "cli/apply_file.h"
#include "cli/batch.h"
#include "cli/json_text.h"
#include "cli/progress.h"
#include "cli/show_file.h"
#include "cli/sky_check_file.h"
#include "fits/header_journal.h"
#include "fits/platform_file.h"
#include "pipeline/write_output.h"

namespace cli {
namespace {

// Files that are not run: a second name of a file already named, or a second
// input whose result would land on the same output name, as the file system
// compares names.
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
    const std::string output = fits::platform::NameKey(fits::platform::Utf8Name(
        fits::platform::NativePath(OutputName(options, options.files[i])).lexically_normal()));
    const auto [at, inserted] = outputs.emplace(output, i);
    if (!inserted) skipped[i].sameOutput = at->second;
  }
  return skipped;
}

std::string ResultLine(const Options& options, const std::string& file, const FileResult& result,
                       const std::vector<std::string>& warnings) {
  if (!options.json) {
    // A file saved after the sky was asked says what it said.
    const std::string sky = result.ok && result.sky ? " (" + SkySummary(*result.sky) + ")" : "";
    std::string line = file + ": " + result.status + sky + WarningCount(warnings.size()) + "\n";
    for (const std::string& card : result.headerCards) line += "  " + card + "\n";
    return line;
  }
  JsonObject object;
  object.String("file", file).Bool("ok", result.ok).String("status", result.status);
  object.Raw("warnings", JsonStrings(warnings));
  for (std::size_t i = 0; i < kReportedCards.size(); ++i)
    object.Raw(kReportedCards[i], JsonNumber(result.values[i]));
  if (options.dryRun) object.Raw("header", JsonStrings(result.headerCards));
  if (result.sky) object.Raw("sky", SkyJson(*result.sky));
  return object.Text() + "\n";
}

// Saves an earlier run left cut short are put right before any file is read,
// once for each folder (the workers' reads leave it out).
void RecoverFolders(const std::vector<std::string>& files, std::ofstream& log) {
  std::set<std::string> folders;
  for (const std::string& file : files) {
    if (!folders.insert(fits::platform::FolderOf(file)).second) continue;
    for (const std::string& line : fits::RecoverInterruptedSaves(file).logLines) {
      std::cerr << "velorin-cli: " << line << "\n";
      if (log.is_open()) log << line << "\r\n";
    }
  }
}

// A closed standard output (a pipe whose reader ended) stops the batch as a
// signal would: nobody sees the lines of further files.
void PrintLine(const std::string& line) {
  std::cout << line << std::flush;
  if (!std::cout) fits::platform::RequestStop(fits::platform::kClosedPipeSignal);
}

// The exit status of a stopped batch, 128 + the signal's number as a shell
// gives for a program the signal ended; the files done are reported.
int Interrupted(std::size_t notStarted) {
  const int signal = fits::platform::StopSignal();
  std::cerr << "velorin-cli: abgebrochen (Signal " << signal << "), " << notStarted
            << " Dateien nicht begonnen\n";
  return 128 + signal;
}

constexpr std::size_t kMostPending = 1024;
constexpr auto kLongestWait = std::chrono::seconds(1);

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
  RecoverFolders(options.files, log);
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
  const auto print = [&](std::size_t i) {
    const std::string& file = options.files[i];
    FileResult& result = results[i];
    if (const auto first = skipped[i].sameFile) {
      result.ok = results[*first].ok;
      result.status = "dieselbe Datei wie " + options.files[*first] + ", nur einmal bearbeitet";
      progress.FileDone(0);
    }
    progress.Clear();
    const std::vector<std::string> warnings = WarningLines(result.log);
    PrintLine(ResultLine(options, file, result, warnings));
    for (const std::string& warning : warnings)
      std::cerr << "velorin-cli: " << file << ": " << warning << "\n";
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
  // Headers written in place go to the disk many at once, behind one journal
  // per folder; the lines of the files reported since the first of them wait
  // for that, so that no file is called saved before it is on the disk. Each
  // waits a second at most, and only so many wait; they hold no file open.
  std::vector<std::size_t> waiting;
  std::size_t pending = 0;
  auto firstWaiting = std::chrono::steady_clock::now();
  const auto flushWaiting = [&] {
    std::vector<fits::InPlaceHeader> headers;
    std::vector<std::size_t> owners;
    for (const std::size_t i : waiting)
      if (results[i].pending) {
        headers.push_back(std::move(*results[i].pending));
        results[i].pending.reset();
        owners.push_back(i);
      }
    const std::vector<fits::SaveResult> saved = fits::RewriteHeadersInPlace(headers);
    for (std::size_t k = 0; k < saved.size(); ++k) {
      if (saved[k].ok()) continue;
      FileResult& result = results[owners[k]];
      result.ok = false;
      result.status = fits::StatusText(saved[k].code);
      result.detail = saved[k].error;
      result.values = {};
      result.log += pipeline::SaveErrorLine(saved[k].error) + "\r\n";
    }
    for (const std::size_t i : waiting) print(i);
    waiting.clear();
    pending = 0;
  };
  const auto flushWhenDue = [&] {
    if (!waiting.empty() &&
        (pending >= kMostPending || std::chrono::steady_clock::now() - firstWaiting >= kLongestWait))
      flushWaiting();
  };
  const auto report = [&](std::size_t i) {
    if (waiting.empty() && !results[i].pending) return print(i);
    if (waiting.empty()) firstWaiting = std::chrono::steady_clock::now();
    waiting.push_back(i);
    pending += results[i].pending.has_value();
    flushWhenDue();
  };
  const std::size_t notStarted = RunInOrder(options.files.size(), options.jobs, work, report, [&] {
    flushWhenDue();
    progress.Draw();
  });
  flushWaiting();
  progress.Clear();
  const bool logComplete = !log.is_open() || log;
  if (!logComplete)
    std::cerr << "velorin-cli: --log nicht vollständig geschrieben: " << options.logFile << "\n";
  if (fits::platform::StopSignal() != 0) return Interrupted(notStarted);
  return allSaved && logComplete ? 0 : 1;
}

int RunCheck(const Options& options) {
  std::ofstream noLog;
  RecoverFolders(options.files, noLog);
  const auto earlier = EarlierNamesOfSameFile(options.files);
  std::vector<FileResult> results(options.files.size());
  Progress progress(options.files.size(), options.quiet);
  bool allFit = true;
  const std::size_t notStarted = RunInOrder(
      options.files.size(), options.jobs,
      [&](std::size_t i) {
        if (!earlier[i]) results[i] = CheckFile(options, options.files[i]);
        progress.FileDone(results[i].bytes);
      },
      [&](std::size_t i) {
        const std::string& file = options.files[i];
        FileResult& result = results[i];
        if (const auto first = earlier[i]) {
          result.ok = results[*first].ok;
          result.status = "dieselbe Datei wie " + options.files[*first] + ", nur einmal geprüft";
        }
        progress.Clear();
        const std::vector<std::string> warnings = WarningLines(result.log);
        if (options.json) {
          JsonObject object;
          object.String("file", file).Bool("ok", result.ok).String("status", result.status);
          object.Raw("warnings", JsonStrings(warnings));
          object.Raw("sky", result.sky ? SkyJson(*result.sky) : "null");
          PrintLine(object.Text() + "\n");
        } else {
          PrintLine(file + ": " + result.status + WarningCount(warnings.size()) + "\n");
        }
        for (const std::string& warning : warnings)
          std::cerr << "velorin-cli: " << file << ": " << warning << "\n";
        if (!result.ok) {
          allFit = false;
          std::cerr << "velorin-cli: passt nicht: " << file << "\n";
        }
        // Only the outcome is kept.
        const bool ok = result.ok;
        result = FileResult();
        result.ok = ok;
        progress.Draw();
      },
      [&] { progress.Draw(); });
  progress.Clear();
  if (fits::platform::StopSignal() != 0) return Interrupted(notStarted);
  return allFit ? 0 : 1;
}

int RunShow(const Options& options) {
  std::ofstream noLog;
  RecoverFolders(options.files, noLog);
  std::vector<ShownFile> shown(options.files.size());
  bool allUsable = true;
  const std::size_t notStarted = RunInOrder(
      options.files.size(), options.jobs,
      [&](std::size_t i) { shown[i] = ShowFile(options, options.files[i]); },
      [&](std::size_t i) {
        PrintLine(shown[i].line + "\n");
        if (!shown[i].ok) {
          allUsable = false;
          std::cerr << "velorin-cli: nicht lesbar: " << options.files[i] << "\n";
        }
      },
      [] {});
  if (fits::platform::StopSignal() != 0) return Interrupted(notStarted);
  return allUsable ? 0 : 1;
}

}  // namespace cli
