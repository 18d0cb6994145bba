#pragma once
// What the "Edit Channels" page does to the tables, one operation per user action: applying the edit
// group, locking, toggling a favourite group, deleting, inserting and reordering the services of rows of
// the channel view. Rows are counted from 1, as the grid shows them: row r stands for the service at table
// index view.entries[r - 1]; rows outside the view are skipped. Every operation ends with the favourite
// groups resolved (entries relinked, services renumbered), as the page's redraw after each action needs.

#include "tables/channel_database.h"
#include "tables/service_table.h"
#include "views/channel_view.h"

#include <cstddef>
#include <cstdint>

namespace tcn {

// "Apply Changes": the edit into the service at table index `index`.
void ApplyChannelEdit(ChannelDatabase& db, std::size_t index, const ServiceEdit& edit);

// Inverts the locked bit of the service of every row from top to bottom.
void ToggleLockRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom);

// For every row from top to bottom: removes its service from `group` (0 to 4) when it is a member, adds
// it otherwise. An add to a full group is skipped; the other rows are still toggled.
void ToggleFavouriteRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom,
                         std::size_t group);

// Deletes exactly the services of rows top to bottom, whatever the view's order. The result equals
// deleting them one by one in decreasing table index.
void DeleteViewRows(ChannelDatabase& db, const ChannelView& view, int top, int bottom);

// Insert: a new service of `kind` on transponder `transponder` at the end of the table. False, and no
// change, when the table is full.
bool InsertChannel(ChannelDatabase& db, std::uint16_t transponder, std::uint8_t kind);

// Reorders the table after the user dragged a row of the block top..bottom onto row `to` of a view in
// table order (all services of `kind`, no satellite filter). Upwards the block lands, in its order,
// directly before the service that stood at row `to`; downwards each of its services in turn is taken
// from row `top` and put at the table index of that service, so that the block ends directly behind it.
// A bottom beyond the view counts as the view's last row; nothing moves for a `to` outside the view.
void MoveViewRows(ChannelDatabase& db, const ChannelView& view, std::uint8_t kind, int top, int bottom,
                  int to);

} // namespace tcn
