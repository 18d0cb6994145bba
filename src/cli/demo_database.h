#pragma once
// A made-up but plausible channel database for demonstrations, benchmarks and tests: real orbital
// positions, typical transponders, a few hundred services and five named favourite groups. Bytes the
// editor does not interpret carry a non-zero pattern, so a load and a save show that they survive.

#include "tables/channel_database.h"

namespace tcn {

// Builds the demo database. The same call always gives the same bytes. With `full` every table is filled
// to capacity: 80 satellites, 3500 transponders (at most 200 per satellite), 5000 services and five
// groups of 200 entries. Service numbers equal the table indices and the favourite entries name them.
ChannelDatabase BuildDemoDatabase(bool full);

} // namespace tcn
