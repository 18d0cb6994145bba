#pragma once
// What the "Edit Satellites" page does that is more than one table operation: adding a satellite that
// takes over the settings of the one selected.

#include "tables/satellite_table.h"

#include <optional>

namespace tcn {

// The edit the settings group holds while it shows `rec`: the name as its 19-character field shows it,
// the position, the orientation (for a record with no side, `shownSide`: the group keeps the side it
// showed before), the LNB type (code 3 as User) with its pair, the DiSEqC type (above Goto X as Goto X)
// and, for the types with ports, the port (ToneBurst offers ports A and B only).
SatelliteEdit EditShowing(const SatelliteRecord& rec, std::optional<Orientation> shownSide);

// "Add satellite": takes the next free slot into use and applies `settings` to it (the name only when it
// differs from the name the slot shows). Returns the new index, or nothing when all 80 slots are in use.
std::optional<std::uint8_t> AddSatelliteLike(ChannelDatabase& db, SatelliteEdit settings);

} // namespace tcn
