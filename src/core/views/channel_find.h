#pragma once
// Finding a channel by name in the channel view, for the find field of the "Edit Channels" page. Rows
// are counted from 1, as the grid shows them; the view itself is only read.

#include "tables/channel_database.h"
#include "views/channel_view.h"

#include <string_view>

namespace tcn {

// The first row at or after `fromRow` whose channel name contains `text`, the letters of ISO-8859-1
// compared regardless of case, going on from row 1 after the last row. A `fromRow` outside the view starts
// at row 1. 0 when no row matches, the text is empty or the view has no rows.
int FindInView(const ChannelDatabase& db, const ChannelView& view, int fromRow, std::string_view text);

} // namespace tcn
