#pragma once
// What the "Edit Favourites" page does to a favourite group, one operation per user action. Rows are the
// grid's, counted from 1: row r shows the group's entry at position r - 1. Both end with the groups
// resolved, as the page's redraw after each action needs.

#include "tables/channel_database.h"

#include <cstddef>

namespace tcn {

// A drag of the block of rows top..bottom onto row `to`: the block keeps its order; upwards its first
// entry lands on row `to`, downwards its last. A bottom beyond the group counts as its last row; a `to`
// of 0 (the header row) or beyond the group moves nothing.
void MoveFavouriteRows(ChannelDatabase& db, std::size_t group, int top, int bottom, int to);

// "Delete Selected": the services of rows top..bottom leave the group (from the bottom up, each by its
// service number). A bottom beyond the group counts as its last row.
void RemoveFavouriteRows(ChannelDatabase& db, std::size_t group, int top, int bottom);

} // namespace tcn
