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

// writeBody writes the whole content into the open temporary file; on false
// it has set error. The new file keeps the target's permissions, or takes
// the input's when the target is new.
SaveResult ReplaceFile(const std::string& target, const std::string& input,
                       const std::function<bool(const platform::File&, std::string&)>& writeBody);

}  // namespace fits
