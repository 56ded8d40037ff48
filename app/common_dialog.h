// The file dialog for reading and saving: a title, a preset name and a
// filter "description|pattern", shown as Qt's own dialog so it looks and
// behaves the same everywhere. A name that does not exist yet may be typed.
#pragma once

#include <functional>
#include <optional>
#include <string>

class QWidget;

// The one filter both reading and saving offer.
inline constexpr const char* kFitsFilter = "Fits-Bilddateien (*.fit)|*.fit";

class CommonDialog {
 public:
  std::string DialogTitle;
  std::string FileName;  // preset before, chosen path after ShowOpen
  std::string Filter;

  // False when the user cancels; FileName is then unchanged.
  bool ShowOpen(QWidget* parent);

  // When set, answers in place of a person (tests); an empty answer cancels.
  std::function<std::optional<std::string>(const CommonDialog&)> answer;
};

// "Fits-Bilddateien (*.fit)|*.fit" as a Qt name filter: the description is
// shown as written; names ending in .fit or .fits in any letter case match,
// since .fits is the common ending and Linux names are case-sensitive.
std::string QtNameFilter(const std::string& filter);
