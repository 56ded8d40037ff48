// Saving once the header is composed: the header-only rewrite (in place or
// in a copy) or the full rewrite with the rows flipped, true CHECKSUM and
// DATASUM, the output header in the log and the save's outcome. The window
// and the command line share it.
#pragma once

#include <optional>
#include <string>

#include "fits/header_composer.h"
#include "fits/pixel_copy.h"
#include "fits/platform_file.h"
#include "fits/save_result.h"
#include "pipeline/log_file.h"

namespace pipeline {

struct OutputRequest {
  std::string input;
  std::string output;  // the input itself for a save in place
  fits::ImageLayout layout;
  fits::platform::FileIdentity inputAsRead;  // a file changed since is not saved over
  bool flip = false;
  // A header-only save in place hands its written file here instead of
  // flushing it, when the caller flushes many at once.
  fits::platform::File* unflushed = nullptr;
};

// Why a save may not start: no usable header read, a WCS to write with no
// instrument row chosen, or a value to write that is no FITS number. Empty
// when it may.
std::optional<fits::SaveCode> RefusedSave(bool usableRead, const fits::HeaderPlan& plan, LogSink& log);

// Writes the output and logs its header between the opening and closing
// lines, the recomputed integrity cards and, on failure, why.
fits::SaveResult WriteOutput(const OutputRequest& request, fits::ComposedHeader& header, LogSink& log);

// The log line of a save that failed, with the reason.
std::string SaveErrorLine(std::string_view error);

// The status code of a finished save.
fits::SaveCode SaveStatus(const fits::SaveResult& result, bool cut);

}  // namespace pipeline
