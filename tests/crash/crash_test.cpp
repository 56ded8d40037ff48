// The power fails at each write, flush and name call of a save in turn, with
// several random choices of what had reached the disk: a header written in
// place, a grown header that rewrites the file, a flip, a command-line batch.
// After the program's next read, each file holds its old or its new bytes,
// its folder holds nothing else, and a file reported saved is new.
#include <functional>
#include <iostream>
#include <map>

#include "cli/field_state.h"
#include "cli/run.h"
#include "fits/read_status.h"
#include "pipeline/read_input.h"
#include "pipeline/write_output.h"
#include "tests/crash/simulated_disk.h"
#include "tests/fits/fits_test_files.h"

namespace {

namespace fs = std::filesystem;
using namespace fits_test;

// Crash runs per operation at least, spread over its calls.
constexpr long kRunsPerOperation = 255;

// In memory where it can be: the layer keeps what is durable, a disk would only add waits.
struct Disk {
  const fs::path base = fs::canonical(fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path()) /
                        ("velorin_crash_" + std::to_string(::getpid()));
  const std::string folder = base / "disk", shadow = base / "shadow", ini = base / "velorin.ini";
  Disk() { fs::create_directories(base), WriteBytes(ini, "[end]\n"); }
  ~Disk() { fs::remove_all(base); }
  std::string File(std::size_t i) const { return folder + "/f" + std::to_string(i) + ".fit"; }
};

struct Operation {
  const char* name;
  std::vector<std::string> oldFiles;  // f0.fit, f1.fit, ... in the folder
  std::function<void(const Disk&)> run;
};

std::vector<std::string> History(int cards) {
  std::vector<std::string> lines;
  for (int i = 0; i < cards; ++i) lines.push_back("HISTORY step " + std::to_string(i) + " of the reduction");
  return lines;
}

pipeline::InputRead Read(const std::string& path, const std::string& ini) {
  pipeline::LogBuffer log;
  cli::FieldState state(log);
  return pipeline::ReadInput({path, {}, false, 0, ini}, state, log);
}

// Reads the file and saves it in place with a WCS, as the window does.
void Save(const std::string& path, const std::string& ini, bool flip) {
  pipeline::LogBuffer log;
  pipeline::InputRead read = Read(path, ini);
  read.input.close();
  const fits::HeaderReadResult& h = read.header;
  fits::HeaderPlan plan;
  plan.bitpix = h.bitpix, plan.naxis1 = h.naxis1, plan.naxis2 = h.naxis2;
  plan.headerCardCount = h.headerCardCount;
  plan.writeWcs = true, plan.flip = flip, plan.keepOldSize = !flip;
  plan.crval1 = 92.25f, plan.crval2 = -5.5f, plan.crpix1 = 30, plan.crpix2 = 20;
  plan.instrument = config::Instrument{"Refraktor 80", -0.000417f, 0.000417f, 0.0f};
  plan.keepLines = read.keepLines;
  fits::ComposedHeader header = fits::ComposeHeader(plan);
  const fits::ImageLayout layout{h.bitpix, h.naxis1, h.naxis2,
                                 h.headerCardCount * std::int64_t{fits::kCardBytes}};
  pipeline::WriteOutput({path, path, layout, read.asRead, flip}, header, log);
}

void Batch(const Disk& disk, std::size_t files) {
  cli::Options options;
  for (std::size_t i = 0; i < files; ++i) options.files.push_back(disk.File(i));
  options.quiet = true, options.jobs = 2, options.iniFile = disk.ini;
  options.raHours = 6.15f, options.decDegrees = -5.5f, options.scaleArcsec = 1.5f;
  cli::RunApply(options);
}

// Runs the operation on the old files with the power failing at call
// crashAt, or after the last call; crashAt 0: never. Returns the calls.
long Run(const Disk& disk, const Operation& op, long crashAt, unsigned seed, std::string& reports) {
  for (const std::string& folder : {disk.folder, disk.shadow})
    fs::remove_all(folder), fs::create_directory(folder);
  for (std::size_t i = 0; i < op.oldFiles.size(); ++i) WriteBytes(disk.File(i), op.oldFiles[i]);
  std::ostringstream out, errors;
  std::streambuf* const stdoutBuffer = std::cout.rdbuf(out.rdbuf());
  std::streambuf* const stderrBuffer = std::cerr.rdbuf(errors.rdbuf());
  simulated_disk::Arm(disk.folder, disk.shadow, crashAt, seed);
  op.run(disk);
  std::cout.rdbuf(stdoutBuffer), std::cerr.rdbuf(stderrBuffer);
  reports = out.str();
  return simulated_disk::PowerOff();
}

void Simulate(const Operation& op) {
  const Disk disk;
  std::string reports;
  const long calls = Run(disk, op, 0, 0, reports);
  const std::set<std::string> files = Names(disk.folder);
  std::vector<std::string> fresh;
  for (std::size_t i = 0; i < op.oldFiles.size(); ++i) {
    fresh.push_back(Slurp(disk.File(i)));
    ASSERT_NE(fresh[i], op.oldFiles[i]) << op.name << ": not saved";
  }
  ASSERT_EQ(files.size(), fresh.size()) << op.name;
  const std::string saved = ": " + std::string(fits::StatusText(fits::SaveCode::Saved)) + "\n";
  long points = 0, outcomes[3] = {};                           // old, new, mixed
  std::map<std::string, std::pair<long, std::string>> faults;  // kind: how often, where first
  const long rounds = (kRunsPerOperation + calls) / (calls + 1);
  for (long call = 1; call <= calls + 1; ++call)
    for (long round = 0; round < rounds; ++round, ++points) {
      Run(disk, op, call, unsigned(call * 1000 + round), reports);
      const std::string where = "at call " + std::to_string(call) + " of " + std::to_string(calls) +
                                ", round " + std::to_string(round) + ": ";
      const auto fault = [&](const std::string& kind, const std::string& what) {
        if (faults[kind].first++ == 0) faults[kind].second = where + what;
      };
      for (std::size_t i = 0; i < fresh.size(); ++i) Read(disk.File(i), disk.ini);
      for (std::size_t i = 0; i < fresh.size(); ++i) {
        const std::string bytes = Slurp(disk.File(i));
        const int outcome = bytes == op.oldFiles[i] ? 0 : bytes == fresh[i] ? 1 : 2;
        ++outcomes[outcome];
        if (outcome == 2) fault("file mixed", disk.File(i));
        // After the last call every save has returned, and a returned save is on the disk.
        if (outcome != 1 && (call > calls || reports.find(disk.File(i) + saved) != std::string::npos))
          fault("file saved, not new", disk.File(i));
      }
      for (const std::string& name : Names(disk.folder))
        if (!files.contains(name)) fault("file left in the folder", name);
    }
  std::printf("[ crashes  ] %s: %ld calls, %ld crash points; files old %ld, new %ld, mixed %ld\n", op.name,
              calls, points, outcomes[0], outcomes[1], outcomes[2]);
  for (const auto& [kind, seen] : faults)
    ADD_FAILURE() << op.name << ": " << kind << " after " << seen.first << " crashes, first " << seen.second;
}

}  // namespace

TEST(PowerLoss, EachSaveIsOldOrNewAndSavedMeansNew) {
  const auto save = [](bool flip) {
    return [flip](const Disk& disk) { Save(disk.File(0), disk.ini, flip); };
  };
  std::vector<std::string> batch;
  for (int i = 0; i < 4; ++i) batch.push_back(MakeFits(40 + i, 30, History(34)));
  // Headers of two records lie over two pages of the disk. The grown header's 34 cards fill one record;
  // with the WCS they need a second.
  const Operation operations[] = {{"header in place", {MakeFits(64, 48, History(40))}, save(false)},
                                  {"grown header", {MakeFits(64, 48, History(28))}, save(false)},
                                  {"flip", {MakeFits(64, 48, History(3))}, save(true)},
                                  {"batch in place", batch, [](const Disk& disk) { Batch(disk, 4); }}};
  for (const Operation& operation : operations) Simulate(operation);
}
