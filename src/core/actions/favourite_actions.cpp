#include "actions/favourite_actions.h"

#include "tables/favourite_groups.h"
#include "tables/service_table.h"

#include <algorithm>

namespace tcn {

void MoveFavouriteRows(ChannelDatabase& db, std::size_t group, int top, int bottom, int to) {
    const int count = FavouriteGroupCount(db, group);
    bottom = std::min(bottom, count);
    if (to >= 1 && to <= count && top >= 1 && top <= bottom) {
        const auto at = [](int row) { return static_cast<std::size_t>(row - 1); };
        // Upwards the block's entries land one after another from row `to`; downwards the entry now at
        // the top of the block goes to row `to`, once per entry, so its last entry ends there.
        for (int k = 0; k <= bottom - top; ++k) {
            if (top > to)
                MoveFavourite(db, at(top + k), at(to + k), group);
            else if (top < to)
                MoveFavourite(db, at(top), at(to), group);
        }
    }
    ResolveFavourites(db);
}

void RemoveFavouriteRows(ChannelDatabase& db, std::size_t group, int top, int bottom) {
    bottom = std::min<int>(bottom, FavouriteGroupCount(db, group));
    // From the bottom up, so the rows still to be removed keep their positions.
    for (int r = bottom; r >= std::max(top, 1); --r)
        RemoveFavourite(db, GetService(db, FavouriteEntry(db, group, static_cast<std::size_t>(r - 1))), group);
    ResolveFavourites(db);
}

} // namespace tcn
