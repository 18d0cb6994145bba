#pragma once
// Keeps a text field to characters that have an 8-bit (ISO-8859-1) form: the tables store names as
// bytes, so a character without one could not be stored as typed.

#include <QLineEdit>
#include <QValidator>

#include <optional>
#include <string>
#include <string_view>

namespace tcn {

class Latin1Validator : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override;
};

// Gives `edit` a Latin1Validator and a maximum length.
void MakeLatin1Field(QLineEdit* edit, int maxLength);

// The bytes `edit` holds when the user changed them from `stored` as the field shows it (cut to its maximum
// length); nothing when the field still shows the stored text, so that a stored text longer than the
// field, or with bytes behind its terminating zero, is not rewritten by an apply that did not touch it.
std::optional<std::string> ChangedText(const QLineEdit* edit, std::string_view stored);

} // namespace tcn
