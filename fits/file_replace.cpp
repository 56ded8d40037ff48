#include "fits/file_replace.h"

namespace fits {

SaveResult ReplaceFile(const std::string& target, const std::string& input, const WriteBody& writeBody) {
  return detail::ReplaceFileVia(target, input, writeBody, &platform::CreateTempBeside);
}

SaveResult InputUnchanged(const std::string& input, const platform::FileIdentity& asRead) {
  SaveResult result;
  platform::FileIdentity now;
  if (!platform::IdentityOf(input, now, result.error)) {
    result.code = SaveCode::InputChanged;
    result.error += ", nichts geschrieben";
  } else if (now != asRead) {
    result.code = SaveCode::InputChanged;
    result.error = input + " wurde seit dem Lesen verändert, nichts geschrieben";
  } else {
    result.code = SaveCode::Saved;
  }
  return result;
}

bool RefusedAsWriteProtected(const std::string& path, SaveResult& result) {
  if (!platform::IsWriteProtected(path)) return false;
  result.code = SaveCode::ReadOnly;
  result.error = path + " ist schreibgeschützt, nichts geschrieben";
  return true;
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

namespace detail {

SaveResult ReplaceFileVia(const std::string& target, const std::string& input, const WriteBody& writeBody,
                          MakeTemp makeTemp) {
  SaveResult result;
  // A symbolic link is followed only to the input itself, so a file saved in
  // place through its link stays a link; at any other name the link itself
  // is replaced, and a save never writes through it into another file.
  const std::string real = IsSameFile(target, input) ? platform::FollowLinks(target) : target;
  if (RefusedAsWriteProtected(real, result)) return result;
  const std::uint64_t links = platform::HardLinkCount(real);
  if (links > 1) {
    result.code = SaveCode::HardLinked;
    result.error = real + " hat " + std::to_string(links) + " Hardlinks, nichts geschrieben";
    return result;
  }
  const bool targetExists = links > 0;  // a file is there whose attributes the new one keeps
  platform::TempFile temp = makeTemp(real, result.error);
  if (!temp.file.IsOpen()) return result;
  const bool written =
      writeBody(temp.file, result.error) &&
      platform::CopyAttributes(targetExists ? real : input, temp.file, targetExists, result.error) &&
      platform::Sync(temp.file, result.error);
  if (!written) {
    platform::Discard(temp);
    return result;
  }
  if (!platform::PutInPlace(temp, real, result.error)) return result;
  result.code = platform::SyncDirectoryOf(real, result.error) ? SaveCode::Saved : SaveCode::NotDurable;
  return result;
}

}  // namespace detail
}  // namespace fits
