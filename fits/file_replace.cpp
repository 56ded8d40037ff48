#include "fits/file_replace.h"

#include <filesystem>

namespace fits {

SaveResult ReplaceFile(const std::string& target, const std::string& input,
                       const std::function<bool(const platform::File&, std::string&)>& writeBody) {
  SaveResult result;
  std::error_code exists;
  const std::string& permissionsFrom = std::filesystem::exists(target, exists) ? target : input;
  std::string tempPath;
  platform::File temp = platform::CreateTempBeside(target, tempPath, result.error);
  if (!temp.IsOpen()) return result;
  const bool written = writeBody(temp, result.error) &&
                       platform::CopyPermissions(permissionsFrom, temp, result.error) &&
                       platform::Sync(temp, result.error);
  if (!temp.Close(result.error) || !written || !platform::RenameOver(tempPath, target, result.error)) {
    platform::Remove(tempPath);
    return result;
  }
  platform::SyncDirectoryOf(target);
  result.code = SaveCode::Saved;
  return result;
}

}  // namespace fits
