#include "views/field_text.h"

#include <cstdio>

namespace tcn {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 18) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

std::string InvalidIntegerMessage(std::string_view text) {
    std::string message(1, '\'');
    message.append(TrimBlanks(text)).append("' is not a valid integer value");
    return message;
}

std::optional<std::uint16_t> ParsePositionText(std::string_view text) {
    text = TrimBlanks(text);
    const auto comma = text.find(',');
    const std::string_view whole = text.substr(0, comma);
    const std::string_view tenth = comma == std::string_view::npos ? std::string_view{} : text.substr(comma + 1);
    if (whole.size() > 4 || tenth.size() > 1 || (whole.empty() && tenth.empty())) return std::nullopt;
    std::uint32_t degrees = 0;
    for (char c : whole) {
        if (!IsDigit(c)) return std::nullopt;
        degrees = degrees * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (!tenth.empty() && !IsDigit(tenth.front())) return std::nullopt;
    const std::uint32_t tenths = degrees * 10 + (tenth.empty() ? 0u : static_cast<std::uint32_t>(tenth.front() - '0'));
    if (tenths > 0xFFFF) return std::nullopt;
    return static_cast<std::uint16_t>(tenths);
}

std::string FormatPositionText(std::uint16_t tenths) {
    char text[16];
    std::snprintf(text, sizeof text, "%02u,%u", static_cast<unsigned>(tenths / 10), static_cast<unsigned>(tenths % 10));
    return text;
}

std::string ZeroPadded(std::uint32_t value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*u", width, static_cast<unsigned>(value));
    return text;
}

} // namespace tcn
