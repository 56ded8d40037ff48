// The "at most N characters" of an entry field. It limits typing and pasting
// only: text set by the program is kept whole (QLineEdit::setMaxLength would
// cut " 20000" to " 2000" and silently move the reference pixel), and counts
// as valid, since Qt refuses a key only while the text before it was valid.
#pragma once

#include <QValidator>
#include <string>

#include "coords/typed_text.h"

class QLineEdit;

class TypingLimit : public QValidator {
 public:
  // limit.fitsInteger: the text must also round into a 16-bit integer, so a
  // reference pixel that cannot be stored is refused at the keystroke.
  TypingLimit(coords::FieldLimit limit, QObject* parent);
  State validate(QString& input, int& pos) const override;

  QString programText;  // the text last set by the program

 private:
  coords::FieldLimit limit_;
};

// Sets a field's text as the program does: whole, whatever its length, and
// runs the field's change handler.
void ShowProgramText(QLineEdit* field, const std::string& text);
