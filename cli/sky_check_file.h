// The check against the sky on the command line: `check` for each file, and
// apply's --check before a save and --solve, which types astrometry.net's
// solution into the fields.
#pragma once

#include <string>

#include "cli/apply_file.h"
#include "cli/file_result.h"
#include "cli/options.h"

namespace cli {

// The file read and its entries typed as apply would, then the header that
// would be saved checked against the sky; the file is only read. ok when it
// fits.
FileResult CheckFile(const Options& options, const std::string& path);

// apply --check: the composed header checked; the German refusal unless it fits.
std::string CheckBeforeSave(const Options& options, const std::string& path, Road& road, FileResult& result);

// apply --solve: the image solved near the composed header, and the solution
// typed into the fields: the reference pixel at the image centre as the fields
// round it, its position, and an instrument row "gelöst" with the solved scale
// and rotation. A solution seen in the mirror is refused, never written as a
// rotation. The German refusal, empty when the header is composed anew.
std::string SolveIntoFields(const Options& options, const std::string& path, Road& road, FileResult& result);

// What the sky said as one JSON object.
std::string SkyJson(const skycheck::SkyCheck& sky);

// A short German summary for the result line of a saved file.
std::string SkySummary(const skycheck::SkyCheck& sky);

}  // namespace cli
