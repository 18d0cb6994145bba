#pragma once
// Texts of the editor's number fields: reading what the user typed as the whole numbers and positions the
// tables store, and the zero-padded forms the fields show. Shared by every page so that each field reads
// and refuses input the same way.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tcn {

// The text without leading and trailing blanks (spaces and control characters).
std::string_view TrimBlanks(std::string_view text);

// A whole decimal number with an optional sign, after trimming blanks; nothing when the text is anything
// else (empty, a blank or another character between the digits, or more digits than 18).
std::optional<std::int64_t> ParseInteger(std::string_view text);

// The message shown when a field's text is not a whole number or does not fit its field:
// "'<trimmed text>' is not a valid integer value".
std::string InvalidIntegerMessage(std::string_view text);

// An orbital position as typed, "19,2" or "192,5" (whole degrees, a comma, the tenth), in tenths of a
// degree. A blank tenth ("19,") reads as whole degrees. Nothing for any other text or for a position the
// record cannot hold (above 6553,5).
std::optional<std::uint16_t> ParsePositionText(std::string_view text);

// How the orbital position field shows a position: whole degrees with at least two digits, a comma and
// the tenth ("19,2", "00,5", "130,0").
std::string FormatPositionText(std::uint16_t tenths);

// `value` in decimal with leading zeros to `width` digits ("09750"); wider values are shown in full.
std::string ZeroPadded(std::uint32_t value, int width);

} // namespace tcn
