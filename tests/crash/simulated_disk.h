// A disk that loses power, under the program's own file calls: the crash
// test links with --wrap for each call below, so fits/ and the rest call
// this layer, which records and then does the real call. Per file it keeps
// each 4 KiB page as of its last flush and its flushed size; per folder the
// names made, replaced and removed since the folder's last flush. A crash
// keeps any subset of the unflushed pages, tears the write under way, and
// undoes a random tail of the unflushed name operations.
#pragma once

#include <string>

namespace simulated_disk {

// Records the calls on files in folder (the old files of replaced or removed
// names are kept reachable in shadow, on the same file system); the
// crashAt-th write, flush or name call crashes (0: none).
void Arm(const std::string& folder, const std::string& shadow, long crashAt, unsigned seed);
// Write, flush and name calls since Arm.
long Calls();
// Loses what is not yet on the disk and ends the process.
[[noreturn]] void CrashNow();

}  // namespace simulated_disk
