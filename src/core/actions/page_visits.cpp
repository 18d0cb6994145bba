#include "actions/page_visits.h"

#include "tables/favourite_groups.h"
#include "tables/satellite_table.h"

namespace tcn {

void PrepareSatellitePage(ChannelDatabase& db) { CountSatellites(db); }
void PrepareTransponderPage(ChannelDatabase& db) { CountSatellites(db); }
void PrepareChannelPage(ChannelDatabase& db) { ResolveFavourites(db); }
void PrepareFavouritesPage(ChannelDatabase& db) { ResolveFavourites(db); }

} // namespace tcn
