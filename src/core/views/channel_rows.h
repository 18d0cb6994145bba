#pragma once
// What the "Edit Channels" page reads about the rows of the channel view: the service of a row, the
// membership marks its grid draws, and the satellite and transponder lines of its edit group. Rows are
// counted from 1, as the grid shows them: row r stands for the service at table index view.entries[r - 1].

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

// The satellite line of the edit group: FormatSatelliteLabel of the satellite of the service's
// transponder; empty when its link names no transponder or the transponder names no satellite slot.
std::string ServiceSatelliteLine(const ChannelDatabase& db, const ServiceRecord& service);
// The transponder line: MHz (kHz / 1000), five blanks, H or V, five blanks, the symbol rate; empty when
// the link names no transponder.
std::string ServiceTransponderLine(const ChannelDatabase& db, const ServiceRecord& service);

} // namespace tcn
