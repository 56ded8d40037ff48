// Prints the usual console table and keeps each case's real time per
// iteration (the median over repetitions where a case repeats, since disk
// flushes on this kind of machine vary a lot from run to run), so a benchmark
// can end with the ratios of its cases against their yardsticks, each held to
// its limit.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override;

  // Prints "label (limit L): ratio", with "OVER LIMIT" when the ratio is
  // above L, or why it could not be computed. Either counts as a failure.
  void PrintRatio(const std::string& what, const std::string& base, const std::string& label, double limit);

  // 0 when every printed ratio was computed and within its limit.
  int ExitCode() const { return failed_ ? 1 : 0; }

 private:
  struct Case {
    double seconds = -1.0;  // per iteration; below 0 until a run is kept
    double fastest = -1.0;  // of the single repetitions, to check the median by
    double slowest = -1.0;
    std::string fault;  // why the case has no usable time
  };

  void Keep(const Run& run);
  std::string FaultOf(const std::string& name) const;

  std::map<std::string, Case> cases_;
  bool failed_ = false;
};
