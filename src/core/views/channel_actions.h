#pragma once
// What the "Edit Channels" page does to the rows of the channel view: lock and favourite toggles,
// deletion and the reordering of a dragged block of rows, the membership marks its grid draws, and the
// satellite and transponder lines of its edit group. Rows are counted from 1, as the grid shows them:
// row r stands for the service at table index view.entries[r - 1]. Rows outside the view are skipped.

#include "tables/channel_database.h"
#include "views/channel_view.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tcn {

// The table index of the service of row r, or -1 for a row outside the view.
std::int64_t ServiceAtRow(const ChannelDatabase& db, const ChannelView& view, int r);

// Favourite membership by service number: bit g of bits[n] is set when number n is a member of group g
// (what IsFavourite answers), gathered in one pass over the five groups.
struct FavouriteMarks {
    std::array<std::uint8_t, 0x10000> bits{};
    bool IsMember(std::uint16_t number, std::size_t group) const { return (bits[number] >> group) & 1u; }
};
void CollectFavouriteMarks(const ChannelDatabase& db, FavouriteMarks& marks);

// Inverts the locked bit of the service of every row from top to bottom.
void ToggleLockRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom);

// For every row from top to bottom: removes its service from `group` (0 to 4) when it is a member, adds
// it otherwise. An add to a full group is skipped; the other rows are still toggled.
void ToggleFavouriteRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom,
                         std::size_t group);

// Deletes exactly the services of rows top to bottom, whatever the view's order. The result equals
// deleting them one by one in decreasing table index.
void DeleteViewRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom);

// Reorders the table after the user dragged a row of the block top..bottom onto row `to` of a view in
// table order (all services of `kind`, no satellite filter). Upwards the block lands, in its order,
// directly before the service that stood at row `to`; downwards each of its services in turn is taken
// from row `top` and put at the table index of that service, so that the block ends directly behind it.
// A bottom beyond the view counts as the view's last row; nothing moves for a `to` outside the view.
void MoveViewRows(ChannelDatabase& db, const ChannelView& view, std::uint8_t kind, int top, int bottom,
                  int to);

// The satellite line of the edit group: FormatSatelliteLabel of the satellite of the service's
// transponder; empty when its link names no transponder or the transponder names no satellite slot.
std::string ServiceSatelliteLine(const ChannelDatabase& db, const ServiceRecord& service);
// The transponder line: MHz (kHz / 1000), five blanks, H or V, five blanks, the symbol rate; empty when
// the link names no transponder.
std::string ServiceTransponderLine(const ChannelDatabase& db, const ServiceRecord& service);

} // namespace tcn
