// A disk that loses power, under the program's own file calls: the crash
// test links with --wrap for each call named in tests/CMakeLists.txt, so
// fits/ and the rest call this layer, which records and then does the real
// call. Per file it keeps each 4 KiB page as of the file's last flush and
// that flush's size; per folder the names made, replaced and removed since
// its last flush. Losing power keeps any subset of the unflushed pages,
// tears the write under way, and undoes a random tail of the unflushed name
// operations.
#pragma once

#include <string>

namespace simulated_disk {

// Records the calls on files in folder, a path without links (the files that
// a rename replaced or an unlink removed stay reachable in shadow, on the same
// file system). The power fails at the crashAt-th write, flush or name call:
// that call is torn or not done, and it and every later one fail with EIO,
// so the program runs on to its end without changing the disk. crashAt 0:
// never, and nothing is lost.
void Arm(const std::string& folder, const std::string& shadow, long crashAt, unsigned seed);
// Loses what had not reached the disk when the power failed, or now when it
// has not failed yet; stops recording. Returns the calls counted.
long PowerOff();

}  // namespace simulated_disk
