#include "app/typing_limit.h"

#include <QLineEdit>

#include "coords/number_text.h"

TypingLimit::TypingLimit(int maxLength, bool fitsInteger, QObject* parent)
    : QValidator(parent), maxLength_(maxLength), fitsInteger_(fitsInteger) {}

QValidator::State TypingLimit::validate(QString& input, int& /*pos*/) const {
  if (input == programText) return Acceptable;
  if (maxLength_ > 0 && input.size() > maxLength_) return Invalid;
  if (fitsInteger_ && !coords::RoundToInteger(coords::ParseLeadingNumber(input.toStdString())))
    return Invalid;
  return Acceptable;
}

void ShowProgramText(QLineEdit* field, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  for (QObject* child : field->children())
    if (auto* limit = dynamic_cast<TypingLimit*>(child)) limit->programText = shown;
  field->setText(shown);
}
