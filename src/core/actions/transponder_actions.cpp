#include "actions/transponder_actions.h"

#include "tables/satellite_table.h"
#include "tables/transponder_table.h"

#include <algorithm>
#include <vector>

namespace tcn {

int DeleteTransponderRows(ChannelDatabase& db, std::uint8_t satellite, int top, int bottom) {
    const std::vector<std::uint16_t> list = BuildSatelliteTransponderList(db, satellite);
    const int n = static_cast<int>(list.size());
    if (n == 0) return 0;
    top = std::clamp(top, 1, n);
    bottom = std::clamp(bottom, top, n);
    DeleteTransponders(db, std::vector<std::uint16_t>(list.begin() + (top - 1), list.begin() + bottom));
    // The page lists the satellites anew afterwards.
    CountSatellites(db);
    const int left = n - (bottom - top + 1);
    if (left < 1) return 0;
    if (top == bottom) return left >= bottom ? bottom : left;
    return left > bottom ? top : left;
}

} // namespace tcn
