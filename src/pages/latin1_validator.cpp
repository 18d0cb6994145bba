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

std::optional<std::string> ChangedText(const QLineEdit* edit, std::string_view stored) {
    const QString shown = QString::fromLatin1(stored.data(), static_cast<qsizetype>(stored.size())).left(edit->maxLength());
    if (edit->text() == shown) return std::nullopt;
    return edit->text().toLatin1().toStdString();
}

} // namespace tcn
