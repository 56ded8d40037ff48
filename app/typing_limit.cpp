#include "app/typing_limit.h"

#include "coords/number_text.h"

TypingLimit::TypingLimit(int maxLength, bool fitsInteger, QObject* parent)
    : QValidator(parent), maxLength_(maxLength), fitsInteger_(fitsInteger) {}

QValidator::State TypingLimit::validate(QString& input, int& /*pos*/) const {
  if (maxLength_ > 0 && input.size() > maxLength_) return Invalid;
  if (fitsInteger_ && !coords::RoundToInteger(coords::ParseLeadingNumber(input.toStdString())))
    return Invalid;
  return Acceptable;
}
