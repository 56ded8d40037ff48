// Puts benchmark inputs on the disk before timing starts, so that a timed
// fsync pays only for what the timed code itself wrote, not for pages still
// waiting from making the inputs.
#pragma once

#include <filesystem>
#include <string>

namespace bench {

// Flushes the file and its folder, then lets the machine's dirty pages
// drain. False when the file cannot be flushed.
bool MakeDurable(const std::string& path);

// Writes out dirty pages of every file and waits, for a bounded time, until
// few are left (other programs may keep writing meanwhile).
void SettleDisk();

// Whether files in the folder live in memory (tmpfs, ramfs), where fsync
// costs nothing and a save benchmark would measure nothing.
bool IsInMemory(const std::string& folder);

// A benchmark's scratch folder of this name in $VELORIN_BENCH_DIR, or else in
// the current directory.
std::filesystem::path BenchDir(const char* name);

// Creates the scratch folder; false, with a line on standard error, when it
// cannot be made or lies in memory, where flushes would measure nothing.
bool MakeScratchFolder(const std::filesystem::path& dir);

}  // namespace bench
