#pragma once
// Random databases for the random-session tests (the core's edit sequences and the window's sessions):
// random bytes everywhere, counts for a shape, and links, numbers and favourite entries that are mostly
// sound but sometimes name nothing, as damaged and foreign files do. Every one of them loads.

#include "tables/channel_database.h"

#include <memory>
#include <random>

namespace tcn::test {

// How big a random database is: a few records, some hundreds, some thousands, or every table full.
enum class DatabaseShape { Tiny, Small, Medium, Full };
const char* ShapeName(DatabaseShape shape);

// A database of `shape` drawn from `rng`; the same generator state always gives the same bytes.
std::unique_ptr<ChannelDatabase> RandomDatabase(std::mt19937_64& rng, DatabaseShape shape);

} // namespace tcn::test
