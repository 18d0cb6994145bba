#pragma once
// Display names of the CA systems a service can carry. A code is the high byte of a DVB CA system id.

#include <cstdint>
#include <string>

namespace tcn {

// The name of a CA system code, or "CaID " and the code in decimal for a code without a name.
std::string CaSystemName(std::uint8_t code);

} // namespace tcn
