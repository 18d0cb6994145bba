#pragma once
// What the "Edit Transponders" page does to the transponders of its chosen satellite that is more than one
// table operation.

#include "tables/channel_database.h"

#include <cstdint>

namespace tcn {

// "Delete Selected" on rows top..bottom of satellite `satellite`'s list (row r shows its (r-1)-th
// transponder): those transponders and the services on them are deleted. Returns the row to select
// afterwards: after a single row the row it stood in, or the last; after a range its top row when rows
// below remain, else the last; 0 when the satellite has no transponders left. Rows outside the list are
// clamped to it; nothing happens for an empty list.
int DeleteTransponderRows(ChannelDatabase& db, std::uint8_t satellite, int top, int bottom);

} // namespace tcn
