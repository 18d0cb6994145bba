#pragma once
// The writes that showing a page makes to the tables, one named operation per page: the pages that list
// satellites count them, the pages that list services and favourites resolve the groups (relinking their
// entries and renumbering the services). The window runs them before a page is drawn, and the undo
// history records them as such; drawing itself only reads the tables.

#include "tables/channel_database.h"

namespace tcn {

void PrepareSatellitePage(ChannelDatabase& db);
void PrepareTransponderPage(ChannelDatabase& db);
void PrepareChannelPage(ChannelDatabase& db);
void PrepareFavouritesPage(ChannelDatabase& db);

} // namespace tcn
