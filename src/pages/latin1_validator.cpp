#include "latin1_validator.h"

namespace tcn {

QValidator::State Latin1Validator::validate(QString& input, int&) const {
    for (QChar c : input)
        if (c.unicode() > 0xFF) return Invalid;
    return Acceptable;
}

void MakeLatin1Field(QLineEdit* edit, int maxLength) {
    edit->setMaxLength(maxLength);
    edit->setValidator(new Latin1Validator(edit));
}

} // namespace tcn
