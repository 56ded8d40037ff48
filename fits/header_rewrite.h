// The header-only rewrite: the new header, exactly as long as the old one,
// goes over the first bytes of the file; every data byte stays where it was.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fits/platform_file.h"
#include "fits/save_result.h"

namespace fits {

// Writes the header at offset 0 of the file itself and flushes it, or, with
// unflushed, hands the written file over for the caller to flush together
// with others (platform::SyncAll) before it calls the file saved.
// oldHeaderBytes guards the data's offset: a header of another size is
// refused without writing.
SaveResult RewriteHeaderInPlace(const std::string& path, std::string_view header, std::int64_t oldHeaderBytes,
                                platform::File* unflushed = nullptr);

// Copies input to target with the new header in place of the old one; the
// copy appears complete or not at all, and input is never changed.
SaveResult CopyWithNewHeader(const std::string& input, std::string_view header, std::int64_t oldHeaderBytes,
                             const std::string& target);

// Whether two names lead to the same file (a link, "./", another spelling of
// the same path), so that a file is never copied onto itself.
bool IsSameFile(const std::string& a, const std::string& b);

}  // namespace fits
