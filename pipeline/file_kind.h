// Why a file that did not read as a FITS image is none Velorin takes, told
// in German: no such file, a folder, no read permission, a compressed file,
// no FITS file at all, an image in an extension or tile-compressed (fpack).
#pragma once

#include <string>

namespace pipeline {

// Empty when nothing more can be said than the read's own status.
std::string WhyNotAnImage(const std::string& path);

}  // namespace pipeline
