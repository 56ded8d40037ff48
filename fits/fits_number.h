// Whether the values Velorin composes are FITS numbers. A value that is not
// (infinity, NaN, a float too large for nine decimals, a number cut at column
// 80) would be read as another number or as none, so the save is refused.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fits/header_composer.h"

namespace fits {

// An integer or real constant as FITS defines it: an optional sign, digits
// with at most one ".", at least one digit, then optionally "E" or "D", an
// optional sign and digits. No blanks inside, no lower-case exponent letter.
bool IsFitsNumber(std::string_view text);

struct UnwritableValue {
  std::string keyword;  // "CROTA2"
  std::string value;    // the value as composed, blanks trimmed
};

// The first of Velorin's own cards whose value, neither a string nor T or F,
// is not a FITS number ending before column 80: the five basic cards and,
// with a WCS to write, its block (the file's own WCS included). Carried cards
// stand as they were read. Composes the header to judge the very bytes a
// save writes.
std::optional<UnwritableValue> FirstUnwritableValue(const HeaderPlan& plan);

}  // namespace fits
