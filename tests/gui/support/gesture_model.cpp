#include "gesture_model.h"

#include <QTest>
#include <QValidator>

namespace tcn::test {

namespace {

// The fields of names take characters with an 8-bit form only.
class EightBitOnly : public QValidator {
  public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return std::all_of(input.begin(), input.end(), [](QChar c) { return c.unicode() <= 0xFF; })
                   ? Acceptable
                   : Invalid;
    }
};

} // namespace

void TypeInto(QLineEdit* field, const QString& text, int mode, bool click,
              const std::function<void()>& afterKey) {
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(field, k, modifiers);
        if (afterKey) afterKey();
    };
    if (click) QTest::mouseClick(field, Qt::LeftButton);
    if (mode == 0) key(Qt::Key_A, Qt::ControlModifier);
    if (mode == 0 && text.isEmpty()) key(Qt::Key_Delete);
    if (mode >= 1) key(Qt::Key_End);
    for (int i = 0; mode == 2 && i < 3; ++i)
        key(Qt::Key_Backspace);
    for (const QChar c : text) {
        const QChar upper = c.toUpper();
        const bool plain = upper.unicode() < 0x80 && upper.isLetterOrNumber();
        QTest::sendKeyEvent(QTest::Click, field, plain ? Qt::Key(upper.unicode()) : Qt::Key_unknown, QString(c),
                            {});
        if (afterKey) afterKey();
    }
}

FieldModel::FieldModel() : m_edit(std::make_unique<QLineEdit>()) {}
FieldModel::~FieldModel() = default;
FieldModel::FieldModel(FieldModel&&) noexcept = default;
FieldModel& FieldModel::operator=(FieldModel&&) noexcept = default;

FieldModel FieldModel::Text(int maxLength) {
    FieldModel field;
    field.m_edit->setMaxLength(maxLength);
    field.m_edit->setValidator(new EightBitOnly(field.m_edit.get()));
    return field;
}

FieldModel FieldModel::Masked(const QString& mask) {
    FieldModel field;
    field.m_edit->setInputMask(mask);
    return field;
}

void FieldModel::Show(const QString& text) { m_edit->setText(text); }

void FieldModel::Show(const QString& mask, const QString& text) {
    if (m_edit->inputMask() != mask) m_edit->setInputMask(mask);
    m_edit->setText(text);
}

void FieldModel::Type(const QString& text, int mode, const std::function<void()>& afterKey) {
    TypeInto(m_edit.get(), text, mode, false, afterKey);
}

} // namespace tcn::test
