// Prints the usual console table and keeps each case's mean real time, so a
// benchmark can end with the ratios of its cases against their yardsticks.
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
    for (const Run& run : runs)
      seconds_[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
  }

  // "label: ratio" of the two cases' times, when both ran.
  void PrintRatio(const std::string& what, const std::string& base, const char* label) {
    if (seconds_.count(what) && seconds_.count(base))
      std::printf("%s: %.5f\n", label, seconds_[what] / seconds_[base]);
  }

 private:
  std::map<std::string, double> seconds_;
};
