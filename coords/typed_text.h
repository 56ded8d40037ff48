// Texts as a person types them into the entry fields, for faces other than
// the window: the fields' typing limits, and a position typed as one number
// or as its sexagesimal parts.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace coords {

// An entry field's typing limit: at most maxLength characters (0: none), and
// with fitsInteger a text that rounds into 16 bits.
struct FieldLimit {
  int maxLength = 0;
  bool fitsInteger = false;
};
inline constexpr FieldLimit kRaDecimalField{0, false};   // tb_r
inline constexpr FieldLimit kRaHoursField{3, false};     // tb_r_HH
inline constexpr FieldLimit kRaMinutesField{3, false};   // tb_r_MM
inline constexpr FieldLimit kRaSecondsField{5, false};   // tb_r_SS
inline constexpr FieldLimit kDecDecimalField{0, false};  // tb_d
inline constexpr FieldLimit kDecDegreesField{4, false};  // tb_d_dg
inline constexpr FieldLimit kDecMinutesField{3, false};  // tb_d_MM
inline constexpr FieldLimit kDecSecondsField{3, false};  // tb_d_SS
inline constexpr FieldLimit kPixelField{5, true};        // tb_x, tb_y
// Typed seconds of a declination take what the RA seconds field takes
// ("47.5"); tb_d_SS itself holds three characters ("7.5").
inline constexpr FieldLimit kDecSecondsTyped = kRaSecondsField;

// Whether the text may stand in a field with this limit: the rule the window
// applies to every key typed. The text is UTF-8; its length is counted as the
// window counts it, one per character and two for one beyond U+FFFF.
bool TypingAllowed(std::string_view text, FieldLimit limit);

// The value a decimal field (tb_r, tb_d) takes from its text: the leading
// number, in single precision.
float DecimalFieldValue(std::string_view text);

// The value a reference pixel field (tb_x, tb_y) takes from its text; empty
// when it does not fit 16 bits (the field then keeps its value).
std::optional<std::int16_t> PixelFieldValue(std::string_view text);

// A number text as a whole: the leading-number rule (blanks inside skipped,
// as the fields skip them), with nothing but blanks, tabs or line feeds after
// the number. Empty for a text without a number or with anything else after
// it ("", "abc", "12,5", "1.5x").
std::optional<double> ParseWholeNumber(std::string_view text);

// A position as a person would type it: one number as into tb_r (hours) or
// tb_d (degrees), or two or three parts separated by blanks or a colon as
// into the sexagesimal fields ("6 8 54", "06:08:54", "-0 30 0"; a missing
// part counts 0, as an untouched field's "0" does). Each part must be a whole
// number text and obey its field's typing limit (the seconds of a
// declination kDecSecondsTyped); otherwise empty. The results are those the
// window's fields give for the same parts.
std::optional<float> RaHoursFromText(std::string_view text);
std::optional<float> DecDegreesFromText(std::string_view text);

// The same for a position another program wrote (OBJCTRA '06 08 54.00',
// OBJCTDEC '+24 19 47.0'): the same parts and results, without the fields'
// typing limits.
std::optional<float> RaHoursFromWrittenText(std::string_view text);
std::optional<float> DecDegreesFromWrittenText(std::string_view text);

// A reference pixel as typed into tb_x or tb_y; empty when the text is no
// whole number text or the field would refuse it.
std::optional<std::int16_t> PixelFromText(std::string_view text);

}  // namespace coords
