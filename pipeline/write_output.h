// Saving once the header is composed: the header-only rewrite (in place or
// in a copy) or the full rewrite with the rows flipped, true CHECKSUM and
// DATASUM, the output header in the log and the save's outcome. The window
// and the command line share it.
#pragma once

#include <optional>
#include <string>

#include "fits/header_composer.h"
#include "fits/header_rewrite.h"
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
  // A header-only save in place hands its header here instead of writing it,
  // when the caller writes many at once behind one journal.
  std::optional<fits::InPlaceHeader>* deferred = nullptr;
  fits::Progress progress = nullptr;  // hears how far the data of a flip or a copy are written
};

// Why a save may not start: no usable header read, a WCS to write with no
// instrument row chosen, with a declination beyond a pole or with a scale of
// zero or no number, or a value to write that is no FITS number. Empty when
// it may.
std::optional<fits::SaveCode> RefusedSave(bool usableRead, const fits::HeaderPlan& plan, LogSink& log);

// Writes the output and logs its header between the opening and closing
// lines, the recomputed integrity cards, a header grown by whole records
// and, on failure, why. A header-only save whose header no longer fits the
// old records writes the whole file anew, never cutting a card.
fits::SaveResult WriteOutput(const OutputRequest& request, fits::ComposedHeader& header, LogSink& log);

// The log line of a save that failed, with the reason.
std::string SaveErrorLine(std::string_view error);

}  // namespace pipeline
