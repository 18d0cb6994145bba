#include "views/position_field.h"

#include "views/field_text.h"

namespace tcn {

int PositionFieldDigits(std::uint16_t tenths) {
    return tenths >= 10000 ? 4 : 3;
}

std::string PositionFieldText(std::uint16_t tenths, int digits) {
    std::string text = FormatPositionText(tenths);
    const std::size_t width = static_cast<std::size_t>(digits) + 2; // the comma and the tenth
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::optional<std::uint16_t> ReadPositionField(std::string_view text) {
    const std::size_t comma = text.find(',');
    if (comma == std::string_view::npos) return ParsePositionText(text);
    std::string joined(TrimBlanks(text.substr(0, comma)));
    joined += ',';
    joined += TrimBlanks(text.substr(comma + 1));
    return ParsePositionText(joined);
}

} // namespace tcn
