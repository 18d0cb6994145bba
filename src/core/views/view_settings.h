#pragma once
// What the channel page is looking at: TV or radio, a satellite filter, the sort or filter order and
// the additional value of the three filter orders.

#include <array>
#include <cstdint>

namespace tcn {

struct ViewSettings {
    bool satelliteFilter = false;
    std::uint8_t chosenSatellite = 255;             // satellite index; 255 = none
    std::uint8_t viewKind = 0;                      // 1 TV, 2 radio (0 until the first reset)
    std::uint8_t sortOrder = 0;                     // 0..7
    std::array<std::uint8_t, 20> additionalValue{}; // all zero = nothing chosen
    friend bool operator==(const ViewSettings&, const ViewSettings&) = default;
};

// The defaults set after every successful open: TV, no satellite filter, "1-2-3", nothing chosen.
void ResetViewSettings(ViewSettings& settings);

} // namespace tcn
