#pragma once
// The 8-bit texts of the tables (each byte one ISO-8859-1 character) as UTF-8 for the files other
// programs read, and back.

#include <string>
#include <string_view>

namespace tcn {

// Each byte taken as the ISO-8859-1 character of the same value, written as UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);

} // namespace tcn
