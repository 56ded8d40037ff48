// The header-only rewrite: the new header goes over the first bytes of the
// file, every data byte staying where it was, behind a rollback journal; or,
// when the header no longer fits or another name is chosen, a copy with the
// new header that appears complete or not at all.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "fits/platform_file.h"
#include "fits/progress.h"
#include "fits/save_result.h"

namespace fits {

// A header to write over a file's own; one of another size than the old
// header would move the data and is refused without writing.
struct InPlaceHeader {
  std::string path;
  std::string header;
  std::int64_t oldHeaderBytes = 0;
  platform::FileIdentity asRead;  // a file changed since is not written
  std::string oldHeader;          // the header there now, once TakeOldHeader has it
};

// Checks that the header may go over the file's own and takes the old one
// (on a batch's worker threads, so the writer of the group has less to do);
// false with result set otherwise.
bool TakeOldHeader(const InPlaceHeader& in, std::string& oldHeader, SaveResult& result);

// Writes each header over its file's old one, the files of one folder behind
// one journal (old headers first on the disk, then the new ones, flushed file
// by file or by file system, then the journal removed). Each result is Saved
// only once its file's new header is on the disk; a failed file gets its old
// header back. A cut at any moment leaves each file old or new after the
// next read.
std::vector<SaveResult> RewriteHeadersInPlace(std::span<const InPlaceHeader> files);
SaveResult RewriteHeaderInPlace(const InPlaceHeader& file);

// Copies input to target with the new header in place of the old one (of
// oldHeaderBytes, either size); the copy appears complete or not at all.
// target may be input itself: the file is then written anew. progress hears
// of each piece copied.
SaveResult CopyWithNewHeader(const std::string& input, std::string_view header, std::int64_t oldHeaderBytes,
                             const std::string& target, const Progress& progress = nullptr);

}  // namespace fits
