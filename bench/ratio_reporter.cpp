#include "bench/ratio_reporter.h"

#include <cstdio>
#include <ostream>

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  ConsoleReporter::ReportRuns(runs);
  for (const Run& run : runs) Keep(run);
}

// Google Benchmark 1.7 reports a single run with the time summed over its
// iterations, and a median with the median of those sums scaled by
// repetitions / iterations and with iterations set to the repetitions: for
// both, the sum divided by iterations is the time of one iteration.
void RatioReporter::Keep(const Run& run) {
  Case& c = cases_[run.run_name.function_name];
  if (run.error_occurred) {
    c.fault = "failed: " + run.error_message;
    return;
  }
  if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") return;
  if (run.iterations <= 0) {
    c.fault = "no iterations";
    return;
  }
  const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
  if (run.run_type == Run::RT_Iteration) {
    c.fastest = c.fastest < 0 || seconds < c.fastest ? seconds : c.fastest;
    c.slowest = seconds > c.slowest ? seconds : c.slowest;
  } else if (c.fastest >= 0 && (seconds < c.fastest * (1 - 1e-9) || seconds > c.slowest * (1 + 1e-9))) {
    // A median outside its repetitions means the time per iteration was
    // taken wrong, and every ratio with it would be off by that factor.
    c.fault = "median outside its repetitions";
    return;
  }
  c.seconds = seconds;
}

std::string RatioReporter::FaultOf(const std::string& name) const {
  const auto found = cases_.find(name);
  if (found == cases_.end()) return name + " did not run";
  if (!found->second.fault.empty()) return name + " " + found->second.fault;
  if (found->second.seconds <= 0) return name + " has no time";
  return "";
}

void RatioReporter::PrintRatio(const std::string& what, const std::string& base, const std::string& label,
                               double limit) {
  char head[256];
  std::snprintf(head, sizeof head, "%s (limit %g): ", label.c_str(), limit);
  std::ostream& out = GetOutputStream();
  std::string fault = FaultOf(what);
  if (fault.empty()) fault = FaultOf(base);
  if (!fault.empty()) {
    failed_ = true;
    out << head << "NOT COMPUTED (" << fault << ")\n";
    return;
  }
  const double ratio = cases_.at(what).seconds / cases_.at(base).seconds;
  char value[64];
  std::snprintf(value, sizeof value, "%.5f", ratio);
  out << head << value;
  if (ratio > limit) {
    failed_ = true;
    out << "  OVER LIMIT";
  }
  out << '\n' << std::flush;
}
