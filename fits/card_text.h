// Small readers of card text shared by the header reader and the composer.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fits {

// The text without leading and trailing blanks.
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// The keyword of a card without its trailing blanks ("NAXIS1", "END").
std::string_view KeywordOf(std::string_view card);

// The value of a card whose column 11 opens a FITS string: the text up to the
// closing quote, doubled quotes read as one, trailing blanks dropped. Empty
// optional when column 11 holds no quote.
std::optional<std::string> StringValue(std::string_view card);

// The value field of a card: columns 11 to 80, up to the "/" that starts the
// comment. A "/" inside a quoted string belongs to the value; a doubled quote
// in a string opens and closes it at once.
std::string_view ValueField(std::string_view card);

// Where a string value ends: the column index (0-based) of its closing
// quote, or npos.
std::size_t ClosingQuote(std::string_view card);

}  // namespace fits
