// Runs the files of one command on several threads; each file's work is its
// own, and results are reported in the order of the arguments.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace cli {

// Calls work(i) for every i below count on up to jobs threads, and report(i)
// on the calling thread in order of i, each as soon as it and all before it
// are done; idle() is called about five times a second while waiting. Once
// fits::platform::StopSignal() is set, no further work(i) begins and those
// files are not reported; returns how many were not begun.
std::size_t RunInOrder(std::size_t count, unsigned jobs, const std::function<void(std::size_t)>& work,
                       const std::function<void(std::size_t)>& report, const std::function<void()>& idle);

// For each name, the first earlier name of the same file (device and inode,
// taken before anything runs); names that cannot be looked up stand alone.
std::vector<std::optional<std::size_t>> EarlierNamesOfSameFile(const std::vector<std::string>& files);

}  // namespace cli
