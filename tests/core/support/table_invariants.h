#pragma once
// What must hold of the tables whatever a user or a random sequence did to them since the load: counts
// within the capacities, free slots as the table keeps them, links that name a transponder or nothing,
// favourite groups in shape (and, once resolved, naming services that exist, with every service numbered
// by its index), and every byte that no operation interprets as it was loaded.

#include "tables/channel_database.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tcn::test {

// What a load fixes for the checks that follow it.
struct TableBaseline {
    ConfigBuffer loadedConfig;
    // 200 per satellite, or more where the loaded file gave a satellite more.
    std::array<std::size_t, 256> transponderLimit{};
    // Slots below this have been counted as satellites at some time; only they may have changed.
    std::size_t satelliteSlotsUsed = 0;
    // Groups without a repeated entry before the last operation: no operation may repeat one.
    std::array<bool, kFavouriteGroupCount> duplicateFree{};
};

// The baseline of tables as they stand right after a load.
TableBaseline BaselineOf(const ChannelDatabase& loaded);
// Records which groups are free of repeated entries and which satellite slots are in use, before an
// operation.
void RememberBeforeOperation(TableBaseline& baseline, const ChannelDatabase& db);
bool HasDuplicates(std::vector<std::uint16_t> entries);

// An empty text when every invariant holds, else what failed first. `resolved`: no table change since
// the last ResolveFavourites (a transponder deletion leaves the groups unresolved until the channel or
// favourites page is next shown).
std::string CheckTableShape(const ChannelDatabase& db, const TableBaseline& baseline, bool resolved);

} // namespace tcn::test
