// Replaces a file whole: the new content goes to a temporary file beside the
// target, is flushed to disk, and is renamed over the target only when all of
// it was written. A crash at any moment leaves the old file or the complete
// new one, never a mix.
#pragma once

#include <functional>
#include <string>

#include "fits/platform_file.h"
#include "fits/save_result.h"

namespace fits {

// Writes the whole content into the open temporary file; on false it has set error.
using WriteBody = std::function<bool(const platform::File&, std::string&)>;

// The new file keeps the target's permissions and, where the process may,
// its owner and group, or takes the input's permissions when the target is
// new. A symbolic link as target that leads to the input stays a link: the
// input is replaced; a link at any other target name is replaced itself,
// never followed. Refused without writing: a write-protected target (ReadOnly), and
// one with other hard links that a rename would split off (HardLinked). When
// the folder cannot be flushed after the rename the file is replaced, but the
// code is NotDurable.
SaveResult ReplaceFile(const std::string& target, const std::string& input, const WriteBody& writeBody);

// Saved while the file at input is still the one read (same file, size and
// modification time), else InputChanged: a save must not overwrite what
// another program changed meanwhile.
SaveResult InputUnchanged(const std::string& input, const platform::FileIdentity& asRead);

// Whether two names lead to the same file (a link, "./", another spelling of
// the same path), so that a file is never copied onto itself.
bool IsSameFile(const std::string& a, const std::string& b);

// Sets result to ReadOnly for an existing target the user may not write:
// every way of saving refuses it alike.
bool RefusedAsWriteProtected(const std::string& path, SaveResult& result);

namespace detail {

// ReplaceFile with the temporary made by makeTemp, so that the tests can take
// the way of file systems without unnamed files.
using MakeTemp = platform::TempFile (*)(const std::string& target, std::string& error);
SaveResult ReplaceFileVia(const std::string& target, const std::string& input, const WriteBody& writeBody,
                          MakeTemp makeTemp);

}  // namespace detail
}  // namespace fits
