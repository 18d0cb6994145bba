#pragma once
// The orbital position field of the satellite page: a masked field of whole-degree digit places, a comma
// and one tenth digit. Three whole-degree places cover every real position; a stored position that needs
// more widens the field so that it still shows exactly, and an apply stores only what the field shows.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tcn {

// Whole-degree places the field offers: three, or four for a stored position of 1000.0 degrees and more.
int PositionFieldDigits(std::uint16_t tenths);

// What the field shows for a position: the whole degrees with at least two digits, right-aligned with
// blanks in `digits` places, a comma and the tenth (" 19,2", " 00,5", "130,5", "1234,5").
std::string PositionFieldText(std::uint16_t tenths, int digits);

// The position the field's text holds, blanks included as the field shows them. Blanks on either side of
// the comma are ignored (" 19,2", "19 ,2"; a blank tenth reads as whole degrees: "19 , " is 190), a blank
// between digits is not. Nothing when the text is no position the record can hold.
std::optional<std::uint16_t> ReadPositionField(std::string_view text);

} // namespace tcn
