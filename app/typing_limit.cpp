#include "app/typing_limit.h"

#include <QLineEdit>

TypingLimit::TypingLimit(coords::FieldLimit limit, QObject* parent) : QValidator(parent), limit_(limit) {}

QValidator::State TypingLimit::validate(QString& input, int& /*pos*/) const {
  if (input == programText) return Acceptable;
  return coords::TypingAllowed(input.toStdString(), limit_) ? Acceptable : Invalid;
}

void ShowProgramText(QLineEdit* field, const std::string& text) {
  const QString shown = QString::fromStdString(text);
  for (QObject* child : field->children())
    if (auto* limit = dynamic_cast<TypingLimit*>(child)) limit->programText = shown;
  field->setText(shown);
}
