#pragma once
// The five favourite groups inside the config buffer. Entries name services by service number; right
// after ResolveFavourites the numbers equal table indices. A stored count above 200 is read as 200, and
// no entry beyond position 199 is ever read or written. Group indices outside 0 to 4 do nothing.

#include "tables/channel_database.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tcn {

// True when one of the group's members carries service number `number`.
bool IsFavourite(const ChannelDatabase& db, std::uint16_t number, std::size_t group);

// Appends the service's number to the group; false, and no change, when the group is full. Does not test
// for duplicates (callers ask IsFavourite first).
bool AddFavourite(ChannelDatabase& db, const ServiceRecord& service, std::size_t group);

// Removes the first member carrying the service's number, closing the gap. False, and no change, when the
// service is not a member.
bool RemoveFavourite(ChannelDatabase& db, const ServiceRecord& service, std::size_t group);

// All 200 entries become 0xFFFF and the count 0.
void ClearFavouriteGroup(ChannelDatabase& db, std::size_t group);

// Moves the member at position `from` to position `to`; the members between shift by one place.
void MoveFavourite(ChannelDatabase& db, std::size_t from, std::size_t to, std::size_t group);

// Turns each entry into the table index of the first service carrying that number (dropping entries
// no service carries), compacts the groups, then renumbers the services.
void ResolveFavourites(ChannelDatabase& db);

// The group's name up to its first zero byte (all 20 bytes when it has none).
std::string FavouriteGroupName(const ChannelDatabase& db, std::size_t g);
// Zero-fills the name field and copies in at most 20 characters; a 20-character name has no zero byte.
void SetFavouriteGroupName(ChannelDatabase& db, std::size_t g, std::string_view name);

// The number of members, 0 to 200.
std::uint16_t FavouriteGroupCount(const ChannelDatabase& db, std::size_t g);
// The entry at position `pos`; 0xFFFF for a position not below the count.
std::uint16_t FavouriteEntry(const ChannelDatabase& db, std::size_t g, std::size_t pos);

} // namespace tcn
