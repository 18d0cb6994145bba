// The undo history's deltas: only changed bytes are kept, and a swap turns either state into the other
// exactly, in every area of the database and for real table operations.

#include "support/db_builders.h"
#include "tables/database_delta.h"
#include "tables/favourite_groups.h"
#include "tables/service_table.h"
#include "tables/transponder_table.h"

#include <gtest/gtest.h>

namespace tcn {
namespace {

// The delta between `before` and `after` (after being live) turns the live tables into `before` and back.
void ExpectRoundTrip(const ChannelDatabase& before, const ChannelDatabase& after) {
    DatabaseDelta delta = DatabaseDelta::Between(before, after);
    auto live = std::make_unique<ChannelDatabase>(after);
    delta.Swap(*live);
    EXPECT_TRUE(*live == before);
    delta.Swap(*live);
    EXPECT_TRUE(*live == after);
}

TEST(DatabaseDelta, KeepsOnlyChangedBytesAndSwapsThemExactly) {
    auto before = test::NewDatabase();
    test::AddSatellites(*before, 3);
    for (std::uint32_t k = 0; k < 30; ++k)
        test::PushTransponder(*before, test::MakeTransponder(static_cast<std::uint8_t>(k % 3), 10700000 + k));
    test::FillServices(*before, 200);
    for (std::uint16_t i = 0; i < 200; ++i)
        before->services[i].SetTransponder(i % 30);
    test::SetGroupEntries(*before, 0, {1, 5, 9, 150});
    EXPECT_TRUE(DatabaseDelta::Between(*before, *before).Empty());

    // Both ends of every area and one low byte of each count.
    auto after = std::make_unique<ChannelDatabase>(*before);
    after->config.bytes[0] ^= 1;
    after->config.bytes[kConfigBlockSize - 1] ^= 1;
    after->satelliteCount = 4;
    after->transponders[0].bytes[0] ^= 1;
    after->transponders[kTransponderCapacity - 1].bytes[11] = 7;
    after->transponderCount = 31;
    after->services[0].bytes[0] ^= 0x80;
    after->services[kServiceCapacity - 1].bytes[137] ^= 0x80;
    after->serviceCount = 201;
    EXPECT_EQ(DatabaseDelta::Between(*before, *after).HeldBytes(), 9u);
    ExpectRoundTrip(*before, *after);
    // Two bytes four apart share one run, the equal bytes between kept with them.
    after->services[10].bytes[0] ^= 1;
    after->services[10].bytes[4] ^= 1;
    EXPECT_EQ(DatabaseDelta::Between(*before, *after).HeldBytes(), 9u + 5u);

    *after = *before;
    DeleteService(*after, 3);
    ResolveFavourites(*after);
    ExpectRoundTrip(*before, *after);
    *after = *before;
    const std::vector<std::uint16_t> doomed{0, 1, 2, 17};
    DeleteTransponders(*after, doomed);
    ExpectRoundTrip(*before, *after);
}

} // namespace
} // namespace tcn
