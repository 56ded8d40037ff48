// The "at most N characters" of an entry field. It limits typing and pasting
// only: text set by the program is kept whole (QLineEdit::setMaxLength would
// cut " 20000" to " 2000" and silently move the reference pixel).
#pragma once

#include <QValidator>

class TypingLimit : public QValidator {
 public:
  // fitsInteger: the text must also round into a 16-bit integer, so a
  // reference pixel that cannot be stored is refused at the keystroke.
  TypingLimit(int maxLength, bool fitsInteger, QObject* parent);
  State validate(QString& input, int& pos) const override;

 private:
  int maxLength_;
  bool fitsInteger_;
};
