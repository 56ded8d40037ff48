#include "fits/header_rewrite.h"

#include <algorithm>
#include <filesystem>
#include <utility>

#include "fits/file_replace.h"
#include "fits/platform_file.h"

namespace fits {
namespace {

constexpr std::int64_t kCopyPieceBytes = std::int64_t{4} << 20;

bool SizeKeepsDataOffset(std::string_view header, std::int64_t oldHeaderBytes, SaveResult& result) {
  if (static_cast<std::int64_t>(header.size()) == oldHeaderBytes) return true;
  result.error = "neuer Header hat " + std::to_string(header.size()) + " statt " +
                 std::to_string(oldHeaderBytes) + " Bytes, nichts geschrieben";
  return false;
}

}  // namespace

SaveResult RewriteHeaderInPlace(const std::string& path, std::string_view header, std::int64_t oldHeaderBytes,
                                platform::File* unflushed) {
  SaveResult result;
  if (!SizeKeepsDataOffset(header, oldHeaderBytes, result)) return result;
  if (RefusedAsWriteProtected(path, result)) return result;
  platform::File file = platform::OpenForUpdate(path, result.error);
  if (!file.IsOpen() || !WriteAt(file, header, 0, result.error)) return result;
  if (unflushed) {
    *unflushed = std::move(file);
    result.code = SaveCode::Saved;
  } else if (Sync(file, result.error) && file.Close(result.error)) {
    result.code = SaveCode::Saved;
  }
  return result;
}

SaveResult CopyWithNewHeader(const std::string& input, std::string_view header, std::int64_t oldHeaderBytes,
                             const std::string& target) {
  SaveResult result;
  if (!SizeKeepsDataOffset(header, oldHeaderBytes, result)) return result;
  platform::File source = platform::OpenForReading(input, result.error);
  std::int64_t size = 0;
  if (!source.IsOpen() || !FileSize(source, size, result.error)) return result;
  // The input is closed before the replace: Windows refuses to replace a
  // file that is still open, and target may be the input.
  return ReplaceFile(target, input, [&](const platform::File& output, std::string& error) {
    if (!Write(output, header, error)) return false;
    // In pieces, so the disk takes each one while the next is copied.
    for (std::int64_t offset = oldHeaderBytes; offset < size; offset += kCopyPieceBytes) {
      const std::int64_t piece = std::min(kCopyPieceBytes, size - offset);
      if (!CopyRange(source, offset, piece, output, error)) return false;
      platform::StartWriteBack(output, offset, piece);
    }
    return source.Close(error);
  });
}

bool IsSameFile(const std::string& a, const std::string& b) {
  // By the system's identity of a file, which also knows that names differing
  // in case or in the kind of slash are one on Windows.
  platform::FileIdentity first;
  platform::FileIdentity second;
  std::string error;
  return platform::IdentityOf(a, first, error) && platform::IdentityOf(b, second, error) &&
         first.device == second.device && first.inode == second.inode;
}

}  // namespace fits
