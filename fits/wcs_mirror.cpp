#include "fits/wcs_mirror.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

#include "fits/card_text.h"
#include "fits/fits_number.h"
#include "fits/fits_sizes.h"

namespace fits {
namespace {

bool IsDigits(std::string_view text) {
  return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

// The indices of prefix, digits, "_", digits ("CD1_2", "A_3_0"); empty for another form.
std::optional<std::pair<int, int>> IndexPair(std::string_view key, std::string_view prefix) {
  if (!key.starts_with(prefix)) return std::nullopt;
  key.remove_prefix(prefix.size());
  const std::size_t bar = key.find('_');
  if (bar == std::string_view::npos || !IsDigits(key.substr(0, bar)) || !IsDigits(key.substr(bar + 1)) ||
      key.size() > 8)
    return std::nullopt;
  return std::pair(std::stoi(std::string(key.substr(0, bar))), std::stoi(std::string(key.substr(bar + 1))));
}

// prefix and one axis digit ("CRPIX2").
bool IsAxis(std::string_view key, std::string_view prefix) {
  return key.size() == prefix.size() + 1 && key.starts_with(prefix) && IsDigits(key.substr(prefix.size()));
}

bool IsLinearWcsKey(std::string_view base) {
  for (const std::string_view prefix : {"CTYPE", "CRVAL", "CRPIX", "CDELT", "CROTA", "CUNIT"})
    if (IsAxis(base, prefix)) return true;
  return IndexPair(base, "CD") || IndexPair(base, "PC") || IndexPair(base, "PV") || IndexPair(base, "PS");
}

// A keyword split into its form and the letter of its WCS: "CD1_2A" is CD1_2
// of WCS A, "CD1_2" of the primary one (index 0).
struct Key {
  std::string_view base;
  std::size_t wcs = 0;  // 0 primary, 1 to 26 for A to Z
};

Key Split(std::string_view key) {
  const char last = key.empty() ? ' ' : key.back();
  if (last >= 'A' && last <= 'Z' && IsLinearWcsKey(key.substr(0, key.size() - 1)))
    return {key.substr(0, key.size() - 1), static_cast<std::size_t>(last - 'A' + 1)};
  return {key, 0};
}

// Plate solutions and parameters whose meaning a row flip changes in ways
// that no sign or offset of one card follows.
bool CannotMirror(const Key& key) {
  const std::string_view k = key.base;
  if (IndexPair(k, "PV") || IndexPair(k, "PS")) return true;
  for (const std::string_view dss : {"AMDX", "AMDY", "PPO", "CNPIX"})
    if (k.starts_with(dss) && IsDigits(k.substr(dss.size()))) return true;
  for (const std::string_view dss :
       {"PLTRAH", "PLTRAM", "PLTRAS", "PLTDECSN", "PLTDECD", "PLTDECM", "PLTDECS"})
    if (k == dss) return true;
  return (k.starts_with("PC") || k.starts_with("CD")) && k.size() == 8 && IsDigits(k.substr(2));
}

// The value field read whole as a number: its FITS text, or empty.
std::optional<double> NumberValue(std::string_view text) {
  std::string digits(text.starts_with('+') ? text.substr(1) : text);
  std::ranges::replace(digits, 'D', 'E');
  double value = 0.0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return value;
}

std::string_view ValueText(std::string_view card) {
  return card.size() > 10 && card.substr(8, 2) == "= " ? TrimBlanks(ValueField(card)) : std::string_view();
}

// The card with a new value, right-aligned in column 30 as the fixed format
// has it, its comment kept.
std::string NumberCard(std::string_view card, std::string_view text) {
  std::string out = std::string(card.substr(0, kKeywordBytes)) + "= ";
  if (text.size() < 20) out.append(20 - text.size(), ' ');
  out += text;
  const std::string_view rest = TrimBlanks(card.substr(std::min(card.size(), 10 + ValueField(card).size())));
  if (!rest.empty()) out += " " + std::string(rest);
  out.resize(kCardBytes, ' ');
  return out;
}

std::string NewCard(std::string_view keyword, std::size_t wcs, const std::string& text) {
  std::string key(keyword);
  if (wcs > 0) key.push_back(static_cast<char>('A' + wcs - 1));
  key.resize(kKeywordBytes, ' ');
  return NumberCard(key + std::string(kCardBytes - kKeywordBytes, ' '), text);
}

std::string Negated(std::string_view text) {
  if (text.starts_with('-')) return std::string(text.substr(1));
  return "-" + std::string(text.starts_with('+') ? text.substr(1) : text);
}

// What the flip does to a card's value.
enum class Change { None, Negate, Mirror };

struct WcsSeen {
  bool any = false, pc = false, cd = false, pc22 = false, cdelt2 = false, crpix2 = false;
  std::size_t last = 0;  // index after its last card in the output
};

Change ChangeOf(const Key& key, const WcsSeen& wcs) {
  const std::string_view k = key.base;
  if (k == "CRPIX2") return Change::Mirror;
  for (const std::string_view matrix : {"CD", "PC"})
    if (const auto ij = IndexPair(k, matrix); ij && ij->second == 2) return Change::Negate;
  if (k == "CDELT2") return wcs.pc || wcs.cd ? Change::None : Change::Negate;
  if (key.wcs != 0) return Change::None;
  // SIP: v changes sign, and with it the output of B and BP.
  for (const auto& [prefix, oddQ] : {std::pair{"A_", true}, {"AP_", true}, {"B_", false}, {"BP_", false}})
    if (const auto pq = IndexPair(k, prefix))
      return (pq->second % 2 == 1) == oddQ ? Change::Negate : Change::None;
  return Change::None;
}

}  // namespace

std::string ExactNumberText(double value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  std::string text(buffer.data(), result.ptr);
  std::ranges::replace(text, 'e', 'E');
  return text;
}

MirroredCards MirrorWcsCards(std::span<const std::string> cards, std::int16_t naxis2) {
  std::array<WcsSeen, 27> seen{};
  for (const std::string& card : cards) {
    const Key key = Split(KeywordOf(card));
    WcsSeen& wcs = seen[key.wcs];
    const bool pc = IndexPair(key.base, "PC").has_value(), cd = IndexPair(key.base, "CD").has_value();
    wcs.pc = wcs.pc || pc;
    wcs.cd = wcs.cd || cd;
    wcs.pc22 = wcs.pc22 || key.base == "PC2_2";
    wcs.cdelt2 = wcs.cdelt2 || key.base == "CDELT2";
    wcs.crpix2 = wcs.crpix2 || key.base == "CRPIX2";
    for (const std::string_view prefix : {"CTYPE", "CRVAL", "CRPIX", "CDELT", "CROTA"})
      wcs.any = wcs.any || IsAxis(key.base, prefix);
    wcs.any = wcs.any || pc || cd;
  }
  MirroredCards out;
  for (const std::string& card : cards) {
    const Key key = Split(KeywordOf(card));
    const Change change = ChangeOf(key, seen[key.wcs]);
    const std::string_view text = ValueText(card);
    const std::optional<double> value = NumberValue(text);
    if (CannotMirror(key) || (change != Change::None && !value)) {
      out.warnings.push_back("Warnung: " + std::string(KeywordOf(card)) +
                             " entfernt, für das gespiegelte Bild nicht umrechenbar");
      continue;
    }
    if (change == Change::Mirror) {
      out.cards.push_back(NumberCard(card, ExactNumberText(naxis2 + 1.0 - *value)));
    } else if (change == Change::Negate) {
      out.cards.push_back(NumberCard(card, IsFitsNumber(text) ? Negated(text) : ExactNumberText(-*value)));
    } else {
      out.cards.push_back(card);
    }
    if (IsLinearWcsKey(key.base)) seen[key.wcs].last = out.cards.size();
  }
  // Cards a WCS lacks take their defaults (CRPIX 0, PC2_2 and CDELT2 1): their mirror must be
  // written. Inserted from the last place on, so that earlier places stay where they are.
  std::vector<std::pair<std::size_t, std::string>> added;
  for (std::size_t wcs = 0; wcs < seen.size(); ++wcs) {
    const WcsSeen& s = seen[wcs];
    if (!s.any) continue;
    if (!s.crpix2) added.emplace_back(s.last, NewCard("CRPIX2", wcs, ExactNumberText(naxis2 + 1.0)));
    if (s.pc && !s.pc22) added.emplace_back(s.last, NewCard("PC2_2", wcs, "-1.0"));
    if (!s.pc && !s.cd && !s.cdelt2) added.emplace_back(s.last, NewCard("CDELT2", wcs, "-1.0"));
  }
  std::ranges::reverse(added);  // cards of one place then come in the order above
  std::ranges::stable_sort(added, std::greater<>(), &std::pair<std::size_t, std::string>::first);
  for (auto& [at, card] : added) out.cards.insert(out.cards.begin() + static_cast<std::ptrdiff_t>(at), card);
  return out;
}

std::vector<std::string> FitsNumberCards(std::span<const std::string> cards) {
  std::vector<std::string> out(cards.begin(), cards.end());
  for (std::string& card : out) {
    const std::string_view text = ValueText(card);
    if (const auto value = NumberValue(text); value && !IsFitsNumber(text))
      card = NumberCard(card, ExactNumberText(*value));
  }
  return out;
}

}  // namespace fits
