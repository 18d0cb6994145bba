#pragma once
// Keeps a text field to characters that have an 8-bit (ISO-8859-1) form: the tables store names as
// bytes, so a character without one could not be stored as typed.

#include <QLineEdit>
#include <QValidator>

namespace tcn {

class Latin1Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives `edit` a Latin1Validator and a maximum length.
void MakeLatin1Field(QLineEdit* edit, int maxLength);

} // namespace tcn
