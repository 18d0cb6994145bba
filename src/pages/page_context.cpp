#include "page_context.h"

#include "views/field_text.h"

#include <QDialog>

namespace tcn {

int Platform::ExecDialog(QDialog& dialog) { return dialog.exec(); }

void PageContext::ResetForNewFile() {
    ResetViewSettings(m_view);
    ChosenSatellite = -1;
}

void PageContext::ShowMessage(const QString& text, const QString& caption) {
    m_platform.ShowMessage(m_window, text, caption);
}

void PageContext::ShowInvalidInteger(const QString& text) {
    ShowMessage(FromBytes(InvalidIntegerMessage(ToBytes(text))), QStringLiteral("Error"));
}

std::optional<std::int64_t> ReadIntegerField(PageContext& context, const QString& text, std::int64_t min,
                                             std::int64_t max) {
    const std::optional<std::int64_t> value = ParseInteger(ToBytes(text));
    if (!value || *value < min || *value > max) {
        context.ShowInvalidInteger(text);
        return std::nullopt;
    }
    return value;
}

} // namespace tcn
