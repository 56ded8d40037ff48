// Prints the usual console table and keeps each case's real time per
// iteration (the median over repetitions where a case repeats, since disk
// flushes on this kind of machine vary a lot from run to run), so a benchmark
// can end with the ratios of its cases against their yardsticks.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      // A median is reported as one iteration of the median time.
      const double iterations = run.run_type == Run::RT_Aggregate ? 1.0 : static_cast<double>(run.iterations);
      seconds_[run.run_name.function_name] = run.real_accumulated_time / iterations;
    }
  }

  // "label: ratio" of the two cases' times, when both ran.
  void PrintRatio(const std::string& what, const std::string& base, const char* label) {
    if (seconds_.count(what) && seconds_.count(base))
      std::printf("%s: %.5f\n", label, seconds_[what] / seconds_[base]);
  }

 private:
  std::map<std::string, double> seconds_;
};
